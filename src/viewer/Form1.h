#pragma once
// The main window: the whole viewer. Holds the view state and the on-screen
// controls; the rules it applies live in plain functions beside it.
#include "imaging/ControlImagen.h"
#include "viewer/Diseno.h"

#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

class QMimeData;

class Form1 : public QWidget {
    Q_OBJECT
public:
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
    void SiguienteComic(int paso);
    void CargarMarcadores();
    void GuardarMarcadores();

    // Commands and messages.
    void Form_KeyUp(int codigoTecla, int mayusculas);
    void MostrarMensaje(const QString &texto);
    void tmrInfo_Timer();

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
    void ActualizaReferencia();
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
    QLabel *LBAbriendo = nullptr;
    QWidget *PBBarra = nullptr;
    QWidget *PBZ = nullptr;
    QLabel *PBRef = nullptr;
    QTimer tmrInfo;

signals:
    // The information window is due (nothing to open at start).
    void InformacionPedida();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *objeto, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void AbrirDocumentoInicial();
    void ColocarControles();
    void RepararExtension(const QString &extension);
    void OcultarMarcador();
    QString ArchivoSoltado(const QMimeData *datos) const;
    void PrepararSuperficie();
    void RehacerDiseno();
    void Pintar(const ControlImagen &c, bool borrar);

    bool bReparando = false;
    QImage superficie_;          // the window's persistent surface, device pixels
    QString LineaComandos;
    bool bInicioHecho = false;
};
