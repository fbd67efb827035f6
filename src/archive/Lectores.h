#pragma once
// The readers behind Archivo.h, one per library.
#include "archive/Archivo.h"

#include <QFile>

namespace archivo::detalle {

// Where an archive's bytes are: a file, or a block already in memory.
struct Fuente {
    QString Ruta;
    const QByteArray *Datos = nullptr; // when set, Ruta is not used
    std::uint64_t Maximo = TamanoMaximoEntrada; // the largest entry read
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

// ZIP and RAR 5, through libarchive. `completo`, when given, tells whether
// the listing reached the archive's own end.
std::vector<Entrada> ListarLibarchive(const Fuente &f, Formato formato, bool *completo = nullptr);
Lectura LeerLibarchive(const Fuente &f, Formato formato, const Coincide &coincide,
                       const Recibir &recibir, const PedirClave &pedirClave,
                       const QString &clave, const std::atomic<bool> *cancelar = nullptr);

// For each file header of a RAR 5 archive, in order: is its data encrypted.
std::vector<bool> CifradosRar5(const Fuente &f);
// Whether a RAR 5 archive encrypts its headers (its names too).
bool CabecerasCifradasRar5(const Fuente &f);

// RAR 4 and older: our own header walk for the listing, unarr for the data.
// `cifradas`: the archive encrypts its headers.
std::vector<Entrada> ListarRar4(const Fuente &f, bool *completo = nullptr, bool *cifradas = nullptr);
Lectura LeerRar4(const Fuente &f, const Coincide &coincide, const Recibir &recibir,
                 const std::atomic<bool> *cancelar = nullptr);

} // namespace archivo::detalle
