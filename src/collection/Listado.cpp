#include "collection/Listado.h"

#include "imaging/Diseno.h"
#include "shell/modGeneral.h"

#include <algorithm>

namespace listado {

int Pixeles(int twips)
{
    return diseno::Entero(double(twips) / modGeneral::TwipsPorPixel);
}

int Twips(int pixeles)
{
    return pixeles * modGeneral::TwipsPorPixel;
}

QList<int> TopesFilas(int alto)
{
    QList<int> topes{ArribaPrimeraFila};
    for (;;) {
        const int top = topes.constLast() + AltoFila + SeparacionFilas;
        if (top + AltoFila > alto)
            break;
        topes << top;
    }
    return topes;
}

QString TextoFila(const QString &nombre, const QString &serie)
{
    return serie.isEmpty() ? nombre : nombre + QStringLiteral(" \u2014 ") + serie;
}

int AnchoNombre(int ancho)
{
    return std::max(0, ancho - AnchoScroll - IzquierdaFila - 40);
}

Scroll ConfigurarScroll(int ultimoIndice, int alto)
{
    const int visibles = alto / PasoFila;
    const int ocultos = ultimoIndice - visibles;
    Scroll s;
    if (ocultos > RangoScroll)
        s.Factor = ocultos / RangoScroll + 1;
    s.Maximo = std::max(0, diseno::Entero(double(ocultos + 1) / s.Factor));
    s.CambioGrande = std::max(1, diseno::Entero(double(alto) / PasoFila));
    return s;
}

Posicion ScrollManual(int primeraFila, const Scroll &s, int delta)
{
    const int tope = s.Maximo * s.Factor;
    const int v = std::clamp(primeraFila + delta, 0, tope);
    return {v, std::clamp(diseno::Entero(double(v) / s.Factor), 0, s.Maximo)};
}

int PrimeraFilaDe(int valor, const Scroll &s)
{
    return valor * s.Factor;
}

int SiguienteEstado(int estado)
{
    switch (estado) {
    case NoLeido:
        return Leido;
    case Leido:
        return Leyendo;
    default:
        return NoLeido;
    }
}

int EstadoMostrado(int estado)
{
    return estado == Leido || estado == Leyendo ? int(estado) : int(NoLeido);
}

} // namespace listado
