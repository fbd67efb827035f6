#include "archive/Lectores.h"

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
enum : std::uint64_t { ConExtra = 0x01, ConDatos = 0x02 };
enum : std::uint64_t { ExtraCifrado = 0x01 };
enum : std::uint64_t { ArchivoSolido = 0x04 };

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
        if (tipo == CabeceraPrincipal && LeerVint(cab, q, banderasArchivo))
            r.Solido = banderasArchivo & ArchivoSolido;
        if (tipo == CabeceraArchivo)
            r.Cifrados.push_back(ExtraCifrada(cab, extra));
        const qint64 finCabecera = comienzo + cab.size();
        if (datos > static_cast<std::uint64_t>(total - finCabecera))
            break; // data past the end of the file
        pos = finCabecera + static_cast<qint64>(datos);
    }
    return r;
}

} // namespace archivo::detalle
