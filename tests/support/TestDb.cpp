#include "support/TestDb.h"

#include "platform/DbCreate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

namespace {

QString readSchema()
{
    QFile f(TestDb::schemaPath());
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read schema script %s", qPrintable(TestDb::schemaPath()));
    return QString::fromUtf8(f.readAll());
}

struct Template
{
    QTemporaryDir dir;
    QString path;
    Template()
    {
        path = dir.filePath(QStringLiteral("template.fdb"));
        DbLocation loc;
        loc.database = path;
        createDatabase(loc, readSchema());
    }
};

const QString &templatePath()
{
    static Template t;
    return t.path;
}

} // namespace

QString TestDb::schemaPath()
{
    const QString env = qEnvironmentVariable("TARVO_SCHEMA");
    if (!env.isEmpty())
        return env;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/schema.sql");
}

TestDb::TestDb()
{
    m_path = m_dir.filePath(QStringLiteral("test.fdb"));
    if (!QFile::copy(templatePath(), m_path))
        qFatal("cannot copy template database");
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_db = openFirebird(location());
}

TestDb::~TestDb() { m_db.reset(); }

DbLocation TestDb::location() const
{
    DbLocation loc;
    loc.database = m_path;
    return loc;
}

std::unique_ptr<Db> TestDb::connectAgain() const { return openFirebird(location()); }

void TestDb::execScript(const QString &statements)
{
    DbTransaction tx(*m_db);
    for (const QString &s : statements.split(';', Qt::SkipEmptyParts))
        if (!s.trimmed().isEmpty())
            m_db->exec(s.trimmed());
    tx.commit();
}

ScriptedMessages::ScriptedMessages()
{
    Msg::setResponder([this](Msg::Kind kind, const QString &text, int buttons) {
        m_shown.append({kind, text, buttons});
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        for (int b : {Msg::Ok, Msg::Yes, Msg::No, Msg::Cancel})
            if (buttons & b)
                return b;
        return int(Msg::Ok);
    });
}

ScriptedMessages::~ScriptedMessages() { Msg::setResponder({}); }
