#pragma once
// The one table of keys: a key and the shift state it is taken with name a
// command. Qt key events become keys here and only here; the defaults are
// fixed, and a user may add keys of his own ([Teclas] in tavelo.ini). The
// sides a click, a swipe or a bar arrow stand for are named here too.
#include "imaging/Diseno.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class QKeyEvent;

namespace teclas {

enum : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

// A key: a Qt key code (the digit row always as its digit, Enter as Return,
// a keypad digit with Qt::KeypadModifier added) and the shift mask.
struct Tecla {
    int codigo = 0;     // 0: a key that is no key of its own (Shift alone, ...)
    int mayusculas = 0;
    bool operator==(const Tecla &) const = default;
};

Tecla DeEvento(const QKeyEvent &evento);
// The same key as a key event would give it, from a code and Qt's modifiers.
Tecla Normalizada(int codigo, int mayusculas);

// Which shift states a row takes. Shift means any of Shift, Ctrl and Alt,
// except for the arrows, whose larger step wants Shift alone.
enum class Regla { Siempre, Sin, Con, SoloShift, SalvoSoloShift, Exacta };

struct Fila {
    int Tecla = 0;
    teclas::Regla Regla = Regla::Siempre;
    QString Comando;
    int Mayusculas = 0; // the mask an Exacta row wants
};

bool Acepta(const Fila &fila, const Tecla &tecla);

// The command of a display mode ("ModoPantalla" ... "ModoDosPaginas").
QString ComandoDeModo(diseno::Modo modo);

// The keys every copy of the program has; a command's first key here is
// the one the help shows.
const std::vector<Fila> &TeclasPorDefecto();

// A user's line that was not taken, as it was written, and why.
struct Rechazo {
    QString Linea;
    int Motivo = 0; // message number of the reason
};

class TablaTeclas {
public:
    TablaTeclas();
    // The command of a key; empty when the key has none.
    QString Comando(const Tecla &tecla) const;
    // Adds the user's `command=keys` lines; `nombreComando` gives a name as
    // registered, or empty when there is no such command. Unknown commands,
    // unreadable keys and keys already taken are left out and returned; the
    // defaults always stand.
    std::vector<Rechazo> Agregar(const std::vector<std::pair<QString, QString>> &lineas,
                                 const std::function<QString(const QString &)> &nombreComando);

private:
    std::vector<Fila> filas_;
};

// The parts of a value with several keys ("X, Ctrl+N"); a comma that ends a
// part or stands alone is the comma key ("Ctrl+,").
QStringList PartirTeclas(const QString &valor);

// A key's name on a key cap: the catalogue's names of Space and Backspace,
// arrows as arrows, the rest as Qt names it.
QString NombreTecla(int codigo);
// The key cap of the commands named: the first default key of each, after
// "⇧ + " when they want Shift.
QString TeclasDe(const QStringList &comandos);

// A click on a side of the window, a swipe that brings in the page from
// that side, a bar arrow pointing to it: the command they stand for.
// Reading right to left flips this and only this.
enum class Lado { Izquierda, Derecha };
QString ComandoHacia(Lado lado, bool hastaElFinal = false, bool derechaAIzquierda = false);

} // namespace teclas
