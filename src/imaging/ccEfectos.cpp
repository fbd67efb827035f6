#include "imaging/ccEfectos.h"

#include "imaging/modPNG.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Below this a band costs more to start than it saves.
constexpr int FilasMinimasPorFranja = 64;

// Rows [Desde, Hasta) of the picture, worked by one thread.
struct Franja {
    int Desde;
    int Hasta;
};

// One band per core, of nearly equal height.
std::vector<Franja> Franjas(int filas)
{
    const int nucleos = std::max(1, int(std::thread::hardware_concurrency()));
    const int n = std::clamp(filas / FilasMinimasPorFranja, 1, nucleos);
    std::vector<Franja> franjas;
    for (int i = 0; i < n; ++i)
        franjas.push_back({filas * i / n, filas * (i + 1) / n});
    return franjas;
}

// Runs trabajo(i) for every band i at once and returns when all are done. A
// band no thread could be started for runs on this one.
template <class F>
void PorFranjas(std::size_t franjas, const F &trabajo)
{
    std::vector<std::jthread> otras;
    otras.reserve(franjas);
    std::size_t i = 1;
    try {
        for (; i < franjas; ++i)
            otras.emplace_back([&trabajo, i] { trabajo(i); });
    } catch (const std::system_error &) {
    }
    trabajo(std::size_t(0));
    for (; i < franjas; ++i)
        trabajo(i);
}

// The same over rows: trabajo(desde, hasta).
template <class F>
void PorFranjas(int filas, const F &trabajo)
{
    const std::vector<Franja> franjas = Franjas(filas);
    PorFranjas(franjas.size(), [&](std::size_t i) { trabajo(franjas[i].Desde, franjas[i].Hasta); });
}

// pixel(c) for every pixel of the picture, in bands.
template <class F>
void CadaPixel(QImage &imagen, const F &pixel)
{
    if (imagen.isNull())
        return;
    std::uint8_t *base = imagen.bits();
    const qsizetype bpl = imagen.bytesPerLine();
    const int ancho = imagen.width();
    PorFranjas(imagen.height(), [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            // A local bound: the stores through p cannot change it.
            for (int x = 0, fin = ancho; x < fin; ++x)
                p[x] = pixel(p[x]);
        }
    });
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

// The rounded mean of a window of n samples in fixed point: for a sum s,
// ((s + n / 2) * Reciproco(n)) >> 16, exact on flat areas. Sums of up to 11
// samples fit in 16 bits, so the SIMD lanes are 16 bits wide.
constexpr int RadioMaximo = 5;

std::uint16_t Reciproco(int n)
{
    return std::uint16_t((65536 + n - 1) / n);
}

std::uint8_t MediaVentana(std::uint32_t suma, int n, std::uint32_t rec)
{
    return std::uint8_t(((suma + std::uint32_t(n / 2)) * rec) >> 16);
}

#if defined(__SSE2__)
// Two pixels' eight bytes as eight 16-bit lanes.
__m128i CargarDos(const std::uint8_t *p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)),
                             _mm_setzero_si128());
}
#endif

// Means of the 2r+1 pixels around each pixel of a row, edges repeated, all
// four bytes of each pixel. `relleno` is scratch for the padded row.
void CajaFila(const std::uint8_t *fila, std::uint8_t *destino, int ancho, int radio,
              std::vector<std::uint8_t> &relleno)
{
    const int n = 2 * radio + 1;
    // P[i] = pixel i - r, clamped; two spare pixels for the last pair.
    const int largo = ancho + 2 * radio + 3;
    relleno.resize(std::size_t(largo) * 4);
    std::uint8_t *p = relleno.data();
    for (int i = 0; i < radio; ++i)
        std::memcpy(p + 4 * i, fila, 4);
    std::memcpy(p + 4 * radio, fila, std::size_t(ancho) * 4);
    for (int i = radio + ancho; i < largo; ++i)
        std::memcpy(p + 4 * i, fila + 4 * (ancho - 1), 4);
#if defined(__SSE2__)
    // Lanes 0-3 carry the sum for pixel x, S(x) = P[x] + ... + P[x + n - 1],
    // and lanes 4-7 the one for x + 1; each step moves both by two pixels.
    __m128i suma = _mm_setzero_si128();
    for (int k = 0; k < n; ++k)
        suma = _mm_add_epi16(suma, CargarDos(p + 4 * k));
    const __m128i rec = _mm_set1_epi16(std::int16_t(Reciproco(n)));
    const __m128i mitad = _mm_set1_epi16(std::int16_t(n / 2));
    int x = 0;
    for (; x + 1 < ancho; x += 2) {
        const __m128i media = _mm_mulhi_epu16(_mm_add_epi16(suma, mitad), rec);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(destino + 4 * x),
                         _mm_packus_epi16(media, media));
        const __m128i entra = _mm_add_epi16(CargarDos(p + 4 * (x + n)), CargarDos(p + 4 * (x + n + 1)));
        const __m128i sale = _mm_add_epi16(CargarDos(p + 4 * x), CargarDos(p + 4 * (x + 1)));
        suma = _mm_sub_epi16(_mm_add_epi16(suma, entra), sale);
    }
    if (x < ancho) {
        const __m128i media = _mm_mulhi_epu16(_mm_add_epi16(suma, mitad), rec);
        const std::int32_t v = _mm_cvtsi128_si32(_mm_packus_epi16(media, media));
        std::memcpy(destino + 4 * x, &v, 4);
    }
#else
    const std::uint32_t rec = Reciproco(n);
    std::uint32_t suma[4] = {};
    for (int k = 0; k < n; ++k)
        for (int c = 0; c < 4; ++c)
            suma[c] += p[4 * k + c];
    for (int x = 0; x < ancho; ++x)
        for (int c = 0; c < 4; ++c) {
            destino[4 * x + c] = MediaVentana(suma[c], n, rec);
            suma[c] += std::uint32_t(p[4 * (x + n) + c]) - p[4 * x + c];
        }
#endif
}

// One pass of box means of radius r down and across the picture, in place:
// escribir(fila, medias) puts each row's means into its row. Each band keeps
// the rows it still needs, across only, in a ring; the rows next to it that
// another band changes are taken before any band writes.
template <class Escribir>
void CajaEnSitio(std::uint8_t *base, qsizetype bpl, int ancho, int alto, int radio,
                 const Escribir &escribir)
{
    const int n = 2 * radio + 1;
    const int anillo = n + 1; // rows y - r .. y + r + 1
    const std::size_t bytes = std::size_t(bpl);
    auto fuente = [&](int y) { return base + bpl * std::clamp(y, 0, alto - 1); };
    struct Estado {
        std::vector<std::uint8_t> filas, debajo, medias, relleno;
        std::vector<std::uint16_t> suma;
    };
    const std::vector<Franja> franjas = Franjas(alto);
    std::vector<Estado> estados(franjas.size());
    auto ranura = [&](Estado &e, const Franja &f, int y) {
        return e.filas.data() + bytes * std::size_t((y - f.Desde + radio) % anillo);
    };
    for (std::size_t k = 0; k < franjas.size(); ++k) {
        const Franja &f = franjas[k];
        Estado &e = estados[k];
        e.filas.resize(std::size_t(anillo) * bytes);
        e.debajo.resize(std::size_t(radio + 1) * bytes);
        e.medias.resize(bytes);
        e.suma.assign(bytes, 0);
        for (int y = f.Desde - radio; y <= f.Desde + radio; ++y) {
            std::uint8_t *fila = ranura(e, f, y);
            CajaFila(fuente(y), fila, ancho, radio, e.relleno);
            for (std::size_t i = 0; i < bytes; ++i)
                e.suma[i] = std::uint16_t(e.suma[i] + fila[i]);
        }
        for (int j = 0; j <= radio; ++j)
            CajaFila(fuente(f.Hasta + j), e.debajo.data() + bytes * std::size_t(j), ancho, radio,
                     e.relleno);
    }
    const std::uint32_t rec = Reciproco(n);
    PorFranjas(franjas.size(), [&](std::size_t k) {
        const Franja &f = franjas[k];
        Estado &e = estados[k];
        std::uint16_t *suma = e.suma.data();
        std::uint8_t *medias = e.medias.data();
#if defined(__SSE2__)
        const __m128i rec16 = _mm_set1_epi16(std::int16_t(rec));
        const __m128i mitad = _mm_set1_epi16(std::int16_t(n / 2));
        const __m128i cero = _mm_setzero_si128();
#endif
        for (int y = f.Desde; y < f.Hasta; ++y) {
            const int entra = y + radio + 1;
            std::uint8_t *nueva = ranura(e, f, entra);
            if (entra < f.Hasta)
                CajaFila(fuente(entra), nueva, ancho, radio, e.relleno);
            else
                std::memcpy(nueva, e.debajo.data() + bytes * std::size_t(entra - f.Hasta), bytes);
            const std::uint8_t *vieja = ranura(e, f, y - radio);
            std::size_t i = 0;
#if defined(__SSE2__)
            for (; i + 16 <= bytes; i += 16) {
                auto *s = reinterpret_cast<__m128i *>(suma + i);
                __m128i bajo = _mm_loadu_si128(s), alto16 = _mm_loadu_si128(s + 1);
                _mm_storeu_si128(reinterpret_cast<__m128i *>(medias + i),
                                 _mm_packus_epi16(_mm_mulhi_epu16(_mm_add_epi16(bajo, mitad), rec16),
                                                  _mm_mulhi_epu16(_mm_add_epi16(alto16, mitad), rec16)));
                const __m128i en = _mm_loadu_si128(reinterpret_cast<const __m128i *>(nueva + i));
                const __m128i sa = _mm_loadu_si128(reinterpret_cast<const __m128i *>(vieja + i));
                bajo = _mm_sub_epi16(_mm_add_epi16(bajo, _mm_unpacklo_epi8(en, cero)),
                                     _mm_unpacklo_epi8(sa, cero));
                alto16 = _mm_sub_epi16(_mm_add_epi16(alto16, _mm_unpackhi_epi8(en, cero)),
                                       _mm_unpackhi_epi8(sa, cero));
                _mm_storeu_si128(s, bajo);
                _mm_storeu_si128(s + 1, alto16);
            }
#endif
            for (; i < bytes; ++i) {
                medias[i] = MediaVentana(suma[i], n, rec);
                suma[i] = std::uint16_t(suma[i] + nueva[i] - vieja[i]);
            }
            escribir(base + bpl * y, medias);
        }
    });
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
    CadaPixel(trabajo_, [&tabla](QRgb c) {
        return (c & 0xff000000u) | (QRgb(tabla[qRed(c)]) << 16) | (QRgb(tabla[qGreen(c)]) << 8)
               | tabla[qBlue(c)];
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

namespace {

// HSL saturation times `k` (16.16 fixed point) of one pixel, keeping hue and
// lightness: each channel moves along its distance to the lightness, up to
// full saturation, where the chroma reaches 255 (1 - |2L - 1|).
QRgb SaturarPixel(QRgb c, std::int32_t k)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    const int mayor = std::max({r, g, b}), menor = std::min({r, g, b});
    const int croma = mayor - menor;
    if (croma == 0)
        return c;
    const int suma = mayor + menor;
    const std::int32_t tope = 255 - std::abs(suma - 255);
    const std::int32_t f = k * croma <= tope * 65536 ? k : tope * 65536 / croma;
    auto canal = [&](int v) { return QRgb(Byte((suma * 65536 + f * (2 * v - suma) + 65536) >> 17)); };
    return (c & 0xff000000u) | (canal(r) << 16) | (canal(g) << 8) | canal(b);
}

#if defined(__SSE2__)
// The same for four pixels at once, in floating point.
__m128i SaturarCuatro(__m128i p, __m128 k)
{
    const __m128i byte = _mm_set1_epi32(0xff);
    const __m128 r = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p, 16), byte));
    const __m128 g = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p, 8), byte));
    const __m128 b = _mm_cvtepi32_ps(_mm_and_si128(p, byte));
    const __m128 mayor = _mm_max_ps(r, _mm_max_ps(g, b));
    const __m128 menor = _mm_min_ps(r, _mm_min_ps(g, b));
    const __m128 suma = _mm_add_ps(mayor, menor);
    const __m128 l = _mm_mul_ps(suma, _mm_set1_ps(0.5f));
    const __m128 c255 = _mm_set1_ps(255.0f);
    // 255 - |suma - 255|, with the sign bit cleared for the absolute value.
    const __m128 distancia = _mm_andnot_ps(_mm_set1_ps(-0.0f), _mm_sub_ps(suma, c255));
    const __m128 tope = _mm_sub_ps(c255, distancia);
    const __m128 croma = _mm_max_ps(_mm_sub_ps(mayor, menor), _mm_set1_ps(1.0f));
    const __m128 f = _mm_min_ps(k, _mm_div_ps(tope, croma));
    auto canal = [&](__m128 v) {
        const __m128 nuevo = _mm_add_ps(l, _mm_mul_ps(f, _mm_sub_ps(v, l)));
        return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(nuevo, _mm_setzero_ps()), c255));
    };
    return _mm_or_si128(_mm_and_si128(p, _mm_set1_epi32(int(0xff000000u))),
                        _mm_or_si128(_mm_or_si128(_mm_slli_epi32(canal(r), 16), _mm_slli_epi32(canal(g), 8)),
                                     canal(b)));
}
#endif

} // namespace

void ccEfectos::Saturacion(double factor)
{
    if (trabajo_.isNull())
        return;
    std::uint8_t *base = trabajo_.bits();
    const qsizetype bpl = trabajo_.bytesPerLine();
    const int ancho = trabajo_.width();
    const double k = std::clamp(factor, 0.0, 4.0);
    const std::int32_t k16 = std::int32_t(std::lround(k * 65536));
    PorFranjas(trabajo_.height(), [&](int desde, int hasta) {
        for (int y = desde; y < hasta; ++y) {
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            int x = 0;
#if defined(__SSE2__)
            const __m128 k4 = _mm_set1_ps(float(k));
            for (; x + 4 <= ancho; x += 4) {
                auto *cuatro = reinterpret_cast<__m128i *>(p + x);
                _mm_storeu_si128(cuatro, SaturarCuatro(_mm_loadu_si128(cuatro), k4));
            }
#endif
            for (; x < ancho; ++x)
                p[x] = SaturarPixel(p[x], k16);
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
    CadaPixel(trabajo_, [](QRgb c) {
        return (c & 0xff000000u) | (QRgb(Luminancia(qRed(c), qGreen(c), qBlue(c))) * 0x010101u);
    });
}

// Repeated box means approach a Gaussian: two passes of radius r spread about
// as far as a Gaussian of sigma 0.9 r.
void ccEfectos::CajaRepetida(int radio, int pasadas)
{
    if (trabajo_.isNull())
        return;
    radio = std::clamp(radio, 1, RadioMaximo);
    const std::size_t bytes = std::size_t(trabajo_.width()) * 4;
    for (int i = 0; i < pasadas; ++i)
        CajaEnSitio(trabajo_.bits(), trabajo_.bytesPerLine(), trabajo_.width(), trabajo_.height(),
                    radio, [bytes](std::uint8_t *fila, const std::uint8_t *medias) {
                        std::memcpy(fila, medias, bytes);
                    });
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
    CajaRepetida(5, 2);
}

void ccEfectos::ContrastarBordes()
{
    if (trabajo_.isNull())
        return;
    const std::size_t bytes = std::size_t(trabajo_.width()) * 4;
    // out = in + (in - blurred): the detail a 5 x 5 mean takes away, doubled.
    CajaEnSitio(trabajo_.bits(), trabajo_.bytesPerLine(), trabajo_.width(), trabajo_.height(), 2,
                [bytes](std::uint8_t *d, const std::uint8_t *b) {
                    std::size_t i = 0;
#if defined(__SSE2__)
                    const __m128i cero = _mm_setzero_si128();
                    auto doble = [](__m128i x, __m128i menos) {
                        return _mm_sub_epi16(_mm_add_epi16(x, x), menos);
                    };
                    for (; i + 16 <= bytes; i += 16) {
                        const __m128i vd = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
                        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
                        const __m128i bajo = doble(_mm_unpacklo_epi8(vd, cero), _mm_unpacklo_epi8(vb, cero));
                        const __m128i alto = doble(_mm_unpackhi_epi8(vd, cero), _mm_unpackhi_epi8(vb, cero));
                        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), _mm_packus_epi16(bajo, alto));
                    }
#endif
                    for (; i < bytes; ++i)
                        d[i] = Byte(2 * int(d[i]) - int(b[i]));
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
    auto fuente = [&](int y) {
        return reinterpret_cast<const QRgb *>(base + bpl * std::clamp(y, 0, alto - 1));
    };
    // A row's luminance with its end pixels repeated once on each side.
    const std::size_t w = std::size_t(ancho) + 2;
    auto luz = [ancho](const QRgb *p, std::uint8_t *l) {
        for (int x = 0, fin = ancho; x < fin; ++x)
            l[x + 1] = std::uint8_t(Luminancia(qRed(p[x]), qGreen(p[x]), qBlue(p[x])));
        l[0] = l[1];
        l[ancho + 1] = l[ancho];
    };
    // Sobel on the luminance, doubled so that a step of half the scale
    // already draws a full line. Each band keeps three rows of luminance; the
    // rows next to it are taken before any band writes.
    const std::vector<Franja> franjas = Franjas(alto);
    std::vector<std::vector<std::uint8_t>> filas(franjas.size(), std::vector<std::uint8_t>(4 * w));
    auto ranura = [&](std::size_t k, int y) {
        return filas[k].data() + w * std::size_t((y - franjas[k].Desde + 1) % 3);
    };
    for (std::size_t k = 0; k < franjas.size(); ++k) {
        luz(fuente(franjas[k].Desde - 1), ranura(k, franjas[k].Desde - 1));
        luz(fuente(franjas[k].Desde), ranura(k, franjas[k].Desde));
        luz(fuente(franjas[k].Hasta), filas[k].data() + 3 * w);
    }
    PorFranjas(franjas.size(), [&](std::size_t k) {
        const std::uint8_t *debajo = filas[k].data() + 3 * w;
        std::vector<std::uint8_t> bordes(static_cast<std::size_t>(ancho));
        for (int y = franjas[k].Desde; y < franjas[k].Hasta; ++y) {
            std::uint8_t *b = ranura(k, y + 1);
            if (y + 1 < franjas[k].Hasta)
                luz(fuente(y + 1), b);
            else
                std::memcpy(b, debajo, w);
            const std::uint8_t *a = ranura(k, y - 1), *m = ranura(k, y);
            for (int x = 0, fin = ancho; x < fin; ++x) {
                const int gx = (a[x + 2] + 2 * m[x + 2] + b[x + 2]) - (a[x] + 2 * m[x] + b[x]);
                const int gy = (b[x] + 2 * b[x + 1] + b[x + 2]) - (a[x] + 2 * a[x + 1] + a[x + 2]);
                bordes[std::size_t(x)] = std::uint8_t(std::min((std::abs(gx) + std::abs(gy)) >> 1, 255));
            }
            auto *p = reinterpret_cast<QRgb *>(base + bpl * y);
            for (int x = 0, fin = ancho; x < fin; ++x)
                p[x] = (p[x] & 0xff000000u) | (QRgb(bordes[std::size_t(x)]) * 0x010101u);
        }
    });
}
