#pragma once
// AVIF and JPEG XL pages, known by their signature and decoded whole with
// libavif and libjxl: neither decodes at a smaller scale, so a page shown
// smaller is reduced after decoding. The size the file declares is checked
// against the picture limit before any decoding; a larger page is refused.
// A JPEG XL page stops between its groups when the plazo runs out or is
// cancelled; an AVIF page between its container, its AV1 frame and its
// colour conversion (the AV1 decoder takes no callback). Animations give
// their first frame. Safe on any thread.
#include "imaging/Plazo.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>

namespace decodificadorAvifJxl {

enum class Formato { Ninguno, Avif, Jxl };

// By the signature: an ISO media file whose brands name AVIF, or a JPEG XL
// codestream or container.
Formato FormatoDe(const QByteArray &datos);

enum class Resultado {
    Hecho,
    Otro,       // neither AVIF nor JPEG XL
    Error,      // damaged, over `bytesMaximos` (4 bytes a pixel), or past the plazo
    Cancelado,
};

// The first picture, upright, in Format_RGB32 or, with transparency,
// Format_ARGB32_Premultiplied.
Resultado Decodificar(const QByteArray &datos, std::uint64_t bytesMaximos, const Plazo &plazo, QImage &imagen);

} // namespace decodificadorAvifJxl
