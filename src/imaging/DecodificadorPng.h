#pragma once
// PNG pictures too large to hold whole, decoded row by row straight into a
// smaller picture: only the rows being worked on are ever in memory.
#include "imaging/Plazo.h"

#include <QByteArray>
#include <QImage>

namespace decodificadorPng {

enum class Resultado { Hecho, Error, Cancelado };

// The picture reduced to `tamano` (at most its own size), each pixel the
// average of the ones it covers, in Format_ARGB32_Premultiplied. Interlaced
// files cannot be read row by row and give Error, as damaged ones do.
Resultado DecodificarReducido(const QByteArray &datos, QSize tamano, const Plazo &plazo, QImage &salida);

} // namespace decodificadorPng
