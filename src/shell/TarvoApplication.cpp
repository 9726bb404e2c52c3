#include "shell/TarvoApplication.h"

#include "platform/Errors.h"
#include "platform/MessageService.h"

QString supportErrorText(const QString &message)
{
    return message + QStringLiteral("\r\r") + QStringLiteral("   Suporte técnico: \r") +
           QStringLiteral("   Departamento de Informática da Prefeitura - (00) 0000-0000");
}

void ApplicationEvents1Exception(const QString &message)
{
    Msg::error(supportErrorText(message));
}

TarvoApplication::TarvoApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("qtTarvo"));
    setApplicationDisplayName(QStringLiteral("qtTarvo"));
    setApplicationVersion(QStringLiteral("1.0.0"));
}

bool TarvoApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const AbortAction &) {
        // A handler gave up on purpose and has already told the user why, if at all.
    } catch (const TarvoError &e) {
        ApplicationEvents1Exception(e.message());
    } catch (const std::exception &e) {
        ApplicationEvents1Exception(QString::fromUtf8(e.what()));
    } catch (...) {
        ApplicationEvents1Exception(QStringLiteral("Erro desconhecido."));
    }
    return false;
}
