#include "app/Form1.h"

#include "collection/FormColeccion.h"
#include "imaging/modImagen.h"
#include "shell/MouseWheel.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Teclas.h"
#include "views/Navegador.h"
#include "views/Ventanas.h"

#include <QGuiApplication>
#include <QScreen>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

using modIdioma::TextoIdioma;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;
constexpr int Margen = 12;       // pixels between the controls and the window's edges
constexpr int LadoIcono = 32;

QLabel *Etiqueta(QWidget *padre, const QString &nombre)
{
    auto *l = new QLabel(padre);
    l->setObjectName(nombre);
    return l;
}

// A message fits the window: words wider than the window (a long file name)
// lose their middle to "…"; the label wraps the rest at the spaces.
QString AcortarPalabras(const QString &texto, const QFontMetrics &medida, int ancho)
{
    QStringList palabras = texto.split(QLatin1Char(' '));
    for (QString &p : palabras)
        if (medida.horizontalAdvance(p) > ancho)
            p = medida.elidedText(p, Qt::ElideMiddle, ancho);
    return palabras.join(QLatin1Char(' '));
}

QPixmap Cinta(qreal escala)
{
    // A ribbon beside the label: the document has a bookmark.
    QPixmap cinta(QSize(18, 26) * escala);
    cinta.setDevicePixelRatio(escala);
    cinta.fill(Qt::transparent);
    QPainter p(&cinta);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 50, 50));
    p.drawPolygon(QPolygonF{QPointF(1, 0), QPointF(17, 0), QPointF(17, 26), QPointF(9, 19), QPointF(1, 26)});
    return cinta;
}

} // namespace

Form1::Form1(const QString &lineaComandos, QWidget *parent)
    : QWidget(parent), documento_(std::make_unique<Documento>()),
      vista_(std::make_unique<EstadoVista>(*documento_)),
      comandos_(std::make_unique<Comandos>(*documento_, *vista_, this)), LineaComandos(lineaComandos.trimmed())
{
    // The first page is read and decoded while the window is being built:
    // the window will fill the screen, in the mode every start begins in.
    if (const QScreen *s = QGuiApplication::primaryScreen(); s && !LineaComandos.isEmpty()) {
        const EstadoVista::Medida m{{s->geometry().width() * Twips, s->geometry().height() * Twips},
                                    s->devicePixelRatio() / Twips};
        documento_->Adelantar(Comandos::RutaDeLinea(LineaComandos),
                              [this, m](int pagina) { return vista_->PedidoEn(pagina, m); });
    }
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tavelo"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    // The dynamic view and the OSD shown under the pointer follow moves
    // with no button held.
    setMouseTracking(true);

    PBZ = Etiqueta(this, QStringLiteral("PBZ"));
    PBZ->setScaledContents(true);
    PBZ->setAttribute(Qt::WA_TransparentForMouseEvents);
    PBZ->hide(); // shown only while a page is dragged
    PBRef = new Navegador(this, *vista_);

    LBInfo = Etiqueta(this, QStringLiteral("LBInfo"));
    LBInfo->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 190); color: #f2f2f2; border-radius: 8px; padding: 8px 16px; }"));
    LBInfo->setAlignment(Qt::AlignCenter); // a wrapped message reads centred
    LBInfo->setTextFormat(Qt::PlainText);   // a file's name is never markup
    LBInfo->setAttribute(Qt::WA_TransparentForMouseEvents); // the pointer reaches the page under it
    LBInfo->hide();

    ImAbrir = Etiqueta(this, QStringLiteral("ImAbrir"));
    ImAbrir->setPixmap(style()->standardIcon(QStyle::SP_DialogOpenButton).pixmap(LadoIcono, LadoIcono));
    ImCerrar = Etiqueta(this, QStringLiteral("ImCerrar"));
    ImCerrar->setPixmap(Icono(IconoBarra::Cerrar, LadoIcono, devicePixelRatioF()));
    for (QLabel *b : {ImAbrir, ImCerrar}) {
        b->setFixedSize(LadoIcono + 8, LadoIcono + 8);
        b->setAlignment(Qt::AlignCenter);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("QLabel { background: rgba(20, 20, 20, 150); border-radius: 6px; }"));
        b->installEventFilter(this);
    }

    const QString estiloTexto = QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 190); color: #f2f2f2; border-radius: 6px; padding: 4px 10px; }");
    LBPag = Etiqueta(this, QStringLiteral("LBPag"));
    LBPag->setStyleSheet(estiloTexto);
    LBMarcador = Etiqueta(this, QStringLiteral("LBMarcador"));
    LBMarcador->setStyleSheet(estiloTexto);
    LBMarcador->setCursor(Qt::PointingHandCursor);
    LBMarcador->installEventFilter(this);
    LBMarcador->hide();
    SHMarcador = Etiqueta(this, QStringLiteral("SHMarcador"));
    SHMarcador->setPixmap(Cinta(devicePixelRatioF()));
    SHMarcador->hide();
    LBAbriendo = Etiqueta(this, QStringLiteral("LBAbriendo"));
    LBAbriendo->setStyleSheet(estiloTexto);
    LBAbriendo->hide();
    setAcceptDrops(true);

    CrearBarra();
    TB->installEventFilter(this);
    LBPag->installEventFilter(this);
    MouseWheel1 = new MouseWheel(this);
    tmrInfo.setInterval(1000);
    tmrMovH.setInterval(10);
    RegistrarVentanas(*comandos_);
    RegistrarColeccion(*comandos_);
    vista_->MedirCon([this] {
        return EstadoVista::Medida{{width() * Twips, height() * Twips}, devicePixelRatioF() / Twips};
    });
    Conectar();

    // Load handling. The single-instance check has already run in main.
    modIdioma::Idioma = QStringLiteral("esp");
    LBPag->clear();
    LBPag->hide();
    vista_->PonerColorFondo(0);
    documento_->CargarMarcadores();
    comandos_->LeerConfiguracion();
    TraduceForm();
    if (LineaComandos.isEmpty())
        MostrarMensaje(TextoIdioma(9));
}

Form1::~Form1() = default;

void Form1::Conectar()
{
    EstadoVista *v = vista_.get();
    Comandos *c = comandos_.get();
    connect(MouseWheel1, &MouseWheel::WheelMove, c, [c](bool abajo) {
        c->Ejecutar(abajo ? QStringLiteral("RuedaAbajo") : QStringLiteral("RuedaArriba"));
    });
    connect(&tmrInfo, &QTimer::timeout, this, &Form1::tmrInfo_Timer);
    connect(&tmrMovH, &QTimer::timeout, this, &Form1::tmrMovH_Timer);
    connect(v, &EstadoVista::DibujoPedido, this, &Form1::PintarVista);
    connect(v, &EstadoVista::MensajePedido, this, &Form1::MostrarMensajeEnPantalla);
    connect(v, &EstadoVista::PaginaMostrada, this, &Form1::MostrarNumeroPagina);
    connect(v, &EstadoVista::PaginaHecha, this, [this] {
        if (std::exchange(deslizPendiente_, false))
            EntrarDeslizada();
    });
    // A document opened meanwhile: the old screen does not stay over it.
    connect(&vista_->Doc(), &Documento::Abierto, this, [this] {
        if (std::exchange(deslizPendiente_, false))
            PBH[0]->hide();
    });
    connect(v, &EstadoVista::BarraCambiada, this, &Form1::AplicarBarra);
    connect(v, &EstadoVista::ReferenciaPedida, this, [this](bool, bool reiniciarReloj) {
        if (!reiniciarReloj)
            return;
        SegundosInfo = 0;
        if (!tmrInfo.isActive())
            tmrInfo.start();
    });
    connect(v, &EstadoVista::ColorCambiado, this, [this] {
        QPalette p = palette();
        p.setColor(QPalette::Window, Fondo());
        setPalette(p);
    });
    connect(c, &Comandos::IdiomaCambiado, this, &Form1::TraduceForm);
    connect(c, &Comandos::MarcadorCambiado, this, &Form1::MostrarMarcador);
    connect(c, &Comandos::Abriendo, this, &Form1::MostrarAbriendo);
}

QColor Form1::Fondo() const
{
    const std::int32_t bgr = vista_->ColorFondo();
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

void Form1::TraduceForm()
{
    ImAbrir->setToolTip(TextoIdioma(1));
    ImCerrar->setToolTip(TextoIdioma(16));
    LBPag->setToolTip(TextoIdioma(3));
    LBMarcador->setToolTip(TextoIdioma(4));
    TraduceBarra();
}

void Form1::MostrarMensajeEnPantalla(const QString &texto)
{
    MensajeCompleto = texto;
    // With nothing else on the screen a message stays until the next input.
    bMensajeFijo = !documento_->HayDocumento();
    ColocarControles();
    LBInfo->show();
    LBInfo->raise();
    SegundosInfo = 0;
    tmrInfo.start();
}

void Form1::MostrarNumeroPagina(int pagina, bool nueva)
{
    if (pagina < 1) {
        LBPag->clear();
        LBPag->hide();
        return;
    }
    LBPag->setText(QStringLiteral("%1/%2").arg(vista_->RotuloPagina(pagina)).arg(documento_->NumeroPaginas()));
    LBPag->adjustSize();
    if (!nueva)
        return;
    LBPag->setVisible(vista_->ModoOSD() == 1);
    ColocarControles();
}

void Form1::MostrarMarcador()
{
    const QString &pagina = comandos_->Marcador;
    LBMarcador->setProperty("Tag", pagina);
    if (pagina.isEmpty()) {
        LBMarcador->hide();
        SHMarcador->hide();
        return;
    }
    LBMarcador->setText(TextoIdioma(163) + pagina);
    LBMarcador->adjustSize();
    ColocarControles();
    LBMarcador->show();
    SHMarcador->show();
    LBMarcador->raise();
    SHMarcador->raise();
}

void Form1::MostrarAbriendo(bool abriendo)
{
    if (!abriendo) {
        LBAbriendo->hide();
        return;
    }
    MensajeCompleto = TextoIdioma(0);
    LBAbriendo->setText(TextoIdioma(0));
    LBAbriendo->adjustSize();
    ColocarControles();
    LBAbriendo->show();
    LBAbriendo->raise();
}

void Form1::ColocarControles()
{
    ImAbrir->move(Margen, Margen);
    ImCerrar->move(width() - ImCerrar->width() - Margen, Margen);
    LBPag->adjustSize();
    LBPag->move(width() - LBPag->width() - Margen, height() - LBPag->height() - Margen);
    PBBarra->adjustSize();
    PBBarra->move((width() - PBBarra->width()) / 2, height() - PBBarra->height());
    LBMarcador->adjustSize();
    SHMarcador->adjustSize();
    SHMarcador->move(Margen, height() - SHMarcador->height() - Margen);
    LBMarcador->move(Margen + SHMarcador->width() + 6, height() - LBMarcador->height() - Margen);
    LBAbriendo->adjustSize();
    LBAbriendo->move((width() - LBAbriendo->width()) / 2, (height() - LBAbriendo->height()) / 2);
    ColocarMensaje();
}

void Form1::ColocarMensaje()
{
    // Messages sit centred near the bottom, sized for the screen, and never
    // wider than it.
    QFont f = LBInfo->font();
    f.setPixelSize(std::max(14, height() / 40));
    LBInfo->setFont(f);
    const int maximo = std::max(1, width() - 2 * Margen);
    const QMargins m = LBInfo->contentsMargins();
    const int texto = std::max(1, maximo - m.left() - m.right());
    LBInfo->setWordWrap(false);
    LBInfo->setText(AcortarPalabras(MensajeCompleto, QFontMetrics(f), texto));
    LBInfo->adjustSize();
    if (LBInfo->width() > maximo) {
        LBInfo->setWordWrap(true);
        LBInfo->resize(maximo, LBInfo->heightForWidth(maximo));
    }
    LBInfo->move((width() - LBInfo->width()) / 2,
                 std::max(0, height() - LBInfo->height() - height() / 12));
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ColocarControles();
    // A new client area: the surface is remade and the page laid out again.
    superficie_ = QImage();
    PrepararSuperficie();
    vista_->RehacerDiseno();
    if (!bInicioHecho && isVisible())
        Empezar();
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Some platforms give a hidden window its full size before showing it,
    // so no resize follows the show: start from the event loop instead.
    QTimer::singleShot(0, this, [this] {
        if (!bInicioHecho && isVisible())
            Empezar();
    });
}

void Form1::Empezar()
{
    bInicioHecho = true;
    comandos_->AbrirDocumentoInicial(LineaComandos);
    comandos_->AvisarTeclas();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        TeclasPulsadas.insert(event->key());
    QWidget::keyPressEvent(event);
}

void Form1::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    // Only a key pressed here: the Enter that closed a list must not turn
    // the page when its release reaches this window.
    if (!TeclasPulsadas.remove(event->key()))
        return;
    const teclas::Tecla tecla = teclas::DeEvento(*event);
    if (tecla.codigo != 0)
        Form_KeyUp(tecla.codigo, tecla.mayusculas);
}

void Form1::PrepararSuperficie()
{
    const qreal escala = devicePixelRatioF();
    const QSize tamano = (QSizeF(size()) * escala).toSize();
    if (superficie_.size() != tamano || superficie_.devicePixelRatio() != escala) {
        superficie_ = QImage(tamano, QImage::Format_RGB32);
        superficie_.setDevicePixelRatio(escala);
        superficie_.fill(Fondo());
    }
}

void Form1::Pintar(const ControlImagen &c, bool borrar)
{
    PrepararSuperficie();
    std::int32_t x = c.Left, y = c.Top, w = c.Width, h = c.Height;
    // Twips to the screen's real pixels: a dense screen gets the page at its
    // own resolution.
    modImagen::CopiarEscalado(c.Picture, c.Tipo, superficie_, x, y, w, h, borrar, Fondo(), devicePixelRatioF() / Twips);
}

void Form1::PintarVista(bool dosPaginas)
{
    // A page held at the size it was laid out at needs all of itself when
    // it is shown larger (zoom, a new layout).
    vista_->Completar(dosPaginas, devicePixelRatioF() / Twips);
    Pintar(vista_->Imagen(), true);
    if (dosPaginas)
        Pintar(vista_->Imagen2(), false);
    update();
}

void Form1::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (superficie_.isNull())
        return;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), superficie_);
    p.end();
    vista_->PaginaPintada();
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!paginas::ArchivoSoltado(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString ruta = paginas::ArchivoSoltado(event->mimeData());
    if (ruta.isEmpty())
        return;
    event->acceptProposedAction();
    AbrirEntregado(ruta);
}

void Form1::AbrirEntregado(const QString &ruta)
{
    comandos_->EnTurno([this, ruta] {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
        comandos_->OcultarMarcador();
        AbrirArchivo(ruta, true);
    });
}

bool Form1::eventFilter(QObject *objeto, QEvent *event)
{
    if (objeto == TB && event->type() == QEvent::KeyPress)
        return TeclaEnCaja(static_cast<QKeyEvent *>(event));
    if (objeto == LBMarcador && event->type() == QEvent::MouseButtonRelease) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        if (raton->button() == Qt::LeftButton)
            Ejecutar(QStringLiteral("IrAlMarcador"));
        else if (raton->button() == Qt::RightButton)
            Ejecutar(QStringLiteral("QuitarMarcador"));
        return true;
    }
    if (objeto == LBPag && event->type() == QEvent::MouseButtonDblClick) {
        AbrirCajaPagina();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && objeto == ImCerrar) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        if (raton->button() == Qt::LeftButton)
            Ejecutar(QStringLiteral("Salir"));
        else if (raton->button() == Qt::RightButton)
            Ejecutar(QStringLiteral("Minimizar"));
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && objeto == ImAbrir) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        Ejecutar(raton->button() == Qt::LeftButton ? QStringLiteral("AbrirArchivo") : QStringLiteral("Coleccion"));
        return true;
    }
    return QWidget::eventFilter(objeto, event);
}
