#pragma once
// The save window: the page picture ("Real image", at its own resolution
// with any effects) or the main window's screen image, written to a file the
// save dialog names, as JPEG at the quality shown, PNG, BMP or GIF.
//
// What it takes from the main window:
//   imagen          its page holder (`Imagen`), read only;
//   imagenPantalla  the screen image: the window's persistent drawn surface,
//                   background included, at its device pixels;
//   mostrarMensaje  show a transient message (`MostrarMensaje`): a failed
//                   write or a name of another type is told there.
// The main window's key F3 calls Abrir, which runs the window modally through
// the dialog seam; nothing changes in the main window.
#include "imaging/ControlImagen.h"
#include "shell/VentanaHerramienta.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>

class QRadioButton;
class QTimer;
class QToolButton;

class FormGuardar : public VentanaHerramienta {
    Q_OBJECT
public:
    using FuncionPantalla = std::function<QImage()>;
    using FuncionMensaje = std::function<void(const QString &)>;

    FormGuardar(QWidget *dueno, const ControlImagen &imagen, FuncionPantalla imagenPantalla,
                FuncionMensaje mostrarMensaje);

    // Builds the window and shows it modally; returns when it closes.
    static int Abrir(QWidget *dueno, const ControlImagen &imagen, FuncionPantalla imagenPantalla,
                     FuncionMensaje mostrarMensaje);

    static constexpr int CalidadInicial = 85;
    static constexpr int IntervaloRepeticionMs = 300;
    // Held down, the label steps from this tick on.
    static constexpr int TicksAntesDeRepetir = 3;
    // The next quality of a click: 5 more, wrapping from above 100 to 5.
    static int SiguienteCalidad(int calidad);

    std::array<QRadioButton *, 2> OpGuardar{};
    std::array<QLabel *, 2> LBOpcion{};
    QWidget *FrmOpcion = nullptr;
    QLabel *LBCalidad = nullptr;
    QLabel *LBPor = nullptr;
    QTimer *tmrPor = nullptr;
    QToolButton *ImGuardar = nullptr;
    ControlImagen PB; // the picture that will be saved

    // 0 the real image, 1 the screen image.
    void ElegirOpcion(int opcion);
    int Calidad() const;
    // Asks for the file, the overwrite, and writes it.
    void GuardarImagen(int calidad);
    void tmrPor_Timer();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void showEvent(QShowEvent *evento) override;

private:
    void PasoCalidad();

    const ControlImagen &imagen_;
    FuncionPantalla imagenPantalla_;
    FuncionMensaje mostrarMensaje_;
    int repeticiones_ = 0;
};
