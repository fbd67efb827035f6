#pragma once
// The main window: the whole viewer. Holds the view state and the on-screen
// controls; the rules it applies live in plain functions beside it.
#include "imaging/ControlImagen.h"
#include "imaging/Diseno.h"

#include <QLabel>
#include <QPixmap>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QMimeData;
class PreparadorPaginas;
struct PedidoPagina;

enum class IconoBarra { Primera, Anterior, Siguiente, Ultima, Cerrar };

class Form1 : public QWidget {
    Q_OBJECT
public:
    static QPixmap Icono(IconoBarra clase, int lado, qreal escala);
    // `lineaComandos`: the document path from the command line, quoted or not.
    explicit Form1(const QString &lineaComandos = QString(), QWidget *parent = nullptr);
    ~Form1() override;

    // How the process ends after Salir; tests replace it.
    static std::function<void()> &FinDelProceso();

    // Start-up, settings and exit.
    void LeerConfiguracion();
    void GuardarConfiguracion();
    void IdiomaDelSistema();
    void TraduceForm();
    QString sCambiarIdioma();
    bool AbrirUltimo(bool anunciar);
    void Salir();
    void BorrarCarpetaPagina();

    // Documents and pages. An empty path asks with the open dialog.
    void AbrirArchivo(const QString &ruta, bool mostrar);
    void VerImagen(std::int16_t pagina);
    bool bAbrirMarcador(const QString &ruta, std::int16_t pagina);
    // Makes page `pagina` available and loads it into `destino`; false (with
    // the target untouched) when it cannot be extracted or decoded.
    bool CargarPaginaEn(std::int16_t pagina, ControlImagen &destino);
    // Where pages are read, decoded and kept ahead of the reader.
    PreparadorPaginas &Preparador() { return *preparador_; }
    void SiguienteComic(int paso);
    void CargarMarcadores();
    void GuardarMarcadores();
    void AgregarMarcador();
    void QuitarMarcador();
    void IrAlMarcador();
    void ListaDeMarcadores();

    // Commands and messages: every command is a key through Form_KeyUp.
    void Form_KeyUp(int codigoTecla, int mayusculas);
    void TecladesdeInfo(int codigoTecla, int mayusculas);
    void MostrarMensaje(const QString &texto);
    QString CambiaOSD(int modo);
    void MuestraControles(bool mostrar);
    void CambiaIntervalo();
    void tmrInfo_Timer();
    void tmrPaseFotos_Timer();
    void tmrDinamico_Timer();
    void tmrMovH_Timer();
    // One wheel notch (down = true); the mouse handlers complete it.
    void RuedaMovida(bool abajo);

    // View state.
    std::int16_t PaginaActual = 1;
    std::int16_t ModoAjuste = 1;
    std::int16_t ModoAnterior = 1;
    bool bAvanzando = true;
    bool BarraVisible = false;
    QString RutaPagina;
    bool PaginaCargada = true;
    ControlImagen Imagen;
    // Not a stretching holder: a PNG second page keeps its own size, not the
    // size of the page shown there before.
    ControlImagen Imagen2;
    bool bAvanzandoAntes = true;
    diseno::Partes Partes;   // DesplazParteX, DesplazParteY, bPartesAbajo

    // Layout and drawing.
    void DibujaForm();
    void DibujaDosPaginas();
    void AplicaEfecto();
    void AplicaLayout(int modo);   // the layout a page load applies for `modo` (1 to 7)
    void VerDosPaginas(std::int16_t pagina);
    void ActivaContinuo();
    void AplicaZoom(int paso);
    int PorcentajeZoom() const;
    void MueveParte(int direccion);
    void ReiniciaParte();
    bool SigueRaton(std::int32_t x, std::int32_t y); // false: rest (stop the timer)
    void ActualizaReferencia(bool mostrar = true);
    QString InfoPagina() const;
    diseno::Ventana Escala() const;   // the client area in twips
    const QImage &Superficie() const { return superficie_; }
    QStringList FileList;        // pictures or archives of the document's folder
    QString CarpetaFileList;
    QString UltimoMensaje;
    std::int16_t SegundosMensaje = 2;
    std::int16_t SegundosInfo = 0;
    std::int16_t ModoOSD = 1;

    // Background colour as 0x00BBGGRR.
    std::int32_t ColorFondo() const;
    void PonerColorFondo(std::int32_t bgr);

    // On-screen controls.
    QLabel *LBInfo = nullptr;
    QLabel *ImAbrir = nullptr;
    QLabel *ImCerrar = nullptr;
    QLabel *LBPag = nullptr;
    QLabel *LBMarcador = nullptr;
    QLabel *SHMarcador = nullptr;
    QLabel *LBAbriendo = nullptr;
    QWidget *PBBarra = nullptr;
    QLabel *PBZ = nullptr;
    QLabel *PBRef = nullptr;
    QWidget *LBBarra[12] = {};
    QWidget *imCerrarBarra = nullptr;
    QWidget *TB = nullptr;          // the page-number box
    QLabel *PBH[2] = {};            // the two screens of a swipe's slide
    int DireccionMovH = 1;
    bool bRuedaZoom = false;        // the wheel zooms instead of turning pages
    bool bArrastrando = false;      // a page drag is under way
    bool bDesplazando = false;      // a press on a fitting page: maybe a swipe
    std::int32_t XPulsado = 0;
    std::int32_t AgarreX = 0;
    std::int32_t AgarreY = 0;
    class MouseWheel *MouseWheel1 = nullptr;
    std::int32_t RatonX = 0;        // last pointer position, twips
    std::int32_t RatonY = 0;
    QTimer tmrInfo;
    QTimer tmrPaseFotos;
    QTimer tmrDinamico;
    QTimer tmrMovH;

signals:
    // The information window is due (nothing to open at start).
    void InformacionPedida();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *objeto, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void AbrirDocumentoInicial();
    void ColocarControles();
    void RepararExtension(const QString &extension);
    void OcultarMarcador();
    void PonerMarcador(const QString &pagina);
    void CrearBarra();
    void TraduceBarra();
    void PasarPagina(bool adelante, bool primeraOUltima);
    bool Desplazar(int codigo, int mayusculas);
    void Rotar(bool derecha);
    void Reflejar(bool vertical);
    void PasoContinuo(std::int32_t nuevoTop);
    void TerminarArrastre();
    void Deslizar(std::int32_t x);
    void AbrirCajaPagina();
    bool TeclaEnCaja(QKeyEvent *event);
    QPixmap FotoVentana() const;
    QString ArchivoSoltado(const QMimeData *datos) const;
    void PrepararSuperficie();
    void RehacerDiseno();
    void Pintar(ControlImagen &c, bool borrar);
    PedidoPagina PedidoPara(std::int16_t pagina, const ControlImagen &destino) const;
    void AnticiparVecinas(std::int16_t desde);
    bool ExtraerYCargar(const QString &nombre, ControlImagen &destino);

    bool bReparando = false;
    QSet<int> TeclasPulsadas;    // keys whose press this window received
    QImage miniatura_;           // the navigator's thumbnail, without its frame
    qint64 miniaturaDe_ = 0;
    QImage superficie_;          // the window's persistent surface, device pixels
    QString LineaComandos;
    bool bInicioHecho = false;
    std::unique_ptr<PreparadorPaginas> preparador_;
};
