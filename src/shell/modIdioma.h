#pragma once
// Message catalogue: every visible text is looked up here by number in the
// current interface language.
#include <QString>
#include <QStringList>
#include <cstdint>

namespace modIdioma {

// Current language code ("esp", "ing", "por", "lat", "dan", "dut", "deu").
// Any other value is kept as it is and makes every lookup empty.
extern QString Idioma;

// The seven codes in the order the language key steps through them.
const QStringList &CodigosIdioma();

// Text of message `numero` in the current language; empty when the language
// or the number is unknown. No fallback to another language.
QString TextoIdioma(int numero);

// The same lookup for an explicit language code.
QString TextoIdioma(const QString &codigo, int numero);

// Every number the language defines, ascending (empty for an unknown code).
QList<int> NumerosIdioma(const QString &codigo);

// The name Qt's own translations use for a language code ("es", "pt_BR",
// ...); empty for an unknown code.
QString LocaleQt(const QString &codigo);

// Qt's own dialogs (open file, folder, colour) speak the current language:
// its Qt translation is installed in place of the previous one. Where Qt has
// none, they speak English.
void TraducirQt();

} // namespace modIdioma
