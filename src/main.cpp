#include "shell/AppScreens.h"
#include "shell/TarvoApplication.h"
#include "shell/ULogin.h"
#include "shell/UPrincipal.h"

#include <QScreen>
#include <memory>

int main(int argc, char *argv[])
{
    TarvoApplication app(argc, argv);
    registerApplicationScreens();

    // Building the main window connects to the database and opens the session tables.
    auto principal = std::make_unique<TFrmPrincipal>();
    if (!TFrm_Login::runAtStartup(*principal))
        return 0;

    // Without a window manager a maximise request is not honoured; fill the screen anyway.
    if (QScreen *screen = principal->screen())
        principal->setGeometry(screen->availableGeometry());
    principal->showMaximized();
    return app.exec();
}
