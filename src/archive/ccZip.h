#pragma once
// ZIP archives (.cbz, .zip): one object per archive lists the entry names once
// and extracts single entries on demand.
#include "archive/Archivo.h"

#include <QString>
#include <QStringList>

namespace ModZIP {

// Result codes of Decompress, as the unzip library numbers them.
enum : int {
    ZipBien = 0,
    ZipSinCarpeta = 1,
    ZipError = 2,       // the entry is damaged or could not be decrypted
    ZipNoEsZip = 9,
    ZipNoEncontrada = 11,
    ZipDisco = 50,      // the file could not be written
};

} // namespace ModZIP

class ccZip {
public:
    void Init(const QString &archivo);
    int Count() const;
    QString GetFile(int i) const;          // 1-based; "" outside 1..Count
    // The names of the entries that give data, as the archive reader has
    // them (before GetFile's code-page turn).
    const QStringList &Regulares() const { return regulares_; }
    // `pedirClave` is asked once, when an encrypted entry needs a password.
    int Decompress(const QString &carpeta, const QString &entrada,
                   const archivo::PedirClave &pedirClave = {}) const;
    const QString &Name() const { return ruta_; }

private:
    QString ruta_;
    QStringList nombres_;
    QStringList regulares_;
};
