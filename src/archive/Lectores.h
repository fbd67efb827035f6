#pragma once
// The readers behind Archivo.h, one per library.
#include "archive/Archivo.h"

namespace archivo::detalle {

// ZIP and RAR 5, through libarchive.
std::vector<Entrada> ListarLibarchive(const QString &ruta, Formato formato);
Lectura LeerLibarchive(const QString &ruta, Formato formato, const Coincide &coincide,
                       const Recibir &recibir, const PedirClave &pedirClave,
                       const QString &clave);

// For each file header of a RAR 5 archive, in order: is its data encrypted.
std::vector<bool> CifradosRar5(const QString &ruta);

// RAR 4 and older: our own header walk for the listing, unarr for the data.
std::vector<Entrada> ListarRar4(const QString &ruta);
Lectura LeerRar4(const QString &ruta, const Coincide &coincide, const Recibir &recibir);

} // namespace archivo::detalle
