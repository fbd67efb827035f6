#pragma once
// The open document, shared by every window: what is open, its pages and
// where they come from, the page pipeline, the bookmarks and the collection
// root. No widgets.
#include "documento/ArchivoMarcadores.h"
#include "documento/Cuadrilla.h"
#include "documento/FuentePaginas.h"
#include "documento/MemoriaComics.h"
#include "documento/PreparadorPaginas.h"
#include "documento/SeriesComics.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// A document listed and not yet open: its page source and its pages, or why
// it has none. Documento::Adoptar makes it the open document.
struct Candidato {
    QString Ruta;       // as it was asked for
    QString LeerComo;   // the kind it was read as, when not its own
    std::shared_ptr<FuentePaginas> Fuente;
    FuentePaginas::Listado Listado;
    bool DerechaAIzquierda = false; // its ComicInfo.xml says: manga, read right to left
    bool Abrible() const { return Fuente && Listado.Razon == Motivo::Ninguno; }
    ErrorLectura Por() const { return {Listado.Razon, Ruta}; }
};

class Documento : public QObject {
    Q_OBJECT
public:
    explicit Documento(std::size_t presupuesto = PreparadorPaginas::PresupuestoPorDefecto);
    ~Documento() override;

    QString RutaActual;     // the document; for a picture, its folder
    QString NombreActual;   // its name
    QString ExtActual;      // extension of the opened path, upper case
    bool EsComprimido = false;
    bool MangaDerechaAIzquierda = false; // the open comic's ComicInfo.xml asks for right to left
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
        int Inicial = 1;            // the page to show first
        Motivo Razon = Motivo::Ninguno; // why it has no page
    };
    // Lists `ruta` on the calling thread, any thread: a picture stands for
    // its whole folder, and so does a folder. `leerComo`: an extension whose
    // kind of document to read it as instead of its own (an archive
    // misnamed and not renamed).
    // `clave`: the password an encrypted PDF is opened with.
    static Candidato Listar(const QString &ruta, const QString &leerComo = {}, const QString &clave = {});
    // The same as a job of the decode pool, at the highest priority:
    // ListadoHecho follows on this object's thread. A new request drops the
    // one before (its listing is never delivered); one for the document
    // listed ahead (Adelantar) takes that listing.
    void PedirListado(const QString &ruta, const QString &leerComo = {}, const QString &clave = {});
    // Makes a listed candidate the open document. One without pages changes
    // nothing: the open document, its pages and its source stay as they
    // were, and the answer says why.
    Apertura Adoptar(const Candidato &c);
    // Lists `ruta` here and adopts it: one without pages leaves the open
    // document as it was.
    Apertura Abrir(const QString &ruta, const QString &leerComo = {}, const QString &clave = {});
    // The document the program starts on, listed now and its first page
    // given to the workers (as `pedido` lays it out) while the window is
    // still being built. Nothing of it shows until it is asked for
    // (PedirListado or Abrir) for the same path read as its own kind.
    void Adelantar(const QString &ruta, const std::function<PedidoPagina(int)> &pedido);

    // What the open comic's ComicInfo.xml says (Leida false: nothing), and
    // its cover page.
    const archivo::InfoComic &Info() const { return info_; }
    int PaginaPortada() const { return portada_; }

    // The open document's page source; null before the first opening.
    std::shared_ptr<const FuentePaginas> Fuente() const { return fuente_; }
    PreparadorPaginas &Preparador() { return preparador_; }
    Cuadrilla &Obreros() { return cuadrilla_; }
    // The password the open document's pages are read with from now on,
    // kept in memory while it is open.
    void PonerClave(const QString &clave);

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
    // What each comic was left with, read on first use.
    MemoriaComics &Memoria();
    // The series of each comic, for lists of comics; shared with the jobs
    // that read them.
    std::shared_ptr<SeriesComics> Series();

signals:
    void Abierto();
    void ListadoHecho(const Candidato &c);

private:
    Apertura Tomar(const Candidato &c);
    // The start's document, when it is the one asked for; dropped either way.
    std::optional<Candidato> TomarAdelanto(const QString &ruta, const QString &leerComo, const QString &clave);
    int OlvidarListados(); // drops what is on its way; the new request's number

    std::optional<Candidato> adelanto_;
    std::unique_ptr<MemoriaComics> memoria_;
    std::shared_ptr<SeriesComics> series_;
    std::shared_ptr<FuentePaginas> fuente_;
    archivo::InfoComic info_;
    int portada_ = 1;
    std::shared_ptr<Buzon> buzon_;
    Cuadrilla cuadrilla_;
    PreparadorPaginas preparador_;
    Cuadrilla::Ficha listado_;
    int listados_ = 0;
};

// The extension a comic named `ext` ("CBR", "CBZ", "CB7", "CBT") should
// have by its content: "cbz", "cbr", "cb7", "cbt", or "" when it matches or
// is none of them.
QString ExtensionSegunContenido(const QString &ruta, const QString &ext);
