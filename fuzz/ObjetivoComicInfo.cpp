// A ComicInfo.xml from its bytes, as read from an archive: whatever they
// hold, the fields stay within their bounds.
#include "Comun.h"

#include "archive/ComicInfo.h"

#include <cstdint>
#include <set>

namespace {

bool Numero(int n, int minimo, int maximo)
{
    return n == -1 || (n >= minimo && n <= maximo);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::IniciarQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano)
{
    const QByteArray xml = QByteArray::fromRawData(reinterpret_cast<const char *>(datos), qsizetype(tamano));
    const archivo::InfoComic i = archivo::LeerComicInfo(xml);
    if (!i.Leida && (!i.Titulo.isEmpty() || !i.Paginas.empty()))
        fuzz::Fallo("fields of a file not read");
    for (const QString *t : {&i.Titulo, &i.Serie, &i.Numero, &i.Guionista, &i.Dibujante})
        if (t->size() > archivo::LargoMaximoCampo)
            fuzz::Fallo("text over its bound");
    if (i.Resumen.size() > archivo::LargoMaximoResumen)
        fuzz::Fallo("summary over its bound");
    if (!Numero(i.Volumen, 0, 99999) || !Numero(i.Cantidad, 0, 99999) || !Numero(i.Ano, 1, 9999) || !Numero(i.Mes, 1, 12))
        fuzz::Fallo("number out of range");
    if (int(i.Paginas.size()) > archivo::MaximoPaginasComicInfo)
        fuzz::Fallo("too many pages");
    std::set<int> imagenes;
    for (const archivo::PaginaComic &p : i.Paginas)
        if (p.Imagen < 0 || p.Imagen >= archivo::MaximoPaginasComicInfo || !imagenes.insert(p.Imagen).second || p.Tipos == 0)
            fuzz::Fallo("page out of range, repeated or of no type");
    return 0;
}
