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
    // Null when `ruta` is no ZIP it can index, when the names it finds for
    // the regular entries are not exactly `regulares` (the general reader's
    // names for them, in any order), or when any entry's local header does
    // not carry its central name and method: the general reader, which goes
    // by the local headers, then reads the whole document, so that every
    // page is the same picture whoever reads it.
    static std::unique_ptr<IndiceZip> Abrir(const QString &ruta, const QStringList &regulares);
    // The same over an archive in memory, which must outlive the index.
    static std::unique_ptr<IndiceZip> AbrirDatos(const QByteArray &datos, const QStringList &regulares);

    // No comic's central directory comes near this (65,535 entries with
    // names of 300 bytes); a larger one is left to the general reader.
    static constexpr std::uint64_t DirectorioMaximo = 32ull * 1024 * 1024;

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
        std::uint64_t Datos = 0;       // offset of its data, after the local header
        std::uint64_t Comprimido = 0;
        std::uint64_t Tamano = 0;
        std::uint32_t Crc = 0;
        std::uint16_t Metodo = 0;
        bool Legible = false;          // stored or deflated, not encrypted
    };
    static std::unique_ptr<IndiceZip> Indexar(std::unique_ptr<IndiceZip> indice, const QStringList &regulares);
    bool LeerBytes(std::uint64_t desde, std::uint64_t cuantos, QByteArray &bytes) const;
    bool Inflar(std::uint64_t desde, std::uint64_t comprimido, QByteArray &datos) const;

    QHash<QString, Entrada> entradas_;
    std::uint64_t tamano_ = 0;
    QByteArray datos_;       // an archive in memory; else the file
    mutable QFile archivo_;
    mutable std::mutex m_;   // one positioned read at a time
};

} // namespace archivo
