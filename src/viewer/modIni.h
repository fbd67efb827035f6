#pragma once
// Settings file access with profile-string semantics: one value at a time,
// sections and keys matched without regard to case, every other line of the
// file kept as it was.
#include <QString>

namespace modIni {

// Longest value a read returns, in characters.
inline constexpr int LargoMaximo = 254;

// The value of `clave` in `seccion`, cut to LargoMaximo characters; the
// default when the file, section or key is missing or the value is empty.
QString LeerIni(const QString &archivo, const QString &seccion, const QString &clave,
                const QString &porDefecto);

// Writes `clave=valor` into `seccion`, creating the file, the section and the
// key as needed. The file is replaced whole (new file renamed over the old),
// so a failed write leaves the previous file intact. False on failure.
bool EscribirIni(const QString &archivo, const QString &seccion, const QString &clave,
                 const QString &valor);

} // namespace modIni
