#pragma once
// The zoom window: the whole page in miniature with `Cuadro`, the frame of
// the part the main window shows. Dragging the frame scrolls the main view;
// making it smaller or larger (Z, Shift+Z, the wheel) zooms the main view so
// that exactly the frame's part fills the screen. All sizes are twips.
#include "imaging/Diseno.h"
#include "views/VentanaModal.h"

#include <QImage>
#include <QSize>

#include <optional>

class Comandos;
class EstadoVista;
class MouseWheel;

namespace zoom {

inline constexpr std::int32_t LadoVentana = 4500;   // the miniature's long side
inline constexpr std::int32_t MargenPantalla = 300; // from the screen's top right corner
inline constexpr std::int32_t LadoMinimo = 90;      // the frame shrinks no further
inline constexpr int PasoMarco = 3;                 // one step: 2/3 or 4/3 of the frame
inline constexpr int GrosorCuadro = 3;              // pixels

// The frame in the miniature's coordinates, and whether it is shown.
struct Marco : diseno::Rect {
    bool Visible = false;
};

// Screen width / height taken to two decimals.
double Proporcion(const diseno::Ventana &principal);

// The miniature's size for a picture of that natural size: its proportions,
// with the long side LadoVentana.
diseno::Ventana TamanoVentana(QSize natural);

// The frame for the main view's `imagen` rectangle; hidden (the screen's
// proportions across the whole width) when the whole page is on screen.
Marco ActualizarMarco(const diseno::Rect &imagen, const diseno::Ventana &principal,
                      const diseno::Ventana &nav, double proporcion);

// The frame resized about its centre (dir -1 shrinks, +1 grows) and the main
// view's rectangle that shows exactly it; nothing when it may not shrink.
struct Paso {
    Marco Cuadro;
    diseno::Rect Imagen;
};
std::optional<Paso> ZoomMarco(const Marco &cuadro, int dir, int paso, const diseno::Rect &imagen,
                              const diseno::Ventana &principal, const diseno::Ventana &nav,
                              double proporcion);

// The frame centred on (x, y), kept inside the miniature; across a side it
// covers whole it does not move.
Marco MoverMarco(const Marco &cuadro, std::int32_t x, std::int32_t y, const diseno::Ventana &nav);

// The main view scrolled to the frame's place (its size kept), on the axes
// where the frame is smaller than the miniature.
diseno::Rect ImagenSegunMarco(const Marco &cuadro, const diseno::Rect &imagen, const diseno::Ventana &nav);

} // namespace zoom

class FormZoom : public VentanaModal {
    Q_OBJECT
public:
    // The main window's page must hold a picture.
    explicit FormZoom(Comandos &comandos);

    zoom::Marco Cuadro;
    QWidget *PB = nullptr;            // the miniature
    MouseWheel *MouseWheel1 = nullptr;
    bool arrastrando = false;
    double proporcion = 1.0;

    // The miniature's size, twips.
    diseno::Ventana Nav() const;
    void ActualizarMarco();
    void ZoomMarco(int dir, int paso);
    void MoverMarco(std::int32_t x, std::int32_t y);
    void MouseWheel1_WheelMove(bool abajo);

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void TeclaSoltada(QKeyEvent &evento) override;

private:
    void PintarPB();
    void RatonPB(QEvent *evento);

    EstadoVista &vista_;
    QImage miniatura_; // drawn once, device pixels
};
