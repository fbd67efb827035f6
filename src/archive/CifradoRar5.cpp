#include "archive/Lectores.h"

#include <QFile>

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

enum : std::uint64_t { CabeceraArchivo = 2, CabeceraCifrado = 4, CabeceraFin = 5 };
enum : std::uint64_t { ConExtra = 0x01, ConDatos = 0x02 };
enum : std::uint64_t { ExtraCifrado = 0x01 };

} // namespace

// libarchive reads encrypted RAR 5 data as if it were plain and may hand back
// garbage, so we look at the file headers ourselves for the encryption record.
std::vector<bool> CifradosRar5(const QString &ruta)
{
    std::vector<bool> cifrados;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return cifrados;
    const qint64 total = f.size();
    qint64 pos = 8;
    while (pos + 5 <= total && f.seek(pos)) {
        // CRC, then the header size, then the header itself.
        QByteArray inicio = f.read(4 + 10);
        qsizetype p = 4;
        std::uint64_t tamano = 0;
        if (!LeerVint(inicio, p, tamano) || tamano == 0 || tamano > 2 * 1024 * 1024)
            break;
        const qint64 comienzo = pos + p;
        if (comienzo + static_cast<qint64>(tamano) > total || !f.seek(comienzo))
            break;
        const QByteArray cab = f.read(static_cast<qint64>(tamano));
        if (cab.size() != static_cast<qsizetype>(tamano))
            break;
        qsizetype q = 0;
        std::uint64_t tipo = 0, banderas = 0, extra = 0, datos = 0;
        if (!LeerVint(cab, q, tipo) || !LeerVint(cab, q, banderas))
            break;
        if ((banderas & ConExtra) && !LeerVint(cab, q, extra))
            break;
        if ((banderas & ConDatos) && !LeerVint(cab, q, datos))
            break;
        if (tipo == CabeceraCifrado || tipo == CabeceraFin)
            break;
        if (tipo == CabeceraArchivo) {
            bool cifrado = false;
            if (extra > 0 && extra <= tamano) {
                qsizetype r = static_cast<qsizetype>(tamano - extra);
                while (r < cab.size()) {
                    std::uint64_t largo = 0, clase = 0;
                    qsizetype s = r;
                    if (!LeerVint(cab, s, largo) || largo == 0)
                        break;
                    const qsizetype siguiente = s + static_cast<qsizetype>(largo);
                    if (!LeerVint(cab, s, clase))
                        break;
                    if (clase == ExtraCifrado)
                        cifrado = true;
                    r = siguiente;
                }
            }
            cifrados.push_back(cifrado);
        }
        pos = comienzo + static_cast<qint64>(tamano) + static_cast<qint64>(datos);
        if (datos > static_cast<std::uint64_t>(total))
            break;
    }
    return cifrados;
}

} // namespace archivo::detalle
