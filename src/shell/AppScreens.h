#pragma once

// Registers every screen class of the program with the main window's menu
// (TFrmPrincipal::registerScreen). Called once by the entry point: registrations made from
// static objects in the screens' own files would be dropped by the linker.
void registerApplicationScreens();
