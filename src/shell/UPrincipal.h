#pragma once

#include "platform/Db.h"
#include "shell/MenuTree.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class ClientDataSet;
class FocusColor;
class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class TFrmSobre;

// The MDI frame: owns the connection and the three session tables, the main menu (the
// only way into the screens) and, for master users, the secretariat choice.
class TFrmPrincipal : public QMainWindow
{
    Q_OBJECT
public:
    using DbFactory = std::function<std::unique_ptr<Db>(const DbLocation &)>;
    using ScreenFactory = std::function<QWidget *()>;

    // Start-up status (the old form tag).
    enum Status { StatusRun = 0, StatusNoLogin = 1, StatusFailed = 2 };

    // iniDir: where TARVOSECRETARIA.INI is looked for (default: beside the executable);
    // dbFactory: how the connection is opened (default: openFirebird).
    explicit TFrmPrincipal(const QString &iniDir = {}, DbFactory dbFactory = {},
                           QWidget *parent = nullptr);
    ~TFrmPrincipal() override;

    // The one main window; same as the FrmPrincipal global.
    static TFrmPrincipal *instance();

    // Shared with every screen. DB_Tarvo is null when the connection failed at start-up.
    Db *DB_Tarvo() const { return m_db.get(); }
    ClientDataSet *tb_geral() const { return m_geral.get(); }
    ClientDataSet *TB_Setor() const { return m_setor.get(); }
    ClientDataSet *tb_Empresa() const { return m_empresa.get(); }
    QMdiArea *mdiArea() const { return m_mdi; }
    QCheckBox *CB_Acesso() const { return m_cbAcesso; }
    FocusColor *focusColor() const { return m_focus; }

    int startupStatus() const { return m_status; }
    void setStartupStatus(int status) { m_status = status; }

    // Configuration file and its DADOS section.
    QString iniFileName() const;
    QString iniValue(const QString &key, const QString &defaultValue = {}) const;
    // Where the connection goes, read again before every connect.
    DbLocation DB_TarvoBeforeConnect() const;
    // File that receives one line per login.
    QString loginLogPath() const;
    static QString loginLogLine(const QDateTime &when, const QString &nome, int codigo);

    // Screens opened from the menu: class name -> how to build one.
    static void registerScreen(const QString &screenClass, ScreenFactory factory);
    static bool isScreenRegistered(const QString &screenClass);
    // Creates the screen on first use as a maximised MDI child, brings it forward later.
    // Returns the screen, or null when the class is not registered.
    QWidget *openScreen(const QString &screenClass, const QString &caption = {});
    // The open screen of that class, or null.
    QWidget *openScreenOf(const QString &screenClass) const;

    // Main menu. Menu items (with sub-items) answer with their menu action.
    QAction *menuItem(const QString &name) const;
    QMenu *menu(const QString &name) const;
    // Visible and so are all its parents.
    bool isMenuItemShown(const QString &name) const;
    // Three levels in menu order, separators skipped (the order of the access rows).
    void forEachMenuItem(const std::function<void(QAction *item, int level)> &fn) const;
    // Sets each item that has an answer visible or hidden; the others keep their state.
    void applyMenuVisibility(const std::function<std::optional<bool>(const QString &name)> &visible);

    // Secretariat choice for master users.
    void offerSecretariatChoice();
    void enableSecretariatMenus(bool enabled);
    void Rdb_setorClick();
    // Screens hide the list while active and show it again when they close (master users);
    // it only ever shows once it was offered.
    void hideSecretariatChoice() { setSecretariatChoiceVisible(false); }
    void showSecretariatChoice() { setSecretariatChoiceVisible(true); }
    void setSecretariatChoiceVisible(bool visible);
    QGroupBox *Rdb_setor() const { return m_rdbSetor; }
    QFrame *Painel_setor() const { return m_painelSetor; }
    QLabel *Painel_Setor1() const { return m_painelSetor1; }

    // Fills the logged-in display and appends the log line; throws TarvoError when the
    // log cannot be written (the display is already filled then).
    void completeLogin(const QDateTime &now);

    void EquipeClick();
    void Sair_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectDatabase(const DbFactory &factory);
    void FormCreate();
    void buildMenu();
    void buildStatusBar();
    void buildClientArea();
    void menuItemClick(const MenuDef &def);
    void placeOverlays();
    void paintBackground();

    QString m_iniDir;
    int m_status = StatusRun;
    std::unique_ptr<Db> m_db;
    std::unique_ptr<ClientDataSet> m_geral, m_setor, m_empresa;
    FocusColor *m_focus = nullptr;

    QMdiArea *m_mdi = nullptr;
    QCheckBox *m_cbAcesso = nullptr;
    QHash<QString, QAction *> m_items;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QPointer<QWidget>> m_screens;
    QPointer<TFrmSobre> m_sobre;

    QFrame *m_painelSetor = nullptr;
    QLabel *m_painelSetor1 = nullptr;
    QGroupBox *m_rdbSetor = nullptr;
    QButtonGroup *m_rdbGroup = nullptr;
    bool m_choiceOffered = false;

    QWidget *m_loginPanel = nullptr;
    QLabel *m_imageGR = nullptr;
    QLabel *m_lbNome = nullptr, *m_lbNome1 = nullptr;
    QLabel *m_lbLogado = nullptr, *m_lbLogado1 = nullptr;
    QPixmap m_background;
};
