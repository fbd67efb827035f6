#pragma once
// The command dispatcher: every key, bar button, wheel step, timer tick and
// key forwarded by a tool window ends in Form_KeyUp, which looks the key up in
// one table. Each row says which shift state it takes, what it does and, by
// its flags, which closing steps follow it. Tool windows add the rows that
// open them.
#include "documento/Documento.h"
#include "viewer/EstadoVista.h"
#include "viewer/Teclas.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QWidget;

// What the dispatcher asks of the window that shows the view.
class Pantalla {
public:
    virtual ~Pantalla() = default;
    virtual QWidget *Dueno() = 0;                 // parent of dialogs and tool windows
    virtual bool NumeroPaginaVisible() const = 0; // the page label is on screen
    virtual bool BarraEnPantalla() const = 0;
    virtual void MuestraControles(bool mostrar) = 0;
    // Exactly what the window shows now, background included, at device pixels.
    virtual QImage ImagenPantalla() const = 0;
};

class Comandos : public QObject {
    Q_OBJECT
public:
    enum Bandera : unsigned {
        Puerta = 1u << 0,             // also without a document
        PasaPagina = 1u << 1,         // continuous mode is stacked again after it
        RehaceReferencia = 1u << 2,   // the navigator is remade, hidden
        MuestraReferencia = 1u << 3,  // the navigator is shown
        ReiniciaReloj = 1u << 4,      // ... for a fresh stretch of the message timer
        ConservaPartes = 1u << 5,     // move by parts keeps its offsets
        MensajeLargo = 1u << 6,       // its message stays five seconds
    };
    enum class Mayus { Igual, Sin, Con }; // the shift state a row takes

    struct Ejecucion {
        int Mayusculas = 0;        // the shift mask as received
        bool Shift = false;        // any modifier at all
        QString Mensaje;           // shown by the closing steps
        bool SinCierre = false;    // skip the closing steps
        bool ContinuoTrasModo = false; // a new mode 1-5 goes under continuous mode
    };
    struct Comando {
        int Tecla = 0;
        Mayus Regla = Mayus::Igual;
        unsigned Banderas = 0;
        std::function<void(Ejecucion &)> Accion;
    };

    // `pantalla` may be null (a view without a window): the wheel then
    // always acts and nothing is shown.
    Comandos(Documento &documento, EstadoVista &vista, Pantalla *pantalla, QObject *parent = nullptr);
    ~Comandos() override;

    // A later row for the same key and shift rule replaces the earlier one.
    void Registrar(Comando c);

    void Form_KeyUp(int codigoTecla, int mayusculas);
    // Keys sent by tool windows: plain or with Shift only.
    void TecladesdeInfo(int codigoTecla, int mayusculas);
    // One wheel notch (down = true), by the display mode.
    void RuedaMovida(bool abajo);

    // Documents. An empty path asks with the open dialog.
    void AbrirArchivo(const QString &ruta, bool mostrar);
    bool bAbrirMarcador(const QString &ruta, int pagina);
    bool AbrirUltimo(bool anunciar);
    void SiguienteComic(int paso);
    // The command line's document, else the last one at its page.
    void AbrirDocumentoInicial(const QString &lineaComandos);
    // The document a command line names: unquoted, absolute when it exists.
    static QString RutaDeLinea(const QString &lineaComandos);

    void AgregarMarcador();
    void QuitarMarcador();
    void IrAlMarcador();
    void OcultarMarcador();

    QString sCambiarIdioma();
    QString CambiaOSD(int modo);
    void CambiaIntervalo();
    void MostrarMensaje(const QString &texto) { vista_.MostrarMensaje(texto); }

    void LeerConfiguracion();
    bool GuardarConfiguracion() const;
    // Writes the settings and the bookmarks and ends the process.
    void Salir();
    void tmrPaseFotos_Timer() { Form_KeyUp(teclas::VK_SPACE, 0); }
    // How the process ends after Salir; tests replace it.
    static std::function<void()> &FinDelProceso();

    Documento &Doc() { return doc_; }
    EstadoVista &Vista() { return vista_; }
    QWidget *Dueno() const;
    QImage ImagenPantalla() const;

    QTimer tmrPaseFotos;
    QString Marcador; // the open document's bookmark page, as its label shows it

signals:
    void InformacionPedida();
    void IdiomaCambiado();
    void Abriendo(bool abriendo);
    void MarcadorCambiado();

private:
    void RegistrarBasicos();
    void Cerrar(unsigned banderas, const Ejecucion &e, bool eraContinuo);
    void RepararExtension(const QString &extension);
    // Opening, with the kind of document to read it as (empty: by its name).
    void AbrirComo(const QString &ruta, bool mostrar, const QString &leerComo);
    void MostrarMarcador(const QString &pagina);

    Documento &doc_;
    EstadoVista &vista_;
    Pantalla *pantalla_;
    std::vector<Comando> tabla_;
    bool bReparando = false;
    bool bPaginaIlegible = false; // the page bAbrirMarcador showed could not be read
};
