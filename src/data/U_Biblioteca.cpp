#include "data/U_Biblioteca.h"

#include "platform/ClientDataSet.h"
#include "platform/DbGrid.h"
#include "platform/Errors.h"
#include "platform/MessageService.h"

#include <QAbstractButton>
#include <QLabel>

namespace Biblioteca {

QString mensagemIntegridade()
{
    return QStringLiteral(
        "Não foi possível completar a operação!\rVocê está tentando remover ou alterar um registro "
        "que possui relacionamentos com outros registros no Banco de Dados. Por favor, remova "
        "todos os relacionamentos, antes de tentar novamente!");
}

bool aplicaAtualizacoes(ClientDataSet &ds)
{
    bool ok = true;
    try {
        ok = ds.applyUpdates().ok();
    } catch (const DbError &) {
        // A failure of the write as a whole is a refusal like any other.
        ok = false;
    }
    if (ok)
        return true;
    ds.cancelUpdates();
    Msg::warning(mensagemIntegridade());
    return false;
}

bool estaEditando(const ClientDataSet &ds) { return ds.isEditing(); }

void mensagemCampoObrigatorio(const QString &texto)
{
    Msg::information(QStringLiteral("Peencha os campos! (") + texto + QStringLiteral(")"));
}

bool campoPesquisavel(const QString &campo, const ClientDataSet &, const DbGrid &grid)
{
    if (grid.columnTitle(campo).endsWith(QLatin1Char('*')))
        return true;
    Msg::warning(QStringLiteral("Não é possivel localizar por este dado!\r\rEscolha um campo marcado com [*]"));
    return false;
}

void ordenaPorCampo(const QString &campo, ClientDataSet &ds)
{
    if (const Field *f = ds.findField(campo); f && f->kind() != FieldKind::Data) {
        Msg::warning(QStringLiteral("Não é possível ordenar por esta Coluna!"));
        return;
    }
    try {
        ds.setIndexFieldNames(campo);
    } catch (const std::exception &) {
        // A column the dataset cannot sort by simply stays in its order.
    }
}

void aplicaFiltro(ClientDataSet &ds, const QString &campo, const QString &valor, const DbGrid &grid,
                  QLabel *painel, QString &campoBusca, const QString &captionBase,
                  const QString &filtroBase)
{
    const Field *f = ds.fieldByName(campo);
    QString condicao;
    // A lookup text without a declared size is still a name, not an S/N flag.
    if (f->type() == FieldType::String && f->size() != 1)
        condicao = QStringLiteral("( ") + campo + QStringLiteral(" ") + QStringLiteral("like")
                   + QStringLiteral(" ") + QStringLiteral("'") + valor + QStringLiteral("'")
                   + QStringLiteral(" )");
    else
        condicao = QStringLiteral("( ") + campo + QStringLiteral(" = ") + QStringLiteral(" ") + valor
                   + QStringLiteral(" )");

    QString titulo = grid.columnTitle(campo);
    titulo.remove(QLatin1Char('*'));
    QString mostrado = valor;
    mostrado.remove(QLatin1Char('%'));
    const QString caption = QStringLiteral("( ") + titulo + QStringLiteral("  =  ") + mostrado + QStringLiteral(" )");

    QString filtro, novoCaption;
    if (filtroBase.isEmpty()) {
        filtro = condicao;
        novoCaption = caption;
    } else {
        filtro = filtroBase + QStringLiteral(" and ") + condicao;
        novoCaption = caption + QStringLiteral(" E ") + captionBase;
    }

    ds.setFiltered(false);
    ds.setFilter(filtro);
    ds.setFiltered(true);
    if (painel)
        painel->setText(novoCaption);
    campoBusca = campo;
}

void tituloClick(ClientDataSet &ds, const QString &campo, QString &campoBusca, const DbGrid &grid,
                 QLabel *painel, const QString &captionBase, const QString &filtroBase)
{
    if (!campoPesquisavel(campo, ds, grid))
        return;
    if (campoBusca.compare(campo, Qt::CaseInsensitive) != 0) {
        const Field *f = ds.fieldByName(campo);
        QString titulo = grid.columnTitle(campo);
        titulo.remove(QLatin1Char('*'));
        const QString valor = TFrmDigitaBusca::executa(titulo, f->type(), f->size());
        if (!valor.isEmpty())
            aplicaFiltro(ds, campo, valor, grid, painel, campoBusca, captionBase, filtroBase);
    } else {
        ds.setFilter(filtroBase);
        ds.setFiltered(true);
        campoBusca.clear();
        if (painel)
            painel->setText(captionBase);
    }
    ordenaPorCampo(campo, ds);
}

void botoesNavegacao(QAbstractButton *primeiro, QAbstractButton *anterior, QAbstractButton *proximo,
                     ClientDataSet &ds, const QString &acao, QAbstractButton *ultimo)
{
    if (ds.recordCount() <= 1)
        return;
    const auto habilita = [&](bool voltar, bool avancar) {
        for (QAbstractButton *b : {primeiro, anterior})
            if (b)
                b->setEnabled(voltar);
        for (QAbstractButton *b : {proximo, ultimo})
            if (b)
                b->setEnabled(avancar);
    };
    if (acao == QLatin1String("Primeiro")) {
        if (!ds.bof())
            ds.first();
        habilita(false, true);
    } else if (acao == QLatin1String("Anterior")) {
        if (!ds.bof())
            ds.prior();
        if (ds.bof())
            habilita(false, true);
        else
            habilita(true, true);
    } else if (acao == QLatin1String("Proximo")) {
        if (!ds.eof())
            ds.next();
        if (ds.eof())
            habilita(true, false);
        else
            habilita(true, true);
    } else if (acao == QLatin1String("Ultimo")) {
        if (!ds.eof())
            ds.last();
        habilita(true, false);
    } else if (acao == QLatin1String("Scroll")) {
        if (ds.bof())
            habilita(false, true);
        else if (ds.eof())
            habilita(true, false);
        else
            habilita(true, true);
    }
}

QString nomeMes(const QDate &data)
{
    static const char *const nomes[] = {"Janeiro", "Fevereiro", "Março",    "Abril",
                                        "Maio",    "Junho",     "Julho",    "Agosto",
                                        "Setembro", "Outubro",  "Novembro", "Dezembro"};
    if (!data.isValid())
        return {};
    return QString::fromUtf8(nomes[data.month() - 1]);
}

int anoDe(const QDate &data) { return data.year(); }

int ultimoDiaMes(int mes, int ano)
{
    const QDate proximo = mes == 12 ? QDate(ano + 1, 1, 1) : QDate(ano, mes + 1, 1);
    return proximo.addDays(-1).day();
}

namespace {

QString comVirgula(QString s)
{
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s.rightJustified(2, QLatin1Char(' '));
}

} // namespace

QString numeroParaTexto(int decimais, double numero)
{
    return comVirgula(QString::number(numero, 'f', decimais));
}

QString numeroParaTexto(int decimais, const Money &valor)
{
    // Fewer decimals than cents round the way the double form does.
    if (decimais < 2)
        return numeroParaTexto(decimais, valor.toDouble());
    const qint64 cents = valor.cents();
    const QString digits = QString::number(cents < 0 ? -cents : cents).rightJustified(3, QLatin1Char('0'));
    QString text = digits.left(digits.size() - 2) + QLatin1Char('.') + digits.right(2)
                   + QString(decimais - 2, QLatin1Char('0'));
    if (cents < 0)
        text.prepend(QLatin1Char('-'));
    return comVirgula(text);
}

} // namespace Biblioteca
