#include "collection/ucListado.h"

#include "collection/Coleccion.h"
#include "collection/Iconos.h"
#include "imaging/Diseno.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>

namespace {

constexpr int IzquierdaMarcador = 15;  // twips
constexpr int LadoMarcador = 16;       // pixels
constexpr int MargenTexto = 4;         // pixels between a row's edge and its text
constexpr QColor ColorResaltado{0x5e, 0x5e, 0x5e}; // white text stands out from it
constexpr QColor ColorSeleccion{0x2e, 0x31, 0x36};
constexpr QColor ColorTextoSeleccion{0xd8, 0xd8, 0xd8};
constexpr int MensajeEstado = 68;      // 68, 69, 70: the tooltips of the three states
constexpr int AnchoMinimo = 3000;      // twips

} // namespace

ucListado::ucListado(QWidget *padre) : QWidget(padre)
{
    setObjectName(QStringLiteral("ucListado1"));
    PB = new QFrame(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setMouseTracking(true);
    PB->setAttribute(Qt::WA_OpaquePaintEvent);
    PB->installEventFilter(this);
    VScroll = new QScrollBar(Qt::Vertical, PB);
    VScroll->setObjectName(QStringLiteral("VScroll"));
    VScroll->setSingleStep(1);
    VScroll->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: #262626; width: %1px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #4a4a4a; min-height: 24px; border-radius: 4px; margin: 2px; }"
        "QScrollBar::handle:vertical:hover { background: #5e5e5e; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
                               .arg(listado::Pixeles(listado::AnchoScroll)));
    VScroll->hide();
    connect(VScroll, &QScrollBar::valueChanged, this, &ucListado::MostrarDesde);
    topes_ = {listado::ArribaPrimeraFila};
    setBackColor(ColorFondo);
    setMinimumSize(listado::Pixeles(AnchoMinimo), listado::Pixeles(listado::PasoFila * 3));
}

ucListado::~ucListado() = default;

void ucListado::setBackColor(const QColor &color)
{
    QPalette p = PB->palette();
    p.setColor(QPalette::Window, color);
    PB->setPalette(p);
    PB->update();
}

QColor ucListado::getBackColor() const
{
    return PB->palette().color(QPalette::Window);
}

void ucListado::setAppearance(int valor)
{
    PB->setFrameShadow(valor == 1 ? QFrame::Sunken : QFrame::Plain);
}

int ucListado::getAppearance() const
{
    return PB->frameShadow() == QFrame::Sunken ? 1 : 0;
}

void ucListado::setBorderStyle(int valor)
{
    PB->setFrameShape(valor == 1 ? QFrame::Box : QFrame::NoFrame);
}

int ucListado::getBorderStyle() const
{
    return PB->frameShape() == QFrame::NoFrame ? 0 : 1;
}

void ucListado::setHighLight(bool valor)
{
    highLight_ = valor;
    if (!valor)
        QuitarResaltado();
}

void ucListado::setList(const QStringList &nombres, const QStringList &estados)
{
    QList<int> valores;
    valores.reserve(estados.size());
    for (const QString &e : estados)
        valores << int(std::clamp(coleccion::ValorEstado(e), -32768, 32767));
    setList(nombres, valores);
}

void ucListado::setList(const QStringList &nombres, const QList<int> &estados)
{
    DescargarObjetos();
    Nombres = nombres;
    Estados = estados;
    Estados.resize(Nombres.size());
    Progresos.clear();
    Series.clear();
    CrearFilas();
    primeraFila_ = 0;
    ConfigurarScroll();
    PB->show();
    indice_ = 0;
    estadoIndice_ = 0;
    seleccion_ = Nombres.isEmpty() ? -1 : 0;
    resaltada_ = -1;
    PB->update();
    emit FilasCambiadas();
}

void ucListado::setSerie(int item, const QString &serie)
{
    if (item < 0 || item >= Nombres.size())
        return;
    Series.resize(Nombres.size());
    Series[item] = serie;
    if (item >= primeraFila_ && item < primeraFila_ + topes_.size())
        PB->update(RectNombre(item - primeraFila_));
}

void ucListado::setProgreso(const QStringList &progreso)
{
    Progresos = progreso;
    PB->update();
}

void ucListado::DescargarObjetos()
{
    topes_ = {listado::ArribaPrimeraFila};
    resaltada_ = -1;
    PB->update();
}

int ucListado::AltoTwips() const
{
    return PB->height() * modGeneral::TwipsPorPixel;
}

int ucListado::AnchoTwips() const
{
    return PB->width() * modGeneral::TwipsPorPixel;
}

void ucListado::CrearFilas()
{
    VScroll->setGeometry(PB->width() - listado::Pixeles(listado::AnchoScroll), 0, listado::Pixeles(listado::AnchoScroll),
                         PB->height());
    topes_ = listado::TopesFilas(AltoTwips());
}

void ucListado::ConfigurarScroll()
{
    if (Nombres.size() <= topes_.size()) {
        scroll_ = {};
        primeraFila_ = 0;
        VScroll->hide();
        return;
    }
    scroll_ = listado::ConfigurarScroll(int(Nombres.size()) - 1, AltoTwips());
    primeraFila_ = std::min(primeraFila_, scroll_.Maximo * scroll_.Factor);
    const QSignalBlocker bloqueo(VScroll);
    VScroll->setRange(0, scroll_.Maximo);
    VScroll->setPageStep(scroll_.CambioGrande);
    VScroll->setSingleStep(1);
    VScroll->setValue(listado::ScrollManual(primeraFila_, scroll_, 0).Valor);
    VScroll->show();
}

void ucListado::MostrarDesde(int valor)
{
    primeraFila_ = listado::PrimeraFilaDe(valor, scroll_);
    PB->update();
    emit FilasCambiadas();
}

void ucListado::ScrollManual(int delta)
{
    if (VScroll->isHidden())
        return;
    const listado::Posicion p = listado::ScrollManual(primeraFila_, scroll_, delta);
    if (p.PrimeraFila == primeraFila_)
        return;
    primeraFila_ = p.PrimeraFila;
    {
        const QSignalBlocker bloqueo(VScroll);
        VScroll->setValue(p.Valor);
    }
    PB->update();
    emit FilasCambiadas();
}

QString ucListado::Texto(int item) const
{
    return listado::TextoFila(Nombres[item], Series.value(item));
}

bool ucListado::FilaConItem(int fila) const
{
    return fila >= 0 && fila < topes_.size() && primeraFila_ + fila < Nombres.size();
}

QRect ucListado::RectNombre(int fila) const
{
    if (!FilaConItem(fila))
        return {};
    const int top = topes_[fila];
    return QRect(listado::Pixeles(listado::IzquierdaFila), listado::Pixeles(top),
                 listado::Pixeles(listado::AnchoNombre(AnchoTwips())),
                 listado::Pixeles(top + listado::AltoFila) - listado::Pixeles(top));
}

QRect ucListado::RectMarcador(int fila) const
{
    if (!FilaConItem(fila))
        return {};
    const QRect n = RectNombre(fila);
    return QRect(listado::Pixeles(IzquierdaMarcador), n.top() + (n.height() - LadoMarcador) / 2, LadoMarcador,
                 LadoMarcador);
}

QString ucListado::TextoFila(int fila) const
{
    return FilaConItem(fila) ? Texto(primeraFila_ + fila) + u' ' : QString();
}

QString ucListado::TooltipMarcador(int fila) const
{
    if (!FilaConItem(fila))
        return {};
    // The tooltip of the state the marker shows, after scrolling too.
    return modIdioma::TextoIdioma(
        int(MensajeEstado + listado::EstadoMostrado(Estados[primeraFila_ + fila])));
}

ucListado::Sitio ucListado::SitioEn(QPoint p) const
{
    for (int fila = 0; fila < topes_.size(); ++fila) {
        if (!FilaConItem(fila))
            break;
        const QRect n = RectNombre(fila);
        if (p.y() < n.top() || p.y() >= n.bottom() + 1)
            continue;
        if (RectMarcador(fila).adjusted(-2, -2, 2, 2).contains(p))
            return {fila, Parte::Marcador};
        if (n.contains(p))
            return {fila, Parte::Nombre};
    }
    return {};
}

void ucListado::Resaltar(int fila)
{
    if (resaltada_ == fila)
        return;
    resaltada_ = fila;
    PB->update();
}

void ucListado::QuitarResaltado()
{
    Resaltar(-1);
}

void ucListado::ClicMarcador(int fila)
{
    const int item = primeraFila_ + fila;
    // The picture shown decides the next state.
    const int nuevo = listado::SiguienteEstado(listado::EstadoMostrado(Estados[item]));
    indice_ = item;
    estadoIndice_ = nuevo;
    Estados[item] = nuevo;
    PB->update(RectMarcador(fila));
    emit ImageClick();
}

void ucListado::Pulsar(const Sitio &s, bool doble)
{
    if (s.Donde == Parte::Marcador) {
        ClicMarcador(s.Fila);
        return;
    }
    indice_ = primeraFila_ + s.Fila;
    seleccion_ = indice_;
    PB->update();
    if (doble)
        emit LBDblClick();
    else
        emit LBClick();
}

void ucListado::Pintar(QPainter &g)
{
    g.fillRect(PB->rect(), getBackColor());
    const qreal escala = PB->devicePixelRatioF();
    if (escala != escalaMarcadores_) {
        for (int e = 0; e < int(marcadores_.size()); ++e)
            marcadores_[e] = iconos::Marcador(e, escala);
        escalaMarcadores_ = escala;
    }
    const QFont normal = PB->font();
    QFont negrita = normal;
    negrita.setBold(true);
    for (int fila = 0; fila < topes_.size() && FilaConItem(fila); ++fila) {
        const int item = primeraFila_ + fila;
        const QRect n = RectNombre(fila);
        const bool resaltada = highLight_ && fila == resaltada_;
        QColor texto = colorNormal_;
        if (resaltada) {
            g.fillRect(n, ColorResaltado);
            texto = Qt::white;
        } else if (item == seleccion_) {
            g.fillRect(n, ColorSeleccion);
            texto = ColorTextoSeleccion;
        }
        g.setFont(resaltada ? negrita : normal);
        g.setPen(texto);
        QRect caja = n.adjusted(MargenTexto, 0, -MargenTexto, 0);
        if (const QString progreso = Progresos.value(item); !progreso.isEmpty()) {
            g.drawText(caja, Qt::AlignVCenter | Qt::AlignRight, progreso);
            caja.setRight(caja.right() - g.fontMetrics().horizontalAdvance(progreso) - MargenTexto);
        }
        g.drawText(caja, Qt::AlignVCenter | Qt::AlignLeft,
                   g.fontMetrics().elidedText(Texto(item), Qt::ElideRight, caja.width()));
        g.drawPixmap(RectMarcador(fila).topLeft(), marcadores_[listado::EstadoMostrado(Estados[item])]);
    }
}

void ucListado::resizeEvent(QResizeEvent *evento)
{
    QWidget::resizeEvent(evento);
    PB->setGeometry(rect());
}

bool ucListado::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto != PB)
        return QWidget::eventFilter(objeto, evento);
    switch (evento->type()) {
    case QEvent::Resize:
        // Rows follow the surface's height, and so does the scroll range.
        CrearFilas();
        ConfigurarScroll();
        emit FilasCambiadas();
        break;
    case QEvent::Paint: {
        QPainter g(PB);
        Pintar(g);
        break; // the frame is drawn over the rows
    }
    case QEvent::MouseMove: {
        const Sitio s = SitioEn(static_cast<QMouseEvent *>(evento)->position().toPoint());
        if (!highLight_ || s.Donde == Parte::Marcador)
            break;
        if (s.Donde == Parte::Nombre)
            Resaltar(s.Fila);
        else
            QuitarResaltado();
        break;
    }
    case QEvent::Leave:
        if (highLight_)
            QuitarResaltado();
        break;
    case QEvent::MouseButtonPress: {
        const auto *raton = static_cast<QMouseEvent *>(evento);
        pulsado_ = raton->button() == Qt::LeftButton ? SitioEn(raton->position().toPoint()) : Sitio{};
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *raton = static_cast<QMouseEvent *>(evento);
        const Sitio antes = pulsado_;
        pulsado_ = {};
        if (raton->button() != Qt::LeftButton || antes.Donde == Parte::Ninguna)
            return true;
        const Sitio s = SitioEn(raton->position().toPoint());
        if (s.Fila == antes.Fila && s.Donde == antes.Donde)
            Pulsar(s, false);
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto *raton = static_cast<QMouseEvent *>(evento);
        pulsado_ = {};
        const Sitio s = SitioEn(raton->position().toPoint());
        if (raton->button() == Qt::LeftButton && s.Donde != Parte::Ninguna)
            Pulsar(s, true); // a quick second click on a marker is one more step
        return true;
    }
    case QEvent::ToolTip: {
        const auto *ayuda = static_cast<QHelpEvent *>(evento);
        const Sitio s = SitioEn(ayuda->pos());
        QString texto;
        if (s.Donde == Parte::Marcador) {
            texto = TooltipMarcador(s.Fila);
        } else if (s.Donde == Parte::Nombre) {
            // A name cut short shows whole.
            const QString nombre = Texto(primeraFila_ + s.Fila);
            const QRect n = RectNombre(s.Fila).adjusted(MargenTexto, 0, -MargenTexto, 0);
            if (PB->fontMetrics().horizontalAdvance(nombre) > n.width())
                texto = nombre;
        }
        if (texto.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(ayuda->globalPos(), texto, PB);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(objeto, evento);
}
