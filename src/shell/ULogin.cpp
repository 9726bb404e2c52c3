#include "shell/ULogin.h"

#include "platform/ClientDataSet.h"
#include "platform/DbWidgets.h"
#include "platform/Errors.h"
#include "platform/MessageService.h"
#include "shell/ClickableLabel.h"
#include "shell/Sessao.h"
#include "shell/TarvoApplication.h"
#include "shell/UPrincipal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

TFrm_Login::TFrm_Login(TFrmPrincipal *principal, QWidget *parent)
    : QDialog(parent), m_principal(principal), m_now([] { return QDateTime::currentDateTime(); })
{
    setObjectName(QStringLiteral("Frm_Login"));
    setWindowTitle(QStringLiteral("Controle de Acesso"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Db *db = principal->DB_Tarvo();
    m_tUsuario = new ClientDataSet(this);
    m_tUsuario->setObjectName(QStringLiteral("T_Usuario"));
    m_tUsuario->setDb(db);
    m_tUsuario->setCommandText(QStringLiteral("SELECT * FROM USUARIO"));
    m_tSetor = new ClientDataSet(this);
    m_tSetor->setObjectName(QStringLiteral("T_Setor"));
    m_tSetor->setDb(db);
    m_tSetor->setCommandText(QStringLiteral("SELECT * FROM SETOR"));
    connect(m_tSetor, &ClientDataSet::afterOpen, this, [this] {
        if (Field *f = m_tSetor->findField(QStringLiteral("NOME")))
            f->setDisplayLabel(QStringLiteral("Setor"));
    });
    m_tAcesso = new ClientDataSet(this);
    m_tAcesso->setObjectName(QStringLiteral("T_Acesso"));
    m_tAcesso->setDb(db);
    m_tAcesso->setCommandText(
        QStringLiteral("SELECT * FROM CONFIGACESSO WHERE CDGRUPO = :CDGRUPO"));
    m_tAcesso->setMaster(m_tUsuario, {QStringLiteral("CDGRUPO")}, {QStringLiteral("CDGRUPO")});

    buildUi();
    FormCreate();
    // Sized once the municipality's name is known.
    setFixedSize(sizeHint().expandedTo(QSize(460, 0)));
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

TFrm_Login::~TFrm_Login() = default;

bool TFrm_Login::runAtStartup(TFrmPrincipal &principal)
{
    if (principal.CB_Acesso()->isChecked() && principal.startupStatus() != TFrmPrincipal::StatusFailed) {
        principal.setStartupStatus(TFrmPrincipal::StatusNoLogin);
        try {
            TFrm_Login login(&principal);
            login.exec();
        } catch (const TarvoError &e) {
            // Outside the event loop nothing else would report it.
            ApplicationEvents1Exception(e.message());
        }
    }
    return principal.startupStatus() == TFrmPrincipal::StatusRun;
}

void TFrm_Login::buildUi()
{
    auto *title = new QLabel(QStringLiteral("qtTarvo"), this);
    title->setObjectName(QStringLiteral("Label_titulo"));
    QFont tf = title->font();
    tf.setPointSize(tf.pointSize() + 12);
    tf.setBold(true);
    title->setFont(tf);
    QPalette tp = title->palette();
    tp.setColor(QPalette::WindowText, QColor(0, 0, 128));
    title->setPalette(tp);
    auto *subtitle = new QLabel(QStringLiteral("Controle de Gastos das Secretarias"), this);
    subtitle->setObjectName(QStringLiteral("Label_subtitulo"));
    QFont sf = subtitle->font();
    sf.setBold(true);
    subtitle->setFont(sf);

    m_prefeitura = new QLabel(this);
    m_prefeitura->setObjectName(QStringLiteral("LB_prefeitura"));
    QFont pf = m_prefeitura->font();
    pf.setPointSize(pf.pointSize() + 2);
    pf.setBold(true);
    m_prefeitura->setFont(pf);
    QPalette ppal = m_prefeitura->palette();
    ppal.setColor(QPalette::WindowText, QColor(128, 0, 0));
    m_prefeitura->setPalette(ppal);

    m_editSetor = new QComboBox(this);
    m_editSetor->setObjectName(QStringLiteral("Edit_setor"));
    auto *model = new QStandardItemModel(0, 1, m_editSetor);
    model->setHorizontalHeaderLabels({QStringLiteral("Setor")});
    m_editSetor->setModel(model);
    auto *view = new QTreeView(m_editSetor);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->header()->setStretchLastSection(true);
    m_editSetor->setView(view);
    const int width40 = m_editSetor->fontMetrics().averageCharWidth() * 40;
    m_editSetor->view()->setMinimumWidth(width40);
    m_editSetor->setMinimumWidth(width40 / 2 + 60);
    m_editSetor->installEventFilter(this);

    m_usuario = new UpperLineEdit(this);
    m_usuario->setObjectName(QStringLiteral("E_Usuario"));
    m_usuario->installEventFilter(this);
    m_senha = new UpperLineEdit(this);
    m_senha->setObjectName(QStringLiteral("E_Senha"));
    m_senha->setEchoMode(QLineEdit::Password);
    m_senha->installEventFilter(this);

    m_image3 = new ClickableLabel(this);
    m_image3->setObjectName(QStringLiteral("Image3"));
    m_image3->setPixmap(QPixmap(QStringLiteral(":/images/login.png")));
    m_image3->setToolTip(QStringLiteral("Entrar"));
    m_image3->setAlignment(Qt::AlignCenter);
    connect(m_image3, &ClickableLabel::clicked, this, &TFrm_Login::Image3Click);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Setor"), m_editSetor);
    form->addRow(QStringLiteral("Login"), m_usuario);
    form->addRow(QStringLiteral("Senha"), m_senha);

    auto *body = new QHBoxLayout;
    body->addLayout(form, 1);
    body->addSpacing(16);
    body->addWidget(m_image3);

    auto *main = new QVBoxLayout(this);
    main->addWidget(title);
    main->addWidget(subtitle);
    main->addWidget(m_prefeitura);
    main->addSpacing(10);
    main->addLayout(body);

    setTabOrder(m_editSetor, m_usuario);
    setTabOrder(m_usuario, m_senha);
}

void TFrm_Login::FormCreate()
{
    m_loginTentado = false;
    m_tSetor->open();
    m_tUsuario->open();
    ClientDataSet *empresa = m_principal->tb_Empresa();
    if (empresa && empresa->isOpen() && !empresa->isEmpty())
        m_prefeitura->setText(empresa->value(QStringLiteral("NOME")).toString());

    auto *model = static_cast<QStandardItemModel *>(m_editSetor->model());
    const int nome = m_tSetor->fieldIndex(QStringLiteral("NOME"));
    const int codigo = m_tSetor->fieldIndex(QStringLiteral("CDSETOR"));
    m_tSetor->forEachRow([&](int phys) {
        auto *item = new QStandardItem(m_tSetor->valueAt(phys, nome).toString());
        item->setData(m_tSetor->valueAt(phys, codigo), Qt::UserRole);
        model->appendRow(item);
    });
    m_editSetor->setCurrentIndex(-1);
}

QVariant TFrm_Login::chosenSetor() const
{
    if (m_editSetor->currentIndex() < 0)
        return {};
    return m_editSetor->currentData(Qt::UserRole);
}

bool TFrm_Login::chooseSetor(int cdSetor)
{
    for (int i = 0; i < m_editSetor->count(); ++i) {
        if (m_editSetor->itemData(i, Qt::UserRole).toInt() == cdSetor) {
            m_editSetor->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void TFrm_Login::refuse(const QString &message)
{
    Msg::information(message);
    m_principal->setStartupStatus(TFrmPrincipal::StatusNoLogin);
}

void TFrm_Login::Image3Click()
{
    m_loginTentado = true;
    if (!m_tUsuario->locate(QStringLiteral("LOGIN"), m_usuario->text())) {
        refuse(QStringLiteral("Usuário não cadastrado !!!"));
        return;
    }
    if (m_tUsuario->fieldByName(QStringLiteral("SENHA"))->asString() != m_senha->text()) {
        refuse(QStringLiteral("Senha Incorreta !!!"));
        return;
    }
    const auto fromUser = [this](const char *name) {
        return m_tUsuario->fieldByName(QString::fromLatin1(name));
    };
    if (!fromUser("MARTER")->asBool()) {
        const QVariant chosen = chosenSetor();
        const QString chosenText = chosen.isValid() ? chosen.toString() : QString();
        if (chosenText != fromUser("CDSETOR")->asString()) {
            refuse(QStringLiteral("Usuário não habilitado para este Setor !!!\""));
            return;
        }
        if (!fromUser("HABILITADO")->asBool()) {
            refuse(QStringLiteral("Usuário não habilitado !!!"));
            return;
        }
        m_principal->setStartupStatus(TFrmPrincipal::StatusRun);
        gNomeUsuario = fromUser("NOME")->asString();
        gCodUsuario = int(fromUser("CDUSUARIO")->asInt());
        gCodSetor = int(fromUser("CDSETOR")->asInt());
        gNomeSetor = m_editSetor->currentText();
        gUsuarioMaster = false;
    } else {
        m_principal->setStartupStatus(TFrmPrincipal::StatusRun);
        gNomeUsuario = fromUser("NOME")->asString();
        gCodUsuario = int(fromUser("CDUSUARIO")->asInt());
        gCodSetor = int(fromUser("CDSETOR")->asInt());
        gNomeSetor = m_tSetor->lookup(QStringLiteral("CDSETOR"), gCodSetor, QStringLiteral("NOME"))
                         .toString();
        gUsuarioMaster = true;
        m_principal->offerSecretariatChoice();
    }
    // Throws when the log cannot be written: the window then stays open, logged in.
    m_principal->completeLogin(m_now());
    accept();
}

void TFrm_Login::E_SenhaKeyPress() { Image3Click(); }

void TFrm_Login::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        try {
            FormClose();
        } catch (const TarvoError &e) {
            // The window must close all the same, or the user could never leave it.
            ApplicationEvents1Exception(e.message());
        }
    }
    QDialog::done(result);
}

void TFrm_Login::FormClose()
{
    if (m_loginTentado && !m_tAcesso->isOpen())
        m_tAcesso->open();
    if (m_principal->startupStatus() == TFrmPrincipal::StatusRun && m_loginTentado &&
        m_tAcesso->isOpen() && !m_tAcesso->isEmpty()) {
        if (!gUsuarioMaster) {
            m_principal->applyMenuVisibility([this](const QString &name) -> std::optional<bool> {
                if (!m_tAcesso->locate(QStringLiteral("MENU"), name))
                    return std::nullopt;
                return m_tAcesso->fieldByName(QStringLiteral("VISIVEL"))->asBool();
            });
        } else {
            m_principal->offerSecretariatChoice();
        }
    }
    m_tUsuario->close();
    m_tAcesso->close();
    m_tSetor->close();
}

bool TFrm_Login::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_senha) {
                E_SenhaKeyPress();
                if (isVisible() && !m_closed)
                    focusNextChild();
            } else {
                focusNextChild();
            }
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && watched == m_editSetor) {
        // Drops its list when entered, but not when the focus only comes back to it.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            QTimer::singleShot(0, m_editSetor, [this] {
                if (m_editSetor->hasFocus() && isVisible())
                    m_editSetor->showPopup();
            });
    }
    return QDialog::eventFilter(watched, event);
}

void TFrm_Login::keyPressEvent(QKeyEvent *event)
{
    // Only the close box ends the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrm_Login::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The secretariat comes first: its list opens as soon as the window appears.
    QTimer::singleShot(0, m_editSetor, [this] {
        if (m_editSetor->hasFocus() && isVisible())
            m_editSetor->showPopup();
    });
}
