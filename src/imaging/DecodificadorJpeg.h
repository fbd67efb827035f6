#pragma once
// JPEG pages straight from memory with libjpeg-turbo: the pixels go directly
// into the picture, and when the page is shown smaller than it is, the
// decoder's own DCT scaling does most of the reduction.
#include <QByteArray>
#include <QImage>

#include <atomic>
#include <cstdint>
#include <functional>

namespace decodificadorJpeg {

enum class Resultado {
    Hecho,
    Otro,       // not a plain JPEG we decode here (other format, CMYK, EXIF turn)
    Error,      // damaged, or larger than allowed
    Cancelado,
};

struct Salida {
    QImage Imagen;   // Format_RGB32
    QSize Natural;   // the page's own size
};

// `tamanoMostrado` gets the natural size and answers the size the page will
// be shown at (empty: the whole picture). The result is exactly that size
// when it is smaller than the natural one, else the natural picture.
Resultado Decodificar(const QByteArray &datos, const std::function<QSize(QSize)> &tamanoMostrado,
                      std::uint64_t bytesMaximos, const std::atomic<bool> *cancelar, Salida &salida);

// The smallest scale n/8 whose output still covers `objetivo`.
int EscalaDct(QSize natural, QSize objetivo);

} // namespace decodificadorJpeg
