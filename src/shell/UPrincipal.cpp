#include "shell/UPrincipal.h"

#include "platform/ClientDataSet.h"
#include "platform/Errors.h"
#include "platform/MessageService.h"
#include "shell/FocusColor.h"
#include "shell/IniFile.h"
#include "shell/Sessao.h"
#include "shell/USobre.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const char *const kIniName = "TARVOSECRETARIA.INI";
const char *const kIniSection = "DADOS";
const int kPixelsPerSecretariat = 35;

QHash<QString, TFrmPrincipal::ScreenFactory> &screenRegistry()
{
    static QHash<QString, TFrmPrincipal::ScreenFactory> registry;
    return registry;
}

QMdiSubWindow *subWindowOf(QWidget *w)
{
    for (QWidget *p = w; p; p = p->parentWidget())
        if (auto *sub = qobject_cast<QMdiSubWindow *>(p))
            return sub;
    return nullptr;
}

// The menus that work on one secretariat's data.
const char *const kSecretariatMenus[] = {"Cadastros_Base", "Movimentos", "Relatorio"};

} // namespace

TFrmPrincipal::TFrmPrincipal(const QString &iniDir, DbFactory dbFactory, QWidget *parent)
    : QMainWindow(parent),
      m_iniDir(iniDir.isEmpty() ? QCoreApplication::applicationDirPath() : iniDir)
{
    // The pictures live in the static library; nothing else would pull them in.
    Q_INIT_RESOURCE(tarvo);
    setObjectName(QStringLiteral("FrmPrincipal"));
    setWindowTitle(QStringLiteral("qtMorvane"));
    FrmPrincipal = this;

    m_geral = std::make_unique<ClientDataSet>();
    m_geral->setObjectName(QStringLiteral("tb_geral"));
    m_geral->setCommandText(QStringLiteral("SELECT * FROM GERAL"));
    m_setor = std::make_unique<ClientDataSet>();
    m_setor->setObjectName(QStringLiteral("TB_Setor"));
    m_setor->setCommandText(QStringLiteral("SELECT * \r\nFROM SETOR\r\n\r\n"));
    connect(m_setor.get(), &ClientDataSet::afterOpen, this, [this] {
        if (Field *f = m_setor->findField(QStringLiteral("NOME")))
            f->setDisplayLabel(QStringLiteral("Setor"));
        if (Field *f = m_setor->findField(QStringLiteral("CDSETOR")))
            f->setRequired(true);
    });
    m_empresa = std::make_unique<ClientDataSet>();
    m_empresa->setObjectName(QStringLiteral("tb_Empresa"));
    m_empresa->setCommandText(QStringLiteral("SELECT * FROM EMPRESA"));
    connect(m_empresa.get(), &ClientDataSet::afterOpen, this, [this] {
        if (Field *f = m_empresa->findField(QStringLiteral("CDEMPRESA")))
            f->setRequired(true);
    });

    buildClientArea();
    buildMenu();
    buildStatusBar();

    m_cbAcesso = new QCheckBox(
        QStringLiteral("Utiliza Controle de Acesso (Verifica opções de Menu)"), this);
    m_cbAcesso->setObjectName(QStringLiteral("CB_Acesso"));
    m_cbAcesso->setChecked(true);
    m_cbAcesso->setEnabled(false);
    m_cbAcesso->hide();

    connectDatabase(dbFactory);
    FormCreate();
}

TFrmPrincipal::~TFrmPrincipal()
{
    // FormDestroy: stop following the focus before the widgets go.
    delete m_focus;
    m_focus = nullptr;
    // Screens and tables still use the connection while they close.
    if (m_mdi)
        qDeleteAll(m_mdi->subWindowList());
    m_geral.reset();
    m_setor.reset();
    m_empresa.reset();
    m_db.reset();
    if (FrmPrincipal == this)
        FrmPrincipal = nullptr;
}

TFrmPrincipal *TFrmPrincipal::instance() { return FrmPrincipal; }

// ---- configuration and start-up --------------------------------------------------------

QString TFrmPrincipal::iniFileName() const
{
    return findFileNoCase(m_iniDir, QString::fromLatin1(kIniName));
}

QString TFrmPrincipal::iniValue(const QString &key, const QString &defaultValue) const
{
    return readIniValue(iniFileName(), QString::fromLatin1(kIniSection), key, defaultValue);
}

DbLocation TFrmPrincipal::DB_TarvoBeforeConnect() const
{
    DbLocation loc;
    loc.database = iniValue(QStringLiteral("SERVIDOR"));
    loc.user = iniValue(QStringLiteral("USUARIO"), loc.user);
    loc.password = iniValue(QStringLiteral("SENHA"), loc.password);
    return loc;
}

void TFrmPrincipal::connectDatabase(const DbFactory &factory)
{
    const DbLocation loc = DB_TarvoBeforeConnect();
    try {
        if (loc.database.isEmpty())
            throw TarvoError(
                QStringLiteral("O banco de dados não está configurado: informe a chave SERVIDOR "
                               "da seção [DADOS] do arquivo \"%1\".")
                    .arg(QDir::toNativeSeparators(iniFileName())));
        m_db = factory ? factory(loc) : openFirebird(loc);
    } catch (const TarvoError &e) {
        m_db.reset();
        Msg::error(QStringLiteral("Não foi possível conectar ao banco de dados.\r\r") + e.message());
        m_status = StatusFailed;
    }
    m_geral->setDb(m_db.get());
    m_setor->setDb(m_db.get());
    m_empresa->setDb(m_db.get());
}

void TFrmPrincipal::FormCreate()
{
    m_focus = new FocusColor(this);
    m_focus->install();

    if (!m_db)
        return; // already reported; the program ends without a login
    try {
        m_geral->open();
        m_setor->open();
        m_empresa->open();
    } catch (const TarvoError &e) {
        Msg::error(QStringLiteral("Não foi possível abrir as tabelas do sistema.\r\r") + e.message());
        m_status = StatusFailed;
    } catch (const std::exception &e) {
        Msg::error(QStringLiteral("Não foi possível abrir as tabelas do sistema.\r\r") +
                   QString::fromUtf8(e.what()));
        m_status = StatusFailed;
    }
}

void TFrmPrincipal::closeEvent(QCloseEvent *event)
{
    int open = 0;
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (!sub->isHidden())
            ++open;
    if (open > 0) {
        Msg::information(QStringLiteral(
            "ATENÇÃO : Existe(m) uma ou mais janelas abertas no momento !!!\rFeche todas as "
            "janelas antes de encerrar a execução do Sistema ?"));
        event->ignore();
        return;
    }
    m_geral->close();
    m_setor->close();
    if (FrmPrincipal == this)
        FrmPrincipal = nullptr;
    event->accept();
}

// ---- window layout -------------------------------------------------------------------

void TFrmPrincipal::buildClientArea()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_painelSetor = new QFrame(central);
    m_painelSetor->setObjectName(QStringLiteral("Painel_setor"));
    m_painelSetor->setFrameShape(QFrame::Panel);
    m_painelSetor->setFrameShadow(QFrame::Raised);
    m_painelSetor->setAutoFillBackground(true);
    QPalette pp = m_painelSetor->palette();
    pp.setColor(QPalette::Window, QColor(0, 0, 128));
    pp.setColor(QPalette::WindowText, Qt::white);
    m_painelSetor->setPalette(pp);
    auto *header = new QHBoxLayout(m_painelSetor);
    header->setContentsMargins(8, 4, 8, 4);
    auto *headerTitle = new QLabel(QStringLiteral("qtTarvo - Controle de Gastos"), m_painelSetor);
    headerTitle->setObjectName(QStringLiteral("Painel_Setor2"));
    m_painelSetor1 = new QLabel(QStringLiteral(" » Escolha uma Secretaria «"), m_painelSetor);
    m_painelSetor1->setObjectName(QStringLiteral("Painel_Setor1"));
    QFont hf = m_painelSetor1->font();
    hf.setBold(true);
    hf.setPointSize(hf.pointSize() + 2);
    headerTitle->setFont(hf);
    m_painelSetor1->setFont(hf);
    header->addWidget(headerTitle);
    header->addStretch();
    header->addWidget(m_painelSetor1);
    m_painelSetor->hide();
    column->addWidget(m_painelSetor);

    m_mdi = new QMdiArea(central);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    column->addWidget(m_mdi, 1);
    setCentralWidget(central);

    // Lies over the client area like the old radio group; hidden while a screen works.
    m_rdbSetor = new QGroupBox(QStringLiteral("ESCOLHA A SECRETARIA"), central);
    m_rdbSetor->setObjectName(QStringLiteral("Rdb_setor"));
    m_rdbSetor->setAutoFillBackground(true);
    auto *radios = new QVBoxLayout(m_rdbSetor);
    radios->setContentsMargins(10, 4, 10, 4);
    radios->setSpacing(0);
    m_rdbGroup = new QButtonGroup(this);
    m_rdbGroup->setExclusive(true);
    connect(m_rdbGroup, &QButtonGroup::idClicked, this, [this] { Rdb_setorClick(); });
    m_rdbSetor->setFixedWidth(340);
    m_rdbSetor->hide();

    // The logged-in display sits on the background, under any screen.
    m_loginPanel = new QWidget(m_mdi->viewport());
    m_loginPanel->setObjectName(QStringLiteral("Painel_login"));
    auto *grid = new QGridLayout(m_loginPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    m_imageGR = new QLabel(m_loginPanel);
    m_imageGR->setObjectName(QStringLiteral("image_GR"));
    m_imageGR->setPixmap(QPixmap(QStringLiteral(":/images/image_GR.png")));
    m_imageGR->hide();
    auto makeLabel = [this](const char *name, bool bold) {
        auto *l = new QLabel(m_loginPanel);
        l->setObjectName(QString::fromLatin1(name));
        QFont f = l->font();
        f.setPointSize(f.pointSize() + 2);
        f.setBold(bold);
        l->setFont(f);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(p);
        return l;
    };
    m_lbNome = makeLabel("lb_nome", false);
    m_lbNome1 = makeLabel("Lb_nome1", true);
    m_lbLogado = makeLabel("lb_logado", false);
    m_lbLogado1 = makeLabel("Lb_logado1", true);
    m_lbNome->hide();
    m_lbLogado->hide();
    grid->addWidget(m_imageGR, 0, 0, 2, 1);
    grid->addWidget(m_lbNome, 0, 1);
    grid->addWidget(m_lbNome1, 0, 2);
    grid->addWidget(m_lbLogado, 1, 1);
    grid->addWidget(m_lbLogado1, 1, 2);
    m_loginPanel->lower();

    m_background = QPixmap(QStringLiteral(":/images/fundo.png"));
    m_mdi->viewport()->installEventFilter(this);
    m_mdi->installEventFilter(this);
}

void TFrmPrincipal::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const QString texts[] = {
        QStringLiteral("Utilize as seguintes Teclas de Atalho p/ as operações"),
        QStringLiteral("<F4> Inserir"),
        QStringLiteral("<F5> Alterar"),
        QStringLiteral("<F6> Deletar"),
        QStringLiteral("<F7> Gravar"),
        QStringLiteral("<F8> Cancelar"),
        QString(),
    };
    int i = 0;
    for (const QString &text : texts) {
        auto *panel = new QLabel(text, bar);
        panel->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i));
        panel->setTextFormat(Qt::PlainText);
        if (i == 0) {
            panel->setFrameShape(QFrame::NoFrame);
            panel->setContentsMargins(4, 0, 12, 0);
            panel->setMinimumWidth(panel->fontMetrics().horizontalAdvance(text) + 16);
        } else {
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            panel->setAlignment(Qt::AlignCenter);
            panel->setMinimumWidth(95);
        }
        bar->addWidget(panel, i == 6 ? 1 : 0);
        ++i;
    }
}

void TFrmPrincipal::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const QVector<MenuDef> &tree = menuTree();
    QMenu *parents[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int i = 0; i < tree.size(); ++i) {
        const MenuDef &def = tree[i];
        const QString name = QString::fromLatin1(def.name);
        const QString caption = QString::fromUtf8(def.caption);
        const bool hasChildren = i + 1 < tree.size() && tree[i + 1].level > def.level;
        QMenu *parent = def.level > 1 ? parents[def.level - 1] : nullptr;
        if (caption == QLatin1String("-")) {
            QAction *sep = parent ? parent->addSeparator() : bar->addSeparator();
            sep->setObjectName(name);
            continue;
        }
        if (hasChildren) {
            QMenu *m = parent ? parent->addMenu(caption) : bar->addMenu(caption);
            m->setObjectName(name);
            m->menuAction()->setObjectName(name);
            parents[def.level] = m;
            m_menus.insert(name, m);
            m_items.insert(name, m->menuAction());
            continue;
        }
        QAction *a = parent ? parent->addAction(caption) : bar->addAction(caption);
        a->setObjectName(name);
        m_items.insert(name, a);
        connect(a, &QAction::triggered, this, [this, def] { menuItemClick(def); });
    }
}

bool TFrmPrincipal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        if (watched == m_mdi->viewport() && event->type() == QEvent::Resize)
            paintBackground();
        if (watched == m_mdi || watched == m_mdi->viewport())
            placeOverlays();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmPrincipal::paintBackground()
{
    const QSize size = m_mdi->viewport()->size();
    if (size.isEmpty())
        return;
    QPixmap canvas(size);
    canvas.fill(QColor(58, 110, 165));
    if (!m_background.isNull()) {
        QPainter p(&canvas);
        const QSize fit = m_background.size().scaled(size * 0.8, Qt::KeepAspectRatio);
        const QSize drawn = fit.width() > m_background.width() ? m_background.size() : fit;
        const QRect target(QPoint((size.width() - drawn.width()) / 2,
                                  (size.height() - drawn.height()) / 2),
                           drawn);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(target, m_background);
    }
    m_mdi->setBackground(QBrush(canvas));
}

void TFrmPrincipal::placeOverlays()
{
    const QRect area = m_mdi->geometry();
    m_rdbSetor->move(area.left() + 16, area.top() + 16);
    m_rdbSetor->raise();

    m_loginPanel->adjustSize();
    const QSize vp = m_mdi->viewport()->size();
    m_loginPanel->move(vp.width() - m_loginPanel->width() - 16,
                       vp.height() - m_loginPanel->height() - 16);
    m_loginPanel->lower();
}

// ---- menu and screens ----------------------------------------------------------------

void TFrmPrincipal::registerScreen(const QString &screenClass, ScreenFactory factory)
{
    screenRegistry().insert(screenClass, std::move(factory));
}

bool TFrmPrincipal::isScreenRegistered(const QString &screenClass)
{
    return screenRegistry().contains(screenClass);
}

QWidget *TFrmPrincipal::openScreenOf(const QString &screenClass) const
{
    return m_screens.value(screenClass).data();
}

QWidget *TFrmPrincipal::openScreen(const QString &screenClass, const QString &caption)
{
    if (QWidget *open = openScreenOf(screenClass)) {
        if (QMdiSubWindow *sub = subWindowOf(open)) {
            if (sub->isMinimized())
                sub->showMaximized();
            else
                sub->show();
            sub->raise();
            m_mdi->setActiveSubWindow(sub);
        }
        return open;
    }
    const ScreenFactory factory = screenRegistry().value(screenClass);
    if (!factory)
        return nullptr;
    QWidget *w = factory();
    if (!w)
        return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (w->windowTitle().isEmpty())
        w->setWindowTitle(caption);
    QMdiSubWindow *sub = m_mdi->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A screen that closes itself takes its frame along.
    if (sub != w)
        connect(w, &QObject::destroyed, sub, &QObject::deleteLater);
    m_screens.insert(screenClass, w);
    sub->showMaximized();
    m_mdi->setActiveSubWindow(sub);
    return w;
}

void TFrmPrincipal::menuItemClick(const MenuDef &def)
{
    const QString name = QString::fromLatin1(def.name);
    if (name == QLatin1String("Equipe")) {
        EquipeClick();
        return;
    }
    if (name == QLatin1String("Sair_")) {
        Sair_Click();
        return;
    }
    const QString screenClass = QString::fromLatin1(def.screen);
    if (!screenClass.isEmpty())
        openScreen(screenClass, QString::fromUtf8(def.screenCaption));
}

void TFrmPrincipal::EquipeClick()
{
    if (!m_sobre)
        m_sobre = new TFrmSobre(this);
    m_sobre->exec();
}

void TFrmPrincipal::Sair_Click() { close(); }

QAction *TFrmPrincipal::menuItem(const QString &name) const { return m_items.value(name); }

QMenu *TFrmPrincipal::menu(const QString &name) const { return m_menus.value(name); }

bool TFrmPrincipal::isMenuItemShown(const QString &name) const
{
    QAction *item = menuItem(name);
    if (!item)
        return false;
    // Walk up through the menus that hold the item.
    for (;;) {
        if (!item->isVisible())
            return false;
        auto *holder = qobject_cast<QMenu *>(item->parent());
        if (holder && holder->menuAction() == item)
            holder = qobject_cast<QMenu *>(holder->parent());
        if (!holder)
            return true;
        item = holder->menuAction();
    }
}

void TFrmPrincipal::forEachMenuItem(const std::function<void(QAction *, int)> &fn) const
{
    const std::function<void(const QList<QAction *> &, int)> walk =
        [&](const QList<QAction *> &actions, int level) {
            for (QAction *a : actions) {
                if (a->isSeparator())
                    continue;
                fn(a, level);
                if (level < 3 && a->menu())
                    walk(a->menu()->actions(), level + 1);
            }
        };
    walk(menuBar()->actions(), 1);
}

void TFrmPrincipal::applyMenuVisibility(
    const std::function<std::optional<bool>(const QString &)> &visible)
{
    forEachMenuItem([&](QAction *item, int) {
        if (const std::optional<bool> v = visible(item->objectName()))
            item->setVisible(*v);
    });
}

// ---- secretariat choice --------------------------------------------------------------

void TFrmPrincipal::enableSecretariatMenus(bool enabled)
{
    for (const char *name : kSecretariatMenus)
        if (QAction *a = menuItem(QString::fromLatin1(name)))
            a->setEnabled(enabled);
}

void TFrmPrincipal::offerSecretariatChoice()
{
    enableSecretariatMenus(false);

    const QList<QAbstractButton *> old = m_rdbGroup->buttons();
    for (QAbstractButton *b : old) {
        m_rdbGroup->removeButton(b);
        delete b;
    }
    int count = 0;
    if (m_setor->isOpen()) {
        m_setor->first();
        while (!m_setor->eof()) {
            const QString nome = m_setor->value(QStringLiteral("NOME")).toString();
            auto *radio = new QRadioButton(QString(nome).replace('&', QLatin1String("&&")),
                                           m_rdbSetor);
            radio->setProperty("nome", nome);
            m_rdbSetor->layout()->addWidget(radio);
            m_rdbGroup->addButton(radio, count++);
            m_setor->next();
        }
    }
    m_rdbSetor->setFixedHeight(kPixelsPerSecretariat * count);
    m_choiceOffered = true;
    m_painelSetor->show();
    m_rdbSetor->show();
    placeOverlays();
}

void TFrmPrincipal::Rdb_setorClick()
{
    const int index = m_rdbGroup->checkedId();
    if (index < 0)
        return;
    if (!m_setor->isOpen() || index >= m_setor->recordCount())
        return;
    const int codeField = m_setor->fieldIndex(QStringLiteral("CDSETOR"));
    gCodSetor = m_setor->valueAt(m_setor->physRow(index), codeField).toInt();
    gNomeSetor = m_rdbGroup->checkedButton()->property("nome").toString();
    enableSecretariatMenus(true);
    m_painelSetor1->setText(QStringLiteral(" Secretaria Logado:  ") + gNomeSetor);
}

void TFrmPrincipal::setSecretariatChoiceVisible(bool visible)
{
    if (!m_choiceOffered)
        return;
    m_rdbSetor->setVisible(visible);
    if (visible)
        placeOverlays();
}

// ---- login -----------------------------------------------------------------------------

QString TFrmPrincipal::loginLogPath() const
{
    const QString configured = iniValue(QStringLiteral("LOG"));
    if (!configured.isEmpty())
        return configured;
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Quantera\\qtmorvane\\BD\\qtTarvo.log");
#else
    return QDir(QFileInfo(iniFileName()).absolutePath()).filePath(QStringLiteral("qtTarvo.log"));
#endif
}

QString TFrmPrincipal::loginLogLine(const QDateTime &when, const QString &nome, int codigo)
{
    return when.toString(QStringLiteral("dd/MM/yy  hh:mm")) + QString(5, QLatin1Char(' ')) +
           nome + QString(12, QLatin1Char(' ')) + QString::number(codigo) +
           QStringLiteral("\r\n");
}

void TFrmPrincipal::completeLogin(const QDateTime &now)
{
    m_lbNome->setVisible(true);
    m_lbLogado->setVisible(true);
    m_lbNome->setText(QStringLiteral("Usuário:  "));
    m_lbNome1->setText(QStringLiteral("» ") + gNomeUsuario);
    m_imageGR->show();
    m_lbLogado->setText(QStringLiteral("Logado Desde: "));
    m_lbLogado1->setText(QStringLiteral("» ") + now.toString(QStringLiteral("hh:mm  dd/MM/yy")));
    placeOverlays();

    const QString path = loginLogPath();
    QFile log(path);
    // The log is read on Windows: names go out in its ANSI code page.
    const QByteArray line = loginLogLine(now, gNomeUsuario, gCodUsuario).toLatin1();
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(line) != line.size() ||
        !log.flush())
        throw TarvoError(QStringLiteral("Não foi possível gravar o registro de acesso em \"%1\": %2")
                             .arg(QDir::toNativeSeparators(path), log.errorString()));
}
