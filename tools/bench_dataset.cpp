// bench_dataset: how long the entry screen's in-memory copy takes to open, and how much
// memory it holds, on one secretariat with a large number of entries.

#include "DemoData.h"

#include "platform/ClientDataSet.h"
#include "platform/DbCreate.h"
#include "platform/Errors.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

// Resident set size in kB as the kernel reports it.
qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QString mb(qint64 kb) { return QString::number(double(kb) / 1024.0, 'f', 1) + QStringLiteral(" MB"); }
QString ms(qint64 nsecs) { return QString::number(double(nsecs) / 1e6, 'f', 0) + QStringLiteral(" ms"); }

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rowsOpt(QStringLiteral("rows"), QStringLiteral("Entries to generate."),
                                     QStringLiteral("n"), QStringLiteral("200000"));
    const QCommandLineOption schemaOpt(QStringLiteral("schema"), QStringLiteral("Schema script."),
                                       QStringLiteral("file"));
    const QCommandLineOption dbOpt(QStringLiteral("database"),
                                   QStringLiteral("Keep the seeded database in this file; an existing "
                                                  "file is opened as it is (a fresh process on a "
                                                  "database written earlier)."),
                                   QStringLiteral("file"));
    parser.addOptions({rowsOpt, schemaOpt, dbOpt});
    parser.process(app);
    const int rows = parser.value(rowsOpt).toInt();

    const QString schemaPath = parser.isSet(schemaOpt)
                                   ? parser.value(schemaOpt)
                                   : QCoreApplication::applicationDirPath() + QStringLiteral("/schema.sql");
    QFile schemaFile(schemaPath);
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        out() << "cannot read schema script " << schemaPath << Qt::endl;
        return 1;
    }

    QTemporaryDir dir;
    DbLocation location;
    location.database = parser.isSet(dbOpt) ? parser.value(dbOpt)
                                            : dir.filePath(QStringLiteral("bench.fdb"));
    try {
        const bool existing = QFile::exists(location.database);
        if (!existing)
            createDatabase(location, QString::fromUtf8(schemaFile.readAll()));
        auto db = openFirebird(location);
        QElapsedTimer timer;
        timer.start();
        if (!existing) {
            DemoData::seedMinimum(*db);
            DemoData::seedBulkEntries(*db, 1, rows, 42);
            out() << "seed:   " << rows << " LANCAMENTO rows in " << ms(timer.nsecsElapsed()) << Qt::endl;
        } else {
            out() << "database: " << location.database << " (as written earlier)" << Qt::endl;
        }

        const auto openOnce = [&](const char *label) {
            ClientDataSet ds;
            ds.setDb(db.get());
            ds.setCommandText(QStringLiteral("SELECT * FROM LANCAMENTO WHERE CDSETOR = :CODSETOR"));
            ds.setParam(QStringLiteral("CODSETOR"), 1);
            const qint64 before = residentKb();
            timer.restart();
            ds.open();
            const qint64 openNs = timer.nsecsElapsed();
            const qint64 after = residentKb();
            out() << "open (" << label << "): " << ds.recordCount() << " rows, " << ds.fieldCount()
                  << " fields in " << ms(openNs) << ", resident set +" << mb(after - before) << " ("
                  << mb(before) << " -> " << mb(after) << ")" << Qt::endl;

            ds.setFiltered(true);
            for (const QString &f : {QStringLiteral("( VALOR > 10000 )"), QStringLiteral("( EMPENHADO = 'S' )"),
                                     QStringLiteral("( VALOR > 10000 ) and ( EMPENHADO = 'S' )"),
                                     QStringLiteral("( DESCRICAO like 'MEDIC%' )")}) {
                timer.restart();
                ds.setFilter(f);
                out() << "  filter " << f << ": " << ds.recordCount() << " rows in "
                      << ms(timer.nsecsElapsed()) << Qt::endl;
            }
            timer.restart();
            ds.setFiltered(false);
            out() << "  filter off: " << ds.recordCount() << " rows in " << ms(timer.nsecsElapsed())
                  << Qt::endl;

            timer.restart();
            ds.setIndexFieldNames(QStringLiteral("DATA"));
            out() << "  sort DATA: " << ms(timer.nsecsElapsed()) << Qt::endl;
            timer.restart();
            ds.setIndexFieldNames(QStringLiteral("DESCRICAO;VALOR"));
            out() << "  sort DESCRICAO;VALOR: " << ms(timer.nsecsElapsed()) << Qt::endl;
            timer.restart();
            ds.setIndexFieldNames(QString());
            out() << "  sort off: " << ms(timer.nsecsElapsed()) << Qt::endl;

            timer.restart();
            ds.close();
            out() << "  close: " << ms(timer.nsecsElapsed()) << ", resident set " << mb(residentKb())
                  << Qt::endl;
            return std::make_pair(openNs, after - before);
        };

        const auto first = openOnce("first");
        openOnce("again");
        out() << "result: open " << ms(first.first) << " (target < 1500 ms), memory +"
              << mb(first.second) << " (target < 150 MB)" << Qt::endl;
    } catch (const TarvoError &e) {
        out() << "error: " << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}
