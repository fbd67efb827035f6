#include "shell/Contraste.h"

#include <algorithm>
#include <cmath>

namespace contraste {

namespace {

double Lineal(int canal)
{
    const double c = canal / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double Luminancia(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * Lineal(rgb.red()) + 0.7152 * Lineal(rgb.green()) + 0.0722 * Lineal(rgb.blue());
}

double Razon(const QColor &a, const QColor &b)
{
    const double la = Luminancia(a), lb = Luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Mezcla(const QColor &color, const QColor &detras, double opacidad)
{
    const auto canal = [&](int c, int d) { return int(std::lrint(c * opacidad + d * (1 - opacidad))); };
    const QColor a = color.toRgb(), b = detras.toRgb();
    return QColor(canal(a.red(), b.red()), canal(a.green(), b.green()), canal(a.blue(), b.blue()));
}

double RazonTraslucida(const QColor &texto, const QColor &fondo, double opacidad)
{
    if (opacidad >= 1)
        return Razon(texto, fondo);
    double minima = Razon(texto, fondo);
    for (int gris = 0; gris <= 255; gris += 5) {
        const QColor detras(gris, gris, gris);
        minima = std::min(minima, Razon(Mezcla(texto, detras, opacidad), Mezcla(fondo, detras, opacidad)));
    }
    return minima;
}

} // namespace contraste
