#include "views/Logotipo.h"

#include <QLinearGradient>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace logotipo {

namespace {
// Parts of the whole rectangle.
constexpr qreal AltoCuerpo = 0.78;
constexpr qreal Contorno = 3.0; // pixels
const QColor Borde(24, 42, 92);
const QColor Claro(150, 184, 255);
const QColor Oscuro(64, 104, 228);
} // namespace

QPainterPath FormaBocadillo(const QRectF &r)
{
    const QRectF cuerpo(r.left(), r.top(), r.width(), r.height() * AltoCuerpo);
    QPainterPath forma;
    forma.addEllipse(cuerpo);
    // The tail, from under the body down to the bottom left corner.
    QPainterPath cola;
    cola.moveTo(cuerpo.left() + cuerpo.width() * 0.22, cuerpo.bottom() - cuerpo.height() * 0.22);
    cola.lineTo(r.left() + r.width() * 0.06, r.bottom());
    cola.lineTo(cuerpo.left() + cuerpo.width() * 0.42, cuerpo.bottom() - cuerpo.height() * 0.06);
    cola.closeSubpath();
    return forma.united(cola).simplified();
}

void DibujarBocadillo(QPainter &p, const QRectF &r, bool conNombre)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF dentro = r.adjusted(Contorno / 2, Contorno / 2, -Contorno / 2, -Contorno / 2);
    QLinearGradient degradado(dentro.topLeft(), dentro.bottomRight());
    degradado.setColorAt(0, Claro);
    degradado.setColorAt(1, Oscuro);
    p.setPen(QPen(Borde, Contorno, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(degradado);
    p.drawPath(FormaBocadillo(dentro));

    // A comic page: white sheet, three panels.
    const qreal alto = dentro.height() * AltoCuerpo * 0.56;
    const qreal ancho = alto * 0.72;
    QPointF centro(dentro.center().x(), dentro.top() + dentro.height() * AltoCuerpo / 2);
    QRectF nombre;
    if (conNombre) {
        // The page and the name side by side, the pair centred.
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(int(std::lrint(alto * 0.34)));
        p.setFont(f);
        const qreal texto = QFontMetricsF(f).horizontalAdvance(QStringLiteral("Tavelo"));
        const qreal hueco = ancho * 0.25;
        const qreal izquierda = centro.x() - (ancho + hueco + texto) / 2;
        nombre = QRectF(izquierda + ancho + hueco, centro.y() - alto / 2, texto, alto);
        centro.setX(izquierda + ancho / 2);
    }
    const QRectF hoja(centro.x() - ancho / 2, centro.y() - alto / 2, ancho, alto);
    p.setPen(QPen(Borde, 1.6));
    p.setBrush(Qt::white);
    p.drawRoundedRect(hoja, 2, 2);
    const qreal m = ancho * 0.12;
    const QRectF area = hoja.adjusted(m, m, -m, -m);
    const qreal medio = area.top() + area.height() * 0.45;
    p.setPen(Qt::NoPen);
    p.setBrush(Oscuro);
    p.drawRect(QRectF(area.left(), area.top(), area.width() * 0.55 - m / 4, medio - area.top() - m / 4));
    p.setBrush(Claro);
    p.drawRect(QRectF(area.left() + area.width() * 0.55 + m / 4, area.top(), area.width() * 0.45 - m / 4,
                      medio - area.top() - m / 4));
    p.setBrush(QColor(255, 196, 64));
    p.drawRect(QRectF(area.left(), medio + m / 4, area.width(), area.bottom() - medio - m / 4));
    if (conNombre) {
        p.setPen(Qt::white);
        p.drawText(nombre, Qt::AlignCenter, QStringLiteral("Tavelo"));
    }
    p.restore();
}

} // namespace logotipo
