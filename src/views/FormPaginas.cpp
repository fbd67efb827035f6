#include "views/FormPaginas.h"

#include "documento/Documento.h"
#include "imaging/modImagen.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

using diseno::Entero;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;
constexpr int MensajeTitulo = 325; // "Pages"
constexpr double Opacidad = 0.85;

QRect EnPixeles(const diseno::Rect &r)
{
    return {Entero(double(r.Left) / Twips), Entero(double(r.Top) / Twips), Entero(double(r.Width) / Twips),
            Entero(double(r.Height) / Twips)};
}

} // namespace

namespace previas {

std::int32_t AnchoPara(QSize natural)
{
    if (natural.isEmpty())
        return AnchoCaja;
    const std::int32_t ancho = Entero(double(AltoCaja) * natural.width() / natural.height());
    return std::clamp(ancho, Twips, AnchoMaximo);
}

Colocacion ColocarPrevias(const std::int32_t anchos[3], bool derechaAIzquierda)
{
    Colocacion c;
    for (int i = 0; i < 3; ++i)
        c.Caja[i] = {0, Margen, anchos[i], AltoCaja};
    const int izquierda = derechaAIzquierda ? 2 : 1, derecha = 3 - izquierda;
    c.Caja[izquierda].Left = Margen;
    c.Caja[0].Left = c.Caja[izquierda].Left + c.Caja[izquierda].Width + Hueco;
    c.Caja[derecha].Left = c.Caja[0].Left + c.Caja[0].Width + Hueco;
    c.Area = {c.Caja[derecha].Left + c.Caja[derecha].Width + Margen, Margen + AltoCaja + Margen};
    return c;
}

QPoint Posicion(const diseno::Ventana &pantalla, const diseno::Ventana &ventana)
{
    return {Entero((pantalla.SW / 2.0 - ventana.SW / 2.0) / Twips),
            Entero(double(pantalla.SH - ventana.SH - SobreFondo) / Twips)};
}

} // namespace previas

FormPaginas::FormPaginas(Comandos &comandos)
    : VentanaModal(comandos.Dueno(), QStringLiteral("FormPaginas"), MensajeTitulo), comandos_(comandos)
{
    ShFondo = new QWidget(this);
    ShFondo->setObjectName(QStringLiteral("ShFondo"));
    ShFondo->setAttribute(Qt::WA_StyledBackground);
    ShFondo->setStyleSheet(QStringLiteral("QWidget#ShFondo { background: #404040; }"
                                          "QFrame#Shape1 { border: 2px solid #808080; background: transparent; }"
                                          "QLabel { background: white; }"));
    Shape1 = new QFrame(ShFondo);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    for (int i = 0; i < 3; ++i) {
        PBv[i] = new QLabel(ShFondo);
        PBv[i]->setObjectName(QStringLiteral("PBv%1").arg(i));
        PBv[i]->installEventFilter(this);
        PB[i].Width = previas::AnchoCaja;
        PB[i].Height = previas::AltoCaja;
    }
    // The neighbours turn the page; the current one only refreshes.
    PBv[1]->setCursor(Qt::PointingHandCursor);
    PBv[2]->setCursor(Qt::PointingHandCursor);
    Cuerpo()->setContentsMargins(0, 0, 0, 0);
    Cuerpo()->addWidget(ShFondo);
    modFormTrans::HacerTransparente(this, Opacidad);
    connect(&comandos_, &Comandos::IdiomaCambiado, this,
            [this] { LBTitulo->setText(modIdioma::TextoIdioma(MensajeTitulo)); });
}

void FormPaginas::CargarVecina(int caja, int pagina)
{
    PedidoPagina p;
    p.Pagina = pagina;
    p.Modo = diseno::Modo::Pantalla;
    p.Ventana = {previas::AnchoMaximo, previas::AltoCaja};
    p.PixelesPorTwip = devicePixelRatioF() / Twips;
    paginaCaja_[caja] = pagina;
    // From memory when it is there, else shown when it comes; one that
    // cannot be read keeps the previous picture.
    if (const auto preparada = comandos_.Doc().Preparador().Buscar(p)) {
        if (preparada->Lista())
            CopiarPicture(PB[caja], preparada->Imagen);
        return;
    }
    comandos_.Vista().PedirAparte(p, this, [this, caja, pagina](const std::shared_ptr<const PaginaPreparada> &e) {
        if (paginaCaja_[caja] != pagina || !e || !e->Lista())
            return; // turned since
        CopiarPicture(PB[caja], e->Imagen);
        ColocarPrevias();
        PintarPrevias();
    });
}

void FormPaginas::ActualizarPrevias()
{
    const Documento &doc = comandos_.Doc();
    // The view's own picture, unless the page turned to is still on its way.
    if (!comandos_.Vista().PaginaCargada()) {
        CargarVecina(0, PaginaPrevia);
    } else {
        paginaCaja_[0] = PaginaPrevia;
        if (!comandos_.Vista().Imagen().Picture.isNull())
            CopiarPicture(PB[0], comandos_.Vista().Imagen());
    }
    CargarVecina(1, doc.PaginaVecina(PaginaPrevia, -1));
    CargarVecina(2, doc.PaginaVecina(PaginaPrevia, 1));
    ColocarPrevias();
    PintarPrevias();
}

void FormPaginas::ColocarPrevias()
{
    std::int32_t anchos[3];
    for (int i = 0; i < 3; ++i)
        anchos[i] = PB[i].Picture.isNull() ? PB[i].Width : previas::AnchoPara(TamanoNatural(PB[i]));
    const previas::Colocacion c = previas::ColocarPrevias(anchos, comandos_.Vista().bDerechaAIzquierda());
    for (int i = 0; i < 3; ++i) {
        PonerRect(PB[i], c.Caja[i]);
        PBv[i]->setGeometry(EnPixeles(c.Caja[i]));
    }
    // Around the current box by the same whole pixels on every side.
    const int m = Entero(double(previas::Marco) / Twips);
    Shape1->setGeometry(PBv[0]->geometry().adjusted(-m, -m, m, m));
    Shape1->show();
    Shape1->lower();
    ShFondo->setFixedSize(EnPixeles({0, 0, c.Area.SW, c.Area.SH}).size());
    adjustSize();
    const QScreen *s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect g = s->geometry();
    const QPoint p = previas::Posicion({g.width() * Twips, g.height() * Twips},
                                       {width() * Twips, height() * Twips});
    move(g.topLeft() + p);
}

void FormPaginas::PintarPrevias()
{
    const qreal escala = devicePixelRatioF();
    for (int i = 0; i < 3; ++i) {
        const QSize caja = (QSizeF(PBv[i]->size()) * escala).toSize();
        if (PB[i].Picture.isNull() || caja.isEmpty()) {
            PBv[i]->clear();
            continue;
        }
        // The whole box, or centred in it when a panorama page was held narrower.
        const QSize dentro = TamanoNatural(PB[i]).scaled(caja, Qt::KeepAspectRatio);
        QImage imagen(caja, QImage::Format_RGB32);
        imagen.fill(Qt::white);
        QPainter p(&imagen);
        p.drawImage(QPoint((caja.width() - dentro.width()) / 2, (caja.height() - dentro.height()) / 2),
                    modImagen::PintarEscaladoForm(PB[i].Picture, dentro));
        p.end();
        QPixmap pixmap = QPixmap::fromImage(imagen);
        pixmap.setDevicePixelRatio(escala);
        PBv[i]->setPixmap(pixmap);
    }
}

void FormPaginas::Anterior()
{
    PaginaPrevia = comandos_.Doc().PaginaVecina(PaginaPrevia, -1);
    comandos_.Ejecutar(QStringLiteral("PaginaAnterior"), Comandos::Origen::Ventana);
    ActualizarPrevias();
}

void FormPaginas::Siguiente()
{
    PaginaPrevia = comandos_.Doc().PaginaVecina(PaginaPrevia, 1);
    comandos_.Ejecutar(QStringLiteral("PaginaSiguiente"), Comandos::Origen::Ventana);
    ActualizarPrevias();
}

bool FormPaginas::eventFilter(QObject *objeto, QEvent *evento)
{
    if (evento->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton) {
        if (objeto == PBv[1]) {
            Anterior();
            return true;
        }
        if (objeto == PBv[2]) {
            Siguiente();
            return true;
        }
        if (objeto == PBv[0]) {
            ActualizarPrevias();
            return true;
        }
    }
    return VentanaModal::eventFilter(objeto, evento);
}

void FormPaginas::TeclaSoltada(QKeyEvent &evento)
{
    const teclas::Tecla t = teclas::DeEvento(evento);
    switch (t.codigo) {
    case Qt::Key_Escape:
    case Qt::Key_P:
        reject();
        return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_PageDown:
        Siguiente();
        return;
    case Qt::Key_Backspace:
    case Qt::Key_PageUp:
        Anterior();
        return;
    case Qt::Key_Q:
        // The main window hides itself on Q: this window goes first.
        Pendiente = comandos_.ComandoDeTecla(t);
        reject();
        return;
    case 0:
        return;
    default:
        break;
    }
    // Any other key goes to the main window at once, through its key table.
    comandos_.Ejecutar(comandos_.ComandoDeTecla(t), Comandos::Origen::Ventana);
    // The key may have moved the main window to another page or document.
    if (comandos_.Doc().HayDocumento()) {
        PaginaPrevia = comandos_.Vista().PaginaActual();
        ActualizarPrevias();
    }
}
