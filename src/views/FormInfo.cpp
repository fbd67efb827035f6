#include "views/FormInfo.h"

#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Comandos.h"
#include "viewer/Teclas.h"
#include "views/FormAcercade.h"
#include "views/Rotulos.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using modIdioma::TextoIdioma;

namespace {

constexpr double Opacidad = 0.92;
constexpr int FilasPorColumna = (info::NumeroEntradas + 1) / 2;
constexpr int HuecoColumnas = 18;     // pixels between the two columns of commands
constexpr int MargenFila = 6;
constexpr int AnchoMinimoTitulo = 200; // below this a title wraps rather than narrows
constexpr double PartePantalla = 0.94; // of the screen's width the window may take

const QString Estilo = QStringLiteral(
    "QLabel { color: #eceef2; }"
    "QWidget#Fila { border-radius: 4px; }"
    "QWidget#Fila:hover { background: #34507a; }"
    "QLabel#LBOrden { background: #3b3f47; color: #ffffff; font-weight: bold;"
    "  border: 1px solid #70757f; border-bottom: 3px solid #70757f; border-radius: 5px; padding: 1px 6px; }"
    "QLabel#LBInfo { color: #eceef2; }"
    "QLabel#Cabecera { color: #ffffff; font-weight: bold; padding-top: 8px; }"
    "QLabel#LBMouse { color: #eceef2; padding-left: 18px; }"
    "QLabel#LBTranslated { color: #a8adb6; font-style: italic; }"
    "QLabel#ImPestana { color: #c8ccd4; background: #2a2d33; padding: 5px 14px;"
    "  border-top-left-radius: 5px; border-top-right-radius: 5px; margin-right: 2px; }"
    "QLabel#ImPestana:hover { color: #ffffff; }"
    "QLabel#ImPestana[activa=\"true\"] { color: #ffffff; background: #3c5f94; }"
    "QStackedWidget#frOpcion { border-top: 2px solid #3c5f94; }");

// Every layout inside `w` laid out now, not when the loop next turns.
void Distribuir(QWidget *w)
{
    if (w->layout())
        w->layout()->activate();
    for (QWidget *hijo : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        Distribuir(hijo);
}

} // namespace

namespace info {

const std::array<Entrada, NumeroEntradas> &Entradas()
{
    // Entry 33 ("Direction of movement") runs two-page mode like entry 40, as
    // it always has; its key cap names the key that really does it (D).
    static const std::array<Entrada, NumeroEntradas> entradas{{
        {"Informacion"}, {"AbrirArchivo"}, {"Coleccion"}, {"VentanaZoom"}, {"MiniPaginas"},
        {"Propiedades"}, {"Acercade"}, {"PaginaSiguiente"}, {"PaginaAnterior"}, {"PaseAutomatico"},
        {"ComicSiguiente"}, {"PaginasPrevias"}, {"AumentarZoom"}, {"ModoPantalla"}, {"ModoReal"},
        {"ModoAncho"}, {"ModoAlto"}, {"ModoEstirado"}, {"ParteSiguiente"}, {"ParteAnterior"},
        {"VerAbajo", "VerArriba VerAbajo VerIzquierda VerDerecha"},
        {"VerAbajoRapido", "VerArribaRapido VerAbajoRapido VerIzquierdaRapido VerDerechaRapido"},
        {"GirarDerecha"}, {"ReflejarHorizontal"}, {"Efectos"}, {"AgregarMarcador"}, {"CambiarOSD"},
        {"CambiarIdioma"}, {"Salir"}, {"Lupa"}, {"AbrirUltimo"}, {"Minimizar"}, {"ModoDinamico"},
        {"ModoDosPaginas", "OrdenPartes"}, {"ColorFondo"}, {"ModoContinuo"}, {"GuardarImagen"},
        {"InfoPagina"}, {"ListaMarcadores"}, {"BarraNavegacion"}, {"ModoDosPaginas"}, {"RepetirMensaje"},
        {"DerechaAIzquierda"}, {"EmparejarPaginas"}, {"DesplazarPliegos"}, {"PrimeraPagina"}, {"UltimaPagina"},
    }};
    return entradas;
}

QString TeclaDe(int i)
{
    const Entrada &e = Entradas()[std::size_t(i)];
    const char *comandos = e.Teclas ? e.Teclas : e.Comando;
    return teclas::TeclasDe(QString::fromLatin1(comandos).split(u' '));
}

bool EsCabeceraRaton(int linea)
{
    // "Click", "Double Click", "Mouse wheel", "Drag".
    return linea == 0 || linea == 3 || linea == 6 || linea == 8;
}

} // namespace info

int FormInfo::PaginaInfo = FormInfo::Teclado;

FormInfo::FormInfo(Comandos &comandos)
    : VentanaModal(comandos.Dueno(), QStringLiteral("FormInfo"), 500), comandos_(comandos)
{
    // Its own style on a body of its own: the window's sheet is set once, by the base.
    auto *contenido = new QWidget(this);
    contenido->setObjectName(QStringLiteral("Contenido"));
    contenido->setStyleSheet(Estilo);
    auto *columna = new QVBoxLayout(contenido);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->setSpacing(0);
    Cuerpo()->setContentsMargins(10, 8, 10, 8);
    Cuerpo()->addWidget(contenido, 1);

    auto *pestanas = new QHBoxLayout;
    pestanas->setSpacing(0);
    pestanas->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        ImPestana[i] = new QLabel(contenido);
        ImPestana[i]->setObjectName(QStringLiteral("ImPestana"));
        ImPestana[i]->setCursor(Qt::PointingHandCursor);
        ImPestana[i]->installEventFilter(this);
        pestanas->addWidget(ImPestana[i]);
    }
    pestanas->addStretch(1);
    columna->addLayout(pestanas);

    frOpcion = new QStackedWidget(contenido);
    frOpcion->setObjectName(QStringLiteral("frOpcion"));
    frOpcion->addWidget(CrearTeclado());
    frOpcion->addWidget(CrearRaton());
    columna->addWidget(frOpcion, 1);

    LBTranslated = new QLabel(contenido);
    LBTranslated->setObjectName(QStringLiteral("LBTranslated"));
    LBTranslated->setAlignment(Qt::AlignRight);
    columna->addWidget(LBTranslated);

    modFormTrans::HacerTransparente(this, Opacidad);
    connect(&comandos_, &Comandos::IdiomaCambiado, this, &FormInfo::AplicarTextos);
    tmrFuera.setInterval(info::IntervaloFuera);
    connect(&tmrFuera, &QTimer::timeout, this, &FormInfo::tmrFuera_Timer);

    AplicarTextos();
    ElegirPestana(PaginaInfo == Acercade ? int(Teclado) : int(PaginaInfo));
}

QWidget *FormInfo::CrearTeclado()
{
    auto *pagina = new QWidget;
    auto *rejilla = new QGridLayout(pagina);
    rejilla->setContentsMargins(0, 8, 0, 4);
    rejilla->setHorizontalSpacing(HuecoColumnas);
    rejilla->setVerticalSpacing(1);
    for (int i = 0; i < info::NumeroEntradas; ++i) {
        auto *fila = new QWidget(pagina);
        fila->setObjectName(QStringLiteral("Fila"));
        fila->setAttribute(Qt::WA_StyledBackground);
        fila->setAttribute(Qt::WA_Hover);
        fila->setCursor(Qt::PointingHandCursor);
        fila->setProperty("entrada", i);
        fila->installEventFilter(this);
        auto *caja = new QHBoxLayout(fila);
        caja->setContentsMargins(MargenFila, 2, MargenFila, 2);
        caja->setSpacing(10);
        LBOrden[i] = new QLabel(fila);
        LBOrden[i]->setObjectName(QStringLiteral("LBOrden"));
        LBOrden[i]->setAlignment(Qt::AlignCenter);
        LBInfo[i] = new QLabel(fila);
        LBInfo[i]->setObjectName(QStringLiteral("LBInfo"));
        // The row takes the clicks and shows the tool tip as a whole.
        for (QLabel *l : {LBOrden[i], LBInfo[i]})
            l->setAttribute(Qt::WA_TransparentForMouseEvents);
        caja->addWidget(LBOrden[i], 0, Qt::AlignVCenter);
        caja->addWidget(LBInfo[i], 1);
        filas_[i] = fila;
        rejilla->addWidget(fila, i % FilasPorColumna, i / FilasPorColumna);
    }
    rejilla->setRowStretch(FilasPorColumna, 1);
    return pagina;
}

QWidget *FormInfo::CrearRaton()
{
    auto *pagina = new QWidget;
    auto *lineas = new QVBoxLayout(pagina);
    lineas->setContentsMargins(MargenFila, 4, MargenFila, 4);
    lineas->setSpacing(4);
    for (int j = 0; j < info::NumeroLineasRaton; ++j) {
        LBMouse[j] = new QLabel(pagina);
        LBMouse[j]->setObjectName(info::EsCabeceraRaton(j) ? QStringLiteral("Cabecera") : QStringLiteral("LBMouse"));
        LBMouse[j]->setWordWrap(true);
        lineas->addWidget(LBMouse[j]);
    }
    lineas->addStretch(1);
    return pagina;
}

void FormInfo::AplicarTextos()
{
    LBTitulo->setText(TextoIdioma(500) + QStringLiteral("  (F1)"));
    setWindowTitle(TextoIdioma(500)); // what the desktop calls it
    for (int i = 0; i < info::NumeroEntradas; ++i) {
        LBOrden[i]->setText(info::TeclaDe(i));
        LBInfo[i]->setText(TextoIdioma(int(info::MensajeTitulo(i))));
        const QString ayuda = TextoIdioma(int(info::MensajeDescripcion(i)));
        LBInfo[i]->setToolTip(ayuda);
        LBOrden[i]->setToolTip(ayuda);
        filas_[i]->setToolTip(ayuda);
    }
    for (int j = 0; j < info::NumeroLineasRaton; ++j)
        LBMouse[j]->setText(TextoIdioma(int(650 + j)));
    ImCerrar->setToolTip(TextoIdioma(400));
    LBTranslated->setText(TextoIdioma(999));
    LBTranslated->setVisible(!LBTranslated->text().isEmpty());
    ImPestana[Teclado]->setText(TextoIdioma(1100));
    ImPestana[Raton]->setText(TextoIdioma(1101));
    ImPestana[Acercade]->setText(TextoIdioma(512));
    Medir();
}

void FormInfo::Medir()
{
    ensurePolished(); // sizes with the style's paddings and bold key caps
    // Key caps all as wide as the widest, so the titles line up.
    int tecla = 0;
    for (QLabel *l : LBOrden) {
        l->setMinimumWidth(0);
        tecla = std::max(tecla, l->sizeHint().width());
    }
    for (QLabel *l : LBOrden)
        l->setFixedWidth(tecla);

    // Two columns of titles; on a narrow screen a long title wraps instead
    // of pushing the window off it.
    const QScreen *s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int pantalla = s ? s->availableGeometry().width() : 1024;
    const QMargins m = Cuerpo()->contentsMargins();
    const int fijo = 2 * (tecla + 2 * MargenFila + 10) + HuecoColumnas + m.left() + m.right() + 2;
    const int limite = std::max(AnchoMinimoTitulo, (int(pantalla * PartePantalla) - fijo) / 2);
    for (QLabel *l : LBInfo)
        rotulos::LimitarAncho(l, limite);
    layout()->invalidate();
    adjustSize();
    Distribuir(this);
    if (s) {
        const QRect g = s->availableGeometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }
}

void FormInfo::ElegirPestana(int i)
{
    if (i == Acercade) {
        // Over this window; a click that closes it is not a click outside.
        conAcercade_ = true;
        tmrFuera.stop();
        {
            FormAcercade acerca(this);
            modComDlg::MostrarModal(acerca);
        }
        conAcercade_ = false;
        if (isVisible()) {
            modGeneral::ClicFuera(this, Qt::LeftButton);
            tmrFuera.start();
        }
        return;
    }
    PaginaInfo = int(i);
    frOpcion->setCurrentIndex(i);
    for (int k = 0; k < 3; ++k) {
        ImPestana[k]->setProperty("activa", k == i);
        ImPestana[k]->style()->unpolish(ImPestana[k]);
        ImPestana[k]->style()->polish(ImPestana[k]);
    }
}

void FormInfo::Elegir(int entrada)
{
    Elegida = QString::fromLatin1(info::Entradas()[std::size_t(entrada)].Comando);
    reject();
}

void FormInfo::tmrFuera_Timer()
{
    if (conAcercade_)
        return;
    if (isActiveWindow())
        aplicacionActiva_ = true;
    // A click on one of our windows, or another program taken to the front.
    if (modGeneral::ClicFuera(this, Qt::LeftButton)
        || (aplicacionActiva_ && QGuiApplication::applicationState() != Qt::ApplicationActive))
        reject();
}

void FormInfo::showEvent(QShowEvent *evento)
{
    VentanaModal::showEvent(evento);
    Medir(); // measured again now that the window is polished and shown
    // A press from before the window opened is not a click outside it.
    modGeneral::ClicFuera(this, Qt::LeftButton);
    aplicacionActiva_ = false;
    tmrFuera.start();
}

bool FormInfo::eventFilter(QObject *objeto, QEvent *evento)
{
    if (evento->type() == QEvent::MouseButtonRelease) {
        const auto *raton = static_cast<QMouseEvent *>(evento);
        auto *w = qobject_cast<QWidget *>(objeto);
        if (w && raton->button() == Qt::LeftButton && w->rect().contains(raton->position().toPoint())) {
            for (int i = 0; i < 3; ++i)
                if (objeto == ImPestana[i]) {
                    ElegirPestana(i);
                    return true;
                }
            const QVariant entrada = objeto->property("entrada");
            if (entrada.isValid()) {
                Elegir(entrada.toInt());
                return true;
            }
        }
    }
    return VentanaModal::eventFilter(objeto, evento);
}

void FormInfo::TeclaSoltada(QKeyEvent &evento)
{
    const teclas::Tecla t = teclas::DeEvento(evento);
    if (t.codigo == 0)
        return; // Shift and the like: held for the next key, not a key of its own
    if (t.codigo == Qt::Key_I) {
        // Both windows change language; this one stays open.
        comandos_.sCambiarIdioma();
        return;
    }
    if (Comandos::SePasa(t.mayusculas))
        Elegida = comandos_.ComandoDeTecla(t);
    reject();
}
