#include "imaging/ccEfectos.h"

#include "imaging/modPNG.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Below this a band costs more to start than it saves.
constexpr int FilasMinimasPorFranja = 64;

// Runs trabajo(desde, hasta) over bands of rows, one band per core; returns
// when every band is done.
template <class F>
void PorFranjas(int filas, const F &trabajo)
{
    const int nucleos = std::max(1, int(std::thread::hardware_concurrency()));
    const int franjas = std::clamp(filas / FilasMinimasPorFranja, 1, nucleos);
    std::vector<std::jthread> otras;
    otras.reserve(franjas - 1);
    for (int i = 1; i < franjas; ++i)
        otras.emplace_back([&trabajo, filas, franjas, i] {
            trabajo(filas * i / franjas, filas * (i + 1) / franjas);
        });
    trabajo(0, filas / franjas);
}

std::uint8_t Byte(int v)
{
    return std::uint8_t(std::clamp(v, 0, 255));
}

std::uint8_t Byte(double v)
{
    return Byte(int(std::nearbyint(v)));
}

// Luminance weights of Rec. 601 in 1/256, summing to 256 so white stays white.
int Luminancia(int r, int g, int b)
{
    return (77 * r + 150 * g + 29 * b + 128) >> 8;
}

// Fixed-point reciprocal of a window of n samples: (suma * r + 2^15) >> 16
// gives the rounded mean, exact on flat areas.
std::uint32_t Reciproco(int n)
{
    return (65536u + std::uint32_t(n) - 1) / std::uint32_t(n);
}

// Mean of the 2r+1 pixels around each pixel of one row (edges repeated),
// all four bytes of each pixel.
void CajaFila(const std::uint8_t *origen, std::uint8_t *destino, int ancho, int radio)
{
    const std::uint32_t rec = Reciproco(2 * radio + 1);
    std::uint32_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int k = -radio; k <= radio; ++k) {
        const std::uint8_t *p = origen + 4 * std::clamp(k, 0, ancho - 1);
        s0 += p[0];
        s1 += p[1];
        s2 += p[2];
        s3 += p[3];
    }
    for (int x = 0; x < ancho; ++x) {
        std::uint8_t *d = destino + 4 * x;
        d[0] = std::uint8_t((s0 * rec + 32768) >> 16);
        d[1] = std::uint8_t((s1 * rec + 32768) >> 16);
        d[2] = std::uint8_t((s2 * rec + 32768) >> 16);
        d[3] = std::uint8_t((s3 * rec + 32768) >> 16);
        const std::uint8_t *sale = origen + 4 * std::max(x - radio, 0);
        const std::uint8_t *entra = origen + 4 * std::min(x + radio + 1, ancho - 1);
        s0 += entra[0] - sale[0];
        s1 += entra[1] - sale[1];
        s2 += entra[2] - sale[2];
        s3 += entra[3] - sale[3];
    }
}

// The same down the columns for rows [desde, hasta), walking row by row so
// the memory is read in order.
void CajaColumnas(const std::uint8_t *origen, std::uint8_t *destino, qsizetype bpl, int alto,
                  int radio, int desde, int hasta)
{
    const std::uint32_t rec = Reciproco(2 * radio + 1);
    const std::size_t n = std::size_t(bpl);
    std::vector<std::uint32_t> suma(n, 0);
    auto fila = [&](int y) { return origen + bpl * std::clamp(y, 0, alto - 1); };
    for (int k = -radio; k <= radio; ++k) {
        const std::uint8_t *f = fila(desde + k);
        for (std::size_t i = 0; i < n; ++i)
            suma[i] += f[i];
    }
    for (int y = desde; y < hasta; ++y) {
        std::uint8_t *d = destino + bpl * y;
        const std::uint8_t *sale = fila(y - radio);
        const std::uint8_t *entra = fila(y + radio + 1);
        for (std::size_t i = 0; i < n; ++i) {
            d[i] = std::uint8_t((suma[i] * rec + 32768) >> 16);
            suma[i] += std::uint32_t(entra[i]) - sale[i];
        }
    }
}

} // namespace

void ccEfectos::AsignarCaja(const ControlImagen &caja)
{
    caja_ = &caja;
}

bool ccEfectos::Cargar()
{
    // The box keeps the picture as it was given, for undo.
    ControlImagen entera;
    if (caja_)
        CopiarPicture(entera, *caja_);
    if (!caja_ || !modPNG::Completar(entera)) {
        trabajo_ = QImage();
        return false;
    }
    return Cargar(entera.Picture);
}

bool ccEfectos::Cargar(const QImage &picture)
{
    if (picture.isNull()) {
        trabajo_ = QImage();
        return false;
    }
    // A shallow copy: the first write detaches it from the caller's picture.
    trabajo_ = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    return !trabajo_.isNull();
}

void ccEfectos::AplicarTabla(const std::uint8_t (&tabla)[256])
{
    if (trabajo_.isNull())
        return;
    std::uint8_t *base = trabajo_.bits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    const int ancho = trabajo_.width();
    PorFranjas(trabajo_.height(), [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            for (int x = 0; x < ancho; ++x) {
                const QRgb c = p[x];
                p[x] = (c & 0xff000000u) | (QRgb(tabla[qRed(c)]) << 16)
                       | (QRgb(tabla[qGreen(c)]) << 8) | tabla[qBlue(c)];
            }
        }
    });
}

void ccEfectos::BrilloMas(std::int32_t valor)
{
    std::uint8_t tabla[256];
    for (int v = 0; v < 256; ++v)
        tabla[v] = Byte(v + valor);
    AplicarTabla(tabla);
}

void ccEfectos::BrilloMenos(std::int32_t valor)
{
    BrilloMas(-std::abs(valor));
}

void ccEfectos::Contraste(std::int32_t valor)
{
    // The usual contrast curve about middle grey: c in -255..255.
    const double c = std::clamp(double(valor), -254.0, 254.0);
    const double factor = 259.0 * (c + 255.0) / (255.0 * (259.0 - c));
    std::uint8_t tabla[256];
    for (int v = 0; v < 256; ++v)
        tabla[v] = Byte(factor * (v - 128) + 128);
    AplicarTabla(tabla);
}

void ccEfectos::ContrasteMas(std::int32_t valor)
{
    Contraste(std::abs(valor));
}

void ccEfectos::ContrasteMenos(std::int32_t valor)
{
    Contraste(-std::abs(valor));
}

void ccEfectos::Gamma(std::int32_t valor)
{
    const double gamma = std::max(0.1, 1.0 + valor / 100.0);
    std::uint8_t tabla[256];
    for (int v = 0; v < 256; ++v)
        tabla[v] = Byte(255.0 * std::pow(v / 255.0, 1.0 / gamma));
    AplicarTabla(tabla);
}

void ccEfectos::PerfilarFin()
{
    std::uint8_t tabla[256];
    for (int v = 0; v < 256; ++v)
        tabla[v] = std::uint8_t(255 - v);
    AplicarTabla(tabla);
}

void ccEfectos::Saturacion(double factor)
{
    if (trabajo_.isNull())
        return;
    std::uint8_t *base = trabajo_.bits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    const int ancho = trabajo_.width();
    const float k = float(std::max(0.0, factor));
    PorFranjas(trabajo_.height(), [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            for (int x = 0; x < ancho; ++x) {
                const QRgb c = p[x];
                const int r = qRed(c), g = qGreen(c), b = qBlue(c);
                const int mayor = std::max({r, g, b}), menor = std::min({r, g, b});
                const int croma = mayor - menor;
                if (croma == 0)
                    continue;
                // HSL keeps hue and lightness: each channel moves along its
                // distance to the lightness, up to full saturation.
                const int suma = mayor + menor;
                const float tope = float(255 - std::abs(suma - 255)) / float(croma);
                const float f = std::min(k, tope);
                const float l = suma * 0.5f;
                auto canal = [&](int v) { return QRgb(Byte(double(l + f * (float(v) - l)))); };
                p[x] = (c & 0xff000000u) | (canal(r) << 16) | (canal(g) << 8) | canal(b);
            }
        }
    });
}

void ccEfectos::SaturacionMas(std::int32_t valor)
{
    Saturacion(1.0 + std::abs(valor) / 100.0);
}

void ccEfectos::SaturacionMenos(std::int32_t valor)
{
    Saturacion(1.0 - std::abs(valor) / 100.0);
}

void ccEfectos::EscalaGrises()
{
    if (trabajo_.isNull())
        return;
    std::uint8_t *base = trabajo_.bits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    const int ancho = trabajo_.width();
    PorFranjas(trabajo_.height(), [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            for (int x = 0; x < ancho; ++x) {
                const QRgb c = p[x];
                const QRgb l = QRgb(Luminancia(qRed(c), qGreen(c), qBlue(c)));
                p[x] = (c & 0xff000000u) | (l << 16) | (l << 8) | l;
            }
        }
    });
}

// Repeated box means approach a Gaussian: two passes of radius r spread about
// as far as a Gaussian of sigma r, three passes of radius r about 1.4 r.
void ccEfectos::CajaRepetida(int radio, int pasadas)
{
    if (trabajo_.isNull())
        return;
    std::uint8_t *base = trabajo_.bits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    const int ancho = trabajo_.width();
    const int alto = trabajo_.height();
    std::vector<std::uint8_t> intermedio(std::size_t(bpl) * std::size_t(alto));
    std::uint8_t *medio = intermedio.data();
    for (int i = 0; i < pasadas; ++i) {
        PorFranjas(alto, [&](int desde, int hasta) {
            for (int y = desde; y < hasta; ++y)
                CajaFila(base + bpl * y, medio + bpl * y, ancho, radio);
        });
        PorFranjas(alto, [&](int desde, int hasta) {
            CajaColumnas(medio, base, bpl, alto, radio, desde, hasta);
        });
    }
}

void ccEfectos::Suavizar()
{
    CajaRepetida(1, 1);
}

void ccEfectos::Difuminar()
{
    CajaRepetida(2, 2);
}

void ccEfectos::Desenfocar()
{
    CajaRepetida(4, 3);
}

void ccEfectos::ContrastarBordes()
{
    if (trabajo_.isNull())
        return;
    const QImage original = trabajo_.copy();
    CajaRepetida(2, 2);
    std::uint8_t *base = trabajo_.bits();
    const std::uint8_t *fuente = original.constBits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    const std::size_t n = std::size_t(trabajo_.width()) * 4;
    // out = in + (in - blurred): the detail the blur took away, doubled.
    PorFranjas(trabajo_.height(), [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            std::uint8_t *d = base + bpl * y;
            const std::uint8_t *o = fuente + bpl * y;
            for (std::size_t i = 0; i < n; ++i)
                d[i] = Byte(2 * int(o[i]) - int(d[i]));
        }
    });
}

void ccEfectos::Perfilar()
{
    if (trabajo_.isNull())
        return;
    const int ancho = trabajo_.width();
    const int alto = trabajo_.height();
    std::uint8_t *base = trabajo_.bits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    std::vector<std::uint8_t> luz(std::size_t(ancho) * std::size_t(alto));
    PorFranjas(alto, [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            const auto *p = reinterpret_cast<const QRgb *>(base + bpl * y);
            std::uint8_t *l = luz.data() + std::size_t(ancho) * y;
            for (int x = 0; x < ancho; ++x)
                l[x] = std::uint8_t(Luminancia(qRed(p[x]), qGreen(p[x]), qBlue(p[x])));
        }
    });
    // Sobel on the luminance, doubled so that a step of half the scale already
    // draws a full line.
    PorFranjas(alto, [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            const std::uint8_t *a = luz.data() + std::size_t(ancho) * std::max(y - 1, 0);
            const std::uint8_t *m = luz.data() + std::size_t(ancho) * y;
            const std::uint8_t *b = luz.data() + std::size_t(ancho) * std::min(y + 1, alto - 1);
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            for (int x = 0; x < ancho; ++x) {
                const int i = std::max(x - 1, 0), d = std::min(x + 1, ancho - 1);
                const int gx = (a[d] + 2 * m[d] + b[d]) - (a[i] + 2 * m[i] + b[i]);
                const int gy = (b[i] + 2 * b[x] + b[d]) - (a[i] + 2 * a[x] + a[d]);
                const QRgb v = Byte((std::abs(gx) + std::abs(gy)) / 2);
                p[x] = (p[x] & 0xff000000u) | (v << 16) | (v << 8) | v;
            }
        }
    });
}
