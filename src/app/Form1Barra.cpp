// The on-screen controls and the timers of the main window: the navigation
// bar, the OSD switch, the message timer, the automatic show, the dynamic
// view and the slide of a swipe.
#include "app/Form1.h"

#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Teclas.h"
#include "views/Navegador.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

using modIdioma::TextoIdioma;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;

// The command of each bar button: the arrows to the first, previous, next
// and last page by the side they point to, then the modes 1-8.
QString ComandoBoton(int i, bool rtl)
{
    using teclas::Lado;
    switch (i) {
    case 0: return teclas::ComandoHacia(Lado::Izquierda, true, rtl);
    case 1: return teclas::ComandoHacia(Lado::Izquierda, false, rtl);
    case 2: return teclas::ComandoHacia(Lado::Derecha, false, rtl);
    case 3: return teclas::ComandoHacia(Lado::Derecha, true, rtl);
    default: return teclas::ComandoDeModo(diseno::Modo(i - 3));
    }
}
// Tool tips of the mode buttons: the names of the modes.
constexpr int MensajesModos[8] = {150, 151, 152, 153, 166, 169, 171, 580};

} // namespace

// Light glyphs for the dark plates: legible over any page.
QPixmap Form1::Icono(IconoBarra clase, int lado, qreal escala)
{
    QPixmap pm(QSize(lado, lado) * escala);
    pm.setDevicePixelRatio(escala);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor claro(242, 242, 242);
    p.setPen(Qt::NoPen);
    p.setBrush(claro);
    const qreal m = lado * 0.22, a = lado - 2 * m;
    auto triangulo = [&](qreal x0, bool izquierda) {
        const qreal w = a * 0.45;
        QPolygonF t;
        if (izquierda)
            t << QPointF(x0 + w, m) << QPointF(x0 + w, m + a) << QPointF(x0, m + a / 2);
        else
            t << QPointF(x0, m) << QPointF(x0, m + a) << QPointF(x0 + w, m + a / 2);
        p.drawPolygon(t);
    };
    switch (clase) {
    case IconoBarra::Primera:
        p.drawRect(QRectF(m, m, a * 0.12, a));
        triangulo(m + a * 0.16, true);
        triangulo(m + a * 0.55, true);
        break;
    case IconoBarra::Anterior:
        triangulo(m + a * 0.27, true);
        break;
    case IconoBarra::Siguiente:
        triangulo(m + a * 0.28, false);
        break;
    case IconoBarra::Ultima:
        triangulo(m, false);
        triangulo(m + a * 0.39, false);
        p.drawRect(QRectF(m + a * 0.88, m, a * 0.12, a));
        break;
    case IconoBarra::Cerrar:
        p.setPen(QPen(claro, lado * 0.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(m, m), QPointF(m + a, m + a));
        p.drawLine(QPointF(m + a, m), QPointF(m, m + a));
        break;
    }
    return pm;
}

void Form1::CrearBarra()
{
    PBBarra = new QWidget(this);
    PBBarra->setObjectName(QStringLiteral("PBBarra"));
    PBBarra->setAttribute(Qt::WA_StyledBackground);
    PBBarra->setStyleSheet(QStringLiteral(
        "#PBBarra { background: rgba(20, 20, 20, 200); border-top-left-radius: 10px;"
        " border-top-right-radius: 10px; }"
        "QToolButton { color: #f2f2f2; background: transparent; border: none; border-radius: 6px;"
        " font-weight: bold; font-size: 15px; min-width: 34px; min-height: 34px; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 40); }"
        "QToolButton:pressed { background: rgba(255, 255, 255, 80); }"));
    auto *fila = new QHBoxLayout(PBBarra);
    fila->setContentsMargins(10, 4, 10, 4);
    fila->setSpacing(2);
    const IconoBarra iconos[4] = {IconoBarra::Primera, IconoBarra::Anterior, IconoBarra::Siguiente,
                                  IconoBarra::Ultima};
    for (int i = 0; i < 12; ++i) {
        auto *b = new QToolButton(PBBarra);
        b->setObjectName(QStringLiteral("LBBarra%1").arg(i));
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
        if (i < 4) {
            b->setIcon(Icono(iconos[i], 22, devicePixelRatioF()));
            b->setIconSize(QSize(22, 22));
        } else {
            b->setText(QString::number(i - 3));
        }
        connect(b, &QToolButton::clicked, this, [this, i] { Ejecutar(ComandoBoton(i, vista_->bDerechaAIzquierda())); });
        LBBarra[i] = b;
        fila->addWidget(b);
        if (i == 3)
            fila->addSpacing(12);
    }
    fila->addSpacing(12);
    auto *cerrar = new QToolButton(PBBarra);
    cerrar->setObjectName(QStringLiteral("imCerrarBarra"));
    cerrar->setIcon(Icono(IconoBarra::Cerrar, 22, devicePixelRatioF()));
    cerrar->setIconSize(QSize(22, 22));
    cerrar->setFocusPolicy(Qt::NoFocus);
    connect(cerrar, &QToolButton::clicked, this, [this] { vista_->PonerBarraVisible(false); });
    imCerrarBarra = cerrar;
    fila->addWidget(cerrar);
    PBBarra->adjustSize();
    PBBarra->hide();

    auto *caja = new QLineEdit(this);
    caja->setObjectName(QStringLiteral("TB"));
    caja->hide();
    TB = caja;
    for (QLabel *&h : PBH) {
        h = new QLabel(this);
        h->hide();
    }
}

void Form1::TraduceBarra()
{
    for (int i = 4; i < 12; ++i)
        LBBarra[i]->setToolTip(TextoIdioma(MensajesModos[i - 4]));
}

void Form1::MuestraControles(bool mostrar)
{
    ImAbrir->setVisible(mostrar);
    ImCerrar->setVisible(mostrar);
    LBMarcador->setVisible(mostrar && !comandos_->Marcador.isEmpty());
    LBPag->setVisible(mostrar && !LBPag->text().isEmpty());
    if (vista_->BarraVisible())
        PBBarra->setVisible(mostrar);
}

void Form1::AplicarBarra()
{
    PBBarra->setVisible(vista_->BarraVisible());
    if (vista_->BarraVisible())
        PBBarra->raise();
}

void Form1::tmrInfo_Timer()
{
    if (SegundosInfo == vista_->SegundosMensaje()) {
        tmrInfo.stop();
        SegundosInfo = 0;
        LBInfo->setVisible(bMensajeFijo && LBInfo->isVisible());
        PBRef->hide();
    } else {
        ++SegundosInfo;
    }
}

void Form1::tmrMovH_Timer()
{
    const int fin = 1000 / Twips;
    const int izquierda = PBH[1]->x();
    const bool lejos = DireccionMovH == 1 ? izquierda >= fin : izquierda <= -fin;
    const int paso = (lejos ? 500 : 50) / Twips;
    for (QLabel *h : PBH)
        h->move(h->x() - DireccionMovH * paso, 0);
    if (DireccionMovH == 1 ? PBH[1]->x() <= 0 : PBH[1]->x() >= 0) {
        for (QLabel *h : PBH)
            h->hide();
        tmrMovH.stop();
    }
}
