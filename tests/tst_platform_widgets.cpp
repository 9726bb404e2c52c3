#include "platform/ClientDataSet.h"
#include "platform/DataLink.h"
#include "platform/DbDateEdit.h"
#include "platform/DbGrid.h"
#include "platform/DbLookupCombo.h"
#include "platform/DbWidgets.h"
#include "support/TestDb.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <QtTest>

class TestWidgets : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDb> t;
    std::unique_ptr<ScriptedMessages> msgs;
    std::unique_ptr<ClientDataSet> lanc, fornec, setor;
    std::unique_ptr<QWidget> host;
    QLineEdit *after = nullptr; // the next control in tab order

    std::unique_ptr<ClientDataSet> open(const QString &sql)
    {
        auto ds = std::make_unique<ClientDataSet>();
        ds->setDb(&t->db());
        ds->setCommandText(sql);
        ds->open();
        return ds;
    }

    // Puts w in a shown, active window followed by another edit.
    template <class W> W *place(W *w)
    {
        host = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(host.get());
        w->setParent(host.get());
        layout->addWidget(w);
        after = new QLineEdit(host.get());
        layout->addWidget(after);
        host->show();
        host->activateWindow();
        if (!QTest::qWaitForWindowActive(host.get()))
            qWarning("window not active");
        w->setFocus();
        return w;
    }

    // QTest::keyClicks only knows ASCII; accented letters come as key events with text.
    static void type(QWidget *w, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    static void retype(QLineEdit *e, const QString &text)
    {
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        type(e, text);
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDb>();
        t->execScript(
            "INSERT INTO SETOR (CDSETOR, NOME, GASTOTOT) VALUES (1, 'SAUDE', 100);"
            "INSERT INTO SETOR (CDSETOR, NOME, GASTOTOT) VALUES (2, 'EDUCACAO', NULL);"
            "INSERT INTO SETOR (CDSETOR, NOME, GASTOTOT) VALUES (3, 'OBRAS', 0);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'ACME LTDA', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (2, 'ABC COMERCIO', 1);"
            "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (3, 'BETA SA', 1);"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, DESCRICAO, DATA, VALOR, CDSETOR, EMPENHADO, "
            "CDFORNECEDOR, QUANT) VALUES (10, 'PAPEL', '2007-03-01', 1234.56, 1, 'S', 1, 5);"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, DESCRICAO, CDSETOR, EMPENHADO) "
            "VALUES (11, 'TONER', 1, 'N');"
            "INSERT INTO LANCAMENTO (CDLANCAMENTO, DESCRICAO, CDSETOR) VALUES (12, 'CANETA', 1)");
        msgs = std::make_unique<ScriptedMessages>();
        setor = open("SELECT * FROM SETOR ORDER BY CDSETOR");
        fornec = open("SELECT * FROM FORNECEDOR ORDER BY CDFORNECEDOR");
        lanc = open("SELECT CDLANCAMENTO, DESCRICAO, DATA, VALOR, EMPENHADO, CDFORNECEDOR, QUANT "
                    "FROM LANCAMENTO ORDER BY CDLANCAMENTO");
    }

    void cleanup()
    {
        DbLookupDialog::setRunHook({});
        host.reset();
        lanc.reset();
        fornec.reset();
        setor.reset();
        msgs.reset();
        t.reset();
    }

    void upperLineEditCapitalisesUnlessSwitchedOff_data()
    {
        QTest::addColumn<bool>("upper");
        QTest::addColumn<QString>("expected");
        QTest::newRow("on") << true << "AÇÃO 1";
        QTest::newRow("off") << false << "ação 1";
    }
    void upperLineEditCapitalisesUnlessSwitchedOff()
    {
        QFETCH(bool, upper);
        QFETCH(QString, expected);
        UpperLineEdit e;
        e.setUpperCase(upper);
        type(&e, QStringLiteral("ação 1"));
        QCOMPARE(e.text(), expected);
    }

    void editFollowsRowAndIsReadOnlyWhileBrowsing()
    {
        auto *e = place(new DbEdit);
        e->bind(setor.get(), "NOME");
        QCOMPARE(e->text(), QString("SAUDE"));
        QVERIFY(e->isReadOnly());
        QTest::keyClicks(e, "x");
        QCOMPARE(setor->value("NOME").toString(), QString("SAUDE"));
        setor->next();
        QCOMPARE(e->text(), QString("EDUCACAO"));
        setor->edit();
        QVERIFY(!e->isReadOnly());
        setor->setValue("NOME", "CULTURA");
        QCOMPARE(e->text(), QString("CULTURA"));
        setor->cancel();
        QVERIFY(e->isReadOnly());
        QCOMPARE(e->text(), QString("EDUCACAO"));
    }

    void editWritesCapitalsUpToFieldSize()
    {
        auto *e = place(new DbEdit);
        e->bind(setor.get(), "NOME");
        QCOMPARE(e->maxLength(), 40);
        setor->edit();
        retype(e, QStringLiteral("saúde pública"));
        QCOMPARE(setor->value("NOME").toString(), QStringLiteral("SAÚDE PÚBLICA"));
        retype(e, QString(45, 'a'));
        QCOMPARE(e->text(), QString(40, 'A'));
        QCOMPARE(setor->value("NOME").toString(), QString(40, 'A'));
        retype(e, QString());
        QVERIFY(setor->fieldByName("NOME")->isNull());
    }

    void textShowsFieldAndIsNeverEdited()
    {
        DbText code;
        code.bind(setor.get(), "CDSETOR");
        QCOMPARE(code.text(), QString("1"));
        setor->last();
        QCOMPARE(code.text(), QString("3"));
        setor->close();
        QCOMPARE(code.text(), QString());
    }

    void parseDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isDate");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("49 is 2049") << "01/01/49" << true << QDate(2049, 1, 1);
        QTest::newRow("50 is 1950") << "01/01/50" << true << QDate(1950, 1, 1);
        QTest::newRow("99 is 1999") << "5/6/99" << true << QDate(1999, 6, 5);
        QTest::newRow("00 is 2000") << "29/02/00" << true << QDate(2000, 2, 29);
        QTest::newRow("full") << "31/12/2006" << true << QDate(2006, 12, 31);
        QTest::newRow("DDMMYY") << "311206" << true << QDate(2006, 12, 31);
        QTest::newRow("DDMMYYYY") << "01011950" << true << QDate(1950, 1, 1);
        QTest::newRow("empty") << "" << true << QDate();
        QTest::newRow("blanks") << "   " << true << QDate();
        QTest::newRow("31 February") << "31/02/2007" << false << QDate();
        QTest::newRow("month 13") << "01/13/2007" << false << QDate();
        QTest::newRow("letters") << "ab/cd/efgh" << false << QDate();
        QTest::newRow("three-digit year") << "01/01/207" << false << QDate();
        QTest::newRow("seven digits") << "0101200" << false << QDate();
    }
    void parseDate()
    {
        QFETCH(QString, text);
        QFETCH(bool, isDate);
        QFETCH(QDate, expected);
        const auto d = DbDateEdit::parseDate(text);
        QCOMPARE(d.has_value(), isDate);
        if (d)
            QCOMPARE(*d, expected);
    }

    void dateEditWritesOrRefuses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two-digit 49") << "01/01/49" << true << QDate(2049, 1, 1) << "01/01/2049";
        QTest::newRow("two-digit 50") << "010150" << true << QDate(1950, 1, 1) << "01/01/1950";
        QTest::newRow("full") << "31/12/2006" << true << QDate(2006, 12, 31) << "31/12/2006";
        QTest::newRow("erased is empty") << "" << true << QDate() << "";
        QTest::newRow("31 February") << "31/02/2007" << false << QDate() << "31/02/2007";
    }
    void dateEditWritesOrRefuses()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QDate, stored);
        QFETCH(QString, shown);
        auto *e = place(new DbDateEdit);
        e->bind(lanc.get(), "DATA");
        QCOMPARE(e->text(), QString("01/03/2007"));
        lanc->edit();
        retype(e, typed);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(e->text(), shown);
        QCOMPARE(lanc->state(), ClientDataSet::Edit);
        if (accepted) {
            QCOMPARE(msgs->count(), 0);
            QCOMPARE(lanc->fieldByName("DATA")->isNull(), stored.isNull());
            if (!stored.isNull())
                QCOMPARE(lanc->value("DATA").toDate(), stored);
        } else {
            QCOMPARE(msgs->count(), 1);
            QCOMPARE(msgs->shown().first().kind, Msg::Kind::Warning);
            QVERIFY(msgs->lastText().contains(typed));
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(e));
        }
    }

    void moneyEditParsesAndFormats_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "1234,56" << true << qint64(123456) << "R$ 1.234,56";
        QTest::newRow("grouped") << "1.234,5" << true << qint64(123450) << "R$ 1.234,50";
        QTest::newRow("negative") << "-3" << true << qint64(-300) << "R$ -3,00";
        QTest::newRow("letters") << "abc" << false << qint64(0) << "abc";
        QTest::newRow("three decimals") << "12,345" << false << qint64(0) << "12,345";
    }
    void moneyEditParsesAndFormats()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(qint64, cents);
        QFETCH(QString, shown);
        auto *e = place(new DbMoneyEdit);
        e->bind(lanc.get(), "VALOR");
        lanc->edit();
        retype(e, typed);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(lanc->state(), ClientDataSet::Edit);
        if (accepted) {
            QCOMPARE(msgs->count(), 0);
            QCOMPARE(lanc->fieldByName("VALOR")->asMoney().cents(), cents);
            QCOMPARE(e->text(), shown);
        } else {
            QCOMPARE(msgs->count(), 1);
            QCOMPARE(msgs->lastText(), QStringLiteral("'%1' não é um valor válido").arg(typed));
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(e));
            QCOMPARE(e->text(), shown);
        }
    }

    void moneyEditPlainWhileTypingCurrencyAtRest()
    {
        auto *e = place(new DbMoneyEdit);
        after->setFocus();
        e->bind(lanc.get(), "VALOR");
        QCOMPARE(e->text(), QString("R$ 1.234,56"));
        lanc->edit();
        e->setFocus();
        QCOMPARE(e->text(), QString("1234,56"));
        after->setFocus();
        QCOMPARE(e->text(), QString("R$ 1.234,56"));
        lanc->next();
        QCOMPARE(e->text(), QString());
    }

    void intEditKeepsFieldRange_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal"); // empty when accepted
        const QString small = QStringLiteral("O valor '%1' está fora dos limites permitidos (-32768 a 32767)");
        QTest::newRow("smallint top") << "CDFORNECEDOR" << "32767" << "";
        QTest::newRow("smallint bottom") << "CDFORNECEDOR" << "-32768" << "";
        QTest::newRow("smallint over") << "CDFORNECEDOR" << "32768" << small.arg("32768");
        QTest::newRow("smallint under") << "CDFORNECEDOR" << "-32769" << small.arg("-32769");
        QTest::newRow("integer") << "QUANT" << "40000" << "";
        QTest::newRow("integer over")
            << "QUANT" << "2147483648"
            << QStringLiteral("O valor '2147483648' está fora dos limites permitidos "
                              "(-2147483648 a 2147483647)");
        QTest::newRow("not a number") << "QUANT" << "12A" << QStringLiteral("'12A' não é um valor válido");
    }
    void intEditKeepsFieldRange()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        auto *e = place(new DbIntEdit);
        e->bind(lanc.get(), field);
        lanc->edit();
        retype(e, typed);
        QCOMPARE(DataLink::updateRecord(lanc.get()), refusal.isEmpty());
        QCOMPARE(lanc->state(), ClientDataSet::Edit);
        if (refusal.isEmpty()) {
            QCOMPARE(msgs->count(), 0);
            QCOMPARE(lanc->fieldByName(field)->asInt(), typed.toLongLong());
        } else {
            QCOMPARE(msgs->count(), 1);
            QCOMPARE(msgs->lastText(), refusal);
            QCOMPARE(e->text(), typed);
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(e));
        }
    }

    void checkBoxRoundTripsSN()
    {
        auto *c = place(new DbCheckBox("EMPENHADO"));
        c->bind(lanc.get(), "EMPENHADO");
        QVERIFY(c->isChecked());
        lanc->next();
        QVERIFY(!c->isChecked());
        lanc->next(); // empty flag
        QVERIFY(!c->isChecked());
        QTest::mouseClick(c, Qt::LeftButton);
        QVERIFY(!c->isChecked());
        QVERIFY(lanc->fieldByName("EMPENHADO")->isNull());
        lanc->edit();
        QTest::mouseClick(c, Qt::LeftButton);
        QVERIFY(c->isChecked());
        QCOMPARE(lanc->value("EMPENHADO").toString(), QString("S"));
        QTest::keyClick(c, Qt::Key_Space);
        QCOMPARE(lanc->value("EMPENHADO").toString(), QString("N"));
        lanc->cancel();
        QVERIFY(!c->isChecked());
    }

    void lookupPicksRowAndStoresCode()
    {
        auto *l = place(new DbLookupCombo);
        l->bind(lanc.get(), "CDFORNECEDOR");
        l->setLookup(fornec.get(), "CDFORNECEDOR", QStringList{"NOME\t50\tFORNECEDOR\tF"});
        l->setDialogCaption("ESCOLHA O FORNECEDOR");
        QCOMPARE(l->text(), QString("ACME LTDA"));
        QSignalSpy closed(l, &DbLookupCombo::closeUp);
        int calls = 0;
        int firstMatches = -1, narrowed = -1;
        QString caption, searched;
        DbLookupDialog::setRunHook([&](DbLookupDialog &dlg) {
            ++calls;
            caption = dlg.windowTitle();
            searched = dlg.searchEdit()->text();
            firstMatches = dlg.matchCount();
            QTest::keyClicks(dlg.searchEdit(), "b");
            narrowed = dlg.matchCount();
            return true;
        });
        QTest::keyClicks(l, "a"); // browsing: nothing opens
        QCOMPARE(calls, 0);
        lanc->edit();
        QTest::keyClicks(l, "a");
        QCOMPARE(calls, 1);
        QCOMPARE(caption, QString("ESCOLHA O FORNECEDOR"));
        QCOMPARE(searched, QString("A"));
        QCOMPARE(firstMatches, 2);
        QCOMPARE(narrowed, 1);
        QCOMPARE(lanc->value("CDFORNECEDOR").toInt(), 2);
        QCOMPARE(l->text(), QString("ABC COMERCIO"));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.first().first().toBool(), true);

        DbLookupDialog::setRunHook([&](DbLookupDialog &dlg) {
            ++calls;
            dlg.selectMatch(2);
            return false;
        });
        QTest::keyClick(l, Qt::Key_F2);
        QCOMPARE(calls, 2);
        QCOMPARE(lanc->value("CDFORNECEDOR").toInt(), 2);
        QCOMPARE(closed.count(), 2);
        QCOMPARE(closed.last().first().toBool(), false);
    }

    void lookupDialogStartsOnCurrentCode()
    {
        lanc->edit();
        DbLookupCombo l;
        l.bind(lanc.get(), "CDFORNECEDOR");
        l.setLookup(fornec.get(), "CDFORNECEDOR", QStringList{"NOME\t50\tFORNECEDOR\tF"});
        lanc->setValue("CDFORNECEDOR", 3);
        QCOMPARE(l.text(), QString("BETA SA"));
        QVariant offered;
        DbLookupDialog::setRunHook([&](DbLookupDialog &dlg) {
            offered = dlg.currentKey();
            return true;
        });
        QVERIFY(l.dropDown());
        QCOMPARE(offered.toInt(), 3);
        QCOMPARE(fornec->value("CDFORNECEDOR").toInt(), 3);
    }

    void lookupClearKey_data()
    {
        QTest::addColumn<bool>("allowClear");
        QTest::addColumn<int>("key");
        QTest::newRow("delete allowed") << true << int(Qt::Key_Delete);
        QTest::newRow("backspace allowed") << true << int(Qt::Key_Backspace);
        QTest::newRow("delete refused") << false << int(Qt::Key_Delete);
        QTest::newRow("backspace refused") << false << int(Qt::Key_Backspace);
    }
    void lookupClearKey()
    {
        QFETCH(bool, allowClear);
        QFETCH(int, key);
        auto *l = place(new DbLookupCombo);
        l->bind(lanc.get(), "CDFORNECEDOR");
        l->setLookup(fornec.get(), "CDFORNECEDOR", QStringList{"NOME\t50\tFORNECEDOR\tF"});
        l->setAllowClear(allowClear);
        lanc->edit();
        QTest::keyClick(l, Qt::Key(key));
        QCOMPARE(lanc->fieldByName("CDFORNECEDOR")->isNull(), allowClear);
        QCOMPARE(l->text().isEmpty(), allowClear);
    }

    void parseGridColumnsReadsTheColumnList()
    {
        const auto cols = parseGridColumns(
            {"NOME\t60\tSECRETARIA *\tF", "CDSETOR\t6\tCÓDIGO\tT", "GASTOTOT\tx\t\tF"});
        QCOMPARE(cols.size(), 3);
        QCOMPARE(cols[0].field, QString("NOME"));
        QCOMPARE(cols[0].widthChars, 60);
        QCOMPARE(cols[0].title, QString("SECRETARIA *"));
        QVERIFY(cols[0].editable);
        QVERIFY(!cols[1].editable);
        QCOMPARE(cols[1].title, QStringLiteral("CÓDIGO"));
        QCOMPARE(cols[2].widthChars, 10);
    }

    void gridSelectionAndCursorMoveTogether()
    {
        auto *g = place(new DbGrid);
        g->setDataSet(setor.get());
        g->setColumnList({"CDSETOR\t6\tCÓDIGO\tF", "NOME\t40\tSECRETARIA *\tF"});
        QTRY_COMPARE(g->currentIndex().row(), 0);
        setor->last();
        QTRY_COMPARE(g->currentIndex().row(), 2);
        QVERIFY(g->selectionModel()->isRowSelected(2, {}));
        g->selectRow(1);
        QCOMPARE(setor->recNo(), 1);
        QTest::keyClick(g, Qt::Key_Up);
        QCOMPARE(setor->recNo(), 0);
        QCOMPARE(g->columnWidth(1), 40 * g->fontMetrics().averageCharWidth() + 8);
    }

    void gridTitlesClickAndLookup()
    {
        auto *g = place(new DbGrid);
        g->setDataSet(setor.get());
        g->setColumnList({"CDSETOR\t6\tCÓDIGO\tF", "NOME\t40\tSECRETARIA *\tF"});
        QCOMPARE(g->columnTitle("nome"), QString("SECRETARIA *"));
        QCOMPARE(g->columnTitle("GASTOTOT"), QString());
        QCOMPARE(g->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("CÓDIGO"));
        QSignalSpy clicked(g, &DbGrid::titleButtonClicked);
        QHeaderView *h = g->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.first().first().toString(), QString("NOME"));
        QSignalSpy dbl(g, &DbGrid::rowDoubleClicked);
        const QRect cell = g->visualRect(g->model()->index(1, 1));
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(setor->recNo(), 1);
        QCOMPARE(setor->state(), ClientDataSet::Browse);
    }

    void gridShowsCheckAndMoneyColumns()
    {
        DbGrid g;
        g.setDataSet(lanc.get());
        auto cols = parseGridColumns({"DESCRICAO\t40\tDESCRIÇÃO *\tF", "VALOR\t16\tVALOR *\tF",
                                      "EMPENHADO\t1\tEMPENHADO\tF"});
        cols[2].checkBox = true;
        g.setColumns(cols);
        QAbstractItemModel *m = g.model();
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(m->data(m->index(0, 1)).toString(), QString("1.234,56"));
        QCOMPARE(m->data(m->index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        QCOMPARE(m->data(m->index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, 0);
        QCOMPARE(m->data(m->index(0, 2), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(m->data(m->index(1, 2), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(m->data(m->index(2, 2), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(m->data(m->index(0, 2)).toString().isEmpty());
        QVERIFY(!m->data(m->index(0, 0), Qt::CheckStateRole).isValid());
        lanc->setFilter("( DESCRICAO like 'T%' )");
        lanc->setFiltered(true);
        QCOMPARE(m->rowCount(), 1);
        QCOMPARE(m->data(m->index(0, 0)).toString(), QString("TONER"));
    }

    void gridCellsEditOnlyWhenAllowed_data()
    {
        QTest::addColumn<bool>("gridReadOnly");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<bool>("editable");
        QTest::newRow("read-only grid") << true << "F" << false;
        QTest::newRow("read-only column") << false << "T" << false;
        QTest::newRow("editable") << false << "F" << true;
    }
    void gridCellsEditOnlyWhenAllowed()
    {
        QFETCH(bool, gridReadOnly);
        QFETCH(QString, flag);
        QFETCH(bool, editable);
        DbGrid g;
        g.setDataSet(lanc.get());
        auto cols = parseGridColumns({"DESCRICAO\t40\tDESCRIÇÃO\t" + flag,
                                      "VALOR\t16\tVALOR\t" + flag, "EMPENHADO\t1\tE\t" + flag});
        cols[2].checkBox = true;
        g.setColumns(cols);
        g.setReadOnly(gridReadOnly);
        QAbstractItemModel *m = g.model();
        QCOMPARE(bool(m->flags(m->index(1, 0)) & Qt::ItemIsEditable), editable);
        QCOMPARE(bool(m->flags(m->index(1, 2)) & Qt::ItemIsUserCheckable), editable);
        QCOMPARE(m->setData(m->index(1, 0), "LAPIS"), editable);
        QCOMPARE(m->setData(m->index(1, 1), "12,5"), editable);
        QCOMPARE(m->setData(m->index(1, 2), int(Qt::Checked), Qt::CheckStateRole), editable);
        if (editable) {
            QCOMPARE(lanc->recNo(), 1);
            QCOMPARE(lanc->state(), ClientDataSet::Edit);
            QCOMPARE(lanc->value("DESCRICAO").toString(), QString("LAPIS"));
            QCOMPARE(lanc->fieldByName("VALOR")->asMoney().cents(), qint64(1250));
            QCOMPARE(lanc->value("EMPENHADO").toString(), QString("S"));
            QCOMPARE(m->data(m->index(1, 0)).toString(), QString("LAPIS"));
            QVERIFY(!m->setData(m->index(1, 1), "doze"));
            QCOMPARE(msgs->count(), 1);
        } else {
            QCOMPARE(lanc->state(), ClientDataSet::Browse);
            QCOMPARE(lanc->recNo(), 0);
        }
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_platform_widgets.moc"
