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
// so libraries that convert names through the locale hand us UTF-8. Each
// program's main calls it after Qt has set the locale and before any worker
// exists: setlocale is unsafe while other threads use the locale. Only the
// first call does anything.
void AsegurarLocaleUtf8();

// For code run without such a main: while it lives, this thread alone
// converts in UTF-8; the process's locale is never touched.
class LocaleUtf8DelHilo {
public:
    LocaleUtf8DelHilo();
    ~LocaleUtf8DelHilo();
    LocaleUtf8DelHilo(const LocaleUtf8DelHilo &) = delete;
    LocaleUtf8DelHilo &operator=(const LocaleUtf8DelHilo &) = delete;

private:
    void *anterior_ = nullptr;
};

} // namespace archivo
