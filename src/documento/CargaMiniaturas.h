#pragma once
// The thumbnails of a whole document, made on the decode pool: the pages are
// read through the page source in one pass (an archive in its own order),
// decoded straight to their thumbnail size, and handed back in page order.
// Nothing is written to disk. Cancelling or destroying it returns at once:
// the walk stops by itself at its next entry.
#include "documento/Cuadrilla.h"

#include <QImage>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class FuentePaginas;

class CargaMiniaturas : public QObject {
    Q_OBJECT
public:
    struct Miniatura {
        int Pagina = 0;
        QImage Imagen;   // null: the page could not be read or decoded
        QSize Natural;   // the page's own size
    };
    // For page `pagina` of natural size `natural`, its thumbnail's size in
    // pixels; called on the workers.
    using Tamano = std::function<QSize(int pagina, QSize natural)>;

    // `paginas` is 1-based (element 0 unused). The pool must outlive this.
    CargaMiniaturas(Cuadrilla &cuadrilla, std::shared_ptr<const FuentePaginas> fuente, const QStringList &paginas,
                    Tamano tamano, QObject *parent = nullptr);
    ~CargaMiniaturas() override; // cancels; never waits
    CargaMiniaturas(const CargaMiniaturas &) = delete;
    CargaMiniaturas &operator=(const CargaMiniaturas &) = delete;

    // At once: nothing more is read, decoded or handed back.
    void Cancelar();
    // The pages ready since the last call, in page order.
    std::vector<Miniatura> Tomar();
    // Every page handed back, nothing more to come.
    bool Terminada() const;

signals:
    // There is something to take; sent once until Tomar is called.
    void Listas();

private:
    struct Estado; // shared with the jobs, which may outlive this
    Cuadrilla &cuadrilla_;
    std::shared_ptr<Estado> estado_;
};
