#pragma once
// What every tool window shares: a title label that drags the window, a close
// button (tool tip: message 400), and a translucent frameless body.
#include <QDialog>

#include <functional>

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace modFormTrans {
// Makes a window `opacidad` opaque (0 to 1).
void HacerTransparente(QWidget *ventana, double opacidad);
} // namespace modFormTrans

// Runs `accion` now, or, while a mouse button is held, once it is released.
// A window that closes on a press (a double click) would leave the release
// to no window at all, and the application would take the button as held
// from then on: no wheel turn would reach the main window.
void TrasSoltarBoton(QObject *contexto, std::function<void()> accion);

class VentanaHerramienta : public QDialog {
    Q_OBJECT
public:
    VentanaHerramienta(QWidget *dueno, const QString &nombre, int mensajeTitulo);

    QLabel *LBTitulo = nullptr;
    QToolButton *ImCerrar = nullptr;

    // Closed on a press, the window goes with that press's release.
    void done(int resultado) override;

protected:
    // Where the window's own controls go.
    QVBoxLayout *Cuerpo() const { return cuerpo_; }
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    QVBoxLayout *cuerpo_ = nullptr;
    QPoint agarre_;
    bool arrastrando_ = false;
};
