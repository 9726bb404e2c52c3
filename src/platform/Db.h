#pragma once

#include "platform/FieldType.h"

#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

// Named SQL parameters (":CODSETOR" is given as "CODSETOR").
using SqlParams = QVariantMap;

// The database as the rest of the program sees it: run a query into typed rows,
// run a statement, transactions, errors with their SQLCODE (thrown as DbError).
// Kept small so another fetch path can replace the Qt driver behind it.
class Db
{
public:
    virtual ~Db() = default;

    using ColumnsFn = std::function<void(const QVector<ColumnInfo> &)>;
    // Values arrive typed: Integer as qlonglong, Money as Money, strings trimmed
    // of CHAR padding, dates as QDate, nulls as invalid QVariant.
    using RowFn = std::function<void(const QVariant *values)>;

    virtual void query(const QString &sql, const SqlParams &params, const ColumnsFn &onColumns,
                       const RowFn &onRow) = 0;
    // Returns the number of rows affected.
    virtual int exec(const QString &sql, const SqlParams &params = {}) = 0;
    virtual QVector<ColumnInfo> tableColumns(const QString &table) = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Convenience: all rows of a query as maps, and the first value of the first row.
    QVector<QVariantMap> rows(const QString &sql, const SqlParams &params = {});
    QVariant scalar(const QString &sql, const SqlParams &params = {});
};

// Rolls back unless commit() was called.
class DbTransaction
{
public:
    explicit DbTransaction(Db &db) : m_db(db) { m_db.begin(); }
    ~DbTransaction()
    {
        if (!m_done) {
            try {
                m_db.rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        m_db.commit();
        m_done = true;
    }
    DbTransaction(const DbTransaction &) = delete;
    DbTransaction &operator=(const DbTransaction &) = delete;

private:
    Db &m_db;
    bool m_done = false;
};

// Where a connection goes: a plain file path opens the database embedded,
// "host:path" or "host/port:path" reaches a Firebird server.
struct DbLocation
{
    QString database;
    QString user = QStringLiteral("SYSDBA");
    QString password = QStringLiteral("masterkey");
};

// Opens a connection through Qt's Firebird driver; throws DbError on failure.
std::unique_ptr<Db> openFirebird(const DbLocation &location);
