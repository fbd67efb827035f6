// The mouse on the main window: drags, swipes, clicks on the halves, the
// buttons on the window and the page-number box. Almost everything ends as a
// key sent to Form_KeyUp.
#include "viewer/Form1.h"

#include "shell/MouseWheel.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "imaging/modPNG.h"
#include "viewer/Form1Comun.h"
#include "viewer/Teclas.h"
#include "documento/modDocumento.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

using modIdioma::TextoIdioma;
namespace doc = modDocumento;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;
// Beyond this many pixels the drag redraws the page instead of carrying a copy.
constexpr qint64 PixelesMaximosArrastre = 40'000'000;

std::int32_t EnTwips(qreal pixeles)
{
    return static_cast<std::int32_t>(std::lrint(pixeles * Twips));
}

} // namespace

QPixmap Form1::FotoVentana() const
{
    return QPixmap::fromImage(Superficie());
}

void Form1::mousePressEvent(QMouseEvent *event)
{
    const std::int32_t X = EnTwips(event->position().x());
    const std::int32_t Y = EnTwips(event->position().y());
    XPulsado = X;
    AgarreX = X - Imagen.Left;
    AgarreY = Y - Imagen.Top;
    const diseno::Ventana v = Escala();
    switch (event->button()) {
    case Qt::LeftButton:
        if (ModoAjuste == 6 || Imagen.Picture.isNull())
            break;
        if (Imagen.Width > v.SW || Imagen.Height > v.SH || ModoAjuste >= 7) {
            const qreal escala = devicePixelRatioF();
            const QSize tamano(int(Imagen.Width / double(Twips) * escala), int(Imagen.Height / double(Twips) * escala));
            if (ModoAjuste < 7 && qint64(tamano.width()) * tamano.height() <= PixelesMaximosArrastre) {
                // The page rides on PBZ while the surface shows the background.
                if (tamano.width() > Imagen.Picture.width() || tamano.height() > Imagen.Picture.height())
                    modPNG::Completar(Imagen);
                QPixmap copia = QPixmap::fromImage(Imagen.Picture.scaled(tamano, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
                copia.setDevicePixelRatio(escala);
                auto *pbz = static_cast<QLabel *>(PBZ);
                pbz->setPixmap(copia);
                pbz->setGeometry(Imagen.Left / Twips, Imagen.Top / Twips, Imagen.Width / Twips, Imagen.Height / Twips);
                ControlImagen vacia;
                Pintar(vacia, true);
                pbz->show();
                pbz->lower();
                update();
            }
            bArrastrando = true;
            setCursor(Qt::ClosedHandCursor);
        } else {
            bDesplazando = true;
        }
        break;
    case Qt::RightButton:
        emit InformacionPedida();
        if (bArrastrando)
            TerminarArrastre();
        break;
    case Qt::MiddleButton:
        bRuedaZoom = !bRuedaZoom;
        MostrarMensaje(TextoIdioma(175) + " " + TextoIdioma(bRuedaZoom ? 176 : 177).toLower());
        break;
    default:
        break;
    }
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    const std::int32_t X = EnTwips(event->position().x());
    const std::int32_t Y = EnTwips(event->position().y());
    RatonX = X;
    RatonY = Y;
    if (ModoOSD == 2) {
        const bool cerca = modGeneral::RatonSobreControl(ImCerrar, X, Y)
                           || modGeneral::RatonSobreControl(ImAbrir, X, Y)
                           || modGeneral::RatonSobreControl(LBPag, X, Y)
                           || (BarraVisible && modGeneral::RatonSobreControl(PBBarra, X, Y));
        MuestraControles(cerca);
    }
    if (ModoAjuste == 6) {
        if (!tmrDinamico.isActive())
            tmrDinamico.start();
        return;
    }
    if (!bArrastrando)
        return;
    const diseno::Ventana v = Escala();
    std::int32_t left = X - AgarreX;
    std::int32_t top = Y - AgarreY;
    if (ModoAjuste < 7) {
        if (!(event->modifiers() & Qt::ShiftModifier)) {
            left = Imagen.Width > v.SW ? std::clamp(left, v.SW - Imagen.Width, 0) : Imagen.Left;
            top = Imagen.Height > v.SH ? std::clamp(top, v.SH - Imagen.Height, 0) : Imagen.Top;
        }
        Imagen.Left = left;
        Imagen.Top = top;
        ActualizaReferencia(true);
        if (PBZ->isVisible())
            PBZ->move(Imagen.Left / Twips, Imagen.Top / Twips);
        else
            DibujaForm();
    } else if (ModoAjuste == 7) {
        Imagen.Left = left;
        Imagen2.Left = left;
        const std::int16_t antes = PaginaActual;
        PasoContinuo(top);
        if (PaginaActual != antes)
            AgarreY = Y - Imagen.Top; // the grab now holds the new current page
    } else {
        const std::int32_t dx = left - Imagen.Left;
        const std::int32_t dy = top - Imagen.Top;
        Imagen.Left += dx;
        Imagen.Top += dy;
        Imagen2.Left += dx;
        Imagen2.Top += dy;
        if (Imagen2.Picture.isNull())
            DibujaForm();
        else
            DibujaDosPaginas();
    }
}

void Form1::TerminarArrastre()
{
    bArrastrando = false;
    unsetCursor();
    PBZ->hide();
    if (ModoAjuste < 7 || Imagen2.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
}

void Form1::mouseReleaseEvent(QMouseEvent *event)
{
    const std::int32_t X = EnTwips(event->position().x());
    const diseno::Ventana v = Escala();
    if (bArrastrando) {
        TerminarArrastre();
    } else if (event->button() == Qt::LeftButton && bDesplazando) {
        if (Imagen.Height <= v.SH && Imagen.Width <= v.SW)
            Deslizar(X);
        bDesplazando = false;
    }
    PBRef->hide();
}

void Form1::Deslizar(std::int32_t X)
{
    if (std::abs(X - XPulsado) < 700)
        return;
    // The old screen and the new one slide across, the new one pushing in.
    PBH[0]->setPixmap(FotoVentana());
    PBH[0]->setGeometry(rect());
    PBH[0]->show();
    PBH[0]->raise();
    const bool siguiente = X < XPulsado;
    Form_KeyUp(siguiente ? teclas::VK_SPACE : teclas::VK_BACK, 0);
    DireccionMovH = siguiente ? 1 : -1;
    PBH[1]->setPixmap(FotoVentana());
    PBH[1]->setGeometry(QRect(QPoint(DireccionMovH * width(), 0), size()));
    PBH[1]->show();
    PBH[1]->raise();
    tmrMovH.start();
}

void Form1::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (doc::Paginas.size() <= 1) {
        Form_KeyUp('U', 0);
        return;
    }
    // The exact middle counts as the right half.
    Form_KeyUp(XPulsado < Escala().SW / 2.0 ? teclas::VK_BACK : teclas::VK_SPACE, 0);
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

bool Form1::TeclaEnCaja(QKeyEvent *event)
{
    auto *caja = static_cast<QLineEdit *>(TB);
    const int k = event->key();
    if (k == Qt::Key_Escape) {
        // Not in the original box, but a reader must be able to leave it.
        caja->hide();
        caja->clear();
        ImAbrir->setVisible(ModoOSD == 1);
        setFocus();
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        bool ok = false;
        const int n = caja->text().toInt(&ok);
        if (ok && n >= 1 && n < doc::Paginas.size()) {
            PaginaActual = std::int16_t(n);
            VerImagen(PaginaActual);
            form1::ProcesarEventos();
            if (ModoAjuste == 7) {
                Imagen.Tag = QString::number(n);
                ActivaContinuo();
            }
            ImAbrir->setVisible(ModoOSD == 1);
            caja->hide();
            caja->clear();
            setFocus();
        } else {
            caja->selectAll();
        }
        return true;
    }
    if (k == Qt::Key_Backspace || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return false; // the box edits it
    if (event->text().isEmpty())
        return false; // cursor keys and the like
    return true; // any other character is discarded
}
