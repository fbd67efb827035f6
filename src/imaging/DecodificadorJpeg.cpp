#include "imaging/DecodificadorJpeg.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace decodificadorJpeg {

namespace {

// Why a decode stopped through the error exit.
enum class Motivo { Error, Cancelado };

struct Errores {
    jpeg_error_mgr mgr;
    std::jmp_buf salto;
    Motivo motivo = Motivo::Error;
};

// Progressive files can carry thousands of scans, each a pass over the whole
// picture; real ones have a dozen.
constexpr int EscaneosMaximos = 500;

// A progressive or multi-scan file holds every coefficient of the picture
// while it decodes: that much and no more.
std::uint64_t MemoriaDecodificador(std::uint64_t bytesMaximos)
{
    return bytesMaximos + bytesMaximos / 2;
}

// Larger intermediates are freed after use rather than kept for the next page.
constexpr qsizetype IntermediaRetenida = 64 * 1024 * 1024;

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

void SoltarIntermedia(QImage &buffer)
{
    if (buffer.sizeInBytes() > IntermediaRetenida)
        buffer = QImage();
}

// Called by the library during long work, the reading of every scan of a
// progressive file included: the way out for a deadline or a cancel.
struct Progreso {
    jpeg_progress_mgr mgr;
    const Plazo *plazo = nullptr;
};

void Vigilar(j_common_ptr c)
{
    const auto *progreso = reinterpret_cast<const Progreso *>(c->progress);
    const auto *d = reinterpret_cast<j_decompress_ptr>(c);
    auto *errores = reinterpret_cast<Errores *>(c->err);
    if (progreso->plazo->Cancelado())
        errores->motivo = Motivo::Cancelado;
    else if (!progreso->plazo->Vencido() && d->input_scan_number <= EscaneosMaximos)
        return;
    std::longjmp(errores->salto, 1);
}

struct Descompresor {
    jpeg_decompress_struct c{};
    Errores e{};
    Progreso progreso{};
    Descompresor()
    {
        c.err = jpeg_std_error(&e.mgr);
        e.mgr.error_exit = SalirConError;
        e.mgr.output_message = Callar;
        jpeg_create_decompress(&c);
        progreso.mgr.progress_monitor = Vigilar;
        c.progress = &progreso.mgr;
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

int EscalaRapida(int n)
{
    return n == 3 || n == 7 ? n + 1 : n;
}

namespace {

// Every libjpeg call happens here, so that an error's jump back skips no
// destructor: the pictures belong to the caller.
Resultado Leer(Descompresor &d, const QByteArray &datos, const std::function<QSize(QSize)> &tamanoMostrado,
               std::uint64_t bytesMaximos, const Plazo &plazo, QImage &completa, QImage *&destino,
               QSize &natural, QSize &tope, QSize &objetivo)
{
    jpeg_decompress_struct &c = d.c;
    d.progreso.plazo = &plazo;
    if (setjmp(d.e.salto))
        return d.e.motivo == Motivo::Cancelado ? Resultado::Cancelado : Resultado::Error;
    c.mem->max_memory_to_use = static_cast<long>(MemoriaDecodificador(bytesMaximos));
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char *>(datos.constData()),
                 static_cast<unsigned long>(datos.size()));
    jpeg_save_markers(&c, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&c, TRUE) != JPEG_HEADER_OK)
        return Resultado::Error;
    if (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK || Orientacion(c) != 1)
        return Resultado::Otro;
    natural = QSize(int(c.image_width), int(c.image_height));
    auto salidaDe = [&](int k) {
        return QSize(int((std::int64_t(natural.width()) * k + 7) / 8),
                     int((std::int64_t(natural.height()) * k + 7) / 8));
    };
    auto cabe = [&](QSize t) { return std::uint64_t(t.width()) * std::uint64_t(t.height()) * 4 <= bytesMaximos; };
    // The scale that covers the wanted size, or a smaller one when the
    // decoder's own output would not fit in memory.
    auto escala = [&](QSize quiero) {
        int k = quiero == natural ? 8 : EscalaDct(natural, quiero);
        while (k > 1 && !cabe(salidaDe(k)))
            --k;
        return k;
    };
    const QSize ajustado = AjustarAlLimite(natural, bytesMaximos);
    if (ajustado.isEmpty())
        return Resultado::Error;
    // Over the limit, the decoder's own output at the scale that fits is the
    // largest picture: no second, slightly smaller copy of it.
    const QSize salidaTope = salidaDe(escala(ajustado));
    tope = ajustado == natural ? natural : cabe(salidaTope) ? salidaTope : ajustado.boundedTo(salidaTope);
    objetivo = tamanoMostrado ? tamanoMostrado(natural) : QSize();
    if (objetivo.isEmpty() || objetivo.width() > natural.width() || objetivo.height() > natural.height())
        objetivo = natural;
    objetivo = objetivo.boundedTo(tope);
    int n = escala(objetivo);
    if (n < 8 && cabe(salidaDe(EscalaRapida(n))))
        n = EscalaRapida(n);
    c.scale_num = unsigned(n);
    c.scale_denom = 8;
    c.out_color_space = JCS_EXT_BGRA; // QImage's RGB32 byte order, alpha at 255
    jpeg_calc_output_dimensions(&c);
    const QSize salidaDct(int(c.output_width), int(c.output_height));
    if (!cabe(salidaDct))
        return Resultado::Error;
    objetivo = objetivo.boundedTo(salidaDct);
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
        if (plazo.Agotado()) {
            jpeg_abort_decompress(&c);
            return plazo.Cancelado() ? Resultado::Cancelado : Resultado::Error;
        }
        const unsigned k = std::min(16u, c.output_height - c.output_scanline);
        for (unsigned i = 0; i < k; ++i)
            filas[i] = destino->scanLine(int(c.output_scanline + i));
        jpeg_read_scanlines(&c, filas, k);
    }
    jpeg_finish_decompress(&c);
    return Resultado::Hecho;
}

} // namespace

QSize AjustarAlLimite(QSize natural, std::uint64_t bytesMaximos)
{
    if (natural.isEmpty())
        return {};
    const std::uint64_t pixeles = bytesMaximos / 4;
    const std::uint64_t w = std::uint64_t(natural.width()), h = std::uint64_t(natural.height());
    if (w * h <= pixeles)
        return natural;
    const double f = std::sqrt(double(pixeles) / double(w * h));
    std::uint64_t a = std::max<std::uint64_t>(1, std::uint64_t(double(w) * f));
    std::uint64_t b = std::max<std::uint64_t>(1, std::uint64_t(double(h) * f));
    while (a * b > pixeles && (a > 1 || b > 1)) {
        if (a * h >= b * w && a > 1)
            --a;
        else
            --b;
    }
    return a * b <= pixeles ? QSize(int(a), int(b)) : QSize();
}

Resultado Decodificar(const QByteArray &datos, const std::function<QSize(QSize)> &tamanoMostrado,
                      std::uint64_t bytesMaximos, const Plazo &plazo, Salida &salida)
{
    if (datos.size() < 4 || static_cast<unsigned char>(datos[0]) != 0xFF
        || static_cast<unsigned char>(datos[1]) != 0xD8)
        return Resultado::Otro;
    Descompresor d;
    QImage completa;
    QImage *destino = nullptr;
    QSize natural, tope, objetivo;
    const Resultado r = Leer(d, datos, tamanoMostrado, bytesMaximos, plazo, completa, destino, natural,
                             tope, objetivo);
    if (destino && destino != &completa && r != Resultado::Hecho)
        SoltarIntermedia(*destino);
    if (r != Resultado::Hecho)
        return r;
    salida.Natural = natural;
    salida.Tope = tope;
    if (destino == &completa) {
        salida.Imagen = std::move(completa);
    } else {
        salida.Imagen = destino->scaled(objetivo, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        SoltarIntermedia(*destino);
    }
    return Resultado::Hecho;
}

} // namespace decodificadorJpeg
