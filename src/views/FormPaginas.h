#pragma once
// The page previews: the previous, the current and the next page side by
// side, each as wide as its page's proportions make it, the current one
// framed. Turning pages here runs the main window's page turns, so both
// stay in step. Pages come decoded at the previews' size from
// memory, never through the temporary folder.
#include "imaging/ControlImagen.h"
#include "imaging/Diseno.h"
#include "viewer/Teclas.h"
#include "views/VentanaModal.h"

#include <QSize>

class Comandos;
class QFrame;
class QLabel;

namespace previas {

// Design values, twips.
inline constexpr std::int32_t Margen = 120;        // left, right and top of the boxes
inline constexpr std::int32_t AltoCaja = 2055;
inline constexpr std::int32_t AnchoCaja = 1695;    // a page without a size
inline constexpr std::int32_t Hueco = 300;         // between the boxes
inline constexpr std::int32_t Marco = 100;         // the frame's distance from the current box
inline constexpr std::int32_t SobreFondo = 500;    // from the bottom of the screen
// A panorama page is kept from pushing the window off the screen.
inline constexpr std::int32_t AnchoMaximo = 3 * AltoCaja;

// The width that keeps a page's proportions at the boxes' height.
std::int32_t AnchoPara(QSize natural);

// The three boxes (0 current, 1 previous, 2 next) and the area that holds
// them, for the boxes' widths: the previous page on the left, or right to
// left on the right. The frame stands Marco around box 0.
struct Colocacion {
    diseno::Rect Caja[3];
    diseno::Ventana Area;
};
Colocacion ColocarPrevias(const std::int32_t anchos[3], bool derechaAIzquierda = false);

// The window's place: centred, just above the bottom of the screen.
QPoint Posicion(const diseno::Ventana &pantalla, const diseno::Ventana &ventana);

} // namespace previas

class FormPaginas : public VentanaModal {
    Q_OBJECT
public:
    explicit FormPaginas(Comandos &comandos);

    int PaginaPrevia = 1;  // the page in the middle
    ControlImagen PB[3];            // the pictures and their boxes, twips
    QLabel *PBv[3] = {};            // what is shown of them
    QWidget *ShFondo = nullptr;
    QFrame *Shape1 = nullptr;
    // A command for the main window once closed (Q); empty: none.
    QString Pendiente;

    void ActualizarPrevias();
    void ColocarPrevias();
    void Anterior();
    void Siguiente();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void TeclaSoltada(QKeyEvent &evento) override;

private:
    void CargarVecina(int caja, int pagina);
    void PintarPrevias();

    Comandos &comandos_;
    int paginaCaja_[3] = {}; // the page each box shows or awaits
};
