#pragma once
// The busy pointer and the event pump every long command of the viewer uses.
#include <QApplication>

namespace visor {

// The busy pointer for the life of a routine, whatever way it ends.
struct PunteroOcupado {
    PunteroOcupado() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~PunteroOcupado() { QApplication::restoreOverrideCursor(); }
    PunteroOcupado(const PunteroOcupado &) = delete;
    PunteroOcupado &operator=(const PunteroOcupado &) = delete;
};

// Lets pending window events run, but not the user's next command.
inline void ProcesarEventos()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace visor
