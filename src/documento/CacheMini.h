#pragma once
// The thumbnail cache of a document: in our temporary folder, a picture of
// the finished grid (base + ".jpg") and a text file (base + ".tvl"): the key
// of the document as it was when the grid was made, then one line per page
// with the rectangle of its frame in twips. Lines end in CR LF.
#include "imaging/Diseno.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <optional>
#include <vector>

class Documento;

namespace cacheMini {

inline constexpr int CalidadJpeg = 85;

// The base path: the temporary folder, "x" and the document's name (an
// archive's file name, a folder's path) in lower case, without separators
// and drive colons.
QString RutaCacheMini(const Documento &d);

// What tells a changed document: for an archive its last-write time; for a
// folder the latest last-write time among the folder and its pages, and the
// number of pages (a folder changes without any one file telling it). Then
// the document's full path: same-named comics in other folders, and folders
// whose paths give the same base, share the files but never the grid.
QString ClaveCacheMini(const Documento &d);

// A time as the key writes it: local date and time, to the second.
QString TextoFechaHora(const QDateTime &t);

// The text file's content.
QByteArray TextoIndice(const QString &clave, const std::vector<diseno::Rect> &fichas);
// The frames, when the first line is `clave` and exactly `paginas` lines of
// four whole numbers follow.
std::optional<std::vector<diseno::Rect>> LeerIndice(const QByteArray &texto, const QString &clave, int paginas);

struct Cache {
    QImage Imagen;
    std::vector<diseno::Rect> Fichas;
};
// The cached grid of `base`, when both files are there, the key matches and
// there is a frame for every page.
std::optional<Cache> LeerCache(const QString &base, const QString &clave, int paginas);
// Writes the picture (JPEG) and then the text file, each to a new file
// renamed over the old one. The old text file goes first, so a failure
// never pairs a new key with an old picture. False when anything failed.
bool EscribirCache(const QString &base, const QString &clave, const std::vector<diseno::Rect> &fichas,
                   const QImage &imagen);

} // namespace cacheMini
