#pragma once
// JPEG pages straight from memory with libjpeg-turbo: the pixels go directly
// into the picture, and when the page is shown smaller than it is, the
// decoder's own DCT scaling does most of the reduction.
#include "imaging/Plazo.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <functional>

namespace decodificadorJpeg {

enum class Resultado {
    Hecho,
    Otro,       // not a plain JPEG we decode here (other format, CMYK, EXIF turn)
    Error,      // damaged, too large even reduced, or past the deadline
    Cancelado,
};

struct Salida {
    QImage Imagen;   // Format_RGB32
    QSize Natural;   // the page's own size
    QSize Tope;      // the largest it is ever decoded at: Natural, or less over the limit
};

// `tamanoMostrado` gets the natural size and answers the size the page will
// be shown at (empty: the whole picture). The result is exactly that size
// when it is smaller than the natural one, else the natural picture. A page
// whose pixels would pass `bytesMaximos` comes reduced to fit (Tope), since
// the decoder scales while it decodes.
Resultado Decodificar(const QByteArray &datos, const std::function<QSize(QSize)> &tamanoMostrado,
                      std::uint64_t bytesMaximos, const Plazo &plazo, Salida &salida);

// The largest size of the same shape as `natural` whose pixels (4 bytes
// each) fit in `bytesMaximos`; `natural` itself when it fits.
QSize AjustarAlLimite(QSize natural, std::uint64_t bytesMaximos);

// The smallest scale n/8 whose output still covers `objetivo`.
int EscalaDct(QSize natural, QSize objetivo);

// The scale to decode at for a covering scale of `n`/8: libjpeg-turbo's
// inverse DCTs are vectorised for 1, 2, 4 and 8 eighths only, so 3 and 7
// eighths take longer than 4 and 8 (a print page to a 1080-line screen:
// 23 ms at 3/8, 20 ms at 4/8 and 3.7 ms more to scale down), and give less.
int EscalaRapida(int n);

} // namespace decodificadorJpeg
