#include "platform/DbCreate.h"
#include "platform/Errors.h"

#include <QFileInfo>
#include <ibase.h>

QStringList splitSqlScript(const QString &script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString cur;
    const int n = script.size();
    auto flush = [&]() {
        const QString s = cur.trimmed();
        cur.clear();
        if (s.isEmpty())
            return;
        const QString upper = s.toUpper();
        if (upper.startsWith(QLatin1String("SET ")) || upper == QLatin1String("COMMIT"))
            return;
        out << s;
    };
    for (int i = 0; i < n;) {
        const QChar c = script.at(i);
        if (c == '-' && i + 1 < n && script.at(i + 1) == '-') {
            while (i < n && script.at(i) != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && script.at(i + 1) == '*') {
            const int end = script.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            cur += ' ';
            continue;
        }
        if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < n) {
                if (script.at(j) == c) {
                    if (j + 1 < n && script.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            cur += script.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        // SET TERM changes the terminator; it is itself ended by the current one.
        if (cur.trimmed().isEmpty() && script.mid(i, 8).toUpper() == QLatin1String("SET TERM")) {
            const int end = script.indexOf(term, i + 8);
            const int oldSize = int(term.size());
            term = script.mid(i + 8, (end < 0 ? n : end) - i - 8).trimmed();
            i = end < 0 ? n : end + oldSize;
            continue;
        }
        if (script.mid(i, term.size()) == term) {
            flush();
            i += term.size();
            continue;
        }
        cur += c;
        ++i;
    }
    flush();
    return out;
}

void createDatabase(const DbLocation &location, const QString &script)
{
    if (QFileInfo::exists(location.database))
        throw DbError(QStringLiteral("O arquivo já existe: %1").arg(location.database), 0);
    const QByteArray sql = QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3' "
                                          "PAGE_SIZE 8192 DEFAULT CHARACTER SET ISO8859_1")
                               .arg(QString(location.database).replace('\'', "''"), location.user,
                                    location.password)
                               .toUtf8();
    ISC_STATUS_ARRAY status{};
    isc_db_handle dbh = 0;
    isc_tr_handle trh = 0;
    if (isc_dsql_execute_immediate(status, &dbh, &trh, 0, sql.constData(), 3, nullptr)) {
        char buf[512];
        const ISC_STATUS *p = status;
        QString msg;
        while (fb_interpret(buf, sizeof buf, &p))
            msg += QString::fromLocal8Bit(buf) + ' ';
        throw DbError(msg.trimmed(), int(isc_sqlcode(status)), QString::fromUtf8(sql));
    }
    isc_detach_database(status, &dbh);

    auto db = openFirebird(location);
    for (const QString &stmt : splitSqlScript(script)) {
        db->begin();
        db->exec(stmt);
        db->commit();
    }
}
