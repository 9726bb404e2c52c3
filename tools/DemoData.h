#pragma once

#include "platform/Db.h"

#include <QDate>
#include <QString>

// Seeding of new databases: the rows a first start needs, a believable demo
// municipality, and bulk entries for measurements. No user interface here.
namespace DemoData {

struct Summary
{
    int secretariats = 0;
    int groups = 0;
    int users = 0;
    int suppliers = 0;
    int resources = 0;
    int activityGroups = 0;
    int activities = 0;
    int beneficiaries = 0;
    int entries = 0;      // plain entries and requisition items
    int requisitions = 0;
    int credits = 0;
    Summary &operator+=(const Summary &o);
};

// What a master user needs to log in to an empty database: the general settings,
// the municipality, one secretariat, one group seeing every menu item and ADMIN/ADMIN.
// Codes are 1; the database is expected to be fresh.
Summary seedMinimum(Db &db);

// Master login and password written by seedMinimum.
QString masterLogin();
QString masterPassword();

// Secretariats with their users, master data and about twelve months of movements
// ending with lastMonth. The same seed and month always give the same rows.
// Expects seedMinimum to have run; everything goes in one transaction.
Summary seedDemo(Db &db, quint32 seed, const QDate &lastMonth);

// Ordinary users written by seedDemo: login, password and secretariat name.
struct DemoUser
{
    QString login;
    QString password;
    QString secretariat;
};
QVector<DemoUser> demoUsers();

// count entries for one secretariat with every column filled, in one transaction,
// generated inside the database by one statement; adds a few master rows for them.
// Returns the number of entries written.
int seedBulkEntries(Db &db, int cdSetor, int count, quint32 seed);

} // namespace DemoData
