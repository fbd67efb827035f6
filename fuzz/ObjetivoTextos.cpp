// The text files the program reads and writes: each is parsed, written and
// parsed again, and the second reading must give the same records. The first
// byte chooses the file kind; the rest is the file.
#include "Comun.h"

#include "documento/ArchivoMarcadores.h"
#include "viewer/modIni.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

enum class Clase : std::uint8_t {
    Ini,
    Marcadores,
    // The collection's read states and the thumbnail cache get their own
    // kinds here when their readers exist.
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

    const QString ruta = fuzz::CarpetaLimpia() + QStringLiteral("/tavelo.ini");
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
        if (igual <= 0 || actual.isEmpty() || antes.size() >= 64)
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
    case Clase::Cuantas:
        break;
    }
    return 0;
}
