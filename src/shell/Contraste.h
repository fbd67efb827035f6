#pragma once
// How well a text stands out from what is behind it: the relative luminance
// contrast every text of the program keeps to (at least 4.5 : 1).
#include <QColor>

namespace contraste {

inline constexpr double Minima = 4.5;

// Relative luminance of an sRGB colour: 0 black, 1 white.
double Luminancia(const QColor &c);
// (lighter + 0.05) / (darker + 0.05), from 1 to 21, whichever is which.
double Razon(const QColor &a, const QColor &b);
// What a window `opacidad` opaque (0 to 1) shows of `color` over `detras`.
QColor Mezcla(const QColor &color, const QColor &detras, double opacidad);
// The least ratio of a text over its background in a window that opaque,
// whatever grey lies behind the window.
double RazonTraslucida(const QColor &texto, const QColor &fondo, double opacidad);

} // namespace contraste
