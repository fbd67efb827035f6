#include "collection/FormColeccion.h"

#include "collection/FormColeccionControl.h"
#include "collection/Iconos.h"
#include "collection/Portada.h"
#include "collection/ucListado.h"
#include "documento/Documento.h"
#include "viewer/Comandos.h"
#include "viewer/Teclas.h"
#include "imaging/Diseno.h"
#include "shell/MouseWheel.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <limits>

using modIdioma::TextoIdioma;

namespace {

constexpr int MensajeGuardadoFallido = 1061;
constexpr int AnchoFiltroMaximo = 420;  // pixels
constexpr int FilasFiltroVisibles = 12;
constexpr int LadoArrastre = 120;       // pixels: the picture under the pointer while dragging
constexpr int FueraDePantalla = 300;    // twips beyond the screen's right edge
constexpr int AnchoDiseno = 15000;      // twips: the window's size when it opens
constexpr int AltoDiseno = 10200;
constexpr int MargenContorno = 150;     // twips: the strip's outline in from each side
constexpr int MargenPortada = 8;        // pixels around the front page in its frame
constexpr int MargenTira = 15;          // pixels beside the strip's pages
const QColor FondoPortada(0x17, 0x18, 0x1b);


QToolButton *BotonIcono(QWidget *padre, const QString &nombre, const QIcon &icono)
{
    auto *b = new QToolButton(padre);
    b->setObjectName(nombre);
    b->setIcon(icono);
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace

// ---- PortadaArrastrable

PortadaArrastrable::PortadaArrastrable(QWidget *padre) : QWidget(padre)
{
    setCursor(Qt::OpenHandCursor);
}

void PortadaArrastrable::PonerImagen(const QImage &imagen)
{
    imagen_ = imagen;
    update();
}

void PortadaArrastrable::paintEvent(QPaintEvent *)
{
    if (imagen_.isNull())
        return;
    QPainter g(this);
    g.setRenderHint(QPainter::SmoothPixmapTransform);
    g.drawImage(rect(), imagen_);
    g.setPen(QColor(0, 0, 0, 110));
    g.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PortadaArrastrable::mousePressEvent(QMouseEvent *evento)
{
    pulsado_ = evento->button() == Qt::LeftButton;
    inicio_ = evento->position().toPoint();
}

void PortadaArrastrable::mouseMoveEvent(QMouseEvent *evento)
{
    if (!pulsado_ || !(evento->buttons() & Qt::LeftButton))
        return;
    if ((evento->position().toPoint() - inicio_).manhattanLength() < QApplication::startDragDistance())
        return;
    pulsado_ = false;
    if (AlArrastrar)
        AlArrastrar(this);
}

// ---- SuperficieSeleccion

SuperficieSeleccion::SuperficieSeleccion(QWidget *padre) : QWidget(padre)
{
    setAcceptDrops(true);
}

void SuperficieSeleccion::paintEvent(QPaintEvent *)
{
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    g.fillRect(rect(), FondoPortada);
    // The strip's outline: in from the left, as much narrower on the right.
    const QRectF marco(listado::Pixeles(MargenContorno) + 0.5, 4.5,
                       width() - listado::Pixeles(2 * MargenContorno) - 1, height() - 9);
    g.setPen(QPen(QColor(0x3a, 0x3d, 0x44), 1.0, Qt::DashLine));
    g.drawRoundedRect(marco, 6, 6);
    if (Vacia) {
        g.setPen(QColor(0x70, 0x73, 0x7a));
        g.drawText(marco.adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                   TextoIdioma(720));
    }
}

void SuperficieSeleccion::dragEnterEvent(QDragEnterEvent *evento)
{
    if (Acepta && Acepta(evento->source()))
        evento->acceptProposedAction();
    else
        evento->ignore();
}

void SuperficieSeleccion::dragMoveEvent(QDragMoveEvent *evento)
{
    if (Acepta && Acepta(evento->source()))
        evento->acceptProposedAction();
    else
        evento->ignore();
}

void SuperficieSeleccion::dropEvent(QDropEvent *evento)
{
    evento->acceptProposedAction();
    if (AlSoltar)
        AlSoltar(evento->source());
}

// ---- EtiquetaRuta

void EtiquetaRuta::paintEvent(QPaintEvent *evento)
{
    QFrame::paintEvent(evento); // the box the style gives it
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    const QRect r = contentsRect();
    constexpr int Flecha = 12; // the filter opens below: a small arrow says so
    g.setPen(palette().color(QPalette::WindowText));
    g.drawText(r.adjusted(0, 0, -Flecha - 6, 0), Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width() - Flecha - 6));
    if (text().isEmpty())
        return;
    const QPointF c(r.right() - Flecha / 2.0, r.center().y() + 0.5);
    g.setPen(Qt::NoPen);
    g.setBrush(palette().color(QPalette::WindowText));
    g.drawPolygon(QPolygonF{c + QPointF(-4.5, -2.5), c + QPointF(4.5, -2.5), c + QPointF(0, 2.5)});
}

// ---- FormColeccion

FormColeccion::FormColeccion(QWidget *dueno, Documento &documento, AbrirComicEnVisor abrirComic)
    : VentanaHerramienta(dueno, QStringLiteral("FormColeccion"), 66), doc_(documento),
      abrirComic_(std::move(abrirComic)), buzon_(std::make_shared<Buzon>())
{
    // The tool window's style sheet reaches only the children it had when it
    // was set: ours goes on a body of our own.
    auto *hoja = new QWidget(this);
    hoja->setObjectName(QStringLiteral("Contenido"));
    hoja->setStyleSheet(iconos::EstiloComun() + QStringLiteral(
        "QToolButton { background: transparent; border: none; border-radius: 4px; padding: 3px; }"
        "QToolButton:hover { background: #3a3d44; }"
        "QLabel#LBRoot { background: #2a2c31; color: #c8cacf; border: 1px solid #3a3d44;"
        " border-radius: 4px; padding: 4px 8px; }"
        "QLabel#LBRoot:hover { border-color: #5a6070; }"
        "QLabel#LBSeleccion { color: #9a9ca3; font-weight: bold; padding: 2px 2px 4px 2px; }"
        "QLabel#LBVacio { color: #8a8d94; }"
        "QFrame#FrPB { background: #17181b; border: 1px solid #2e3036; border-radius: 6px; }"
        "QFrame#FrInfo QLabel { color: #b4b7be; padding: 1px 2px; }"
        "QFrame#FrInfo QLabel#LBInfo3 { color: #f2f2f2; font-weight: bold; }"
        "QListWidget#LstDir { background: #2a2c31; color: #e6e7ea; border: 1px solid #50545c; }"
        "QListWidget#LstDir::item:hover { background: #3a4c6c; }"));
    setMouseTracking(true);
    hoja->setMouseTracking(true);
    auto *todo = new QVBoxLayout(hoja);
    todo->setContentsMargins(0, 0, 0, 0);
    todo->setSpacing(8);
    Cuerpo()->addWidget(hoja, 1);

    auto *barra = new QHBoxLayout;
    barra->setSpacing(6);
    ImAbrir = BotonIcono(hoja, QStringLiteral("ImAbrir"), iconos::Carpeta());
    ImAbrir->installEventFilter(this);
    LBRoot = new EtiquetaRuta(hoja);
    LBRoot->setObjectName(QStringLiteral("LBRoot"));
    LBRoot->setCursor(Qt::PointingHandCursor);
    LBRoot->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LBRoot->installEventFilter(this);
    ImControl = BotonIcono(hoja, QStringLiteral("ImControl"), iconos::Control());
    connect(ImControl, &QToolButton::clicked, this, &FormColeccion::AbrirControl);
    barra->addWidget(ImAbrir);
    barra->addWidget(LBRoot, 1);
    barra->addWidget(ImControl);
    todo->addLayout(barra);

    auto *contenido = new QHBoxLayout;
    contenido->setSpacing(10);
    auto *zonaLista = new QGridLayout;
    ucListado1 = new ucListado(hoja);
    LBVacio = new QLabel(hoja);
    LBVacio->setObjectName(QStringLiteral("LBVacio"));
    LBVacio->setAlignment(Qt::AlignCenter);
    LBVacio->setWordWrap(true);
    zonaLista->addWidget(ucListado1, 0, 0);
    zonaLista->addWidget(LBVacio, 0, 0);
    contenido->addLayout(zonaLista, 1);

    auto *columnaPortada = new QVBoxLayout;
    columnaPortada->setSpacing(8);
    FrPB = new QFrame(hoja);
    FrPB->setObjectName(QStringLiteral("FrPB"));
    FrPB->setFixedSize(listado::Pixeles(LadoPortada) + 2 * MargenPortada,
                       listado::Pixeles(LadoPortada) + 2 * MargenPortada);
    FrPB->installEventFilter(this);
    PB = new PortadaArrastrable(FrPB);
    PB->setObjectName(QStringLiteral("PB"));
    PB->hide();
    PB->AlArrastrar = [this](PortadaArrastrable *p) { Arrastrar(p); };
    FrInfo = new QFrame(hoja);
    FrInfo->setObjectName(QStringLiteral("FrInfo"));
    auto *info = new QVBoxLayout(FrInfo);
    info->setContentsMargins(4, 0, 4, 0);
    info->setSpacing(2);
    for (int i = 0; i < int(LBInfo.size()); ++i) {
        LBInfo[i] = new QLabel(FrInfo);
        LBInfo[i]->setObjectName(QStringLiteral("LBInfo%1").arg(i));
    }
    // Its series and number lead, then the comic's place in the list, the
    // file and the pages.
    for (int i : {5, 3, 0, 1, 2, 4})
        info->addWidget(LBInfo[i]);
    columnaPortada->addWidget(FrPB);
    columnaPortada->addWidget(FrInfo);
    columnaPortada->addStretch(1);
    contenido->addLayout(columnaPortada);

    auto *columnaSeleccion = new QVBoxLayout;
    columnaSeleccion->setSpacing(0);
    LBSeleccion = new QLabel(hoja);
    LBSeleccion->setObjectName(QStringLiteral("LBSeleccion"));
    PBLista = new SuperficieSeleccion(hoja);
    PBLista->setObjectName(QStringLiteral("PBLista"));
    PBLista->setFixedWidth(listado::Pixeles(LadoPortada) + 2 * MargenTira);
    PBLista->installEventFilter(this);
    PBLista->Acepta = [this](QObject *origen) { return origen == PB; };
    PBLista->AlSoltar = [this](QObject *origen) {
        AgregarSeleccion(origen);
        OrdenaPrefe();
    };
    columnaSeleccion->addWidget(LBSeleccion);
    columnaSeleccion->addWidget(PBLista, 1);
    contenido->addLayout(columnaSeleccion);
    todo->addLayout(contenido, 1);

    LstDir = new QListWidget(hoja);
    LstDir->setObjectName(QStringLiteral("LstDir"));
    LstDir->hide();
    connect(LstDir, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { FiltrarCarpeta(LstDir->row(item)); });

    connect(ucListado1, &ucListado::LBClick, this, &FormColeccion::SeleccionCambiada);
    connect(ucListado1, &ucListado::LBDblClick, this, &FormColeccion::AbrirComic);
    connect(ucListado1, &ucListado::ImageClick, this, &FormColeccion::EstadoCambiado);
    connect(ucListado1, &ucListado::FilasCambiadas, this, &FormColeccion::PedirSeries);
    MouseWheel1 = new MouseWheel(this);
    connect(MouseWheel1, &MouseWheel::WheelMove, this,
            [this](bool abajo) { ucListado1->ScrollManual(abajo ? 1 : -1); });

    PonerTextos();
    modFormTrans::HacerTransparente(this, 1.0);
    resize(listado::Pixeles(AnchoDiseno), listado::Pixeles(AltoDiseno));

    // Load: the collection folder, else ask for it.
    MostrarVacio();
    if (doc_.RutaColeccion.isEmpty()) {
        ElegirRaiz();
    } else {
        RaizColeccion = doc_.RutaColeccion;
        LeerEstados();
        ListarComics();
        LlenarFiltro();
        SeleccionCambiada();
    }
}

FormColeccion::~FormColeccion()
{
    buzon_->Cerrar();
    doc_.Obreros().Retirar(portada_);
    doc_.Obreros().Retirar(series_);
    // What was learnt is kept for the next time, written off this thread.
    doc_.Obreros().Encargar(Cuadrilla::Prioridad::Portada,
                            [series = doc_.Series()](Cuadrilla::Trabajo &) { series->Guardar(); });
}

void FormColeccion::PonerTextos()
{
    ImAbrir->setToolTip(TextoIdioma(67));
    ImCerrar->setToolTip(TextoIdioma(400));
    LBRoot->setToolTip(TextoIdioma(65));
    ImControl->setToolTip(TextoIdioma(350));
    LBSeleccion->setText(TextoIdioma(710));
    PB->setToolTip(TextoIdioma(720));
}

void FormColeccion::LeerEstados()
{
    if (estadosLeidos_)
        return;
    estadosLeidos_ = true;
    QList<coleccion::ItemComic> leidos;
    estadosIlegibles_ = coleccion::LeerArchivoEstados(coleccion::RutaEstados(), leidos)
                        == coleccion::Lectura::Ilegible;
    // Anything changed before the file was read is newer than the file.
    EstadosColeccion = leidos + EstadosColeccion;
}

void FormColeccion::ElegirRaiz()
{
    const QString carpeta = modComDlg::ElegirCarpeta(this, TextoIdioma(63));
    if (carpeta.isEmpty())
        return;
    RaizColeccion = carpeta;
    doc_.RutaColeccion = carpeta;
    // The root is known now: the states must be there before any is saved.
    LeerEstados();
    ListarComics();
    LlenarFiltro();
    SeleccionCambiada();
}

void FormColeccion::ListarComics()
{
    ListaComics = coleccion::ListarComics(doc_.RutaColeccion);
    doc_.Obreros().Retirar(series_);
    ++listas_;
    seriesLeidas_.assign(std::size_t(ListaComics.size()), false);
    LBRoot->setText(doc_.RutaColeccion);
    LBTitulo->setText(TextoIdioma(66) + QStringLiteral(" (%1)").arg(ListaComics.size()));
    if (ListaComics.isEmpty()) {
        MostrarVacio();
        return;
    }
    coleccion::AplicarEstados(ListaComics, EstadosColeccion);
    QStringList nombres, estados;
    nombres.reserve(ListaComics.size());
    estados.reserve(ListaComics.size());
    for (const coleccion::ItemComic &c : ListaComics) {
        nombres << c.Nombre;
        estados << c.Estado;
    }
    ucListado1->setHighLight(true);
    ucListado1->setList(nombres, estados);
    // The page reached in a comic left in the middle.
    QStringList progreso;
    progreso.reserve(ListaComics.size());
    for (const coleccion::ItemComic &c : ListaComics) {
        const RecuerdoComic *r = nullptr;
        if (doc_.Memoria().Conoce(c.Nombre)) {
            const QFileInfo i(c.Ruta);
            r = doc_.Memoria().Buscar(c.Nombre, i.isFile() ? i.size() : 0);
        }
        progreso << (r && r->Pagina > 1 && r->Pagina < r->Paginas ? QStringLiteral("%1/%2").arg(r->Pagina).arg(r->Paginas)
                                                                   : QString());
    }
    ucListado1->setProgreso(progreso);
    LBVacio->hide();
    ucListado1->show();
}

void FormColeccion::PedirSeries()
{
    doc_.Obreros().Retirar(series_);
    std::vector<std::pair<int, QString>> faltan;
    const int desde = ucListado1->PrimeraFila();
    const int hasta = std::min(desde + ucListado1->Filas(), int(seriesLeidas_.size()));
    for (int i = desde; i < hasta; ++i)
        if (!seriesLeidas_[std::size_t(i)])
            faltan.emplace_back(i, ListaComics[i].Ruta);
    if (faltan.empty())
        return;
    FormColeccion *yo = this; // only inside what the mailbox delivers
    Cuadrilla::Opciones o;
    o.Cedible = o.Reanudable = true; // known ones come back at once from the series kept
    series_ = doc_.Obreros().Encargar(
        Cuadrilla::Prioridad::Portada,
        [buzon = buzon_, yo, lista = listas_, faltan, series = doc_.Series()](Cuadrilla::Trabajo &t) {
            for (const auto &f : faltan) {
                if (t.Detener().load())
                    return;
                buzon->Enviar([yo, lista, item = f.first, serie = series->De(f.second)] {
                    yo->PonerSerie(lista, item, serie);
                });
            }
        },
        std::move(o));
}

void FormColeccion::PonerSerie(int lista, int item, const QString &serie)
{
    if (lista != listas_ || item < 0 || std::size_t(item) >= seriesLeidas_.size())
        return;
    seriesLeidas_[std::size_t(item)] = true;
    if (!serie.isEmpty())
        ucListado1->setSerie(item, serie);
}

void FormColeccion::MostrarVacio()
{
    ucListado1->hide();
    LBVacio->setText(TextoIdioma(doc_.RutaColeccion.isEmpty() ? 63 : 360));
    LBVacio->show();
}

void FormColeccion::LlenarFiltro()
{
    LstDir->clear();
    LstDir->addItem(TextoIdioma(64));
    LstDir->addItems(coleccion::SubcarpetasDe(RaizColeccion));
}

void FormColeccion::FiltrarCarpeta(int linea)
{
    if (linea < 0 || linea >= LstDir->count())
        return;
    const std::optional<QString> ruta =
        coleccion::RutaDelFiltro(RaizColeccion, doc_.RutaColeccion, linea, LstDir->item(linea)->text());
    if (ruta) {
        doc_.RutaColeccion = *ruta;
        ListarComics();
        SeleccionCambiada();
    }
    LstDir->hide();
}

void FormColeccion::MostrarFiltro()
{
    if (LBRoot->text().isEmpty())
        return;
    const QPoint abajo = LBRoot->mapTo(LstDir->parentWidget(), QPoint(0, LBRoot->height()));
    const int alto = LstDir->sizeHintForRow(0) * std::min(LstDir->count(), FilasFiltroVisibles)
                     + 2 * LstDir->frameWidth();
    LstDir->setGeometry(abajo.x(), abajo.y(), std::min(LBRoot->width(), AnchoFiltroMaximo), alto);
    LstDir->show();
    LstDir->raise();
}

void FormColeccion::SeleccionCambiada()
{
    if (ListaComics.isEmpty()) {
        VaciarPortada();
        return;
    }
    const QString ruta = ListaComics.value(ucListado1->Indice()).Ruta;
    if (ruta != PB->Tag && ruta != portadaPedida_)
        AbrirPortada(ruta);
}

void FormColeccion::VaciarPortada()
{
    doc_.Obreros().Retirar(portada_);
    portadaPedida_.clear();
    PB->Tag.clear();
    PB->PonerImagen({});
    PB->hide();
    for (QLabel *l : LBInfo)
        l->clear();
}

namespace {

// The box a front page of `natural` pixels is shown in, in logical pixels.
QSize CajaPortada(QSize natural)
{
    const QSize twips = portada::TamanoEnCaja(natural, FormColeccion::LadoPortada);
    return {std::max(1, listado::Pixeles(twips.width())), std::max(1, listado::Pixeles(twips.height()))};
}

} // namespace

void FormColeccion::AbrirPortada(const QString &ruta)
{
    if (ruta.isEmpty() || !modGeneral::ExisteRuta(ruta))
        return;
    doc_.Obreros().Retirar(portada_);
    portadaPedida_ = ruta;
    const qreal escala = devicePixelRatioF();
    FormColeccion *yo = this; // only inside what the mailbox delivers
    Cuadrilla::Opciones o;
    o.Cedible = o.Reanudable = true;
    portada_ = doc_.Obreros().Encargar(
        Cuadrilla::Prioridad::Portada,
        [buzon = buzon_, yo, ruta, escala](Cuadrilla::Trabajo &t) {
            const auto p = portada::LeerPortada(
                ruta,
                [escala](QSize natural) {
                    const QSize caja = CajaPortada(natural);
                    return QSize(diseno::Entero(caja.width() * escala), diseno::Entero(caja.height() * escala));
                },
                &t.Detener());
            if (t.Detener().load())
                return; // for good, or to make room (it runs again)
            buzon->Enviar([yo, ruta, p] { yo->MostrarPortada(ruta, p); });
        },
        std::move(o));
}

void FormColeccion::MostrarPortada(const QString &ruta, const std::optional<portada::Portada> &portada)
{
    if (ruta != portadaPedida_)
        return; // another comic was chosen since
    portadaPedida_.clear();
    if (!portada)
        return; // the previous front page and facts stay
    PB->hide();
    PB->PonerImagen(portada->Imagen);
    PB->resize(CajaPortada(portada->Natural));
    PB->Tag = ruta;
    ColocarPortada();
    PB->show();

    const qint64 bytes = QFileInfo(ruta).size();
    LBInfo[0]->setText(modGeneral::ExtensionDeRuta(ruta).toLower());
    LBInfo[1]->setText(modGeneral::TextoTamano(
        std::int32_t(std::min<qint64>(bytes, std::numeric_limits<std::int32_t>::max()))));
    LBInfo[2]->setText(QStringLiteral("%1 x %2 px").arg(portada->Natural.width()).arg(portada->Natural.height()));
    LBInfo[3]->setText(TextoIdioma(94) + QStringLiteral("%1 / %2").arg(ucListado1->Indice() + 1).arg(ucListado1->getListCount()));
    LBInfo[4]->setText(QString::number(portada->Paginas) + TextoIdioma(96));
    LBInfo[5]->setText(portada->Serie);
    LBInfo[5]->setVisible(!portada->Serie.isEmpty());
}

void FormColeccion::ColocarPortada()
{
    PB->move(FrPB->width() / 2 - PB->width() / 2, FrPB->height() / 2 - PB->height() / 2);
}

void FormColeccion::AbrirComic()
{
    const int i = ucListado1->Indice();
    if (i < 0 || i >= ListaComics.size())
        return;
    AbrirEnVisor(ListaComics[i].Ruta);
}

void FormColeccion::AbrirEnVisor(const QString &ruta)
{
    CierraFormColeccion();
    if (abrirComic_)
        abrirComic_(ruta);
}

void FormColeccion::EstadoCambiado()
{
    const int i = ucListado1->Indice();
    if (i < 0 || i >= ListaComics.size())
        return;
    const int estado = ucListado1->EstadoIndice();
    coleccion::CambiarEstado(EstadosColeccion, ListaComics[i].Nombre, estado);
    const QString clave = coleccion::ClaveNombre(ListaComics[i].Nombre);
    for (coleccion::ItemComic &c : ListaComics)
        if (coleccion::ClaveNombre(c.Nombre) == clave)
            c.Estado = QString::number(estado);
}

void FormColeccion::CierraFormColeccion()
{
    done(QDialog::Accepted);
}

void FormColeccion::done(int resultado)
{
    if (!GuardarColeccion()) {
        modComDlg::CajaMensaje(this, TextoIdioma(MensajeGuardadoFallido) + u'\n' + coleccion::RutaEstados(),
                               QStringLiteral("Tavelo"), modComDlg::EstiloCaja::Aceptar);
    }
    VentanaHerramienta::done(resultado);
}

bool FormColeccion::GuardarColeccion()
{
    if (RaizColeccion.isEmpty())
        return true;
    doc_.RutaColeccion = RaizColeccion; // the next opening starts at the root
    if (estadosIlegibles_)
        return false;
    return coleccion::GuardarArchivoEstados(coleccion::RutaEstados(), EstadosColeccion);
}

void FormColeccion::AbrirControl()
{
    const QPoint antes = pos();
    const QScreen *pantalla = screen();
    const int anchoPantalla = pantalla ? pantalla->geometry().right() + 1 : 0;
    move(anchoPantalla + listado::Pixeles(FueraDePantalla), y());
    FormColeccionControl control(this, doc_.RutaColeccion, doc_);
    // Where this window was, not beside it off the screen.
    control.move(antes + QPoint(width() - control.width(), height() - control.height()) / 2);
    modComDlg::MostrarModal(control);
    move(antes);
}

bool FormColeccion::EsPrefe(const QString &ruta) const
{
    return std::any_of(PBPrefe.begin(), PBPrefe.end(), [&](const PortadaArrastrable *p) { return p->Tag == ruta; });
}

bool FormColeccion::AgregarSeleccion(QObject *origen)
{
    if (origen != PB || PB->Tag.isEmpty() || EsPrefe(PB->Tag))
        return false;
    int top = ArribaPrefe;
    if (!PBPrefe.isEmpty()) {
        const PortadaArrastrable *ultimo = PBPrefe.constLast();
        if (ultimo->TopTwips + listado::Twips(ultimo->height()) + BandaPrefe >= listado::Twips(PBLista->height()))
            return false; // the strip is full
        top = ultimo->TopTwips + BandaPrefe;
    }
    auto *nuevo = new PortadaArrastrable(PBLista);
    nuevo->setObjectName(QStringLiteral("PBPrefe%1").arg(PBPrefe.size() + 1));
    nuevo->TopTwips = top;
    nuevo->resize(PB->size());
    nuevo->PonerImagen(PB->Imagen());
    nuevo->Tag = PB->Tag;
    nuevo->setToolTip(modGeneral::NombreDeRuta(PB->Tag));
    nuevo->AlArrastrar = [this](PortadaArrastrable *p) { Arrastrar(p); };
    PBPrefe << nuevo;
    PBLista->Vacia = false;
    ColocarPrefe();
    nuevo->show();
    nuevo->raise();
    PBLista->update();
    return true;
}

void FormColeccion::ColocarPrefe()
{
    for (PortadaArrastrable *p : PBPrefe)
        p->move(PBLista->width() / 2 - p->width() / 2, listado::Pixeles(p->TopTwips));
}

void FormColeccion::OrdenaPrefe()
{
    IndicePrefe = -1;
}

QMimeData *FormColeccion::DatosArrastre(const QString &ruta)
{
    auto *datos = new QMimeData;
    datos->setUrls({QUrl::fromLocalFile(ruta)});
    datos->setData(QString::fromLatin1(FormatoArrastre), ruta.toUtf8());
    return datos;
}

void FormColeccion::Arrastrar(PortadaArrastrable *origen)
{
    if (origen->Tag.isEmpty())
        return;
    IndicePrefe = int(PBPrefe.indexOf(origen));
    const QString ruta = origen->Tag;
    QPointer<QDrag> arrastre = new QDrag(origen);
    arrastre->setMimeData(DatosArrastre(ruta));
    if (!origen->Imagen().isNull()) {
        const qreal escala = devicePixelRatioF();
        QPixmap p = QPixmap::fromImage(origen->Imagen().scaled(QSize(LadoArrastre, LadoArrastre) * escala,
                                                                Qt::KeepAspectRatio, Qt::SmoothTransformation));
        p.setDevicePixelRatio(escala);
        arrastre->setPixmap(p);
        arrastre->setHotSpot(QPoint(int(p.width() / escala / 2), int(p.height() / escala / 2)));
    }
    const Qt::DropAction resultado = arrastre->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    QObject *destino = arrastre ? arrastre->target() : nullptr;
    TerminarArrastre(ruta, resultado, destino, QCursor::pos());
}

void FormColeccion::TerminarArrastre(const QString &ruta, Qt::DropAction resultado, QObject *destino,
                                     QPoint cursor)
{
    OrdenaPrefe();
    if (ruta.isEmpty())
        return;
    if (const auto *w = qobject_cast<QWidget *>(destino)) {
        if (w->window() == this)
            return; // the selection strip took it
        if (resultado != Qt::IgnoreAction) {
            CierraFormColeccion(); // the main window opened it itself
            return;
        }
    }
    if (resultado != Qt::IgnoreAction)
        return; // another program took it
    // Nobody took it: over the main window, which this modal window blocks,
    // it is a drop there all the same.
    const QWidget *visor = parentWidget() ? parentWidget()->window() : nullptr;
    if (!visor || !visor->isVisible() || frameGeometry().contains(cursor)
        || !visor->frameGeometry().contains(cursor))
        return;
    AbrirEnVisor(ruta);
}

void FormColeccion::AbrirCarpetaRaiz()
{
    if (!LBRoot->text().isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(LBRoot->text()));
}

bool FormColeccion::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == ImAbrir && evento->type() == QEvent::MouseButtonPress) {
        const auto *raton = static_cast<QMouseEvent *>(evento);
        if (raton->button() == Qt::LeftButton)
            ElegirRaiz();
        else if (raton->button() == Qt::RightButton)
            AbrirCarpetaRaiz();
        return true;
    }
    if (objeto == LBRoot && evento->type() == QEvent::MouseButtonRelease) {
        MostrarFiltro();
        return true;
    }
    if (objeto == FrPB && evento->type() == QEvent::Resize)
        ColocarPortada();
    if (objeto == PBLista && evento->type() == QEvent::Resize)
        ColocarPrefe();
    return VentanaHerramienta::eventFilter(objeto, evento);
}

void FormColeccion::mouseMoveEvent(QMouseEvent *evento)
{
    if (LstDir->isVisible())
        LstDir->hide();
    VentanaHerramienta::mouseMoveEvent(evento);
}

void FormColeccion::resizeEvent(QResizeEvent *evento)
{
    VentanaHerramienta::resizeEvent(evento);
    LstDir->hide();
}

void RegistrarColeccion(Comandos &comandos)
{
    comandos.Registrar({"Coleccion", Comandos::Puerta, [&comandos](Comandos::Ejecucion &) {
                            Documento &documento = comandos.Doc();
                            if (documento.RutaColeccion.isEmpty()) {
                                const QString carpeta = modComDlg::ElegirCarpeta(comandos.Dueno(), TextoIdioma(63));
                                if (!carpeta.isEmpty())
                                    documento.RutaColeccion = carpeta;
                                return;
                            }
                            {
                                FormColeccion coleccion(comandos.Dueno(), documento, [&comandos](const QString &ruta) {
                                    comandos.OcultarMarcador();
                                    comandos.AbrirArchivo(ruta, true);
                                });
                                modComDlg::MostrarModal(coleccion);
                            }
                            if (QWidget *visor = comandos.Dueno()) {
                                visor->raise();
                                visor->activateWindow();
                            }
                        }});
}
