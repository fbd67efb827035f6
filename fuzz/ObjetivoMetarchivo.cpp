// The metafile player alone, over any bytes.
#include "Comun.h"

#include "imaging/ReproductorWmf.h"
#include "imaging/modPNG.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::IniciarQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t tamano)
{
    const QByteArray b = QByteArray::fromRawData(reinterpret_cast<const char *>(datos),
                                                 static_cast<qsizetype>(tamano));
    if (!ReproductorWmf::EsWmfDatos(b))
        return 0;
    const QImage imagen = ReproductorWmf::DibujarDatos(b);
    if (!imagen.isNull()
        && std::uint64_t(imagen.sizeInBytes()) > modPNG::BytesMaximosPicture) {
        std::fprintf(stderr, "metafile drawn over the picture limit\n");
        std::abort();
    }
    return 0;
}
