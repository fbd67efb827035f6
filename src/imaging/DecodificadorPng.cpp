#include "imaging/DecodificadorPng.h"

#include "imaging/TrozosPng.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace decodificadorPng {

namespace {

struct Fuente {
    const QByteArray *datos;
    std::size_t pos = 0;
};

void LeerDatos(png_structp png, png_bytep destino, png_size_t n)
{
    auto *f = static_cast<Fuente *>(png_get_io_ptr(png));
    if (n > static_cast<std::size_t>(f->datos->size()) - f->pos)
        png_error(png, "truncated");
    std::memcpy(destino, f->datos->constData() + f->pos, n);
    f->pos += n;
}

[[noreturn]] void Error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void Aviso(png_structp, png_const_charp) {}

struct Lector {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Lector()
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Aviso);
        if (png)
            info = png_create_info_struct(png);
    }
    ~Lector() { png_destroy_read_struct(&png, &info, nullptr); }
    Lector(const Lector &) = delete;
    Lector &operator=(const Lector &) = delete;
};

// Sums of one output row: premultiplied colour and alpha of every source
// pixel that falls in each output pixel.
struct Banda {
    std::vector<std::uint64_t> suma;   // 4 per output pixel: B, G, R (times alpha), alpha
    std::vector<std::uint32_t> cuenta; // source columns per output pixel
    std::uint32_t filas = 0;
    bool gris = false;                 // grey without alpha: the level alone, in B

    void Volcar(QImage &salida, int y)
    {
        auto *fila = reinterpret_cast<std::uint32_t *>(salida.scanLine(y));
        for (std::size_t x = 0; x < cuenta.size(); ++x) {
            const std::uint64_t n = std::uint64_t(cuenta[x]) * filas;
            if (gris) {
                const auto v = std::uint32_t((suma[4 * x] + n / 2) / n);
                fila[x] = 0xFF000000u | (v << 16) | (v << 8) | v;
                continue;
            }
            const std::uint64_t *s = &suma[4 * x];
            auto canal = [&](std::uint64_t v) { return std::uint32_t((v + n * 255 / 2) / (n * 255)); };
            const std::uint32_t a = std::uint32_t((s[3] + n / 2) / n);
            fila[x] = (a << 24) | (canal(s[2]) << 16) | (canal(s[1]) << 8) | canal(s[0]);
        }
        std::fill(suma.begin(), suma.end(), 0);
        filas = 0;
    }
};

// Every libpng call happens here, so that an error's jump back skips no
// destructor: the buffers belong to the caller.
Resultado Leer(Lector &r, Fuente &fuente, QSize tamano, const Plazo &plazo, std::vector<unsigned char> &fila,
               std::vector<std::uint32_t> &columna, Banda &banda, QImage &salida)
{
    png_structp png = r.png;
    if (setjmp(png_jmpbuf(png)))
        return Resultado::Error;
    png_set_read_fn(png, &fuente, LeerDatos);
    png_set_chunk_malloc_max(png, trozosPng::BytesMaximosAuxiliares);
    png_read_info(png, r.info);
    png_uint_32 ancho = 0, alto = 0;
    int bits = 0, color = 0, entrelazado = 0;
    png_get_IHDR(png, r.info, &ancho, &alto, &bits, &color, &entrelazado, nullptr, nullptr);
    if (entrelazado != PNG_INTERLACE_NONE || ancho == 0 || alto == 0)
        return Resultado::Error;
    // Everything becomes 8-bit BGRA, QImage's ARGB32 byte order.
    if (color == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (color == PNG_COLOR_TYPE_GRAY && bits < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, r.info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bits == 16)
        png_set_strip_16(png);
    // Grey pictures (scanned pages) stay one byte a pixel: a quarter of the work.
    banda.gris = color == PNG_COLOR_TYPE_GRAY && !png_get_valid(png, r.info, PNG_INFO_tRNS);
    if (!banda.gris) {
        if (color == PNG_COLOR_TYPE_GRAY || color == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
    }
    png_read_update_info(png, r.info);
    const std::size_t porPixel = banda.gris ? 1 : 4;
    if (png_get_rowbytes(png, r.info) != std::size_t(ancho) * porPixel)
        return Resultado::Error;

    const QSize salidaTam = tamano.boundedTo(QSize(int(std::min<png_uint_32>(ancho, 0x7FFFFFFF)),
                                                   int(std::min<png_uint_32>(alto, 0x7FFFFFFF))));
    if (salidaTam.isEmpty())
        return Resultado::Error;
    salida = QImage(salidaTam, QImage::Format_ARGB32_Premultiplied);
    if (salida.isNull())
        return Resultado::Error;
    const auto w = std::uint64_t(salidaTam.width()), h = std::uint64_t(salidaTam.height());
    fila.resize(std::size_t(ancho) * porPixel);
    columna.resize(ancho);
    banda.cuenta.assign(w, 0);
    banda.suma.assign(w * 4, 0);
    for (std::uint64_t x = 0; x < ancho; ++x) {
        columna[x] = std::uint32_t(x * w / ancho);
        ++banda.cuenta[columna[x]];
    }
    int filaSalida = 0;
    for (std::uint64_t y = 0; y < alto; ++y) {
        if (plazo.Agotado())
            return plazo.Cancelado() ? Resultado::Cancelado : Resultado::Error;
        png_read_row(png, fila.data(), nullptr);
        const int destinoY = int(y * h / alto);
        if (destinoY != filaSalida) {
            banda.Volcar(salida, filaSalida);
            filaSalida = destinoY;
        }
        const unsigned char *p = fila.data();
        std::uint64_t *suma = banda.suma.data();
        if (banda.gris) {
            for (std::uint64_t x = 0; x < ancho; ++x)
                suma[4 * std::size_t(columna[x])] += p[x];
            ++banda.filas;
            continue;
        }
        for (std::uint64_t x = 0; x < ancho; ++x, p += 4) {
            std::uint64_t *s = suma + 4 * std::size_t(columna[x]);
            const std::uint32_t a = p[3];
            s[0] += std::uint32_t(p[0]) * a;
            s[1] += std::uint32_t(p[1]) * a;
            s[2] += std::uint32_t(p[2]) * a;
            s[3] += a;
        }
        ++banda.filas;
    }
    banda.Volcar(salida, filaSalida);
    return Resultado::Hecho;
}

} // namespace

Resultado DecodificarReducido(const QByteArray &datos, QSize tamano, const Plazo &plazo, QImage &salida)
{
    Lector r;
    if (!r.png || !r.info || tamano.isEmpty())
        return Resultado::Error;
    Fuente fuente{&datos};
    std::vector<unsigned char> fila;
    std::vector<std::uint32_t> columna;
    Banda banda;
    QImage imagen;
    const Resultado resultado = Leer(r, fuente, tamano, plazo, fila, columna, banda, imagen);
    if (resultado == Resultado::Hecho)
        salida = std::move(imagen);
    return resultado;
}

} // namespace decodificadorPng
