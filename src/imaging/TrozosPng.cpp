#include "imaging/TrozosPng.h"

#include <zlib.h>

#include <algorithm>

namespace trozosPng {

namespace {

std::uint32_t B32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | u[3];
}

// The bytes a zlib stream unpacks to, counted up to `tope` + 1 through a
// small buffer; the first four of them in `inicio` when asked.
std::uint64_t Desempaquetado(QByteArrayView flujo, std::uint64_t tope, std::uint32_t *inicio = nullptr)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return 0;
    unsigned char salida[64 * 1024];
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(flujo.data()));
    z.avail_in = uInt(flujo.size());
    std::uint64_t total = 0;
    int r = Z_OK;
    while (r == Z_OK && total <= tope) {
        z.next_out = salida;
        z.avail_out = sizeof salida;
        r = inflate(&z, Z_NO_FLUSH);
        const std::uint64_t hechos = sizeof salida - z.avail_out;
        if (inicio && total == 0 && hechos >= 4)
            *inicio = B32(reinterpret_cast<const char *>(salida));
        total += hechos;
        if (hechos == 0 && r == Z_BUF_ERROR)
            break; // the stream is cut: libpng stops there too
    }
    inflateEnd(&z);
    return total;
}

// What libpng holds of an ancillary chunk: its unpacked text or profile
// (the length a profile declares, when larger), else its bytes.
std::uint64_t Retenido(QByteArrayView tipo, QByteArrayView cuerpo, std::uint64_t tope)
{
    const qsizetype nombre = cuerpo.indexOf('\0'); // keyword or profile name
    if (nombre < 0)
        return std::uint64_t(cuerpo.size());
    if (tipo == "zTXt" || tipo == "iCCP") {
        std::uint32_t declarado = 0;
        const std::uint64_t n = Desempaquetado(cuerpo.sliced(std::min(nombre + 2, cuerpo.size())), tope,
                                               tipo == "iCCP" ? &declarado : nullptr);
        return std::max<std::uint64_t>(n, declarado) + std::uint64_t(cuerpo.size());
    }
    if (tipo == "iTXt" && nombre + 2 < cuerpo.size() && cuerpo[nombre + 1] != '\0') {
        // Compressed text after the language tag and the translated keyword.
        qsizetype p = nombre + 3;
        for (int ceros = 0; ceros < 2 && p > 0; ++ceros) {
            const qsizetype cero = p < cuerpo.size() ? cuerpo.indexOf('\0', p) : -1;
            p = cero < 0 ? -1 : cero + 1;
        }
        if (p > 0)
            return Desempaquetado(cuerpo.sliced(std::min(p, cuerpo.size())), tope) + std::uint64_t(cuerpo.size());
    }
    return std::uint64_t(cuerpo.size());
}

bool PngAdmisible(QByteArrayView datos)
{
    if (!datos.startsWith("\x89PNG\r\n\x1a\n"))
        return true;
    std::uint64_t retenido = 0;
    for (qsizetype p = 8; p + 8 <= datos.size();) {
        const std::uint32_t largo = B32(datos.data() + p);
        const QByteArrayView tipo = datos.sliced(p + 4, 4);
        const qsizetype queda = datos.size() - p - 8;
        if (!(tipo[0] & 0x20)) { // critical: libpng reads image data in pieces
            if (tipo == "IEND" || qsizetype(largo) > queda)
                return true;
        } else {
            if (qsizetype(largo) > queda || largo > BytesMaximosAuxiliares)
                return false;
            retenido += Retenido(tipo, datos.sliced(p + 8, largo), BytesMaximosAuxiliares - retenido);
            if (retenido > BytesMaximosAuxiliares)
                return false;
        }
        p += 12 + qsizetype(largo);
    }
    return true;
}

} // namespace

bool Admisibles(const QByteArray &datos)
{
    // An icon or a cursor may hold PNG pictures, which its reader hands to libpng.
    if (datos.startsWith(QByteArrayView("\0\0\1\0", 4)) || datos.startsWith(QByteArrayView("\0\0\2\0", 4))) {
        const auto *u = reinterpret_cast<const unsigned char *>(datos.constData());
        const int imagenes = u[4] | u[5] << 8;
        for (qsizetype e = 6; e < 6 + 16 * qsizetype(imagenes) && e + 16 <= datos.size(); e += 16) {
            const std::uint32_t largo = u[e + 8] | u[e + 9] << 8 | u[e + 10] << 16 | std::uint32_t(u[e + 11]) << 24;
            const std::uint32_t desde = u[e + 12] | u[e + 13] << 8 | u[e + 14] << 16 | std::uint32_t(u[e + 15]) << 24;
            if (desde < std::uint64_t(datos.size())
                && !PngAdmisible(QByteArrayView(datos).sliced(desde, std::min<qsizetype>(largo, datos.size() - desde))))
                return false;
        }
        return true;
    }
    return PngAdmisible(datos);
}

} // namespace trozosPng
