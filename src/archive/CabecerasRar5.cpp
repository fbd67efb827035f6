#include "archive/Lectores.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace archivo::detalle {

namespace {

// RAR 5 numbers: 7 bits per byte, low bits first, high bit = more follows.
bool LeerVint(const QByteArray &b, qsizetype &pos, std::uint64_t &valor)
{
    valor = 0;
    for (int i = 0; i < 10 && pos < b.size(); ++i) {
        const auto c = static_cast<unsigned char>(b[pos++]);
        valor |= std::uint64_t(c & 0x7F) << (7 * i);
        if (!(c & 0x80))
            return true;
    }
    return false;
}

enum : std::uint64_t { CabeceraPrincipal = 1, CabeceraArchivo = 2, CabeceraCifrado = 4, CabeceraFin = 5 };
enum : std::uint64_t { ConExtra = 0x01, ConDatos = 0x02, DeLaAnterior = 0x08, SigueEnOtra = 0x10 };
enum : std::uint64_t { EsCarpeta = 0x01, ConHora = 0x02, ConCrc = 0x04 };
enum : std::uint64_t { ExtraCifrado = 0x01 };
enum : std::uint64_t { ArchivoVolumen = 0x01, ArchivoSolido = 0x04 };
// Compression information: bit 6, unpacked with the previous entries'
// dictionary; bits 7 to 9, the method (0 stored); bits 10 to 13, the window.
enum : std::uint64_t { ConLasAnteriores = 0x40, Metodo = 0x0380, Ventana = 0x3C00 };

constexpr std::uint64_t CabeceraMaxima = 2 * 1024 * 1024;

// Whether the extra area of a file header (its last `extra` bytes) holds an
// encryption record. Every size is checked against what is left before it is
// used, so each record moves strictly forward inside the header.
bool ExtraCifrada(const QByteArray &cab, std::uint64_t extra)
{
    if (extra == 0 || extra > static_cast<std::uint64_t>(cab.size()))
        return false;
    qsizetype r = cab.size() - static_cast<qsizetype>(extra);
    while (r < cab.size()) {
        std::uint64_t largo = 0, clase = 0;
        qsizetype s = r;
        if (!LeerVint(cab, s, largo) || largo == 0
            || largo > static_cast<std::uint64_t>(cab.size() - s))
            return false;
        const qsizetype siguiente = s + static_cast<qsizetype>(largo);
        if (!LeerVint(cab, s, clase) || s > siguiente)
            return false;
        if (clase == ExtraCifrado)
            return true;
        r = siguiente;
    }
    return false;
}

// The header at `pos` (a CRC, its size, then the header itself): its type,
// its bytes and where they start.
bool Cabecera(LectorFuente &f, qint64 pos, std::uint64_t &tipo, QByteArray &cab, qint64 &comienzo)
{
    const QByteArray inicio = f.Leer(pos, 4 + 10);
    qsizetype p = 4;
    std::uint64_t tamano = 0;
    if (!LeerVint(inicio, p, tamano) || tamano == 0 || tamano > CabeceraMaxima)
        return false;
    comienzo = pos + p;
    if (static_cast<std::uint64_t>(f.Tamano() - comienzo) < tamano)
        return false;
    cab = f.Leer(comienzo, static_cast<qint64>(tamano));
    qsizetype q = 0;
    return cab.size() == static_cast<qsizetype>(tamano) && LeerVint(cab, q, tipo);
}

// Where the file header `cab` (read up to `q`) and its data lie, and its
// compression information (0 when unreadable). `aparte`: the archive lets an
// entry unpack on its own.
TramoRar5 Tramo(const QByteArray &cab, qsizetype q, std::uint64_t banderas, std::uint64_t datos, qint64 cabecera,
                qint64 desde, bool cifrado, bool aparte, std::uint64_t &compresion)
{
    TramoRar5 t;
    std::uint64_t archivo = 0, tamano = 0, atributos = 0;
    std::uint32_t crc = 0;
    compresion = 0;
    if (!LeerVint(cab, q, archivo) || !LeerVint(cab, q, tamano) || !LeerVint(cab, q, atributos))
        return t;
    if (archivo & ConHora)
        q += 4;
    if (archivo & ConCrc) {
        if (q + 4 > cab.size())
            return t;
        for (int i = 3; i >= 0; --i)
            crc = (crc << 8) | static_cast<unsigned char>(cab[q + i]);
        q += 4;
    }
    if (!LeerVint(cab, q, compresion)) {
        compresion = 0;
        return t;
    }
    if (cifrado || (banderas & (DeLaAnterior | SigueEnOtra)) || (archivo & EsCarpeta))
        return t;
    if (aparte && !(compresion & ConLasAnteriores)) {
        t.Cabecera = cabecera;
        t.Fin = desde + static_cast<qint64>(datos);
    }
    if ((archivo & ConCrc) && !(compresion & Metodo) && tamano == datos) {
        t.Desde = desde;
        t.Tamano = static_cast<qint64>(datos);
        t.Crc = crc;
    }
    return t;
}

} // namespace

// libarchive reads encrypted RAR 5 data as if it were plain and may hand back
// garbage, so we look at the file headers ourselves for the encryption record;
// and it does not say whether the archive is solid.
CabecerasRar5 LeerCabecerasRar5(const Fuente &fuente)
{
    CabecerasRar5 r;
    LectorFuente f(fuente);
    if (!f.Abierto())
        return r;
    const qint64 total = f.Tamano();
    qint64 pos = 8;
    bool volumen = false;
    std::uint64_t ventana = 0; // the largest window declared so far
    while (pos < total && total - pos >= 5) {
        std::uint64_t tipo = 0, banderas = 0, extra = 0, datos = 0;
        QByteArray cab;
        qint64 comienzo = 0;
        if (!Cabecera(f, pos, tipo, cab, comienzo))
            break;
        qsizetype q = 0;
        if (!LeerVint(cab, q, tipo) || !LeerVint(cab, q, banderas))
            break;
        if ((banderas & ConExtra) && !LeerVint(cab, q, extra))
            break;
        if ((banderas & ConDatos) && !LeerVint(cab, q, datos))
            break;
        if (tipo == CabeceraCifrado) {
            r.NombresCifrados = true;
            break;
        }
        if (tipo == CabeceraFin)
            break;
        std::uint64_t banderasArchivo = 0;
        if (tipo == CabeceraPrincipal && LeerVint(cab, q, banderasArchivo)) {
            r.Solido = banderasArchivo & ArchivoSolido;
            volumen = banderasArchivo & ArchivoVolumen;
        }
        const qint64 finCabecera = comienzo + cab.size();
        const bool dentro = datos <= static_cast<std::uint64_t>(total - finCabecera);
        if (tipo == CabeceraArchivo) {
            r.Cifrados.push_back(ExtraCifrada(cab, extra));
            std::uint64_t compresion = 0;
            r.Tramos.push_back(dentro ? Tramo(cab, q, banderas, datos, pos, finCabecera, r.Cifrados.back(),
                                              r.FinPrincipal > 0 && !r.Solido && !volumen, compresion)
                                      : TramoRar5{});
            // An entry going on with the dictionary before it cannot need a
            // larger window than any before it.
            if ((compresion & ConLasAnteriores) && (compresion & Ventana) > ventana)
                r.VentanaCreciente = true;
            ventana = std::max(ventana, compresion & Ventana);
        }
        if (!dentro)
            break; // data past the end of the file
        if (tipo == CabeceraPrincipal && pos == 8)
            r.FinPrincipal = finCabecera + static_cast<qint64>(datos);
        pos = finCabecera + static_cast<qint64>(datos);
    }
    return r;
}

} // namespace archivo::detalle

namespace archivo {

namespace {

// The last header of an archive: its CRC32, its size, type 5 (end), flags
// "skip if unknown", and "no volume follows".
QByteArray FinDeArchivo()
{
    static const QByteArray fin = [] {
        const QByteArray cuerpo("\x03\x05\x04\x00", 4);
        const auto crc = crc32(0, reinterpret_cast<const Bytef *>(cuerpo.constData()), uInt(cuerpo.size()));
        QByteArray b;
        for (int i = 0; i < 4; ++i)
            b += char((crc >> (8 * i)) & 0xFF);
        return b + cuerpo;
    }();
    return fin;
}

} // namespace

std::unique_ptr<DirectasRar5> DirectasRar5::Abrir(const QString &ruta, std::size_t entradas)
{
    detalle::CabecerasRar5 c = detalle::LeerCabecerasRar5({ruta, nullptr});
    auto g = std::make_unique<DirectasRar5>();
    g->tramos_ = std::move(c.Tramos);
    g->archivo_.setFileName(ruta);
    if (g->tramos_.size() != entradas || !g->archivo_.open(QIODevice::ReadOnly))
        return nullptr;
    bool alguna = false;
    for (int i = 0; i < int(entradas); ++i)
        alguna = alguna || g->Directa(i);
    g->principal_ = g->archivo_.read(c.FinPrincipal);
    if (!alguna || g->principal_.size() != c.FinPrincipal)
        return nullptr;
    return g;
}

DirectasRar5::Resultado DirectasRar5::Leer(int indice, QByteArray &datos) const
{
    if (!Directa(indice))
        return Resultado::Otra;
    const detalle::TramoRar5 &t = tramos_[std::size_t(indice)];
    if (t.Desde < 0) {
        // Its header and data behind the main header make an archive of it alone.
        const qint64 largo = t.Fin - t.Cabecera;
        if (static_cast<std::uint64_t>(largo) > TamanoMaximoEntrada)
            return Resultado::Otra;
        // One buffer, sized once: the page is not copied again to add the end.
        const QByteArray fin = FinDeArchivo(); // libarchive reads ahead past the data
        QByteArray sola(principal_.size() + largo + fin.size(), Qt::Uninitialized);
        std::memcpy(sola.data(), principal_.constData(), std::size_t(principal_.size()));
        std::memcpy(sola.data() + principal_.size() + largo, fin.constData(), std::size_t(fin.size()));
        {
            const std::lock_guard l(m_);
            if (!archivo_.seek(t.Cabecera) || archivo_.read(sola.data() + principal_.size(), largo) != largo)
                return Resultado::Otra;
        }
        if (detalle::LeerUnicaRar5(sola, datos))
            return Resultado::Bien;
        datos.clear();
        return Resultado::Otra;
    }
    if (static_cast<std::uint64_t>(t.Tamano) > TamanoMaximoEntrada)
        return Resultado::Otra;
    {
        const std::lock_guard l(m_);
        datos.resize(t.Tamano);
        if (!archivo_.seek(t.Desde) || archivo_.read(datos.data(), t.Tamano) != t.Tamano) {
            datos.clear();
            return Resultado::Rota;
        }
    }
    if (crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(datos.constData()), std::size_t(datos.size()))
        != t.Crc) {
        datos.clear();
        return Resultado::Rota;
    }
    return Resultado::Bien;
}

} // namespace archivo
