#include "viewer/Form1.h"

#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Configuracion.h"
#include "viewer/Teclas.h"
#include "viewer/modDocumento.h"
#include "viewer/modIni.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QStyle>

#include <cstdio>
#include <cstdlib>

using modIdioma::TextoIdioma;
namespace doc = modDocumento;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;

QLabel *Etiqueta(QWidget *padre, const QString &nombre)
{
    auto *l = new QLabel(padre);
    l->setObjectName(nombre);
    return l;
}

} // namespace

std::function<void()> &Form1::FinDelProceso()
{
    static std::function<void()> fin = [] {
        std::fflush(nullptr);
        std::_Exit(0);
    };
    return fin;
}

Form1::Form1(const QString &lineaComandos, QWidget *parent)
    : QWidget(parent), LineaComandos(lineaComandos.trimmed())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tavelo"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    PBZ = new QWidget(this);
    PBZ->setObjectName(QStringLiteral("PBZ"));
    PBZ->setAutoFillBackground(true);
    PBZ->setAttribute(Qt::WA_TransparentForMouseEvents);

    PBRef = Etiqueta(this, QStringLiteral("PBRef"));
    PBRef->hide();

    LBInfo = Etiqueta(this, QStringLiteral("LBInfo"));
    LBInfo->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 190); color: #f2f2f2; border-radius: 8px; padding: 8px 16px; }"));
    LBInfo->hide();

    const int icono = 32;
    ImAbrir = Etiqueta(this, QStringLiteral("ImAbrir"));
    ImAbrir->setPixmap(style()->standardIcon(QStyle::SP_DialogOpenButton).pixmap(icono, icono));
    ImCerrar = Etiqueta(this, QStringLiteral("ImCerrar"));
    ImCerrar->setPixmap(style()->standardIcon(QStyle::SP_TitleBarCloseButton).pixmap(icono, icono));
    for (QLabel *b : {ImAbrir, ImCerrar}) {
        b->setFixedSize(icono + 8, icono + 8);
        b->setAlignment(Qt::AlignCenter);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("QLabel { background: rgba(20, 20, 20, 150); border-radius: 6px; }"));
        b->installEventFilter(this);
    }

    const QString estiloTexto = QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 150); color: #f2f2f2; border-radius: 6px; padding: 4px 10px; }");
    LBPag = Etiqueta(this, QStringLiteral("LBPag"));
    LBPag->setStyleSheet(estiloTexto);
    LBMarcador = Etiqueta(this, QStringLiteral("LBMarcador"));
    LBMarcador->setStyleSheet(estiloTexto);
    LBMarcador->hide();

    PBBarra = new QWidget(this);
    PBBarra->setObjectName(QStringLiteral("PBBarra"));
    PBBarra->hide();

    tmrInfo.setInterval(1000);
    connect(&tmrInfo, &QTimer::timeout, this, &Form1::tmrInfo_Timer);

    // Load handling. The single-instance check has already run in main.
    PaginaActual = 1;
    ModoAjuste = 1;
    bAvanzando = true;
    modIdioma::Idioma = QStringLiteral("esp");
    doc::Paginas = QStringList{QString()};
    doc::Marcadores = {doc::RegistroMarcador{}};
    LBPag->clear();
    LBPag->hide();
    PonerColorFondo(0);
    CargarMarcadores();
    LeerConfiguracion();
    TraduceForm();
    PBRef->move(300 / Twips, 300 / Twips);
    if (LineaComandos.isEmpty())
        MostrarMensaje(TextoIdioma(9));
}

Form1::~Form1() = default;

std::int32_t Form1::ColorFondo() const
{
    const QColor c = palette().color(QPalette::Window);
    return configuracion::ColorABgr(c.red(), c.green(), c.blue());
}

void Form1::PonerColorFondo(std::int32_t bgr)
{
    const QColor c(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
    for (QWidget *w : {static_cast<QWidget *>(this), PBZ}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, c);
        w->setPalette(p);
    }
}

void Form1::LeerConfiguracion()
{
    const QString ini = configuracion::RutaIni();
    const QString idioma = modIni::LeerIni(ini, "Config", "Idioma", "");
    if (idioma.isEmpty())
        IdiomaDelSistema();
    else
        modIdioma::Idioma = idioma;

    // A value that cannot be converted ends the reading, as a type error would.
    const QString color = modIni::LeerIni(ini, "Config", "Color", "0");
    if (const auto bgr = configuracion::Entero32(color))
        PonerColorFondo(*bgr);
    const auto barra = configuracion::Booleano(modIni::LeerIni(ini, "Config", "Barra", "False"));
    if (!barra)
        return;
    BarraVisible = *barra;
    doc::RutaActual = modIni::LeerIni(ini, "Config", "uPath", "");
    doc::Marcadores[0].Ruta = modIni::LeerIni(ini, "Ultimo", "Ruta", "");
    doc::Marcadores[0].Marcador = modIni::LeerIni(ini, "Ultimo", "Marcador", "");
    doc::RutaColeccion = modIni::LeerIni(ini, "Coleccion", "Ruta", "");
}

void Form1::GuardarConfiguracion()
{
    const QString ini = configuracion::RutaIni();
    modIni::EscribirIni(ini, "Config", "Idioma", modIdioma::Idioma);
    modIni::EscribirIni(ini, "Config", "Color", QString::number(ColorFondo()));
    modIni::EscribirIni(ini, "Config", "Barra", PBBarra->isVisible() ? "True" : "False");
    modIni::EscribirIni(ini, "Config", "uPath", doc::RutaActual);
    if (!doc::RutaActual.isEmpty()) {
        modIni::EscribirIni(ini, "Ultimo", "Ruta", doc::RutaActual);
        modIni::EscribirIni(ini, "Ultimo", "Marcador", QString::number(PaginaActual));
    }
    if (!doc::RutaColeccion.isEmpty())
        modIni::EscribirIni(ini, "Coleccion", "Ruta", doc::RutaColeccion);
}

void Form1::IdiomaDelSistema()
{
    // QLocale() is the system locale unless a default was set.
    const QString nombre = QLocale::languageToString(QLocale().language());
    modIdioma::Idioma = configuracion::CodigoDeNombreIdioma(nombre);
}

void Form1::TraduceForm()
{
    ImAbrir->setToolTip(TextoIdioma(1));
    ImCerrar->setToolTip(TextoIdioma(16));
    LBPag->setToolTip(TextoIdioma(3));
    LBMarcador->setToolTip(TextoIdioma(4));
}

QString Form1::sCambiarIdioma()
{
    modIdioma::Idioma = configuracion::SiguienteIdioma(modIdioma::Idioma);
    TraduceForm();
    return TextoIdioma(7);
}

bool Form1::AbrirUltimo(bool anunciar)
{
    const doc::RegistroMarcador ultimo = doc::Marcadores.value(0);
    if (ultimo.Ruta.isEmpty())
        return false;
    const bool abierto = bAbrirMarcador(ultimo.Ruta, configuracion::NumeroDePagina(ultimo.Marcador));
    if (abierto && anunciar)
        MostrarMensaje(TextoIdioma(8));
    return abierto;
}

void Form1::Salir()
{
    GuardarConfiguracion();
    GuardarMarcadores();
    BorrarCarpetaPagina();
    FinDelProceso()();
}

void Form1::BorrarCarpetaPagina()
{
    if (!doc::EsComprimido || RutaPagina.isEmpty())
        return;
    const QString candidata = modGeneral::RutaLarga(modGeneral::CarpetaDeRuta(RutaPagina));
    if (candidata.isEmpty())
        return;
    // Only a folder strictly inside our temporary folder, links resolved.
    const QString temporal = QFileInfo(modGeneral::CarpetaTemporal()).canonicalFilePath();
    const QString real = QFileInfo(candidata).canonicalFilePath();
    if (temporal.isEmpty() || real.isEmpty() || real == temporal
        || !real.startsWith(temporal + modGeneral::Separador))
        return;
    QDir().rmdir(real); // removes it only when empty
}

bool Form1::AbrirArchivo(const QString &ruta)
{
    // Documents open once the page loader is in place.
    Q_UNUSED(ruta);
    return false;
}

bool Form1::bAbrirMarcador(const QString &ruta, std::int16_t pagina)
{
    if (!modGeneral::ExisteRuta(ruta))
        return false;
    if (!AbrirArchivo(ruta))
        return false;
    PaginaActual = pagina;
    return true;
}

void Form1::CargarMarcadores()
{
    // The bookmarks file is read here once bookmarks are kept.
}

void Form1::GuardarMarcadores()
{
    // The bookmarks file is written here once bookmarks are kept.
}

void Form1::Form_KeyUp(int codigoTecla, int mayusculas)
{
    Q_UNUSED(mayusculas);
    switch (codigoTecla) {
    case teclas::VK_ESCAPE:
        Salir();
        break;
    default:
        break;
    }
}

void Form1::MostrarMensaje(const QString &texto)
{
    UltimoMensaje = texto;
    LBInfo->setText(UltimoMensaje);
    LBInfo->adjustSize();
    ColocarControles();
    LBInfo->show();
    LBInfo->raise();
    SegundosInfo = 0;
    tmrInfo.start();
}

void Form1::tmrInfo_Timer()
{
    if (SegundosInfo == SegundosMensaje) {
        tmrInfo.stop();
        SegundosInfo = 0;
        LBInfo->hide();
        PBRef->hide();
    } else {
        ++SegundosInfo;
    }
}

void Form1::ColocarControles()
{
    const int margen = 12;
    PBZ->setGeometry(rect());
    ImAbrir->move(margen, margen);
    ImCerrar->move(width() - ImCerrar->width() - margen, margen);
    LBPag->adjustSize();
    LBPag->move(width() - LBPag->width() - margen, height() - LBPag->height() - margen);
    LBMarcador->adjustSize();
    LBMarcador->move(margen, height() - LBMarcador->height() - margen);
    // Messages sit centred near the bottom, sized for the screen.
    QFont f = LBInfo->font();
    f.setPixelSize(std::max(14, height() / 40));
    LBInfo->setFont(f);
    LBInfo->adjustSize();
    LBInfo->move((width() - LBInfo->width()) / 2, height() - LBInfo->height() - height() / 12);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ColocarControles();
    if (!bInicioHecho && isVisible()) {
        bInicioHecho = true;
        AbrirDocumentoInicial();
    }
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Some platforms give a hidden window its full size before showing it,
    // so no resize follows the show: start from the event loop instead.
    QTimer::singleShot(0, this, [this] {
        if (!bInicioHecho && isVisible()) {
            bInicioHecho = true;
            AbrirDocumentoInicial();
        }
    });
}

void Form1::AbrirDocumentoInicial()
{
    if (!LineaComandos.isEmpty()) {
        QString ruta = LineaComandos;
        if (ruta.size() >= 2 && ruta.front() == u'"' && ruta.back() == u'"')
            ruta = ruta.mid(1, ruta.size() - 2);
        AbrirArchivo(ruta);
        return;
    }
    if (!AbrirUltimo(true))
        emit InformacionPedida();
}

void Form1::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    const auto tecla = teclas::CodigoVirtual(*event);
    if (tecla.codigo != 0)
        Form_KeyUp(tecla.codigo, tecla.mayusculas);
}

bool Form1::eventFilter(QObject *objeto, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        if (objeto == ImCerrar && raton->button() == Qt::LeftButton) {
            Salir();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, event);
}
