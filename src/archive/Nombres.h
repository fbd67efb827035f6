#pragma once
// Turning the raw bytes of an entry name into Unicode text.
#include <QByteArray>
#include <QString>

namespace archivo {

// Names without a declared encoding: UTF-8 when the bytes are valid UTF-8
// (what Unix and macOS archivers write), otherwise code page 437, the ZIP and
// DOS convention. Backslashes become "/" when `barraInvertida` is set.
QString NombreDeBytes(const QByteArray &bytes, bool barraInvertida = false);

// Code page 437 to Unicode, byte by byte.
QString DesdeCp437(const QByteArray &bytes);

// Makes the C library's multibyte conversions UTF-8, as Qt's file names are,
// so libraries that convert names through the locale hand us UTF-8.
void AsegurarLocaleUtf8();

} // namespace archivo
