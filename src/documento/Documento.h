#pragma once
// The open document, shared by every window: what is open, its pages and
// where they come from, the page pipeline, the bookmarks and the collection
// root. No widgets.
#include "documento/ArchivoMarcadores.h"
#include "documento/FuentePaginas.h"
#include "documento/PreparadorPaginas.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Documento : public QObject {
    Q_OBJECT
public:
    explicit Documento(std::size_t presupuesto = PreparadorPaginas::PresupuestoPorDefecto);
    ~Documento() override;

    QString RutaActual;     // the document; for a picture, its folder
    QString NombreActual;   // its name
    QString ExtActual;      // extension of the opened path, upper case
    bool EsComprimido = false;
    QStringList Paginas{QString()}; // 1-based; element 0 holds no page
    QList<RegistroMarcador> Marcadores{RegistroMarcador{}}; // element 0: the resume record
    QString RutaColeccion;  // collection root folder
    QStringList FileList;   // the comics beside an archive, or the pictures of the folder
    QString CarpetaFileList;

    int NumeroPaginas() const { return int(Paginas.size()) - 1; }
    bool HayDocumento() const { return Paginas.size() > 1; }
    bool EsPagina(int pagina) const { return pagina >= 1 && pagina < Paginas.size(); }
    // The page `paso` away from `pagina`, wrapping at both ends.
    int PaginaVecina(int pagina, int paso) const;

    struct Apertura {
        bool SinEntradas = false;   // an archive without a single entry
        int Inicial = 1;   // the page to show first
    };
    // Makes `ruta` the open document and lists its pages (a picture stands
    // for its whole folder, and so does a folder). Without pages, Paginas
    // holds element 0 alone. `leerComo`: an extension whose kind of document
    // to read it as instead of its own (an archive misnamed and not renamed).
    Apertura Abrir(const QString &ruta, const QString &leerComo = {});
    // The document the program starts on, listed now and its first page
    // given to the workers (as `pedido` lays it out) while the window is
    // still being built. Nothing of it shows until Abrir takes it over,
    // which it does for the same path read as its own kind.
    void Adelantar(const QString &ruta, const std::function<PedidoPagina(int)> &pedido);

    // The open document's page source; null before the first opening.
    const FuentePaginas *Fuente() const { return fuente_.get(); }
    PreparadorPaginas &Preparador() { return preparador_; }
    // The page written into `carpeta` for the paths that cannot read it in
    // memory (a password to ask); false when no file came out.
    bool ExtraerPagina(const QString &nombre, const QString &carpeta,
                       const archivo::PedirClave &pedirClave) const;

    // The comic `paso` places away in the folder, wrapping; "" when there is none.
    QString ComicVecino(int paso) const;

    // Bookmarks: paths are compared without regard to case, and the first
    // record of a path is its bookmark.
    int BuscarMarcador(const QString &ruta) const; // index, or -1
    QString MarcadorDe(const QString &ruta) const;
    void PonerMarcador(const QString &ruta, const QString &pagina);
    void QuitarMarcador(const QString &ruta); // kept with an empty page until saved
    void CargarMarcadores();
    bool GuardarMarcadores() const;

signals:
    void Abierto();

private:
    struct Adelanto {
        QString Ruta;
        std::shared_ptr<FuentePaginas> Fuente;
        FuentePaginas::Listado Listado;
    };
    std::optional<Adelanto> adelanto_;
    std::shared_ptr<FuentePaginas> fuente_;
    PreparadorPaginas preparador_;
};

// The extension an archive named `ext` ("CBR" or "CBZ") should have by its
// content: "cbz", "cbr", or "" when it matches or is neither.
QString ExtensionSegunContenido(const QString &ruta, const QString &ext);

// Removes the folder a page was extracted into, only when it lies strictly
// inside our temporary folder and is empty.
void BorrarCarpetaPagina(const QString &rutaPagina);
