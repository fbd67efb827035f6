#pragma once
// The readers behind Archivo.h, one per library.
#include "archive/Archivo.h"

#include <QFile>

namespace archivo::detalle {

// Where an archive's bytes are: a file, or a block already in memory.
struct Fuente {
    QString Ruta;
    const QByteArray *Datos = nullptr; // when set, Ruta is not used
};

// Reads parts of a source: from the file on demand, or from memory.
class LectorFuente {
public:
    explicit LectorFuente(const Fuente &f);
    bool Abierto() const { return abierto_; }
    qint64 Tamano() const { return tamano_; }
    // Up to `n` bytes from `pos`; fewer at the end, none outside.
    QByteArray Leer(qint64 pos, qint64 n);

private:
    QFile archivo_;
    const QByteArray *datos_ = nullptr;
    qint64 tamano_ = 0;
    bool abierto_ = false;
};

// An entry list with what the format says about it as a whole.
struct Listado {
    std::vector<Entrada> Entradas;
    bool Solido = false;           // RAR: the archive's own flag
    bool NombresCifrados = false;
    bool Completo = false;         // read to the archive's own end
};

// One pass over an archive's entries in order (LectorEnOrden's workings).
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual bool Siguiente(const Coincide &coincide, LectorEnOrden::Leida &leida, std::uint64_t maximo) = 0;
    virtual bool Saltar(int) { return false; }
};

// ZIP, RAR 5, 7z and tar, through libarchive.
Listado ListarLibarchive(const Fuente &f, Formato formato);
std::unique_ptr<Cursor> CursorLibarchive(const Fuente &f, Formato formato, const PedirClave &pedirClave,
                                         const QString &clave);

// What the file headers of a RAR 5 archive say that libarchive does not.
struct CabecerasRar5 {
    std::vector<bool> Cifrados;    // for each file header, in order: is its data encrypted
    std::vector<TramoRar5> Tramos; // for each file header, in order: where it lies
    qint64 FinPrincipal = 0;       // where the main header's block ends; 0: not first
    bool Solido = false;
    bool NombresCifrados = false;
    // An entry unpacked with the dictionary before it declares a larger
    // window than any before it: no real archive does, and libarchive (3.6)
    // then reads freed memory, so the archive is neither listed nor read. (An
    // archive made of one entry read where it lies cannot be so.)
    bool VentanaCreciente = false;
};
CabecerasRar5 LeerCabecerasRar5(const Fuente &f);
// The one regular entry of the RAR 5 archive `bytes`, whole; false when it
// does not come out so.
bool LeerUnicaRar5(const QByteArray &bytes, QByteArray &datos);

// What the header of a 7z archive says that libarchive does not.
struct Resumen7z {
    struct Archivo {
        int Bloque = -1;         // -1: no data (an empty file, a folder)
        bool Cifrado = false;
    };
    bool Leido = false;          // Archivos holds every file, in header order
    bool NombresCifrados = false;
    // The header claims sizes or counts past any real archive: it is not
    // handed to libarchive, which would reserve memory for them.
    bool Desmedido = false;
    std::vector<Archivo> Archivos;
};
Resumen7z LeerResumen7z(const Fuente &f);

// RAR 4 and older: our own header walk for the listing, unarr for the data.
Listado ListarRar4(const Fuente &f);
std::unique_ptr<Cursor> CursorRar4(const Fuente &f);

} // namespace archivo::detalle
