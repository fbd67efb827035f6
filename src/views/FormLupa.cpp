#include "views/FormLupa.h"

#include "shell/MouseWheel.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/Teclas.h"
#include "views/Pintura.h"

#include <QBoxLayout>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

using modIdioma::TextoIdioma;

namespace {

constexpr int MensajeTitulo = 130;                 // "Magnify "
constexpr int MensajeZoomMas = 1080;               // "Zoom ( + )"
constexpr int MensajeZoomMenos = 1081;             // "Zoom ( - )"
constexpr int Margen = 3;                          // around the view, pixels
constexpr int AnchoBoton = 24;                     // the zoom buttons, pixels
const QColor ColorMarcoVista(64, 64, 64);

// The box layout that holds `control`, searched from `raiz` down.
QBoxLayout *LayoutDe(QLayout *raiz, QWidget *control)
{
    if (!raiz)
        return nullptr;
    if (auto *caja = qobject_cast<QBoxLayout *>(raiz); caja && caja->indexOf(control) >= 0)
        return caja;
    for (int i = 0; i < raiz->count(); ++i)
        if (QBoxLayout *dentro = LayoutDe(raiz->itemAt(i)->layout(), control))
            return dentro;
    return nullptr;
}

// `trozo` placed where `dentro` lies in `origen`, black elsewhere.
QImage Componer(const QRect &origen, const QRect &dentro, const QPixmap &trozo)
{
    const qreal escala = trozo.isNull() ? 1.0 : trozo.devicePixelRatio();
    QImage lienzo((QSizeF(origen.size()) * escala).toSize(), QImage::Format_RGB32);
    lienzo.fill(Qt::black);
    lienzo.setDevicePixelRatio(escala);
    if (!trozo.isNull()) {
        QPainter p(&lienzo);
        p.drawPixmap(dentro.topLeft() - origen.topLeft(), trozo);
    }
    return lienzo;
}

} // namespace

namespace lupa {

int PasoZoom(int alto, int boton)
{
    int paso = boton == 0 ? -1 : 1;
    if ((boton == 0 && alto <= LadoMinimo) || (boton == 1 && alto >= LadoMaximo))
        paso = 0;
    return alto + PasoLado * paso;
}

QString Factor(int alto)
{
    return modGeneral::UnDecimal(double(LadoVista) / alto);
}

QString Titulo(int alto)
{
    return QStringLiteral("Lupa (") + Factor(alto) + QStringLiteral("x)");
}

QRect Origen(QPoint puntero, int ancho, int alto)
{
    return QRect(puntero.x() - ancho / 2, puntero.y() - alto / 2, ancho, alto);
}

bool SobreSiMisma(QPoint puntero, const QRect &ventana)
{
    return puntero.x() >= ventana.x() && puntero.x() <= ventana.x() + ventana.width()
           && puntero.y() >= ventana.y() && puntero.y() <= ventana.y() + ventana.height();
}

Captura CapturaDeLaPlataforma()
{
    const QString plataforma = QGuiApplication::platformName();
    if (plataforma == QLatin1String("xcb") || plataforma == QLatin1String("windows")
        || plataforma == QLatin1String("cocoa"))
        return Captura::Pantalla;
    // Wayland keeps the screen from its clients; offscreen has none.
    return Captura::VentanaPrincipal;
}

} // namespace lupa

FormLupa::FormLupa(Comandos &comandos, lupa::Captura captura)
    : VentanaModal(comandos.Dueno(), QStringLiteral("FormLupa"), MensajeTitulo), Captura(captura),
      principal_(comandos.Dueno())
{
    LBTitulo->setText(TextoIdioma(MensajeTitulo) + QStringLiteral("(2x)"));

    // The zoom buttons sit in the title bar, before the close button.
    const QString estilo = QStringLiteral(
        "QToolButton { background: #30333a; color: #f2f2f2; border: none; padding: 4px 0px; font-weight: bold; }"
        "QToolButton:hover { background: #4a4e57; }");
    const char *signos[2] = {"+", "\u2212"};
    const int tips[2] = {MensajeZoomMas, MensajeZoomMenos};
    QBoxLayout *barra = LayoutDe(layout(), ImCerrar);
    for (int i = 0; i < 2; ++i) {
        ImZoom[i] = new QToolButton(this);
        ImZoom[i]->setObjectName(QStringLiteral("ImZoom%1").arg(i));
        ImZoom[i]->setText(QString::fromUtf8(signos[i]));
        ImZoom[i]->setToolTip(TextoIdioma(tips[i]));
        ImZoom[i]->setStyleSheet(estilo);
        ImZoom[i]->setFocusPolicy(Qt::NoFocus);
        ImZoom[i]->setFixedWidth(AnchoBoton);
        connect(ImZoom[i], &QToolButton::clicked, this, [this, i] { ImZoom_Click(i); });
        if (barra)
            barra->insertWidget(barra->indexOf(ImCerrar), ImZoom[i]);
    }
    ImCerrar->setFocusPolicy(Qt::NoFocus);

    PB = new QWidget(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setFixedSize(lupa::LadoVista, lupa::LadoVista);
    PB->installEventFilter(this);
    Cuerpo()->setContentsMargins(Margen, Margen, Margen, Margen);
    Cuerpo()->addWidget(PB, 0, Qt::AlignCenter);
    vista_ = QImage((QSizeF(PB->size()) * PB->devicePixelRatioF()).toSize(), QImage::Format_RGB32);
    vista_.setDevicePixelRatio(PB->devicePixelRatioF());
    vista_.fill(Qt::black);
    MouseWheel1 = new MouseWheel(this);
    connect(MouseWheel1, &MouseWheel::WheelMove, this, &FormLupa::MouseWheel1_WheelMove);
    ensurePolished(); // the style's paddings count in the size
    adjustSize();

    // The top right corner of the main window.
    if (principal_) {
        const QRect g = principal_->geometry();
        move(g.x() + g.width() - width(), g.y());
    }

    Timer1.setInterval(lupa::IntervaloCaptura);
    connect(&Timer1, &QTimer::timeout, this, [this] { Capturar(QCursor::pos()); });
    Timer1.start();
}

void FormLupa::Capturar(QPoint puntero)
{
    const qreal escala = PB->devicePixelRatioF();
    QImage nueva((QSizeF(PB->size()) * escala).toSize(), QImage::Format_RGB32);
    nueva.setDevicePixelRatio(escala);
    nueva.fill(Qt::black);
    // Over itself it would magnify its own view: it shows nothing.
    if (!lupa::SobreSiMisma(puntero, frameGeometry())) {
        const QRect origen = lupa::Origen(puntero, anchoLupa, altoLupa);
        QImage trozo = Captura == lupa::Captura::Pantalla ? DePantalla(origen) : QImage();
        if (trozo.isNull())
            trozo = DeVentanaPrincipal(origen);
        if (!trozo.isNull()) {
            // Whole pixels, as a magnifier shows them.
            QPainter p(&nueva);
            p.drawImage(QRectF(QPointF(0, 0), QSizeF(PB->size())), trozo);
        }
    }
    vista_ = std::move(nueva);
    PB->update();
}

QImage FormLupa::DePantalla(const QRect &origen) const
{
    QScreen *pantalla = QGuiApplication::screenAt(origen.center());
    if (!pantalla)
        pantalla = screen();
    if (!pantalla)
        return {};
    const QRect g = pantalla->geometry();
    const QRect dentro = origen & g;
    if (dentro.isEmpty())
        return Componer(origen, dentro, {});
    // Only the small rectangle, never the whole screen.
    const QPixmap trozo = pantalla->grabWindow(0, dentro.x() - g.x(), dentro.y() - g.y(), dentro.width(),
                                               dentro.height());
    if (trozo.isNull())
        return {};
    return Componer(origen, dentro, trozo);
}

QImage FormLupa::DeVentanaPrincipal(const QRect &origen) const
{
    if (!principal_)
        return {};
    const QRect local(principal_->mapFromGlobal(origen.topLeft()), origen.size());
    const QRect dentro = local & principal_->rect();
    if (dentro.isEmpty())
        return Componer(local, dentro, {});
    return Componer(local, dentro, principal_->grab(dentro));
}

void FormLupa::ImZoom_Click(int boton)
{
    const int nuevo = lupa::PasoZoom(altoLupa, boton);
    anchoLupa += nuevo - altoLupa;
    altoLupa = nuevo;
    LBTitulo->setText(lupa::Titulo(altoLupa));
}

void FormLupa::MouseWheel1_WheelMove(bool abajo)
{
    ImZoom_Click(abajo ? 0 : 1);
}

void FormLupa::Acoplar()
{
    const QScreen *pantalla = screen();
    if (!pantalla)
        return;
    const QRect g = pantalla->geometry();
    move(g.x() + g.width() - width(), g.y());
}

bool FormLupa::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == PB && evento->type() == QEvent::Paint) {
        QPainter p(PB);
        p.drawImage(QPoint(0, 0), vista_);
        pintura::EnPixeles(p, PB->devicePixelRatioF())
            .Marco(QRectF(QPointF(0, 0), QSizeF(PB->size())), 1, ColorMarcoVista);
        return true;
    }
    if (objeto == LBTitulo && evento->type() == QEvent::MouseButtonDblClick) {
        Acoplar();
        return true;
    }
    return VentanaModal::eventFilter(objeto, evento);
}

void FormLupa::TeclaSoltada(QKeyEvent &evento)
{
    // Only F9 closes it.
    if (teclas::DeEvento(evento).codigo == Qt::Key_F9)
        reject();
}
