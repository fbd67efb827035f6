#pragma once
// Lines and frames of the tool windows, drawn on whole device pixels so they
// stay sharp at any screen scale. Positions are given in logical pixels.
#include <QColor>
#include <QLineF>
#include <QPainter>
#include <QRectF>

namespace pintura {

class EnPixeles {
public:
    EnPixeles(QPainter &p, qreal escala);
    ~EnPixeles();
    EnPixeles(const EnPixeles &) = delete;
    EnPixeles &operator=(const EnPixeles &) = delete;

    // A device-pixel thickness for `grosor` logical pixels (at least 1).
    int Grosor(qreal grosor) const;
    // An outline `grosor` wide drawn inside `r`.
    void Marco(const QRectF &r, qreal grosor, const QColor &color);
    // A segment `grosor` wide; level and plumb ones land on whole pixels.
    void Linea(const QLineF &l, qreal grosor, const QColor &color);
    // An arrow inside `r` pointing right (horizontal) or down.
    void Flecha(const QRectF &r, bool vertical, const QColor &color, const QColor &borde);

private:
    QPainter &p_;
    qreal escala_;
};

} // namespace pintura
