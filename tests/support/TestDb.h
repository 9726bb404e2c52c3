#pragma once

#include "platform/Db.h"
#include "platform/MessageService.h"

#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <memory>

// A fresh embedded database built from the project's schema script, one per test case:
// the schema runs once per test program into a template file that each case copies.
class TestDb
{
public:
    TestDb();
    ~TestDb();
    Db &db() { return *m_db; }
    QString path() const { return m_path; }
    DbLocation location() const;
    // A second, independent connection to the same database (another workstation).
    std::unique_ptr<Db> connectAgain() const;
    // Runs statements separated by ";" (no procedures), committing at the end.
    void execScript(const QString &statements);

    static QString schemaPath();

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<Db> m_db;
};

// Replaces the message boxes while alive: records each box and answers from a queue
// (Ok, or the first button offered, when the queue is empty).
class ScriptedMessages
{
public:
    struct Shown
    {
        Msg::Kind kind;
        QString text;
        int buttons;
    };
    ScriptedMessages();
    ~ScriptedMessages();
    void answer(int button) { m_answers.append(button); }
    const QVector<Shown> &shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear() { m_shown.clear(); }

private:
    QVector<Shown> m_shown;
    QVector<int> m_answers;
};
