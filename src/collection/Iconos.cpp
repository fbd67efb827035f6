#include "collection/Iconos.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace iconos {

namespace {

constexpr int LadoIcono = 24;
constexpr int LadoMarcador = 16;
const QColor Tinta(0xe8, 0xea, 0xee);

QPixmap Lienzo(int lado, qreal escala)
{
    QPixmap p(QSize(lado, lado) * escala);
    p.setDevicePixelRatio(escala);
    p.fill(Qt::transparent);
    return p;
}

// An icon drawn at 1x and 2x so it stays sharp on dense screens.
QIcon Dibujado(const std::function<void(QPainter &)> &dibujar)
{
    QIcon icono;
    for (qreal escala : {1.0, 2.0}) {
        QPixmap p = Lienzo(LadoIcono, escala);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        dibujar(g);
        g.end();
        icono.addPixmap(p);
    }
    return icono;
}

void Tilde(QPainter &g, QPointF a, qreal t, const QColor &c)
{
    g.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPolyline(QList<QPointF>{a, a + QPointF(t * 0.35, t * 0.35), a + QPointF(t, -t * 0.45)});
}

void Cruz(QPainter &g, QPointF centro, qreal r, const QColor &c)
{
    g.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(centro + QPointF(-r, -r), centro + QPointF(r, r));
    g.drawLine(centro + QPointF(-r, r), centro + QPointF(r, -r));
}

// A sheet with three lines, each led by a mark of its own.
void Hoja(QPainter &g, const std::function<void(QPainter &, int fila, QPointF marca)> &marca)
{
    g.setPen(QPen(Tinta, 1.4));
    g.setBrush(Qt::NoBrush);
    g.drawRoundedRect(QRectF(3.5, 2.5, 17, 19), 2, 2);
    for (int fila = 0; fila < 3; ++fila) {
        const qreal y = 7.5 + fila * 5;
        g.setPen(QPen(Tinta.darker(130), 1.4, Qt::SolidLine, Qt::RoundCap));
        g.drawLine(QPointF(11, y), QPointF(17.5, y));
        marca(g, fila, QPointF(7.5, y));
    }
}

} // namespace

QColor ColorEstado(int estado)
{
    switch (estado) {
    case 1:
        return QColor(0x3f, 0xae, 0x55);
    case 2:
        return QColor(0x3d, 0x85, 0xd6);
    default:
        return QColor(0xd6, 0x45, 0x45);
    }
}

QPixmap Marcador(int estado, qreal escala)
{
    QPixmap p = Lienzo(LadoMarcador, escala);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QColor c = ColorEstado(estado);
    const QColor blanco(0xff, 0xff, 0xff);
    if (estado != 1 && estado != 2) {
        // Not read: a ring, so a shelf of unread comics stays quiet.
        g.setPen(QPen(c, 2.0));
        g.setBrush(QColor(c.red(), c.green(), c.blue(), 40));
        g.drawEllipse(QRectF(3, 3, 10, 10));
        return p;
    }
    g.setPen(QPen(c.lighter(135), 1.0));
    g.setBrush(c);
    g.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    switch (estado) {
    case 1: // read: a tick
        g.setPen(QPen(blanco, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        g.drawPolyline(QList<QPointF>{{5.3, 8.2}, {7.2, 10.1}, {10.8, 6.0}});
        break;
    case 2: // reading: an open book's two pages
        g.setPen(Qt::NoPen);
        g.setBrush(blanco);
        g.drawRect(QRectF(5.0, 6.0, 2.6, 4.2));
        g.drawRect(QRectF(8.4, 6.0, 2.6, 4.2));
        break;
    }
    return p;
}

QIcon Carpeta()
{
    return Dibujado([](QPainter &g) {
        QPainterPath p;
        p.moveTo(2.5, 6.5);
        p.lineTo(9, 6.5);
        p.lineTo(11, 8.5);
        p.lineTo(21.5, 8.5);
        p.lineTo(21.5, 19.5);
        p.lineTo(2.5, 19.5);
        p.closeSubpath();
        g.setPen(QPen(QColor(0xf0, 0xc0, 0x5a).darker(115), 1.2));
        g.setBrush(QColor(0xf0, 0xc0, 0x5a));
        g.drawPath(p);
        g.setBrush(QColor(0xf6, 0xd2, 0x7a));
        g.drawRect(QRectF(2.5, 10.5, 19, 9));
    });
}

QIcon Control()
{
    return Dibujado([](QPainter &g) {
        Hoja(g, [](QPainter &h, int fila, QPointF m) {
            if (fila == 1)
                Cruz(h, m, 1.6, ColorEstado(0));
            else
                Tilde(h, m + QPointF(-2, 0), 3.8, ColorEstado(1));
        });
    });
}

QIcon Opcion(int opcion)
{
    return Dibujado([opcion](QPainter &g) {
        Hoja(g, [opcion](QPainter &h, int fila, QPointF m) {
            const bool falta = fila == 1;
            if (opcion == 0 && falta)
                return;
            if (opcion == 2 && !falta)
                return;
            if (falta)
                Cruz(h, m, 1.6, ColorEstado(0));
            else
                Tilde(h, m + QPointF(-2, 0), 3.8, ColorEstado(1));
        });
    });
}

QIcon Bloc()
{
    return Dibujado([](QPainter &g) {
        g.setPen(QPen(Tinta, 1.4));
        g.setBrush(QColor(0x3a, 0x3d, 0x44));
        g.drawRoundedRect(QRectF(4.5, 4.5, 15, 17), 2, 2);
        g.setPen(QPen(Tinta.darker(130), 1.2, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            g.drawLine(QPointF(7.5, 10.5 + i * 3.5), QPointF(16.5, 10.5 + i * 3.5));
        g.setPen(QPen(Tinta, 1.6, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            g.drawLine(QPointF(8.5 + i * 3.5, 2.5), QPointF(8.5 + i * 3.5, 6.5));
    });
}

QString EstiloComun()
{
    return QStringLiteral(
        "QLabel { color: #f2f2f2; }"
        "QScrollBar:vertical { background: #26282c; width: 12px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #4a4d55; min-height: 24px; border-radius: 4px; margin: 2px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
}

} // namespace iconos
