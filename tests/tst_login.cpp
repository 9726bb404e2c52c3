#include "support/TestDb.h"

#include "platform/ClientDataSet.h"
#include "shell/ClickableLabel.h"
#include "shell/Sessao.h"
#include "shell/TarvoApplication.h"
#include "shell/ULogin.h"
#include "shell/UPrincipal.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Secretariats 1 SAUDE and 2 EDUCACAO; JOSE ordinary, MARIA disabled, ADMIN master and
// disabled, PEDRO in a group without menu rows.
const char *const kSeed =
    "INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'SAUDE');"
    "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'EDUCACAO');"
    "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (1, 'OPERADORES');"
    "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (2, 'GERENTES');"
    "INSERT INTO GRUPO (CDGRUPO, DESCRICAO) VALUES (3, 'SEM MENU');"
    "INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, NOME, LOGIN, SENHA, MARTER, HABILITADO, CDSETOR)"
    " VALUES (1, 1, 'JOSE DA SILVA', 'JOSE', 'ABC', 'N', 'S', 1);"
    "INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, NOME, LOGIN, SENHA, MARTER, HABILITADO, CDSETOR)"
    " VALUES (2, 1, 'MARIA', 'MARIA', 'XYZ', 'N', 'N', 1);"
    "INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, NOME, LOGIN, SENHA, MARTER, HABILITADO, CDSETOR)"
    " VALUES (3, 2, 'ADMINISTRADOR', 'ADMIN', 'MST', 'S', 'N', 2);"
    "INSERT INTO USUARIO (CDUSUARIO, CDGRUPO, NOME, LOGIN, SENHA, MARTER, HABILITADO, CDSETOR)"
    " VALUES (14, 3, 'PEDRO', 'PEDRO', 'P1', 'N', 'S', 2);"
    "INSERT INTO EMPRESA (CDEMPRESA, NOME) VALUES (1, 'PREFEITURA MUNICIPAL DE EXEMPLO');"
    "INSERT INTO GERAL (CDGERAL, USA_LIMITE_ATIVIDADE) VALUES (1, 'N');"
    // Group 1: a hidden menu bar item whose children say visible, a hidden second and
    // third level item, and a row for a separator that must never be looked up.
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Cadastros_Base', 'S');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Fornecedor', 'N');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Graficos', 'N');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Gastos_por_Grupo', 'S');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Relatorio', 'S');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Rel_Grupo', 'S');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Relatorio_Grupo_Mes', 'N');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Rel_Atividade', 'N');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Relatorio_Atividade_Mes', 'S');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'Recurso', '');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (1, 'N4', 'N');"
    // Group 2 (the master's) hides things a master must still see.
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (2, 'Movimentos', 'N');"
    "INSERT INTO CONFIGACESSO (CDGRUPO, MENU, VISIVEL) VALUES (2, 'Fornecedor', 'N')";

const QDateTime kWhen(QDate(2024, 2, 3), QTime(9, 5, 41));

// Closes every modal window that comes up while it lives.
class ModalDriver
{
public:
    std::function<void(QWidget *)> onModal = [](QWidget *m) { m->close(); };
    ModalDriver()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *m = QApplication::activeModalWidget()) {
                ++seen;
                onModal(m);
            }
        });
        m_timer.start(10);
    }
    int seen = 0;

private:
    QTimer m_timer;
};

} // namespace

class TstLogin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formCreateShowsMunicipality();
    void lowerCaseTypedBecomesUpper();
    void refusals_data();
    void refusals();
    void ordinaryLogin();
    void enterInPasswordLogsIn();
    void enterMovesToNextControl();
    void masterAdmittedWhileDisabled();
    void menuVisibility_data();
    void menuVisibility();
    void groupWithoutRowsLeavesMenusVisible();
    void masterKeepsEveryMenu();
    void logLineBytes();
    void logFailureKeepsSession();
    void closingWithoutLoginEndsProgram();
    void runAtStartupLogsIn();

private:
    void login(TFrm_Login &dlg, int setor, const QString &user, const QString &senha);
    QString logPath() const { return m_dir->filePath(QStringLiteral("qtTarvo.log")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestDb> m_db;
    std::unique_ptr<TFrmPrincipal> m_main;
};

void TstLogin::init()
{
    resetSession();
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = std::make_unique<TestDb>();
    m_db->execScript(QString::fromUtf8(kSeed));
    QFile ini(m_dir->filePath(QStringLiteral("TARVOSECRETARIA.INI")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[DADOS]\r\nSERVIDOR=" + m_db->path().toLocal8Bit() + "\r\n");
    ini.close();
    m_main = std::make_unique<TFrmPrincipal>(m_dir->path());
    QCOMPARE(m_main->startupStatus(), 0);
    m_main->setStartupStatus(TFrmPrincipal::StatusNoLogin);
}

void TstLogin::cleanup()
{
    m_main.reset();
    m_db.reset();
    m_dir.reset();
}

void TstLogin::login(TFrm_Login &dlg, int setor, const QString &user, const QString &senha)
{
    if (setor > 0)
        QVERIFY(dlg.chooseSetor(setor));
    dlg.E_Usuario()->setText(user);
    dlg.E_Senha()->setText(senha);
    dlg.setClock([] { return kWhen; });
    dlg.Image3Click();
}

void TstLogin::formCreateShowsMunicipality()
{
    TFrm_Login dlg(m_main.get());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Controle de Acesso"));
    QCOMPARE(dlg.LB_prefeitura()->text(), QStringLiteral("PREFEITURA MUNICIPAL DE EXEMPLO"));
    QCOMPARE(dlg.Edit_setor()->count(), 2);
    QCOMPARE(dlg.Edit_setor()->currentIndex(), -1);
    QVERIFY(!dlg.chosenSetor().isValid());
    QCOMPARE(dlg.E_Senha()->echoMode(), QLineEdit::Password);
    QVERIFY(dlg.T_Usuario()->isOpen());
    QVERIFY(dlg.T_Setor()->isOpen());
    QVERIFY(!dlg.loginTentado());
}

void TstLogin::lowerCaseTypedBecomesUpper()
{
    TFrm_Login dlg(m_main.get());
    QTest::keyClicks(dlg.E_Usuario(), QStringLiteral("jose"));
    QTest::keyClicks(dlg.E_Senha(), QStringLiteral("abc"));
    QCOMPARE(dlg.E_Usuario()->text(), QStringLiteral("JOSE"));
    QCOMPARE(dlg.E_Senha()->text(), QStringLiteral("ABC"));
}

void TstLogin::refusals_data()
{
    QTest::addColumn<int>("setor"); // 0: none chosen
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("senha");
    QTest::addColumn<QString>("message");

    const QString unknown = QStringLiteral("Usuário não cadastrado !!!");
    const QString wrongPassword = QStringLiteral("Senha Incorreta !!!");
    const QString wrongSetor = QStringLiteral("Usuário não habilitado para este Setor !!!\"");
    const QString disabled = QStringLiteral("Usuário não habilitado !!!");

    QTest::newRow("unknown login") << 1 << "NINGUEM" << "ABC" << unknown;
    QTest::newRow("login with a trailing char") << 1 << "JOSEX" << "ABC" << unknown;
    QTest::newRow("login missing a char") << 1 << "JOS" << "ABC" << unknown;
    QTest::newRow("login in lower case") << 1 << "jose" << "ABC" << unknown;
    QTest::newRow("unknown login beats wrong password") << 2 << "NINGUEM" << "" << unknown;
    QTest::newRow("wrong password") << 1 << "JOSE" << "ABD" << wrongPassword;
    QTest::newRow("password with a trailing char") << 1 << "JOSE" << "ABCD" << wrongPassword;
    QTest::newRow("password missing a char") << 1 << "JOSE" << "AB" << wrongPassword;
    QTest::newRow("password beats secretariat") << 2 << "JOSE" << "X" << wrongPassword;
    QTest::newRow("other secretariat") << 2 << "JOSE" << "ABC" << wrongSetor;
    QTest::newRow("no secretariat") << 0 << "JOSE" << "ABC" << wrongSetor;
    QTest::newRow("secretariat beats disabled") << 2 << "MARIA" << "XYZ" << wrongSetor;
    QTest::newRow("disabled") << 1 << "MARIA" << "XYZ" << disabled;
}

void TstLogin::refusals()
{
    QFETCH(int, setor);
    QFETCH(QString, user);
    QFETCH(QString, senha);
    QFETCH(QString, message);
    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    m_main->setStartupStatus(TFrmPrincipal::StatusRun); // a refusal puts it back to 1
    login(dlg, setor, user, senha);
    QCOMPARE(msgs.count(), 1);
    QCOMPARE(msgs.shown().first().kind, Msg::Kind::Information);
    QCOMPARE(msgs.lastText(), message);
    QCOMPARE(m_main->startupStatus(), 1);
    QVERIFY(dlg.loginTentado());
    QCOMPARE(dlg.result(), 0);
    QVERIFY(dlg.T_Usuario()->isOpen()); // still open: the window waits for another try
    QCOMPARE(gCodUsuario, 0);
    QVERIFY(gNomeUsuario.isEmpty());
    QVERIFY(!QFile::exists(logPath()));
    QVERIFY(m_main->findChild<QLabel *>(QStringLiteral("lb_nome"))->isHidden());
}

void TstLogin::ordinaryLogin()
{
    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    login(dlg, 1, QStringLiteral("JOSE"), QStringLiteral("ABC"));
    QCOMPARE(msgs.count(), 0);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(m_main->startupStatus(), 0);
    QCOMPARE(gCodUsuario, 1);
    QCOMPARE(gNomeUsuario, QStringLiteral("JOSE DA SILVA"));
    QCOMPARE(gCodSetor, 1);
    QCOMPARE(gNomeSetor, QStringLiteral("SAUDE"));
    QVERIFY(!gUsuarioMaster);
    QVERIFY(m_main->Rdb_setor()->isHidden());

    auto label = [this](const char *name) {
        return m_main->findChild<QLabel *>(QString::fromLatin1(name));
    };
    QVERIFY(!label("lb_nome")->isHidden());
    QVERIFY(!label("lb_logado")->isHidden());
    QVERIFY(!label("image_GR")->isHidden());
    QCOMPARE(label("lb_nome")->text(), QStringLiteral("Usuário:  "));
    QCOMPARE(label("Lb_nome1")->text(), QStringLiteral("» JOSE DA SILVA"));
    QCOMPARE(label("lb_logado")->text(), QStringLiteral("Logado Desde: "));
    QCOMPARE(label("Lb_logado1")->text(), QStringLiteral("» 09:05  03/02/24"));
    // FormClose ran: the session's datasets are closed.
    QVERIFY(!dlg.T_Usuario()->isOpen());
    QVERIFY(!dlg.T_Acesso()->isOpen());
    QVERIFY(!dlg.T_Setor()->isOpen());
}

void TstLogin::enterInPasswordLogsIn()
{
    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    dlg.setClock([] { return kWhen; });
    dlg.chooseSetor(2);
    QTest::keyClicks(dlg.E_Usuario(), QStringLiteral("pedro"));
    QTest::keyClicks(dlg.E_Senha(), QStringLiteral("p1"));
    QTest::keyClick(dlg.E_Senha(), Qt::Key_Return);
    QCOMPARE(msgs.count(), 0);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(gCodUsuario, 14);
}

void TstLogin::enterMovesToNextControl()
{
    TFrm_Login dlg(m_main.get());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::qWait(20);
    dlg.Edit_setor()->hidePopup();
    dlg.E_Usuario()->setFocus();
    QTRY_VERIFY(dlg.E_Usuario()->hasFocus());
    QTest::keyClick(dlg.E_Usuario(), Qt::Key_Return);
    QTRY_VERIFY(dlg.E_Senha()->hasFocus());
    QVERIFY(!dlg.loginTentado());
    QVERIFY(dlg.isVisible());
}

void TstLogin::masterAdmittedWhileDisabled()
{
    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    login(dlg, 0, QStringLiteral("ADMIN"), QStringLiteral("MST"));
    QCOMPARE(msgs.count(), 0);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(m_main->startupStatus(), 0);
    QVERIFY(gUsuarioMaster);
    QCOMPARE(gCodUsuario, 3);
    QCOMPARE(gCodSetor, 2);
    QCOMPARE(gNomeSetor, QStringLiteral("EDUCACAO"));
    QVERIFY(!m_main->Rdb_setor()->isHidden());
    QVERIFY(!m_main->Painel_setor()->isHidden());
    QVERIFY(!m_main->menuItem(QStringLiteral("Cadastros_Base"))->isEnabled());
    QVERIFY(!m_main->menuItem(QStringLiteral("Movimentos"))->isEnabled());
    QVERIFY(!m_main->menuItem(QStringLiteral("Relatorio"))->isEnabled());
    QVERIFY(m_main->menuItem(QStringLiteral("Controle_Acesso"))->isEnabled());
    QVERIFY(m_main->menuItem(QStringLiteral("Graficos"))->isEnabled());
}

void TstLogin::menuVisibility_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("shown");

    QTest::newRow("row S keeps a menu") << "Cadastros_Base" << true;
    QTest::newRow("second level N") << "Fornecedor" << false;
    QTest::newRow("sibling without row") << "Atividade" << true;
    QTest::newRow("empty flag counts as N") << "Recurso" << false;
    QTest::newRow("hidden menu bar item") << "Graficos" << false;
    QTest::newRow("child S under hidden parent") << "Gastos_por_Grupo" << false;
    QTest::newRow("child without row under hidden parent") << "Gastos_por_Atividade" << false;
    QTest::newRow("third level N") << "Relatorio_Grupo_Mes" << false;
    QTest::newRow("third level without row") << "Relatorio_Grupo_Atividade_Mes" << true;
    QTest::newRow("third level S under hidden sub-menu") << "Relatorio_Atividade_Mes" << false;
    QTest::newRow("other menus untouched") << "Controle_Acesso" << true;
}

void TstLogin::menuVisibility()
{
    QFETCH(QString, item);
    QFETCH(bool, shown);
    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    login(dlg, 1, QStringLiteral("JOSE"), QStringLiteral("ABC"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(m_main->isMenuItemShown(item), shown);
    // Separators are never looked up, even with a row of their own.
    auto *sep = m_main->findChild<QAction *>(QStringLiteral("N4"));
    QVERIFY(sep->isSeparator());
    QVERIFY(sep->isVisible());
}

void TstLogin::groupWithoutRowsLeavesMenusVisible()
{
    ScriptedMessages msgs;
    // An item hidden before the login has no row either: it stays hidden.
    m_main->menuItem(QStringLiteral("Troca_Exclusao"))->setVisible(false);
    TFrm_Login dlg(m_main.get());
    login(dlg, 2, QStringLiteral("PEDRO"), QStringLiteral("P1"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QStringList hidden;
    m_main->forEachMenuItem([&](QAction *a, int) {
        if (!m_main->isMenuItemShown(a->objectName()))
            hidden << a->objectName();
    });
    QCOMPARE(hidden, QStringList{QStringLiteral("Troca_Exclusao")});
}

void TstLogin::masterKeepsEveryMenu()
{
    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    login(dlg, 1, QStringLiteral("ADMIN"), QStringLiteral("MST"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(m_main->isMenuItemShown(QStringLiteral("Movimentos")));
    QVERIFY(m_main->isMenuItemShown(QStringLiteral("Fornecedor")));
    QCOMPARE(m_main->Rdb_setor()->findChildren<QRadioButton *>().size(), 2);
    QVERIFY(!m_main->menuItem(QStringLiteral("Movimentos"))->isEnabled());
}

void TstLogin::logLineBytes()
{
    ScriptedMessages msgs;
    {
        TFrm_Login dlg(m_main.get());
        login(dlg, 1, QStringLiteral("JOSE"), QStringLiteral("ABC"));
    }
    {
        TFrm_Login dlg(m_main.get());
        dlg.chooseSetor(2);
        dlg.E_Usuario()->setText(QStringLiteral("PEDRO"));
        dlg.E_Senha()->setText(QStringLiteral("P1"));
        dlg.setClock([] { return QDateTime(QDate(2031, 12, 25), QTime(23, 59, 2)); });
        dlg.Image3Click();
    }
    QCOMPARE(msgs.count(), 0);
    QFile log(logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("03/02/24  09:05     JOSE DA SILVA            1\r\n"
                                       "25/12/31  23:59     PEDRO            14\r\n"));
}

void TstLogin::logFailureKeepsSession()
{
    // The log's folder does not exist.
    QFile ini(m_dir->filePath(QStringLiteral("TARVOSECRETARIA.INI")));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("LOG=" + m_dir->filePath(QStringLiteral("sumiu/qtTarvo.log")).toLocal8Bit() + "\r\n");
    ini.close();

    ScriptedMessages msgs;
    TFrm_Login dlg(m_main.get());
    dlg.setClock([] { return kWhen; });
    dlg.chooseSetor(1);
    dlg.E_Usuario()->setText(QStringLiteral("JOSE"));
    dlg.E_Senha()->setText(QStringLiteral("ABC"));
    // Through the event loop, as the user's Enter would come.
    QTest::keyClick(dlg.E_Senha(), Qt::Key_Return);
    QCOMPARE(msgs.count(), 1);
    QCOMPARE(msgs.shown().first().kind, Msg::Kind::Error);
    QVERIFY(msgs.lastText().endsWith(supportErrorText(QString())));
    QVERIFY(msgs.lastText().contains(QStringLiteral("sumiu")));
    QCOMPARE(dlg.result(), 0); // not closed
    QCOMPARE(m_main->startupStatus(), 0);
    QCOMPARE(gCodUsuario, 1);
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Lb_nome1"))->text(),
             QStringLiteral("» JOSE DA SILVA"));

    dlg.reject();
    QCOMPARE(m_main->startupStatus(), 0);
    QVERIFY(!m_main->isMenuItemShown(QStringLiteral("Fornecedor")));
}

void TstLogin::closingWithoutLoginEndsProgram()
{
    ScriptedMessages msgs;
    ModalDriver driver; // closes the login window as it appears
    QVERIFY(!TFrm_Login::runAtStartup(*m_main));
    QCOMPARE(driver.seen, 1);
    QCOMPARE(m_main->startupStatus(), 1);
    QCOMPARE(msgs.count(), 0);
    QVERIFY(m_main->isMenuItemShown(QStringLiteral("Fornecedor")));
}

void TstLogin::runAtStartupLogsIn()
{
    ScriptedMessages msgs;
    ModalDriver driver;
    driver.onModal = [](QWidget *m) {
        auto *dlg = qobject_cast<TFrm_Login *>(m);
        QVERIFY(dlg);
        dlg->Edit_setor()->hidePopup();
        dlg->chooseSetor(1);
        dlg->E_Usuario()->setText(QStringLiteral("JOSE"));
        dlg->E_Senha()->setText(QStringLiteral("ABC"));
        QTest::mouseClick(dlg->Image3(), Qt::LeftButton);
    };
    QVERIFY(TFrm_Login::runAtStartup(*m_main));
    QCOMPARE(driver.seen, 1);
    QCOMPARE(msgs.count(), 0);
    QCOMPARE(gNomeUsuario, QStringLiteral("JOSE DA SILVA"));
    QVERIFY(QFile::exists(logPath()));
}

int main(int argc, char **argv)
{
    TarvoApplication app(argc, argv);
    TstLogin tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_login.moc"
