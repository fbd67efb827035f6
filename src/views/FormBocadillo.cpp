#include "views/FormBocadillo.h"

#include "documento/Paginas.h"
#include "shell/modGeneral.h"
#include "shell/VentanaHerramienta.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "views/Logotipo.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

using diseno::Entero;

namespace {
constexpr int Twips = modGeneral::TwipsPorPixel;
constexpr int MensajeAyuda = 300;
} // namespace

namespace bocadillo {

bool Paso(Movimiento &m, const diseno::Ventana &pantalla, const diseno::Ventana &ventana)
{
    m.Left += m.PasoH;
    m.Top -= m.PasoV;
    m.PasoH += AumentoH;
    m.PasoV += AumentoV;
    const std::int32_t esquina = pantalla.SW - ventana.SW - MargenDerecho;
    if (m.Left >= esquina || m.Top <= 0) {
        m.Left = esquina;
        m.Top = 0;
        return true;
    }
    return false;
}

} // namespace bocadillo

FormBocadillo::FormBocadillo(Comandos &comandos)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint),
      comandos_(comandos)
{
    setObjectName(QStringLiteral("FormBocadillo"));
    setWindowTitle(QStringLiteral("Tavelo"));
    setFixedSize(bocadillo::Ancho, bocadillo::Alto);
    LBInv = new QLabel(this);
    LBInv->setObjectName(QStringLiteral("LBInv"));
    LBInv->setGeometry(rect());
    LBInv->setAcceptDrops(true);
    LBInv->installEventFilter(this);
    LBInv->setToolTip(modIdioma::TextoIdioma(MensajeAyuda));
    connect(&comandos_, &Comandos::IdiomaCambiado, this,
            [this] { LBInv->setToolTip(modIdioma::TextoIdioma(MensajeAyuda)); });
    tmrmov.setInterval(bocadillo::Intervalo);
    connect(&tmrmov, &QTimer::timeout, this, &FormBocadillo::tmrmov_Timer);
}

diseno::Ventana FormBocadillo::Pantalla() const
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 800, 600);
    return {g.width() * Twips, g.height() * Twips};
}

void FormBocadillo::Mostrar()
{
    const QWidget *principal = comandos_.Dueno();
    const QScreen *s = principal && principal->screen() ? principal->screen() : QGuiApplication::primaryScreen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 800, 600);
    // From the middle of the screen, steps at rest.
    Movimiento = {};
    Movimiento.Left = (g.width() - width()) / 2 * Twips;
    Movimiento.Top = (g.height() - height()) / 2 * Twips;
    puesta_ = g.topLeft() + QPoint(Movimiento.Left / Twips, Movimiento.Top / Twips);
    move(puesta_);
    show();
    raise();
    tmrmov.start();
}

void FormBocadillo::tmrmov_Timer()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QPoint origen = s ? s->geometry().topLeft() : QPoint();
    // Dragged meanwhile: the slide goes on from where it was left.
    if (pos() != puesta_) {
        Movimiento.Left = (pos().x() - origen.x()) * Twips;
        Movimiento.Top = (pos().y() - origen.y()) * Twips;
    }
    const bool fin = bocadillo::Paso(Movimiento, Pantalla(), {width() * Twips, height() * Twips});
    puesta_ = origen + QPoint(Entero(double(Movimiento.Left) / Twips), Entero(double(Movimiento.Top) / Twips));
    move(puesta_);
    if (fin)
        tmrmov.stop();
}

void FormBocadillo::MostrarPrincipal()
{
    if (QWidget *principal = comandos_.Dueno()) {
        principal->show();
        principal->raise();
        principal->activateWindow();
    }
}

void FormBocadillo::Volver()
{
    MostrarPrincipal();
    Cerrar();
}

void FormBocadillo::Abrir(const QString &ruta)
{
    // In its turn, like any document from outside.
    Comandos &comandos = comandos_;
    comandos.EnTurno([&comandos, ruta, yo = QPointer<FormBocadillo>(this)] {
        comandos.OcultarMarcador();
        if (yo)
            yo->MostrarPrincipal();
        // The balloon closes, and may go, once the opening is asked for.
        comandos.AbrirArchivo(ruta, true);
        if (yo)
            yo->Cerrar();
    });
}

void FormBocadillo::Cerrar()
{
    tmrmov.stop();
    hide();
    emit Cerrado();
}

bool FormBocadillo::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto != LBInv)
        return QWidget::eventFilter(objeto, evento);
    switch (evento->type()) {
    case QEvent::MouseButtonPress: {
        const auto *raton = static_cast<QMouseEvent *>(evento);
        if (raton->button() == Qt::LeftButton) {
            arrastrando_ = true;
            agarre_ = raton->globalPosition().toPoint() - pos();
        }
        return true;
    }
    case QEvent::MouseMove:
        if (arrastrando_) {
            move(static_cast<QMouseEvent *>(evento)->globalPosition().toPoint() - agarre_);
        }
        return true;
    case QEvent::MouseButtonRelease:
        arrastrando_ = false;
        return true;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton)
            TrasSoltarBoton(this, [this] { Volver(); });
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *arrastre = static_cast<QDragMoveEvent *>(evento);
        if (!paginas::ArchivoSoltado(arrastre->mimeData()).isEmpty())
            arrastre->acceptProposedAction();
        else
            arrastre->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *soltado = static_cast<QDropEvent *>(evento);
        const QString ruta = paginas::ArchivoSoltado(soltado->mimeData());
        if (ruta.isEmpty())
            return true; // not ours: the balloon stays
        soltado->acceptProposedAction();
        Abrir(ruta);
        return true;
    }
    default:
        return QWidget::eventFilter(objeto, evento);
    }
}

void FormBocadillo::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    logotipo::DibujarBocadillo(p, QRectF(rect()), true);
}

void FormBocadillo::resizeEvent(QResizeEvent *evento)
{
    QWidget::resizeEvent(evento);
    LBInv->setGeometry(rect());
    // Only the balloon itself is the window: the desktop shows around it.
    setMask(QRegion(logotipo::FormaBocadillo(QRectF(rect())).toFillPolygon().toPolygon()));
}
