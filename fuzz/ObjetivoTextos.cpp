// The text files the program reads and writes: each is parsed, written and
// parsed again, and the second reading must give the same records; and the
// single-instance message, which names an existing file or nothing. The
// first byte chooses the kind; the rest is the file.
#include "Comun.h"

#include "collection/Coleccion.h"
#include "documento/ArchivoMarcadores.h"
#include "documento/CacheMini.h"
#include "viewer/InstanciaUnica.h"
#include "viewer/modIni.h"

#include <QFileInfo>

#include <QFile>
#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

enum class Clase : std::uint8_t {
    Ini,
    Marcadores,
    Estados,
    IndiceMini,
    Mensaje,
    Cuantas,
};

[[noreturn]] void Fallo(const char *que)
{
    std::fprintf(stderr, "round trip broken: %s\n", que);
    std::abort();
}

void EscribirArchivo(const QString &ruta, const QByteArray &datos)
{
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(datos) != datos.size())
        Fallo("cannot write the scratch file");
}

// A value the reader gives back unchanged, whatever its length: no line
// break, no outer blanks, no outer quotes.
bool ValorLimpio(const QString &v)
{
    return !v.isEmpty() && v == v.trimmed() && !v.contains(u'\n') && !v.contains(u'\r') && !v.startsWith(u'"')
           && !v.startsWith(u'\'');
}

bool NombreLimpio(const QString &n)
{
    static const QRegularExpression malo(QStringLiteral("[\\[\\]=;\\r\\n]"));
    return !n.isEmpty() && n == n.trimmed() && !n.contains(malo);
}

// The bytes of settings file the keys read before and after a write may
// walk in all: each read parses the whole file.
constexpr qsizetype LecturasMaximas = 4 * 1024 * 1024;

// The first line names a section, a key and a value ("section\tkey\tvalue");
// the rest is the settings file. Writing the value must give it back, and
// every other key read before the write must read the same after it.
void ProbarIni(const QByteArray &entrada)
{
    const qsizetype salto = entrada.indexOf('\n');
    const QList<QByteArray> orden = entrada.left(salto < 0 ? entrada.size() : salto).split('\t');
    const QByteArray contenido = salto < 0 ? QByteArray() : entrada.mid(salto + 1);
    const QString seccion = QString::fromUtf8(orden.value(0));
    const QString clave = QString::fromUtf8(orden.value(1));
    const QString valor = QString::fromUtf8(orden.value(2));

    // One scratch file, written over on every run: a fresh folder each time
    // would cost more than the file's own reading.
    static const QString ruta = fuzz::CarpetaLimpia() + QStringLiteral("/tavelo.ini");
    EscribirArchivo(ruta, contenido);

    // The keys the file holds, as the lines name them, in every section.
    struct Lectura {
        QString seccion, clave, valor;
    };
    std::vector<Lectura> antes;
    QString actual;
    for (const QByteArray &l : contenido.split('\n')) {
        const QString t = QString::fromUtf8(l).trimmed();
        if (t.startsWith(u'[')) {
            actual = t.mid(1, t.indexOf(u']') < 0 ? -1 : t.indexOf(u']') - 1).trimmed();
            continue;
        }
        const qsizetype igual = t.indexOf(u'=');
        // Each key read walks the whole file, twice: a long file gets fewer.
        if (igual <= 0 || actual.isEmpty() || antes.size() >= 64
            || qsizetype(antes.size()) * contenido.size() > LecturasMaximas)
            continue;
        const QString k = t.left(igual).trimmed();
        if (!k.isEmpty())
            antes.push_back({actual, k, modIni::LeerIni(ruta, actual, k, QStringLiteral("\x01"))});
    }

    const bool escribible = NombreLimpio(seccion) && NombreLimpio(clave) && ValorLimpio(valor);
    const bool escrita = modIni::EscribirIni(ruta, seccion, clave, valor);
    if (!modIni::Escribible(valor)) {
        // A line break would write lines of its own: refused, the file as it was.
        QFile f(ruta);
        if (escrita || !f.open(QIODevice::ReadOnly) || f.readAll() != contenido)
            Fallo("a value with a line break changed the file");
        return;
    }
    if (!escrita)
        return;
    if (escribible && modIni::LeerIni(ruta, seccion, clave, {}) != valor)
        Fallo("the written value does not read back");
    for (const Lectura &l : antes) {
        if (l.seccion.compare(seccion, Qt::CaseInsensitive) == 0
            && l.clave.compare(clave, Qt::CaseInsensitive) == 0)
            continue;
        if (!escribible)
            continue; // a name with separators may legitimately shadow others
        if (modIni::LeerIni(ruta, l.seccion, l.clave, QStringLiteral("\x01")) != l.valor)
            Fallo("another key changed");
    }
}

void ProbarMarcadores(const QByteArray &entrada)
{
    const QList<marcadores::Registro> leidos = marcadores::Leer(entrada);
    QList<marcadores::Registro> esperados;
    for (const auto &r : leidos)
        if (!r.Marcador.isEmpty())
            esperados << r;
    const QList<marcadores::Registro> otra = marcadores::Leer(marcadores::Escribir(leidos));
    if (otra.size() != esperados.size())
        Fallo("bookmark count");
    for (qsizetype i = 0; i < otra.size(); ++i)
        if (otra[i].Ruta != esperados[i].Ruta || otra[i].Marcador != esperados[i].Marcador)
            Fallo("bookmark record");
}

// The read states: every record with a state above 0 comes back, its state
// as a number.
void ProbarEstados(const QByteArray &entrada)
{
    QList<coleccion::ItemComic> esperados;
    for (const auto &e : coleccion::LeerEstados(entrada))
        if (coleccion::ValorEstado(e.Estado) > 0)
            esperados << coleccion::ItemComic{e.Nombre, QString::number(coleccion::ValorEstado(e.Estado)), {}};
    if (coleccion::LeerEstados(coleccion::EscribirEstados(esperados)) != esperados)
        Fallo("read states");
}

// The mini-page cache index: the key is its first line; whatever frames
// it gives are written and read back the same.
void ProbarIndiceMini(const QByteArray &entrada)
{
    const qsizetype fin = entrada.indexOf("\r\n");
    const QString clave = QString::fromUtf8(entrada.left(fin < 0 ? 0 : fin));
    int lineas = 0;
    for (const QByteArray &l : entrada.mid(fin + 2).split('\n'))
        lineas += l.simplified().isEmpty() ? 0 : 1;
    const auto fichas = cacheMini::LeerIndice(entrada, clave, lineas);
    if (!fichas)
        return;
    if (cacheMini::LeerIndice(cacheMini::TextoIndice(clave, *fichas), clave, lineas) != fichas)
        Fallo("mini-page index");
}

// A hand-over message names an existing file by its absolute path, and is
// exactly that path and one line end.
void ProbarMensaje(const QByteArray &entrada)
{
    const QString ruta = RutaEntregada(entrada);
    if (!ruta.isEmpty() && (ruta.toUtf8() + '\n' != entrada || !QFileInfo(ruta).isFile()))
        Fallo("hand-over message");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano)
{
    if (tamano < 1 || tamano > 256 * 1024)
        return 0;
    const QByteArray resto(reinterpret_cast<const char *>(datos) + 1, qsizetype(tamano - 1));
    switch (static_cast<Clase>(datos[0] % static_cast<std::uint8_t>(Clase::Cuantas))) {
    case Clase::Ini:
        ProbarIni(resto);
        break;
    case Clase::Marcadores:
        ProbarMarcadores(resto);
        break;
    case Clase::Estados:
        ProbarEstados(resto);
        break;
    case Clase::IndiceMini:
        ProbarIndiceMini(resto);
        break;
    case Clase::Mensaje:
        ProbarMensaje(resto);
        break;
    case Clase::Cuantas:
        break;
    }
    return 0;
}
