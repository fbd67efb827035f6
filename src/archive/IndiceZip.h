#pragma once
// A ZIP archive whose central directory is read once and which stays open,
// so that reading an entry is one positioned read and its inflation: no new
// opening and no walk over the other entries for every page (in a comic of
// 300 pages that walk cost more than inflating the page). It reads only what
// it is sure of: stored and deflated entries, not encrypted, not ZIP64.
// Anything else is left to the general reader.
#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <mutex>

namespace archivo {

class IndiceZip {
public:
    // Null when `ruta` is no ZIP it can index, or when the names it finds
    // for the regular entries are not exactly `regulares` (the general
    // reader's names for them, in any order): entries are then known by the
    // same names either way.
    static std::unique_ptr<IndiceZip> Abrir(const QString &ruta, const QStringList &regulares);

    struct Clave { explicit Clave() = default; }; // made by Abrir only
    explicit IndiceZip(Clave) {}

    enum class Resultado {
        Bien,
        NoEsta,
        Otro,   // there, but not one it reads: ask the general reader
        Rota,   // its data does not come out whole or fails its CRC
    };
    // Safe from any thread. Same-named entries: the last in the file wins.
    Resultado Leer(const QString &nombre, QByteArray &datos) const;

private:
    struct Entrada {
        std::uint64_t Cabecera = 0;    // offset of its local header
        std::uint64_t Comprimido = 0;
        std::uint64_t Tamano = 0;
        std::uint32_t Crc = 0;
        std::uint16_t Metodo = 0;
        bool Legible = false;          // stored or deflated, not encrypted
    };
    bool LeerBytes(std::uint64_t desde, std::uint64_t cuantos, QByteArray &bytes) const;
    bool Inflar(std::uint64_t desde, std::uint64_t comprimido, QByteArray &datos) const;

    QHash<QString, Entrada> entradas_;
    mutable QFile archivo_;
    mutable std::mutex m_;   // one positioned read at a time
};

} // namespace archivo
