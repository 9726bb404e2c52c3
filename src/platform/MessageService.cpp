#include "platform/MessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace Msg {

static Responder &responder()
{
    static Responder r;
    return r;
}

void setResponder(Responder r) { responder() = std::move(r); }

QString title(Kind kind)
{
    switch (kind) {
    case Kind::Warning: return QStringLiteral("Aviso");
    case Kind::Error: return QStringLiteral("Erro");
    case Kind::Information: return QStringLiteral("Informação");
    case Kind::Confirmation: return QStringLiteral("Confirmação");
    }
    return {};
}

int show(Kind kind, const QString &text, int buttons)
{
    if (responder())
        return responder()(kind, text, buttons);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title(kind));
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
    box.setText(shown);
    switch (kind) {
    case Kind::Warning: box.setIcon(QMessageBox::Warning); break;
    case Kind::Error: box.setIcon(QMessageBox::Critical); break;
    case Kind::Information: box.setIcon(QMessageBox::Information); break;
    case Kind::Confirmation: box.setIcon(QMessageBox::Question); break;
    }
    struct Def { Button b; const char *caption; QMessageBox::ButtonRole role; };
    const Def defs[] = {{Yes, "&Sim", QMessageBox::YesRole},
                        {No, "&Não", QMessageBox::NoRole},
                        {Ok, "OK", QMessageBox::AcceptRole},
                        {Cancel, "Cancelar", QMessageBox::RejectRole}};
    QHash<QAbstractButton *, int> map;
    for (const Def &d : defs) {
        if (buttons & d.b) {
            QPushButton *pb = box.addButton(QString::fromUtf8(d.caption), d.role);
            map.insert(pb, d.b);
            if (!box.defaultButton())
                box.setDefaultButton(pb);
        }
    }
    if (map.isEmpty())
        map.insert(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), Ok);
    box.exec();
    auto it = map.constFind(box.clickedButton());
    if (it != map.constEnd())
        return it.value();
    return (buttons & Cancel) ? Cancel : (buttons & No) ? No : Ok;
}

} // namespace Msg
