#include "archive/Archivo.h"
#include "archive/Lectores.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <map>

namespace archivo {

namespace {

// A tar header: its checksum (the sum of its bytes, the checksum field
// counted as spaces; some old tars summed signed bytes) matches the octal
// number in that field. Without the "ustar" mark of POSIX and GNU tar, an
// old tar header must also carry a plain file type.
bool EsCabeceraTar(const QByteArray &b)
{
    constexpr qsizetype Bloque = 512, Suma = 148, LargoSuma = 8, Tipo = 156, Marca = 257;
    if (b.size() < Bloque || b[0] == '\0')
        return false;
    qsizetype i = Suma;
    while (i < Suma + LargoSuma && b[i] == ' ')
        ++i;
    std::uint32_t declarada = 0;
    int cifras = 0;
    for (; i < Suma + LargoSuma && b[i] >= '0' && b[i] <= '7'; ++i, ++cifras)
        declarada = declarada * 8 + std::uint32_t(b[i] - '0');
    if (cifras == 0 || (i < Suma + LargoSuma && b[i] != ' ' && b[i] != '\0'))
        return false;
    std::uint32_t sinSigno = 0;
    std::int32_t conSigno = 0;
    for (qsizetype k = 0; k < Bloque; ++k) {
        const char c = (k >= Suma && k < Suma + LargoSuma) ? ' ' : b[k];
        sinSigno += static_cast<unsigned char>(c);
        conSigno += static_cast<signed char>(c);
    }
    if (declarada != sinSigno && std::int64_t(declarada) != conSigno)
        return false;
    if (b.mid(Marca, 5) == "ustar")
        return true;
    return b[Tipo] == '\0' || (b[Tipo] >= '0' && b[Tipo] <= '7');
}

Formato FormatoDeCabeza(const QByteArray &cabeza)
{
    if (cabeza.startsWith(QByteArrayLiteral("Rar!\x1a\x07\x01\x00")))
        return Formato::Rar5;
    if (cabeza.startsWith(QByteArray("Rar!\x1a\x07\x00", 7)))
        return Formato::Rar4;
    // Local header, or the end record alone of an empty archive.
    if (cabeza.startsWith("PK\x03\x04") || cabeza.startsWith("PK\x05\x06"))
        return Formato::Zip;
    if (cabeza.startsWith("7z\xBC\xAF\x27\x1C"))
        return Formato::SieteZip;
    if (EsCabeceraTar(cabeza))
        return Formato::Tar;
    return Formato::Ninguno;
}

constexpr qsizetype LargoCabeza = 512;

// The end record alone, of no entry: an empty archive, which the general
// reader refuses as it would a damaged one.
bool ZipVacio(const detalle::Fuente &f)
{
    detalle::LectorFuente lector(f);
    const QByteArray fin = lector.Leer(0, 22);
    return fin.size() == 22 && fin.startsWith("PK\x05\x06") && fin[8] == 0 && fin[9] == 0 && fin[10] == 0
           && fin[11] == 0;
}

detalle::Listado Listar(const detalle::Fuente &f, Formato formato)
{
    switch (formato) {
    case Formato::Rar4:
        return detalle::ListarRar4(f);
    case Formato::Zip: {
        detalle::Listado l = detalle::ListarLibarchive(f, formato);
        if (l.Entradas.empty() && !l.Completo)
            l.Completo = ZipVacio(f);
        return l;
    }
    case Formato::Rar5:
    case Formato::SieteZip:
    case Formato::Tar:
        return detalle::ListarLibarchive(f, formato);
    case Formato::Ninguno:
        break;
    }
    return {};
}

Descripcion Describir(const detalle::Fuente &f, Formato formato)
{
    detalle::Listado l = Listar(f, formato);
    Descripcion d;
    d.Tipo = formato;
    d.Entradas = std::move(l.Entradas);
    d.NombresCifrados = l.NombresCifrados;
    d.Completo = l.Completo;
    std::map<int, int> porBloque;
    bool cifradas = d.NombresCifrados;
    for (const Entrada &e : d.Entradas) {
        if (e.Regular && e.Bloque >= 0 && ++porBloque[e.Bloque] > 1)
            d.Solido = true;
        cifradas = cifradas || e.Cifrada;
    }
    d.ClaveInutil = cifradas && formato != Formato::Zip;
    return d;
}

Lectura Leer(LectorEnOrden lector, const Coincide &coincide, const Recibir &recibir,
             const std::atomic<bool> *cancelar = nullptr, std::uint64_t maximo = TamanoMaximoEntrada)
{
    Lectura lectura;
    LectorEnOrden::Leida leida;
    while (!(cancelar && cancelar->load(std::memory_order_relaxed)) && lector.Siguiente(coincide, leida, maximo)) {
        ++lectura.Encontradas;
        if (leida.Cifrada)
            ++lectura.Cifradas;
        if (leida.Entera) {
            recibir(leida.Nombre, leida.Datos);
            ++lectura.Entregadas;
        }
    }
    return lectura;
}

} // namespace

Formato FormatoDe(const QString &ruta)
{
    QFile f(ruta);
    if (!QFileInfo(ruta).isFile() || !f.open(QIODevice::ReadOnly))
        return Formato::Ninguno;
    return FormatoDeCabeza(f.read(LargoCabeza));
}

Formato FormatoDeDatos(const QByteArray &datos)
{
    return FormatoDeCabeza(datos.left(LargoCabeza));
}

QString ExtensionComic(Formato formato)
{
    switch (formato) {
    case Formato::Rar4:
    case Formato::Rar5:
        return QStringLiteral("cbr");
    case Formato::Zip:
        return QStringLiteral("cbz");
    case Formato::SieteZip:
        return QStringLiteral("cb7");
    case Formato::Tar:
        return QStringLiteral("cbt");
    case Formato::Ninguno:
        break;
    }
    return {};
}

std::vector<Entrada> ListarEntradas(const QString &ruta)
{
    return Describir(ruta).Entradas;
}

std::vector<Entrada> ListarEntradasDatos(const QByteArray &datos)
{
    return DescribirDatos(datos).Entradas;
}

Descripcion Describir(const QString &ruta)
{
    return Describir({ruta, nullptr}, FormatoDe(ruta));
}

Descripcion DescribirDatos(const QByteArray &datos)
{
    return Describir({{}, &datos}, FormatoDeDatos(datos));
}

Lectura LeerEntradas(const QString &ruta, const Coincide &coincide, const Recibir &recibir,
                     const PedirClave &pedirClave, const QString &clave, const std::atomic<bool> *cancelar,
                     std::uint64_t maximo)
{
    return Leer(LectorEnOrden(ruta, pedirClave, clave), coincide, recibir, cancelar,
                std::min(maximo, TamanoMaximoEntrada));
}

Lectura LeerEntradasDatos(const QByteArray &datos, const Coincide &coincide, const Recibir &recibir,
                          const PedirClave &pedirClave, const QString &clave)
{
    return Leer(LectorEnOrden::DeDatos(datos, pedirClave, clave), coincide, recibir);
}

LectorEnOrden::LectorEnOrden(const detalle::Fuente &f, const PedirClave &pedirClave, const QString &clave)
{
    const Formato formato = f.Datos ? FormatoDeDatos(*f.Datos) : FormatoDe(f.Ruta);
    if (formato == Formato::Rar4)
        cursor_ = detalle::CursorRar4(f);
    else if (formato != Formato::Ninguno)
        cursor_ = detalle::CursorLibarchive(f, formato, pedirClave, clave);
}

LectorEnOrden::LectorEnOrden(const QString &ruta, const PedirClave &pedirClave, const QString &clave)
    : LectorEnOrden(detalle::Fuente{ruta, nullptr}, pedirClave, clave)
{
}

LectorEnOrden LectorEnOrden::DeDatos(const QByteArray &datos, const PedirClave &pedirClave, const QString &clave)
{
    return LectorEnOrden(detalle::Fuente{{}, &datos}, pedirClave, clave);
}

LectorEnOrden::LectorEnOrden(LectorEnOrden &&) noexcept = default;
LectorEnOrden &LectorEnOrden::operator=(LectorEnOrden &&) noexcept = default;
LectorEnOrden::~LectorEnOrden() = default;

bool LectorEnOrden::Siguiente(const Coincide &coincide, Leida &leida, std::uint64_t maximo)
{
    if (!cursor_)
        return false;
    leida = {};
    if (cursor_->Siguiente(coincide, leida, maximo))
        return true;
    cursor_.reset();
    return false;
}

bool LectorEnOrden::Saltar(int indice)
{
    return cursor_ && indice >= 0 && cursor_->Saltar(indice);
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
