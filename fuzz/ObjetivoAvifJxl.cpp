// An AVIF (or, built with TAVELO_FUZZ_JXL, a JPEG XL) page through the page
// loader, shown reduced as a page turn asks: our size checks before
// libavif and libjxl decode, the plazo, and what the loader keeps.
#include "Comun.h"

#include "imaging/DecodificadorAvifJxl.h"
#include "imaging/modPNG.h"

#include <cstdint>

namespace {

#ifdef TAVELO_FUZZ_JXL
constexpr auto Objetivo = decodificadorAvifJxl::Formato::Jxl;
#else
constexpr auto Objetivo = decodificadorAvifJxl::Formato::Avif;
#endif

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::IniciarQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano)
{
    auto origen = std::make_shared<OrigenPicture>();
    origen->Datos = QByteArray(reinterpret_cast<const char *>(datos), qsizetype(tamano));
    if (decodificadorAvifJxl::FormatoDe(origen->Datos) != Objetivo)
        return 0;
    origen->Nombre = Objetivo == decodificadorAvifJxl::Formato::Avif ? QStringLiteral("p.avif") : QStringLiteral("p.jxl");
    const QSize pantalla(640, 480);
    ControlImagen c;
    try {
        if (!modPNG::CargarPagina(origen, [&](QSize n) { return n.scaled(pantalla, Qt::KeepAspectRatio); }, c))
            fuzz::Fallo("stopped without being cancelled");
    } catch (const ErrorLectura &) {
        return 0;
    }
    const QSize natural = TamanoNatural(c);
    if (std::uint64_t(natural.width()) * std::uint64_t(natural.height()) * 4 > modPNG::BytesMaximosPicture)
        fuzz::Fallo("a page over the limit was decoded");
    if (c.Picture.width() > std::max(pantalla.width(), natural.width())
        || c.Picture.height() > std::max(pantalla.height(), natural.height()))
        fuzz::Fallo("larger than shown");
    return 0;
}
