#pragma once
// Picture loading: PNG through CargarImagen, everything else through the
// standard loader. The caller chooses by the file's extension; AVIF and
// JPEG XL are known by their content under any name.
#include "imaging/ControlImagen.h"
#include "shell/ErrorLectura.h"

#include <QBuffer>
#include <QImageReader>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace modPNG {

// No decoded picture is larger than this. Over it, a picture whose reader
// scales while decoding (PNG, JPEG) comes reduced to fit, its real size in
// the holder's Natural; any other (AVIF and JPEG XL included) is refused. An eighth of the memory a
// single page may take (1 GB): a quarter turn holds four copies at once.
inline constexpr std::uint64_t BytesMaximosPicture = 128ull * 1024 * 1024;

// PNG drawn over white; at the target's pixel size when it stretches.
// Throws ErrorLectura NoDecodificable; the target is untouched then.
void CargarImagen(const QString &ruta, ControlImagen &destino);

// BMP, DIB, JPEG, GIF (first frame), ICO, WMF, WebP (first frame), AVIF,
// JPEG XL (first frame), as they are.
// Throws ErrorLectura NoDecodificable; the target is untouched then.
void CargarPicture(const QString &ruta, ControlImagen &destino);

// The formats a page may be in (Qt's name for them). Anything else a reader
// plugin could decode under a page's name (SVG, TIFF...) is refused.
bool FormatoDePagina(const QByteArray &formato);

// A reader over a page's bytes: the format from the content, camera pictures
// turned upright, Qt's allocation limit at the picture limit, and no bytes
// at all for a PNG whose chunks are over their limits (trozosPng).
struct LectorPagina {
    explicit LectorPagina(const QByteArray &datos);
    QBuffer Buffer; // before the reader, which reads from it until it goes
    QImageReader Lector;
};

// Whether a name's extension is "PNG" in any case: the loader over white.
bool EsPng(const QString &ruta);

// The loader the extension asks for: "PNG" in any case goes to CargarImagen.
void CargarSegunExtension(const QString &ruta, ControlImagen &destino);

// A page from its encoded bytes, as the loader its name's extension chooses
// would give it; a bitmap shown smaller than it is comes reduced to exactly
// `tamanoMostrado(natural size)` (pixels), with Natural and Origen set. False
// when `cancelar` stopped it; errors as the loaders above, a page that takes
// more than a few seconds included.
bool CargarPagina(const std::shared_ptr<const OrigenPicture> &origen,
                  const std::function<QSize(QSize)> &tamanoMostrado, ControlImagen &destino,
                  const std::atomic<bool> *cancelar = nullptr);

// A reduced picture decoded whole again (zoom, turns, mirrors, effects and
// saving need every pixel), or as large as memory allows, Natural still
// giving its real size then. False when that failed; the holder keeps its
// reduced picture then.
bool Completar(ControlImagen &c);

} // namespace modPNG
