#include "archive/IndiceZip.h"

#include "archive/Archivo.h"
#include "archive/Nombres.h"

#include <zlib.h>

#include <algorithm>

namespace archivo {

namespace {

constexpr std::uint32_t FirmaFin = 0x06054b50;
constexpr std::uint32_t FirmaCentral = 0x02014b50;
constexpr std::uint32_t FirmaLocal = 0x04034b50;
constexpr std::uint32_t FirmaLocalizador64 = 0x07064b50;
constexpr qint64 TamanoFin = 22;
constexpr qint64 TamanoLocalizador64 = 20;
constexpr std::uint64_t BusquedaFin = 16 * 1024; // as far back as the general reader looks
constexpr qint64 TamanoCentral = 46;
constexpr std::uint64_t CentralMaxima = TamanoCentral + 3 * 0xFFFF; // with name, extra and comment
constexpr qint64 TamanoLocal = 30;
constexpr std::uint16_t Cifrada = 0x0001;
constexpr std::uint16_t BanderasLeidas = 0x0841; // encrypted, strongly encrypted, UTF-8 name
constexpr std::uint16_t Guardada = 0, Desinflada = 8;
constexpr int HostUnix = 3;

std::uint16_t L16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint16_t(u[0] | u[1] << 8);
}

std::uint32_t L32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 | std::uint32_t(u[3]) << 24;
}

// Entries only a general reader may give data for or none: folders, and
// links and devices as a Unix archiver marks them.
bool EsRegular(const QByteArray &nombre, std::uint16_t hecho, std::uint32_t externos)
{
    if (nombre.endsWith('/'))
        return false;
    // A Unix mode without a file type (some archivers write 0600) is a file.
    const std::uint32_t tipo = (externos >> 16) & 0170000;
    return (hecho >> 8) != HostUnix || tipo == 0 || tipo == 0100000;
}

} // namespace

std::unique_ptr<IndiceZip> IndiceZip::Abrir(const QString &ruta, const QStringList &regulares)
{
    auto indice = std::make_unique<IndiceZip>(Clave{});
    indice->archivo_.setFileName(ruta);
    // Positioned reads of just what is asked: a local header is a few dozen bytes.
    if (!indice->archivo_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return nullptr;
    indice->tamano_ = std::uint64_t(indice->archivo_.size());
    return Indexar(std::move(indice), regulares);
}

std::unique_ptr<IndiceZip> IndiceZip::AbrirDatos(const QByteArray &datos, const QStringList &regulares)
{
    auto indice = std::make_unique<IndiceZip>(Clave{});
    indice->datos_ = datos;
    indice->tamano_ = std::uint64_t(datos.size());
    return Indexar(std::move(indice), regulares);
}

std::unique_ptr<IndiceZip> IndiceZip::Indexar(std::unique_ptr<IndiceZip> indice, const QStringList &regulares)
{
    const std::uint64_t total = indice->tamano_;
    if (total < TamanoFin)
        return nullptr;
    // The end record, behind a comment: the last one in the general reader's
    // window, which never finds one at its very start.
    const std::uint64_t cola = std::min(total, BusquedaFin);
    QByteArray fin;
    if (!indice->LeerBytes(total - cola, cola, fin))
        return nullptr;
    qint64 donde = -1;
    for (qint64 i = fin.size() - TamanoFin; i > 0; --i)
        if (L32(fin.constData() + i) == FirmaFin) {
            donde = i;
            break;
        }
    if (donde < 0)
        return nullptr;
    const char *e = fin.constData() + donde;
    const std::uint64_t posicionFin = total - cola + std::uint64_t(donde);
    const std::uint16_t cuenta = L16(e + 10);
    const std::uint32_t tamanoDirectorio = L32(e + 12), inicioDirectorio = L32(e + 16);
    // ZIP64 keeps its real figures elsewhere, other disks hold other parts,
    // and a directory that does not end at the end record has its offsets
    // moved by whatever comes before it: none of them ours. The directory
    // holds its entries and nothing else, so its size is bounded by what
    // that many entries can take.
    if (cuenta == 0xFFFF || tamanoDirectorio == 0xFFFFFFFF || inicioDirectorio == 0xFFFFFFFF
        || (donde >= TamanoLocalizador64 && L32(e - TamanoLocalizador64) == FirmaLocalizador64)
        || L16(e + 4) != 0 || L16(e + 6) != 0 || L16(e + 8) != cuenta
        || std::uint64_t(inicioDirectorio) + tamanoDirectorio != posicionFin
        || tamanoDirectorio < std::uint64_t(cuenta) * TamanoCentral
        || tamanoDirectorio > std::uint64_t(cuenta) * CentralMaxima || tamanoDirectorio > DirectorioMaximo)
        return nullptr;
    QByteArray directorio;
    if (!indice->LeerBytes(inicioDirectorio, tamanoDirectorio, directorio))
        return nullptr;

    QStringList vistos;
    qint64 p = 0;
    for (int i = 0; i < cuenta; ++i) {
        if (p + TamanoCentral > directorio.size() || L32(directorio.constData() + p) != FirmaCentral)
            return nullptr;
        const char *c = directorio.constData() + p;
        const qint64 largoNombre = L16(c + 28), largoExtra = L16(c + 30), largoComentario = L16(c + 32);
        if (p + TamanoCentral + largoNombre + largoExtra + largoComentario > directorio.size())
            return nullptr;
        const QByteArray bruto(c + TamanoCentral, largoNombre);
        p += TamanoCentral + largoNombre + largoExtra + largoComentario;
        if (!EsRegular(bruto, L16(c + 4), L32(c + 38)))
            continue;
        Entrada n;
        n.Crc = L32(c + 16);
        n.Comprimido = L32(c + 20);
        n.Tamano = L32(c + 24);
        n.Cabecera = L32(c + 42);
        n.Metodo = L16(c + 10);
        const std::uint16_t banderas = L16(c + 8);
        // The general reader takes the name, method and flags from the local
        // header, and its CRC and sizes where they are not zero: all of them
        // must agree with the central entry.
        QByteArray local;
        if (!indice->LeerBytes(n.Cabecera, TamanoLocal + std::uint64_t(largoNombre), local))
            return nullptr;
        const char *l = local.constData();
        const auto ceroO = [](std::uint32_t v, std::uint32_t central) { return v == 0 || v == central; };
        if (L32(l) != FirmaLocal || ((L16(l + 6) ^ banderas) & BanderasLeidas) || L16(l + 8) != n.Metodo
            || !ceroO(L32(l + 14), n.Crc) || !ceroO(L32(l + 18), std::uint32_t(n.Comprimido))
            || !(ceroO(L32(l + 22), std::uint32_t(n.Tamano)) || L32(l + 22) == 0xFFFFFFFF)
            || L16(l + 26) != largoNombre || local.mid(TamanoLocal) != bruto)
            return nullptr;
        n.Datos = n.Cabecera + TamanoLocal + std::uint64_t(largoNombre) + L16(l + 28);
        const bool zip64 = n.Comprimido == 0xFFFFFFFF || n.Tamano == 0xFFFFFFFF || n.Cabecera == 0xFFFFFFFF;
        n.Legible = !(banderas & Cifrada) && !zip64 && (n.Metodo == Guardada || n.Metodo == Desinflada);
        const QString nombre = NombreDeBytes(bruto);
        vistos << nombre;
        const auto antes = indice->entradas_.constFind(nombre);
        if (antes == indice->entradas_.cend() || antes->Cabecera < n.Cabecera)
            indice->entradas_.insert(nombre, n);
    }
    if (p != directorio.size())
        return nullptr; // more entries than it counts
    QStringList esperados = regulares;
    vistos.sort();
    esperados.sort();
    if (vistos != esperados)
        return nullptr;
    return indice;
}

bool IndiceZip::Inflar(std::uint64_t desde, std::uint64_t comprimido, QByteArray &datos) const
{
    // The packed data goes through in pieces, into a buffer each thread
    // keeps: no second page-sized allocation, and the piece is still in the
    // cache when it is inflated.
    constexpr std::uint64_t Trozo = 256 * 1024;
    thread_local QByteArray trozo;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    z.next_out = reinterpret_cast<Bytef *>(datos.data());
    z.avail_out = uInt(datos.size());
    int r = Z_OK;
    for (std::uint64_t hecho = 0; r == Z_OK && hecho < comprimido;) {
        const std::uint64_t cuanto = std::min(Trozo, comprimido - hecho);
        if (!LeerBytes(desde + hecho, cuanto, trozo))
            break;
        hecho += cuanto;
        z.next_in = reinterpret_cast<Bytef *>(trozo.data());
        z.avail_in = uInt(cuanto);
        r = inflate(&z, hecho == comprimido ? Z_FINISH : Z_NO_FLUSH);
        if (r == Z_BUF_ERROR && z.avail_out > 0 && hecho < comprimido)
            r = Z_OK; // wants the next piece
    }
    const bool bien = r == Z_STREAM_END && z.total_out == uLong(datos.size());
    inflateEnd(&z);
    return bien;
}

bool IndiceZip::LeerBytes(std::uint64_t desde, std::uint64_t cuantos, QByteArray &bytes) const
{
    if (desde > tamano_ || cuantos > tamano_ - desde)
        return false;
    if (!archivo_.isOpen()) {
        bytes = datos_.mid(qsizetype(desde), qsizetype(cuantos));
        return true;
    }
    std::lock_guard l(m_);
    if (!archivo_.seek(qint64(desde)))
        return false;
    bytes.resize(qsizetype(cuantos));
    return archivo_.read(bytes.data(), qint64(cuantos)) == qint64(cuantos);
}

IndiceZip::Resultado IndiceZip::Leer(const QString &nombre, QByteArray &datos) const
{
    const auto i = entradas_.constFind(nombre);
    if (i == entradas_.cend())
        return Resultado::NoEsta;
    const Entrada &n = *i;
    if (!n.Legible)
        return Resultado::Otro;
    if (n.Tamano > TamanoMaximoEntrada || (n.Metodo == Guardada && n.Comprimido != n.Tamano))
        return Resultado::Rota;
    if (n.Metodo == Guardada) {
        if (!LeerBytes(n.Datos, n.Comprimido, datos))
            return Resultado::Rota;
    } else {
        // Never more room than the packed data could give (deflate
        // multiplies by 1032 at most): a size that lies takes no memory.
        if (n.Tamano / 1032 > n.Comprimido || n.Datos > tamano_ || n.Comprimido > tamano_ - n.Datos)
            return Resultado::Rota;
        datos = QByteArray(qsizetype(n.Tamano), Qt::Uninitialized);
        if (!Inflar(n.Datos, n.Comprimido, datos)) {
            datos.clear();
            return Resultado::Rota;
        }
    }
    const uLong crc = crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(datos.constData()),
                              z_size_t(datos.size()));
    if (crc != n.Crc) {
        datos.clear();
        return Resultado::Rota;
    }
    return Resultado::Bien;
}

} // namespace archivo
