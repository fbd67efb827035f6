#pragma once
// Archives written by the tests: ZIP through libarchive, and stored RAR 4
// archives written by hand, for cases the real fixtures lack.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace prueba {

struct EntradaNueva {
    enum Tipo { Archivo, Carpeta, Enlace };
    QString Nombre;
    QByteArray Datos;   // for links: the target
    Tipo tipo = Archivo;
};

// `cifrado` is "" (none), "zipcrypt", "aes128" or "aes256".
bool EscribirZip(const QString &ruta, const std::vector<EntradaNueva> &entradas,
                 const QString &cifrado = {}, const QString &clave = {});

// Names are stored as UTF-8 bytes from a Unix host, with "\" between folders as
// RAR 4 does.
bool EscribirRar4(const QString &ruta, const std::vector<EntradaNueva> &entradas);

// Pieces of a stored RAR 4 archive for hostile cases: the signature and main
// header, then file blocks whose 64-bit sizes may lie about the data after them.
QByteArray InicioRar4();
QByteArray BloqueRar4(const QByteArray &nombre, const QByteArray &datos, std::uint64_t empaquetado,
                      std::uint64_t desempaquetado);

// Folder of the shared archive fixtures; empty when this checkout has none.
QString CarpetaFixtures();

} // namespace prueba
