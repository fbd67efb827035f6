#pragma once
// The geometric drawing primitives: quarter turns, mirrors and scaled
// copies between picture holders and drawing surfaces. Nothing here changes
// a picture file or a holder's picture.
#include "imaging/ControlImagen.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdint>

namespace modImagen {

// A work box in pixels: the picture it holds and the image drawn on it.
struct CajaImagen {
    QImage Picture;
    TipoPicture Tipo = TipoPicture::Ninguno;
    QImage Image;      // its persistent drawn image, Ancho x Alto
    int Ancho = 0;     // inner size, pixels
    int Alto = 0;
};

// Turns the source's picture by `angulo` degrees about its centre into the
// destination; at +-90 the destination takes the exchanged sides and the
// turned picture fills it exactly. Icons and metafiles are not drawn.
bool RotarImagen(const CajaImagen &origen, CajaImagen &destino, std::int32_t x, std::int32_t y,
                 float angulo);

// Draws `picture` turned about its centre with its top-left at (x, y) before
// the turn; 0 when nothing was drawn (no picture, not a bitmap).
int DibujarRotado(QPainter &dc, std::int32_t x, std::int32_t y, float angulo, const QImage &picture,
                  TipoPicture tipo);

// Mirror image of the source's drawn image: left-right, or upside down.
void ReflejarImagen(const CajaImagen &origen, CajaImagen &destino, bool vertical);

// Copies `picture` stretched (area-averaged when shrinking) into `destino` at
// x, y, w, h given in the destination's units (`pixelesPorUnidad` pixels each);
// they come back converted to pixels. `borrar` clears to `fondo` first.
void CopiarEscalado(const QImage &picture, TipoPicture tipo, QImage &destino, std::int32_t &x,
                    std::int32_t &y, std::int32_t &w, std::int32_t &h, bool borrar,
                    const QColor &fondo, double pixelesPorUnidad);

// A box's own picture stretched over its whole inner area (aspect not kept).
void PintarEscalado(CajaImagen &caja);

// The same for a window's surface of the given size in pixels.
QImage PintarEscaladoForm(const QImage &picture, const QSize &tamano);

// Smooth stretch of `picture` into `rect` (pixels) of the painter's device,
// scaling only the part that lands inside `visible`.
void DibujarEstirado(QPainter &p, const QRect &rect, const QImage &picture, const QRect &visible);

} // namespace modImagen
