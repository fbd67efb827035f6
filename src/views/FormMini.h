#pragma once
// The mini pages: every page of the document as a thumbnail in a square
// grid over a darkened copy of the screen, each with its page number under
// it, the current page framed. A double click shows that page; Escape stops
// the loading, or closes the window when nothing loads; the reload button
// (F5, F10) builds the grid again after a stop or over a cached grid. A grid
// finished from scratch is kept in the thumbnail cache when the window
// closes, and the same unchanged document shows it at once the next time.
// All places are twips.
//
// The thumbnails are made on the decode workers; this window only places
// them, in page order, as they come.
#include "imaging/Diseno.h"

#include <QDialog>
#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CargaMiniaturas;
class Comandos;
class QLabel;
class QPainter;
class QToolButton;

namespace mini {

inline constexpr std::int32_t IzquierdaPlantilla = 240; // the template frame's place
inline constexpr std::int32_t ArribaPlantilla = 360;
inline constexpr std::int32_t Hueco = 100;              // between frames
inline constexpr std::int32_t MargenCaja = 45;          // a box inside its frame
inline constexpr std::int32_t ReduccionCaja = 120;      // a box is this much smaller than its frame
inline constexpr std::int32_t MargenCerrar = 10;        // the close button from the right edge
inline constexpr std::int32_t BandaMinima = 210;        // the page number's band under the box
inline constexpr std::int32_t BandaMaxima = 300;
inline constexpr std::int32_t SobreNumero = 60;         // the band from the frame's bottom
inline constexpr std::int32_t AnchoAnillo = 75;         // the current page's frame, outside its frame

// The side S of the grid: the smallest whole number whose square is at least n.
int Lado(int n);

struct Rejilla {
    int Lado = 0;
    std::int32_t W = 0; // a frame's size
    std::int32_t H = 0;
};
// The grid of n pages in a window of that inner size; empty for n < 1.
Rejilla CalcularRejilla(int n, const diseno::Ventana &interior);

// Frame i (1 to n), row by row; right to left, each row from the right.
diseno::Rect Ficha(const Rejilla &g, int i, bool derechaAIzquierda = false);
// The band under a frame's box that holds its page number: a sixth of the
// frame, within its bounds.
std::int32_t Banda(std::int32_t altoFicha);
// A box before its page is known: 45 inside its frame, 120 smaller, and the
// band lower.
diseno::Rect CajaVacia(const diseno::Rect &ficha);
// The page number's place: the band under the box, across the frame.
diseno::Rect Numero(const diseno::Rect &ficha);
// The current page's frame: a ring around the frame, outside it, so that it
// never covers the thumbnail.
diseno::Rect Anillo(const diseno::Rect &ficha);
// The box once the page's natural size is known: an upright or square page
// keeps the box height and is centred across; a wide page is centred down
// the frame above the band, its height only ever reduced (in a box wider
// than the page it keeps the box height, stretched).
diseno::Rect Caja(const diseno::Rect &ficha, QSize natural);

// A rectangle in device pixels, as the window's frames are drawn.
QRect EnPixeles(const diseno::Rect &r, double escala);

} // namespace mini

class FormMini : public QDialog {
    Q_OBJECT
public:
    explicit FormMini(Comandos &comandos);
    ~FormMini() override;

    // The page chosen here; -1 when the window closed without a choice.
    int PaginaElegida = -1;

    bool Cancelado = false;
    bool DesdeCache = false;
    bool CargaCompleta = false;

    struct Ficha {
        diseno::Rect Rect;
        bool Visible = false;
    };
    struct Miniatura {
        diseno::Rect Rect;
        QImage Imagen;      // device pixels
        bool Visible = false;
    };
    // Element 0 of each is the template.
    std::vector<Ficha> Shficha;
    std::vector<Miniatura> PBI;
    std::vector<diseno::Rect> LBI;   // hot spots over the cached grid
    Ficha Shape1;                    // the hover frame
    QLabel *LBInfo = nullptr;
    QString EtiquetaInfo;            // LBInfo's tag: the progress of the last thumbnail
    QToolButton *ImCerrar = nullptr;
    QToolButton *ImReload = nullptr;

    // Told each time a thumbnail is placed (the benchmark times the grid by it).
    std::function<void(int pagina)> AlColocar;

    int NumeroPaginas() const;
    diseno::Ventana Interior() const;
    // The thumbnail or hot spot under (x, y) twips; 0 for none.
    int PaginaEn(std::int32_t x, std::int32_t y) const;
    const QImage &Fondo() const { return fondo_; }

    void PrepararFondo();
    void CrearMiniaturas(int n);
    void MostrarEstadoMini();
    bool CargarCacheMini();
    bool GuardarCacheMini();
    void CerrarMini();
    void RecargarMini();
    void Elegir(int pagina);

public slots:
    void reject() override; // the close button, and the window closed otherwise

protected:
    bool event(QEvent *evento) override;
    void showEvent(QShowEvent *evento) override;
    void paintEvent(QPaintEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;
    void focusInEvent(QFocusEvent *evento) override;
    void focusOutEvent(QFocusEvent *evento) override;
    void mouseMoveEvent(QMouseEvent *evento) override;
    void mouseDoubleClickEvent(QMouseEvent *evento) override;

private:
    void ColocarMiniaturas();
    void MoverSombra(const diseno::Rect *r);
    void Repintar(const diseno::Rect &r);
    double Escala() const;
    // Page i's frame, placed or from the cache; null when it has none yet.
    const diseno::Rect *FichaDe(std::size_t i) const;
    void PintarMarcas(QPainter &p, double escala) const;

    Comandos &comandos_;
    QImage fondo_;              // the darkened screen or the cached grid, device pixels
    mini::Rejilla rejilla_;
    QString clave_;             // the document's key when its grid was begun
    std::unique_ptr<CargaMiniaturas> carga_;
    bool dimensionada_ = false;
    bool cerrada_ = false;
    bool marcas_ = true;        // page numbers and the current page's frame (not in the cache)
    bool escapePulsado_ = false; // an Escape pressed here with nothing loading: it closes
};
