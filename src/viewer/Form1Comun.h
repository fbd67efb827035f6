#pragma once
// Small helpers shared by the files that make up the main window.
#include <QApplication>

namespace form1 {

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

} // namespace form1
