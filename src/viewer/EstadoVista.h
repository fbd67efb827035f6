#pragma once
// The view of the open document: which page is shown, where and how large,
// in which display mode, and the operations that change it. It holds no
// widget; the main window paints what it says and listens to its signals,
// and tool windows read and change it the same way.
#include "documento/Documento.h"
#include "imaging/ControlImagen.h"
#include "imaging/Diseno.h"
#include "viewer/Pliegos.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// A holder's natural size and its place, as the layout arithmetic takes them.
diseno::Natural NaturalDe(const ControlImagen &c);
diseno::Rect RectDe(const ControlImagen &c);
void PonerRect(ControlImagen &c, const diseno::Rect &r);

class EstadoVista : public QObject {
    Q_OBJECT
public:
    using Modo = diseno::Modo;

    explicit EstadoVista(Documento &documento, QObject *parent = nullptr);
    ~EstadoVista() override;

    Documento &Doc() { return doc_; }
    const Documento &Doc() const { return doc_; }

    // The page and the display mode.
    int PaginaActual() const { return paginaActual_; }
    Modo ModoAjuste() const { return modoAjuste_; }
    Modo ModoAnterior() const { return modoAnterior_; } // the mode under continuous mode
    bool bAvanzando() const { return bAvanzando_; }
    bool bAvanzandoAntes() const { return bAvanzandoAntes_; } // the direction the last spread was read in
    bool PaginaCargada() const { return paginaCargada_; }    // false while a page load is under way
    // The busy pointer for a document being listed, as for a page; a page
    // still on its way keeps it when the listing ends.
    void EsperarDocumento(bool esperando);
    // The holders of the page and of the second (two-page mode) or next
    // (continuous mode) page; they change only through the operations below.
    const ControlImagen &Imagen() const { return imagen_; }
    const ControlImagen &Imagen2() const { return imagen2_; }
    const diseno::Partes &Partes() const { return partes_; }
    void PonerPartesAbajo(bool abajo);

    // What the window shows around the page.
    bool BarraVisible() const { return barraVisible_; }
    void PonerBarraVisible(bool visible);
    int ModoOSD() const { return modoOSD_; } // 0 off, 1 on, 2 only under the pointer
    void PonerModoOSD(int modo);
    const QString &UltimoMensaje() const { return ultimoMensaje_; }
    int SegundosMensaje() const { return segundosMensaje_; }
    void PonerSegundosMensaje(int segundos) { segundosMensaje_ = segundos; }
    bool bRuedaZoom() const { return bRuedaZoom_; } // the wheel zooms instead of turning pages
    void PonerRuedaZoom(bool zoom);
    // Last pointer position, twips.
    std::int32_t RatonX() const { return ratonX_; }
    std::int32_t RatonY() const { return ratonY_; }
    void PonerRaton(std::int32_t x, std::int32_t y);
    QTimer tmrDinamico;

    // The window's client area in twips and its device pixels per twip.
    struct Medida {
        diseno::Ventana Ventana;
        double PixelesPorTwip = 1.0 / 15;
    };
    // A fixed area, or (from the window that shows the view) its live size.
    void PonerVentana(const diseno::Ventana &v, double pixelesPorTwip);
    void MedirCon(std::function<Medida()> medir) { medir_ = std::move(medir); }
    diseno::Ventana Escala() const { return Medir().Ventana; }
    double PixelesPorTwip() const { return Medir().PixelesPorTwip; }

    // Background colour as 0x00BBGGRR.
    std::int32_t ColorFondo() const { return colorFondo_; }
    void PonerColorFondo(std::int32_t bgr);

    // Pages.
    // How `pagina` is asked of the page pipeline when the window measures `m`.
    PedidoPagina PedidoEn(int pagina, const Medida &m) const;
    // The window painted: read-ahead held back for a first page starts.
    void PaginaPintada();
    // Every "go to page": `pagina` becomes the current page and is asked
    // for; it is shown when it comes (PaginaHecha), a spread leaving the
    // current page on its second page as a turn does, continuous mode built
    // again on the same mode under it. False when there is nothing to read;
    // a page the document does not have changes nothing.
    bool IrAPagina(int pagina);
    // The current page without showing it: a document opened to be shown
    // at a page of its own.
    void ElegirPagina(int pagina);
    void PasarPagina(bool adelante, bool primeraOUltima);
    // Page `pagina` into `destino` when it has come from the pool (or is in
    // its cache); false (target untouched) when it is not there or could
    // not be read, `fallo_` saying why. Never waits.
    bool CargarPaginaEn(int pagina, ControlImagen &destino);
    // For a tool window: `pedido` made on the pool besides the pages the
    // view awaits, `hecho` called with it once it is there (never inside
    // this call), unless `quien` has gone or another document opened.
    void PedirAparte(const PedidoPagina &pedido, QObject *quien,
                     std::function<void(const std::shared_ptr<const PaginaPreparada> &)> hecho);
    // A page that failed, with the file it is about.
    ErrorLectura FalloDePagina(int pagina, Motivo razon) const;

    // Two-page mode by the pages' shape: a double page alone, the cover
    // alone, pairs meeting at the spine; off, pages go in twos from the one
    // asked for. Each change shows the spread again.
    bool bEmparejar() const { return bEmparejar_; }
    void PonerEmparejar(bool emparejar);
    bool bDesplazado() const { return bDesplazado_; } // the pairs start one page later
    void PonerDesplazado(bool desplazado);
    // Reading right to left: the lower page of a spread on the right.
    bool bDerechaAIzquierda() const { return bDerechaAIzquierda_; }
    void PonerDerechaAIzquierda(bool rtl);
    // All three for a document about to be shown, without showing anything.
    void PonerLectura(bool emparejar, bool desplazado, bool rtl);
    // The pages of the spread on screen when paired by shape; empty otherwise.
    pliegos::Pliego PliegoEnPantalla() const;
    // What the page label says of `pagina`: "2-3" for a pair on screen.
    QString RotuloPagina(int pagina) const;

    // Display modes.
    // Modes 1 to 6: a spread on screen gives way to its first page, which
    // takes the new mode's layout (mode 6 keeps the layout until the next page).
    void CambiarModo(Modo modo);
    // Continuous mode on top of `debajo`, the page stacked again.
    void PonerContinuo(Modo debajo);
    // Continuous mode off: the mode under it, the current page from its top.
    void QuitarContinuo();
    // Two-page mode from the current page, read forwards.
    void PonerDosPaginas();

    // Layout.
    void AplicaLayout(Modo modo);   // the layout a page load applies (modes 1 to 7)
    void AplicaEfecto();            // after the picture changed
    // The effects panel works on the page's picture in place, then AplicaEfecto.
    ControlImagen &ImagenParaEfectos() { return imagen_; }
    // Leaving two-page mode: the page the spread was asked for, the one
    // left on screen, becomes the current page again (label too). The
    // caller lays it out in the new mode.
    void DejarDosPaginas();
    void ActivaContinuo();
    void RehacerDiseno();           // after the window changed size
    void AplicaZoom(int paso);
    int PorcentajeZoom() const;
    void MueveParte(int direccion);
    void ReiniciaParte();
    void OlvidarPartes();           // a new walk over the parts starts from the first
    bool SigueRaton(std::int32_t x, std::int32_t y); // false: rest (stop the timer)
    bool Desplazar(bool vertical, std::int32_t paso); // false: the page fits that way
    void PasoContinuo(std::int32_t nuevoTop);
    // One wheel notch on a page shown at 100 % or fitted to the width: down
    // the page, then to the next one.
    void RuedaEnPagina(bool abajo);
    void MoverPagina(std::int32_t left, std::int32_t top);  // a drag in modes 1 to 6 (no redraw)
    void MoverPaginas(std::int32_t left, std::int32_t top); // a drag in modes 7 and 8
    void ColocarPagina(const diseno::Rect &r);              // the page's place, drawn
    void VaciarPagina();
    // A page held at the size it was laid out at is decoded whole when it
    // is shown larger (`segunda`: the second page too).
    void Completar(bool segunda, double pixelesPorTwip);
    void Rotar(bool derecha);
    void Reflejar(bool vertical);
    QString InfoPagina() const;
    bool EsContinuo() const { return modoAjuste_ == Modo::Continuo; }
    // The mode the page is laid out by: the one under continuous mode.
    Modo ModoDePagina() const { return EsContinuo() ? modoAnterior_ : modoAjuste_; }

    void DibujaForm() { emit DibujoPedido(false); }
    void DibujaDosPaginas();
    void DibujaSegunModo();          // one page or two, by the mode
    // The navigator; `reiniciarReloj`: it stays for a fresh stretch of the message timer.
    void ActualizaReferencia(bool mostrar, bool reiniciarReloj = false)
    {
        emit ReferenciaPedida(mostrar, reiniciarReloj);
    }
    void MostrarMensaje(const QString &texto);
    void OcultarNumeroPagina() { emit PaginaMostrada(0, true); }

signals:
    void DibujoPedido(bool dosPaginas);
    // `nueva`: a page load, which also shows the page number by the OSD mode.
    void PaginaMostrada(int pagina, bool nueva);
    // A page IrAPagina asked for is on the screen, or could not be read;
    // also when continuous mode has the page it waited for.
    void PaginaHecha(int pagina, bool leida);
    void PaginaCambiada(int pagina);
    void ModoCambiado(diseno::Modo modo);
    void ReferenciaPedida(bool mostrar, bool reiniciarReloj);
    void MensajePedido(const QString &texto);
    void BarraCambiada();
    void OSDCambiado(int modo);
    void RuedaCambiada(bool zoom);
    void ColorCambiado();

private:
    // Every page shown is asked of the pool and the call ends; the screen
    // is laid out once all the pages it needs have come (`listo`), and a
    // turn meanwhile only changes the pages awaited.
    void Esperar(std::vector<PedidoPagina> pedidos, std::function<void()> listo);
    void AlLlegar(const PedidoPagina &p, const std::shared_ptr<const PaginaPreparada> &e);
    void DejarDeEsperar();
    std::shared_ptr<const PaginaPreparada> Llegada(int pagina, const ControlImagen &destino) const;
    void Componer(int pagina);             // the page asked for by IrAPagina, with its partners
    void Marcar(int pagina);               // a page load starts: read-ahead, skimming
    void Colocar(int pagina, bool leida);  // the page loaded (or not) is laid out and said
    void Apilar(Modo modo);                // the next page below the current one (continuous mode)
    void Seguir(bool subiendo);            // continuous mode: a page left or came in at the top
    // The busy pointer shows when a page keeps the reader waiting this long.
    static constexpr std::chrono::milliseconds EsperaOcupado{120};
    void ArmarOcupado(); // the busy pointer shows after EsperaOcupado unless already due
    void PonerPagina(int pagina);
    void PonerModos(Modo modo, Modo anterior);
    PedidoPagina PedidoPara(int pagina, const ControlImagen &destino) const;
    PedidoPagina PedidoPara(int pagina, const ControlImagen &destino, const Medida &m) const;
    // Pages turned closer together than this are skimmed: read further ahead.
    static constexpr std::chrono::milliseconds PausaDeHojeo{250};
    static constexpr int PaginasLectura = 3, PaginasHojeo = 6; // spreads in two-page mode
    // Read-ahead held back until a page is painted starts after this without a paint (a hidden window).
    static constexpr std::chrono::milliseconds EsperaAnticipo{250};
    void AnticiparVecinas(int pagina);
    void PonerContinua(ControlImagen &c) const; // lays out a stacked page by the mode under it
    void VerDosPaginas(int pagina);
    void ColocarPliego();                       // the two pages of a spread into their halves
    void VerPliego(int pagina);                 // the spread by shape that holds `pagina`
    std::vector<pliegos::Pliego> Pliegos() const;
    bool ImagenALaIzquierda() const;            // Imagen, not Imagen2, takes the left half
    void Espejar(diseno::Rect &r) const;        // right to left: mirrored across the window
    void AnotarTamano(int pagina, const ControlImagen &c);
    void RehacerPliego();

    Medida Medir() const { return medir_ ? medir_() : medida_; }

    Documento &doc_;
    int paginaActual_ = 1;
    Modo modoAjuste_ = Modo::Pantalla;
    Modo modoAnterior_ = Modo::Pantalla;
    bool bAvanzando_ = true;
    bool bAvanzandoAntes_ = true;
    bool paginaCargada_ = true;
    Motivo fallo_ = Motivo::Ninguno; // why the last page load failed
    std::vector<PedidoPagina> esperados_; // asked of the pool, not yet come
    std::map<int, std::shared_ptr<const PaginaPreparada>> llegadas_; // come, for the screen awaited
    std::function<void()> alListo_;
    struct Aparte {
        PedidoPagina Pedido;
        QPointer<QObject> Quien;
        std::function<void(const std::shared_ptr<const PaginaPreparada> &)> Hecho;
    };
    std::vector<Aparte> apartes_;
    void PedirAlPool();
    int rondas_ = 0;                 // of a spread by shape that learns its pages' sizes
    bool pidiendoClave_ = false;
    QTimer ocupado_;                 // the busy pointer, after a moment's wait
    bool punteroOcupado_ = false;
    bool desdeAbajo_ = false;        // the page on its way shows its bottom end first
    ControlImagen imagen_;
    // Not a stretching holder: a PNG second page keeps its own size, not the
    // size of the page shown there before.
    ControlImagen imagen2_;
    diseno::Partes partes_;
    bool barraVisible_ = false;
    int modoOSD_ = 1;
    QString ultimoMensaje_;
    int segundosMensaje_ = 2;
    bool bRuedaZoom_ = false;
    std::int32_t ratonX_ = 0;
    std::int32_t ratonY_ = 0;
    Medida medida_;
    std::function<Medida()> medir_;
    std::int32_t colorFondo_ = 0;
    std::chrono::steady_clock::time_point ultimaCarga_{};
    bool hojeando_ = false;
    bool primeraPagina_ = false;        // of a document just opened
    QTimer anticipoPendiente_;
    int paginaPendiente_ = 0;
    int paginaPliego_ = 0; // the page the last spread was asked for, held by Imagen
    bool bEmparejar_ = false;
    bool bDesplazado_ = false;
    bool bDerechaAIzquierda_ = false;
    pliegos::Pliego pliego_;      // on screen, when paired by shape
    std::vector<QSize> tamanos_;  // the pages' sizes as far as they have been read
};
