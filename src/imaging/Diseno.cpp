#include "imaging/Diseno.h"

#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace diseno {

namespace {

constexpr double Twips = modGeneral::TwipsPorPixel;

double Redondear(double v, int decimales)
{
    const double f = std::pow(10.0, decimales);
    return std::nearbyint(v * f) / f;
}

// The part keys step back one window along an axis: to the start edge when
// less than a window is left before it.
void RetrocedeEje(std::int32_t &posicion, std::int32_t &desplaz, std::int32_t ventana)
{
    const std::int32_t resto = ventana - std::abs(posicion);
    if (resto > 0) {
        posicion = 0;
        desplaz = 0;
    } else {
        posicion = resto;
        desplaz = -posicion;
    }
}

// One step forward along an axis; false when that axis was already at its end.
bool AvanzaEje(std::int32_t &posicion, std::int32_t &desplaz, std::int32_t tamano,
               std::int32_t ventana)
{
    if (std::abs(posicion) + ventana < tamano) {
        posicion = (tamano - desplaz >= ventana) ? -desplaz : -(tamano - ventana);
        return true;
    }
    return false;
}

} // namespace

std::int32_t Entero(double v)
{
    return static_cast<std::int32_t>(std::lrint(v));
}

double Natural::pw() const
{
    return PW * 1440.0 / 2540.0;
}

double Natural::ph() const
{
    return PH * 1440.0 / 2540.0;
}

std::int32_t Natural::AnchoPixeles() const
{
    return Entero(PW * 96.0 / 2540.0);
}

std::int32_t Natural::AltoPixeles() const
{
    return Entero(PH * 96.0 / 2540.0);
}

Natural NaturalDePixeles(int ancho, int alto)
{
    return {Entero(ancho * 2540.0 / 96.0), Entero(alto * 2540.0 / 96.0)};
}

Rect AjustaReal(const Natural &n, const Ventana &v, bool centrar)
{
    Rect r;
    r.Width = Entero(n.pw());
    r.Height = Entero(n.ph());
    const auto centrado = [](std::int32_t ventana, std::int32_t lado) {
        return Entero(ventana / 2.0 - lado / 2.0);
    };
    if (centrar) {
        r.Left = centrado(v.SW, r.Width);
        r.Top = centrado(v.SH, r.Height);
    } else if (r.Width > v.SW && r.Height > v.SH) {
        r.Left = r.Top = 0;
    } else {
        r.Left = r.Width > v.SW ? 0 : centrado(v.SW, r.Width);
        r.Top = r.Height > v.SH ? 0 : centrado(v.SH, r.Height);
    }
    return r;
}

Rect AjustaPantalla(const Natural &n, const Ventana &v, bool noAgrandar)
{
    if (noAgrandar && n.pw() < v.SW && n.ph() < v.SH)
        return AjustaReal(n, v, false);
    Rect r;
    if (n.Vacia() || v.SH <= 0)
        return r;
    const double rs = Redondear(double(v.SW) / v.SH, 2);
    const double rp = Redondear(double(n.PW) / n.PH, 2);
    if (rp <= rs) {
        r.Height = v.SH;
        r.Width = Entero(v.SH * rp);
        r.Left = Entero((v.SW - r.Width) / 2.0);
        r.Top = 0;
    } else {
        r.Width = v.SW;
        r.Height = Entero(v.SW / rp);
        r.Top = Entero((v.SH - r.Height) / 2.0);
        r.Left = 0;
    }
    return r;
}

Rect AjustaAncho(const Natural &n, const Ventana &v)
{
    Rect r;
    if (n.Vacia())
        return r;
    r.Width = v.SW;
    r.Height = Entero(v.SW * n.ph() / n.pw());
    r.Top = r.Height >= v.SH ? 0 : Entero(v.SH / 2.0 - r.Height / 2.0);
    r.Left = 0;
    return r;
}

Rect AjustaAlto(const Natural &n, const Ventana &v)
{
    Rect r;
    if (n.Vacia())
        return r;
    r.Height = v.SH;
    r.Width = Entero(v.SH * n.pw() / n.ph());
    r.Left = r.Width >= v.SW ? 0 : Entero(v.SW / 2.0 - r.Width / 2.0);
    r.Top = 0;
    return r;
}

Rect AdaptaPantalla(const Ventana &v)
{
    return {0, 0, v.SW, v.SH};
}

Rect AjustaMitad(const Natural &n, const Ventana &v, std::int32_t x)
{
    Rect r;
    if (n.Vacia() || v.SH <= 0)
        return r;
    const double mitad = v.SW / 2.0;
    const double rs = Redondear(mitad / v.SH, 1);
    const double rp = double(n.PW) / n.PH;
    if (rp > rs) {
        r.Width = Entero(mitad);
        r.Height = Entero(mitad / rp);
        r.Top = Entero((v.SH - r.Height) / 2.0);
        r.Left = x;
    } else {
        r.Height = v.SH;
        r.Width = Entero(v.SH * rp);
        r.Left = x + Entero((mitad - r.Width) / 2.0);
        r.Top = 0;
    }
    return r;
}

Rect SegunModo(Modo modo, const Natural &n, const Ventana &v)
{
    switch (modo) {
    case Modo::Real:
    case Modo::Dinamico:
        return AjustaReal(n, v, false);
    case Modo::Ancho:
        return AjustaAncho(n, v);
    case Modo::Alto:
        return AjustaAlto(n, v);
    case Modo::Estirado:
        return AdaptaPantalla(v);
    default:
        return AjustaPantalla(n, v, true);
    }
}

Rect AplicaZoom(const Rect &r, int paso)
{
    Rect z = r;
    z.Height = Entero(r.Height + r.Height * paso / 100.0);
    z.Width = Entero(r.Width + r.Width * paso / 100.0);
    const int s = (paso > 0) - (paso < 0);
    z.Left = Entero(r.Left - std::abs(z.Width - r.Width) * s / 2.0);
    z.Top = Entero(r.Top - std::abs(z.Height - r.Height) * s / 2.0);
    return z;
}

int PorcentajeZoom(const Natural &n, const Rect &r)
{
    const std::int32_t wp = n.AnchoPixeles();
    const std::int32_t wd = Entero(r.Width / Twips);
    return wp > 0 ? Entero(wd * 100.0 / wp) : 0;
}

bool ParteAplicable(int m, const Rect &r, const Ventana &v)
{
    return m == 1 || m == 2 || (m == 3 && r.Height > v.SH) || (m == 4 && r.Width > v.SW)
           || (m == 5 && (r.Width > v.SW || r.Height > v.SH));
}

void PasaParte(Rect &r, Partes &p, const Ventana &v, int direccion)
{
    const bool abajo = p.bPartesAbajo;
    // The primary axis is read first, the secondary when a row (or column) ends.
    std::int32_t &pos1 = abajo ? r.Top : r.Left;
    std::int32_t &pos2 = abajo ? r.Left : r.Top;
    std::int32_t &des1 = abajo ? p.DesplazParteY : p.DesplazParteX;
    std::int32_t &des2 = abajo ? p.DesplazParteX : p.DesplazParteY;
    const std::int32_t tam1 = abajo ? r.Height : r.Width;
    const std::int32_t tam2 = abajo ? r.Width : r.Height;
    const std::int32_t ven1 = abajo ? v.SH : v.SW;
    const std::int32_t ven2 = abajo ? v.SW : v.SH;

    if (direccion == 0) {
        des1 += ven1;
        if (AvanzaEje(pos1, des1, tam1, ven1))
            return;
        if (pos1 < 0)
            pos1 = 0;
        des2 += ven2;
        if (!AvanzaEje(pos2, des2, tam2, ven2)) {
            des2 = 0;
            pos2 = 0; // after the last part, the first
        }
        des1 = 0;
        return;
    }

    if (r.Left == 0 && r.Top == 0)
        return;
    if (pos1 == 0) {
        // Start of a row: the far end of the previous one.
        pos1 = ven1 - tam1;
        RetrocedeEje(pos2, des2, ven2);
        des1 = -pos1;
    } else {
        RetrocedeEje(pos1, des1, ven1);
    }
}

void ReiniciaParte(Rect &r, const Ventana &v)
{
    const std::int32_t centroX = Entero(v.SW / 2.0 - r.Width / 2.0);
    if (r.Left == 0) {
        r.Left = centroX;
        r.Top = Entero(v.SH / 2.0 - r.Height / 2.0);
    } else if (r.Left == centroX) {
        r.Left = v.SW - r.Width;
        r.Top = v.SH - r.Height;
    } else {
        r.Left = r.Top = 0;
    }
}

PasoRaton SigueRaton(Rect &r, const Ventana &v, std::int32_t x, std::int32_t y)
{
    PasoRaton paso;
    const bool ancha = r.Width > v.SW;
    const bool alta = r.Height > v.SH;
    if (!ancha && !alta)
        return paso;
    const double mx = v.SW / 2.0;
    const double my = v.SH / 2.0;
    const std::int32_t dx = Entero((x - mx) / mx * 500);
    const std::int32_t dy = Entero((y - my) / my * 500);
    std::int32_t left = r.Left;
    std::int32_t top = r.Top;
    if (ancha)
        left = std::clamp(r.Left - dx, -(r.Width - v.SW), 0);
    if (alta)
        top = std::clamp(r.Top - dy, -(r.Height - v.SH), 0);
    if (left != r.Left || top != r.Top) {
        r.Left = left;
        r.Top = top;
        paso.Cambio = true;
    }
    paso.Detener = std::abs(x - Entero(mx)) <= 500 && std::abs(y - Entero(my)) <= 500;
    return paso;
}

Referencia ActualizaReferencia(const Natural &n, const Rect &r, const Ventana &v)
{
    Referencia ref;
    if (n.Vacia() || r.Width <= 0 || r.Height <= 0)
        return ref;
    ref.RW = Entero(v.SW / 8.0);
    ref.RH = Entero(ref.RW / (double(n.PW) / n.PH));
    ref.Marco.Width = r.Width > v.SW ? Entero(double(v.SW) * ref.RW / r.Width) : ref.RW;
    ref.Marco.Height = r.Height > v.SH ? Entero(double(v.SH) * ref.RH / r.Height) : ref.RH;
    ref.Marco.Left = r.Left < 0 ? Entero(double(std::abs(r.Left)) * ref.RW / r.Width) : 0;
    ref.Marco.Top = r.Top < 0 ? Entero(double(std::abs(r.Top)) * ref.RH / r.Height) : 0;
    return ref;
}

QString InfoPagina(Modo modoAjuste, Modo modoAnterior, bool partesAbajo, const Natural &n,
                   const Rect &r, const QString &nombre)
{
    using modIdioma::TextoIdioma;
    const QString sep = QStringLiteral(" | ");
    QString t = sep;
    if (modoAjuste == Modo::Continuo)
        t += TextoIdioma(10) + ": " + QString::number(Numero(modoAnterior)) + " - " + TextoIdioma(171);
    else
        t += TextoIdioma(10) + ": " + QString::number(Numero(modoAjuste));
    t += sep + TextoIdioma(partesAbajo ? 167 : 168);
    t += sep + TextoIdioma(11) + " ";
    t += TextoIdioma(12) + ": " + QString::number(n.AnchoPixeles()) + "x"
         + QString::number(n.AltoPixeles()) + "px";
    t += sep + TextoIdioma(11) + " ";
    t += TextoIdioma(13) + ": " + QString::number(Entero(r.Width / Twips)) + "x"
         + QString::number(Entero(r.Height / Twips)) + "px";
    t += sep + TextoIdioma(176) + ": " + QString::number(PorcentajeZoom(n, r)) + "%";
    t += sep + TextoIdioma(14) + ": " + nombre;
    t += sep;
    return t;
}

} // namespace diseno
