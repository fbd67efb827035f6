#pragma once
// A page's encoded bytes turned straight into a small picture of a given
// size: JPEG through the DCT scaling of libjpeg-turbo, formats whose reader
// can scale while decoding through that, the rest decoded whole and reduced.
// Nothing is written to disk; safe on any thread.
#include "imaging/ControlImagen.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <functional>
#include <memory>

namespace miniatura {

struct Resultado {
    QImage Imagen;          // exactly the size asked for; null when it failed
    QSize Natural;          // the page's own size, upright as it is shown
    bool Cancelado = false;
};

// `tamano` gets the page's natural size and answers the picture's size in
// pixels (an empty answer: the natural size). PNG pages come over white, as
// the page loader gives them.
Resultado Decodificar(const std::shared_ptr<const OrigenPicture> &origen,
                      const std::function<QSize(QSize)> &tamano,
                      const std::atomic<bool> *cancelar = nullptr);

} // namespace miniatura
