#pragma once
// Settings file access with profile-string semantics: one value at a time,
// sections and keys matched without regard to case, every other line of the
// file kept as it was.
#include <QString>

#include <utility>
#include <vector>

namespace modIni {

// The value of `clave` in `seccion`, whole; the default when the file,
// section or key is missing or the value is empty.
QString LeerIni(const QString &archivo, const QString &seccion, const QString &clave,
                const QString &porDefecto);

// Every `key=value` line of `seccion`, in the order of the file.
std::vector<std::pair<QString, QString>> LeerSeccion(const QString &archivo, const QString &seccion);

// A value is one line: a line break in it would start keys or sections of
// its own.
bool Escribible(const QString &texto);

// Writes `clave=valor` into `seccion`, creating the file, the section and the
// key as needed. The file is replaced whole (new file renamed over the old),
// so a failed write leaves the previous file intact. False on failure, and
// (the file untouched) for a section, key or value that is not Escribible.
bool EscribirIni(const QString &archivo, const QString &seccion, const QString &clave,
                 const QString &valor);

} // namespace modIni
