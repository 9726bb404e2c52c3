#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message box of the program goes through here, so tests can script the answers.
namespace Msg {

enum class Kind { Warning, Error, Information, Confirmation };

enum Button { Yes = 0x1, No = 0x2, Ok = 0x4, Cancel = 0x8 };

// Shows a modal box titled "Aviso", "Erro", "Informação" or "Confirmação" with the given
// buttons ("&Sim", "&Não", "OK", "Cancelar"); "\r" in the text breaks lines.
// Returns the button pressed (Cancel or No when the box is closed without one).
int show(Kind kind, const QString &text, int buttons = Ok);

inline void warning(const QString &text) { show(Kind::Warning, text, Ok); }
inline void error(const QString &text) { show(Kind::Error, text, Ok); }
inline void information(const QString &text) { show(Kind::Information, text, Ok); }
// Yes/No question in a confirmation box; true for Yes.
inline bool confirm(const QString &text) { return show(Kind::Confirmation, text, Yes | No) == Yes; }

QString title(Kind kind);

// Replaces the real boxes (tests). An empty function restores them.
using Responder = std::function<int(Kind kind, const QString &text, int buttons)>;
void setResponder(Responder responder);

} // namespace Msg
