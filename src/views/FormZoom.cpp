#include "views/FormZoom.h"

#include "imaging/modImagen.h"
#include "shell/MouseWheel.h"
#include "shell/modGeneral.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"
#include "viewer/Teclas.h"
#include "views/Pintura.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>

using diseno::Entero;

namespace {
constexpr int Twips = modGeneral::TwipsPorPixel;
const QColor ColorCuadro(255, 128, 128);
const QColor ColorMarcoVentana(64, 64, 64);
constexpr int MensajeTitulo = 176; // "Zoom"
} // namespace

namespace zoom {

double Proporcion(const diseno::Ventana &principal)
{
    if (principal.SH <= 0)
        return 1.0;
    return std::nearbyint(double(principal.SW) / principal.SH * 100.0) / 100.0;
}

diseno::Ventana TamanoVentana(QSize natural)
{
    if (natural.isEmpty())
        return {LadoVentana, LadoVentana};
    const double r = double(natural.width()) / natural.height();
    if (natural.width() > natural.height())
        return {LadoVentana, Entero(LadoVentana / r)};
    return {Entero(LadoVentana * r), LadoVentana};
}

Marco ActualizarMarco(const diseno::Rect &imagen, const diseno::Ventana &principal,
                      const diseno::Ventana &nav, double proporcion)
{
    Marco m;
    if (imagen.Width > 0 && imagen.Height > 0) {
        m.Height = Entero(double(principal.SH) * nav.SH / imagen.Height);
        m.Width = Entero(double(principal.SW) * nav.SW / imagen.Width);
        m.Top = imagen.Top < 0 ? Entero(std::abs(double(imagen.Top)) * nav.SH / imagen.Height) : 0;
        m.Left = imagen.Left < 0 ? Entero(std::abs(double(imagen.Left)) * nav.SW / imagen.Width) : 0;
        // Part of the page is off the screen.
        m.Visible = nav.SH > m.Height || nav.SW > m.Width;
    }
    if (!m.Visible) {
        m.Left = m.Top = 0;
        m.Width = nav.SW;
        m.Height = Entero(nav.SW / proporcion);
    }
    return m;
}

std::optional<Paso> ZoomMarco(const Marco &cuadro, int dir, int paso, const diseno::Rect &imagen,
                              const diseno::Ventana &principal, const diseno::Ventana &nav,
                              double proporcion)
{
    if (dir == -1 && (cuadro.Height <= LadoMinimo || cuadro.Width <= LadoMinimo))
        return std::nullopt;
    const std::int32_t rH = cuadro.Height, rW = cuadro.Width;
    std::int32_t newH = Entero(rH + dir * double(rH) / paso);
    std::int32_t newW = Entero(rW + dir * double(rW) / paso);
    std::int32_t newL = Entero(cuadro.Left - dir * std::abs(double(rW - newW)) / 2);
    std::int32_t newT = Entero(cuadro.Top - dir * std::abs(double(rH - newH)) / 2);
    if (dir == 1) {
        if (newT + newH > nav.SH)
            newT = nav.SH - newH;
        if (newL + newW > nav.SW)
            newL = nav.SW - newW;
        if (newT < 0)
            newT = 0;
        if (newL < 0)
            newL = 0;
        if (newW > nav.SW)
            newW = nav.SW;
        if (newH > nav.SW / proporcion)
            newH = Entero(nav.SW / proporcion);
    }
    if (newW <= 0 || newH <= 0)
        return std::nullopt;
    Paso r;
    r.Cuadro.Left = newL;
    r.Cuadro.Top = newT;
    r.Cuadro.Width = newW;
    r.Cuadro.Height = newH;
    r.Cuadro.Visible = true;
    r.Imagen = imagen;
    r.Imagen.Height = Entero(double(principal.SH) * nav.SH / newH);
    r.Imagen.Width = Entero(double(principal.SW) * nav.SW / newW);
    r.Imagen.Top = Entero(-(double(newT) * r.Imagen.Height / nav.SH));
    r.Imagen.Left = Entero(-(double(newL) * r.Imagen.Width / nav.SW));
    return r;
}

namespace {
// One axis of MoverMarco: where a frame `lado` long centred on `centro`
// starts, kept within 0 to `total`. A frame as long as the miniature or
// longer (a page narrower than the screen) has nowhere to go: it stays.
std::int32_t Colocar(std::int32_t centro, std::int32_t lado, std::int32_t total, std::int32_t actual)
{
    if (lado >= total)
        return actual;
    std::int32_t inicio = Entero(centro - lado / 2.0);
    if (inicio < 1)
        inicio = 0;
    if (centro + lado / 2.0 > total)
        inicio = total - lado;
    return inicio;
}
} // namespace

Marco MoverMarco(const Marco &cuadro, std::int32_t x, std::int32_t y, const diseno::Ventana &nav)
{
    Marco m = cuadro;
    m.Left = Colocar(x, cuadro.Width, nav.SW, cuadro.Left);
    m.Top = Colocar(y, cuadro.Height, nav.SH, cuadro.Top);
    return m;
}

diseno::Rect ImagenSegunMarco(const Marco &cuadro, const diseno::Rect &imagen, const diseno::Ventana &nav)
{
    diseno::Rect r = imagen;
    if (cuadro.Height < nav.SH)
        r.Top = Entero(-(double(cuadro.Top) * imagen.Height / nav.SH));
    if (cuadro.Width < nav.SW)
        r.Left = Entero(-(double(cuadro.Left) * imagen.Width / nav.SW));
    return r;
}

} // namespace zoom

FormZoom::FormZoom(Comandos &comandos)
    : VentanaModal(comandos.Dueno(), QStringLiteral("FormZoom"), MensajeTitulo),
      vista_(comandos.Vista())
{
    proporcion = zoom::Proporcion(vista_.Escala());

    // The window takes whole pixels: the miniature's twips are what it got.
    const diseno::Ventana pedido = zoom::TamanoVentana(TamanoNatural(vista_.Imagen()));
    PB = new QWidget(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setFixedSize(std::max(1, Entero(double(pedido.SW) / Twips)), std::max(1, Entero(double(pedido.SH) / Twips)));
    PB->setCursor(Qt::CrossCursor);
    PB->installEventFilter(this);
    Cuerpo()->setContentsMargins(0, 0, 0, 0);
    Cuerpo()->addWidget(PB);
    MouseWheel1 = new MouseWheel(this);
    connect(MouseWheel1, &MouseWheel::WheelMove, this, &FormZoom::MouseWheel1_WheelMove);
    ensurePolished(); // the style's paddings count in the size
    adjustSize();

    const QScreen *pantalla = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (pantalla) {
        const QRect g = pantalla->geometry();
        move(g.x() + g.width() - width() - zoom::MargenPantalla / Twips, g.y() + zoom::MargenPantalla / Twips);
    }

    // The miniature is drawn once.
    const qreal escala = PB->devicePixelRatioF();
    miniatura_ = modImagen::PintarEscaladoForm(vista_.Imagen().Picture, (QSizeF(PB->size()) * escala).toSize());
    miniatura_.setDevicePixelRatio(escala);
    ActualizarMarco();
}

diseno::Ventana FormZoom::Nav() const
{
    return {PB->width() * Twips, PB->height() * Twips};
}

void FormZoom::ActualizarMarco()
{
    Cuadro = zoom::ActualizarMarco(RectDe(vista_.Imagen()), vista_.Escala(), Nav(), proporcion);
    PB->update();
}

void FormZoom::ZoomMarco(int dir, int paso)
{
    const auto r = zoom::ZoomMarco(Cuadro, dir, paso, RectDe(vista_.Imagen()), vista_.Escala(), Nav(), proporcion);
    if (!r)
        return;
    Cuadro = r->Cuadro;
    PB->update();
    // The main window completes a page held reduced when it paints it larger.
    vista_.ColocarPagina(r->Imagen);
}

void FormZoom::MoverMarco(std::int32_t x, std::int32_t y)
{
    Cuadro = zoom::MoverMarco(Cuadro, x, y, Nav());
    PB->update();
}

void FormZoom::MouseWheel1_WheelMove(bool abajo)
{
    // Towards the user: a larger frame, the page smaller.
    ZoomMarco(abajo ? 1 : -1, zoom::PasoMarco);
}

bool FormZoom::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == PB) {
        switch (evento->type()) {
        case QEvent::Paint:
            PintarPB();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            RatonPB(evento);
            return true;
        default:
            break;
        }
    }
    return VentanaModal::eventFilter(objeto, evento);
}

void FormZoom::RatonPB(QEvent *evento)
{
    const auto *raton = static_cast<QMouseEvent *>(evento);
    const std::int32_t x = Entero(raton->position().x() * Twips);
    const std::int32_t y = Entero(raton->position().y() * Twips);
    switch (evento->type()) {
    case QEvent::MouseButtonPress:
        if (raton->button() == Qt::LeftButton && Cuadro.Visible) {
            arrastrando = true;
            MoverMarco(x, y); // the page waits for the first move
        } else if (raton->button() == Qt::RightButton) {
            reject();
        }
        break;
    case QEvent::MouseMove:
        if (arrastrando) {
            MoverMarco(x, y);
            vista_.ColocarPagina(zoom::ImagenSegunMarco(Cuadro, RectDe(vista_.Imagen()), Nav()));
        }
        break;
    default:
        arrastrando = false;
        break;
    }
}

void FormZoom::PintarPB()
{
    QPainter p(PB);
    p.drawImage(QPoint(0, 0), miniatura_);
    pintura::EnPixeles px(p, PB->devicePixelRatioF());
    px.Marco(QRectF(QPointF(0, 0), QSizeF(PB->size())), 1, ColorMarcoVentana);
    if (Cuadro.Visible) {
        const QRectF r(Cuadro.Left / double(Twips), Cuadro.Top / double(Twips), Cuadro.Width / double(Twips),
                       Cuadro.Height / double(Twips));
        // A frame larger than the miniature is shown at its edges.
        px.Marco(r.intersected(QRectF(QPointF(0, 0), QSizeF(PB->size()))), zoom::GrosorCuadro, ColorCuadro);
    }
}

void FormZoom::TeclaSoltada(QKeyEvent &evento)
{
    const teclas::Tecla t = teclas::DeEvento(evento);
    if (t.codigo == Qt::Key_Escape || t.codigo == Qt::Key_F8)
        reject();
    else if (t.codigo == Qt::Key_Z)
        ZoomMarco(t.mayusculas != 0 ? 1 : -1, zoom::PasoMarco);
}
