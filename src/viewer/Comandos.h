#pragma once
// The commands by name. Each has one handler and, by its flags, the closing
// steps that follow it. Keys reach a command through the key table; the
// mouse, the bar, the wheel, the timers, the help and the tool windows name
// it. A command never runs inside another: whatever arrives while one runs
// (a tick, a document handed over, a key) waits its turn and runs after it.
// Tool windows add the commands that open them.
#include "documento/Documento.h"
#include "viewer/EstadoVista.h"
#include "viewer/Teclas.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

// What the dispatcher asks of the window that shows the view.
class Pantalla {
public:
    virtual ~Pantalla() = default;
    virtual QWidget *Dueno() = 0;                 // parent of dialogs and tool windows
    virtual bool NumeroPaginaVisible() const = 0; // the page label is on screen
    virtual bool BarraEnPantalla() const = 0;
    virtual bool CajaPaginaAbierta() const = 0;   // the page-number box takes the keys
    virtual void MuestraControles(bool mostrar) = 0;
    // Exactly what the window shows now, background included, at device pixels.
    virtual QImage ImagenPantalla() const = 0;
};

class Comandos : public QObject {
    Q_OBJECT
public:
    enum Bandera : unsigned {
        Puerta = 1u << 0,             // also without a document
        RehaceReferencia = 1u << 1,   // the navigator is remade, hidden
        MuestraReferencia = 1u << 2,  // the navigator is shown
        ReiniciaReloj = 1u << 3,      // ... for a fresh stretch of the message timer
        ConservaPartes = 1u << 4,     // move by parts keeps its offsets
        MensajeLargo = 1u << 5,       // its message stays five seconds
    };

    struct Ejecucion {
        QString Mensaje;               // shown by the closing steps
        bool SinCierre = false;        // skip the closing steps
        bool ContinuoTrasModo = false; // a new mode 1-5 goes under continuous mode
        QString Despues;               // a command to run right after, before what waits
    };
    struct Comando {
        QString Nombre;
        unsigned Banderas = 0;
        std::function<void(Ejecucion &)> Accion;
    };
    // Who asks: the window's inputs, timers and hand-overs wait their turn;
    // a tool window that a running command holds open acts at once, as part
    // of that command (the previews turn the page behind them).
    enum class Origen { Entrada, Ventana };

    // `pantalla` may be null (a view without a window): the wheel then
    // always acts and nothing is shown.
    Comandos(Documento &documento, EstadoVista &vista, Pantalla *pantalla, QObject *parent = nullptr);
    ~Comandos() override;

    // A later command of the same name replaces the earlier one.
    void Registrar(Comando c);
    // The name as registered, whatever its case; empty when there is none.
    QString NombreDe(const QString &nombre) const;

    // Runs the command named. An empty or unknown name does nothing but the
    // closing steps, as a key without a command does.
    void Ejecutar(const QString &nombre, Origen origen = Origen::Entrada);
    // Anything else that would run a command (a document handed over):
    // at once when nothing runs, else after what runs and what waits.
    void EnTurno(std::function<void()> trabajo);
    bool EnCurso() const { return enCurso_; }

    // A key released on the main window, through the key table; ignored
    // while the page-number box is open.
    void Form_KeyUp(int tecla, int mayusculas);
    // A key a tool window passes on: plain or with Shift only.
    void TecladesdeInfo(int tecla, int mayusculas);
    static bool SePasa(int mayusculas) { return mayusculas == 0 || mayusculas == teclas::ShiftMask; }
    // The command of a key, the user's keys included.
    QString ComandoDeTecla(const teclas::Tecla &tecla) const { return teclas_.Comando(tecla); }
    const teclas::TablaTeclas &Teclas() const { return teclas_; }
    // What a wheel notch does now: the command it stands for, or empty when
    // it has scrolled the page itself.
    QString PasoRueda(bool abajo);

    // Documents, listed by the pool: the window reacts when the listing
    // comes, and input meanwhile waits for it. An empty path asks with the
    // open dialog.
    using Despues = std::function<void(bool)>; // given whether it opened, or its page could be read
    void AbrirArchivo(const QString &ruta, bool mostrar);
    // False when the path is not there; `luego` follows once the page is asked for.
    bool bAbrirMarcador(const QString &ruta, int pagina, Despues luego = {});
    bool AbrirUltimo(bool anunciar);
    bool AbriendoDocumento() const { return apertura_.has_value(); }
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

    // The settings, the user's keys among them.
    void LeerConfiguracion();
    bool GuardarConfiguracion() const;
    // The user's keys left out, said once (at start).
    void AvisarTeclas();
    // Writes the settings and the bookmarks and ends the process.
    void Salir();
    // One page forward; a tick that finds another waiting is not kept.
    void tmrPaseFotos_Timer();
    // How the process ends after Salir; tests replace it.
    static std::function<void()> &FinDelProceso();

    Documento &Doc() { return doc_; }
    EstadoVista &Vista() { return vista_; }
    QWidget *Dueno() const;
    QImage ImagenPantalla() const;

    QTimer tmrPaseFotos;
    QString Marcador;
    // [Config]: pairs by shape for comics not yet known; keep each comic's page.
    bool bEmparejarPorDefecto = false;
    bool bRecordarPagina = false;
    // The open comic's direction, pairing and (when kept) page, into the memory.
    void RecordarComic(); // the open document's bookmark page, as its label shows it

signals:
    void InformacionPedida();
    void IdiomaCambiado();
    void Abriendo(bool abriendo);
    void MarcadorCambiado();

private:
    void RegistrarBasicos();
    static bool EsPaso(const QString &nombre); // a page turn: coalesced while a page comes
    void Soltar();                             // runs the commands held for the page
    bool SinPagina(const QString &nombre) const; // works without a document, so without a page
    void Correr(const QString &nombre);
    void Cerrar(unsigned banderas, const Ejecucion &e);
    // A CBR or CBZ that is the other kind, renamed and opened; false when it
    // is neither.
    bool RepararExtension(const QString &ruta, const QString &extension, const Despues &luego);
    // Opening, with the kind of document to read it as (empty: by its name);
    // `luego` is told false when it failed and the open document stayed as
    // it was. A repair is not repaired again.
    void AbrirComo(const QString &ruta, bool mostrar, const QString &leerComo, Despues luego = {},
                   bool reparacion = false);
    void Listado(const Candidato &c); // the rest of an opening, once listed
    struct Apertura {
        QString Ruta, LeerComo;
        bool Mostrar = true;
        bool Reparacion = false;
        Despues Luego;
    };
    std::optional<Apertura> apertura_; // the document on its way
    void MostrarMarcador(const QString &pagina);
    // The comic just opened takes what it was left with; the page to show
    // and the message that says so, when there is one.
    QString AplicarRecuerdo(int &pagina);
    RecuerdoComic Clave() const; // the open comic's name and size
    bool bElegidaDireccion = false; // the reader switched the open comic's direction

    Documento &doc_;
    EstadoVista &vista_;
    Pantalla *pantalla_;
    std::vector<Comando> tabla_;
    teclas::TablaTeclas teclas_;
    std::vector<teclas::Rechazo> rechazadas_; // the user's keys left out
    std::deque<std::function<void()>> espera_;
    std::deque<QString> retenidos_; // input that waits for the page on its way
    bool enCurso_ = false;
    bool pasoEsperando_ = false; // a tick of the automatic show waits for the page
    bool pasoEnCola_ = false;    // ... and then its turn
};
