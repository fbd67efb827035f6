#pragma once
// A PDF document through Poppler's Qt binding: its pages, their sizes, and
// each page drawn at the pixel size the caller needs (the resolution comes
// from that size, so nothing is drawn small and enlarged).
//
// Threads: every function may be called from any thread, at the same time;
// the object must outlive the calls. Poppler may not draw from one document
// on two threads at once, so each thread drawing at that moment has a
// document of its own: one is opened beside the first when a second drawing
// starts while one runs, and is kept for the next. Two workers so draw two
// pages at once instead of waiting on each other behind a lock.
#include "imaging/Plazo.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace Poppler {
class Document;
}

namespace pdf {

// The "%PDF-" mark within the first kilobyte, where readers look for it.
bool EsPdf(const QByteArray &cabeza);
bool EsPdf(const QString &ruta);

enum class Apertura {
    Abierto,
    NecesitaClave,  // encrypted: opens with its password
    ClaveErronea,   // the password given does not open it
    Danado,         // missing, unreadable, not a PDF or without pages
};

class DocumentoPdf {
public:
    // The document at `ruta`, opened with `clave` when it is encrypted
    // (as its user or its owner password). Null when it cannot be opened;
    // `motivo` tells why.
    static std::unique_ptr<DocumentoPdf> Abrir(const QString &ruta, const QString &clave, Apertura &motivo);

    struct Clave { explicit Clave() = default; }; // made by Abrir only
    DocumentoPdf(Clave, QString ruta, QByteArray clave, std::unique_ptr<Poppler::Document> primero);
    ~DocumentoPdf();
    DocumentoPdf(const DocumentoPdf &) = delete;
    DocumentoPdf &operator=(const DocumentoPdf &) = delete;

    int Paginas() const { return int(tamanos_.size()); }
    // Page `i` (from 0) as shown, its own turn applied, in points (1/72
    // inch); empty outside the document.
    QSizeF TamanoPuntos(int i) const;

    enum class Resultado { Hecho, Error, Cancelado };
    // Page `i` drawn over white to fill exactly `tamano` pixels, stretched
    // to that shape if it is another. When that many pixels would pass the
    // picture limit (modPNG::BytesMaximosPicture), it comes at the largest
    // size of the same shape within it. Error: no such page, a page Poppler
    // cannot draw, or one that takes longer than a page may.
    Resultado Dibujar(int i, QSize tamano, const std::atomic<bool> *cancelar, QImage &imagen) const;

private:
    std::unique_ptr<Poppler::Document> Tomar() const;
    void Devolver(std::unique_ptr<Poppler::Document> d) const;

    QString ruta_;
    QByteArray clave_;
    std::vector<QSizeF> tamanos_;
    mutable std::mutex m_;
    mutable std::vector<std::unique_ptr<Poppler::Document>> libres_; // not drawing now
};

} // namespace pdf
