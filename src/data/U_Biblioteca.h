#pragma once

#include "data/UDigitaBusca.h"
#include "platform/Money.h"

#include <QDate>
#include <QString>

class ClientDataSet;
class DbGrid;
class QAbstractButton;
class QLabel;

// The small routines every screen calls.
namespace Biblioteca {

// The one warning for any refused write.
QString mensagemIntegridade();

// Writes the dataset's pending changes; when the database refuses any of them, drops
// every change still pending and shows the integrity warning. True when all was written.
bool aplicaAtualizacoes(ClientDataSet &ds);

// True while a row is being inserted or edited.
bool estaEditando(const ClientDataSet &ds);

// "Peencha os campos! (" + texto + ")" in an information box.
void mensagemCampoObrigatorio(const QString &texto);

// A grid title was clicked on the column of campo: asks for a value and filters, or
// clears the filter when campoBusca (the screen's remembered column) is campo; then sorts.
void tituloClick(ClientDataSet &ds, const QString &campo, QString &campoBusca, const DbGrid &grid,
                 QLabel *painel, const QString &captionBase = {}, const QString &filtroBase = {});

// Ascending sort by the field; calculated and lookup fields are refused with a warning.
void ordenaPorCampo(const QString &campo, ClientDataSet &ds);

// True when the field's column title ends with "*"; otherwise warns.
bool campoPesquisavel(const QString &campo, const ClientDataSet &ds, const DbGrid &grid);

// Builds and sets the filter for campo = valor (as the search dialog wrote it) and the caption.
void aplicaFiltro(ClientDataSet &ds, const QString &campo, const QString &valor, const DbGrid &grid,
                  QLabel *painel, QString &campoBusca, const QString &captionBase = {},
                  const QString &filtroBase = {});

// acao: "Primeiro", "Anterior", "Proximo", "Ultimo" move and enable the buttons; "Scroll"
// only enables them. Nothing happens with one row or none.
void botoesNavegacao(QAbstractButton *primeiro, QAbstractButton *anterior, QAbstractButton *proximo,
                     ClientDataSet &ds, const QString &acao, QAbstractButton *ultimo);

QString nomeMes(const QDate &data);
int anoDe(const QDate &data);
int ultimoDiaMes(int mes, int ano);

// Fixed point with a decimal comma, at least two characters wide: 1234.5 -> "1234,50".
QString numeroParaTexto(int decimais, double numero);
// The same for an exact amount, without passing through a double.
QString numeroParaTexto(int decimais, const Money &valor);

} // namespace Biblioteca
