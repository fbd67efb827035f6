#pragma once
// Where, and how large, a page goes in the window: every display mode, zoom,
// move by parts and the dynamic view, as plain arithmetic in twips. The
// window applies the rectangles these return and paints them.
#include <QString>

#include <cstdint>

namespace diseno {

// The display modes; each number is the key that chooses it.
enum class Modo : int {
    Pantalla = 1,   // fit to the screen
    Real = 2,       // 100 %
    Ancho = 3,      // fit to the width
    Alto = 4,       // fit to the height
    Estirado = 5,   // stretched to the window
    Dinamico = 6,   // follows the pointer
    Continuo = 7,   // the next page below, on top of the mode under it
    DosPaginas = 8, // two pages side by side
};

inline int Numero(Modo m) { return static_cast<int>(m); }
// Modes 1 to 5 lay out one page by themselves; 6 to 8 do more.
inline bool EsModoSimple(Modo m) { return Numero(m) < Numero(Modo::Dinamico); }

// Gap between the pages stacked in continuous mode, twips.
inline constexpr std::int32_t HuecoContinuo = 300;

// A control's rectangle in the window, in twips.
struct Rect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const Rect &) const = default;
};

// A picture's natural size: HIMETRIC (PW x PH) and twips (pw x ph).
struct Natural {
    std::int32_t PW = 0;
    std::int32_t PH = 0;
    double pw() const;
    double ph() const;
    std::int32_t AnchoPixeles() const;
    std::int32_t AltoPixeles() const;
    bool Vacia() const { return PW <= 0 || PH <= 0; }
};

// The size a picture of that many pixels reports (96 dpi).
Natural NaturalDePixeles(int ancho, int alto);

// The whole-number conversion used everywhere: nearest, ties to even.
std::int32_t Entero(double v);

// Window client area in twips.
struct Ventana {
    std::int32_t SW = 0;
    std::int32_t SH = 0;
    bool operator==(const Ventana &) const = default;
};

Rect AjustaReal(const Natural &n, const Ventana &v, bool centrar);
Rect AjustaPantalla(const Natural &n, const Ventana &v, bool noAgrandar);
Rect AjustaAncho(const Natural &n, const Ventana &v);
Rect AjustaAlto(const Natural &n, const Ventana &v);
Rect AdaptaPantalla(const Ventana &v);
Rect AjustaMitad(const Natural &n, const Ventana &v, std::int32_t x);

// The layout a page load applies in modes 1 to 7 (8 lays out two halves).
Rect SegunModo(Modo modo, const Natural &n, const Ventana &v);

// One zoom step of `paso` percent about the rectangle's centre.
Rect AplicaZoom(const Rect &r, int paso);
int PorcentajeZoom(const Natural &n, const Rect &r);

struct Partes {
    std::int32_t DesplazParteX = 0;
    std::int32_t DesplazParteY = 0;
    bool bPartesAbajo = false; // true: "Down - Right"
};

// Whether move by parts acts on this page in mode `m` (the mode under
// continuous mode when that is on).
bool ParteAplicable(int m, const Rect &r, const Ventana &v);
// direccion 0: next part, 1: previous part.
void PasaParte(Rect &r, Partes &p, const Ventana &v, int direccion);
void ReiniciaParte(Rect &r, const Ventana &v);

struct PasoRaton {
    bool Cambio = false;   // the rectangle moved: redraw
    bool Detener = false;  // the pointer rests in the dead zone at the centre
};
// One step of the dynamic view; x, y: the pointer in window twips.
PasoRaton SigueRaton(Rect &r, const Ventana &v, std::int32_t x, std::int32_t y);

// The navigator: its size and the frame of the visible part, in twips.
struct Referencia {
    std::int32_t RW = 0;
    std::int32_t RH = 0;
    Rect Marco;
};
Referencia ActualizaReferencia(const Natural &n, const Rect &r, const Ventana &v);

// The page information line (messages in the current language).
QString InfoPagina(Modo modoAjuste, Modo modoAnterior, bool partesAbajo, const Natural &n,
                   const Rect &r, const QString &nombre);

} // namespace diseno
