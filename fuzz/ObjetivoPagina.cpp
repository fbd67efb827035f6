// Every page loader from bytes: the first byte chooses the page's name (and
// so its loader) and whether it is shown reduced; the rest is the page. A
// reduced page is then decoded whole, as zoom and turns ask.
#include "Comun.h"

#include "imaging/modPNG.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fallo(const char *que)
{
    std::fprintf(stderr, "%s\n", que);
    std::abort();
}

void Comprobar(const ControlImagen &c)
{
    if (std::uint64_t(c.Picture.sizeInBytes()) > modPNG::BytesMaximosPicture)
        Fallo("picture over the limit");
    if (!c.Natural.isEmpty() && c.Natural == c.Picture.size())
        Fallo("reduced picture at its natural size");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::IniciarQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano)
{
    if (tamano < 1)
        return 0;
    static const char *const nombres[] = {"p.jpg", "p.png", "p.bmp", "p.gif", "p.wmf", "p.ico", "p.webp", "p.PNG"};
    const std::uint8_t eleccion = datos[0];
    auto origen = std::make_shared<OrigenPicture>();
    origen->Nombre = QString::fromLatin1(nombres[eleccion & 7]);
    origen->Datos = QByteArray(reinterpret_cast<const char *>(datos) + 1, qsizetype(tamano - 1));
    const bool reducir = eleccion & 0x08;
    const bool estirar = eleccion & 0x10;

    ControlImagen c;
    if (estirar) {
        c.Stretch = true;
        c.Width = 200 * 15;
        c.Height = 300 * 15;
    }
    const auto mostrado = [](QSize n) { return n.scaled(QSize(640, 480), Qt::KeepAspectRatio); };
    try {
        if (!modPNG::CargarPagina(origen, reducir ? std::function<QSize(QSize)>(mostrado) : nullptr, c))
            Fallo("stopped without being cancelled");
    } catch (const ErrorLectura &) {
        return 0;
    }
    Comprobar(c);
    if (!modPNG::Completar(c))
        return 0;
    Comprobar(c);
    return 0;
}
