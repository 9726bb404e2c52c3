#pragma once

#include "platform/FieldType.h"

#include <QDialog>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

// The value the search dialog returned, already written for a filter expression
// ("ABC%", "12", "12,50", "'31/12/2006'", "'S'"); empty when it was cancelled.
extern QString gValorBusca;

// Type-to-search dialog: one editor by the searched field's type.
class TFrmDigitaBusca : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmDigitaBusca(QWidget *parent = nullptr);

    // Empties gValorBusca, sets the title and shows the one editor that fits the type.
    void prepara(const QString &title, FieldType type, int size);

    // Shows the dialog modally and returns gValorBusca.
    static QString executa(const QString &title, FieldType type, int size);

    // Replaces the modal dialog in executa (tests); its result becomes gValorBusca.
    using Runner = std::function<QString(const QString &title, FieldType type, int size)>;
    static Runner runner;

    // The editor shown for the prepared type, or nullptr when nothing can be typed.
    QWidget *editorVisivel() const;

    QLabel *Lb_tit = nullptr;
    QComboBox *EDIT_BOOLEAN = nullptr;
    QLineEdit *Edit_string = nullptr;
    QLineEdit *Edit_Inteiro = nullptr;
    QLineEdit *edit_valor = nullptr;
    QLineEdit *EDIT_DATA = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void confirma();
    void cancela();
};
