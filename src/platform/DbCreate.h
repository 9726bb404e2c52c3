#pragma once

#include "platform/Db.h"

#include <QString>
#include <QStringList>

// Splits a Firebird script into statements: honours SET TERM, comments and quotes;
// SET and COMMIT lines are left out (each statement is committed on its own).
QStringList splitSqlScript(const QString &script);

// Creates a new database file (dialect 3, default character set ISO8859_1) and runs the
// script in it. Throws DbError; refuses a file that already exists.
void createDatabase(const DbLocation &location, const QString &script);
