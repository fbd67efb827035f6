#include "views/FormGuardar.h"

#include "imaging/modGrafConv.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int MensajeTitulo = 390;
constexpr int MensajeOpcion = 391; // option i: 391 + i
constexpr int MensajeCalidad = 393;
constexpr int MensajeSobrescribir = 394;
constexpr int MensajeTituloSobrescribir = 395;
constexpr int MensajeFiltro = 396;
constexpr int MensajeNoGuardada = 1020;
constexpr int MensajeTipoDesconocido = 1021;
constexpr int PasoCalidadPor = 5;
constexpr int CalidadMaxima = 100;
constexpr double Opacidad = 0.9;
constexpr int ArribaTwips = 500;
constexpr int SeparacionPorTwips = 20;

int Pixeles(int twips)
{
    return int(std::nearbyint(double(twips) / modGeneral::TwipsPorPixel));
}

} // namespace

FormGuardar::FormGuardar(QWidget *dueno, const ControlImagen &imagen,
                         FuncionPantalla imagenPantalla, FuncionMensaje mostrarMensaje)
    : VentanaHerramienta(dueno, QStringLiteral("FormGuardar"), MensajeTitulo), imagen_(imagen),
      imagenPantalla_(std::move(imagenPantalla)), mostrarMensaje_(std::move(mostrarMensaje))
{
    FrmOpcion = new QWidget(this);
    FrmOpcion->setObjectName(QStringLiteral("FrmOpcion"));
    auto *opciones = new QVBoxLayout(FrmOpcion);
    opciones->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) {
        auto *linea = new QHBoxLayout;
        OpGuardar[std::size_t(i)] = new QRadioButton(FrmOpcion);
        OpGuardar[std::size_t(i)]->setObjectName(QStringLiteral("OpGuardar%1").arg(i));
        LBOpcion[std::size_t(i)] =
            new QLabel(modIdioma::TextoIdioma(int(MensajeOpcion + i)), FrmOpcion);
        LBOpcion[std::size_t(i)]->setObjectName(QStringLiteral("LBOpcion%1").arg(i));
        LBOpcion[std::size_t(i)]->installEventFilter(this);
        connect(OpGuardar[std::size_t(i)], &QRadioButton::clicked, this,
                [this, i] { ElegirOpcion(i); });
        linea->addWidget(OpGuardar[std::size_t(i)]);
        linea->addWidget(LBOpcion[std::size_t(i)], 1);
        opciones->addLayout(linea);
    }
    Cuerpo()->addWidget(FrmOpcion);

    auto *calidad = new QHBoxLayout;
    calidad->setSpacing(Pixeles(SeparacionPorTwips));
    LBCalidad = new QLabel(modIdioma::TextoIdioma(MensajeCalidad), this);
    LBCalidad->setObjectName(QStringLiteral("LBCalidad"));
    LBPor = new QLabel(QString::number(CalidadInicial), this);
    LBPor->setObjectName(QStringLiteral("LBPor"));
    LBPor->setCursor(Qt::PointingHandCursor);
    LBPor->setStyleSheet(QStringLiteral("QLabel#LBPor { font-weight: bold; color: #9cc4ff; }"));
    LBPor->installEventFilter(this);
    calidad->addWidget(LBCalidad);
    calidad->addWidget(LBPor);
    calidad->addStretch(1);
    ImGuardar = new QToolButton(this);
    ImGuardar->setObjectName(QStringLiteral("ImGuardar"));
    ImGuardar->setIcon(QIcon(QStringLiteral(":/iconos/guardar.svg")));
    ImGuardar->setIconSize(QSize(32, 32));
    ImGuardar->setAutoRaise(true);
    ImGuardar->setToolTip(LBTitulo->text());
    connect(ImGuardar, &QToolButton::clicked, this, [this] {
        GuardarImagen(Calidad());
        accept();
    });
    calidad->addWidget(ImGuardar);
    Cuerpo()->addLayout(calidad);

    tmrPor = new QTimer(this);
    tmrPor->setObjectName(QStringLiteral("tmrPor"));
    tmrPor->setInterval(IntervaloRepeticionMs);
    connect(tmrPor, &QTimer::timeout, this, &FormGuardar::tmrPor_Timer);

    modFormTrans::HacerTransparente(this, Opacidad);
    OpGuardar[0]->setChecked(true);
    ElegirOpcion(0);
    adjustSize();
}

int FormGuardar::Abrir(QWidget *dueno, const ControlImagen &imagen, FuncionPantalla imagenPantalla,
                       FuncionMensaje mostrarMensaje)
{
    FormGuardar ventana(dueno, imagen, std::move(imagenPantalla), std::move(mostrarMensaje));
    return modComDlg::MostrarModal(ventana);
}

int FormGuardar::SiguienteCalidad(int calidad)
{
    const int siguiente = calidad + PasoCalidadPor;
    return siguiente > CalidadMaxima ? PasoCalidadPor : siguiente;
}

int FormGuardar::Calidad() const
{
    return LBPor->text().toInt();
}

void FormGuardar::PasoCalidad()
{
    LBPor->setText(QString::number(SiguienteCalidad(Calidad())));
}

void FormGuardar::tmrPor_Timer()
{
    ++repeticiones_;
    if (repeticiones_ >= TicksAntesDeRepetir)
        PasoCalidad();
}

void FormGuardar::ElegirOpcion(int opcion)
{
    OpGuardar[std::size_t(opcion == 1)]->setChecked(true);
    if (opcion == 1) {
        VaciarPicture(PB);
        PB.Picture = imagenPantalla_ ? imagenPantalla_() : QImage();
        PB.Tipo = PB.Picture.isNull() ? TipoPicture::Ninguno : TipoPicture::Bitmap;
    } else {
        CopiarPicture(PB, imagen_);
    }
}

void FormGuardar::GuardarImagen(int calidad)
{
    QString ruta = modComDlg::DialogoGuardar(modIdioma::TextoIdioma(MensajeFiltro),
                                             modIdioma::TextoIdioma(MensajeTitulo));
    if (ruta.isEmpty())
        return;
    ruta = modGrafConv::RutaConExtension(ruta);
    if (modGeneral::ExisteRuta(ruta)
        && modComDlg::CajaMensaje(this, modIdioma::TextoIdioma(MensajeSobrescribir),
                                  modIdioma::TextoIdioma(MensajeTituloSobrescribir),
                                  modComDlg::EstiloCaja::PreguntaSiNo)
               != QMessageBox::Yes)
        return;
    const auto formato = modGrafConv::FormatoDeRuta(ruta);
    auto avisar = [this](int mensaje) {
        if (mostrarMensaje_)
            mostrarMensaje_(modIdioma::TextoIdioma(int(mensaje)));
    };
    if (!formato) {
        avisar(MensajeTipoDesconocido);
        return;
    }
    const bool hecho = *formato == modGrafConv::Formato::Bmp
                           ? modGrafConv::GuardarPicture(PB, ruta)
                           : modGrafConv::GuardarConGDIPlus(PB, ruta, calidad, int(*formato));
    if (!hecho)
        avisar(MensajeNoGuardada);
}

bool FormGuardar::eventFilter(QObject *objeto, QEvent *evento)
{
    for (int i = 0; i < 2; ++i) {
        if (objeto == LBOpcion[std::size_t(i)] && evento->type() == QEvent::MouseButtonRelease) {
            ElegirOpcion(i);
            return true;
        }
    }
    if (objeto == LBPor) {
        switch (evento->type()) {
        case QEvent::MouseButtonPress:
            repeticiones_ = 0;
            tmrPor->start();
            return true;
        case QEvent::MouseButtonRelease: {
            tmrPor->stop();
            // A release over the label is its click.
            const auto *raton = static_cast<QMouseEvent *>(evento);
            if (LBPor->rect().contains(raton->position().toPoint()))
                PasoCalidad();
            return true;
        }
        default:
            break;
        }
    }
    return VentanaHerramienta::eventFilter(objeto, evento);
}

void FormGuardar::showEvent(QShowEvent *evento)
{
    VentanaHerramienta::showEvent(evento);
    // Centred on the main window, near its top.
    QRect sobre;
    if (parentWidget())
        sobre = parentWidget()->window()->geometry();
    else if (const QScreen *pantalla = QGuiApplication::primaryScreen())
        sobre = pantalla->geometry();
    if (!sobre.isEmpty())
        move(sobre.x() + sobre.width() / 2 - width() / 2, sobre.y() + Pixeles(ArribaTwips));
}
