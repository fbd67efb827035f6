// The mouse on the main window: drags, swipes, clicks on the halves, the
// buttons on the window and the page-number box. What turns a page names its
// command by the side it stands for.
#include "app/Form1.h"

#include "shell/modGeneral.h"
#include "viewer/Teclas.h"
#include "views/Navegador.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>
#include <utility>

using diseno::Modo;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;
// Beyond this many pixels the drag redraws the page instead of carrying a copy.
constexpr qint64 PixelesMaximosArrastre = 40'000'000;
// How far a press on a fitting page must travel to turn it.
constexpr std::int32_t DistanciaDeslizar = 700;

std::int32_t EnTwips(qreal pixeles)
{
    return static_cast<std::int32_t>(std::lrint(pixeles * Twips));
}

// Logical pixels, rounded as the surface rounds them.
int EnPixeles(std::int32_t twips)
{
    return diseno::Entero(twips / double(Twips));
}

} // namespace

void Form1::mousePressEvent(QMouseEvent *event)
{
    EstadoVista &v = *vista_;
    const ControlImagen &imagen = v.Imagen();
    const std::int32_t X = EnTwips(event->position().x());
    const std::int32_t Y = EnTwips(event->position().y());
    XPulsado = X;
    AgarreX = X - imagen.Left;
    AgarreY = Y - imagen.Top;
    const diseno::Ventana &ventana = v.Escala();
    switch (event->button()) {
    case Qt::LeftButton:
        if (v.ModoAjuste() == Modo::Dinamico || imagen.Picture.isNull())
            break;
        if (imagen.Width > ventana.SW || imagen.Height > ventana.SH || !diseno::EsModoSimple(v.ModoAjuste())) {
            const qreal escala = devicePixelRatioF();
            const QSize tamano(int(imagen.Width / double(Twips) * escala), int(imagen.Height / double(Twips) * escala));
            if (diseno::EsModoSimple(v.ModoAjuste()) && qint64(tamano.width()) * tamano.height() <= PixelesMaximosArrastre) {
                // The page rides on PBZ while the surface shows the background.
                v.Completar(false, escala / Twips);
                QPixmap copia = QPixmap::fromImage(
                    imagen.Picture.scaled(tamano, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
                copia.setDevicePixelRatio(escala);
                PBZ->setPixmap(copia);
                PBZ->setGeometry(EnPixeles(imagen.Left), EnPixeles(imagen.Top), EnPixeles(imagen.Width),
                                 EnPixeles(imagen.Height));
                ControlImagen vacia;
                Pintar(vacia, true);
                PBZ->show();
                PBZ->lower();
                update();
            }
            bArrastrando = true;
            setCursor(Qt::ClosedHandCursor);
        } else {
            bDesplazando = true;
        }
        break;
    case Qt::RightButton:
        Ejecutar(QStringLiteral("Informacion"));
        if (bArrastrando)
            TerminarArrastre();
        break;
    case Qt::MiddleButton:
        Ejecutar(QStringLiteral("CambiarRueda"));
        break;
    default:
        break;
    }
}

bool Form1::event(QEvent *event)
{
    // A modal window takes the mouse: the release of a press begun here
    // goes to it, so the press is over here now.
    if (event->type() == QEvent::WindowBlocked) {
        if (bArrastrando)
            TerminarArrastre();
        bDesplazando = false;
    }
    switch (event->type()) {
    case QEvent::KeyPress: case QEvent::MouseButtonPress: case QEvent::Wheel:
        if (std::exchange(bMensajeFijo, false))
            LBInfo->hide();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    EstadoVista &v = *vista_;
    const ControlImagen &imagen = v.Imagen();
    const std::int32_t X = EnTwips(event->position().x());
    const std::int32_t Y = EnTwips(event->position().y());
    v.PonerRaton(X, Y);
    if (v.ModoOSD() == 2) {
        const bool cerca = modGeneral::RatonSobreControl(ImCerrar, X, Y)
                           || modGeneral::RatonSobreControl(ImAbrir, X, Y)
                           || modGeneral::RatonSobreControl(LBPag, X, Y)
                           || (v.BarraVisible() && modGeneral::RatonSobreControl(PBBarra, X, Y));
        MuestraControles(cerca);
    }
    if (v.ModoAjuste() == Modo::Dinamico) {
        if (!v.tmrDinamico.isActive())
            v.tmrDinamico.start();
        return;
    }
    if (!bArrastrando)
        return;
    const diseno::Ventana &ventana = v.Escala();
    std::int32_t left = X - AgarreX;
    std::int32_t top = Y - AgarreY;
    if (!diseno::EsModoSimple(v.ModoAjuste())) {
        const int antes = v.PaginaActual();
        v.MoverPaginas(left, top);
        if (v.EsContinuo() && v.PaginaActual() != antes)
            AgarreY = Y - imagen.Top; // the grab now holds the new current page
        return;
    }
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        left = imagen.Width > ventana.SW ? std::clamp(left, ventana.SW - imagen.Width, 0) : imagen.Left;
        top = imagen.Height > ventana.SH ? std::clamp(top, ventana.SH - imagen.Height, 0) : imagen.Top;
    }
    v.MoverPagina(left, top);
    v.ActualizaReferencia(true);
    if (PBZ->isVisible())
        PBZ->move(EnPixeles(imagen.Left), EnPixeles(imagen.Top));
    else
        v.DibujaForm();
}

void Form1::TerminarArrastre()
{
    bArrastrando = false;
    unsetCursor();
    PBZ->hide();
    vista_->DibujaSegunModo();
}

void Form1::mouseReleaseEvent(QMouseEvent *event)
{
    const std::int32_t X = EnTwips(event->position().x());
    const diseno::Ventana &ventana = vista_->Escala();
    const ControlImagen &imagen = vista_->Imagen();
    if (bArrastrando) {
        TerminarArrastre();
    } else if (event->button() == Qt::LeftButton && bDesplazando) {
        if (imagen.Height <= ventana.SH && imagen.Width <= ventana.SW)
            Deslizar(X);
        bDesplazando = false;
    }
    PBRef->hide();
}

void Form1::Deslizar(std::int32_t X)
{
    if (std::abs(X - XPulsado) < DistanciaDeslizar)
        return;
    // The old screen and the new one slide across, the new one pushing in.
    PBH[0]->setPixmap(QPixmap::fromImage(superficie_));
    PBH[0]->setGeometry(rect());
    PBH[0]->show();
    PBH[0]->raise();
    // Dragged to the left: the page on the right comes in.
    const teclas::Lado lado = X < XPulsado ? teclas::Lado::Derecha : teclas::Lado::Izquierda;
    Ejecutar(teclas::ComandoHacia(lado, false, vista_->bDerechaAIzquierda()));
    DireccionMovH = lado == teclas::Lado::Derecha ? 1 : -1;
    // The new screen slides in once its page is there.
    deslizPendiente_ = !vista_->PaginaCargada();
    if (!deslizPendiente_)
        EntrarDeslizada();
}

void Form1::EntrarDeslizada()
{
    PBH[1]->setPixmap(QPixmap::fromImage(superficie_));
    PBH[1]->setGeometry(QRect(QPoint(DireccionMovH * width(), 0), size()));
    PBH[1]->show();
    PBH[1]->raise();
    tmrMovH.start();
}

void Form1::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!documento_->HayDocumento()) {
        Ejecutar(QStringLiteral("AbrirUltimo"));
        return;
    }
    // The exact middle counts as the right half.
    Ejecutar(teclas::ComandoHacia(XPulsado < vista_->Escala().SW / 2.0 ? teclas::Lado::Izquierda
                                                                       : teclas::Lado::Derecha,
                                  false, vista_->bDerechaAIzquierda()));
}

void Form1::AbrirCajaPagina()
{
    const QString texto = LBPag->text();
    if (texto.isEmpty())
        return;
    auto *caja = static_cast<QLineEdit *>(TB);
    caja->setGeometry(LBPag->geometry());
    caja->setText(texto.section(QLatin1Char('/'), 0, 0));
    caja->show();
    caja->raise();
    caja->setFocus();
    caja->selectAll();
    ImAbrir->hide();
}

void Form1::CerrarCajaPagina()
{
    auto *caja = static_cast<QLineEdit *>(TB);
    ImAbrir->setVisible(vista_->ModoOSD() == 1);
    caja->hide();
    caja->clear();
    setFocus();
}

bool Form1::CajaPaginaAbierta() const
{
    return !TB->isHidden();
}

bool Form1::TeclaEnCaja(QKeyEvent *event)
{
    auto *caja = static_cast<QLineEdit *>(TB);
    const int k = event->key();
    if (k == Qt::Key_Escape) {
        // Not in the original box, but a reader must be able to leave it.
        CerrarCajaPagina();
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        bool ok = false;
        const int n = caja->text().toInt(&ok);
        if (!ok || !documento_->EsPagina(n)) {
            caja->selectAll();
            return true;
        }
        comandos_->EnTurno([this, n] { vista_->IrAPagina(n); });
        CerrarCajaPagina();
        return true;
    }
    if (k == Qt::Key_Backspace || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return false; // the box edits it
    if (event->text().isEmpty())
        return false; // cursor keys and the like
    return true; // any other character is discarded
}
