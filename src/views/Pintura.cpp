#include "views/Pintura.h"

#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace pintura {

namespace {
int Px(qreal v)
{
    return static_cast<int>(std::lrint(v));
}
} // namespace

EnPixeles::EnPixeles(QPainter &p, qreal escala) : p_(p), escala_(escala > 0 ? escala : 1.0)
{
    p_.save();
    p_.resetTransform();
    // A dense device scales on its own, under any transform: undone, so
    // that a unit is one device pixel.
    if (const QPaintDevice *d = p_.device(); d && d->devicePixelRatio() != 1)
        p_.scale(1 / d->devicePixelRatio(), 1 / d->devicePixelRatio());
    p_.setPen(Qt::NoPen);
}

EnPixeles::~EnPixeles()
{
    p_.restore();
}

int EnPixeles::Grosor(qreal grosor) const
{
    return std::max(1, Px(grosor * escala_));
}

void EnPixeles::Marco(const QRectF &r, qreal grosor, const QColor &color)
{
    const int t = Grosor(grosor);
    const int x0 = Px(r.left() * escala_), y0 = Px(r.top() * escala_);
    const int x1 = Px((r.left() + r.width()) * escala_), y1 = Px((r.top() + r.height()) * escala_);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0)
        return;
    p_.fillRect(x0, y0, w, std::min(t, h), color);
    p_.fillRect(x0, y1 - std::min(t, h), w, std::min(t, h), color);
    p_.fillRect(x0, y0, std::min(t, w), h, color);
    p_.fillRect(x1 - std::min(t, w), y0, std::min(t, w), h, color);
}

void EnPixeles::Linea(const QLineF &l, qreal grosor, const QColor &color)
{
    const int t = Grosor(grosor);
    const QPointF a = l.p1() * escala_, b = l.p2() * escala_;
    if (Px(a.x()) == Px(b.x()) || Px(a.y()) == Px(b.y())) {
        // Level or plumb: a band of whole pixels centred on the line, ends included.
        const bool plomo = Px(a.x()) == Px(b.x());
        const int medio = Px(plomo ? a.x() - t / 2.0 : a.y() - t / 2.0);
        const int desde = Px(std::min(plomo ? a.y() : a.x(), plomo ? b.y() : b.x()) - t / 2.0);
        const int hasta = Px(std::max(plomo ? a.y() : a.x(), plomo ? b.y() : b.x()) + t / 2.0);
        if (plomo)
            p_.fillRect(medio, desde, t, hasta - desde, color);
        else
            p_.fillRect(desde, medio, hasta - desde, t, color);
        return;
    }
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing);
    p_.setPen(QPen(color, t, Qt::SolidLine, Qt::SquareCap));
    p_.drawLine(a, b);
    p_.restore();
}

void EnPixeles::Flecha(const QRectF &r, bool vertical, const QColor &color, const QColor &borde)
{
    // Drawn pointing right in a box `largo` x `ancho`, then turned for down.
    const QRectF d(r.topLeft() * escala_, r.size() * escala_);
    const qreal largo = vertical ? d.height() : d.width();
    const qreal ancho = vertical ? d.width() : d.height();
    const qreal punta = std::min(largo, ancho * 1.6);
    const qreal asta = ancho * 0.38;
    QPolygonF f;
    f << QPointF(0, (ancho - asta) / 2) << QPointF(largo - punta, (ancho - asta) / 2)
      << QPointF(largo - punta, 0) << QPointF(largo, ancho / 2) << QPointF(largo - punta, ancho)
      << QPointF(largo - punta, (ancho + asta) / 2) << QPointF(0, (ancho + asta) / 2);
    QTransform t;
    if (vertical) {
        // (x, y) -> (y, x): right becomes down.
        t = QTransform(0, 1, 1, 0, 0, 0);
    }
    f = t.map(f).translated(d.topLeft());
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing);
    p_.setPen(QPen(borde, std::max<qreal>(1.0, escala_), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p_.setBrush(color);
    p_.drawPolygon(f);
    p_.restore();
}

} // namespace pintura
