// Archives as the reader uses them, from memory: the format from the
// signature, the entry list, every entry read, and every regular entry
// extracted into a fresh folder, which nothing may leave.
#include "Comun.h"

#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"

#include <QDir>
#include <QDirIterator>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
    const archivo::Lectura todas = archivo::LeerEntradasDatos(
        archivo, [](const QString &) { return true; },
        [&](const QString &nombre, const QByteArray &contenido) {
            if (static_cast<std::uint64_t>(contenido.size()) > archivo::TamanoMaximoEntrada)
                Fallo("entry over the limit", nombre);
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
