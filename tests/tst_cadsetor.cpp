#include "access/UCadSetor.h"
#include "data/U_Biblioteca.h"
#include "platform/ClientDataSet.h"
#include "platform/DbGrid.h"
#include "platform/DbWidgets.h"
#include "shell/Sessao.h"
#include "support/TestDb.h"

#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString kIntegridade = QString::fromUtf8(
    "Não foi possível completar a operação!\rVocê está tentando remover ou alterar um registro "
    "que possui relacionamentos com outros registros no Banco de Dados. Por favor, remova todos "
    "os relacionamentos, antes de tentar novamente!");
const QString kPergunta = QString::fromUtf8(
    "Os dados estão sendo alterados no momento !\rDeseja realmente cancelar as alterações feitas ?");

// A secretariat-split table on the same base, to check codes over the whole table.
class CadFornecedorTeste : public TFrmCadastro
{
public:
    explicit CadFornecedorTeste(Db *db) : TFrmCadastro(fornecedorConfig(), db, nullptr)
    {
        auto *nome = new DbEdit(painelDados());
        nome->setObjectName("edit_Nome");
        nome->bind(dataSet(), "NOME");
        addField("NOME", nome);
        setNameEdit(nome);
        FormCreate();
    }
    static CadastroConfig fornecedorConfig()
    {
        CadastroConfig c;
        c.screenClass = "CadFornecedorTeste";
        c.dataSetName = "Tb_fornecedor";
        c.sql = "SELECT *\r\nFROM FORNECEDOR\r\n\r\nWHERE CDSETOR = :CODSETOR\r\n\r\nORDER BY NOME";
        c.codeField = "CDFORNECEDOR";
        c.maxSql = "select max(CDFORNECEDOR) as MAXID from FORNECEDOR";
        c.bySecretariat = true;
        c.gridColumns = {"CDFORNECEDOR\t10\tCÓDIGO *\tF", "NOME\t50\tFORNECEDOR *\tF"};
        c.requiredText = "(Fornecedor)";
        return c;
    }
};

} // namespace

class TestCadSetor : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDb> t;
    std::unique_ptr<ScriptedMessages> msgs;

    std::unique_ptr<TFrmCadSetor> openScreen()
    {
        auto s = std::make_unique<TFrmCadSetor>(&t->db());
        s->show();
        QApplication::setActiveWindow(s.get());
        QTest::qWaitForWindowActive(s.get());
        return s;
    }
    static void key(QWidget *screen, Qt::Key k)
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : screen, k);
    }
    static bool enabled(TFrmCadastro &s, const char *name) { return s.button(name)->isEnabled(); }
    QVariant db(const QString &sql) { return t->db().scalar(sql); }

private slots:
    void init()
    {
        t = std::make_unique<TestDb>();
        msgs = std::make_unique<ScriptedMessages>();
        resetSession();
    }
    void cleanup()
    {
        msgs.reset();
        t.reset();
    }

    void opensOnConsultaWithTheNavigatorAtRest()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'EDUCACAO')");
        auto s = openScreen();
        QCOMPARE(s->windowTitle(), QString::fromUtf8("Manutenção de Secretarias"));
        QCOMPARE(s->pageControl()->currentIndex(), 0);
        QVERIFY(!s->painelDados()->isEnabled());
        QCOMPARE(s->grid()->columnTitle("CDSETOR"), QString::fromUtf8("CÓDIGO *"));
        QCOMPARE(s->grid()->columnTitle("NOME"), QString("SECRETARIA *"));
        QVERIFY(enabled(*s, "Inserir") && enabled(*s, "Alterar") && enabled(*s, "Deletar"));
        QVERIFY(!enabled(*s, "Gravar") && !enabled(*s, "Cancelar"));
        // Two rows at the first one: only forward movement.
        QVERIFY(!enabled(*s, "Primeiro") && !enabled(*s, "Anterior"));
        QVERIFY(enabled(*s, "Proximo") && enabled(*s, "Ultimo"));
        QCOMPARE(s->button("Proximo")->text(), QString::fromUtf8("Próximo"));
        QCOMPARE(s->button("Deletar")->toolTip(), QString("Apaga o registro atual"));
        // Ordered by name.
        QCOMPARE(s->dataSet()->value("NOME").toString(), QString("EDUCACAO"));
    }

    void oneRowKeepsMovementButtonsOff()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        for (const char *n : {"Primeiro", "Anterior", "Proximo", "Ultimo"})
            QVERIFY(!enabled(*s, n));
    }

    void editAndDeleteOnAnEmptyTable_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("F5") << int(Qt::Key_F5) << QString("Banco de dados vazio!");
        QTest::newRow("F6") << int(Qt::Key_F6) << QString::fromUtf8("O Banco de Dados está vazio !!!");
    }
    void editAndDeleteOnAnEmptyTable()
    {
        QFETCH(int, key);
        QFETCH(QString, message);
        auto s = openScreen();
        TestCadSetor::key(s.get(), Qt::Key(key));
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->shown()[0].kind, Msg::Kind::Error);
        QCOMPARE(msgs->lastText(), message);
        QVERIFY(!s->dataSet()->isEditing());
    }

    void insertTakesHighestCodePlusOneAndSaves()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (7, 'OBRAS');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (3, 'SAUDE')");
        auto s = openScreen();
        key(s.get(), Qt::Key_F4);
        QCOMPARE(s->dataSet()->state(), ClientDataSet::Insert);
        QCOMPARE(s->dataSet()->fieldByName("CDSETOR")->asInt(), 8);
        QCOMPARE(s->pageControl()->currentIndex(), 1);
        QVERIFY(s->painelDados()->isEnabled());
        QVERIFY(!enabled(*s, "Inserir") && enabled(*s, "Gravar") && !enabled(*s, "Proximo"));
        auto *nome = s->findChild<DbEdit *>("edit_Nome");
        QCOMPARE(QApplication::focusWidget(), nome);
        // F4 while editing does nothing.
        key(s.get(), Qt::Key_F4);
        QCOMPARE(s->dataSet()->recordCount(), 3);
        QTest::keyClicks(nome, "cultura");
        key(s.get(), Qt::Key_F7);
        QCOMPARE(msgs->count(), 0);
        QCOMPARE(s->dataSet()->state(), ClientDataSet::Browse);
        QCOMPARE(db("SELECT NOME FROM SETOR WHERE CDSETOR = 8").toString(), QString("CULTURA"));
        QVERIFY(!s->painelDados()->isEnabled());
        QVERIFY(enabled(*s, "Inserir") && !enabled(*s, "Gravar"));
    }

    void firstSecretariatGetsCodeOne()
    {
        auto s = openScreen();
        s->AdicionarClick();
        QCOMPARE(s->dataSet()->fieldByName("CDSETOR")->asInt(), 1);
    }

    void codeIsHighestOverAllSecretariats()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'A');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'B');"
                      "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (7, 'X', 2);"
                      "INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (3, 'Y', 1)");
        gCodSetor = 1;
        CadFornecedorTeste s(&t->db());
        QCOMPARE(s.dataSet()->recordCount(), 1);
        s.AdicionarClick();
        QCOMPARE(s.dataSet()->fieldByName("CDFORNECEDOR")->asInt(), 8);
        QCOMPARE(s.dataSet()->fieldByName("CDSETOR")->asInt(), 1);
    }

    void f7WhileBrowsingDoesNothing()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        key(s.get(), Qt::Key_F7);
        key(s.get(), Qt::Key_F8);
        QCOMPARE(msgs->count(), 0);
        QCOMPARE(s->dataSet()->state(), ClientDataSet::Browse);
        QCOMPARE(s->pageControl()->currentIndex(), 0);
    }

    void requiredNameIsAsked()
    {
        auto s = openScreen();
        key(s.get(), Qt::Key_F4);
        key(s.get(), Qt::Key_F7);
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->shown()[0].kind, Msg::Kind::Information);
        QCOMPARE(msgs->lastText(), QString("Peencha os campos! ((Setor))"));
        QVERIFY(s->dataSet()->isEditing());
        QCOMPARE(QApplication::focusWidget(), s->findChild<DbEdit *>("edit_Nome"));
        QCOMPARE(db("SELECT COUNT(*) FROM SETOR").toInt(), 0);
    }

    void editSavesTheChange()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        key(s.get(), Qt::Key_F5);
        auto *nome = s->findChild<DbEdit *>("edit_Nome");
        QCOMPARE(QApplication::focusWidget(), nome);
        nome->selectAll();
        QTest::keyClicks(nome, "saude publica");
        key(s.get(), Qt::Key_F7);
        QCOMPARE(db("SELECT NOME FROM SETOR WHERE CDSETOR = 1").toString(), QString("SAUDE PUBLICA"));
    }

    void cancelDropsTheInsert()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        key(s.get(), Qt::Key_F4);
        QTest::keyClicks(s->findChild<DbEdit *>("edit_Nome"), "novo");
        key(s.get(), Qt::Key_F8);
        QCOMPARE(s->dataSet()->recordCount(), 1);
        QVERIFY(!s->painelDados()->isEnabled());
        QCOMPARE(db("SELECT COUNT(*) FROM SETOR").toInt(), 1);
    }

    void deleteAsksAndRefusedDeleteComesBack_data()
    {
        QTest::addColumn<bool>("referenced");
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << false << int(Msg::No);
        QTest::newRow("yes") << false << int(Msg::Yes);
        QTest::newRow("referenced") << true << int(Msg::Yes);
    }
    void deleteAsksAndRefusedDeleteComesBack()
    {
        QFETCH(bool, referenced);
        QFETCH(int, answer);
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        if (referenced)
            t->execScript("INSERT INTO FORNECEDOR (CDFORNECEDOR, NOME, CDSETOR) VALUES (1, 'X', 1)");
        auto s = openScreen();
        msgs->answer(answer);
        key(s.get(), Qt::Key_F6);
        QCOMPARE(msgs->shown()[0].kind, Msg::Kind::Confirmation);
        QCOMPARE(msgs->shown()[0].text, QString("Deseja realmente deletar o registro ???"));
        QCOMPARE(msgs->shown()[0].buttons, int(Msg::Yes | Msg::No));
        const bool gone = answer == Msg::Yes && !referenced;
        QCOMPARE(db("SELECT COUNT(*) FROM SETOR").toInt(), gone ? 0 : 1);
        QCOMPARE(s->dataSet()->recordCount(), gone ? 0 : 1);
        if (referenced) {
            QCOMPARE(msgs->count(), 2);
            QCOMPARE(msgs->shown()[1].kind, Msg::Kind::Warning);
            QCOMPARE(msgs->lastText(), kIntegridade);
            QCOMPARE(s->dataSet()->value("NOME").toString(), QString("SAUDE"));
        } else {
            QCOMPARE(msgs->count(), 1);
        }
    }

    void leavingCadastroWhileEditingAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no keeps the edit") << int(Msg::No);
        QTest::newRow("yes cancels") << int(Msg::Yes);
    }
    void leavingCadastroWhileEditingAsks()
    {
        QFETCH(int, answer);
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        s->AlterarClick();
        s->txtCadastroClick();
        QCOMPARE(s->pageControl()->currentIndex(), 1);
        msgs->answer(answer);
        s->txtConsultaClick();
        QCOMPARE(msgs->count(), 1);
        QCOMPARE(msgs->lastText(), kPergunta);
        QCOMPARE(msgs->shown()[0].kind, Msg::Kind::Information);
        QCOMPARE(msgs->shown()[0].buttons, int(Msg::Yes | Msg::No));
        QCOMPARE(s->pageControl()->currentIndex(), answer == Msg::Yes ? 0 : 1);
        QCOMPARE(s->dataSet()->isEditing(), answer != Msg::Yes);
        // Browsing: tabs change without a question.
        if (answer == Msg::Yes) {
            s->txtCadastroClick();
            s->txtConsultaClick();
            QCOMPARE(msgs->count(), 1);
        }
    }

    void closingWhileEditingAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no stays open") << int(Msg::No);
        QTest::newRow("yes discards and closes") << int(Msg::Yes);
    }
    void closingWhileEditingAsks()
    {
        QFETCH(int, answer);
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        s->AlterarClick();
        s->dataSet()->setValue("NOME", "OUTRO");
        msgs->answer(answer);
        const bool closed = s->close();
        QCOMPARE(msgs->lastText(), kPergunta);
        QCOMPARE(closed, answer == Msg::Yes);
        QCOMPARE(db("SELECT NOME FROM SETOR").toString(), QString("SAUDE"));
    }

    void ctrlTabSwitchesTabsThroughTheQuestion()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        QTest::keyClick(s.get(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(s->pageControl()->currentIndex(), 1);
        QTest::keyClick(s.get(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(s->pageControl()->currentIndex(), 0);
        key(s.get(), Qt::Key_F5);
        msgs->answer(Msg::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(msgs->lastText(), kPergunta);
        QCOMPARE(s->pageControl()->currentIndex(), 1);
        QVERIFY(s->dataSet()->isEditing());
    }

    void doubleClickEditsOnCadastro()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE')");
        auto s = openScreen();
        s->GridDblClick();
        QCOMPARE(s->pageControl()->currentIndex(), 1);
        QCOMPARE(s->dataSet()->state(), ClientDataSet::Edit);
    }

    void titleClickSearchesAndIsRememberedAcrossInstances()
    {
        t->execScript("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'SANEAMENTO');"
                      "INSERT INTO SETOR (CDSETOR, NOME) VALUES (3, 'OBRAS')");
        TFrmCadastro::campoBusca("TFrmCadSetor").clear();
        int asked = 0;
        TFrmDigitaBusca::runner = [&](const QString &, FieldType, int) {
            ++asked;
            return QString("SA%");
        };
        {
            auto s = openScreen();
            s->GridTitleButtonClick("NOME");
            QCOMPARE(asked, 1);
            QCOMPARE(s->dataSet()->recordCount(), 2);
            QCOMPARE(s->painelConsulta()->text(), QString("( SECRETARIA   =  SA )"));
        }
        auto s = openScreen();
        QCOMPARE(s->dataSet()->recordCount(), 3);
        s->GridTitleButtonClick("NOME"); // only clears what the earlier screen remembered
        QCOMPARE(asked, 1);
        QCOMPARE(s->dataSet()->recordCount(), 3);
        s->GridTitleButtonClick("NOME");
        QCOMPARE(asked, 2);
        QCOMPARE(s->dataSet()->recordCount(), 2);
        // From the keyboard: Ctrl+F on the current column clears, then asks again.
        s->grid()->setCurrentIndex(s->grid()->model()->index(0, 1));
        QTest::keyClick(s->grid(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(s->dataSet()->recordCount(), 3);
        QTRY_COMPARE(s->grid()->currentIndex().column(), 1);
        QTest::keyClick(s->grid(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(asked, 3);
        QCOMPARE(s->dataSet()->recordCount(), 2);
        TFrmDigitaBusca::runner = nullptr;
    }
};

QTEST_MAIN(TestCadSetor)
#include "tst_cadsetor.moc"
