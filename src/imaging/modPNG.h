#pragma once
// Picture loading: PNG through CargarImagen, everything else through the
// standard loader. The caller chooses by the file's extension.
#include "imaging/ControlImagen.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace modPNG {

// Pictures whose decoded pixels would exceed this are refused.
inline constexpr std::uint64_t BytesMaximosPicture = 1024ull * 1024 * 1024;

// PNG drawn over white; at the target's pixel size when it stretches.
// Throws ErrorImagen 999 "GDI+ Module"; the target is untouched then.
void CargarImagen(const QString &ruta, ControlImagen &destino);

// BMP, DIB, JPEG, GIF (first frame), ICO, WMF, WebP, as they are.
// Throws ErrorImagen 481 "Invalid picture"; the target is untouched then.
void CargarPicture(const QString &ruta, ControlImagen &destino);

// Whether a name's extension is "PNG" in any case: the loader over white.
bool EsPng(const QString &ruta);

// The loader the extension asks for: "PNG" in any case goes to CargarImagen.
void CargarSegunExtension(const QString &ruta, ControlImagen &destino);

// A page from its encoded bytes, as the loader its name's extension chooses
// would give it; a bitmap shown smaller than it is comes reduced to exactly
// `tamanoMostrado(natural size)` (pixels), with Natural and Origen set. False
// when `cancelar` stopped it; errors as the loaders above.
bool CargarPagina(const std::shared_ptr<const OrigenPicture> &origen,
                  const std::function<QSize(QSize)> &tamanoMostrado, ControlImagen &destino,
                  const std::atomic<bool> *cancelar = nullptr);

// A reduced picture decoded whole again (zoom, turns, mirrors, effects and
// saving need every pixel). False when that failed; the holder keeps its
// reduced picture then.
bool Completar(ControlImagen &c);

} // namespace modPNG
