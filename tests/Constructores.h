#pragma once
// The shared builders under the tests' own namespace, and the fixtures.
#include "constructores/Constructores.h"
#include "imaging/ControlImagen.h"

#include <QString>

namespace prueba {

using namespace constructores;

// Folder of the shared archive fixtures; empty when this checkout has none.
QString CarpetaFixtures();

// A page whose width tells which one it is: 100 + n pixels.
inline QByteArray PaginaMarcada(int n, const char *formato = "JPG")
{
    return PaginaDeColor(QColor::fromHsv((n * 37) % 360, 200, 220), QSize(100 + n, 150), formato);
}

// Which PaginaMarcada a holder shows; -1 for none.
inline int NumeroDe(const ControlImagen &c)
{
    return c.Picture.isNull() ? -1 : TamanoNatural(c).width() - 100;
}

} // namespace prueba
