#include "platform/Db.h"
#include "platform/Errors.h"
#include "platform/Money.h"
#include "support/TestDb.h"

#include <QDate>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>
#include <optional>

namespace {

qint64 nextCode(Db &db, const QString &procedure)
{
    const QVariant v = db.scalar(QStringLiteral("SELECT CODIGO FROM ") + procedure);
    if (!v.isValid())
        throw TarvoError(QStringLiteral("no code from ") + procedure);
    return v.toLongLong();
}

qint64 count(Db &db, const QString &table, const QString &where)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where)).toLongLong();
}

QVariant money(qint64 amount) { return QVariant::fromValue(Money::fromCents(amount)); }

// Money as read back, in a form that also shows a null or a value of the wrong type.
QString cents(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("null");
    if (v.metaType() != QMetaType::fromType<Money>())
        return QStringLiteral("%1 as %2").arg(v.toString(), QLatin1String(v.metaType().name()));
    return QString::number(v.value<Money>().cents());
}

QDate monthOf(const QDate &d) { return QDate(d.year(), d.month(), 1); }

// One secretariat with one row of every master table, all with code 1.
const char *const kBase =
    "INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAÚDE');"
    "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (1, 'G1');"
    "INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, NOME, LOGIN, SENHA, MARTER, HABILITADO, CDSETOR)"
    " VALUES (1, 1, 'U1', 'U1', '1', 'N', 'S', 1);"
    "INSERT INTO GRUPOATIV (CDGRUPO, CDSETOR, NOME) VALUES (1, 1, 'GA1');"
    "INSERT INTO ATIVIDADE (CDATIVIDADE, NOME, CDSETOR, CDGRUPO, GASTOTOT, MARCAR)"
    " VALUES (1, 'A1', 1, 1, 1000000, 'N');"
    "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'F1', 1);"
    "INSERT INTO RECURSO (CDRECURSO, CDSETOR, NOME) VALUES (1, 1, 'R1');"
    "INSERT INTO BENEFICIARIO (CDBENEFICIARIO, NOME, CDSETOR) VALUES (1, 'B1', 1)";

} // namespace

class TstPlatformSchema : public QObject
{
    Q_OBJECT

private slots:
    void codesNeverRepeat_data();
    void codesNeverRepeat();
    void referencedDeleteRefused_data();
    void referencedDeleteRefused();
    void groupDeleteTakesItsMenuRows();
    void requisitionDeleteFreesItsItems();
    void supplierBalanceFollowsMovements();
    void moneyRoundTrip_data();
    void moneyRoundTrip();
    void concurrentSavesForOneSupplierMonth_data();
    void concurrentSavesForOneSupplierMonth();
};

void TstPlatformSchema::codesNeverRepeat_data()
{
    QTest::addColumn<QString>("procedure");
    QTest::newRow("entries") << QStringLiteral("INCREMENTA_CD_LANCAMENTO");
    QTest::newRow("credits") << QStringLiteral("INCREMENTA_CD_LANCAMENTOCRED");
    QTest::newRow("requisitions") << QStringLiteral("INCREMENTA_CD_AUTO");
}

void TstPlatformSchema::codesNeverRepeat()
{
    QFETCH(QString, procedure);
    TestDb t;
    auto second = t.connectAgain();
    Db &a = t.db();
    Db &b = *second;

    QSet<qint64> seen;
    auto take = [&](Db &db) {
        const qint64 c = nextCode(db, procedure);
        QVERIFY2(!seen.contains(c), qPrintable(QStringLiteral("code %1 handed out twice").arg(c)));
        seen.insert(c);
    };

    // Both workstations hold open transactions while drawing in turn.
    a.begin();
    b.begin();
    for (int i = 0; i < 30; ++i) {
        take(i % 3 == 1 ? b : a);
        if (QTest::currentTestFailed())
            return;
    }
    a.commit();
    b.commit();
    // Outside any explicit transaction too.
    take(a);
    take(b);

    // A code drawn by a transaction that is then rolled back stays used.
    for (Db *db : {&a, &b}) {
        db->begin();
        take(*db);
        db->rollback();
    }
    for (int i = 0; i < 6; ++i) {
        take(i % 2 ? a : b);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(seen.size(), 40);
}

void TstPlatformSchema::referencedDeleteRefused_data()
{
    QTest::addColumn<QString>("parentTable");
    QTest::addColumn<QString>("parentKey");
    QTest::addColumn<QString>("parentInsert");
    QTest::addColumn<QString>("childTable");
    QTest::addColumn<QString>("childKey");
    QTest::addColumn<QString>("childInsert");

    // Each parent gets code 9 and exactly one child referring to it, so the refusal can
    // only come from that reference.
    const QString setor9 = QStringLiteral("INSERT INTO SETOR (CDSETOR, NOME) VALUES (9, 'S9')");
    const QString ativ9 = QStringLiteral("INSERT INTO ATIVIDADE (CDATIVIDADE, NOME, CDSETOR) VALUES (9, 'A9', 1)");
    const QString forn9 = QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (9, 'F9', 1)");
    const QString rec9 = QStringLiteral("INSERT INTO RECURSO (CDRECURSO, CDSETOR, NOME) VALUES (9, 1, 'R9')");
    const QString benef9 = QStringLiteral("INSERT INTO BENEFICIARIO (CDBENEFICIARIO, NOME, CDSETOR) VALUES (9, 'B9', 1)");
    const QString user9 = QStringLiteral("INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, LOGIN, CDSETOR) VALUES (9, 1, 'U9', 1)");
    auto lanc = [](const QString &col, const QString &setor = QStringLiteral("1")) {
        return QStringLiteral("INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, %1) VALUES (9, %2, 9)")
            .arg(col, setor);
    };
    auto autor = [](const QString &col) {
        return QStringLiteral("INSERT INTO AUTORIZACAO (CDAUTORIZACAO, CDSETOR, NUMAUTO, %1) VALUES (9, 1, '9', 9)")
            .arg(col);
    };

    auto row = [](const char *name, const char *pt, const char *pk, const QString &pi, const char *ct,
                  const char *ck, const QString &ci) {
        QTest::newRow(name) << QString::fromLatin1(pt) << QString::fromLatin1(pk) << pi
                            << QString::fromLatin1(ct) << QString::fromLatin1(ck) << ci;
    };
    row("SETOR by USUARIO", "SETOR", "CDSETOR", setor9, "USUARIO", "CDUSUARIO",
        QStringLiteral("INSERT INTO USUARIO (CDUSUARIO, LOGIN, CDSETOR) VALUES (9, 'U9', 9)"));
    row("SETOR by FORNECEDOR", "SETOR", "CDSETOR", setor9, "FORNECEDOR", "CDFORNECEDOR",
        QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (9, 'F9', 9)"));
    row("SETOR by RECURSO", "SETOR", "CDSETOR", setor9, "RECURSO", "CDRECURSO",
        QStringLiteral("INSERT INTO RECURSO (CDRECURSO, CDSETOR, NOME) VALUES (9, 9, 'R9')"));
    row("SETOR by GRUPOATIV", "SETOR", "CDSETOR", setor9, "GRUPOATIV", "CDGRUPO",
        QStringLiteral("INSERT INTO GRUPOATIV (CDGRUPO, CDSETOR, NOME) VALUES (9, 9, 'GA9')"));
    row("SETOR by ATIVIDADE", "SETOR", "CDSETOR", setor9, "ATIVIDADE", "CDATIVIDADE",
        QStringLiteral("INSERT INTO ATIVIDADE (CDATIVIDADE, NOME, CDSETOR) VALUES (9, 'A9', 9)"));
    row("SETOR by BENEFICIARIO", "SETOR", "CDSETOR", setor9, "BENEFICIARIO", "CDBENEFICIARIO",
        QStringLiteral("INSERT INTO BENEFICIARIO (CDBENEFICIARIO, NOME, CDSETOR) VALUES (9, 'B9', 9)"));
    row("SETOR by LANCAMENTO", "SETOR", "CDSETOR", setor9, "LANCAMENTO", "CDLANCAMENTO",
        QStringLiteral("INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR) VALUES (9, 9)"));
    row("SETOR by AUTORIZACAO", "SETOR", "CDSETOR", setor9, "AUTORIZACAO", "CDAUTORIZACAO",
        QStringLiteral("INSERT INTO AUTORIZACAO (CDAUTORIZACAO, CDSETOR, NUMAUTO) VALUES (9, 9, '9')"));
    row("SETOR by LANCAMENTOCREDITO", "SETOR", "CDSETOR", setor9, "LANCAMENTOCREDITO", "CDLANCAMENTO",
        QStringLiteral("INSERT INTO LANCAMENTOCREDITO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR) VALUES (9, 9, 1)"));
    row("GRUPO by USUARIO", "GRUPO", "CDGRUPO", QStringLiteral("INSERT INTO GRUPO (CDGRUPO) VALUES (9)"),
        "USUARIO", "CDUSUARIO",
        QStringLiteral("INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, LOGIN, CDSETOR) VALUES (9, 9, 'U9', 1)"));
    row("GRUPOATIV by ATIVIDADE", "GRUPOATIV", "CDGRUPO",
        QStringLiteral("INSERT INTO GRUPOATIV (CDGRUPO, CDSETOR, NOME) VALUES (9, 1, 'GA9')"), "ATIVIDADE",
        "CDATIVIDADE",
        QStringLiteral("INSERT INTO ATIVIDADE (CDATIVIDADE, NOME, CDSETOR, CDGRUPO) VALUES (9, 'A9', 1, 9)"));
    row("ATIVIDADE by LANCAMENTO", "ATIVIDADE", "CDATIVIDADE", ativ9, "LANCAMENTO", "CDLANCAMENTO", lanc("CDATIVIDADE"));
    row("FORNECEDOR by LANCAMENTO", "FORNECEDOR", "CDFORNECEDOR", forn9, "LANCAMENTO", "CDLANCAMENTO", lanc("CDFORNECEDOR"));
    row("RECURSO by LANCAMENTO", "RECURSO", "CDRECURSO", rec9, "LANCAMENTO", "CDLANCAMENTO", lanc("CDRECURSO"));
    row("BENEFICIARIO by LANCAMENTO", "BENEFICIARIO", "CDBENEFICIARIO", benef9, "LANCAMENTO", "CDLANCAMENTO",
        lanc("CDBENEFICIARIO"));
    row("USUARIO by LANCAMENTO", "USUARIO", "CDUSUARIO", user9, "LANCAMENTO", "CDLANCAMENTO", lanc("CDUSUARIO"));
    row("ATIVIDADE by AUTORIZACAO", "ATIVIDADE", "CDATIVIDADE", ativ9, "AUTORIZACAO", "CDAUTORIZACAO", autor("CDATIVIDADE"));
    row("FORNECEDOR by AUTORIZACAO", "FORNECEDOR", "CDFORNECEDOR", forn9, "AUTORIZACAO", "CDAUTORIZACAO",
        autor("CDFORNECEDOR"));
    row("RECURSO by AUTORIZACAO", "RECURSO", "CDRECURSO", rec9, "AUTORIZACAO", "CDAUTORIZACAO", autor("CDRECURSO"));
    row("BENEFICIARIO by AUTORIZACAO", "BENEFICIARIO", "CDBENEFICIARIO", benef9, "AUTORIZACAO", "CDAUTORIZACAO",
        autor("CDBENEFICIARIO"));
    row("FORNECEDOR by LANCAMENTOCREDITO", "FORNECEDOR", "CDFORNECEDOR", forn9, "LANCAMENTOCREDITO", "CDLANCAMENTO",
        QStringLiteral("INSERT INTO LANCAMENTOCREDITO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR) VALUES (9, 1, 9)"));
    row("USUARIO by LANCAMENTOCREDITO", "USUARIO", "CDUSUARIO", user9, "LANCAMENTOCREDITO", "CDLANCAMENTO",
        QStringLiteral("INSERT INTO LANCAMENTOCREDITO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, CDUSUARIO) VALUES (9, 1, 1, 9)"));
}

void TstPlatformSchema::referencedDeleteRefused()
{
    QFETCH(QString, parentTable);
    QFETCH(QString, parentKey);
    QFETCH(QString, parentInsert);
    QFETCH(QString, childTable);
    QFETCH(QString, childKey);
    QFETCH(QString, childInsert);

    TestDb t;
    Db &db = t.db();
    t.execScript(QString::fromUtf8(kBase) + ';' + parentInsert + ';' + childInsert);
    const QString parentWhere = parentKey + QStringLiteral(" = 9");
    const QString deleteParent = QStringLiteral("DELETE FROM %1 WHERE %2").arg(parentTable, parentWhere);

    int sqlCode = 0;
    try {
        DbTransaction tx(db);
        db.exec(deleteParent);
        tx.commit();
    } catch (const DbError &e) {
        sqlCode = e.sqlCode();
    }
    QCOMPARE(sqlCode, -530);
    QCOMPARE(count(db, parentTable, parentWhere), 1);

    // Without the reference the same delete goes through.
    t.execScript(QStringLiteral("DELETE FROM %1 WHERE %2 = 9").arg(childTable, childKey));
    t.execScript(deleteParent);
    QCOMPARE(count(db, parentTable, parentWhere), 0);
}

void TstPlatformSchema::groupDeleteTakesItsMenuRows()
{
    TestDb t;
    Db &db = t.db();
    t.execScript(QStringLiteral(
        "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (1, 'G1');"
        "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (2, 'G2');"
        "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Cadastros_Base', 'S');"
        "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Movimentos', 'N');"
        "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (2, 'Cadastros_Base', 'N');"
        "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (2, 'Movimentos', 'S')"));

    try {
        t.execScript(QStringLiteral("DELETE FROM GRUPO WHERE CDGRUPO = 2"));
    } catch (const DbError &e) {
        QFAIL(qPrintable(QStringLiteral("group delete refused: ") + e.message()));
    }
    QCOMPARE(count(db, QStringLiteral("CONFIGACESSO"), QStringLiteral("CDGRUPO = 2")), 0);
    QCOMPARE(count(db, QStringLiteral("CONFIGACESSO"), QStringLiteral("CDGRUPO = 1")), 2);

    // A new group taking the freed code starts without rows of the old one.
    t.execScript(QStringLiteral("INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (2, 'NOVO')"));
    QCOMPARE(count(db, QStringLiteral("CONFIGACESSO"), QStringLiteral("CDGRUPO = 2")), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT VISIVEL FROM CONFIGACESSO WHERE CDGRUPO = 1 AND MENU = 'Movimentos'"))
                 .toString(),
             QStringLiteral("N"));
}

void TstPlatformSchema::requisitionDeleteFreesItsItems()
{
    TestDb t;
    Db &db = t.db();
    t.execScript(QString::fromUtf8(kBase) + QStringLiteral(
        ";INSERT INTO AUTORIZACAO (CDAUTORIZACAO, CDSETOR, NUMAUTO, CDFORNECEDOR) VALUES (1, 1, '001/2026', 1)"
        ";INSERT INTO AUTORIZACAO (CDAUTORIZACAO, CDSETOR, NUMAUTO, CDFORNECEDOR) VALUES (2, 1, '002/2026', 1)"
        ";INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDAUTORIZACAO, VALOR) VALUES (1, 1, 1, 10)"
        ";INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDAUTORIZACAO, VALOR) VALUES (2, 1, 1, 20)"
        ";INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDAUTORIZACAO, VALOR) VALUES (3, 1, 2, 30)"));

    try {
        t.execScript(QStringLiteral("DELETE FROM AUTORIZACAO WHERE CDAUTORIZACAO = 1"));
    } catch (const DbError &e) {
        QFAIL(qPrintable(QStringLiteral("requisition delete refused: ") + e.message()));
    }
    QCOMPARE(count(db, QStringLiteral("LANCAMENTO"), QStringLiteral("CDLANCAMENTO IN (1, 2) AND CDAUTORIZACAO IS NULL")), 2);
    QCOMPARE(count(db, QStringLiteral("LANCAMENTO"), QStringLiteral("CDLANCAMENTO = 3 AND CDAUTORIZACAO = 2")), 1);
    QCOMPARE(count(db, QStringLiteral("AUTORIZACAO"), QStringLiteral("1 = 1")), 1);
}

namespace {

struct Movement
{
    int setor = 0;
    std::optional<int> forn;
    QDate data;
    std::optional<qint64> valor;
};

using Movements = QMap<qint64, Movement>;

// The balance rows worked out from the movements, in the form read from the view.
QStringList expectedBalances(const Movements &entries, const Movements &credits)
{
    struct Month
    {
        qint64 debit = 0, credit = 0;
    };
    QMap<std::tuple<int, int, QDate>, Month> months;
    for (const Movement &m : entries)
        if (m.forn)
            months[{m.setor, *m.forn, monthOf(m.data)}].debit += m.valor.value_or(0);
    for (const Movement &m : credits)
        months[{m.setor, *m.forn, monthOf(m.data)}].credit += m.valor.value_or(0);

    QStringList out;
    for (auto it = months.constBegin(); it != months.constEnd(); ++it) {
        const auto [setor, forn, month] = it.key();
        qint64 balance = 0;
        for (auto jt = months.constBegin(); jt != months.constEnd(); ++jt) {
            const auto [s2, f2, m2] = jt.key();
            if (s2 == setor && f2 == forn && m2 <= month)
                balance += jt.value().debit - jt.value().credit;
        }
        out << QStringLiteral("%1 S%2 F%3 deb %4 cred %5 saldo %6")
                   .arg(month.toString(Qt::ISODate))
                   .arg(setor)
                   .arg(forn)
                   .arg(it.value().debit)
                   .arg(it.value().credit)
                   .arg(balance);
    }
    out.sort();
    return out;
}

QStringList actualBalances(Db &db)
{
    QStringList out;
    for (const QVariantMap &r : db.rows(QStringLiteral(
             "SELECT DTSALDO, CDSETOR, CDFORNECEDOR, TOTDEBITO, TOTCREDITO, SALDOATUAL FROM SALDOFORNECEDOR"))) {
        out << QStringLiteral("%1 S%2 F%3 deb %4 cred %5 saldo %6")
                   .arg(r.value(QStringLiteral("DTSALDO")).toDate().toString(Qt::ISODate))
                   .arg(r.value(QStringLiteral("CDSETOR")).toLongLong())
                   .arg(r.value(QStringLiteral("CDFORNECEDOR")).toLongLong())
                   .arg(cents(r.value(QStringLiteral("TOTDEBITO"))))
                   .arg(cents(r.value(QStringLiteral("TOTCREDITO"))))
                   .arg(cents(r.value(QStringLiteral("SALDOATUAL"))));
    }
    out.sort();
    return out;
}

QVariant optionalValue(const std::optional<int> &v) { return v ? QVariant(*v) : QVariant(); }
QVariant optionalMoney(const std::optional<qint64> &v) { return v ? money(*v) : QVariant(); }

} // namespace

void TstPlatformSchema::supplierBalanceFollowsMovements()
{
    TestDb t;
    Db &db = t.db();
    t.execScript(QStringLiteral(
        "INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'S1');"
        "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'S2');"
        "INSERT INTO USUARIO (CDUSUARIO, LOGIN, CDSETOR) VALUES (1, 'U1', 1);"
        "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (11, 'F11', 1);"
        "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (12, 'F12', 1);"
        "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (13, 'F13', 1);"
        "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (21, 'F21', 2);"
        "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (22, 'F22', 2);"
        "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (23, 'F23', 2)"));

    QRandomGenerator rng(20261211);
    auto supplierOf = [&](int setor) { return setor * 10 + 1 + int(rng.bounded(3)); };
    auto randomDate = [&]() { return QDate(2025, 11, 1).addDays(int(rng.bounded(181))); };
    auto randomValue = [&]() -> std::optional<qint64> {
        const quint32 r = rng.bounded(100);
        if (r < 4)
            return std::nullopt;
        if (r < 8)
            return 0;
        if (r < 14)
            return -qint64(rng.bounded(1, 50000));
        return qint64(rng.bounded(1, 2000000000)) * (r < 20 ? 500 : 1);
    };
    auto pickKey = [&](const Movements &m) { return m.keys().at(int(rng.bounded(qsizetype(m.size())))); };

    const QString insertEntry = QStringLiteral(
        "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, CDUSUARIO, DATA, DTSALDO, VALOR) "
        "VALUES (:CD, :SETOR, :FORN, 1, :DATA, :DTSALDO, :VALOR)");
    const QString insertCredit = QStringLiteral(
        "INSERT INTO LANCAMENTOCREDITO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, CDUSUARIO, DATA, DTSALDO, VALOR) "
        "VALUES (:CD, :SETOR, :FORN, 1, :DATA, :DTSALDO, :VALOR)");
    auto write = [&](const QString &table, qint64 cd, const Movement &m) {
        db.exec(QStringLiteral("UPDATE %1 SET CDSETOR = :SETOR, CDFORNECEDOR = :FORN, DATA = :DATA, "
                               "DTSALDO = :DTSALDO, VALOR = :VALOR WHERE CDLANCAMENTO = :CD")
                    .arg(table),
                {{QStringLiteral("CD"), cd},
                 {QStringLiteral("SETOR"), m.setor},
                 {QStringLiteral("FORN"), optionalValue(m.forn)},
                 {QStringLiteral("DATA"), m.data},
                 {QStringLiteral("DTSALDO"), monthOf(m.data)},
                 {QStringLiteral("VALOR"), optionalMoney(m.valor)}});
    };
    auto params = [](qint64 cd, const Movement &m) {
        return SqlParams{{QStringLiteral("CD"), cd},
                         {QStringLiteral("SETOR"), m.setor},
                         {QStringLiteral("FORN"), optionalValue(m.forn)},
                         {QStringLiteral("DATA"), m.data},
                         {QStringLiteral("DTSALDO"), monthOf(m.data)},
                         {QStringLiteral("VALOR"), optionalMoney(m.valor)}};
    };

    Movements entries, credits;
    int operations = 0;
    int checks = 0;
    while (operations < 400) {
        // Work goes in transactions of a few operations; some are rolled back.
        const Movements entriesBefore = entries, creditsBefore = credits;
        db.begin();
        const int batch = int(rng.bounded(1, 8));
        for (int i = 0; i < batch; ++i, ++operations) {
            const quint32 op = rng.bounded(100);
            if (op < 30 || entries.size() < 3) {
                Movement m;
                m.setor = 1 + int(rng.bounded(2));
                if (rng.bounded(10) != 0)
                    m.forn = supplierOf(m.setor);
                m.data = randomDate();
                m.valor = randomValue();
                const qint64 cd = nextCode(db, QStringLiteral("INCREMENTA_CD_LANCAMENTO"));
                db.exec(insertEntry, params(cd, m));
                entries.insert(cd, m);
            } else if (op < 45 || credits.size() < 3) {
                Movement m;
                m.setor = 1 + int(rng.bounded(2));
                m.forn = supplierOf(m.setor);
                m.data = randomDate();
                m.valor = randomValue();
                const qint64 cd = nextCode(db, QStringLiteral("INCREMENTA_CD_LANCAMENTOCRED"));
                db.exec(insertCredit, params(cd, m));
                credits.insert(cd, m);
            } else if (op < 80) {
                const bool credit = op >= 68;
                Movements &set = credit ? credits : entries;
                const qint64 cd = pickKey(set);
                Movement &m = set[cd];
                switch (rng.bounded(5)) {
                case 0: // to another month, as the screens rewrite DTSALDO from DATA
                    m.data = randomDate();
                    break;
                case 1: // to another supplier of the same secretariat
                    m.forn = (!credit && rng.bounded(4) == 0) ? std::optional<int>() : supplierOf(m.setor);
                    break;
                case 2: // to the other secretariat with one of its suppliers
                    m.setor = 3 - m.setor;
                    m.forn = supplierOf(m.setor);
                    break;
                case 3: // to the other secretariat keeping the supplier code
                    m.setor = 3 - m.setor;
                    if (!m.forn)
                        m.forn = supplierOf(m.setor);
                    break;
                default:
                    m.valor = randomValue();
                    break;
                }
                write(credit ? QStringLiteral("LANCAMENTOCREDITO") : QStringLiteral("LANCAMENTO"), cd, m);
            } else {
                const bool credit = op >= 92;
                Movements &set = credit ? credits : entries;
                const qint64 cd = pickKey(set);
                QCOMPARE(db.exec(QStringLiteral("DELETE FROM %1 WHERE CDLANCAMENTO = :CD")
                                     .arg(credit ? QStringLiteral("LANCAMENTOCREDITO") : QStringLiteral("LANCAMENTO")),
                                 {{QStringLiteral("CD"), cd}}),
                         1);
                set.remove(cd);
            }
        }
        if (rng.bounded(6) == 0) {
            db.rollback();
            entries = entriesBefore;
            credits = creditsBefore;
        } else {
            db.commit();
        }
        if (rng.bounded(5) == 0 || operations >= 400) {
            ++checks;
            const QStringList expected = expectedBalances(entries, credits);
            QVERIFY(!expected.isEmpty());
            QCOMPARE(actualBalances(db), expected);
        }
    }
    QVERIFY(checks > 5);
}

void TstPlatformSchema::moneyRoundTrip_data()
{
    QTest::addColumn<qint64>("amount");
    QTest::newRow("one cent") << qint64(1);
    QTest::newRow("largest NUMERIC(15,2)") << qint64(999999999999999);
    QTest::newRow("negative 0.29") << qint64(-29);
}

void TstPlatformSchema::moneyRoundTrip()
{
    QFETCH(qint64, amount);
    TestDb t;
    Db &db = t.db();
    t.execScript(QString::fromUtf8(kBase));
    {
        DbTransaction tx(db);
        db.exec(QStringLiteral("INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DATA, DTSALDO, VALOR, VALUNIT) "
                               "VALUES (1, 1, 1, :DATA, :DTSALDO, :VALOR, :VALUNIT)"),
                {{QStringLiteral("DATA"), QDate(2026, 3, 17)},
                 {QStringLiteral("DTSALDO"), QDate(2026, 3, 1)},
                 {QStringLiteral("VALOR"), money(amount)},
                 {QStringLiteral("VALUNIT"), money(amount)}});
        tx.commit();
    }
    const QVector<QVariantMap> rows =
        db.rows(QStringLiteral("SELECT VALOR, VALUNIT FROM LANCAMENTO WHERE CDLANCAMENTO = 1"));
    QCOMPARE(rows.size(), 1);
    for (const QString &col : {QStringLiteral("VALOR"), QStringLiteral("VALUNIT")}) {
        const QVariant v = rows.first().value(col);
        QCOMPARE(cents(v), QString::number(amount));
    }
    // The balance view passes the amount through its sums unchanged.
    const QVector<QVariantMap> saldo =
        db.rows(QStringLiteral("SELECT TOTDEBITO, SALDOATUAL FROM SALDOFORNECEDOR WHERE CDFORNECEDOR = 1"));
    QCOMPARE(saldo.size(), 1);
    QCOMPARE(cents(saldo.first().value(QStringLiteral("TOTDEBITO"))), QString::number(amount));
    QCOMPARE(cents(saldo.first().value(QStringLiteral("SALDOATUAL"))), QString::number(amount));
}

void TstPlatformSchema::concurrentSavesForOneSupplierMonth_data()
{
    QTest::addColumn<QString>("firstTable");
    QTest::addColumn<QString>("secondTable");
    QTest::addColumn<bool>("update");
    QTest::newRow("entry and entry") << QStringLiteral("LANCAMENTO") << QStringLiteral("LANCAMENTO") << false;
    QTest::newRow("credit and credit") << QStringLiteral("LANCAMENTOCREDITO") << QStringLiteral("LANCAMENTOCREDITO") << false;
    QTest::newRow("entry and credit") << QStringLiteral("LANCAMENTO") << QStringLiteral("LANCAMENTOCREDITO") << false;
    QTest::newRow("two entries edited") << QStringLiteral("LANCAMENTO") << QStringLiteral("LANCAMENTO") << true;
}

void TstPlatformSchema::concurrentSavesForOneSupplierMonth()
{
    QFETCH(QString, firstTable);
    QFETCH(QString, secondTable);
    QFETCH(bool, update);

    TestDb t;
    t.execScript(QString::fromUtf8(kBase) + QStringLiteral(
        ";INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DATA, DTSALDO, VALOR)"
        " VALUES (101, 1, 1, '2026-05-02', '2026-05-01', 1.00)"
        ";INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DATA, DTSALDO, VALOR)"
        " VALUES (102, 1, 1, '2026-05-03', '2026-05-01', 2.00)"));
    auto second = t.connectAgain();
    Db &a = t.db();
    Db &b = *second;

    auto save = [&](Db &db, const QString &table, qint64 cd, qint64 amount) {
        const SqlParams p{{QStringLiteral("CD"), cd},
                          {QStringLiteral("DATA"), QDate(2026, 5, 20)},
                          {QStringLiteral("DTSALDO"), QDate(2026, 5, 1)},
                          {QStringLiteral("VALOR"), money(amount)}};
        if (update)
            db.exec(QStringLiteral("UPDATE %1 SET DATA = :DATA, DTSALDO = :DTSALDO, VALOR = :VALOR "
                                   "WHERE CDLANCAMENTO = :CD").arg(table), p);
        else
            db.exec(QStringLiteral("INSERT INTO %1 (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, CDUSUARIO, DATA, DTSALDO, VALOR) "
                                   "VALUES (:CD, 1, 1, 1, :DATA, :DTSALDO, :VALOR)").arg(table), p);
    };
    const qint64 cdA = update ? 101 : 1;
    const qint64 cdB = update ? 102 : 2;

    try {
        a.begin();
        b.begin();
        save(a, firstTable, cdA, 12345);
        save(b, secondTable, cdB, 67890);
        a.commit();
        b.commit();
    } catch (const DbError &e) {
        QFAIL(qPrintable(QStringLiteral("concurrent save refused (SQLCODE %1): %2").arg(e.sqlCode()).arg(e.message())));
    }

    qint64 debit = update ? 0 : 300, credit = 0;
    (firstTable == QLatin1String("LANCAMENTO") ? debit : credit) += 12345;
    (secondTable == QLatin1String("LANCAMENTO") ? debit : credit) += 67890;
    for (Db *db : {&a, &b}) {
        const QVector<QVariantMap> rows = db->rows(QStringLiteral(
            "SELECT TOTDEBITO, TOTCREDITO, SALDOATUAL FROM SALDOFORNECEDOR "
            "WHERE CDSETOR = 1 AND CDFORNECEDOR = 1 AND DTSALDO = '2026-05-01'"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(cents(rows.first().value(QStringLiteral("TOTDEBITO"))), QString::number(debit));
        QCOMPARE(cents(rows.first().value(QStringLiteral("TOTCREDITO"))), QString::number(credit));
        QCOMPARE(cents(rows.first().value(QStringLiteral("SALDOATUAL"))), QString::number(debit - credit));
    }
}

QTEST_GUILESS_MAIN(TstPlatformSchema)
#include "tst_platform_schema.moc"
