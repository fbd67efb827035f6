#pragma once
// What the tests, the benchmarks and the sample comic are built from: ZIP
// archives through libarchive, stored RAR 4 and RAR 5 archives written by hand (for
// cases the real fixtures lack), plain pages, and archives, pictures and
// PDFs made by the real tools tools/setup-debian.sh installs (7z, GNU tar,
// bsdtar, avifenc, cjxl, qpdf).
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cstdint>

#include <vector>

namespace constructores {

struct EntradaNueva {
    enum Tipo { Archivo, Carpeta, Enlace };
    QString Nombre;
    QByteArray Datos;   // for links: the target
    Tipo tipo = Archivo;
};

// `cifrado` is "" (none), "zipcrypt", "aes128" or "aes256". Written beside
// `ruta` and renamed over it, so a reader never sees half an archive.
bool EscribirZip(const QString &ruta, const std::vector<EntradaNueva> &entradas,
                 const QString &cifrado = {}, const QString &clave = {}, bool comprimir = true);

// Names are stored as UTF-8 bytes from a Unix host, with "\" between folders as
// RAR 4 does.
bool EscribirRar4(const QString &ruta, const std::vector<EntradaNueva> &entradas);

// A stored RAR 5 archive written by hand: files and folders (no links), each
// with its time and, unless `sinCrc` (as when RAR hashes with BLAKE2
// instead), its CRC32; `solido` sets the archive's solid flag (stored entries
// themselves take nothing from the ones before). Written beside `ruta` and
// renamed over it.
QByteArray Rar5Guardado(const std::vector<EntradaNueva> &entradas, bool solido = false, bool sinCrc = false);
bool EscribirRar5(const QString &ruta, const std::vector<EntradaNueva> &entradas, bool solido = false,
                  bool sinCrc = false);

// Pieces of a stored RAR 4 archive for hostile cases: the signature and main
// header, then file blocks whose 64-bit sizes may lie about the data after them.
QByteArray InicioRar4();
QByteArray BloqueRar4(const QByteArray &nombre, const QByteArray &datos, std::uint64_t empaquetado,
                      std::uint64_t desempaquetado);

// A stored ZIP written byte by byte, for what no archiver writes: the
// offsets of its parts let a test make its headers disagree or lie.
// `descriptores`: each entry's CRC and sizes follow its data, as streaming
// writers put them, and its local header has zeros there.
struct ZipCrudo {
    QByteArray Bytes;
    std::vector<qsizetype> Locales;   // each entry's local header
    std::vector<qsizetype> Centrales; // each entry's central header
    qsizetype Fin = 0;                // the end record
};
ZipCrudo ZipGuardado(const std::vector<EntradaNueva> &entradas, bool descriptores = false);

// `v` little-endian over `bytes` bytes of `b` at `pos`.
void PonerLE(QByteArray &b, qsizetype pos, std::uint32_t v, int bytes);

// A 1 x 1 PNG with one more chunk after its header: `tipo` carrying
// `cuerpo`, declaring `declarado` bytes when given (and then no CRC).
QByteArray PngConTrozo(const char *tipo, const QByteArray &cuerpo, std::int64_t declarado = -1);
// A valid black-and-white PNG, tiny on disk, `ancho` x `alto` once decoded:
// its top `blancas` rows white, the rest black.
QByteArray PngMonocromo(std::uint32_t ancho, std::uint32_t alto, std::uint32_t blancas = 0, bool entrelazado = false);

// A page of one colour, encoded ("JPG", "PNG", ...); page n of PaginaNumero
// has hue n * 50.
QByteArray PaginaDeColor(const QColor &color, QSize tamano, const char *formato = "JPG");
QByteArray PaginaNumero(int n, QSize tamano, const char *formato = "JPG");

// Archives made by the tools, from the entries written into a scratch
// folder first (folders and links included): `7z a` with `opciones` (such as
// "-ms=off", "-pclave", "-mhe=on"), or `programa` ("tar" or "bsdtar") with
// `-cf` and `opciones` (such as "--format=v7"). False when the tool failed.
bool Escribir7z(const QString &ruta, const std::vector<EntradaNueva> &entradas, const QStringList &opciones = {});
bool EscribirTar(const QString &ruta, const std::vector<EntradaNueva> &entradas, const QString &programa = "tar",
                 const QStringList &opciones = {});

// A picture, or an animation of several frames, encoded by avifenc with
// `opciones` (lossless by default; "--irot 1" turns it) or by cjxl (a JPEG
// XL animation from an animated GIF; lossless unless `perdida`). Empty when
// the tool failed.
QByteArray CodificarAvif(const std::vector<QImage> &cuadros, const QStringList &opciones = {"-l"});
QByteArray CodificarJxl(const std::vector<QImage> &cuadros, bool perdida = false);

// Animations of one frame a picture: a GIF through giflib and a WebP whose
// frames are Qt's own WebP pictures.
QByteArray GifAnimado(const std::vector<QImage> &cuadros);
QByteArray WebpAnimado(const std::vector<QImage> &cuadros);

// A PDF of one page a colour (its left half in another, when given), each
// of its own size in points, written by QPdfWriter; with `clave`, then
// encrypted by qpdf (AES-256, that password for the user and the owner).
struct PaginaPdf {
    QSizeF Puntos;
    QColor Color;
    QColor Izquierda = {};
};
bool EscribirPdf(const QString &ruta, const std::vector<PaginaPdf> &paginas, const QString &clave = {});

} // namespace constructores
