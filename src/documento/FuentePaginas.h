#pragma once
// Where a document's pages come from: a RAR archive, a ZIP archive or a
// folder of pictures, behind one interface. This is the one place that tells
// the kinds of document apart.
#include "archive/Archivo.h"
#include "archive/ccZip.h"
#include "archive/modUnRAR.h"
#include "documento/Paginas.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class FuentePaginas {
public:
    // The source for a document path: a folder's pictures, else chosen by
    // the upper-cased extension.
    static std::unique_ptr<FuentePaginas> Para(const QString &ruta, const QString &extMayusculas);

    virtual ~FuentePaginas() = default;
    FuentePaginas(const FuentePaginas &) = delete;
    FuentePaginas &operator=(const FuentePaginas &) = delete;

    struct Listado {
        QStringList Paginas;       // in page order, without the unused element 0
        bool SinEntradas = false;  // an archive with no entry at all
        int Inicial = 1;           // the page the document opens at
        QString Carpeta;           // the folder the document path names
    };
    // Reads the entries or the folder. Not thread-safe: called once, on open.
    virtual Listado Listar() = 0;

    enum class Leida { Bien, NoEsta, NoSalio, Rota };
    // The page's bytes, as extraction would have written them. NoSalio: the
    // entry is there behind a password (one to ask). Rota: the entry is
    // there but its data is damaged (it fails its check, or cannot be
    // unpacked): extracting it would fail the same way.
    // Safe to call from any thread.
    virtual Leida Leer(const QString &nombre, QByteArray &datos) const = 0;

    // Writes the page into `carpeta`; false when no file came out.
    virtual bool Extraer(const QString &nombre, const QString &carpeta,
                         const archivo::PedirClave &pedirClave) const = 0;

    paginas::ClaseDocumento Clase() const { return clase_; }
    const QString &Ruta() const { return ruta_; }
    bool EsComprimido() const { return clase_ != paginas::ClaseDocumento::Imagenes; }

protected:
    FuentePaginas(QString ruta, paginas::ClaseDocumento clase) : ruta_(std::move(ruta)), clase_(clase) {}

private:
    QString ruta_;
    paginas::ClaseDocumento clase_;
};

// The comic archives of a folder, for the next and previous comic.
QStringList ComicsDeCarpeta(const QString &carpeta);
