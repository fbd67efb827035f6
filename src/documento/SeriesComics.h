#pragma once
// The series and number each comic's ComicInfo.xml gives, as a list of
// comics shows them beside the names. Read through the comic's page source,
// kept per file (its path, size and last-write time) for the session and in
// "series.tvm" in the program's folder for the next one. Safe from any
// thread: the decode pool reads, the window only shows.
#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <mutex>
#include <optional>

namespace series {

// What tells a comic changed since its series was read.
struct Huella {
    std::int64_t Tamano = -1;
    std::int64_t Fecha = 0; // last write, ms since the epoch
    bool operator==(const Huella &) const = default;
};

struct Conocida {
    Huella Del;
    QString Serie; // "" for a comic that says none
    bool operator==(const Conocida &) const = default;
};
using Tabla = QHash<QString, Conocida>; // by full path

inline constexpr int Limite = 200000; // comics the file keeps

// The file's text and back: one comic a line, path, size, time and series
// separated by tabs. Lines that do not read are left out; a path or series
// that would break its line is not written.
Tabla Leer(const QByteArray &datos);
QByteArray Escribir(const Tabla &tabla);

// The series and number of the comic at `ruta` as its own ComicInfo.xml
// says; "" when it has none, or it is no archive.
QString LeerDeComic(const QString &ruta);

} // namespace series

class SeriesComics {
public:
    explicit SeriesComics(QString ruta) : ruta_(std::move(ruta)) {}
    // "series.tvm" in the program's folder.
    static QString RutaPorDefecto();

    // The comic's series as it is on disk now, read from it when it is not
    // known or changed since; "" when it gives none or is not there.
    QString De(const QString &ruta);
    // Written to a new file renamed over the old when anything was learnt;
    // false (and nothing lost) when it cannot be.
    bool Guardar();

private:
    void Cargar(); // with the lock held
    const QString ruta_;
    std::mutex m_;
    bool leida_ = false;
    bool cambiada_ = false;
    series::Tabla tabla_;
};
