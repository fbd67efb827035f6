#include "views/FormPartes.h"

#include "imaging/modImagen.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"
#include "views/Pintura.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

using diseno::Entero;
using modIdioma::TextoIdioma;

namespace {
constexpr int Twips = modGeneral::TwipsPorPixel;
const QColor ColorLinea(128, 128, 128);
const QColor ColorSombra(0, 0, 0, 110);  // keeps the grey path visible on a grey page
const QColor ColorFlecha(245, 245, 245); // the first move stands out from the path
const QColor ColorBordeFlecha(32, 32, 32);
constexpr qreal GrosorLinea = 3;         // pixels
constexpr qreal GrosorSombra = 5;

int MensajeOrden(bool abajo)
{
    return abajo ? 167 : 168; // "Pass parts: Down - Right" / "Right - Down"
}

diseno::Ventana PantallaEnTwips(const QWidget *dueno)
{
    const QScreen *pantalla = dueno ? dueno->screen() : QGuiApplication::primaryScreen();
    if (!pantalla)
        return {};
    return {pantalla->geometry().width() * Twips, pantalla->geometry().height() * Twips};
}
} // namespace

namespace partes {

diseno::Ventana MaximoPartes(const diseno::Ventana &pantalla)
{
    return {Entero(pantalla.SW * 3.0 / 4.0), Entero(pantalla.SH * 3.0 / 4.0)};
}

diseno::Ventana AjustarPartes(QSize natural, const diseno::Ventana &maximo)
{
    if (natural.isEmpty())
        return maximo;
    const double r = double(natural.height()) / natural.width();
    diseno::Ventana v;
    // The long side at its maximum; then the other side kept within its own.
    if (r < 1) {
        v.SW = maximo.SW;
        v.SH = Entero(r * v.SW);
        if (v.SH > maximo.SH) {
            v.SH = maximo.SH;
            v.SW = Entero(v.SH / r);
        }
    } else {
        v.SH = maximo.SH;
        v.SW = Entero(v.SH / r);
        if (v.SW > maximo.SW) {
            v.SW = maximo.SW;
            v.SH = Entero(r * v.SW);
        }
    }
    return v;
}

Recorrido CoordenadasRecorrido(float W, float H, bool abajo)
{
    const float izq = W / 8, der = 7 * W / 8, arriba = H / 8, fondo = 7 * H / 8;
    Recorrido r;
    if (abajo) {
        // Down the left column, jump to the top of the right one, down it.
        r.Lineas[0] = QLineF(izq, arriba, izq, fondo);
        r.Lineas[1] = QLineF(der, arriba, der, fondo);
        r.Lineas[2] = QLineF(izq, fondo, der, arriba);
        r.FlechaVertical = true;
        r.Flecha = QRectF(izq - AnchoFlecha / 2.0f, arriba, AnchoFlecha, LargoFlecha);
    } else {
        // Along the top row, jump to the start of the bottom one, along it.
        r.Lineas[0] = QLineF(izq, arriba, der, arriba);
        r.Lineas[1] = QLineF(izq, fondo, der, fondo);
        r.Lineas[2] = QLineF(der, arriba, izq, fondo);
        r.FlechaVertical = false;
        r.Flecha = QRectF(izq, arriba - AnchoFlecha / 2.0f, LargoFlecha, AnchoFlecha);
    }
    return r;
}

} // namespace partes

FormPartes::FormPartes(Comandos &comandos)
    : VentanaModal(comandos.Dueno(), QStringLiteral("FormPartes"),
                         MensajeOrden(comandos.Vista().Partes().bPartesAbajo)),
      vista_(comandos.Vista())
{
    const diseno::Ventana pantalla = PantallaEnTwips(parentWidget());
    const diseno::Ventana maximo = partes::MaximoPartes(pantalla);
    anchoMaxPartes = maximo.SW;
    altoMaxPartes = maximo.SH;
    cuentaPartes = 0;

    PB = new QWidget(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->installEventFilter(this);
    Cuerpo()->setContentsMargins(0, 0, 0, 0);
    Cuerpo()->addWidget(PB);
    AjustarPartes();
    ensurePolished(); // the style's paddings count in the size
    adjustSize();
    if (const QScreen *s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.x() + g.width() / 2 - width() / 2, g.y() + g.height() / 2 - height() / 2);
    }
    DibujarRecorrido();

    tmrTempo.setInterval(partes::IntervaloTempo);
    connect(&tmrTempo, &QTimer::timeout, this, &FormPartes::tmrTempo_Timer);
    tmrTempo.start();
}

diseno::Ventana FormPartes::Tamano() const
{
    return {PB->width() * Twips, PB->height() * Twips};
}

void FormPartes::AjustarPartes()
{
    const diseno::Ventana v =
        partes::AjustarPartes(TamanoNatural(vista_.Imagen()), {anchoMaxPartes, altoMaxPartes});
    PB->setFixedSize(std::max(1, Entero(double(v.SW) / Twips)), std::max(1, Entero(double(v.SH) / Twips)));
    const qreal escala = PB->devicePixelRatioF();
    fondo_ = vista_.Imagen().Picture.isNull()
                 ? QImage()
                 : modImagen::PintarEscaladoForm(vista_.Imagen().Picture, (QSizeF(PB->size()) * escala).toSize());
    fondo_.setDevicePixelRatio(escala);
}

void FormPartes::DibujarRecorrido()
{
    const diseno::Ventana t = Tamano();
    const bool abajo = vista_.Partes().bPartesAbajo;
    Recorrido = partes::CoordenadasRecorrido(float(t.SW), float(t.SH), abajo);
    LBTitulo->setText(TextoIdioma(MensajeOrden(abajo)));
    PB->update();
}

void FormPartes::tmrTempo_Timer()
{
    if (cuentaPartes == partes::UltimaCuenta)
        reject();
    else
        ++cuentaPartes;
}

bool FormPartes::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == PB && evento->type() == QEvent::Paint) {
        PintarPB();
        return true;
    }
    return VentanaModal::eventFilter(objeto, evento);
}

void FormPartes::PintarPB()
{
    QPainter p(PB);
    if (fondo_.isNull())
        p.fillRect(PB->rect(), Qt::black);
    else
        p.drawImage(QPoint(0, 0), fondo_);
    pintura::EnPixeles px(p, PB->devicePixelRatioF());
    auto enPixeles = [](const QLineF &l) { return QLineF(l.p1() / Twips, l.p2() / Twips); };
    for (const QLineF &l : Recorrido.Lineas)
        px.Linea(enPixeles(l), GrosorSombra, ColorSombra);
    for (const QLineF &l : Recorrido.Lineas)
        px.Linea(enPixeles(l), GrosorLinea, ColorLinea);
    const QRectF f = Recorrido.Flecha;
    px.Flecha(QRectF(f.topLeft() / Twips, f.size() / Twips), Recorrido.FlechaVertical, ColorFlecha, ColorBordeFlecha);
    px.Marco(QRectF(QPointF(0, 0), QSizeF(PB->size())), 1, ColorLinea);
}

void FormPartes::TeclaSoltada(QKeyEvent &evento)
{
    if (evento.key() == Qt::Key_D) {
        cuentaPartes = 0;
        vista_.PonerPartesAbajo(!vista_.Partes().bPartesAbajo);
        DibujarRecorrido();
    } else {
        reject();
    }
}

void FormPartes::mousePressEvent(QMouseEvent *evento)
{
    if (evento->button() == Qt::LeftButton || evento->button() == Qt::RightButton)
        reject();
}
