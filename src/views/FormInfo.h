#pragma once
// The information window: the help screen and a clickable command menu in
// one. It lists every command of the main window with its key from the key
// table, the mouse gestures on a page of their own, and a tab that opens the
// About window. Clicking a command or pressing a key closes it and hands
// that command to the main window; it never carries out a command itself. A
// click anywhere outside it closes it too.
#include "views/VentanaModal.h"

#include <QTimer>

#include <array>
#include <cstdint>

class Comandos;
class QLabel;
class QStackedWidget;

namespace info {

inline constexpr int NumeroEntradas = 47;
inline constexpr int NumeroLineasRaton = 11;
inline constexpr int IntervaloFuera = 10; // ms between looks for a click outside

// A command of the list: the command it runs, and the commands whose keys
// its key cap shows (when not that one alone), separated by spaces.
struct Entrada {
    const char *Comando = "";
    const char *Teclas = nullptr;
};
const std::array<Entrada, NumeroEntradas> &Entradas();
// Entry i's key cap, from the key table.
QString TeclaDe(int i);

// The later entries' texts have numbers of their own.
inline constexpr int EntradasPrimeras = 42;
inline int MensajeTitulo(int i) { return i < EntradasPrimeras ? 500 + 2 * i : 1250 + 2 * (i - EntradasPrimeras); }
inline int MensajeDescripcion(int i) { return MensajeTitulo(i) + 1; }

// The mouse page's headings ("Click", "Double Click", ...) stand out.
bool EsCabeceraRaton(int linea);

} // namespace info

class FormInfo : public VentanaModal {
    Q_OBJECT
public:
    enum Pagina : int { Teclado = 0, Raton = 1, Acercade = 2 };

    explicit FormInfo(Comandos &comandos);

    // The page shown last; the window reopens on it for the life of the process.
    static int PaginaInfo;

    QLabel *LBOrden[info::NumeroEntradas] = {};
    QLabel *LBInfo[info::NumeroEntradas] = {};
    QLabel *LBMouse[info::NumeroLineasRaton] = {};
    QLabel *LBTranslated = nullptr;
    QLabel *ImPestana[3] = {};
    QStackedWidget *frOpcion = nullptr;
    QTimer tmrFuera;
    // The command to hand the main window once closed; empty: none.
    QString Elegida;

    void AplicarTextos();
    void ElegirPestana(int i);
    void tmrFuera_Timer();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void TeclaSoltada(QKeyEvent &evento) override;
    void showEvent(QShowEvent *evento) override;

private:
    QWidget *CrearTeclado();
    QWidget *CrearRaton();
    void Elegir(int entrada);
    void Medir();

    Comandos &comandos_;
    QWidget *filas_[info::NumeroEntradas] = {};
    bool conAcercade_ = false;   // the About window is over this one
    bool aplicacionActiva_ = false;
};
