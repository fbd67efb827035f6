#pragma once
// The program's own artwork: a speech balloon with a comic page in it. The
// minimized balloon is this shape cut out of the desktop; the About window
// shows it as the logo.
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace logotipo {

// The balloon's outline inside `r`: a rounded body and a tail at its bottom left.
QPainterPath FormaBocadillo(const QRectF &r);

// The balloon filled, outlined and with a small comic page in it, and the
// program's name beside the page when `conNombre`.
void DibujarBocadillo(QPainter &p, const QRectF &r, bool conNombre = false);

} // namespace logotipo
