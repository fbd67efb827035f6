// Archives as the reader uses them, from memory: the format from the
// signature, the entry list, every entry read, every regular entry
// extracted into a fresh folder, which nothing may leave, and the kept-open
// ZIP index, which gives the general reader's data or a damaged page.
#include "Comun.h"

#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"
#include "archive/IndiceZip.h"

#include <QDir>
#include <QDirIterator>
#include <QHash>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

[[noreturn]] void Fallo(const char *que, const QString &ruta = {})
{
    std::fprintf(stderr, "%s %s\n", que, qPrintable(ruta));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::IniciarQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano)
{
    const QByteArray archivo = QByteArray::fromRawData(reinterpret_cast<const char *>(datos),
                                                       static_cast<qsizetype>(tamano));
    if (archivo::FormatoDeDatos(archivo) == archivo::Formato::Ninguno)
        return 0;
    const std::vector<archivo::Entrada> entradas = archivo::ListarEntradasDatos(archivo);

    // Two levels of folders between the scratch root and the destination,
    // so that a name climbing out lands where we look.
    const QString raiz = fuzz::CarpetaLimpia();
    const QString destino = raiz + QStringLiteral("/a/b/destino");
    QDir().mkpath(destino);
    std::map<QString, QByteArray> general; // the last of each name, as on disk
    const archivo::Lectura todas = archivo::LeerEntradasDatos(
        archivo, [](const QString &) { return true; },
        [&](const QString &nombre, const QByteArray &contenido) {
            if (static_cast<std::uint64_t>(contenido.size()) > archivo::TamanoMaximoEntrada)
                Fallo("entry over the limit", nombre);
            general[nombre] = contenido;
            // The page reader's own round trip of names through the code pages.
            archivo::EscribirEntrada(destino, nombre, contenido);
        },
        [] { return QStringLiteral("clave"); });
    if (todas.Entregadas > todas.Encontradas)
        Fallo("more entries given than found");

    // One page looked up by its name, as a page turn does.
    for (const archivo::Entrada &e : entradas) {
        if (!e.Regular)
            continue;
        const QString buscado = e.Nombre;
        archivo::LeerEntradasDatos(
            archivo, [&](const QString &n) { return n == buscado; },
            [](const QString &, const QByteArray &) {});
        break;
    }

    if (archivo::FormatoDeDatos(archivo) == archivo::Formato::Zip) {
        QStringList regulares;
        for (const archivo::Entrada &e : entradas)
            if (e.Regular)
                regulares << e.Nombre;
        if (const auto indice = archivo::IndiceZip::AbrirDatos(archivo, regulares)) {
            for (const QString &n : regulares) {
                QByteArray propia;
                switch (indice->Leer(n, propia)) {
                case archivo::IndiceZip::Resultado::NoEsta:
                    Fallo("the index lost an entry:", n);
                case archivo::IndiceZip::Resultado::Bien:
                    if (general.count(n) == 0 || general[n] != propia)
                        Fallo("the index read another page than the general reader:", n);
                    break;
                case archivo::IndiceZip::Resultado::Otro:
                case archivo::IndiceZip::Resultado::Rota:
                    break;
                }
            }
        }
    }

    // A RAR 5's entries read where they lie give the general reader's data
    // (which stops at a link entry, so it may have less).
    if (archivo::FormatoDeDatos(archivo) == archivo::Formato::Rar5) {
        const QString ruta = raiz + QStringLiteral("/r5.rar");
        {
            QFile f(ruta);
            if (!f.open(QIODevice::WriteOnly) || f.write(archivo) != archivo.size())
                Fallo("cannot write", ruta);
        }
        QHash<QString, std::size_t> ultimas; // the general reader keeps the last of a name
        for (std::size_t i = 0; i < entradas.size(); ++i)
            ultimas[entradas[i].Nombre] = i;
        if (const auto directas = archivo::DirectasRar5::Abrir(ruta, entradas.size()))
            for (std::size_t i = 0; i < entradas.size(); ++i) {
                const QString &n = entradas[i].Nombre;
                QByteArray propia;
                if (directas->Leer(int(i), propia) == archivo::DirectasRar5::Resultado::Bien && ultimas[n] == i
                    && general.count(n) && general[n] != propia)
                    Fallo("a RAR 5 entry read where it lies is another page than the general reader's:", n);
            }
        QFile::remove(ruta);
    }

    QDirIterator it(raiz, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ruta = it.next();
        if (ruta == raiz + QStringLiteral("/a") || ruta == raiz + QStringLiteral("/a/b")
            || ruta == destino)
            continue;
        if (!ruta.startsWith(destino + QLatin1Char('/')))
            Fallo("written outside its folder:", ruta);
        if (it.fileInfo().isSymLink())
            Fallo("link written:", ruta);
    }
    return 0;
}
