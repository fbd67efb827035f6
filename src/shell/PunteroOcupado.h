#pragma once
// The busy pointer for the life of a routine, whatever way it ends.
#include <QApplication>

struct PunteroOcupado {
    PunteroOcupado() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~PunteroOcupado() { QApplication::restoreOverrideCursor(); }
    PunteroOcupado(const PunteroOcupado &) = delete;
    PunteroOcupado &operator=(const PunteroOcupado &) = delete;
};
