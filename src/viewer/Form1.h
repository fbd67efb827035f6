#pragma once
// The main window: the whole viewer. Holds the view state and the on-screen
// controls; the rules it applies live in plain functions beside it.
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

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

    // Documents and bookmarks.
    bool AbrirArchivo(const QString &ruta);
    bool bAbrirMarcador(const QString &ruta, std::int16_t pagina);
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

private:
    void AbrirDocumentoInicial();
    void ColocarControles();

    QString LineaComandos;
    bool bInicioHecho = false;
};
