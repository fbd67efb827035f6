#pragma once
// The collection browser: every comic of the collection folder and of its
// immediate sub-folders with its read state, the front page and facts of the
// selected one, a directory filter, and a selection strip of front pages to
// drag onto the main window. The read states live in "tvlcol.tvl".
#include "collection/Coleccion.h"
#include "collection/Portada.h"
#include "documento/Cuadrilla.h"
#include "shell/VentanaHerramienta.h"

#include <QImage>
#include <QLabel>
#include <QList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class MouseWheel;
class QFrame;
class QListWidget;
class QMimeData;
class QToolButton;
class ucListado;

// A front page that can be dragged: the box of the selected comic and the
// pages of the selection strip.
class PortadaArrastrable : public QWidget {
public:
    explicit PortadaArrastrable(QWidget *padre);
    void PonerImagen(const QImage &imagen); // drawn over the whole widget
    const QImage &Imagen() const { return imagen_; }

    QString Tag; // the comic's path
    int TopTwips = 0; // its place in the selection strip
    std::function<void(PortadaArrastrable *)> AlArrastrar;

protected:
    void paintEvent(QPaintEvent *evento) override;
    void mousePressEvent(QMouseEvent *evento) override;
    void mouseMoveEvent(QMouseEvent *evento) override;

private:
    QImage imagen_;
    QPoint inicio_;
    bool pulsado_ = false;
};

// The surface of the selection strip: takes the front page box's drops.
class SuperficieSeleccion : public QWidget {
public:
    explicit SuperficieSeleccion(QWidget *padre);
    std::function<bool(QObject *origen)> Acepta;
    std::function<void(QObject *origen)> AlSoltar;
    bool Vacia = true;

protected:
    void paintEvent(QPaintEvent *evento) override;
    void dragEnterEvent(QDragEnterEvent *evento) override;
    void dragMoveEvent(QDragMoveEvent *evento) override;
    void dropEvent(QDropEvent *evento) override;
};

// A path that keeps its start and its end when it does not fit.
class EtiquetaRuta : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *evento) override;
};

class Documento;

class FormColeccion : public VentanaHerramienta {
    Q_OBJECT
public:
    // Opens a comic in the main window (a double click, or a front page
    // dropped on it); called after this window has saved and closed.
    using AbrirComicEnVisor = std::function<void(const QString &ruta)>;

    // The collection folder is the document's RutaColeccion; an empty one
    // asks for it first. Show it through modComDlg::MostrarModal.
    FormColeccion(QWidget *dueno, Documento &documento, AbrirComicEnVisor abrirComic);
    ~FormColeccion() override;

    // What a dragged front page carries: the comic as a local-file URL, and
    // its path under this format, so a receiver can tell the browser's drag.
    static constexpr const char *FormatoArrastre = "application/x-tavelo-coleccion";
    static QMimeData *DatosArrastre(const QString &ruta);

    // Public operations.
    // The front page is read and decoded on the decode pool; the one shown
    // stays until it is ready.
    void AbrirPortada(const QString &ruta);
    bool PortadaPendiente() const { return !portadaPedida_.isEmpty(); }
    void OrdenaPrefe();
    void CierraFormColeccion();

    // The rest of what the window does, reachable for the tests.
    void ElegirRaiz();
    void ListarComics();
    void LlenarFiltro();
    void FiltrarCarpeta(int linea);
    void SeleccionCambiada();
    // The series of the comics on screen whose series is not known yet, read
    // on the decode pool; the rows show them as they come.
    void PedirSeries();
    void AbrirComic();
    void EstadoCambiado();
    void AbrirControl();
    bool AgregarSeleccion(QObject *origen);
    bool GuardarColeccion();
    void AbrirCarpetaRaiz();
    void MostrarFiltro();
    // How a drag of `ruta` ended: `destino` took it with `resultado`, the
    // pointer being at `cursor` (screen). A drop on the main window opens it.
    void TerminarArrastre(const QString &ruta, Qt::DropAction resultado, QObject *destino,
                          QPoint cursor);

    QList<coleccion::ItemComic> EstadosColeccion;
    QList<coleccion::ItemComic> ListaComics;
    QString RaizColeccion;
    int IndicePrefe = -1;

    // Twips: the side of the square the front page fits in, and the strip's
    // first top and the band each strip page shows above the next.
    static constexpr int LadoPortada = 3300;
    static constexpr int ArribaPrefe = 60;
    static constexpr int BandaPrefe = 200;

    QToolButton *ImAbrir = nullptr;
    QToolButton *ImControl = nullptr;
    EtiquetaRuta *LBRoot = nullptr;
    QListWidget *LstDir = nullptr;
    ucListado *ucListado1 = nullptr;
    QLabel *LBVacio = nullptr;
    QFrame *FrPB = nullptr;
    PortadaArrastrable *PB = nullptr;
    QFrame *FrInfo = nullptr;
    std::array<QLabel *, 6> LBInfo{};
    QLabel *LBSeleccion = nullptr;
    SuperficieSeleccion *PBLista = nullptr;
    QList<PortadaArrastrable *> PBPrefe;
    MouseWheel *MouseWheel1 = nullptr;

public slots:
    void done(int resultado) override;

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void mouseMoveEvent(QMouseEvent *evento) override;
    void resizeEvent(QResizeEvent *evento) override;

private:
    void PonerTextos();
    void LeerEstados();
    void VaciarPortada();
    void MostrarPortada(const QString &ruta, const std::optional<portada::Portada> &p);
    void MostrarVacio();
    void ColocarPortada();
    void ColocarPrefe();
    void Arrastrar(PortadaArrastrable *origen);
    bool EsPrefe(const QString &ruta) const;
    void AbrirEnVisor(const QString &ruta);
    void PonerSerie(int lista, int item, const QString &serie);

    Documento &doc_;
    AbrirComicEnVisor abrirComic_;
    bool estadosLeidos_ = false;
    bool estadosIlegibles_ = false; // a file we could not read is never replaced
    std::shared_ptr<Buzon> buzon_;
    Cuadrilla::Ficha portada_;
    QString portadaPedida_;          // the comic whose front page is on its way
    Cuadrilla::Ficha series_;
    int listas_ = 0;                 // lists shown so far: a series for an older one is dropped
    std::vector<bool> seriesLeidas_; // by item of the list
};

class Comandos;

// F5 opens the browser when there is a collection folder (and asks for the
// folder when there is none); a comic chosen there opens in the viewer.
void RegistrarColeccion(Comandos &comandos);
