#pragma once

#include <QDateTime>
#include <QDialog>
#include <QVariant>
#include <functional>

class ClickableLabel;
class ClientDataSet;
class QComboBox;
class QLabel;
class QLineEdit;
class TFrmPrincipal;

// The login window shown at start-up: checks the user, fills the session, records the login
// and, on closing, applies the user group's menu visibility to the main window.
class TFrm_Login : public QDialog
{
    Q_OBJECT
public:
    explicit TFrm_Login(TFrmPrincipal *principal, QWidget *parent = nullptr);
    ~TFrm_Login() override;

    // The entry point's part: when access control is on and start-up went well, shows the
    // login modally. True when the session may run (status 0).
    static bool runAtStartup(TFrmPrincipal &principal);

    // The clock used for the logged-in display and the log line.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    // The login button (the picture) and Enter in the password.
    void Image3Click();
    void E_SenhaKeyPress();

    // CDSETOR of the secretariat chosen in Edit_setor; invalid when none.
    QVariant chosenSetor() const;
    // Picks the secretariat with that code in Edit_setor (as the user would).
    bool chooseSetor(int cdSetor);
    bool loginTentado() const { return m_loginTentado; }

    QComboBox *Edit_setor() const { return m_editSetor; }
    QLineEdit *E_Usuario() const { return m_usuario; }
    QLineEdit *E_Senha() const { return m_senha; }
    QLabel *LB_prefeitura() const { return m_prefeitura; }
    ClickableLabel *Image3() const { return m_image3; }
    ClientDataSet *T_Usuario() const { return m_tUsuario; }
    ClientDataSet *T_Setor() const { return m_tSetor; }
    ClientDataSet *T_Acesso() const { return m_tAcesso; }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildUi();
    void FormCreate();
    void FormClose();
    void refuse(const QString &message);

    TFrmPrincipal *m_principal;
    std::function<QDateTime()> m_now;
    bool m_loginTentado = false;
    bool m_closed = false;
    bool m_shown = false;

    ClientDataSet *m_tUsuario = nullptr;
    ClientDataSet *m_tSetor = nullptr;
    ClientDataSet *m_tAcesso = nullptr;

    QComboBox *m_editSetor = nullptr;
    QLineEdit *m_usuario = nullptr;
    QLineEdit *m_senha = nullptr;
    QLabel *m_prefeitura = nullptr;
    ClickableLabel *m_image3 = nullptr;
};
