#pragma once

#include <QString>

class TFrmPrincipal;

// Session context: filled once by the login; only the secretariat pair changes later,
// when a master user picks another secretariat on the main window.
extern int gCodUsuario;
extern QString gNomeUsuario;
extern int gCodSetor;
extern QString gNomeSetor;
extern bool gUsuarioMaster;

// The one main window (null before it is built and after it closes).
extern TFrmPrincipal *FrmPrincipal;

// Back to the empty session of a fresh start.
void resetSession();
