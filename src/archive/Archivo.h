#pragma once
// Format-independent archive access: list the entries of a RAR or ZIP file in
// archive order and read the data of the entries that carry a given name.
// The format is chosen by the file's signature, never by its extension.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace archivo {

enum class Formato { Ninguno, Rar4, Rar5, Zip };

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
};

Formato FormatoDe(const QString &ruta);
Formato FormatoDeDatos(const QByteArray &datos);

// Empty when the file is missing, not an archive, or its headers are unreadable
// from the first one; a damaged header later ends the list there.
std::vector<Entrada> ListarEntradas(const QString &ruta);

// The same, with what tells an empty archive from a damaged one.
struct Listado {
    Formato Tipo = Formato::Ninguno;
    std::vector<Entrada> Entradas;
    bool Completo = false;          // read to the archive's own end
    bool CabecerasCifradas = false; // a RAR whose names are encrypted: nothing can be listed
};
Listado ListarArchivo(const QString &ruta);
// The same for an archive already in memory.
std::vector<Entrada> ListarEntradasDatos(const QByteArray &datos);

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
// name `coincide` accepts, in archive order. Damaged, undecryptable and
// oversized entries (over `maximo` bytes: a process with less memory asks
// for less) are skipped; links and devices never give data. `cancelar` set
// stops the walk at the next entry.
Lectura LeerEntradas(const QString &ruta, const Coincide &coincide, const Recibir &recibir,
                     const PedirClave &pedirClave = {}, const QString &clave = {},
                     const std::atomic<bool> *cancelar = nullptr, std::uint64_t maximo = TamanoMaximoEntrada);
Lectura LeerEntradasDatos(const QByteArray &datos, const Coincide &coincide,
                          const Recibir &recibir, const PedirClave &pedirClave = {},
                          const QString &clave = {});

// DOS packed date and time (local time) of a Unix time stamp.
std::uint32_t FechaDosDe(std::int64_t segundosUnix);

} // namespace archivo
