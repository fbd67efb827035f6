#include "imaging/DecodificadorJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace decodificadorJpeg {

namespace {

struct Errores {
    jpeg_error_mgr mgr;
    std::jmp_buf salto;
};

[[noreturn]] void SalirConError(j_common_ptr c)
{
    std::longjmp(reinterpret_cast<Errores *>(c->err)->salto, 1);
}

void Callar(j_common_ptr) {}

std::uint16_t Leer16(const unsigned char *p, bool intel)
{
    return intel ? std::uint16_t(p[0] | p[1] << 8) : std::uint16_t(p[0] << 8 | p[1]);
}

std::uint32_t Leer32(const unsigned char *p, bool intel)
{
    return intel ? std::uint32_t(p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24)
                 : std::uint32_t(std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]);
}

// The EXIF orientation of the first IFD, 1 when there is none.
int Orientacion(const jpeg_decompress_struct &c)
{
    for (jpeg_saved_marker_ptr m = c.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 || std::memcmp(m->data, "Exif\0\0", 6) != 0)
            continue;
        const unsigned char *tiff = m->data + 6;
        const std::size_t largo = m->data_length - 6;
        const bool intel = tiff[0] == 'I';
        if (!intel && tiff[0] != 'M')
            return 1;
        const std::uint32_t ifd = Leer32(tiff + 4, intel);
        if (ifd > largo - 2)
            return 1;
        const int n = Leer16(tiff + ifd, intel);
        for (int i = 0; i < n; ++i) {
            const std::size_t e = ifd + 2 + std::size_t(i) * 12;
            if (e + 12 > largo)
                return 1;
            if (Leer16(tiff + e, intel) == 0x0112)
                return Leer16(tiff + e + 8, intel);
        }
        return 1;
    }
    return 1;
}

// The intermediate picture of a reduced decode is thrown away once scaled:
// keeping it per thread spares the page faults of a fresh allocation.
QImage &Intermedia(QSize tamano)
{
    thread_local QImage buffer;
    if (buffer.size() != tamano || !buffer.isDetached())
        buffer = QImage(tamano, QImage::Format_RGB32);
    return buffer;
}

struct Descompresor {
    jpeg_decompress_struct c{};
    Errores e{};
    Descompresor()
    {
        c.err = jpeg_std_error(&e.mgr);
        e.mgr.error_exit = SalirConError;
        e.mgr.output_message = Callar;
        jpeg_create_decompress(&c);
    }
    ~Descompresor() { jpeg_destroy_decompress(&c); }
    Descompresor(const Descompresor &) = delete;
    Descompresor &operator=(const Descompresor &) = delete;
};

} // namespace

int EscalaDct(QSize natural, QSize objetivo)
{
    if (objetivo.isEmpty())
        return 8;
    auto cubre = [&](int n) {
        return (std::int64_t(natural.width()) * n + 7) / 8 >= objetivo.width()
               && (std::int64_t(natural.height()) * n + 7) / 8 >= objetivo.height();
    };
    int n = 8;
    while (n > 1 && cubre(n - 1))
        --n;
    return n;
}

namespace {

// Every libjpeg call happens here, so that an error's jump back skips no
// destructor: the pictures belong to the caller.
Resultado Leer(Descompresor &d, const QByteArray &datos, const std::function<QSize(QSize)> &tamanoMostrado,
               std::uint64_t bytesMaximos, const std::atomic<bool> *cancelar, QImage &completa,
               QImage *&destino, QSize &natural, QSize &objetivo)
{
    jpeg_decompress_struct &c = d.c;
    if (setjmp(d.e.salto))
        return Resultado::Error;
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char *>(datos.constData()),
                 static_cast<unsigned long>(datos.size()));
    jpeg_save_markers(&c, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&c, TRUE) != JPEG_HEADER_OK)
        return Resultado::Error;
    if (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK || Orientacion(c) != 1)
        return Resultado::Otro;
    natural = QSize(int(c.image_width), int(c.image_height));
    if (std::uint64_t(c.image_width) * c.image_height * 4 > bytesMaximos)
        return Resultado::Error;
    objetivo = tamanoMostrado ? tamanoMostrado(natural) : QSize();
    const bool reducir = !objetivo.isEmpty() && objetivo.width() <= natural.width()
                         && objetivo.height() <= natural.height() && objetivo != natural;
    if (!reducir)
        objetivo = natural;
    c.scale_num = unsigned(reducir ? EscalaDct(natural, objetivo) : 8);
    c.scale_denom = 8;
    c.out_color_space = JCS_EXT_BGRA; // QImage's RGB32 byte order, alpha at 255
    jpeg_calc_output_dimensions(&c);
    const QSize salidaDct(int(c.output_width), int(c.output_height));
    if (salidaDct == objetivo) {
        completa = QImage(salidaDct, QImage::Format_RGB32);
        destino = &completa;
    } else {
        destino = &Intermedia(salidaDct);
    }
    if (destino->isNull())
        return Resultado::Error;
    jpeg_start_decompress(&c);
    JSAMPROW filas[16];
    while (c.output_scanline < c.output_height) {
        if (cancelar && cancelar->load(std::memory_order_relaxed)) {
            jpeg_abort_decompress(&c);
            return Resultado::Cancelado;
        }
        const unsigned n = std::min(16u, c.output_height - c.output_scanline);
        for (unsigned i = 0; i < n; ++i)
            filas[i] = destino->scanLine(int(c.output_scanline + i));
        jpeg_read_scanlines(&c, filas, n);
    }
    jpeg_finish_decompress(&c);
    return Resultado::Hecho;
}

} // namespace

Resultado Decodificar(const QByteArray &datos, const std::function<QSize(QSize)> &tamanoMostrado,
                      std::uint64_t bytesMaximos, const std::atomic<bool> *cancelar, Salida &salida)
{
    if (datos.size() < 4 || static_cast<unsigned char>(datos[0]) != 0xFF
        || static_cast<unsigned char>(datos[1]) != 0xD8)
        return Resultado::Otro;
    Descompresor d;
    QImage completa;
    QImage *destino = nullptr;
    QSize natural, objetivo;
    const Resultado r = Leer(d, datos, tamanoMostrado, bytesMaximos, cancelar, completa, destino, natural, objetivo);
    if (r != Resultado::Hecho)
        return r;
    salida.Natural = natural;
    if (destino == &completa)
        salida.Imagen = std::move(completa);
    else
        salida.Imagen = destino->scaled(objetivo, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Resultado::Hecho;
}

} // namespace decodificadorJpeg
