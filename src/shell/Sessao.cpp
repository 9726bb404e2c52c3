#include "shell/Sessao.h"

int gCodUsuario = 0;
QString gNomeUsuario;
int gCodSetor = 0;
QString gNomeSetor;
bool gUsuarioMaster = false;

TFrmPrincipal *FrmPrincipal = nullptr;

void resetSession()
{
    gCodUsuario = 0;
    gNomeUsuario.clear();
    gCodSetor = 0;
    gNomeSetor.clear();
    gUsuarioMaster = false;
}
