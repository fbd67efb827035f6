#pragma once
// The magnifier: a small window that shows, enlarged, the screen around the
// pointer, refreshed every 10 ms. It copies screen pixels, so it magnifies
// whatever lies there; where the screen cannot be read it magnifies the main
// window's own picture instead.
#include "views/VentanaModal.h"

#include <QImage>
#include <QRect>
#include <QTimer>

class Comandos;
class MouseWheel;
class QToolButton;

namespace lupa {

inline constexpr int LadoVista = 200;    // the view's side, pixels
inline constexpr int LadoInicial = 100;  // captured side at opening (2x)
inline constexpr int LadoMinimo = 10;    // 20x
inline constexpr int LadoMaximo = 200;   // 1x
inline constexpr int PasoLado = 10;
inline constexpr int IntervaloCaptura = 10; // ms

// The captured side after a click on zoom button 0 (in) or 1 (out).
int PasoZoom(int alto, int boton);
// 200 / alto to one decimal, with the user's decimal separator: "2", "2.2".
QString Factor(int alto);
// "Lupa (2.2x)": these words in every language.
QString Titulo(int alto);
// The screen rectangle captured around the pointer.
QRect Origen(QPoint puntero, int ancho, int alto);
// The pointer over the window itself, borders included.
bool SobreSiMisma(QPoint puntero, const QRect &ventana);

// Where the pixels come from.
enum class Captura {
    Pantalla,          // the screen, as the platform gives it
    VentanaPrincipal,  // only our main window (the screen is not readable)
};
// The screen where the platform lets it be read (X11, Windows, macOS).
Captura CapturaDeLaPlataforma();

} // namespace lupa

class FormLupa : public VentanaModal {
    Q_OBJECT
public:
    explicit FormLupa(Comandos &comandos, lupa::Captura captura = lupa::CapturaDeLaPlataforma());

    int anchoLupa = lupa::LadoInicial;
    int altoLupa = lupa::LadoInicial;
    QWidget *PB = nullptr;
    QToolButton *ImZoom[2] = {};
    QTimer Timer1;
    MouseWheel *MouseWheel1 = nullptr;
    const lupa::Captura Captura;

    // One capture tick with the pointer at `puntero` (global pixels).
    void Capturar(QPoint puntero);
    void ImZoom_Click(int boton);
    void MouseWheel1_WheelMove(bool abajo);
    // What the view shows, device pixels.
    const QImage &Vista() const { return vista_; }

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void TeclaSoltada(QKeyEvent &evento) override;

private:
    QImage DePantalla(const QRect &origen) const;
    QImage DeVentanaPrincipal(const QRect &origen) const;
    void Acoplar();

    QWidget *principal_;
    QImage vista_;
};
