#pragma once
// A tool window the dispatcher holds modal: it takes the keys as soon as it
// shows and acts on a key's release, only for keys pressed while it was open
// (the release of a key held since the main window is not for it).
#include "shell/VentanaHerramienta.h"

#include <QSet>

class QKeyEvent;

class VentanaModal : public VentanaHerramienta {
    Q_OBJECT
public:
    using VentanaHerramienta::VentanaHerramienta;

protected:
    virtual void TeclaSoltada(QKeyEvent &evento) = 0;

    void showEvent(QShowEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;

private:
    QSet<int> pulsadas_;
};
