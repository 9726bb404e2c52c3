#include "shell/IniFile.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>

QString findFileNoCase(const QString &dir, const QString &fileName)
{
    const QDir d(dir);
    if (d.exists(fileName))
        return d.filePath(fileName);
    const QStringList entries = d.entryList(QDir::Files);
    for (const QString &e : entries)
        if (e.compare(fileName, Qt::CaseInsensitive) == 0)
            return d.filePath(e);
    return d.filePath(fileName);
}

QString readIniValue(const QString &fileName, const QString &section, const QString &key,
                     const QString &defaultValue)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return defaultValue;
    const QByteArray bytes = f.readAll();
    // Written by Notepad on Windows it is ANSI; a UTF-8 file is taken as such.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    bool inSection = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const int end = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, end < 0 ? -1 : end - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && ((value.startsWith('"') && value.endsWith('"')) ||
                                  (value.startsWith('\'') && value.endsWith('\''))))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return defaultValue;
}
