#pragma once
// The effects panel: thirteen buttons that transform the page picture the
// main window shows, cumulatively and in memory only; undo brings back the
// picture the panel opened with.
//
// What it takes from the main window:
//   imagen        its page holder (`Imagen`): read when the panel opens,
//                 replaced by every effect and by undo;
//   aplicaEfecto  lay the page out again in the current mode and redraw it
//                 after its picture changed (`AplicaEfecto`);
//   mostrarMensaje  show a transient message (`MostrarMensaje`).
// The main window's key E shows message 165, returns to mode 1 from modes 7
// and 8, and then calls Abrir, which runs the panel modally through the
// dialog seam. The effects stay on screen after the panel closes; the next
// page shown comes from its file without them.
#include "imaging/ControlImagen.h"
#include "imaging/ccEfectos.h"
#include "shell/VentanaHerramienta.h"

#include <array>
#include <functional>
#include <memory>

class QToolButton;

class FormEfectos : public VentanaHerramienta {
    Q_OBJECT
public:
    using FuncionAplicar = std::function<void()>;
    using FuncionMensaje = std::function<void(const QString &)>;

    FormEfectos(QWidget *dueno, ControlImagen &imagen, FuncionAplicar aplicaEfecto,
                FuncionMensaje mostrarMensaje);

    // Builds the panel and shows it modally; returns when it closes.
    static int Abrir(QWidget *dueno, ControlImagen &imagen, FuncionAplicar aplicaEfecto,
                     FuncionMensaje mostrarMensaje);

    // One button per effect, button i at 480 x i twips, each 480 x 480.
    static constexpr int NumeroEfectos = 13;
    static constexpr int LadoBotonTwips = 480;
    std::array<QToolButton *, NumeroEfectos> Imagen{};
    QLabel *LBMov = nullptr;     // the drag handle (the shared title label)
    ControlImagen Picture1;      // the picture the panel opened with, for undo

    // Clicking button i; releasing another button than the left on ImCerrar.
    void AplicarEfecto(int indice);
    void Deshacer();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;
    void showEvent(QShowEvent *evento) override;
    void done(int resultado) override;

private:
    void IniciarEfectos();

    ControlImagen &imagen_;
    FuncionAplicar aplicaEfecto_;
    FuncionMensaje mostrarMensaje_;
    std::unique_ptr<ccEfectos> efectos_;
};
