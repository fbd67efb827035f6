#include "archive/Archivo.h"
#include "archive/Lectores.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace archivo {

Formato FormatoDe(const QString &ruta)
{
    QFile f(ruta);
    if (!QFileInfo(ruta).isFile() || !f.open(QIODevice::ReadOnly))
        return Formato::Ninguno;
    const QByteArray cabeza = f.read(8);
    if (cabeza.startsWith(QByteArrayLiteral("Rar!\x1a\x07\x01\x00")))
        return Formato::Rar5;
    if (cabeza.startsWith(QByteArray("Rar!\x1a\x07\x00", 7)))
        return Formato::Rar4;
    // Local header, or the end record alone of an empty archive.
    if (cabeza.startsWith("PK\x03\x04") || cabeza.startsWith("PK\x05\x06"))
        return Formato::Zip;
    return Formato::Ninguno;
}

std::vector<Entrada> ListarEntradas(const QString &ruta)
{
    switch (const Formato formato = FormatoDe(ruta)) {
    case Formato::Rar4:
        return detalle::ListarRar4(ruta);
    case Formato::Rar5:
    case Formato::Zip:
        return detalle::ListarLibarchive(ruta, formato);
    case Formato::Ninguno:
        break;
    }
    return {};
}

Lectura LeerEntradas(const QString &ruta, const Coincide &coincide, const Recibir &recibir,
                     const PedirClave &pedirClave, const QString &clave)
{
    switch (const Formato formato = FormatoDe(ruta)) {
    case Formato::Rar4:
        return detalle::LeerRar4(ruta, coincide, recibir);
    case Formato::Rar5:
    case Formato::Zip:
        return detalle::LeerLibarchive(ruta, formato, coincide, recibir, pedirClave, clave);
    case Formato::Ninguno:
        break;
    }
    return {};
}

std::uint32_t FechaDosDe(std::int64_t segundosUnix)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(segundosUnix).toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    if (d.year() < 1980)
        return (1u << 21) | (1u << 16); // 1980-01-01, the first DOS date
    if (d.year() > 2107)
        return 0xFF9FBF7Du; // 2107-12-31 23:59:58, the last one
    return (std::uint32_t(d.year() - 1980) << 25) | (std::uint32_t(d.month()) << 21)
           | (std::uint32_t(d.day()) << 16) | (std::uint32_t(t.hour()) << 11)
           | (std::uint32_t(t.minute()) << 5) | std::uint32_t(t.second() / 2);
}

} // namespace archivo
