#pragma once
// Where a document's pages come from: a RAR, ZIP, 7z or tar archive, a PDF
// or a folder of pictures, behind one interface. The only way the bytes of a page
// are read, and the one place that lists a document's pages: the viewer, the
// mini pages, the covers and the thumbnailer all go through it, so they see
// the same pages. A password given for the document is kept here, in memory
// only, for as long as the source lives.
#include "archive/Archivo.h"
#include "archive/ComicInfo.h"
#include "documento/Paginas.h"
#include "imaging/ControlImagen.h"
#include "shell/ErrorLectura.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class FuentePaginas {
public:
    // The page bytes a solid RAR, 7z or tar source keeps from its pass:
    // half the decoded pages' budget, packed pages being far smaller.
    static constexpr std::size_t PresupuestoPasada = 80u * 1024 * 1024;

    // The source for a document path: a folder's pictures, else chosen by
    // the upper-cased extension. `presupuesto`: the bytes a pass may keep.
    static std::shared_ptr<FuentePaginas> Para(const QString &ruta, const QString &extMayusculas,
                                               std::size_t presupuesto = PresupuestoPasada);
    // An archive read as what its content is, RAR, ZIP, 7z or tar, whatever its name
    // says (the collection's covers); null for anything else.
    static std::shared_ptr<FuentePaginas> ParaContenido(const QString &ruta);

    virtual ~FuentePaginas() = default;
    FuentePaginas(const FuentePaginas &) = delete;
    FuentePaginas &operator=(const FuentePaginas &) = delete;

    struct Listado {
        QStringList Paginas;       // in page order, without the unused element 0
        Motivo Razon = Motivo::Ninguno; // why there is no page: no file, not an archive, ...
        bool SinEntradas = false;  // an archive with no entry at all
        int Inicial = 1;           // the page the document opens at
        QString Carpeta;           // the folder the document path names
        archivo::InfoComic Info;   // what its ComicInfo.xml says
        int Portada = 1;           // the cover: the page marked FrontCover, else the first
    };
    // Reads the entries or the folder, by the one rule for pages. Called
    // once, before the source is shared with other threads.
    virtual Listado Listar() = 0;

    // The page's bytes, the last of the entries of its name. Ninguno
    // when they came out whole. Safe from any thread.
    virtual Motivo Leer(const QString &nombre, QByteArray &datos) const = 0;

    // The page as the picture loaders take it: its bytes, or what draws it.
    Motivo LeerOrigen(const QString &nombre, OrigenPicture &origen) const;
    // What a loader needs beside a page's bytes (a PDF page's document).
    virtual void Anotar(OrigenPicture &) const {}

    // Pages `nombres` read in one pass in the archive's own order (a solid
    // archive is unpacked once, not once per page): `recibir(i, datos)` for
    // each name i whose bytes came out, as Leer would give them. A set
    // `cancelar` stops the walk at the next entry. Safe from any thread.
    using Recibir = std::function<void(int indice, const QByteArray &datos)>;
    virtual void LeerVarias(const QStringList &nombres, const Recibir &recibir,
                            const std::atomic<bool> *cancelar) const;

    // Work later pages will need, done ahead on a worker of the pool: a
    // solid archive's pass, keeping the pages it unpacks within the budget.
    // Returns when there is no more room, at the end, or once `detener` is
    // set (a later call goes on from there). Safe from any thread.
    virtual void Adelantar(const std::atomic<bool> &detener) const { (void)detener; }

    // How many times the archive was opened to read pages (tests and the
    // benchmark).
    int Aperturas() const { return aperturas_; }

    // The password the pages behind one are read with from now on.
    void PonerClave(const QString &clave);

    paginas::ClaseDocumento Clase() const { return clase_; }
    const QString &Ruta() const { return ruta_; }
    bool EsComprimido() const { return clase_ != paginas::ClaseDocumento::Imagenes; }

protected:
    FuentePaginas(QString ruta, paginas::ClaseDocumento clase) : ruta_(std::move(ruta)), clase_(clase) {}
    QString Clave() const;
    void ContarApertura() const { ++aperturas_; }

private:
    mutable std::atomic<int> aperturas_{0};
    QString ruta_;
    paginas::ClaseDocumento clase_;
    mutable std::mutex m_;
    QString clave_;
};

// The comic archives of a folder, for the next and previous comic.
QStringList ComicsDeCarpeta(const QString &carpeta);
