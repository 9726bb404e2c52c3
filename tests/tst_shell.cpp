#include "support/TestDb.h"

#include "platform/ClientDataSet.h"
#include "platform/DbGrid.h"
#include "platform/Errors.h"
#include "shell/FocusColor.h"
#include "shell/MenuTree.h"
#include "shell/Sessao.h"
#include "shell/TarvoApplication.h"
#include "shell/ULogin.h"
#include "shell/UPrincipal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

void writeIni(const QString &dir, const QByteArray &content)
{
    QFile f(dir + QStringLiteral("/TARVOSECRETARIA.INI"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray iniFor(const TestDb &db)
{
    return "[DADOS]\r\nSERVIDOR=" + db.path().toLocal8Bit() + "\r\n";
}

// A database that refuses every statement, as one whose tables are missing would.
class RefusingDb : public Db
{
public:
    void query(const QString &sql, const SqlParams &, const ColumnsFn &, const RowFn &) override
    {
        throw DbError(QStringLiteral("Table unknown"), -204, sql);
    }
    int exec(const QString &sql, const SqlParams &) override
    {
        throw DbError(QStringLiteral("Table unknown"), -204, sql);
    }
    QVector<ColumnInfo> tableColumns(const QString &) override { return {}; }
    void begin() override {}
    void commit() override {}
    void rollback() override {}
    bool inTransaction() const override { return false; }
};

// Throws from its event handler, like a menu action that fails.
class Thrower : public QObject
{
public:
    std::function<void()> fail;
    int delivered = 0;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++delivered;
        if (fail)
            fail();
        return true;
    }
};

// Closes every modal window that comes up while it lives, noting its object name.
class ModalCloser
{
public:
    ModalCloser()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *m = QApplication::activeModalWidget()) {
                seen.append(m->objectName());
                m->close();
            }
        });
        m_timer.start(10);
    }
    QStringList seen;

private:
    QTimer m_timer;
};

struct Screen : QWidget
{
    static inline int created = 0;
    Screen() { ++created; }
};

} // namespace

class TstShell : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void iniLocation_data();
    void iniLocation();
    void failedStartShowsNoLogin();
    void sessionTablesFailure();

    void handlerText();
    void handlerCatches_data();
    void handlerCatches();
    void menuActionErrorReachesHandler();

    void focusClasses_data();
    void focusClasses();
    void focusEditToGrid();
    void focusGridToEdit();
    void focusToControlWithoutColor();
    void focusToNothingForgets();
    void focusRememberedWindowGone();
    void focusFollowsApplication();

    void closeRefusedWhileChildOpen();
    void statusBarPanels();
    void menuBuiltFromTree();
    void screenOpensOnce();
    void unregisteredItemDoesNothing();
    void equipeShowsAboutBox();

    void secretariatChoice_data();
    void secretariatChoice();
    void secretariatListHeight_data();
    void secretariatListHeight();
    void secretariatListHiddenByScreens();

private:
    std::unique_ptr<TFrmPrincipal> mainFor(TestDb &db);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstShell::init()
{
    resetSession();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TstShell::cleanup() { m_dir.reset(); }

std::unique_ptr<TFrmPrincipal> TstShell::mainFor(TestDb &db)
{
    writeIni(m_dir->path(), iniFor(db));
    return std::make_unique<TFrmPrincipal>(m_dir->path());
}

// ---- start-up --------------------------------------------------------------------------

void TstShell::iniLocation_data()
{
    QTest::addColumn<QByteArray>("ini"); // "@DB" stands for the test database's path
    QTest::addColumn<bool>("writeFile");
    QTest::addColumn<int>("status");

    QTest::newRow("key names the database") << QByteArray("[DADOS]\r\nSERVIDOR=@DB\r\n") << true << 0;
    QTest::newRow("names compared without case")
        << QByteArray("[dados]\nservidor = @DB\n") << true << 0;
    QTest::newRow("among other keys")
        << QByteArray("[OUTRA]\r\nSERVIDOR=x:/nada.fdb\r\n[DADOS]\r\nUSUARIO=SYSDBA\r\nSERVIDOR=@DB\r\n")
        << true << 0;
    QTest::newRow("no file") << QByteArray() << false << 2;
    QTest::newRow("no key") << QByteArray("[DADOS]\r\nBANCO=@DB\r\n") << true << 2;
    QTest::newRow("key in another section") << QByteArray("[GERAL]\r\nSERVIDOR=@DB\r\n") << true << 2;
    QTest::newRow("database not there")
        << QByteArray("[DADOS]\r\nSERVIDOR=@DB.sumiu\r\n") << true << 2;
}

void TstShell::iniLocation()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, writeFile);
    QFETCH(int, status);
    TestDb db;
    db.execScript(QStringLiteral("INSERT INTO SETOR (CDSETOR, NOME) VALUES (7, 'OBRAS');"
                                 "INSERT INTO SETOR (CDSETOR, NOME) VALUES (8, 'SAUDE')"));
    if (writeFile)
        writeIni(m_dir->path(), QByteArray(ini).replace("@DB", db.path().toLocal8Bit()));

    ScriptedMessages msgs;
    TFrmPrincipal w(m_dir->path());
    QCOMPARE(w.startupStatus(), status);
    if (status == 0) {
        QCOMPARE(msgs.count(), 0);
        QVERIFY(w.DB_Tarvo());
        // The rows come from the database the file names.
        QVERIFY(w.TB_Setor()->isOpen());
        QCOMPARE(w.TB_Setor()->recordCount(), 2);
        QVERIFY(w.tb_geral()->isOpen());
        QVERIFY(w.tb_Empresa()->isOpen());
        QCOMPARE(w.TB_Setor()->fieldByName(QStringLiteral("NOME"))->displayLabel(),
                 QStringLiteral("Setor"));
    } else {
        QCOMPARE(msgs.count(), 1);
        QCOMPARE(msgs.shown().first().kind, Msg::Kind::Error);
        QVERIFY(!w.TB_Setor()->isOpen());
    }
}

void TstShell::failedStartShowsNoLogin()
{
    ScriptedMessages msgs;
    TFrmPrincipal w(m_dir->path()); // no configuration file at all
    QCOMPARE(w.startupStatus(), 2);
    QVERIFY(w.CB_Acesso()->isChecked());
    QVERIFY(!w.CB_Acesso()->isEnabled());
    QVERIFY(w.CB_Acesso()->isHidden());

    ModalCloser modals;
    QVERIFY(!TFrm_Login::runAtStartup(w));
    QTest::qWait(30);
    QVERIFY(modals.seen.isEmpty());
    QCOMPARE(w.startupStatus(), 2);
}

void TstShell::sessionTablesFailure()
{
    writeIni(m_dir->path(), "[DADOS]\r\nSERVIDOR=servidor/3050:c:\\dados\\tarvo.fdb\r\n");
    ScriptedMessages msgs;
    DbLocation asked;
    TFrmPrincipal w(m_dir->path(), [&asked](const DbLocation &loc) {
        asked = loc;
        return std::make_unique<RefusingDb>();
    });
    // The value goes to the connection verbatim, backslashes and all.
    QCOMPARE(asked.database, QStringLiteral("servidor/3050:c:\\dados\\tarvo.fdb"));
    QCOMPARE(asked.user, QStringLiteral("SYSDBA"));
    QCOMPARE(w.startupStatus(), 2);
    QCOMPARE(msgs.count(), 1);
    QCOMPARE(msgs.shown().first().kind, Msg::Kind::Error);
    QVERIFY(msgs.lastText().contains(QStringLiteral("Table unknown")));
}

// ---- error handler ---------------------------------------------------------------------

void TstShell::handlerText()
{
    const QString text = supportErrorText(QStringLiteral("Falha ao gravar"));
    const QString head = QStringLiteral("Falha ao gravar\r\r   Suporte técnico: \r");
    QVERIFY(text.startsWith(head));
    const QString contact = text.mid(head.size());
    QVERIFY(!contact.trimmed().isEmpty());
    QVERIFY(!contact.contains('\r'));
    QVERIFY(!contact.contains('\n'));
}

void TstShell::handlerCatches_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message"); // empty: no box

    QTest::newRow("program error") << 0 << QStringLiteral("Código já cadastrado");
    QTest::newRow("database error") << 1 << QStringLiteral("violation of PRIMARY KEY");
    QTest::newRow("library error") << 2 << QStringLiteral("bad_alloc aqui");
    QTest::newRow("abort") << 3 << QString();
}

void TstShell::handlerCatches()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    ScriptedMessages msgs;
    Thrower t;
    t.fail = [kind, message] {
        switch (kind) {
        case 0: throw TarvoError(message);
        case 1: throw DbError(message, -803, QStringLiteral("INSERT INTO SETOR"));
        case 2: throw std::runtime_error(message.toStdString());
        default: throw AbortAction();
        }
    };
    QEvent ev(QEvent::User);
    QCoreApplication::sendEvent(&t, &ev);
    if (message.isEmpty()) {
        QCOMPARE(msgs.count(), 0);
    } else {
        QCOMPARE(msgs.count(), 1);
        QCOMPARE(msgs.shown().first().kind, Msg::Kind::Error);
        QCOMPARE(msgs.lastText(), supportErrorText(message));
    }
    // And the program carries on.
    t.fail = nullptr;
    QEvent again(QEvent::User);
    QCoreApplication::sendEvent(&t, &again);
    QCOMPARE(t.delivered, 2);
}

void TstShell::menuActionErrorReachesHandler()
{
    TestDb db;
    auto w = mainFor(db);
    TFrmPrincipal::registerScreen(QStringLiteral("TFrmGrafGrupo"), []() -> QWidget * {
        throw TarvoError(QStringLiteral("Gráfico indisponível"));
    });
    ScriptedMessages msgs;
    QMetaObject::invokeMethod(w->menuItem(QStringLiteral("Gastos_por_Grupo")), "trigger",
                              Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCOMPARE(msgs.count(), 1);
    QCOMPARE(msgs.lastText(), supportErrorText(QStringLiteral("Gráfico indisponível")));
    QVERIFY(w->mdiArea()->subWindowList().isEmpty());
}

// ---- focus colouring -------------------------------------------------------------------

void TstShell::focusClasses_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("excluded");
    QTest::addColumn<bool>("hasColor");

    QTest::newRow("line edit") << "QLineEdit" << false << true;
    QTest::newRow("combo") << "QComboBox" << false << true;
    QTest::newRow("spin box") << "QSpinBox" << false << true;
    QTest::newRow("date edit") << "QDateEdit" << false << true;
    QTest::newRow("memo") << "QPlainTextEdit" << false << true;
    QTest::newRow("label") << "QLabel" << false << false;
    QTest::newRow("button") << "QPushButton" << true << false;
    QTest::newRow("check box") << "QCheckBox" << true << false;
    QTest::newRow("radio") << "QRadioButton" << true << false;
    QTest::newRow("table") << "QTableView" << true << false;
    QTest::newRow("data grid") << "DbGrid" << true << false;
    QTest::newRow("group box") << "QGroupBox" << true << false;
    QTest::newRow("panel") << "QFrame" << true << false;
    QTest::newRow("container") << "QWidget" << true << false;
    QTest::newRow("dialog") << "QDialog" << true << false;
    QTest::newRow("mdi child") << "QMdiSubWindow" << true << false;
}

void TstShell::focusClasses()
{
    QFETCH(QString, widget);
    QFETCH(bool, excluded);
    QFETCH(bool, hasColor);
    QWidget form;
    const QHash<QString, std::function<QWidget *()>> make = {
        {"QLineEdit", [&] { return new QLineEdit(&form); }},
        {"QComboBox", [&] { return new QComboBox(&form); }},
        {"QSpinBox", [&] { return new QSpinBox(&form); }},
        {"QDateEdit", [&] { return new QDateEdit(&form); }},
        {"QPlainTextEdit", [&] { return new QPlainTextEdit(&form); }},
        {"QLabel", [&] { return new QLabel(&form); }},
        {"QPushButton", [&] { return new QPushButton(&form); }},
        {"QCheckBox", [&] { return new QCheckBox(&form); }},
        {"QRadioButton", [&] { return new QRadioButton(&form); }},
        {"QTableView", [&] { return new QTableView(&form); }},
        {"DbGrid", [&] { return new DbGrid(&form); }},
        {"QGroupBox", [&] { return new QGroupBox(&form); }},
        {"QFrame", [&] { return new QFrame(&form); }},
        {"QWidget", [&] { return new QWidget(&form); }},
        {"QDialog", [&] { return new QDialog(&form); }},
        {"QMdiSubWindow", [&] { return new QMdiSubWindow(&form); }},
    };
    QWidget *w = make.value(widget)();
    QCOMPARE(FocusColor::isExcluded(w), excluded);
    QCOMPARE(FocusColor::hasColor(w), hasColor);

    // Focused after an edit: the edit always turns white, the newcomer yellow if it can.
    auto *before = new QLineEdit(&form);
    const QColor untouched(10, 20, 30);
    FocusColor::setColor(w, untouched);
    FocusColor fc;
    fc.focusChanged(nullptr, before);
    fc.focusChanged(before, w);
    QCOMPARE(FocusColor::color(before), FocusColor::leaveColor());
    QCOMPARE(FocusColor::color(w),
             !excluded && hasColor ? FocusColor::focusColor() : untouched);
    QCOMPARE(fc.remembered(), w);
}

void TstShell::focusEditToGrid()
{
    QWidget form;
    auto *edit = new QLineEdit(&form);
    auto *grid = new DbGrid(&form);
    const QColor gridColor(200, 10, 10);
    FocusColor::setColor(grid, gridColor);
    FocusColor fc;
    fc.focusChanged(nullptr, edit);
    QCOMPARE(FocusColor::color(edit), QColor(255, 255, 176));
    fc.focusChanged(edit, grid);
    QCOMPARE(FocusColor::color(edit), QColor(255, 255, 255));
    QCOMPARE(FocusColor::color(grid), gridColor);
}

void TstShell::focusGridToEdit()
{
    QWidget form;
    auto *edit = new QLineEdit(&form);
    auto *grid = new QTableView(&form);
    const QColor gridColor(10, 200, 10);
    FocusColor::setColor(grid, gridColor);
    FocusColor::setColor(edit, gridColor);
    FocusColor fc;
    fc.focusChanged(nullptr, grid);
    fc.focusChanged(grid, edit);
    QCOMPARE(FocusColor::color(edit), QColor(255, 255, 176));
    QCOMPARE(FocusColor::color(grid), gridColor);
}

void TstShell::focusToControlWithoutColor()
{
    QWidget form;
    auto *edit = new QLineEdit(&form);
    auto *label = new QLabel(&form);
    auto *next = new QLineEdit(&form);
    const QColor labelColor(1, 2, 3);
    FocusColor::setColor(label, labelColor);
    FocusColor fc;
    fc.focusChanged(nullptr, edit);
    fc.focusChanged(edit, label);
    QCOMPARE(FocusColor::color(edit), FocusColor::leaveColor());
    QCOMPARE(FocusColor::color(label), labelColor);
    QCOMPARE(fc.remembered(), label);
    // The label was remembered in place of the edit: the next move leaves the edit alone.
    FocusColor::setColor(edit, labelColor);
    fc.focusChanged(label, next);
    QCOMPARE(FocusColor::color(edit), labelColor);
    QCOMPARE(FocusColor::color(next), FocusColor::focusColor());
}

void TstShell::focusToNothingForgets()
{
    QWidget form;
    auto *edit = new QLineEdit(&form);
    auto *other = new QLineEdit(&form);
    FocusColor fc;
    fc.focusChanged(nullptr, edit);
    fc.focusChanged(edit, nullptr);
    QCOMPARE(fc.remembered(), nullptr);
    QCOMPARE(FocusColor::color(edit), FocusColor::focusColor());
    fc.focusChanged(nullptr, other);
    QCOMPARE(FocusColor::color(edit), FocusColor::focusColor());
    QCOMPARE(FocusColor::color(other), FocusColor::focusColor());
}

void TstShell::focusRememberedWindowGone()
{
    QWidget form;
    auto *other = new QLineEdit(&form);
    FocusColor fc;
    {
        QWidget child;
        auto *edit = new QLineEdit(&child);
        fc.focusChanged(nullptr, edit);
    }
    QCOMPARE(fc.remembered(), nullptr);
    fc.focusChanged(nullptr, other);
    QCOMPARE(fc.remembered(), other);
    QCOMPARE(FocusColor::color(other), FocusColor::focusColor());
}

void TstShell::focusFollowsApplication()
{
    QWidget form;
    auto *edit = new QLineEdit(&form);
    auto *button = new QPushButton(QStringLiteral("OK"), &form);
    auto *other = new QLineEdit(&form);
    edit->move(0, 0);
    button->move(0, 40);
    other->move(0, 80);
    FocusColor fc;
    fc.install();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    edit->setFocus();
    QTRY_COMPARE(FocusColor::color(edit), FocusColor::focusColor());
    button->setFocus();
    QTRY_COMPARE(FocusColor::color(edit), FocusColor::leaveColor());
    other->setFocus();
    QTRY_COMPARE(FocusColor::color(other), FocusColor::focusColor());
}

// ---- main window -----------------------------------------------------------------------

void TstShell::closeRefusedWhileChildOpen()
{
    TestDb db;
    auto w = mainFor(db);
    TFrmPrincipal::registerScreen(QStringLiteral("TFrmCadRecurso"), [] { return new Screen; });
    w->show();
    QWidget *screen = w->openScreen(QStringLiteral("TFrmCadRecurso"));
    QVERIFY(screen);

    ScriptedMessages msgs;
    QVERIFY(!w->close());
    QCOMPARE(msgs.count(), 1);
    QCOMPARE(msgs.shown().first().kind, Msg::Kind::Information);
    QCOMPARE(msgs.lastText(),
             QStringLiteral("ATENÇÃO : Existe(m) uma ou mais janelas abertas no momento !!!\r"
                            "Feche todas as janelas antes de encerrar a execução do Sistema ?"));
    QVERIFY(w->isVisible());
    QVERIFY(screen->isVisible());
    QVERIFY(w->tb_geral()->isOpen());

    w->mdiArea()->subWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w->openScreenOf(QStringLiteral("TFrmCadRecurso")));

    msgs.clear();
    w->menuItem(QStringLiteral("Sair_"))->trigger();
    QCOMPARE(msgs.count(), 0);
    QVERIFY(!w->isVisible());
    QVERIFY(!w->tb_geral()->isOpen());
    QVERIFY(!w->TB_Setor()->isOpen());
    QCOMPARE(FrmPrincipal, nullptr);
}

void TstShell::statusBarPanels()
{
    TestDb db;
    auto w = mainFor(db);
    const QStringList texts = {QStringLiteral("Utilize as seguintes Teclas de Atalho p/ as operações"),
                               QStringLiteral("<F4> Inserir"), QStringLiteral("<F5> Alterar"),
                               QStringLiteral("<F6> Deletar"), QStringLiteral("<F7> Gravar"),
                               QStringLiteral("<F8> Cancelar"), QString()};
    QCOMPARE(w->statusBar()->objectName(), QStringLiteral("StatusBar1"));
    for (int i = 0; i < texts.size(); ++i) {
        auto *panel = w->statusBar()->findChild<QLabel *>(QStringLiteral("StatusBar1_Panel%1").arg(i));
        QVERIFY2(panel, qPrintable(QString::number(i)));
        QCOMPARE(panel->text(), texts[i]);
        QCOMPARE(panel->frameShape() == QFrame::NoFrame, i == 0);
    }
    QVERIFY(!w->statusBar()->findChild<QLabel *>(QStringLiteral("StatusBar1_Panel7")));
    QCOMPARE(w->windowTitle(), QStringLiteral("qtMorvane"));
    QCOMPARE(FrmPrincipal, w.get());
}

void TstShell::menuBuiltFromTree()
{
    TestDb db;
    auto w = mainFor(db);
    QStringList walked;
    w->forEachMenuItem([&](QAction *a, int level) {
        walked << QStringLiteral("%1 %2 %3").arg(level).arg(a->objectName(), a->text());
    });
    QStringList expected;
    for (const MenuDef &d : menuTree()) {
        const QString name = QString::fromLatin1(d.name);
        if (QString::fromUtf8(d.caption) == QLatin1String("-")) {
            auto *sep = w->findChild<QAction *>(name);
            QVERIFY2(sep && sep->isSeparator(), d.name);
            continue;
        }
        expected << QStringLiteral("%1 %2 %3").arg(d.level).arg(name, QString::fromUtf8(d.caption));
    }
    QCOMPARE(walked, expected);
    QCOMPARE(w->menuItem(QStringLiteral("Manutencao_de_Usuarios"))->text(),
             QStringLiteral("Manutenção de  Usuário"));
    QVERIFY(w->menu(QStringLiteral("Rel_Atividade")));
    QVERIFY(!w->menu(QStringLiteral("Fornecedor")));
}

void TstShell::screenOpensOnce()
{
    TestDb db;
    auto w = mainFor(db);
    TFrmPrincipal::registerScreen(QStringLiteral("TFrmCadFornecedor"), [] { return new Screen; });
    Screen::created = 0;
    QAction *item = w->menuItem(QStringLiteral("Fornecedor"));
    item->trigger();
    QWidget *first = w->openScreenOf(QStringLiteral("TFrmCadFornecedor"));
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), QStringLiteral("Manutenção de Fornecedores"));
    QVERIFY(w->mdiArea()->subWindowList().first()->isMaximized());
    item->trigger();
    QCOMPARE(Screen::created, 1);
    QCOMPARE(w->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(w->openScreenOf(QStringLiteral("TFrmCadFornecedor")), first);

    // A screen that closes itself clears the reference; the next click builds a new one.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w->openScreenOf(QStringLiteral("TFrmCadFornecedor")));
    QVERIFY(w->mdiArea()->subWindowList().isEmpty());
    item->trigger();
    QCOMPARE(Screen::created, 2);
    QCOMPARE(w->mdiArea()->subWindowList().size(), 1);
}

void TstShell::unregisteredItemDoesNothing()
{
    TestDb db;
    auto w = mainFor(db);
    QAction *item = w->menuItem(QStringLiteral("Relatrio_Recurso_Mes"));
    QVERIFY(item->isEnabled());
    item->trigger();
    QVERIFY(w->mdiArea()->subWindowList().isEmpty());
}

void TstShell::equipeShowsAboutBox()
{
    TestDb db;
    auto w = mainFor(db);
    ModalCloser modals;
    w->menuItem(QStringLiteral("Equipe"))->trigger();
    QCOMPARE(modals.seen, QStringList{QStringLiteral("FrmSobre")});
    QVERIFY(w->mdiArea()->subWindowList().isEmpty());
}

// ---- secretariat choice ----------------------------------------------------------------

void TstShell::secretariatChoice_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 0 << 5 << QStringLiteral("OBRAS");
    QTest::newRow("second") << 1 << 2 << QStringLiteral("SAUDE");
    QTest::newRow("third") << 2 << 9 << QStringLiteral("EDUCAÇÃO");
}

void TstShell::secretariatChoice()
{
    QFETCH(int, position);
    QFETCH(int, code);
    QFETCH(QString, name);
    TestDb db;
    db.execScript(QStringLiteral("INSERT INTO SETOR (CDSETOR, NOME) VALUES (5, 'OBRAS');"
                                 "INSERT INTO SETOR (CDSETOR, NOME) VALUES (2, 'SAUDE');"
                                 "INSERT INTO SETOR (CDSETOR, NOME) VALUES (9, 'EDUCAÇÃO')"));
    auto w = mainFor(db);
    QVERIFY(w->Rdb_setor()->isHidden());
    QVERIFY(w->Painel_setor()->isHidden());

    w->offerSecretariatChoice();
    QCOMPARE(w->Rdb_setor()->title(), QStringLiteral("ESCOLHA A SECRETARIA"));
    QVERIFY(!w->Rdb_setor()->isHidden());
    QVERIFY(!w->Painel_setor()->isHidden());
    QCOMPARE(w->Painel_Setor1()->text(), QStringLiteral(" » Escolha uma Secretaria «"));
    const char *secretariatMenus[] = {"Cadastros_Base", "Movimentos", "Relatorio"};
    const char *otherMenus[] = {"Controle_Acesso", "Graficos", "Sobre", "Sair"};
    for (const char *m : secretariatMenus)
        QVERIFY2(!w->menuItem(QString::fromLatin1(m))->isEnabled(), m);
    for (const char *m : otherMenus)
        QVERIFY2(w->menuItem(QString::fromLatin1(m))->isEnabled(), m);

    const auto radios = w->Rdb_setor()->findChildren<QRadioButton *>();
    QCOMPARE(radios.size(), 3);
    // Clicking with nothing chosen leaves everything as it was.
    w->Rdb_setorClick();
    QCOMPARE(gCodSetor, 0);

    radios[position]->click();
    QCOMPARE(gCodSetor, code);
    QCOMPARE(gNomeSetor, name);
    QCOMPARE(w->Painel_Setor1()->text(), QStringLiteral(" Secretaria Logado:  ") + name);
    for (const char *m : secretariatMenus)
        QVERIFY2(w->menuItem(QString::fromLatin1(m))->isEnabled(), m);
}

void TstShell::secretariatListHeight_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("height");
    QTest::newRow("one") << 1 << 35;
    QTest::newRow("twelve") << 12 << 420;
}

void TstShell::secretariatListHeight()
{
    QFETCH(int, count);
    QFETCH(int, height);
    TestDb db;
    QStringList inserts;
    for (int i = 1; i <= count; ++i)
        inserts << QStringLiteral("INSERT INTO SETOR (CDSETOR, NOME) VALUES (%1, 'SECRETARIA %1')").arg(i * 3);
    db.execScript(inserts.join(';'));
    auto w = mainFor(db);
    w->offerSecretariatChoice();
    QCOMPARE(w->Rdb_setor()->height(), height);
    QCOMPARE(w->Rdb_setor()->findChildren<QRadioButton *>().size(), count);
    // Offered again, the list is rebuilt rather than added to.
    w->offerSecretariatChoice();
    QCOMPARE(w->Rdb_setor()->findChildren<QRadioButton *>().size(), count);
    QCOMPARE(w->Rdb_setor()->height(), height);
}

void TstShell::secretariatListHiddenByScreens()
{
    TestDb db;
    db.execScript(QStringLiteral("INSERT INTO SETOR (CDSETOR, NOME) VALUES (1, 'OBRAS')"));
    auto w = mainFor(db);
    // Never offered (ordinary user): a screen closing does not bring it up.
    w->showSecretariatChoice();
    QVERIFY(w->Rdb_setor()->isHidden());
    w->offerSecretariatChoice();
    w->hideSecretariatChoice();
    QVERIFY(w->Rdb_setor()->isHidden());
    w->setSecretariatChoiceVisible(true);
    QVERIFY(!w->Rdb_setor()->isHidden());
}

int main(int argc, char **argv)
{
    TarvoApplication app(argc, argv);
    TstShell tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_shell.moc"
