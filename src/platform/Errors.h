#pragma once

#include <QString>
#include <stdexcept>

// An error meant for the user: its message is shown by the application-wide handler.
class TarvoError : public std::runtime_error
{
public:
    explicit TarvoError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A refusal from the database, with Firebird's SQLCODE (-803 duplicate key,
// -913 update conflict, -530 foreign key) and the statement for the log.
class DbError : public TarvoError
{
public:
    DbError(const QString &message, int sqlCode, const QString &statement = {})
        : TarvoError(message), m_sqlCode(sqlCode), m_statement(statement) {}
    int sqlCode() const { return m_sqlCode; }
    QString statement() const { return m_statement; }

private:
    int m_sqlCode;
    QString m_statement;
};

// Silently abandons the current action (a handler refusing a post, say).
class AbortAction : public std::exception
{
public:
    const char *what() const noexcept override { return "abort"; }
};
