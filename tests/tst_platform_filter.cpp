#include "platform/ClientDataSet.h"
#include "platform/Errors.h"
#include "platform/FilterExpression.h"
#include "support/TestDb.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// Rows made up in memory, for volumes a real database would take too long to fill.
class GeneratedDb : public Db
{
public:
    explicit GeneratedDb(int rows) : m_rows(rows) {}
    static QString nameOf(int i) { return i % 3 == 0 ? QStringLiteral("ABC %1").arg(i) : QStringLiteral("XYZ"); }
    static qint64 centsOf(int i) { return (i * 37) % 100000; }
    static QDate dateOf(int i) { return QDate(2006, 1, 1).addDays(i % 730); }

    void query(const QString &, const SqlParams &, const ColumnsFn &onColumns, const RowFn &onRow) override
    {
        QVector<ColumnInfo> cols(4);
        cols[0] = {QStringLiteral("CODIGO"), FieldType::Integer, 0, true};
        cols[1] = {QStringLiteral("NOME"), FieldType::String, 50};
        cols[2] = {QStringLiteral("VALOR"), FieldType::Money, 0};
        cols[3] = {QStringLiteral("DATA"), FieldType::Date, 0};
        onColumns(cols);
        QVariant v[4];
        for (int i = 0; i < m_rows; ++i) {
            v[0] = qlonglong(i);
            v[1] = nameOf(i);
            v[2] = QVariant::fromValue(Money::fromCents(centsOf(i)));
            v[3] = dateOf(i);
            onRow(v);
        }
    }
    int exec(const QString &, const SqlParams &) override { return 0; }
    QVector<ColumnInfo> tableColumns(const QString &) override { return {}; }
    void begin() override {}
    void commit() override {}
    void rollback() override {}
    bool inTransaction() const override { return false; }

private:
    int m_rows;
};

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDb> t;
    std::unique_ptr<ClientDataSet> fornecedores;
    std::unique_ptr<ClientDataSet> lancamentos;

    QList<int> visibleCodes() const
    {
        QList<int> codes;
        const int k = lancamentos->fieldIndex("CDLANCAMENTO");
        lancamentos->forEachRow([&](int phys) { codes << int(lancamentos->valueAt(phys, k).toLongLong()); });
        return codes;
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDb>();
        t->execScript(
            "INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'ABC LTDA', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (2, 'ABRIL', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (3, 'D''AVILA', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (12, 'ZETA', 1);"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO, QUANT)"
            " VALUES (1, 1, 1, 'PAPEL A4', '2006-12-31', 12.50, 'S', 10);"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO, QUANT)"
            " VALUES (2, 1, 2, 'CANETA', '2007-01-15', 12.05, 'N', 5);"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO)"
            " VALUES (3, 1, 3, 'D''AGUA MINERAL', '2006-12-30', 1234.56, 'S');"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, QUANT, OBS)"
            " VALUES (4, 1, 12, 'PAPEL CARTAO', '2008-02-29', -3.00, 12, 'X');"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, DESCRICAO, EMPENHADO, QUANT)"
            " VALUES (5, 1, 'CLIPS', 'N', 1)");
        fornecedores = std::make_unique<ClientDataSet>();
        fornecedores->setDb(&t->db());
        fornecedores->setCommandText("SELECT * FROM FORNECEDOR");
        fornecedores->open();
        lancamentos = std::make_unique<ClientDataSet>();
        lancamentos->setDb(&t->db());
        lancamentos->setCommandText("SELECT * FROM LANCAMENTO ORDER BY CDLANCAMENTO");
        lancamentos->addLookupField("NOMEFORN", "CDFORNECEDOR", fornecedores.get(), "CDFORNECEDOR", "NOME",
                                    FieldType::String, 50);
        lancamentos->open();
    }
    void cleanup()
    {
        lancamentos.reset();
        fornecedores.reset();
        t.reset();
    }

    void keepsMatchingRows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("codes");
        using L = QList<int>;
        QTest::newRow("like prefix") << "( DESCRICAO like 'PAPEL%' )" << L{1, 4};
        QTest::newRow("like is case-sensitive") << "( DESCRICAO like 'papel%' )" << L{};
        QTest::newRow("keywords and names in any case") << "( descricao LIKE 'PAPEL%' AND Quant > 10 )" << L{4};
        QTest::newRow("like single character") << "( DESCRICAO like '_A%' )" << L{1, 2, 4};
        QTest::newRow("like inside") << "( DESCRICAO like '%TA%' )" << L{2, 4};
        QTest::newRow("like without wildcard is equality") << "( DESCRICAO like 'CANETA' )" << L{2};
        QTest::newRow("not like") << "( DESCRICAO not like 'PAPEL%' )" << L{2, 3, 5};
        QTest::newRow("text equal") << "( DESCRICAO = 'CANETA' )" << L{2};
        QTest::newRow("doubled quote equal") << "( DESCRICAO = 'D''AGUA MINERAL' )" << L{3};
        QTest::newRow("doubled quote like") << "( DESCRICAO like 'D''A%' )" << L{3};
        QTest::newRow("integer as searched") << "( CDFORNECEDOR =  12 )" << L{4};
        QTest::newRow("integer range") << "( CDFORNECEDOR >= 2 and CDFORNECEDOR < 12 )" << L{2, 3};
        QTest::newRow("integer as quoted text") << "( CDLANCAMENTO = '3' )" << L{3};
        QTest::newRow("integer never equals a fraction") << "( QUANT = 10,5 )" << L{};
        QTest::newRow("money decimal comma") << "( VALOR =  12,50 )" << L{1};
        QTest::newRow("money one decimal") << "( VALOR = 12,5 )" << L{1};
        QTest::newRow("money decimal point") << "( VALOR = 12.05 )" << L{2};
        QTest::newRow("money greater") << "( VALOR > 12,05 )" << L{1, 3};
        QTest::newRow("money negative") << "( VALOR =  -3,00 )" << L{4};
        QTest::newRow("money below zero") << "( VALOR < 0 )" << L{4};
        QTest::newRow("money not equal skips null") << "( VALOR <> 12,5 )" << L{2, 3, 4};
        QTest::newRow("date as searched") << "( DATA =  '31/12/2006' )" << L{1};
        QTest::newRow("date before, null excluded") << "( DATA < '01/01/2007' )" << L{1, 3};
        QTest::newRow("date on or after") << "( DATA >= '29/02/2008' )" << L{4};
        QTest::newRow("flag") << "( EMPENHADO =  'S' )" << L{1, 3};
        QTest::newRow("flag not equal skips null") << "( EMPENHADO <> 'S' )" << L{2, 5};
        QTest::newRow("is null") << "( EMPENHADO is null )" << L{4};
        QTest::newRow("is not null") << "( OBS IS NOT NULL )" << L{4};
        QTest::newRow("not") << "not ( EMPENHADO = 'S' )" << L{2, 4, 5};
        QTest::newRow("or") << "( EMPENHADO = 'S' ) or ( CDFORNECEDOR = 12 )" << L{1, 3, 4};
        QTest::newRow("parentheses") << "( EMPENHADO = 'N' or EMPENHADO = 'S' ) and ( QUANT > 4 )" << L{1, 2};
        QTest::newRow("and binds tighter than or") << "EMPENHADO = 'N' or EMPENHADO = 'S' and QUANT > 4" << L{1, 2, 5};
        QTest::newRow("literal first") << "( 12 = CDFORNECEDOR )" << L{4};
        QTest::newRow("literal first flips order") << "( 3 < CDFORNECEDOR )" << L{4};
        QTest::newRow("two conditions as combined by the search")
            << "( DESCRICAO like 'PAPEL%' ) and ( VALOR =  -3,00 )" << L{4};
        QTest::newRow("lookup equal is prefix") << "( NOMEFORN = 'AB' )" << L{1, 2};
        QTest::newRow("lookup not equal") << "( NOMEFORN <> 'AB' )" << L{3, 4};
        QTest::newRow("lookup prefix with quote") << "( NOMEFORN = 'D''A' )" << L{3};
        QTest::newRow("lookup like") << "( NOMEFORN like '%VILA' )" << L{3};
        QTest::newRow("empty text keeps everything") << "  " << L{1, 2, 3, 4, 5};
    }
    void keepsMatchingRows()
    {
        QFETCH(QString, filter);
        QFETCH(QList<int>, codes);
        lancamentos->setFilter(filter);
        lancamentos->setFiltered(true);
        QCOMPARE(visibleCodes(), codes);
        QCOMPARE(lancamentos->recordCount(), codes.size());
    }

    void switchingFilterOffShowsAll()
    {
        lancamentos->setFilter("( VALOR =  12,50 )");
        lancamentos->setFiltered(true);
        QCOMPARE(lancamentos->recordCount(), 1);
        lancamentos->setFiltered(false);
        QCOMPARE(visibleCodes(), (QList<int>{1, 2, 3, 4, 5}));
    }

    void refusesBadText_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown field") << "( NADA = 1 )" << "NADA";
        QTest::newRow("unclosed parenthesis") << "( DESCRICAO = 'ABC' " << "";
        QTest::newRow("unclosed text") << "( DESCRICAO like 'ABC )" << "";
        QTest::newRow("missing value") << "( DESCRICAO = )" << "";
        QTest::newRow("missing operator") << "( DESCRICAO 'ABC' )" << "";
        QTest::newRow("trailing words") << "( CDFORNECEDOR = 1 ) CDSETOR" << "";
        QTest::newRow("unquoted text") << "( DESCRICAO like ABC% )" << "";
        QTest::newRow("not a date") << "( DATA = 'ABC' )" << "DATA";
        QTest::newRow("no such day") << "( DATA = '31/02/2006' )" << "DATA";
        QTest::newRow("number against date") << "( DATA = 12 )" << "DATA";
        QTest::newRow("text against money") << "( VALOR = 'X' )" << "VALOR";
        QTest::newRow("number against text") << "( DESCRICAO = 12 )" << "DESCRICAO";
        QTest::newRow("like against a number") << "( DESCRICAO like 12 )" << "";
        QTest::newRow("stray character") << "( CDFORNECEDOR = 1 ) ; drop" << "";
    }
    void refusesBadText()
    {
        QFETCH(QString, filter);
        QFETCH(QString, mentions);
        try {
            FilterExpression::compile(filter, *lancamentos);
            QFAIL("the filter was accepted");
        } catch (const TarvoError &e) {
            QVERIFY(!e.message().isEmpty());
            QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
        }
    }

    void badFilterOnDataSetRaises()
    {
        lancamentos->setFilter("( NOME like 'ABC%' )");
        QVERIFY_THROWS_EXCEPTION(TarvoError, lancamentos->setFiltered(true));
    }

    void filtersManyRowsQuickly()
    {
        const int rows = 200000;
        GeneratedDb db(rows);
        ClientDataSet ds;
        ds.setDb(&db);
        ds.setCommandText("SELECT * FROM GERADO");
        ds.open();
        QCOMPARE(ds.recordCount(), rows);
        const QDate from(2006, 6, 1);
        int expected = 0;
        for (int i = 0; i < rows; ++i)
            if (GeneratedDb::nameOf(i).startsWith("ABC") && GeneratedDb::centsOf(i) >= 50000
                && GeneratedDb::dateOf(i) >= from)
                ++expected;
        QVERIFY(expected > 0 && expected < rows / 3);

        QElapsedTimer timer;
        timer.start();
        ds.setFilter("( NOME like 'ABC%' ) and ( VALOR >=  500,00 ) and ( DATA >= '01/06/2006' )");
        ds.setFiltered(true);
        const qint64 ms = timer.elapsed();
        QCOMPARE(ds.recordCount(), expected);
        QVERIFY2(ms < 1000, qPrintable(QString("took %1 ms").arg(ms)));
    }
};

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_platform_filter.moc"
