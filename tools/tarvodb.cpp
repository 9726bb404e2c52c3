// tarvodb: creates a new database file from the schema script and writes the rows a
// first start needs; with --demo also a demo municipality with a year of movements.

#include "DemoData.h"

#include "platform/DbCreate.h"
#include "platform/Errors.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvodb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Cria um banco de dados novo do Tarvo."));
    parser.addHelpOption();
    const QCommandLineOption demoOpt(QStringLiteral("demo"),
                                     QStringLiteral("Grava também os dados de demonstração."));
    const QCommandLineOption schemaOpt(QStringLiteral("schema"),
                                       QStringLiteral("Script do esquema (padrão: schema.sql ao lado do programa)."),
                                       QStringLiteral("arquivo"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"),
                                     QStringLiteral("Semente dos dados de demonstração."),
                                     QStringLiteral("número"), QStringLiteral("2026"));
    parser.addOptions({demoOpt, schemaOpt, seedOpt});
    parser.addPositionalArgument(QStringLiteral("banco"), QStringLiteral("Arquivo do banco a criar."));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        err() << "Uso: tarvodb [--demo] [--schema ARQUIVO] <arquivo do banco>\n";
        return 2;
    }
    // Embedded access wants a full path; a relative one would depend on the engine's cwd.
    const QString dbPath = QFileInfo(args.first()).absoluteFilePath();
    if (QFileInfo::exists(dbPath)) {
        err() << "O arquivo já existe e não será sobrescrito: " << QDir::toNativeSeparators(dbPath) << "\n";
        return 1;
    }

    const QString schemaPath = parser.isSet(schemaOpt)
                                   ? parser.value(schemaOpt)
                                   : QCoreApplication::applicationDirPath() + QStringLiteral("/schema.sql");
    QFile schemaFile(schemaPath);
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        err() << "Não foi possível ler o script do esquema: " << QDir::toNativeSeparators(schemaPath) << "\n";
        return 1;
    }
    const QString script = QString::fromUtf8(schemaFile.readAll());

    bool seedOk = false;
    const quint32 seed = parser.value(seedOpt).toUInt(&seedOk);
    if (!seedOk) {
        err() << "Semente inválida: " << parser.value(seedOpt) << "\n";
        return 2;
    }

    DbLocation location;
    location.database = dbPath;
    try {
        createDatabase(location, script);
        out() << "Banco criado: " << QDir::toNativeSeparators(dbPath) << "\n";
        auto db = openFirebird(location);
        DemoData::Summary total = DemoData::seedMinimum(*db);
        if (parser.isSet(demoOpt))
            total += DemoData::seedDemo(*db, seed, QDate::currentDate());

        out() << "Secretarias: " << total.secretariats << "\n"
              << "Grupos de usuários: " << total.groups << "\n"
              << "Usuários: " << total.users << "\n";
        if (parser.isSet(demoOpt)) {
            out() << "Fornecedores: " << total.suppliers << "\n"
                  << "Recursos: " << total.resources << "\n"
                  << "Grupos de atividades: " << total.activityGroups << "\n"
                  << "Atividades: " << total.activities << "\n"
                  << "Beneficiários: " << total.beneficiaries << "\n"
                  << "Lançamentos (com itens de requisições): " << total.entries << "\n"
                  << "Requisições: " << total.requisitions << "\n"
                  << "Créditos a fornecedores: " << total.credits << "\n";
        }
        out() << "Usuário master: login " << DemoData::masterLogin() << ", senha "
              << DemoData::masterPassword() << "\n";
        if (parser.isSet(demoOpt)) {
            for (const DemoData::DemoUser &u : DemoData::demoUsers())
                out() << "Usuário de " << u.secretariat << ": login " << u.login << ", senha "
                      << u.password << "\n";
        }
    } catch (const TarvoError &e) {
        err() << "Erro: " << e.message() << "\n";
        // A half-made file would block the next attempt.
        QFile::remove(dbPath);
        return 1;
    }
    return 0;
}
