#include "shell/AppScreens.h"

#include "access/UCadSetor.h"
#include "shell/UPrincipal.h"

void registerApplicationScreens()
{
    TFrmPrincipal::registerScreen(QStringLiteral("TFrmCadSetor"), [] { return new TFrmCadSetor; });
}
