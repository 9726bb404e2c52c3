#include "platform/Db.h"
#include "platform/Errors.h"
#include "platform/Money.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

constexpr int kSqlText = 452; // Firebird's CHAR(n)
constexpr int kUtf8BytesPerChar = 4;

DbError toDbError(const QSqlError &e, const QString &sql)
{
    bool ok = false;
    int code = e.nativeErrorCode().toInt(&ok);
    if (!ok)
        code = 0;
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return DbError(text, code, sql);
}

// Names of the ":PARAM" placeholders in order of appearance, skipping quoted text.
QStringList placeholderNames(const QString &sql)
{
    QStringList names;
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (sql.at(i + 1).isLetter() || sql.at(i + 1) == '_')) {
            int j = i + 1;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == '_'))
                ++j;
            names << sql.mid(i + 1, j - i - 1);
            i = j - 1;
        }
    }
    return names;
}

QVariant paramValue(const SqlParams &params, const QString &name)
{
    auto it = params.constFind(name);
    if (it == params.constEnd()) {
        for (auto jt = params.constBegin(); jt != params.constEnd(); ++jt)
            if (jt.key().compare(name, Qt::CaseInsensitive) == 0)
                return jt.value();
        return QVariant();
    }
    return it.value();
}

QVariant toDriver(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>().toSqlText();
    return v;
}

class IbaseDb final : public Db
{
public:
    explicit IbaseDb(const DbLocation &loc)
    {
        static QAtomicInt counter;
        m_name = QStringLiteral("tarvo-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), m_name);
        db.setDatabaseName(loc.database);
        db.setUserName(loc.user);
        db.setPassword(loc.password);
        db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
        if (loc.database.trimmed().isEmpty() || !db.open()) {
            const QSqlError err = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            if (loc.database.trimmed().isEmpty())
                throw DbError(QStringLiteral("Local do banco de dados não informado."), 0);
            throw toDbError(err, loc.database);
        }
    }

    ~IbaseDb() override
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen()) {
                if (m_inTx)
                    db.rollback();
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(m_name);
    }

    void query(const QString &sql, const SqlParams &params, const ColumnsFn &onColumns,
               const RowFn &onRow) override
    {
        QSqlQuery q(database());
        q.setForwardOnly(true);
        prepareAndExec(q, sql, params);
        const QSqlRecord rec = q.record();
        const int n = rec.count();
        QVector<ColumnInfo> cols(n);
        for (int i = 0; i < n; ++i)
            cols[i] = describe(rec.field(i), true);
        onColumns(cols);
        QVector<QVariant> row(n);
        while (q.next()) {
            for (int i = 0; i < n; ++i)
                row[i] = convert(q.value(i), cols[i]);
            onRow(row.constData());
        }
        if (q.lastError().isValid() && q.lastError().type() != QSqlError::NoError)
            throw toDbError(q.lastError(), sql);
        // Releasing the query ends its own transaction at once.
        q.finish();
    }

    int exec(const QString &sql, const SqlParams &params) override
    {
        QSqlQuery q(database());
        prepareAndExec(q, sql, params);
        // Only data statements count rows; the driver warns on the others.
        static const QRegularExpression dml(QStringLiteral("^\\s*(INSERT|UPDATE|DELETE|MERGE)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
        const int affected = dml.match(sql).hasMatch() ? q.numRowsAffected() : 0;
        q.finish();
        return affected;
    }

    QVector<ColumnInfo> tableColumns(const QString &table) override
    {
        const QSqlRecord rec = database().record(table.toUpper());
        QVector<ColumnInfo> cols;
        for (int i = 0; i < rec.count(); ++i)
            cols.append(describe(rec.field(i), false));
        return cols;
    }

    void begin() override
    {
        if (!database().transaction())
            throw toDbError(database().lastError(), QStringLiteral("begin"));
        m_inTx = true;
    }
    void commit() override
    {
        m_inTx = false;
        if (!database().commit())
            throw toDbError(database().lastError(), QStringLiteral("commit"));
    }
    void rollback() override
    {
        m_inTx = false;
        if (!database().rollback())
            throw toDbError(database().lastError(), QStringLiteral("rollback"));
    }
    bool inTransaction() const override { return m_inTx; }

private:
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

    static void prepareAndExec(QSqlQuery &q, const QString &sql, const SqlParams &params)
    {
        const QStringList names = placeholderNames(sql);
        if (names.isEmpty()) {
            if (!q.exec(sql))
                throw toDbError(q.lastError(), sql);
            return;
        }
        if (!q.prepare(sql))
            throw toDbError(q.lastError(), sql);
        for (const QString &name : names)
            q.bindValue(QLatin1Char(':') + name, toDriver(paramValue(params, name)));
        if (!q.exec())
            throw toDbError(q.lastError(), sql);
    }

    static ColumnInfo describe(const QSqlField &f, bool byteLengths)
    {
        ColumnInfo c;
        c.name = f.name().toUpper();
        c.required = f.requiredStatus() == QSqlField::Required;
        switch (f.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
            c.type = FieldType::Integer;
            c.smallInt = f.length() == 2;
            break;
        case QMetaType::Double:
            c.type = f.precision() == 2 ? FieldType::Money : FieldType::Double;
            break;
        case QMetaType::QDate:
            c.type = FieldType::Date;
            break;
        case QMetaType::QDateTime:
            c.type = FieldType::DateTime;
            break;
        case QMetaType::QByteArray:
            c.type = FieldType::Blob;
            break;
        default:
            c.type = FieldType::String;
            c.size = byteLengths ? f.length() / kUtf8BytesPerChar : f.length();
            c.fixedChar = (f.typeID() & ~1) == kSqlText;
            break;
        }
        return c;
    }

    static QVariant convert(const QVariant &v, const ColumnInfo &c)
    {
        if (v.isNull())
            return QVariant();
        switch (c.type) {
        case FieldType::Integer:
            if (v.typeId() == QMetaType::Int)
                return QVariant(qlonglong(*static_cast<const int *>(v.constData())));
            return QVariant(v.toLongLong());
        case FieldType::Money:
            if (v.typeId() == QMetaType::Double)
                return QVariant::fromValue(Money::fromDouble(*static_cast<const double *>(v.constData())));
            return QVariant::fromValue(Money::fromDouble(v.toDouble()));
        case FieldType::String:
            if (c.fixedChar) {
                QString s = v.toString();
                int n = s.size();
                while (n > 0 && s.at(n - 1) == ' ')
                    --n;
                s.truncate(n);
                return s;
            }
            return v;
        default:
            return v;
        }
    }

    QString m_name;
    bool m_inTx = false;
};

} // namespace

std::unique_ptr<Db> openFirebird(const DbLocation &location)
{
    return std::make_unique<IbaseDb>(location);
}
