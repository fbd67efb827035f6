#include "archive/Archivo.h"
#include "archive/Lectores.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace archivo {

namespace {

Formato FormatoDeCabeza(const QByteArray &cabeza)
{
    if (cabeza.startsWith(QByteArrayLiteral("Rar!\x1a\x07\x01\x00")))
        return Formato::Rar5;
    if (cabeza.startsWith(QByteArray("Rar!\x1a\x07\x00", 7)))
        return Formato::Rar4;
    // Local header, or the end record alone of an empty archive.
    if (cabeza.startsWith("PK\x03\x04") || cabeza.startsWith("PK\x05\x06"))
        return Formato::Zip;
    return Formato::Ninguno;
}

// The end record alone, of no entry: an empty archive, which the general
// reader refuses as it would a damaged one.
bool ZipVacio(const detalle::Fuente &f)
{
    detalle::LectorFuente lector(f);
    const QByteArray fin = lector.Leer(0, 22);
    return fin.size() == 22 && fin.startsWith("PK\x05\x06") && fin[8] == 0 && fin[9] == 0 && fin[10] == 0
           && fin[11] == 0;
}

Listado Listar(const detalle::Fuente &f, Formato formato)
{
    Listado l;
    l.Tipo = formato;
    switch (formato) {
    case Formato::Rar4:
        l.Entradas = detalle::ListarRar4(f, &l.Completo, &l.CabecerasCifradas);
        break;
    case Formato::Rar5:
        l.CabecerasCifradas = detalle::CabecerasCifradasRar5(f);
        if (!l.CabecerasCifradas)
            l.Entradas = detalle::ListarLibarchive(f, formato, &l.Completo);
        break;
    case Formato::Zip:
        l.Entradas = detalle::ListarLibarchive(f, formato, &l.Completo);
        if (l.Entradas.empty() && !l.Completo)
            l.Completo = ZipVacio(f);
        break;
    case Formato::Ninguno:
        break;
    }
    return l;
}

Lectura Leer(const detalle::Fuente &f, Formato formato, const Coincide &coincide,
             const Recibir &recibir, const PedirClave &pedirClave, const QString &clave,
             const std::atomic<bool> *cancelar)
{
    switch (formato) {
    case Formato::Rar4:
        return detalle::LeerRar4(f, coincide, recibir, cancelar);
    case Formato::Rar5:
    case Formato::Zip:
        return detalle::LeerLibarchive(f, formato, coincide, recibir, pedirClave, clave, cancelar);
    case Formato::Ninguno:
        break;
    }
    return {};
}

} // namespace

Formato FormatoDe(const QString &ruta)
{
    QFile f(ruta);
    if (!QFileInfo(ruta).isFile() || !f.open(QIODevice::ReadOnly))
        return Formato::Ninguno;
    return FormatoDeCabeza(f.read(8));
}

Formato FormatoDeDatos(const QByteArray &datos)
{
    return FormatoDeCabeza(datos.left(8));
}

std::vector<Entrada> ListarEntradas(const QString &ruta)
{
    return Listar({ruta, nullptr}, FormatoDe(ruta)).Entradas;
}

Listado ListarArchivo(const QString &ruta)
{
    return Listar({ruta, nullptr}, FormatoDe(ruta));
}

std::vector<Entrada> ListarEntradasDatos(const QByteArray &datos)
{
    return Listar({{}, &datos}, FormatoDeDatos(datos)).Entradas;
}

Lectura LeerEntradas(const QString &ruta, const Coincide &coincide, const Recibir &recibir,
                     const PedirClave &pedirClave, const QString &clave, const std::atomic<bool> *cancelar,
                     std::uint64_t maximo)
{
    return Leer({ruta, nullptr, std::min(maximo, TamanoMaximoEntrada)}, FormatoDe(ruta), coincide, recibir,
                pedirClave, clave, cancelar);
}

Lectura LeerEntradasDatos(const QByteArray &datos, const Coincide &coincide, const Recibir &recibir,
                          const PedirClave &pedirClave, const QString &clave)
{
    return Leer({{}, &datos}, FormatoDeDatos(datos), coincide, recibir, pedirClave, clave, nullptr);
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

namespace detalle {

LectorFuente::LectorFuente(const Fuente &f) : datos_(f.Datos)
{
    if (datos_) {
        tamano_ = datos_->size();
        abierto_ = true;
    } else {
        archivo_.setFileName(f.Ruta);
        abierto_ = archivo_.open(QIODevice::ReadOnly);
        tamano_ = abierto_ ? archivo_.size() : 0;
    }
}

QByteArray LectorFuente::Leer(qint64 pos, qint64 n)
{
    if (!abierto_ || pos < 0 || n <= 0 || pos >= tamano_)
        return {};
    n = std::min(n, tamano_ - pos);
    if (datos_)
        return datos_->mid(pos, n);
    if (!archivo_.seek(pos))
        return {};
    return archivo_.read(n);
}

} // namespace detalle

} // namespace archivo
