#pragma once
// The arithmetic of the list control: which rows fit, the scroll bar's range
// for lists longer than a 16-bit scroll bar, moving by whole items, and the
// read states a marker steps through. Twips throughout.
#include <QList>
#include <QString>

#include <cstdint>

namespace listado {

inline constexpr int IzquierdaFila = 240;   // where a row's name starts
inline constexpr int ArribaPrimeraFila = 40;
inline constexpr int AltoFila = 255;
inline constexpr int SeparacionFilas = 40;  // between one row's bottom and the next top
inline constexpr int PasoFila = AltoFila + SeparacionFilas;
inline constexpr int AnchoScroll = 255;
inline constexpr int RangoScroll = 32767;   // the scroll bar counts in 16 bits

// Twips to the nearest whole pixel, and back.
int Pixeles(int twips);
int Twips(int pixeles);

enum Estado : int { NoLeido = 0, Leido = 1, Leyendo = 2 };

// The tops of the rows that fit in a surface `alto` high; the first row is
// always there.
QList<int> TopesFilas(int alto);

// What a row shows: the comic's name, then what its ComicInfo.xml says of
// it ("Series #Number") when that is known.
QString TextoFila(const QString &nombre, const QString &serie);

// The width of a row's name on a surface `ancho` wide.
int AnchoNombre(int ancho);

struct Scroll {
    int Factor = 1;       // items per scroll-bar step
    int Maximo = 0;
    int CambioGrande = 1; // a page of rows
    bool operator==(const Scroll &) const = default;
};

// For a list whose last index is `ultimoIndice` on a surface `alto` high.
Scroll ConfigurarScroll(int ultimoIndice, int alto);

struct Posicion {
    int PrimeraFila = 0; // the item in the first row
    int Valor = 0;       // the scroll bar's value
    bool operator==(const Posicion &) const = default;
};

// `delta` items from the first row shown, kept within the list; the bar
// takes the nearest step. The first row follows the item exactly, so a
// factor above 1 still moves one item per call.
Posicion ScrollManual(int primeraFila, const Scroll &s, int delta);

// The first row of a scroll-bar value.
int PrimeraFilaDe(int valor, const Scroll &s);

// Not read -> read -> reading -> not read; anything else -> not read.
int SiguienteEstado(int estado);

// A state as the marker shows it: 0, 1 or 2 (anything else is "not read").
int EstadoMostrado(int estado);

} // namespace listado
