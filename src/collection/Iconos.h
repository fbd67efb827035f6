#pragma once
// The collection windows' look: the three read-state markers and the
// buttons' icons, drawn here, and the style their bodies share.
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace iconos {

// The read-state colours: not read, read, reading.
QColor ColorEstado(int estado);

// The 16 x 16 marker of a read state (0, 1 or 2), for `escala` device pixels
// per pixel.
QPixmap Marcador(int estado, qreal escala);

QIcon Carpeta();   // choose the collection folder
QIcon Control();   // open the numbering control
QIcon Opcion(int opcion); // 0 the comics I have, 1 all of them, 2 the ones I need
QIcon Bloc();      // send the list to the editor

// The style both windows' bodies start from: light text, dark scroll bars.
QString EstiloComun();

} // namespace iconos
