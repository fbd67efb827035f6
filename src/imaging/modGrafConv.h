#pragma once
// Writing pictures to files: the type the name asks for, the encoders that
// are there (Qt's image writers, and GIF through libimagequant and giflib),
// and a write beside the target renamed over it, so a failed save loses
// nothing.
#include "imaging/ControlImagen.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

class QIODevice;

namespace modGrafConv {

// Format codes of the save.
enum class Formato { Jpeg = 0, Gif = 1, Png = 2, Bmp = 3 };

// "image/jpeg", "image/gif", "image/png", "image/bmp"; "" for another code.
QString TipoMime(int formato);

// What a name without an extension gets, as the save dialog would add it.
inline constexpr char ExtensionPorDefecto[] = "bmp";

// The path with ".bmp" added when its file name has no extension.
QString RutaConExtension(const QString &ruta);

// The type a path's extension asks for, in any case: jpg and jpeg, bmp, png,
// gif; nothing for any other.
std::optional<Formato> FormatoDeRuta(const QString &ruta);

// An encoder that is there: the writer's own name (Qt's format name, or
// "giflib") and the MIME type it writes.
struct Encoder {
    QString Mime;
    QByteArray Nombre;
};

// Gathers the encoders; false when there are none (nothing can be written).
bool IniciarGDIPlus();
void TerminarGDIPlus();

// The first encoder whose MIME type matches, ignoring case.
bool BuscarEncoder(const QString &mime, Encoder &encoder);

// The picture as the opaque bitmap that is written: icons and metafiles are
// drawn over white at their natural size, a page held reduced is decoded
// whole. Null when there is no picture or it cannot be decoded whole.
QImage BitmapParaGuardar(const ControlImagen &picture);

// GIF through a palette of at most 256 colours chosen by libimagequant,
// dithered. False when the picture is null, too large for GIF, or the
// device refused the bytes.
bool EscribirGif(const QImage &imagen, QIODevice &destino);

// Writes the bitmap with the encoder into a new file beside `ruta` and
// renames it over `ruta` only when everything was written. `calidad` (0 to
// 100) is the JPEG quality. False when nothing was written.
bool Escribir(const QImage &bitmap, const QString &ruta, const Encoder &encoder, int calidad);

// The save of the GDI+ formats: the two fixed error boxes when the encoders
// cannot be gathered or none writes the format's MIME type; true when the file
// was written. `calidad` is clamped to 0 to 100.
bool GuardarConGDIPlus(const ControlImagen &picture, const QString &ruta, int calidad,
                       int formato);

// The standard picture writer: a Windows BMP, no boxes.
bool GuardarPicture(const ControlImagen &picture, const QString &ruta);

// The texts of the two fixed boxes, the same in every language.
inline constexpr char TituloErrorGdi[] = "GDI Error";
inline constexpr char TextoErrorGdi[] = "El GDI no está inicializado";
inline constexpr char TituloErrorEncoder[] = "Encoder Error";
inline constexpr char TextoErrorEncoder[] = "Konnte keinen passenden Encoder ermitteln.";

} // namespace modGrafConv
