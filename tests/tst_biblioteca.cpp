#include "data/UDigitaBusca.h"
#include "data/U_Biblioteca.h"
#include "platform/ClientDataSet.h"
#include "platform/DbGrid.h"
#include "support/TestDb.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Biblioteca;

class TestBiblioteca : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDb> t;
    std::unique_ptr<ClientDataSet> fornecedores;
    std::unique_ptr<ClientDataSet> ds;
    std::unique_ptr<DbGrid> grid;
    std::unique_ptr<QLabel> painel;
    // What the search dialog was asked for, and what it answers next.
    QStringList asked;
    QStringList answers;

    QList<int> visibleCodes() const
    {
        QList<int> codes;
        const int k = ds->fieldIndex("CDLANCAMENTO");
        ds->forEachRow([&](int phys) { codes << int(ds->valueAt(phys, k).toLongLong()); });
        return codes;
    }

    void openEntries()
    {
        t->execScript(
            "INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'ABC LTDA', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (2, 'ABRIL', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (3, 'D''AVILA', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (12, 'ZETA', 1);"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO)"
            " VALUES (1, 1, 12, 'PAPEL', '2006-12-31', 12.50, 'S');"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO)"
            " VALUES (2, 1, 1, 'CANETA', '2007-01-15', 12.05, 'N');"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO)"
            " VALUES (3, 1, 3, 'AGUA', '2006-12-30', 1234.56, 'S');"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, CDSETOR, CDFORNECEDOR, DESCRICAO, DATA, VALOR, EMPENHADO)"
            " VALUES (4, 1, 2, 'BORRACHA', '2008-02-29', -3.00, 'N')");
        fornecedores = std::make_unique<ClientDataSet>();
        fornecedores->setDb(&t->db());
        fornecedores->setCommandText("SELECT * FROM FORNECEDOR");
        fornecedores->open();
        ds = std::make_unique<ClientDataSet>();
        ds->setDb(&t->db());
        ds->setCommandText("SELECT L.*, F.NOME FROM LANCAMENTO L"
                           " LEFT JOIN FORNECEDOR F ON F.CDFORNECEDOR = L.CDFORNECEDOR ORDER BY L.CDLANCAMENTO");
        ds->addLookupField("NOMEFORN", "CDFORNECEDOR", fornecedores.get(), "CDFORNECEDOR", "NOME",
                           FieldType::String, 50);
        ds->addCalculatedField("DOBRO", FieldType::Money, 0, [](const ClientDataSet &d, int phys) {
            const QVariant v = d.valueAt(phys, d.fieldIndex("VALOR"));
            return v.isValid() ? QVariant::fromValue(v.value<Money>() + v.value<Money>()) : QVariant();
        });
        ds->open();
        grid = std::make_unique<DbGrid>();
        grid->setDataSet(ds.get());
        grid->setColumnList({"CDLANCAMENTO\t5\tCÓDIGO\tF", "NOME\t50\tFORNECEDOR *\tF",
                             "CDFORNECEDOR\t5\tCOD. FORN. *\tF", "DESCRICAO\t40\tDESCRIÇÃO *\tF",
                             "VALOR\t10\tVALOR *\tF", "DATA\t10\tDATA *\tF", "EMPENHADO\t2\tEMP. *\tF",
                             "NOMEFORN\t30\tNOME FORN. *\tF", "DOBRO\t10\tDOBRO *\tF"});
        painel = std::make_unique<QLabel>();
    }

    // Types into the real dialog, without a modal loop, and answers what it returned.
    static QString typeIntoDialog(const QString &title, FieldType type, int size, const QString &keys)
    {
        TFrmDigitaBusca dlg;
        dlg.prepara(title, type, size);
        dlg.show();
        QTest::keyClicks(dlg.editorVisivel(), keys);
        QTest::keyClick(dlg.editorVisivel(), Qt::Key_Return);
        return gValorBusca;
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDb>();
        asked.clear();
        answers.clear();
        TFrmDigitaBusca::runner = [this](const QString &title, FieldType, int) {
            asked << title;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
    void cleanup()
    {
        TFrmDigitaBusca::runner = nullptr;
        painel.reset();
        grid.reset();
        ds.reset();
        fornecedores.reset();
        t.reset();
    }

    // ---- filter and caption -------------------------------------------------------

    void applyFilterBuildsFilterAndCaption_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("text") << "NOME" << "ABC%" << "( NOME like 'ABC%' )" << "( FORNECEDOR   =  ABC )" << QList<int>{2};
        QTest::newRow("code") << "CDFORNECEDOR" << "12" << "( CDFORNECEDOR =  12 )" << "( COD. FORN.   =  12 )"
                              << QList<int>{1};
        QTest::newRow("value") << "VALOR" << "12,50" << "( VALOR =  12,50 )" << "( VALOR   =  12,50 )" << QList<int>{1};
        QTest::newRow("negative value") << "VALOR" << "-3,00" << "( VALOR =  -3,00 )" << "( VALOR   =  -3,00 )"
                                        << QList<int>{4};
        QTest::newRow("date") << "DATA" << "'31/12/2006'" << "( DATA =  '31/12/2006' )"
                              << "( DATA   =  '31/12/2006' )" << QList<int>{1};
        QTest::newRow("flag") << "EMPENHADO" << "'N'" << "( EMPENHADO =  'N' )" << "( EMP.   =  'N' )"
                              << QList<int>{2, 4};
        QTest::newRow("doubled quote") << "NOME" << "D''A%" << "( NOME like 'D''A%' )" << "( FORNECEDOR   =  D''A )"
                                       << QList<int>{3};
        QTest::newRow("lookup text") << "NOMEFORN" << "AB%" << "( NOMEFORN like 'AB%' )"
                                     << "( NOME FORN.   =  AB )" << QList<int>{2, 4};
    }
    void applyFilterBuildsFilterAndCaption()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, filter);
        QFETCH(QString, caption);
        QFETCH(QList<int>, codes);
        openEntries();
        QString remembered;
        aplicaFiltro(*ds, field, value, *grid, painel.get(), remembered);
        QCOMPARE(ds->filter(), filter);
        QVERIFY(ds->filtered());
        QCOMPARE(painel->text(), caption);
        QCOMPARE(remembered, field);
        QCOMPARE(visibleCodes(), codes);
    }

    void applyFilterJoinsBaseFilterAndCaption()
    {
        openEntries();
        QString remembered;
        aplicaFiltro(*ds, "NOME", "AB%", *grid, painel.get(), remembered, "BASE", "( VALOR < 0 )");
        QCOMPARE(ds->filter(), QString("( VALOR < 0 ) and ( NOME like 'AB%' )"));
        QCOMPARE(painel->text(), QString("( FORNECEDOR   =  AB ) E BASE"));
        QCOMPARE(visibleCodes(), (QList<int>{4}));
    }

    void typedValueReachesTheFilter_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("caption");
        QTest::newRow("decimal comma") << "VALOR" << "12,5" << "( VALOR =  12,50 )" << "( VALOR   =  12,50 )";
        QTest::newRow("date") << "DATA" << "31122006" << "( DATA =  '31/12/2006' )" << "( DATA   =  '31/12/2006' )";
        QTest::newRow("lower case text") << "NOME" << "abc" << "( NOME like 'ABC%' )" << "( FORNECEDOR   =  ABC )";
        QTest::newRow("quote") << "NOME" << "d'a" << "( NOME like 'D''A%' )" << "( FORNECEDOR   =  D''A )";
    }
    void typedValueReachesTheFilter()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, filter);
        QFETCH(QString, caption);
        openEntries();
        TFrmDigitaBusca::runner = [&](const QString &title, FieldType type, int size) {
            return typeIntoDialog(title, type, size, keys);
        };
        QString remembered;
        tituloClick(*ds, field, remembered, *grid, painel.get());
        QCOMPARE(ds->filter(), filter);
        QCOMPARE(painel->text(), caption);
        QCOMPARE(ds->recordCount(), 1);
    }

    // ---- title click ------------------------------------------------------------

    void titleClickAsksClearsAndReplaces()
    {
        openEntries();
        ScriptedMessages msgs;
        QString remembered;

        answers << "AB%";
        tituloClick(*ds, "NOME", remembered, *grid, painel.get(), {}, {});
        QCOMPARE(asked, QStringList{"FORNECEDOR "});
        QCOMPARE(ds->filter(), QString("( NOME like 'AB%' )"));
        QCOMPARE(visibleCodes(), (QList<int>{2, 4}));
        QCOMPARE(painel->text(), QString("( FORNECEDOR   =  AB )"));
        QCOMPARE(remembered, QString("NOME"));
        QCOMPARE(ds->indexFieldNames(), QString("NOME"));

        // Same title again: no question, every row back.
        tituloClick(*ds, "NOME", remembered, *grid, painel.get(), {}, {});
        QCOMPARE(asked.size(), 1);
        QCOMPARE(ds->filter(), QString());
        QCOMPARE(ds->recordCount(), 4);
        QCOMPARE(painel->text(), QString());
        QCOMPARE(remembered, QString());
        QCOMPARE(ds->indexFieldNames(), QString("NOME"));

        // Another title replaces the filter.
        answers << "AB%" << "'S'";
        tituloClick(*ds, "NOME", remembered, *grid, painel.get(), {}, {});
        tituloClick(*ds, "EMPENHADO", remembered, *grid, painel.get(), {}, {});
        QCOMPARE(asked.last(), QString("EMP. "));
        QCOMPARE(ds->filter(), QString("( EMPENHADO =  'S' )"));
        QCOMPARE(visibleCodes(), (QList<int>{1, 3}));
        QCOMPARE(remembered, QString("EMPENHADO"));
        QCOMPARE(ds->indexFieldNames(), QString("EMPENHADO"));
        QCOMPARE(msgs.count(), 0);
    }

    void escapeKeepsFilterAndStillSorts()
    {
        openEntries();
        QString remembered;
        answers << "AB%";
        tituloClick(*ds, "NOME", remembered, *grid, painel.get());
        answers << QString();
        tituloClick(*ds, "VALOR", remembered, *grid, painel.get());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(ds->filter(), QString("( NOME like 'AB%' )"));
        QCOMPARE(painel->text(), QString("( FORNECEDOR   =  AB )"));
        QCOMPARE(remembered, QString("NOME"));
        QCOMPARE(ds->indexFieldNames(), QString("VALOR"));
        QCOMPARE(visibleCodes(), (QList<int>{4, 2}));
    }

    void nonSearchableColumnWarnsAndDoesNotSort()
    {
        openEntries();
        ScriptedMessages msgs;
        QString remembered;
        tituloClick(*ds, "CDLANCAMENTO", remembered, *grid, painel.get());
        QCOMPARE(msgs.count(), 1);
        QCOMPARE(msgs.shown()[0].kind, Msg::Kind::Warning);
        QCOMPARE(msgs.shown()[0].buttons, int(Msg::Ok));
        QCOMPARE(msgs.lastText(), QString("Não é possivel localizar por este dado!\r\rEscolha um campo marcado com [*]"));
        QVERIFY(asked.isEmpty());
        QCOMPARE(ds->indexFieldNames(), QString());
        QVERIFY(!campoPesquisavel("OBS", *ds, *grid));
        QVERIFY(campoPesquisavel("VALOR", *ds, *grid));
    }

    void lookupAndCalculatedColumnsAreNotSorted_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("lookup") << "NOMEFORN" << "ZE%" << QList<int>{1};
        QTest::newRow("calculated, cancelled") << "DOBRO" << "" << QList<int>{1, 2, 3, 4};
        QTest::newRow("calculated") << "DOBRO" << "25,00" << QList<int>{1};
    }
    void lookupAndCalculatedColumnsAreNotSorted()
    {
        QFETCH(QString, field);
        QFETCH(QString, answer);
        QFETCH(QList<int>, codes);
        openEntries();
        ds->setIndexFieldNames("DESCRICAO");
        ds->setIndexFieldNames("");
        ScriptedMessages msgs;
        QString remembered;
        answers << answer;
        tituloClick(*ds, field, remembered, *grid, painel.get());
        QCOMPARE(asked.size(), 1);
        QCOMPARE(msgs.count(), 1);
        QCOMPARE(msgs.shown()[0].kind, Msg::Kind::Warning);
        QCOMPARE(msgs.lastText(), QString("Não é possível ordenar por esta Coluna!"));
        QCOMPARE(ds->indexFieldNames(), QString());
        QCOMPARE(visibleCodes(), codes);
    }

    void rememberedColumnOfEarlierScreenOnlyClears()
    {
        openEntries();
        QString remembered = "NOME"; // left by an earlier instance of the screen
        answers << "AB%";
        tituloClick(*ds, "NOME", remembered, *grid, painel.get());
        QVERIFY(asked.isEmpty());
        QCOMPARE(ds->recordCount(), 4);
        QCOMPARE(remembered, QString());
        tituloClick(*ds, "NOME", remembered, *grid, painel.get());
        QCOMPARE(asked.size(), 1);
        QCOMPARE(ds->recordCount(), 2);
    }

    void sortErrorsAreIgnored()
    {
        openEntries();
        ScriptedMessages msgs;
        ordenaPorCampo("NAOEXISTE", *ds);
        QCOMPARE(msgs.count(), 0);
        ordenaPorCampo("DESCRICAO", *ds);
        QCOMPARE(visibleCodes(), (QList<int>{3, 4, 2, 1}));
    }

    // ---- navigation buttons -----------------------------------------------------

    void navigationButtons_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("enabled"); // First, Prior, Next, Last
        // start: -1 after first(), -2 after last(), otherwise setRecNo.
        QTest::newRow("first from middle") << 2 << "Primeiro" << 0 << "FFTT";
        QTest::newRow("first at first") << -1 << "Primeiro" << 0 << "FFTT";
        QTest::newRow("prior from middle") << 2 << "Anterior" << 1 << "TTTT";
        QTest::newRow("prior at first") << -1 << "Anterior" << 0 << "FFTT";
        QTest::newRow("next from middle") << 1 << "Proximo" << 2 << "TTTT";
        QTest::newRow("next at last") << -2 << "Proximo" << 3 << "TTFF";
        QTest::newRow("last from middle") << 1 << "Ultimo" << 3 << "TTFF";
        QTest::newRow("last at last") << -2 << "Ultimo" << 3 << "TTFF";
        QTest::newRow("scroll at first") << -1 << "Scroll" << 0 << "FFTT";
        QTest::newRow("scroll at last") << -2 << "Scroll" << 3 << "TTFF";
        QTest::newRow("scroll in middle") << 2 << "Scroll" << 2 << "TTTT";
    }
    void navigationButtons()
    {
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QString, enabled);
        openEntries();
        if (start == -1)
            ds->first();
        else if (start == -2)
            ds->last();
        else
            ds->setRecNo(start);
        QPushButton b[4];
        for (int i = 0; i < 4; ++i)
            b[i].setEnabled(enabled[i] != 'T'); // the opposite, so every button must be set
        botoesNavegacao(&b[0], &b[1], &b[2], *ds, action, &b[3]);
        QCOMPARE(ds->recNo(), row);
        QString got;
        for (const QPushButton &x : b)
            got += x.isEnabled() ? 'T' : 'F';
        QCOMPARE(got, enabled);
    }

    void navigationWithOneRowChangesNothing_data()
    {
        QTest::addColumn<QString>("action");
        for (const char *a : {"Primeiro", "Anterior", "Proximo", "Ultimo", "Scroll"})
            QTest::newRow(a) << QString(a);
    }
    void navigationWithOneRowChangesNothing()
    {
        QFETCH(QString, action);
        openEntries();
        ds->setFilter("( CDLANCAMENTO = 3 )");
        ds->setFiltered(true);
        QCOMPARE(ds->recordCount(), 1);
        QPushButton b[4];
        const bool states[4] = {true, false, true, false};
        for (int i = 0; i < 4; ++i)
            b[i].setEnabled(states[i]);
        botoesNavegacao(&b[0], &b[1], &b[2], *ds, action, &b[3]);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(b[i].isEnabled(), states[i]);
        QCOMPARE(ds->recNo(), 0);
    }

    // ---- apply updates ----------------------------------------------------------

    void refusedWriteComesBackWithOneWarning()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'OBRAS');"
                      "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'ABC', 1)");
        ClientDataSet setores;
        setores.setDb(&t->db());
        setores.setCommandText("SELECT * FROM SETOR ORDER BY CDSETOR");
        setores.open();
        ScriptedMessages msgs;
        QVERIFY(setores.locate("CDSETOR", 1));
        setores.deleteRecord();
        QCOMPARE(setores.recordCount(), 1);
        QVERIFY(!aplicaAtualizacoes(setores));
        QCOMPARE(msgs.count(), 1);
        QCOMPARE(msgs.shown()[0].kind, Msg::Kind::Warning);
        QCOMPARE(msgs.shown()[0].buttons, int(Msg::Ok));
        QCOMPARE(msgs.lastText(),
                 QString("Não foi possível completar a operação!\rVocê está tentando remover ou alterar um "
                         "registro que possui relacionamentos com outros registros no Banco de Dados. Por "
                         "favor, remova todos os relacionamentos, antes de tentar novamente!"));
        QCOMPARE(setores.recordCount(), 2);
        QVERIFY(!setores.hasPendingChanges());
        QVERIFY(setores.locate("CDSETOR", 1));
        QCOMPARE(t->db().scalar("SELECT COUNT(*) FROM SETOR").toInt(), 2);

        // An unreferenced row goes without a word.
        msgs.clear();
        QVERIFY(setores.locate("CDSETOR", 2));
        setores.deleteRecord();
        QVERIFY(aplicaAtualizacoes(setores));
        QCOMPARE(msgs.count(), 0);
        QCOMPARE(t->db().scalar("SELECT COUNT(*) FROM SETOR").toInt(), 1);
    }

    void editingAndRequiredFieldMessage()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        ClientDataSet setores;
        setores.setDb(&t->db());
        setores.setCommandText("SELECT * FROM SETOR");
        setores.open();
        QVERIFY(!estaEditando(setores));
        setores.edit();
        QVERIFY(estaEditando(setores));
        setores.cancel();
        setores.append();
        QVERIFY(estaEditando(setores));
        setores.cancel();
        QVERIFY(!estaEditando(setores));

        ScriptedMessages msgs;
        mensagemCampoObrigatorio("(Setor)");
        QCOMPARE(msgs.count(), 1);
        QCOMPARE(msgs.shown()[0].kind, Msg::Kind::Information);
        QCOMPARE(msgs.shown()[0].buttons, int(Msg::Ok));
        QCOMPARE(msgs.lastText(), QString("Peencha os campos! ((Setor))"));
    }

    // ---- dates and numbers ------------------------------------------------------

    void lastDayOfMonth_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("day");
        QTest::newRow("leap February") << 2 << 2008 << 29;
        QTest::newRow("February") << 2 << 2007 << 28;
        QTest::newRow("November") << 11 << 2007 << 30;
        QTest::newRow("December") << 12 << 2007 << 31;
        QTest::newRow("January") << 1 << 2008 << 31;
        QTest::newRow("April") << 4 << 2006 << 30;
        QTest::newRow("century not leap") << 2 << 1900 << 28;
        QTest::newRow("fourth century leap") << 2 << 2000 << 29;
    }
    void lastDayOfMonth()
    {
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(int, day);
        QCOMPARE(ultimoDiaMes(month, year), day);
    }

    void monthNameAndYear_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        QTest::newRow("jan") << QDate(2007, 1, 31) << "Janeiro";
        QTest::newRow("mar") << QDate(2008, 3, 1) << "Março";
        QTest::newRow("jun") << QDate(2006, 6, 15) << "Junho";
        QTest::newRow("dec") << QDate(1999, 12, 31) << "Dezembro";
    }
    void monthNameAndYear()
    {
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QCOMPARE(nomeMes(date), name);
        QCOMPARE(anoDe(date), date.year());
    }

    void numberToText_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("thousands") << 2 << 1234.5 << "1234,50";
        QTest::newRow("negative") << 2 << -3.0 << "-3,00";
        QTest::newRow("zero") << 2 << 0.0 << "0,00";
        QTest::newRow("rounded") << 2 << 12.345678 << "12,35";
        QTest::newRow("large") << 2 << 1234567.89 << "1234567,89";
        QTest::newRow("padded") << 0 << 5.0 << " 5";
        QTest::newRow("two wide") << 0 << 42.0 << "42";
    }
    void numberToText()
    {
        QFETCH(int, decimals);
        QFETCH(double, number);
        QFETCH(QString, text);
        QCOMPARE(numeroParaTexto(decimals, number), text);
    }

    void moneyToText_data()
    {
        QTest::addColumn<qlonglong>("cents");
        QTest::addColumn<QString>("text");
        QTest::newRow("thousands") << 123450LL << "1234,50";
        QTest::newRow("negative") << -300LL << "-3,00";
        QTest::newRow("cents only") << 5LL << "0,05";
        QTest::newRow("negative cents") << -5LL << "-0,05";
        QTest::newRow("beyond double precision") << 123456789012345678LL << "1234567890123456,78";
    }
    void moneyToText()
    {
        QFETCH(qlonglong, cents);
        QFETCH(QString, text);
        QCOMPARE(numeroParaTexto(2, Money::fromCents(cents)), text);
    }

    // ---- the search dialog ------------------------------------------------------

    void dialogEditorByType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");
        QTest::newRow("text upper case") << int(FieldType::String) << 50 << "Edit_string" << "abc" << "ABC%";
        QTest::newRow("text quote doubled") << int(FieldType::String) << 50 << "Edit_string" << "d'avila" << "D''AVILA%";
        QTest::newRow("integer") << int(FieldType::Integer) << 0 << "Edit_Inteiro" << "12" << "12";
        QTest::newRow("negative integer") << int(FieldType::Integer) << 0 << "Edit_Inteiro" << "-7" << "-7";
        QTest::newRow("integer refuses letters") << int(FieldType::Integer) << 0 << "Edit_Inteiro" << "1a2" << "12";
        QTest::newRow("value comma") << int(FieldType::Money) << 0 << "edit_valor" << "12,5" << "12,50";
        QTest::newRow("value point") << int(FieldType::Double) << 0 << "edit_valor" << "1234.5" << "1234,50";
        QTest::newRow("value whole") << int(FieldType::Money) << 0 << "edit_valor" << "7" << "7,00";
        QTest::newRow("date") << int(FieldType::Date) << 0 << "EDIT_DATA" << "31122006" << "'31/12/2006'";
        QTest::newRow("date year 49") << int(FieldType::Date) << 0 << "EDIT_DATA" << "010149" << "'01/01/2049'";
        QTest::newRow("date year 50") << int(FieldType::DateTime) << 0 << "EDIT_DATA" << "010150" << "'01/01/1950'";
        QTest::newRow("flag") << int(FieldType::String) << 1 << "EDIT_BOOLEAN" << "N" << "'N'";
    }
    void dialogEditorByType()
    {
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(QString, editor);
        QFETCH(QString, keys);
        QFETCH(QString, result);
        TFrmDigitaBusca dlg;
        gValorBusca = "STALE";
        dlg.prepara("FORNECEDOR ", FieldType(type), size);
        QCOMPARE(gValorBusca, QString());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QString("Busca"));
        QCOMPARE(dlg.Lb_tit->text(), QString("BUSCA POR  FORNECEDOR "));
        int visible = 0;
        for (const char *name : {"EDIT_BOOLEAN", "Edit_string", "Edit_Inteiro", "edit_valor", "EDIT_DATA"}) {
            QWidget *w = dlg.findChild<QWidget *>(name);
            QVERIFY(w);
            if (w->isVisible()) {
                ++visible;
                QCOMPARE(w->objectName(), editor);
            }
        }
        QCOMPARE(visible, 1);
        QWidget *w = dlg.findChild<QWidget *>(editor);
        QCOMPARE(dlg.focusWidget(), w);
        QTest::keyClicks(w, keys);
        QTest::keyClick(w, Qt::Key_Return);
        QCOMPARE(gValorBusca, result);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
    }

    void dialogEnterWithNothingTypedStaysOpen_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("keys");
        QTest::newRow("text") << int(FieldType::String) << 50 << "";
        QTest::newRow("flag") << int(FieldType::String) << 1 << "";
        QTest::newRow("integer") << int(FieldType::Integer) << 0 << "";
        QTest::newRow("integer sign only") << int(FieldType::Integer) << 0 << "-";
        QTest::newRow("value") << int(FieldType::Money) << 0 << "";
        QTest::newRow("date") << int(FieldType::Date) << 0 << "";
        QTest::newRow("no such day") << int(FieldType::Date) << 0 << "310206";
        QTest::newRow("blob") << int(FieldType::Blob) << 0 << "";
    }
    void dialogEnterWithNothingTypedStaysOpen()
    {
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(QString, keys);
        TFrmDigitaBusca dlg;
        dlg.prepara("X", FieldType(type), size);
        dlg.show();
        QWidget *target = dlg.editorVisivel() ? dlg.editorVisivel() : static_cast<QWidget *>(&dlg);
        QTest::keyClicks(target, keys);
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(gValorBusca, QString());
        QCOMPARE(FieldType(type) == FieldType::Blob, dlg.editorVisivel() == nullptr);
    }

    void dialogEscapeGivesEmpty()
    {
        TFrmDigitaBusca dlg;
        dlg.prepara("FORNECEDOR ", FieldType::String, 50);
        dlg.show();
        QTest::keyClicks(dlg.Edit_string, "abc");
        gValorBusca = "STALE";
        QTest::keyClick(dlg.Edit_string, Qt::Key_Escape);
        QCOMPARE(gValorBusca, QString());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }

    void executaShowsModalDialog()
    {
        TFrmDigitaBusca::runner = nullptr;
        bool found = false;
        QTimer::singleShot(0, this, [&] {
            auto *dlg = qobject_cast<TFrmDigitaBusca *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            found = true;
            QWidget *w = dlg->focusWidget();
            QTest::keyClicks(w, "abc");
            QTest::keyClick(w, Qt::Key_Return);
        });
        const QString value = TFrmDigitaBusca::executa("FORNECEDOR ", FieldType::String, 50);
        QVERIFY(found);
        QCOMPARE(value, QString("ABC%"));
        QCOMPARE(gValorBusca, value);
    }
};

QTEST_MAIN(TestBiblioteca)
#include "tst_biblioteca.moc"
