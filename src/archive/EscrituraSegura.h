#pragma once
// Writing an archive entry below a destination folder without ever leaving it.
#include <QByteArray>
#include <QString>

namespace archivo {

// The path inside `destino` where an entry named `nombre` belongs, or an empty
// text when the name is unsafe (a ".." component, or nothing left of it).
// Leading separators, drive prefixes and "." components are dropped, so an
// absolute name lands below `destino` too.
QString RutaDentroDe(const QString &destino, const QString &nombre);

// Writes `datos` at RutaDentroDe(destino, nombre), creating inner folders and
// replacing an existing file; the file appears whole or not at all, and never
// through a link that points elsewhere. False when nothing was written.
bool EscribirEntrada(const QString &destino, const QString &nombre, const QByteArray &datos);

} // namespace archivo
