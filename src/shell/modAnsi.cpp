#include "shell/modAnsi.h"

namespace modAnsi {

QString OemAAnsi(const QString &texto) { return texto; }
QString AnsiAOem(const QString &texto) { return texto; }

} // namespace modAnsi
