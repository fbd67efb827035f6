#pragma once
// A comic's front page: its first picture entry in page order, read from the
// archive into memory alone and decoded straight at the size it is shown
// at. No file is written. No widgets: a thumbnailer uses it too.
#include "archive/Archivo.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace portada {

// The entries of an archive (RAR or ZIP, whatever its extension says) that
// are pages, named as the page list names them and in page order.
QStringList PaginasDeArchivo(const QString &ruta);

// A picture of `natural` size fitted into a square of side `lado`, aspect
// kept: the longer side becomes `lado`, the other lado / (long / short).
QSize TamanoEnCaja(QSize natural, int lado);

struct Portada {
    QString Entrada;   // the page's name in the archive
    int Paginas = 0;   // how many pages the comic has
    QSize Natural;     // the page's own size, pixels
    QImage Imagen;     // decoded at most at the size asked for
};

// The front page of the comic at `ruta`, decoded at
// `tamano(natural size)` pixels (or smaller when the picture is smaller).
// Nothing when the archive has no page, or it cannot be read or decoded, or
// its data is over `maximo` bytes.
std::optional<Portada> LeerPortada(const QString &ruta, const std::function<QSize(QSize)> &tamano,
                                   std::uint64_t maximo = archivo::TamanoMaximoEntrada);

// The same, fitted into a square of `ladoPixeles`.
std::optional<Portada> LeerPortada(const QString &ruta, int ladoPixeles,
                                   std::uint64_t maximo = archivo::TamanoMaximoEntrada);

} // namespace portada
