#pragma once
// What the tests, the benchmarks and the sample comic are built from: ZIP
// archives through libarchive, stored RAR 4 archives written by hand (for
// cases the real fixtures lack), and plain pages.
#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

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

// A page of one colour, encoded ("JPG", "PNG", ...); page n of PaginaNumero
// has hue n * 50.
QByteArray PaginaDeColor(const QColor &color, QSize tamano, const char *formato = "JPG");
QByteArray PaginaNumero(int n, QSize tamano, const char *formato = "JPG");

} // namespace constructores
