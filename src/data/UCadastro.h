#pragma once

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

class ClientDataSet;
class Db;
class DbGrid;
class DbLineEdit;
class QFormLayout;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;

// What one maintenance screen is made of; the base does the rest.
struct CadastroConfig
{
    QString screenClass;   // window class, also the key of its remembered search column
    QString caption;       // window caption
    QString dataSetName;   // "Tb_Setor"
    QString sql;           // the screen's query (":CODSETOR" for secretariat tables)
    QString updateTable;   // table written by the apply step
    QString codeField;     // code column, highest over the whole table + 1 on insert
    QString maxSql;        // Qry_MAX: "select max(CDSETOR) as MAXID from SETOR"
    bool bySecretariat = false; // rows belong to the session's secretariat
    QStringList gridColumns;    // "NOME\t60\tSECRETARIA *\tF"
    QString requiredText;       // text of the required-field message, e.g. "(Setor)"
};

// The record-maintenance screen: a "Consulta" tab with the searchable grid and a "Cadastro"
// tab with the current row's fields and the ten-button navigator, keys F4-F8, the same
// questions and messages on every screen. Each screen configures it and adds its fields.
class TFrmCadastro : public QWidget
{
    Q_OBJECT
public:
    ~TFrmCadastro() override;

    ClientDataSet *dataSet() const { return m_ds.get(); }
    DbGrid *grid() const { return m_grid; }
    QTabWidget *pageControl() const { return m_pages; }
    QWidget *painelDados() const { return m_painelDados; }
    QLabel *painelConsulta() const { return m_painelConsulta; }
    QPushButton *button(const QString &name) const;
    const CadastroConfig &config() const { return m_config; }

    // The remembered search column of a screen class; lasts for the whole run.
    static QString &campoBusca(const QString &screenClass);

    // Handlers, public so that tests and menus can drive them.
    void FormActivate();
    void AdicionarClick();
    void AlterarClick();
    void DeletarClick();
    void GravarClick();
    void CancelarClick();
    void SairClick() { close(); }
    void AbandonarClick() { close(); }
    void PrimeiroClick();
    void AnteriorClick();
    void ProximoClick();
    void UltimoClick();
    void GridDblClick();
    void GridTitleButtonClick(const QString &field);
    // Asks to leave the Cadastro tab while editing; true when the change may happen.
    bool PageControlChanging(int newIndex);
    void txtConsultaClick();
    void txtCadastroClick();

protected:
    TFrmCadastro(CadastroConfig config, Db *db, QWidget *parent);
    // Opens the dataset and builds the screen; subclasses call it at the end of their
    // constructor, after adding their fields and before their own start-up work.
    void FormCreate();
    // Adds a labelled edit field to the Cadastro tab.
    void addField(const QString &label, QWidget *editor);
    // The field tested on save and focused when editing starts (edit_Nome).
    void setNameEdit(DbLineEdit *edit) { m_editNome = edit; }
    DbLineEdit *editNome() const { return m_editNome; }
    // Hooks for screens that do more on insert or save.
    virtual void novoRegistro() {}
    // Extra checks before the row is posted; false keeps it in edit.
    virtual bool podeGravar() { return true; }

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void estadoEditando();
    void estadoNavegando();
    void setPainelDados(bool enabled);
    void focusNome();
    void showTab(int index);
    void dataSetAfterScroll();
    bool FormKeyDown(int key);

    CadastroConfig m_config;
    Db *m_db;
    std::unique_ptr<ClientDataSet> m_ds;
    DbGrid *m_grid = nullptr;
    QTabWidget *m_pages = nullptr;
    QPushButton *m_txtConsulta = nullptr;
    QPushButton *m_txtCadastro = nullptr;
    QLabel *m_painelConsulta = nullptr;
    QWidget *m_painelDados = nullptr;
    QFormLayout *m_form = nullptr;
    DbLineEdit *m_editNome = nullptr;
    QHash<QString, QPushButton *> m_buttons;
    bool m_created = false;
};
