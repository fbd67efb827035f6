#include "views/VentanaModal.h"

#include <QKeyEvent>

void VentanaModal::showEvent(QShowEvent *evento)
{
    VentanaHerramienta::showEvent(evento);
    // Window manager or not.
    activateWindow();
    setFocus();
}

void VentanaModal::keyPressEvent(QKeyEvent *evento)
{
    // Nothing acts on a press: not even Escape closing the dialog.
    if (!evento->isAutoRepeat())
        pulsadas_.insert(evento->key());
    evento->accept();
}

void VentanaModal::keyReleaseEvent(QKeyEvent *evento)
{
    if (evento->isAutoRepeat() || !pulsadas_.remove(evento->key()))
        return;
    TeclaSoltada(*evento);
}
