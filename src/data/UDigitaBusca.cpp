#include "data/UDigitaBusca.h"

#include "data/U_Biblioteca.h"
#include "platform/Money.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDate>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

QString gValorBusca;

TFrmDigitaBusca::Runner TFrmDigitaBusca::runner;

namespace {

// Two-digit years as the date pickers read them: 50..99 -> 1950..1999, 00..49 -> 2000..2049.
QDate readDate(const QString &text)
{
    const QStringList parts = text.split('/');
    if (parts.size() != 3)
        return {};
    bool okD = false, okM = false, okY = false;
    const int day = parts[0].trimmed().toInt(&okD);
    const int month = parts[1].trimmed().toInt(&okM);
    const QString yearText = parts[2].trimmed();
    int year = yearText.toInt(&okY);
    if (!okD || !okM || !okY)
        return {};
    if (yearText.size() == 2)
        year += year < 50 ? 2000 : 1900;
    else if (yearText.size() != 4)
        return {};
    return QDate(year, month, day);
}

QString dateDigits(const QString &text)
{
    QString s = text;
    s.remove('/').remove(' ').remove('_');
    return s;
}

} // namespace

TFrmDigitaBusca::TFrmDigitaBusca(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Busca"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("DIGITE A BUSCA"), this);
    label->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label);
    Lb_tit = new QLabel(this);
    Lb_tit->setObjectName(QStringLiteral("Lb_tit"));
    layout->addWidget(Lb_tit);

    EDIT_BOOLEAN = new QComboBox(this);
    EDIT_BOOLEAN->setObjectName(QStringLiteral("EDIT_BOOLEAN"));
    EDIT_BOOLEAN->addItems({QStringLiteral("S"), QStringLiteral("N")});
    EDIT_BOOLEAN->setCurrentIndex(-1);

    Edit_string = new QLineEdit(this);
    Edit_string->setObjectName(QStringLiteral("Edit_string"));
    connect(Edit_string, &QLineEdit::textEdited, this, [this](const QString &t) {
        const QString upper = t.toUpper();
        if (upper != t) {
            const int pos = Edit_string->cursorPosition();
            Edit_string->setText(upper);
            Edit_string->setCursorPosition(pos);
        }
    });

    Edit_Inteiro = new QLineEdit(this);
    Edit_Inteiro->setObjectName(QStringLiteral("Edit_Inteiro"));
    Edit_Inteiro->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,10}")), Edit_Inteiro));

    edit_valor = new QLineEdit(this);
    edit_valor->setObjectName(QStringLiteral("edit_valor"));
    edit_valor->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("-?\\d{0,13}([,.]\\d{0,2})?")), edit_valor));

    EDIT_DATA = new QLineEdit(this);
    EDIT_DATA->setObjectName(QStringLiteral("EDIT_DATA"));
    EDIT_DATA->setInputMask(QStringLiteral("00/00/0000;_"));

    for (QWidget *w : {static_cast<QWidget *>(EDIT_BOOLEAN), static_cast<QWidget *>(Edit_string),
                       static_cast<QWidget *>(Edit_Inteiro), static_cast<QWidget *>(edit_valor),
                       static_cast<QWidget *>(EDIT_DATA)}) {
        layout->addWidget(w);
        w->installEventFilter(this);
        w->setVisible(false);
    }
    setMinimumWidth(260);
}

void TFrmDigitaBusca::prepara(const QString &title, FieldType type, int size)
{
    gValorBusca.clear();
    Lb_tit->setText(QStringLiteral("BUSCA POR ") + QStringLiteral(" ") + title);
    EDIT_BOOLEAN->setCurrentIndex(-1);
    Edit_string->clear();
    Edit_Inteiro->clear();
    edit_valor->clear();
    EDIT_DATA->clear();

    QWidget *shown = nullptr;
    switch (type) {
    case FieldType::String:
        // A lookup text may come without a size: it is searched as a name.
        if (size == 1) {
            shown = EDIT_BOOLEAN;
        } else {
            shown = Edit_string;
            if (size > 1)
                Edit_string->setMaxLength(size);
        }
        break;
    case FieldType::Integer: shown = Edit_Inteiro; break;
    case FieldType::Money:
    case FieldType::Double: shown = edit_valor; break;
    case FieldType::Date:
    case FieldType::DateTime: shown = EDIT_DATA; break;
    case FieldType::Blob: break;
    }
    for (QWidget *w : {static_cast<QWidget *>(EDIT_BOOLEAN), static_cast<QWidget *>(Edit_string),
                       static_cast<QWidget *>(Edit_Inteiro), static_cast<QWidget *>(edit_valor),
                       static_cast<QWidget *>(EDIT_DATA)})
        w->setVisible(w == shown);
    adjustSize();
}

QWidget *TFrmDigitaBusca::editorVisivel() const
{
    for (QWidget *w : {static_cast<QWidget *>(EDIT_BOOLEAN), static_cast<QWidget *>(Edit_string),
                       static_cast<QWidget *>(Edit_Inteiro), static_cast<QWidget *>(edit_valor),
                       static_cast<QWidget *>(EDIT_DATA)}) {
        if (!w->isHidden())
            return w;
    }
    return nullptr;
}

QString TFrmDigitaBusca::executa(const QString &title, FieldType type, int size)
{
    if (runner) {
        gValorBusca = runner(title, type, size);
        return gValorBusca;
    }
    TFrmDigitaBusca dlg;
    dlg.prepara(title, type, size);
    dlg.exec();
    return gValorBusca;
}

void TFrmDigitaBusca::confirma()
{
    QWidget *editor = editorVisivel();
    QString value;
    if (editor == EDIT_BOOLEAN) {
        if (EDIT_BOOLEAN->currentIndex() < 0)
            return;
        value = QLatin1Char('\'') + EDIT_BOOLEAN->currentText() + QLatin1Char('\'');
    } else if (editor == Edit_string) {
        if (Edit_string->text().isEmpty())
            return;
        // A typed quote is doubled, or it would end the filter's text early.
        value = Edit_string->text().replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('%');
    } else if (editor == Edit_Inteiro) {
        bool ok = false;
        const qlonglong n = Edit_Inteiro->text().toLongLong(&ok);
        if (!ok)
            return;
        value = QString::number(n);
    } else if (editor == edit_valor) {
        const std::optional<Money> m = Money::parse(edit_valor->text());
        if (edit_valor->text().isEmpty() || !m)
            return;
        value = Biblioteca::numeroParaTexto(2, *m);
    } else if (editor == EDIT_DATA) {
        if (dateDigits(EDIT_DATA->text()).isEmpty())
            return;
        const QDate d = readDate(EDIT_DATA->text());
        if (!d.isValid())
            return;
        value = QLatin1Char('\'') + d.toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char('\'');
    } else {
        return;
    }
    gValorBusca = value;
    accept();
}

void TFrmDigitaBusca::cancela()
{
    gValorBusca.clear();
    reject();
}

bool TFrmDigitaBusca::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        switch (ke->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // An open drop-down takes Enter for its own choice first.
            if (watched == EDIT_BOOLEAN && EDIT_BOOLEAN->view()->isVisible())
                break;
            confirma();
            return true;
        case Qt::Key_Escape:
            if (watched == EDIT_BOOLEAN && EDIT_BOOLEAN->view()->isVisible())
                break;
            cancela();
            return true;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmDigitaBusca::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: confirma(); return;
    case Qt::Key_Escape: cancela(); return;
    default: QDialog::keyPressEvent(event);
    }
}

void TFrmDigitaBusca::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    if (QWidget *editor = editorVisivel())
        editor->setFocus(Qt::OtherFocusReason);
}
