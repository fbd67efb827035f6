#pragma once
// What every tool window shares: a title label that drags the window, a close
// button (tool tip: message 400), and a translucent frameless body.
#include <QDialog>

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace modFormTrans {
// Makes a window `opacidad` opaque (0 to 1).
void HacerTransparente(QWidget *ventana, double opacidad);
} // namespace modFormTrans

class VentanaHerramienta : public QDialog {
    Q_OBJECT
public:
    VentanaHerramienta(QWidget *dueno, const QString &nombre, int mensajeTitulo);

    QLabel *LBTitulo = nullptr;
    QToolButton *ImCerrar = nullptr;

protected:
    // Where the window's own controls go.
    QVBoxLayout *Cuerpo() const { return cuerpo_; }
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    QVBoxLayout *cuerpo_ = nullptr;
    QPoint agarre_;
    bool arrastrando_ = false;
};
