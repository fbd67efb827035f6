#pragma once
// Name conversion between the archive libraries' code page and ours. Names
// already arrive as Unicode here, so both directions return the text as is;
// the calls stay in the archive paths so a code-page source can be added.
#include <QString>

namespace modAnsi {

QString OemAAnsi(const QString &texto);
QString AnsiAOem(const QString &texto);

} // namespace modAnsi
