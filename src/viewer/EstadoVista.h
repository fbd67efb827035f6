#pragma once
// The view of the open document: which page is shown, where and how large,
// in which display mode, and the operations that change it. It holds no
// widget; the main window paints what it says and listens to its signals,
// and tool windows read and change it the same way.
#include "documento/Documento.h"
#include "imaging/ControlImagen.h"
#include "imaging/Diseno.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>

// A holder's natural size and its place, as the layout arithmetic takes them.
diseno::Natural NaturalDe(const ControlImagen &c);
diseno::Rect RectDe(const ControlImagen &c);
void PonerRect(ControlImagen &c, const diseno::Rect &r);

class EstadoVista : public QObject {
    Q_OBJECT
public:
    using Modo = diseno::Modo;

    explicit EstadoVista(Documento &documento, QObject *parent = nullptr);

    Documento &Doc() { return doc_; }
    const Documento &Doc() const { return doc_; }

    // The page and the display mode.
    int PaginaActual = 1;
    Modo ModoAjuste = Modo::Pantalla;
    Modo ModoAnterior = Modo::Pantalla; // the mode under continuous mode
    bool bAvanzando = true;
    bool bAvanzandoAntes = true;        // the direction the last spread was read in
    bool PaginaCargada = true;          // false while a page load is under way
    ControlImagen Imagen;
    // Not a stretching holder: a PNG second page keeps its own size, not the
    // size of the page shown there before.
    ControlImagen Imagen2;
    diseno::Partes Partes;

    // What the window shows around the page.
    bool BarraVisible = false;
    int ModoOSD = 1;           // 0 off, 1 on, 2 only under the pointer
    QString UltimoMensaje;
    int SegundosMensaje = 2;
    bool bRuedaZoom = false;            // the wheel zooms instead of turning pages
    bool CajaPaginaAbierta = false;     // the page-number box takes the keys
    std::int32_t RatonX = 0;            // last pointer position, twips
    std::int32_t RatonY = 0;
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
    // False when the page could not be read (the loading error is shown).
    bool VerImagen(int pagina);
    // How `pagina` is asked of the page pipeline when the window measures `m`.
    PedidoPagina PedidoEn(int pagina, const Medida &m) const;
    // The window painted: read-ahead held back for a first page starts.
    void PaginaPintada();
    // Makes `pagina` the current page and shows it; the tag follows.
    void IrAPagina(int pagina);
    void PasarPagina(bool adelante, bool primeraOUltima);
    // Loads page `pagina` into `destino`; false (target untouched) when it
    // cannot be read or decoded.
    bool CargarPaginaEn(int pagina, ControlImagen &destino);
    void Etiquetar() { Imagen.Tag = QString::number(PaginaActual); }

    // Layout.
    void AplicaLayout(Modo modo);   // the layout a page load applies (modes 1 to 7)
    void AplicaEfecto();            // after the picture changed
    void VerDosPaginas(int pagina);
    // Leaving two-page mode: the page the spread was asked for, the one
    // left on screen, becomes the current page again (tag and label too).
    // The caller lays it out in the new mode.
    void DejarDosPaginas();
    void ActivaContinuo();
    void RehacerDiseno();           // after the window changed size
    void AplicaZoom(int paso);
    int PorcentajeZoom() const;
    void MueveParte(int direccion);
    void ReiniciaParte();
    bool SigueRaton(std::int32_t x, std::int32_t y); // false: rest (stop the timer)
    bool Desplazar(bool vertical, std::int32_t paso); // false: the page fits that way
    void PasoContinuo(std::int32_t nuevoTop);
    void MoverPaginas(std::int32_t left, std::int32_t top); // a drag in modes 7 and 8
    void Rotar(bool derecha);
    void Reflejar(bool vertical);
    QString InfoPagina() const;
    bool EsContinuo() const { return ModoAjuste == Modo::Continuo; }
    // The mode the page is laid out by: the one under continuous mode.
    Modo ModoDePagina() const { return EsContinuo() ? ModoAnterior : ModoAjuste; }

    void DibujaForm() { emit DibujoPedido(false); }
    void DibujaDosPaginas();
    void DibujaSegunModo();          // one page or two, by the mode
    // The navigator; `reiniciarReloj`: it stays for a fresh stretch of the message timer.
    void ActualizaReferencia(bool mostrar, bool reiniciarReloj = false)
    {
        emit ReferenciaPedida(mostrar, reiniciarReloj);
    }
    void MostrarMensaje(const QString &texto);
    void MostrarBarra() { emit BarraCambiada(); }
    void OcultarNumeroPagina() { emit PaginaMostrada(0, true); }

signals:
    void DibujoPedido(bool dosPaginas);
    // `nueva`: a page load, which also shows the page number by the OSD mode.
    void PaginaMostrada(int pagina, bool nueva);
    void ReferenciaPedida(bool mostrar, bool reiniciarReloj);
    void MensajePedido(const QString &texto);
    void BarraCambiada();
    void ColorCambiado();

private:
    PedidoPagina PedidoPara(int pagina, const ControlImagen &destino) const;
    PedidoPagina PedidoPara(int pagina, const ControlImagen &destino, const Medida &m) const;
    // Pages turned closer together than this are skimmed: read further ahead.
    static constexpr std::chrono::milliseconds PausaDeHojeo{250};
    static constexpr int PaginasLectura = 3, PaginasHojeo = 6; // spreads in two-page mode
    void AnticiparVecinas(int pagina);
    void PonerContinua(ControlImagen &c) const; // lays out a stacked page by the mode under it
    void ColocarPliego();                       // the two pages of a spread into their halves

    Medida Medir() const { return medir_ ? medir_() : medida_; }

    Documento &doc_;
    Medida medida_;
    std::function<Medida()> medir_;
    std::int32_t colorFondo_ = 0;
    std::chrono::steady_clock::time_point ultimaCarga_{};
    bool hojeando_ = false;
    bool primeraPagina_ = false;        // of a document just opened
    QTimer anticipoPendiente_;
    int paginaPendiente_ = 0;
    int paginaPliego_ = 0; // the page the last spread was asked for, held by Imagen
};
