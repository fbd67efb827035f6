#pragma once
// Format-independent archive access: list the entries of a RAR, ZIP, 7z or
// tar file in archive order and read the data of the entries that carry a
// given name. The format is chosen by the file's signature, never by its
// extension.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace archivo {

enum class Formato { Ninguno, Rar4, Rar5, Zip, SieteZip, Tar };

// Largest entry we are willing to unpack: far above any real page, and small
// enough that the entry and its decoded picture stay well inside memory.
inline constexpr std::uint64_t TamanoMaximoEntrada = 256ull * 1024 * 1024;

struct Entrada {
    QString Nombre;              // Unicode, "/" between folders
    std::uint64_t Tamano = 0;    // unpacked size
    std::uint64_t Empaquetado = 0;
    std::uint32_t FechaDos = 0;  // packed DOS date (high word) and time
    std::uint32_t Crc = 0;
    std::uint32_t VersionUnp = 0;
    std::uint32_t Metodo = 0;
    std::uint32_t Banderas = 0;
    std::uint32_t SistemaOrigen = 0;
    std::uint32_t Atributos = 0;
    bool Carpeta = false;
    bool Regular = false;        // only regular files ever give data
    bool Cifrada = false;        // its data is behind a password, where the format tells
    // Entries of one block are unpacked together, in archive order: reading
    // one unpacks every one before it in its block. Each regular entry is a
    // block of its own in ZIP, tar and non-solid archives; a solid RAR is
    // one block; a 7z has the blocks its header names. -1: no data.
    int Bloque = -1;
};

Formato FormatoDe(const QString &ruta);

// Only the first 512 bytes count: a tar is known by its first header's
// checksum, at offset 148 (its "ustar" mark at 257 is not always there).
Formato FormatoDeDatos(const QByteArray &datos);

// The usual extension of a comic in that format: "cbz", "cbr", "cb7",
// "cbt"; "" for none.
QString ExtensionComic(Formato formato);

// Empty when the file is missing, not an archive, or its headers are unreadable
// from the first one; a damaged header later ends the list there (a tar
// skips it and goes on with the next header it finds).
std::vector<Entrada> ListarEntradas(const QString &ruta);
// The same for an archive already in memory.
std::vector<Entrada> ListarEntradasDatos(const QByteArray &datos);

struct Descripcion {
    Formato Tipo = Formato::Ninguno;
    std::vector<Entrada> Entradas;  // as ListarEntradas gives them
    bool Solido = false;            // some block holds more than one regular entry
    bool NombresCifrados = false;   // the list itself is behind a password
    bool Completo = false;          // read to the archive's own end: empty, not damaged
    // Encrypted entries (or names) that no password opens here: only ZIP
    // entries are ever decrypted (libarchive reads no 7z AES, and RAR
    // readings take no password). Asking for one is of no use then.
    bool ClaveInutil = false;
};
Descripcion Describir(const QString &ruta);
Descripcion DescribirDatos(const QByteArray &datos);

// Asked at most once per reading, when an encrypted entry needs it; an empty
// answer means "do not decrypt".
using PedirClave = std::function<QString()>;

using Coincide = std::function<bool(const QString &nombre)>;
using Recibir = std::function<void(const QString &nombre, const QByteArray &datos)>;

struct Lectura {
    int Encontradas = 0; // regular entries whose name matched
    int Entregadas = 0;  // of those, the ones whose data came out whole
    int Cifradas = 0;    // of those, the ones behind a password
};

// Calls `recibir` with the complete, verified data of each regular entry whose
// name `coincide` accepts, in archive order, in one pass (LectorEnOrden's).
// Damaged, undecryptable and oversized entries (over `maximo` bytes: a
// process with less memory asks for less) are skipped; links and devices
// never give data. `cancelar` set stops the walk at the next entry.
Lectura LeerEntradas(const QString &ruta, const Coincide &coincide, const Recibir &recibir,
                     const PedirClave &pedirClave = {}, const QString &clave = {},
                     const std::atomic<bool> *cancelar = nullptr, std::uint64_t maximo = TamanoMaximoEntrada);
Lectura LeerEntradasDatos(const QByteArray &datos, const Coincide &coincide,
                          const Recibir &recibir, const PedirClave &pedirClave = {},
                          const QString &clave = {});

namespace detalle {
class Cursor;
struct Fuente;
}

// An archive read entry after entry in archive order, as the caller asks:
// the one pass a solid archive needs, which the caller may pause between
// entries and stop at any time. An entry the caller passes over is not
// unpacked, unless one it asks for later shares its block. After a damaged
// entry the pass goes on with the next one; the rest of a solid block
// broken that way comes as damaged, without unpacking it again. While it
// lives it holds the archive open and, in a 7z or RAR block, the unpacker's
// dictionary (tens of megabytes at the highest settings). Not thread-safe:
// one caller at a time, which may change between calls.
class LectorEnOrden {
public:
    explicit LectorEnOrden(const QString &ruta, const PedirClave &pedirClave = {}, const QString &clave = {});
    // Over an archive in memory, which must outlive the reader.
    static LectorEnOrden DeDatos(const QByteArray &datos, const PedirClave &pedirClave = {},
                                 const QString &clave = {});
    LectorEnOrden(LectorEnOrden &&) noexcept;
    LectorEnOrden &operator=(LectorEnOrden &&) noexcept;
    ~LectorEnOrden();

    bool Abierto() const { return cursor_ != nullptr; }

    struct Leida {
        int Indice = -1;        // its place in the list ListarEntradas gives
        QString Nombre;
        bool Cifrada = false;   // behind a password
        bool Entera = false;    // Datos is its complete, verified data
        QByteArray Datos;       // empty unless Entera
    };
    // The next regular entry whose name `coincide` accepts, read: Entera is
    // false when it is damaged, undecryptable or larger than `maximo`.
    // False at the end of the archive, or of the part that can be read.
    bool Siguiente(const Coincide &coincide, Leida &leida, std::uint64_t maximo = TamanoMaximoEntrada);
    // The next Siguiente looks at the entries from `indice` on, before or
    // after the current one, where the format lets the reader move there
    // without walking from the start: a non-solid RAR 4. False otherwise
    // (the reader stays where it was).
    bool Saltar(int indice);

private:
    LectorEnOrden(const detalle::Fuente &f, const PedirClave &pedirClave, const QString &clave);
    std::unique_ptr<detalle::Cursor> cursor_;
};

namespace detalle {
// Where one entry of a RAR 5 archive lies. Desde: its data, when stored as it
// is, not encrypted, whole in this volume, with its CRC32; -1 not so.
// Cabecera: its header, when it unpacks without the entries before it (a
// non-solid single volume, not encrypted); -1 not so. Fin: its data's end.
struct TramoRar5 {
    qint64 Desde = -1;
    qint64 Tamano = 0;
    std::uint32_t Crc = 0;
    qint64 Cabecera = -1;
    qint64 Fin = 0;
};
}

// The entries of a RAR 5 archive that are read where they lie, through the
// archive kept open: a stored one is one positioned read checked against its
// CRC32 (libarchive neither goes to an entry nor checks a stored one's CRC);
// any other entry of a non-solid archive is its header and data, read in one
// go behind the archive's main header and unpacked by libarchive alone.
class DirectasRar5 {
public:
    // Null when no entry can be read so, or the file headers are not the
    // `entradas` entries listed.
    static std::unique_ptr<DirectasRar5> Abrir(const QString &ruta, std::size_t entradas);

    // Otra: not this way, or it did not come out whole this way (the general
    // reader then reads it, and says what is wrong with it).
    enum class Resultado { Bien, Rota, Otra };
    // Entry `indice` of the listing. Safe from any thread.
    Resultado Leer(int indice, QByteArray &datos) const;
    bool Directa(int indice) const
    {
        return indice >= 0 && static_cast<std::size_t>(indice) < tramos_.size()
               && (tramos_[std::size_t(indice)].Desde >= 0 || tramos_[std::size_t(indice)].Cabecera >= 0);
    }

private:
    std::vector<detalle::TramoRar5> tramos_;
    QByteArray principal_; // the archive's start up to its first file header
    mutable std::mutex m_;
    mutable QFile archivo_;
};

// DOS packed date and time (local time) of a Unix time stamp.
std::uint32_t FechaDosDe(std::int64_t segundosUnix);

} // namespace archivo
