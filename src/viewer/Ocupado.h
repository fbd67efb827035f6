#pragma once
// The event pump every long command of the viewer uses, beside the busy pointer.
#include "shell/PunteroOcupado.h"

#include <QCoreApplication>

namespace visor {

// Lets pending window events run, but not the user's next command.
inline void ProcesarEventos()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace visor
