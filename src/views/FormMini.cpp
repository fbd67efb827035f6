#include "views/FormMini.h"

#include "documento/CacheMini.h"
#include "documento/CargaMiniaturas.h"
#include "imaging/ccEfectos.h"
#include "shell/modGeneral.h"
#include "shell/VentanaHerramienta.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"
#include "views/Pintura.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

using diseno::Entero;
using modIdioma::TextoIdioma;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;
constexpr int MensajeEscape = 86;   // " (escape to cancel)"
constexpr int MensajeTotal = 87;    // "Total pages: "
constexpr int MensajeCargadas = 88; // "Pages loaded: "
constexpr int MensajePagina = 89;   // "Page "
constexpr int MensajeDe = 90;       // " of "
constexpr int MensajeCargando = 91; // "Loading image "
constexpr int MensajeCerrar = 92;   // "Close Minipages"
constexpr int MensajeCancelar = 93; // "Escape to cancel"
constexpr int BrilloFondo = -70;
const QColor ColorFicha(255, 255, 255);
const QColor ColorSombra(0x80, 0x80, 0x80);
// The page numbers on a dark badge, light: readable over any screen.
const QColor ColorNumero(0xf2, 0xf2, 0xf2);
const QColor FondoNumero(0x20, 0x22, 0x26);
// The current page's ring: amber between two dark lines, seen on any grey.
const QColor ColorAnillo(0xff, 0xc4, 0x3d);
const QColor BordeAnillo(0, 0, 0);
constexpr qreal GrosorAnillo = 3;
constexpr qreal GrosorFicha = 1;
constexpr qreal GrosorSombra = 2;
// The buttons and the status line, in the margin above the grid, clear of
// the current page's ring round a frame of the first row.
constexpr std::int32_t LadoBoton = 270;
constexpr std::int32_t ArribaBoton = 15;
constexpr std::int32_t EntreBotones = 60;
constexpr std::int32_t ArribaInfo = 30;
constexpr std::int32_t AltoInfo = 255;

int Px(std::int32_t twips)
{
    return int(std::lrint(double(twips) / Twips));
}

QString De(int i, int n)
{
    return QString::number(i) + TextoIdioma(MensajeDe) + QString::number(n);
}

} // namespace

namespace mini {

int Lado(int n)
{
    int s = 0;
    while (s * s < n)
        ++s;
    return s;
}

Rejilla CalcularRejilla(int n, const diseno::Ventana &interior)
{
    Rejilla g;
    g.Lado = Lado(n);
    if (g.Lado < 1)
        return g;
    g.W = Entero(double(interior.SW - g.Lado * Hueco - IzquierdaPlantilla) / g.Lado);
    g.H = Entero(double(interior.SH - g.Lado * Hueco - ArribaPlantilla) / g.Lado);
    return g;
}

diseno::Rect Ficha(const Rejilla &g, int i, bool derechaAIzquierda)
{
    if (g.Lado < 1 || i < 1)
        return {IzquierdaPlantilla, ArribaPlantilla, g.W, g.H};
    const int fila = (i - 1) / g.Lado;
    const int columna = derechaAIzquierda ? g.Lado - 1 - (i - 1) % g.Lado : (i - 1) % g.Lado;
    return {IzquierdaPlantilla + columna * (g.W + Hueco), ArribaPlantilla + fila * (g.H + Hueco), g.W, g.H};
}

std::int32_t Banda(std::int32_t altoFicha)
{
    return std::clamp(altoFicha / 6, BandaMinima, BandaMaxima);
}

diseno::Rect CajaVacia(const diseno::Rect &ficha)
{
    return {ficha.Left + MargenCaja, ficha.Top + MargenCaja, ficha.Width - ReduccionCaja,
            ficha.Height - ReduccionCaja - Banda(ficha.Height)};
}

diseno::Rect Numero(const diseno::Rect &ficha)
{
    const std::int32_t banda = Banda(ficha.Height);
    return {ficha.Left, ficha.Top + ficha.Height - SobreNumero - banda, ficha.Width, banda};
}

diseno::Rect Anillo(const diseno::Rect &ficha)
{
    return {ficha.Left - AnchoAnillo, ficha.Top - AnchoAnillo, ficha.Width + 2 * AnchoAnillo,
            ficha.Height + 2 * AnchoAnillo};
}

diseno::Rect Caja(const diseno::Rect &ficha, QSize natural)
{
    diseno::Rect p = CajaVacia(ficha);
    if (natural.isEmpty() || p.Width <= 0 || p.Height <= 0)
        return p;
    const float r = float(natural.width()) / float(natural.height());
    const std::int32_t alto = ficha.Height - Banda(ficha.Height); // above the number
    const auto centrarDown = [&] { p.Top = Entero(std::abs(alto / 2.0 - p.Height / 2.0) + ficha.Top); };
    if (r <= 1) {
        const std::int32_t ancho = Entero(float(p.Height) * r);
        if (ancho <= p.Width) {
            p.Width = ancho;
            p.Left = Entero(std::abs(ficha.Width / 2.0 - p.Width / 2.0) + ficha.Left);
        } else {
            // A box narrower than the page (a tall window): fitted across,
            // so it never runs into its neighbours.
            p.Height = Entero(float(p.Width) / r);
            centrarDown();
        }
    } else {
        const std::int32_t reducido = Entero(float(p.Width) / r);
        if (p.Height > reducido)
            p.Height = reducido;
        centrarDown();
    }
    return p;
}

QRect EnPixeles(const diseno::Rect &r, double escala)
{
    // As pintura::EnPixeles places a frame given in logical pixels.
    const double l = r.Left / double(Twips), t = r.Top / double(Twips);
    const int x0 = int(std::lrint(l * escala)), y0 = int(std::lrint(t * escala));
    const int x1 = int(std::lrint((l + r.Width / double(Twips)) * escala));
    const int y1 = int(std::lrint((t + r.Height / double(Twips)) * escala));
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace mini

FormMini::FormMini(Comandos &comandos)
    : QDialog(comandos.Dueno(), Qt::Dialog | Qt::FramelessWindowHint), comandos_(comandos)
{
    setObjectName(QStringLiteral("FormMini"));
    setWindowTitle(QStringLiteral("Miniaturas de Tavelo"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted here, and once: no clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setStyleSheet(QStringLiteral(
        "QToolButton { background: #30333a; color: #f2f2f2; border: none; }"
        "QToolButton:hover { background: #4a6ea8; }"
        "QToolButton#ImCerrar:hover { background: #b03030; }"
        "QLabel#LBInfo { color: #f2f2f2; background: rgba(20, 22, 26, 220); border-radius: 4px; padding: 0 6px; }"));
    // The whole of the main window, which it covers.
    if (const QWidget *dueno = comandos.Dueno())
        setGeometry(dueno->geometry());
    else if (const QScreen *pantalla = QGuiApplication::primaryScreen())
        setGeometry(pantalla->geometry());

    LBInfo = new QLabel(this);
    LBInfo->setObjectName(QStringLiteral("LBInfo"));
    ImCerrar = new QToolButton(this);
    ImCerrar->setObjectName(QStringLiteral("ImCerrar"));
    ImCerrar->setText(QStringLiteral("✕"));
    ImReload = new QToolButton(this);
    ImReload->setObjectName(QStringLiteral("ImReload"));
    ImReload->setIcon(QIcon(QStringLiteral(":/iconos/recargar.svg")));
    for (QToolButton *b : {ImCerrar, ImReload}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
    }
    connect(ImCerrar, &QToolButton::clicked, this, &FormMini::reject);
    connect(ImReload, &QToolButton::clicked, this, &FormMini::RecargarMini);
    Shficha.resize(1);
    PBI.resize(1);
    LBI.resize(1);
}

FormMini::~FormMini() = default;

int FormMini::NumeroPaginas() const
{
    return comandos_.Doc().NumeroPaginas();
}

diseno::Ventana FormMini::Interior() const
{
    return {width() * Twips, height() * Twips};
}

double FormMini::Escala() const
{
    return devicePixelRatioF();
}

void FormMini::PrepararFondo()
{
    fondo_ = QImage();
    ccEfectos efectos;
    if (efectos.Cargar(comandos_.ImagenPantalla())) {
        efectos.EscalaGrises();
        efectos.Suavizar();
        efectos.BrilloMas(BrilloFondo);
        fondo_ = efectos.Resultado();
    }
}

void FormMini::showEvent(QShowEvent *evento)
{
    QDialog::showEvent(evento);
    activateWindow();
    setFocus();
    if (dimensionada_)
        return;
    dimensionada_ = true;
    const diseno::Ventana v = Interior();
    ImCerrar->setGeometry(Px(v.SW - LadoBoton - mini::MargenCerrar), Px(ArribaBoton), Px(LadoBoton), Px(LadoBoton));
    ImReload->setGeometry(ImCerrar->x() - Px(EntreBotones + LadoBoton), Px(ArribaBoton), Px(LadoBoton),
                          Px(LadoBoton));
    ImReload->setIconSize(ImReload->size() - QSize(4, 4));
    LBInfo->setGeometry(Px(mini::IzquierdaPlantilla), Px(ArribaInfo),
                        std::max(0, ImReload->x() - Px(2 * mini::IzquierdaPlantilla)), Px(AltoInfo));
    // The cached grid makes the darkened screen needless. The workers start
    // first: the background is made while they decode.
    DesdeCache = CargarCacheMini();
    if (!DesdeCache) {
        CrearMiniaturas(NumeroPaginas());
        PrepararFondo();
    }
    MostrarEstadoMini();
    ImCerrar->setToolTip(TextoIdioma(MensajeCerrar));
    LBInfo->setToolTip(TextoIdioma(MensajeCancelar));
}

void FormMini::CrearMiniaturas(int n)
{
    CargaCompleta = false;
    rejilla_ = mini::CalcularRejilla(n, Interior());
    Shficha.assign(std::size_t(std::max(n, 0)) + 1, {});
    PBI.assign(Shficha.size(), {});
    Shficha[0].Rect = mini::Ficha(rejilla_, 0);
    PBI[0].Rect = mini::CajaVacia(Shficha[0].Rect);
    EtiquetaInfo.clear();
    Documento &doc = comandos_.Doc();
    const std::shared_ptr<const FuentePaginas> fuente = doc.Fuente();
    if (n < 1 || !fuente)
        return; // nothing to show: no grid, no cache
    clave_ = cacheMini::ClaveCacheMini(doc);
    for (int i = 1; i <= n; ++i)
        Shficha[std::size_t(i)].Rect = mini::Ficha(rejilla_, i, comandos_.Vista().bDerechaAIzquierda());
    // The workers ask each page's box in device pixels: exactly where it goes.
    const std::vector<Ficha> fichas = Shficha;
    const double escala = Escala();
    carga_ = std::make_unique<CargaMiniaturas>(
        doc.Obreros(), fuente, doc.Paginas,
        [fichas, escala](int pagina, QSize natural) {
            return mini::EnPixeles(mini::Caja(fichas[std::size_t(pagina)].Rect, natural), escala).size();
        });
    connect(carga_.get(), &CargaMiniaturas::Listas, this, &FormMini::ColocarMiniaturas);
}

void FormMini::ColocarMiniaturas()
{
    if (!carga_ || Cancelado)
        return;
    const int n = int(Shficha.size()) - 1;
    for (CargaMiniaturas::Miniatura &m : carga_->Tomar()) {
        // Escape or a double click between two thumbnails stops here.
        if (Cancelado || cerrada_)
            return;
        const std::size_t i = std::size_t(m.Pagina);
        Miniatura &p = PBI[i];
        const bool nueva = !Shficha[i].Visible;
        Shficha[i].Visible = true;
        if (!m.Imagen.isNull()) {
            p.Rect = mini::Caja(Shficha[i].Rect, m.Natural);
            p.Imagen = std::move(m.Imagen);
            p.Visible = true;
        } else if (nueva) {
            p.Rect = mini::CajaVacia(Shficha[i].Rect); // the frame stays empty
        }
        Repintar(Shficha[i].Rect);
        if (!nueva)
            continue;
        LBInfo->setText(TextoIdioma(MensajeCargando) + De(m.Pagina, n) + TextoIdioma(MensajeEscape));
        EtiquetaInfo = De(m.Pagina, n);
        if (AlColocar)
            AlColocar(m.Pagina);
    }
    if (!Cancelado && !cerrada_ && carga_->Terminada()) {
        CargaCompleta = true;
        MostrarEstadoMini();
    }
}

void FormMini::MostrarEstadoMini()
{
    LBInfo->setText(Cancelado ? TextoIdioma(MensajeCargadas) + EtiquetaInfo
                              : TextoIdioma(MensajeTotal) + QString::number(NumeroPaginas()));
}

bool FormMini::CargarCacheMini()
{
    const int n = NumeroPaginas();
    if (n < 1)
        return false;
    const Documento &d = comandos_.Doc();
    auto cache = cacheMini::LeerCache(cacheMini::RutaCacheMini(d), cacheMini::ClaveCacheMini(d), n);
    // A picture of another window size would not match its hot spots.
    const QSize dispositivo = (QSizeF(size()) * Escala()).toSize();
    if (!cache || cache->Imagen.size() != dispositivo)
        return false;
    fondo_ = std::move(cache->Imagen);
    LBI.resize(1);
    LBI.insert(LBI.end(), cache->Fichas.begin(), cache->Fichas.end());
    return true;
}

bool FormMini::GuardarCacheMini()
{
    // The grid alone: no status line, no buttons, no hover frame.
    LBInfo->hide();
    ImCerrar->hide();
    ImReload->hide();
    Shape1.Visible = false;
    marcas_ = false; // the numbers and the current page are drawn over the cached grid
    QImage imagen = grab().toImage().convertToFormat(QImage::Format_RGB32);
    marcas_ = true;
    std::vector<diseno::Rect> fichas;
    for (std::size_t i = 1; i < Shficha.size(); ++i)
        fichas.push_back(Shficha[i].Rect);
    return cacheMini::EscribirCache(cacheMini::RutaCacheMini(comandos_.Doc()), clave_, fichas, imagen);
}

void FormMini::CerrarMini()
{
    if (cerrada_)
        return;
    cerrada_ = true;
    if (carga_)
        carga_->Cancelar();
    if (CargaCompleta && !DesdeCache)
        GuardarCacheMini(); // a cache that cannot be written is only not there next time
    // The loading itself ends with the window: this may run while it hands
    // thumbnails over.
}

void FormMini::reject()
{
    CerrarMini();
    PaginaElegida = -1;
    QDialog::reject();
}

void FormMini::Elegir(int pagina)
{
    if (!CargaCompleta && !DesdeCache)
        Cancelado = true;
    PaginaElegida = int(pagina);
    comandos_.Vista().VaciarPagina();
    CerrarMini();
    TrasSoltarBoton(this, [this] { accept(); });
}

void FormMini::RecargarMini()
{
    if (!Cancelado && !DesdeCache)
        return;
    MoverSombra(nullptr);
    fondo_ = QImage();
    carga_.reset();
    Shficha.resize(1);
    PBI.resize(1);
    LBI.resize(1);
    Cancelado = DesdeCache = CargaCompleta = false;
    LBInfo->clear();
    CrearMiniaturas(NumeroPaginas());
    PrepararFondo();
    update();
    if (!carga_)
        MostrarEstadoMini();
}

int FormMini::PaginaEn(std::int32_t x, std::int32_t y) const
{
    const auto dentro = [&](const diseno::Rect &r) {
        return x >= r.Left && x < r.Left + r.Width && y >= r.Top && y < r.Top + r.Height;
    };
    for (std::size_t i = 1; i < PBI.size(); ++i)
        if (PBI[i].Visible && dentro(PBI[i].Rect))
            return int(i);
    for (std::size_t i = 1; i < LBI.size(); ++i)
        if (dentro(LBI[i]))
            return int(i);
    return 0;
}

void FormMini::Repintar(const diseno::Rect &r)
{
    // The current page's ring lies outside the frame.
    const int m = Px(mini::AnchoAnillo) + 2;
    update(mini::EnPixeles(r, 1.0).adjusted(-m, -m, m, m));
}

void FormMini::MoverSombra(const diseno::Rect *r)
{
    if (Shape1.Visible)
        Repintar(Shape1.Rect);
    Shape1.Visible = r != nullptr;
    if (r) {
        Shape1.Rect = *r;
        Repintar(*r);
    }
}

void FormMini::paintEvent(QPaintEvent *evento)
{
    QPainter p(this);
    const double escala = Escala();
    if (fondo_.isNull()) {
        p.fillRect(evento->rect(), Qt::black);
    } else {
        const QSize dispositivo = (QSizeF(size()) * escala).toSize();
        if (fondo_.size() == dispositivo) {
            p.save();
            p.resetTransform();
            p.drawImage(QPoint(0, 0), fondo_);
            p.restore();
        } else {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(rect()), fondo_);
        }
    }
    pintura::EnPixeles px(p, escala);
    const QRect zona = evento->rect();
    for (std::size_t i = 1; i < Shficha.size(); ++i) {
        if (!Shficha[i].Visible)
            continue;
        const diseno::Rect &f = Shficha[i].Rect;
        const QRectF logico(f.Left / double(Twips), f.Top / double(Twips), f.Width / double(Twips),
                            f.Height / double(Twips));
        if (!zona.intersects(logico.toAlignedRect()))
            continue;
        px.Marco(logico, GrosorFicha, ColorFicha);
        const Miniatura &m = PBI[i];
        if (!m.Visible)
            continue;
        const QRect destino = mini::EnPixeles(m.Rect, escala);
        if (m.Imagen.size() == destino.size()) {
            p.drawImage(destino.topLeft(), m.Imagen);
        } else {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(destino, m.Imagen);
        }
    }
    if (marcas_)
        PintarMarcas(p, escala);
    if (Shape1.Visible) {
        const diseno::Rect &s = Shape1.Rect;
        px.Marco(QRectF(s.Left / double(Twips), s.Top / double(Twips), s.Width / double(Twips),
                        s.Height / double(Twips)),
                 GrosorSombra, ColorSombra);
    }
}

const diseno::Rect *FormMini::FichaDe(std::size_t i) const
{
    if (i < Shficha.size() && Shficha[i].Visible)
        return &Shficha[i].Rect;
    return i < LBI.size() ? &LBI[i] : nullptr;
}

void FormMini::PintarMarcas(QPainter &p, double escala) const
{
    // In device pixels, as the painter stands here.
    QFont fuente = font();
    fuente.setBold(true);
    const std::size_t n = std::max(Shficha.size(), LBI.size());
    for (std::size_t i = 1; i < n; ++i) {
        const diseno::Rect *ficha = FichaDe(i);
        if (!ficha)
            continue;
        const QRect banda = mini::EnPixeles(mini::Numero(*ficha), escala);
        fuente.setPixelSize(std::max(1, banda.height() * 3 / 4));
        p.setFont(fuente);
        const QString numero = QString::number(i);
        const int ancho = std::min(p.fontMetrics().horizontalAdvance(numero) + banda.height() / 2, banda.width());
        const QRect placa(banda.center().x() - ancho / 2, banda.top(), ancho, banda.height());
        p.fillRect(placa, FondoNumero);
        p.setPen(ColorNumero);
        p.drawText(placa, Qt::AlignCenter, numero);
    }
    const diseno::Rect *actual = FichaDe(std::size_t(std::max(comandos_.Vista().PaginaActual(), 0)));
    if (!actual)
        return;
    const diseno::Rect a = mini::Anillo(*actual);
    const QRectF anillo(a.Left / double(Twips), a.Top / double(Twips), a.Width / double(Twips),
                        a.Height / double(Twips));
    const double borde = mini::AnchoAnillo / double(Twips) - GrosorAnillo; // both dark lines
    pintura::EnPixeles px(p, escala);
    px.Marco(anillo, mini::AnchoAnillo / double(Twips), BordeAnillo);
    px.Marco(anillo.adjusted(borde / 2, borde / 2, -borde / 2, -borde / 2), GrosorAnillo, ColorAnillo);
}

bool FormMini::event(QEvent *evento)
{
    if (evento->type() == QEvent::ToolTip) {
        const auto *ayuda = static_cast<QHelpEvent *>(evento);
        const int i = PaginaEn(ayuda->pos().x() * Twips, ayuda->pos().y() * Twips);
        if (i > 0)
            QToolTip::showText(ayuda->globalPos(), TextoIdioma(MensajePagina) + De(i, NumeroPaginas()), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QDialog::event(evento);
}

void FormMini::keyPressEvent(QKeyEvent *evento)
{
    evento->accept(); // Qt's own Escape would close the window on the press
    switch (evento->key()) {
    case Qt::Key_Escape:
        if (carga_ && !CargaCompleta && !Cancelado) {
            // A loading grid stops, and stays.
            Cancelado = true;
            carga_->Cancelar();
            MostrarEstadoMini();
        } else if (!evento->isAutoRepeat()) {
            escapePulsado_ = true; // nothing loads: its release closes, as in every tool window
        }
        break;
    case Qt::Key_F5:
    case Qt::Key_F10:
        RecargarMini();
        break;
    default:
        break;
    }
}

void FormMini::keyReleaseEvent(QKeyEvent *evento)
{
    evento->accept();
    if (evento->key() == Qt::Key_Escape && !evento->isAutoRepeat() && std::exchange(escapePulsado_, false))
        reject();
}

void FormMini::focusInEvent(QFocusEvent *)
{
    // Nothing here shows the focus: no repaint of the whole window.
}

void FormMini::focusOutEvent(QFocusEvent *) {}

void FormMini::mouseMoveEvent(QMouseEvent *evento)
{
    const QPoint p = evento->position().toPoint();
    const int i = PaginaEn(p.x() * Twips, p.y() * Twips);
    if (i == 0) {
        MoverSombra(nullptr);
        unsetCursor();
        return;
    }
    const std::size_t k = std::size_t(i);
    const diseno::Rect &r = k < LBI.size() && !(k < PBI.size() && PBI[k].Visible) ? LBI[k] : Shficha[k].Rect;
    if (!Shape1.Visible || !(Shape1.Rect == r))
        MoverSombra(&r);
    setCursor(Qt::PointingHandCursor);
}

void FormMini::mouseDoubleClickEvent(QMouseEvent *evento)
{
    if (evento->button() != Qt::LeftButton)
        return;
    const QPoint p = evento->position().toPoint();
    if (const int i = PaginaEn(p.x() * Twips, p.y() * Twips))
        Elegir(i);
}
