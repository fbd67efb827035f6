#include "views/FormEfectos.h"

#include "shell/PunteroOcupado.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Button i's icon and the first of the tooltips (button i: 71 + i).
constexpr const char *Iconos[FormEfectos::NumeroEfectos] = {
    "brillo_mas", "brillo_menos", "contraste_mas", "contraste_menos", "saturacion_mas",
    "saturacion_menos", "desenfocar", "difuminar", "suavizar", "gamma",
    "contrastar_bordes", "perfilar", "escala_grises"};
constexpr int PrimerMensajeEfecto = 71;
constexpr int MensajeCerrarDeshacer = 85;
// The panel has no title; its bar is only the drag handle.
constexpr int SinTitulo = -1;
constexpr double Opacidad = 0.8;
constexpr int MargenInferiorTwips = 800;

// The steps the component is driven with.
constexpr std::int32_t PasoBrillo = 10;
constexpr std::int32_t PasoContraste = 10;
constexpr std::int32_t PasoSaturacion = 10;
constexpr std::int32_t ValorGamma = 50;

int Pixeles(int twips)
{
    return int(std::nearbyint(double(twips) / modGeneral::TwipsPorPixel));
}

} // namespace

FormEfectos::FormEfectos(QWidget *dueno, ControlImagen &imagen, FuncionAplicar aplicaEfecto,
                         FuncionMensaje mostrarMensaje)
    : VentanaHerramienta(dueno, QStringLiteral("FormEfectos"), SinTitulo), imagen_(imagen),
      aplicaEfecto_(std::move(aplicaEfecto)), mostrarMensaje_(std::move(mostrarMensaje))
{
    LBMov = LBTitulo;
    auto *fila = new QWidget(this);
    fila->setObjectName(QStringLiteral("FrEfectos"));
    const int lado = Pixeles(LadoBotonTwips);
    fila->setFixedSize(lado * NumeroEfectos, lado);
    fila->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; padding: 0; background: transparent; border-radius: 3px; }"
        "QToolButton:hover { background: #3c4048; }"
        "QToolButton:pressed { background: #4a6ea8; }"));
    for (int i = 0; i < NumeroEfectos; ++i) {
        auto *boton = new QToolButton(fila);
        boton->setObjectName(QStringLiteral("Imagen%1").arg(i));
        boton->setGeometry(Pixeles(LadoBotonTwips * i), 0, lado, lado);
        boton->setIcon(QIcon(QStringLiteral(":/iconos/%1.svg").arg(QLatin1String(Iconos[i]))));
        boton->setIconSize(QSize(lado, lado));
        boton->setFocusPolicy(Qt::NoFocus);
        boton->setToolTip(modIdioma::TextoIdioma(int(PrimerMensajeEfecto + i)));
        connect(boton, &QToolButton::clicked, this, [this, i] { AplicarEfecto(i); });
        Imagen[std::size_t(i)] = boton;
    }
    Cuerpo()->addWidget(fila);
    // Left button: the shared close; any other button: undo.
    ImCerrar->setToolTip(modIdioma::TextoIdioma(MensajeCerrarDeshacer));
    ImCerrar->setFocusPolicy(Qt::NoFocus);
    ImCerrar->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    modFormTrans::HacerTransparente(this, Opacidad);
    adjustSize();
    IniciarEfectos();
}

int FormEfectos::Abrir(QWidget *dueno, ControlImagen &imagen, FuncionAplicar aplicaEfecto,
                       FuncionMensaje mostrarMensaje)
{
    FormEfectos panel(dueno, imagen, std::move(aplicaEfecto), std::move(mostrarMensaje));
    return modComDlg::MostrarModal(panel);
}

void FormEfectos::IniciarEfectos()
{
    efectos_ = std::make_unique<ccEfectos>();
    efectos_->AsignarCaja(Picture1);
    CopiarPicture(Picture1, imagen_);
    efectos_->Cargar();
}

void FormEfectos::AplicarEfecto(int indice)
{
    if (!efectos_ || indice < 0 || indice >= NumeroEfectos)
        return;
    PunteroOcupado ocupado;
    ccEfectos &e = *efectos_;
    switch (indice) {
    case 0: e.BrilloMas(PasoBrillo); break;
    case 1: e.BrilloMenos(-PasoBrillo); break;
    case 2: e.ContrasteMas(PasoContraste); break;
    case 3: e.ContrasteMenos(PasoContraste); break;
    case 4: e.SaturacionMas(PasoSaturacion); break;
    case 5: e.SaturacionMenos(PasoSaturacion); break;
    case 6: e.Desenfocar(); break;
    case 7: e.Difuminar(); break;
    case 8: e.Suavizar(); break;
    case 9: e.Gamma(ValorGamma); break;
    case 10: e.ContrastarBordes(); break;
    case 11:
        e.Perfilar();
        e.PerfilarFin();
        break;
    case 12: e.EscalaGrises(); break;
    }
    // Without a working picture the page keeps what it had.
    QImage resultado = e.Resultado();
    if (resultado.isNull())
        return;
    if (mostrarMensaje_)
        mostrarMensaje_(Imagen[std::size_t(indice)]->toolTip());
    VaciarPicture(imagen_);
    imagen_.Picture = std::move(resultado);
    imagen_.Tipo = TipoPicture::Bitmap;
    if (aplicaEfecto_)
        aplicaEfecto_();
}

void FormEfectos::Deshacer()
{
    CopiarPicture(imagen_, Picture1);
    efectos_.reset();
    IniciarEfectos();
    if (aplicaEfecto_)
        aplicaEfecto_();
}

bool FormEfectos::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == ImCerrar && evento->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(evento)->button() != Qt::LeftButton) {
        Deshacer();
        return true;
    }
    return VentanaHerramienta::eventFilter(objeto, evento);
}

void FormEfectos::keyPressEvent(QKeyEvent *evento)
{
    // Keys act on release only, and only E and Escape.
    evento->accept();
}

void FormEfectos::keyReleaseEvent(QKeyEvent *evento)
{
    evento->accept();
    if (!evento->isAutoRepeat() && (evento->key() == Qt::Key_E || evento->key() == Qt::Key_Escape))
        reject();
}

void FormEfectos::showEvent(QShowEvent *evento)
{
    VentanaHerramienta::showEvent(evento);
    // Centred, a little above the bottom edge of the screen.
    const QScreen *pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
    if (pantalla) {
        const QRect r = pantalla->geometry();
        move(r.x() + r.width() / 2 - width() / 2,
             r.y() + r.height() - height() - Pixeles(MargenInferiorTwips));
    }
    activateWindow();
    setFocus();
}

void FormEfectos::done(int resultado)
{
    efectos_.reset();
    VentanaHerramienta::done(resultado);
}
