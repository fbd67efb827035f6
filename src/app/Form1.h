#pragma once
// The main window: paints the view, places the on-screen controls and turns
// Qt's events into commands: keys through the key table, the mouse, the
// wheel and the bar by name. The document, the view and the commands live in
// their own objects, which it owns.
#include "documento/Documento.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"

#include <QLabel>
#include <QPixmap>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

class QMimeData;
class Navegador;

enum class IconoBarra { Primera, Anterior, Siguiente, Ultima, Cerrar };

class Form1 : public QWidget, public Pantalla {
    Q_OBJECT
public:
    static QPixmap Icono(IconoBarra clase, int lado, qreal escala);
    // `lineaComandos`: the document path from the command line, quoted or not.
    explicit Form1(const QString &lineaComandos = QString(), QWidget *parent = nullptr);
    ~Form1() override;

    Documento &Doc() { return *documento_; }
    EstadoVista &Vista() { return *vista_; }
    Comandos &Ordenes() { return *comandos_; }

    // What the other windows call on the main window. A key (a Qt key and
    // the shift mask) as if released here, through the key table.
    void Form_KeyUp(int tecla, int mayusculas) { comandos_->Form_KeyUp(tecla, mayusculas); }
    void TecladesdeInfo(int tecla, int mayusculas) { comandos_->TecladesdeInfo(tecla, mayusculas); }
    void Ejecutar(const QString &comando) { comandos_->Ejecutar(comando); }
    void AbrirArchivo(const QString &ruta, bool mostrar) { comandos_->AbrirArchivo(ruta, mostrar); }
    // A document from outside (dropped, or handed over by a later start):
    // opened in its turn, after any command running (a modal window's), and
    // the window brought to the front.
    void AbrirEntregado(const QString &ruta);
    bool bAbrirMarcador(const QString &ruta, int pagina) { return comandos_->bAbrirMarcador(ruta, pagina); }
    void MostrarMensaje(const QString &texto) { vista_->MostrarMensaje(texto); }
    void DibujaForm() { vista_->DibujaForm(); }
    void AplicaEfecto() { vista_->AplicaEfecto(); }
    QString sCambiarIdioma() { return comandos_->sCambiarIdioma(); }
    void TraduceForm();

    // Pantalla: what the dispatcher asks of the window.
    QWidget *Dueno() override { return this; }
    bool NumeroPaginaVisible() const override { return !LBPag->isHidden(); }
    bool BarraEnPantalla() const override { return PBBarra->isVisible(); }
    bool CajaPaginaAbierta() const override;
    void MuestraControles(bool mostrar) override;
    QImage ImagenPantalla() const override { return superficie_; }

    const QImage &Superficie() const { return superficie_; }
    void tmrInfo_Timer();
    void tmrMovH_Timer();

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
    Navegador *PBRef = nullptr;
    QWidget *LBBarra[12] = {};
    QWidget *imCerrarBarra = nullptr;
    QWidget *TB = nullptr;          // the page-number box
    QLabel *PBH[2] = {};            // the two screens of a swipe's slide
    int DireccionMovH = 1;
    bool deslizPendiente_ = false;  // a swipe's new screen waits for its page
    bool bArrastrando = false;      // a page drag is under way
    bool bDesplazando = false;      // a press on a fitting page: maybe a swipe
    std::int32_t XPulsado = 0;
    std::int32_t AgarreX = 0;
    std::int32_t AgarreY = 0;
    class MouseWheel *MouseWheel1 = nullptr;
    int SegundosInfo = 0;
    QTimer tmrInfo;
    QTimer tmrMovH;

protected:
    bool event(QEvent *event) override;
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
    void Conectar();
    void Empezar();
    void ColocarControles();
    void CrearBarra();
    void TraduceBarra();
    void MostrarMensajeEnPantalla(const QString &texto);
    void ColocarMensaje();
    void MostrarNumeroPagina(int pagina, bool nueva);
    void MostrarMarcador();
    void MostrarAbriendo(bool abriendo);
    void AplicarBarra();
    void TerminarArrastre();
    void Deslizar(std::int32_t x);
    void EntrarDeslizada();
    void AbrirCajaPagina();
    bool TeclaEnCaja(QKeyEvent *event);
    void CerrarCajaPagina();
    void PrepararSuperficie();
    void Pintar(const ControlImagen &c, bool borrar);
    void PintarVista(bool dosPaginas);
    QColor Fondo() const;

    std::unique_ptr<Documento> documento_;
    std::unique_ptr<EstadoVista> vista_;
    std::unique_ptr<Comandos> comandos_;
    QSet<int> TeclasPulsadas;    // keys whose press this window received
    QImage superficie_;          // the window's persistent surface, device pixels
    QString LineaComandos;
    QString MensajeCompleto;     // the message as given, before it is fitted to the window
    bool bInicioHecho = false;
    bool bMensajeFijo = false;   // the message stays until the next input
};
