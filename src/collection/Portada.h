#pragma once
// A comic's front page: its first page, read through the comic's page source
// (the viewer's pages, read the viewer's way) and decoded straight at the
// size it is shown at. No file is written. No widgets: a thumbnailer uses
// it too.
#include "archive/Archivo.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace portada {

// The pages of an archive (RAR or ZIP, whatever its extension says), as the
// viewer lists them.
QStringList PaginasDeArchivo(const QString &ruta);

// A picture of `natural` size fitted into a square of side `lado`, aspect
// kept: the longer side becomes `lado`, the other lado / (long / short).
QSize TamanoEnCaja(QSize natural, int lado);

struct Portada {
    QString Entrada;   // the page's name in the archive
    int Paginas = 0;   // how many pages the comic has
    QSize Natural;     // the page's own size, pixels
    QImage Imagen;     // decoded at most at the size asked for
    QString Serie;     // "Series #Number" from its ComicInfo.xml, or ""
};

// The front page of the comic at `ruta`, decoded at
// `tamano(natural size)` pixels (or smaller when the picture is smaller).
// Nothing when the archive has no page, it cannot be read or decoded, its
// data is over `maximo` bytes (a process with less memory asks for less), or
// `cancelar` stopped the decoding.
std::optional<Portada> LeerPortada(const QString &ruta, const std::function<QSize(QSize)> &tamano,
                                   const std::atomic<bool> *cancelar = nullptr,
                                   std::uint64_t maximo = archivo::TamanoMaximoEntrada);

// The same, fitted into a square of `ladoPixeles`.
std::optional<Portada> LeerPortada(const QString &ruta, int ladoPixeles,
                                   std::uint64_t maximo = archivo::TamanoMaximoEntrada);

} // namespace portada
