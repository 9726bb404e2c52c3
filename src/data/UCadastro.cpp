#include "data/UCadastro.h"

#include "data/U_Biblioteca.h"
#include "platform/ClientDataSet.h"
#include "platform/DataLink.h"
#include "platform/DbGrid.h"
#include "platform/DbWidgets.h"
#include "platform/Errors.h"
#include "platform/MessageService.h"
#include "shell/Sessao.h"
#include "shell/UPrincipal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char *const kPerguntaCancelar =
    "Os dados estão sendo alterados no momento !\rDeseja realmente cancelar as alterações feitas ?";

struct ButtonDef
{
    const char *name;
    const char *caption;
    const char *hint;
    bool enabledAtStart;
};

const ButtonDef kNavigator[] = {
    {"Inserir", "Inserir", "Pemite inserir um novo registro", true},
    {"Alterar", "Alterar", "Pemite alterar o registro selecionado no momento", true},
    {"Deletar", "Deletar", "Apaga o registro atual", true},
    {"Gravar", "Gravar", "Grava as alterações feitas neste banco de dados", false},
    {"Cancelar", "Cancelar", "Cancela as alterações feitas neste registro", false},
    {"Primeiro", "Primeiro", "Vai para o primeiro registro do banco de dados", false},
    {"Anterior", "Anterior", "Vai para registro anterior do banco de dados", false},
    {"Proximo", "Próximo", "Vai para o próximo registro do banco de dados", false},
    {"Ultimo", "Último", "Vai para o último registro do banco de dados", false},
    {"Sair", "Sair", "Fecha esta janela de cadastro", true},
};

constexpr int kConsulta = 0;
constexpr int kCadastro = 1;

bool isMaster() { return gUsuarioMaster && FrmPrincipal; }

} // namespace

QString &TFrmCadastro::campoBusca(const QString &screenClass)
{
    static QHash<QString, QString> remembered;
    return remembered[screenClass];
}

TFrmCadastro::TFrmCadastro(CadastroConfig config, Db *db, QWidget *parent)
    : QWidget(parent), m_config(std::move(config)),
      m_db(db ? db : (FrmPrincipal ? FrmPrincipal->DB_Tarvo() : nullptr)),
      m_ds(std::make_unique<ClientDataSet>())
{
    setObjectName(m_config.screenClass);
    setWindowTitle(m_config.caption);
    m_ds->setObjectName(m_config.dataSetName);
    m_ds->setDb(m_db);
    m_ds->setCommandText(m_config.sql);
    if (!m_config.updateTable.isEmpty())
        m_ds->setUpdateTable(m_config.updateTable);
    buildUi();
    qApp->installEventFilter(this);
}

TFrmCadastro::~TFrmCadastro()
{
    qApp->removeEventFilter(this);
    // Widgets bound to the dataset go first.
    delete m_pages;
    m_pages = nullptr;
}

QPushButton *TFrmCadastro::button(const QString &name) const { return m_buttons.value(name); }

void TFrmCadastro::buildUi()
{
    auto *root = new QVBoxLayout(this);

    // The tabs are switched through the two texts, so that leaving Cadastro can be refused.
    auto *tabTexts = new QHBoxLayout;
    auto *txtConsulta = m_txtConsulta = new QPushButton(QStringLiteral("Consulta"), this);
    txtConsulta->setObjectName(QStringLiteral("txtConsulta"));
    txtConsulta->setFlat(true);
    txtConsulta->setFocusPolicy(Qt::NoFocus);
    txtConsulta->setCheckable(true);
    txtConsulta->setChecked(true);
    auto *txtCadastro = m_txtCadastro = new QPushButton(QStringLiteral("Cadastro"), this);
    txtCadastro->setObjectName(QStringLiteral("txtCadastro"));
    txtCadastro->setFlat(true);
    txtCadastro->setFocusPolicy(Qt::NoFocus);
    txtCadastro->setCheckable(true);
    connect(txtConsulta, &QPushButton::clicked, this, &TFrmCadastro::txtConsultaClick);
    connect(txtCadastro, &QPushButton::clicked, this, &TFrmCadastro::txtCadastroClick);
    tabTexts->addWidget(txtConsulta);
    tabTexts->addWidget(txtCadastro);
    tabTexts->addStretch();
    root->addLayout(tabTexts);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->tabBar()->hide();
    root->addWidget(m_pages, 1);

    // Consulta.
    auto *consulta = new QWidget;
    consulta->setObjectName(QStringLiteral("TabSheet_Consulta"));
    auto *cl = new QVBoxLayout(consulta);
    auto *top = new QHBoxLayout;
    m_painelConsulta = new QLabel(consulta);
    m_painelConsulta->setObjectName(QStringLiteral("Painel_Consulta1"));
    m_painelConsulta->setFrameShape(QFrame::StyledPanel);
    m_painelConsulta->setMinimumHeight(24);
    top->addWidget(m_painelConsulta, 1);
    auto *adicionar = new QPushButton(QStringLiteral("&Inserir"), consulta);
    adicionar->setObjectName(QStringLiteral("Adicionar"));
    adicionar->setToolTip(QStringLiteral("Pemite inserir um novo registro"));
    adicionar->setFocusPolicy(Qt::NoFocus);
    auto *abandonar = new QPushButton(QStringLiteral("&Sair"), consulta);
    abandonar->setObjectName(QStringLiteral("Abandonar"));
    abandonar->setToolTip(QStringLiteral("Fecha esta janela de cadastro"));
    abandonar->setFocusPolicy(Qt::NoFocus);
    connect(adicionar, &QPushButton::clicked, this, &TFrmCadastro::AdicionarClick);
    connect(abandonar, &QPushButton::clicked, this, &TFrmCadastro::AbandonarClick);
    m_buttons.insert(QStringLiteral("Adicionar"), adicionar);
    m_buttons.insert(QStringLiteral("Abandonar"), abandonar);
    top->addWidget(adicionar);
    top->addWidget(abandonar);
    cl->addLayout(top);
    m_grid = new DbGrid(consulta);
    m_grid->setObjectName(QStringLiteral("Grid"));
    cl->addWidget(m_grid, 1);
    m_pages->addTab(consulta, QStringLiteral("Consulta   "));
    connect(m_grid, &DbGrid::titleButtonClicked, this, &TFrmCadastro::GridTitleButtonClick);
    connect(m_grid, &DbGrid::rowDoubleClicked, this, &TFrmCadastro::GridDblClick);

    // Cadastro.
    auto *cadastro = new QWidget;
    cadastro->setObjectName(QStringLiteral("TabSheet_Manutencao"));
    auto *ml = new QVBoxLayout(cadastro);
    m_painelDados = new QWidget(cadastro);
    m_painelDados->setObjectName(QStringLiteral("Painel_Dados"));
    m_form = new QFormLayout(m_painelDados);
    ml->addWidget(m_painelDados);
    ml->addStretch(1);
    auto *nav = new QWidget(cadastro);
    nav->setObjectName(QStringLiteral("wwDBNavigator1"));
    auto *nl = new QHBoxLayout(nav);
    nl->setContentsMargins(0, 0, 0, 0);
    for (const ButtonDef &d : kNavigator) {
        auto *b = new QPushButton(QString::fromUtf8(d.caption), nav);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setToolTip(QString::fromUtf8(d.hint));
        b->setEnabled(d.enabledAtStart);
        b->setFocusPolicy(Qt::NoFocus);
        nl->addWidget(b);
        m_buttons.insert(b->objectName(), b);
    }
    ml->addWidget(nav);
    m_pages->addTab(cadastro, QStringLiteral("Cadastro   "));

    connect(button("Inserir"), &QPushButton::clicked, this, &TFrmCadastro::AdicionarClick);
    connect(button("Alterar"), &QPushButton::clicked, this, &TFrmCadastro::AlterarClick);
    connect(button("Deletar"), &QPushButton::clicked, this, &TFrmCadastro::DeletarClick);
    connect(button("Gravar"), &QPushButton::clicked, this, &TFrmCadastro::GravarClick);
    connect(button("Cancelar"), &QPushButton::clicked, this, &TFrmCadastro::CancelarClick);
    connect(button("Primeiro"), &QPushButton::clicked, this, &TFrmCadastro::PrimeiroClick);
    connect(button("Anterior"), &QPushButton::clicked, this, &TFrmCadastro::AnteriorClick);
    connect(button("Proximo"), &QPushButton::clicked, this, &TFrmCadastro::ProximoClick);
    connect(button("Ultimo"), &QPushButton::clicked, this, &TFrmCadastro::UltimoClick);
    connect(button("Sair"), &QPushButton::clicked, this, &TFrmCadastro::SairClick);

    connect(m_ds.get(), &ClientDataSet::afterScroll, this, &TFrmCadastro::dataSetAfterScroll);
    if (FrmPrincipal && FrmPrincipal->mdiArea())
        connect(FrmPrincipal->mdiArea(), &QMdiArea::subWindowActivated, this,
                [this](QMdiSubWindow *sub) {
                    if (sub && sub->widget() == this)
                        FormActivate();
                });
}

void TFrmCadastro::addField(const QString &label, QWidget *editor)
{
    m_form->addRow(label, editor);
}

void TFrmCadastro::FormCreate()
{
    if (m_config.bySecretariat)
        m_ds->setParam(QStringLiteral("CODSETOR"), gCodSetor);
    m_grid->setDataSet(m_ds.get());
    m_grid->setColumnList(m_config.gridColumns);
    m_created = true;
    m_ds->open();
    setPainelDados(false);
    showTab(kConsulta);
}

void TFrmCadastro::FormActivate()
{
    if (isMaster())
        FrmPrincipal->hideSecretariatChoice();
    // The keys reach the screen through its focused control: never leave it outside.
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus)) {
        if (m_ds->isEditing() && m_editNome)
            m_editNome->setFocus();
        else if (m_pages->currentIndex() == kConsulta)
            m_grid->setFocus();
        else
            m_pages->currentWidget()->setFocus();
    }
}

void TFrmCadastro::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!FrmPrincipal || !FrmPrincipal->mdiArea())
        QMetaObject::invokeMethod(this, [this] { FormActivate(); }, Qt::QueuedConnection);
}

void TFrmCadastro::setPainelDados(bool enabled) { m_painelDados->setEnabled(enabled); }

void TFrmCadastro::estadoEditando()
{
    for (const char *n : {"Inserir", "Alterar", "Deletar"})
        button(n)->setEnabled(false);
    for (const char *n : {"Gravar", "Cancelar"})
        button(n)->setEnabled(true);
    for (const char *n : {"Primeiro", "Anterior", "Proximo", "Ultimo"})
        button(n)->setEnabled(false);
}

void TFrmCadastro::estadoNavegando()
{
    for (const char *n : {"Inserir", "Alterar", "Deletar"})
        button(n)->setEnabled(true);
    for (const char *n : {"Gravar", "Cancelar"})
        button(n)->setEnabled(false);
    for (const char *n : {"Primeiro", "Anterior", "Proximo", "Ultimo"})
        button(n)->setEnabled(true);
}

void TFrmCadastro::focusNome()
{
    if (m_editNome)
        m_editNome->setFocus();
}

void TFrmCadastro::showTab(int index)
{
    m_pages->setCurrentIndex(index);
    m_txtConsulta->setChecked(index == kConsulta);
    m_txtCadastro->setChecked(index == kCadastro);
    if (index == kConsulta && !m_ds->isEditing())
        m_grid->setFocus();
}

void TFrmCadastro::AdicionarClick()
{
    const QVariant max = m_db->scalar(m_config.maxSql);
    const qint64 code = (max.isValid() && !max.isNull()) ? max.toLongLong() + 1 : 1;
    m_ds->append();
    m_ds->setValue(m_config.codeField, code);
    if (m_config.bySecretariat)
        m_ds->setValue(QStringLiteral("CDSETOR"), gCodSetor);
    novoRegistro();
    estadoEditando();
    setPainelDados(true);
    showTab(kCadastro);
    focusNome();
}

void TFrmCadastro::AlterarClick()
{
    if (m_ds->isEmpty()) {
        Msg::error(QStringLiteral("Banco de dados vazio!"));
        return;
    }
    m_ds->edit();
    setPainelDados(true);
    estadoEditando();
    // Editing always happens on the Cadastro tab, also when F5 is pressed on Consulta.
    showTab(kCadastro);
    focusNome();
}

void TFrmCadastro::DeletarClick()
{
    if (m_ds->isEmpty()) {
        Msg::error(QStringLiteral("O Banco de Dados está vazio !!!"));
        return;
    }
    if (!Msg::confirm(QStringLiteral("Deseja realmente deletar o registro ???")))
        return;
    m_ds->deleteRecord();
    Biblioteca::aplicaAtualizacoes(*m_ds);
}

void TFrmCadastro::GravarClick()
{
    if (!m_ds->isEditing())
        return;
    if (!DataLink::updateRecord(m_ds.get()))
        return;
    if (m_editNome && m_editNome->text().trimmed().isEmpty()) {
        Biblioteca::mensagemCampoObrigatorio(m_config.requiredText);
        m_editNome->setFocus();
        return;
    }
    if (!podeGravar())
        return;
    m_ds->post();
    Biblioteca::aplicaAtualizacoes(*m_ds);
    setPainelDados(false);
    estadoNavegando();
}

void TFrmCadastro::CancelarClick()
{
    m_ds->cancel();
    setPainelDados(false);
    estadoNavegando();
}

void TFrmCadastro::PrimeiroClick()
{
    Biblioteca::botoesNavegacao(button("Primeiro"), button("Anterior"), button("Proximo"),
                                *m_ds, QStringLiteral("Primeiro"), button("Ultimo"));
}

void TFrmCadastro::AnteriorClick()
{
    Biblioteca::botoesNavegacao(button("Primeiro"), button("Anterior"), button("Proximo"),
                                *m_ds, QStringLiteral("Anterior"), button("Ultimo"));
}

void TFrmCadastro::ProximoClick()
{
    Biblioteca::botoesNavegacao(button("Primeiro"), button("Anterior"), button("Proximo"),
                                *m_ds, QStringLiteral("Proximo"), button("Ultimo"));
}

void TFrmCadastro::UltimoClick()
{
    Biblioteca::botoesNavegacao(button("Primeiro"), button("Anterior"), button("Proximo"),
                                *m_ds, QStringLiteral("Ultimo"), button("Ultimo"));
}

void TFrmCadastro::dataSetAfterScroll()
{
    if (!m_created || m_ds->isEditing())
        return;
    Biblioteca::botoesNavegacao(button("Primeiro"), button("Anterior"), button("Proximo"),
                                *m_ds, QStringLiteral("Scroll"), button("Ultimo"));
}

void TFrmCadastro::GridDblClick()
{
    showTab(kCadastro);
    AlterarClick();
}

void TFrmCadastro::GridTitleButtonClick(const QString &field)
{
    Biblioteca::tituloClick(*m_ds, field, campoBusca(m_config.screenClass), *m_grid,
                            m_painelConsulta, QString(), QString());
}

bool TFrmCadastro::PageControlChanging(int newIndex)
{
    if (m_pages->currentIndex() != kCadastro || newIndex == kCadastro || !m_ds->isEditing())
        return true;
    if (Msg::show(Msg::Kind::Information, QString::fromUtf8(kPerguntaCancelar), Msg::Yes | Msg::No) !=
        Msg::Yes)
        return false;
    CancelarClick();
    return true;
}

void TFrmCadastro::txtConsultaClick()
{
    showTab(PageControlChanging(kConsulta) ? kConsulta : m_pages->currentIndex());
}

void TFrmCadastro::txtCadastroClick()
{
    showTab(PageControlChanging(kCadastro) ? kCadastro : m_pages->currentIndex());
}

void TFrmCadastro::closeEvent(QCloseEvent *event)
{
    if (m_ds->isEditing()) {
        if (Msg::show(Msg::Kind::Information, QString::fromUtf8(kPerguntaCancelar),
                      Msg::Yes | Msg::No) != Msg::Yes) {
            event->ignore();
            return;
        }
        m_ds->cancel();
    }
    if (isMaster())
        FrmPrincipal->showSecretariatChoice();
    m_ds->close();
    event->accept();
}

bool TFrmCadastro::FormKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        focusNextChild();
        return true;
    }
    if (m_ds->isEditing()) {
        if (key == Qt::Key_F7) {
            GravarClick();
            return true;
        }
        if (key == Qt::Key_F8) {
            CancelarClick();
            return true;
        }
        return false;
    }
    switch (key) {
    case Qt::Key_F4: AdicionarClick(); return true;
    case Qt::Key_F5: AlterarClick(); return true;
    case Qt::Key_F6: DeletarClick(); return true;
    default: return false;
    }
}

// The screen sees every key before its controls.
bool TFrmCadastro::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(watched);
    if (w != this && !isAncestorOf(w))
        return false;
    // A key left unhandled here reaches the filter again for each parent it propagates
    // to; that is harmless, as only the keys handled below stop it.
    auto *ke = static_cast<QKeyEvent *>(event);
    // Ctrl+Tab, Ctrl+PgUp and Ctrl+PgDn switch tabs from the keyboard, through the same
    // question as the two tab texts; Ctrl+F searches the grid's current column.
    if (ke->modifiers() & Qt::ControlModifier) {
        switch (ke->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            m_pages->currentIndex() == kConsulta ? txtCadastroClick() : txtConsultaClick();
            return true;
        case Qt::Key_PageUp: txtConsultaClick(); return true;
        case Qt::Key_PageDown: txtCadastroClick(); return true;
        case Qt::Key_F:
            // The title click of the grid's current column, for the keyboard.
            if (m_pages->currentIndex() == kConsulta && m_grid->dataModel()) {
                const int c = std::max(0, m_grid->currentIndex().column());
                const auto &cols = m_grid->dataModel()->columns();
                if (c < cols.size())
                    GridTitleButtonClick(cols[c].field);
                return true;
            }
            return false;
        default: return false;
        }
    }
    if (ke->modifiers() & Qt::AltModifier)
        return false;
    return FormKeyDown(ke->key());
}
