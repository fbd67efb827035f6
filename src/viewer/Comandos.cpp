#include "viewer/Comandos.h"

#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Configuracion.h"
#include "viewer/Ocupado.h"
#include "viewer/Teclas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using modIdioma::TextoIdioma;
using diseno::Modo;
using namespace teclas;

namespace {

constexpr int F = VK_F1 - 1; // F + n is the code of Fn

QString ConPorcentaje(int mensaje, int porcentaje)
{
    return TextoIdioma(mensaje) + " [" + QString::number(porcentaje) + "%]";
}

bool Acepta(Comandos::Mayus regla, bool shift)
{
    return regla == Comandos::Mayus::Igual || (regla == Comandos::Mayus::Con) == shift;
}

} // namespace

std::function<void()> &Comandos::FinDelProceso()
{
    static std::function<void()> fin = [] {
        std::fflush(nullptr);
        std::_Exit(0);
    };
    return fin;
}

Comandos::Comandos(Documento &documento, EstadoVista &vista, Pantalla *pantalla, QObject *parent)
    : QObject(parent), doc_(documento), vista_(vista), pantalla_(pantalla)
{
    tmrPaseFotos.setInterval(5000);
    connect(&tmrPaseFotos, &QTimer::timeout, this, &Comandos::tmrPaseFotos_Timer);
    RegistrarBasicos();
}

Comandos::~Comandos() = default;

QWidget *Comandos::Dueno() const
{
    return pantalla_ ? pantalla_->Dueno() : nullptr;
}

QImage Comandos::ImagenPantalla() const
{
    return pantalla_ ? pantalla_->ImagenPantalla() : QImage();
}

void Comandos::Registrar(Comando c)
{
    std::erase_if(tabla_, [&](const Comando &o) { return o.Tecla == c.Tecla && o.Regla == c.Regla; });
    tabla_.push_back(std::move(c));
}

void Comandos::TecladesdeInfo(int codigoTecla, int mayusculas)
{
    if (codigoTecla != 0 && (mayusculas == 0 || mayusculas == ShiftMask))
        Form_KeyUp(codigoTecla, mayusculas);
}

void Comandos::Form_KeyUp(int codigoTecla, int mayusculas)
{
    if (vista_.CajaPaginaAbierta)
        return;
    Ejecucion e;
    e.Mayusculas = mayusculas;
    e.Shift = mayusculas != 0;
    const auto fila = std::find_if(tabla_.begin(), tabla_.end(), [&](const Comando &c) {
        return c.Tecla == codigoTecla && Acepta(c.Regla, e.Shift);
    });
    const unsigned banderas = fila != tabla_.end() ? fila->Banderas : 0;
    if (!doc_.HayDocumento() && !(banderas & Puerta))
        return;
    const bool eraContinuo = vista_.EsContinuo();
    e.ContinuoTrasModo = eraContinuo;
    if (fila != tabla_.end()) {
        // The row may register others: run a copy of its action.
        const auto accion = fila->Accion;
        accion(e);
    }
    if (!e.SinCierre)
        Cerrar(banderas, e, eraContinuo);
}

void Comandos::Cerrar(unsigned banderas, const Ejecucion &e, bool eraContinuo)
{
    if (vista_.ModoAjuste != Modo::Dinamico)
        vista_.tmrDinamico.stop();
    const bool volverContinuo = (banderas & PasaPagina) && eraContinuo;
    if ((diseno::EsModoSimple(vista_.ModoAjuste) && e.ContinuoTrasModo) || volverContinuo) {
        // Continuous mode runs on top of the mode under it; a page turn in
        // continuous mode keeps that mode rather than recording 7 itself.
        const Modo debajo = vista_.ModoDePagina();
        vista_.ActivaContinuo();
        vista_.ModoAnterior = debajo;
        vista_.ModoAjuste = Modo::Continuo;
    }
    if (!(banderas & ConservaPartes)) {
        vista_.Partes.DesplazParteX = 0;
        vista_.Partes.DesplazParteY = 0;
    }
    if (banderas & RehaceReferencia)
        vista_.ActualizaReferencia(false, false);
    if (banderas & MuestraReferencia)
        vista_.ActualizaReferencia(true, banderas & ReiniciaReloj);
    if (!e.Mensaje.isEmpty()) {
        vista_.SegundosMensaje = (banderas & MensajeLargo) ? 5 : 2;
        MostrarMensaje(e.Mensaje);
    }
}

void Comandos::RegistrarBasicos()
{
    auto modo = [this](int tecla, Modo m, int mensaje, bool porcentaje) {
        Registrar({tecla, Mayus::Igual, RehaceReferencia, [this, m, mensaje, porcentaje](Ejecucion &e) {
                       vista_.DejarDosPaginas();
                       vista_.AplicaLayout(m);
                       vista_.ModoAjuste = m;
                       e.Mensaje = porcentaje ? ConPorcentaje(mensaje, vista_.PorcentajeZoom())
                                              : TextoIdioma(mensaje);
                   }});
    };
    auto nada = [](Ejecucion &) {};

    Registrar({F + 2, Mayus::Igual, Puerta, [this](Ejecucion &) {
                   OcultarMarcador();
                   AbrirArchivo(QString(), true);
               }});
    Registrar({F + 7, Mayus::Igual, MensajeLargo, [this](Ejecucion &e) { e.Mensaje = vista_.InfoPagina(); }});
    // Keys whose windows the tool windows register: their place in the gate
    // and in continuous mode holds even where those are not linked in.
    for (int tecla : {F + 1, F + 12, int('Q')})
        Registrar({tecla, Mayus::Igual, Puerta, nada});
    for (int tecla : {F + 10, int('P')})
        Registrar({tecla, Mayus::Igual, PasaPagina, nada});

    for (int tecla : {VK_SPACE, VK_NEXT, VK_RETURN})
        Registrar({tecla, Mayus::Igual, PasaPagina,
                   [this](Ejecucion &e) { vista_.PasarPagina(true, e.Shift); }});
    for (int tecla : {VK_BACK, VK_PRIOR})
        Registrar({tecla, Mayus::Igual, PasaPagina,
                   [this](Ejecucion &e) { vista_.PasarPagina(false, e.Shift); }});

    modo('1', Modo::Pantalla, 150, true);
    modo('2', Modo::Real, 151, false);
    modo('3', Modo::Ancho, 152, true);
    modo('4', Modo::Alto, 153, true);
    modo('5', Modo::Estirado, 166, true);
    Registrar({'6', Mayus::Igual, 0, [this](Ejecucion &e) {
                   vista_.tmrDinamico.start();
                   vista_.DejarDosPaginas();
                   vista_.ModoAjuste = Modo::Dinamico;
                   e.Mensaje = ConPorcentaje(169, vista_.PorcentajeZoom());
               }});
    Registrar({'7', Mayus::Igual, 0, [this](Ejecucion &e) {
                   if (vista_.EsContinuo()) {
                       vista_.ModoAjuste = vista_.ModoAnterior;
                       e.ContinuoTrasModo = false;
                       vista_.Imagen.Top = 0;
                       const int guardada = int(vista_.Imagen.Tag.toInt());
                       if (doc_.EsPagina(guardada))
                           vista_.PaginaActual = guardada;
                       vista_.VerImagen(vista_.PaginaActual);
                       e.Mensaje = TextoIdioma(172);
                       return;
                   }
                   if (vista_.ModoAjuste == Modo::DosPaginas) {
                       vista_.DejarDosPaginas();
                       vista_.AplicaLayout(Modo::Pantalla);
                       vista_.ModoAjuste = Modo::Pantalla;
                   }
                   vista_.ActivaContinuo();
                   vista_.ModoAnterior = vista_.ModoAjuste;
                   vista_.ModoAjuste = Modo::Continuo;
                   e.Mensaje = TextoIdioma(171) + " [" + TextoIdioma(10) + ": "
                               + QString::number(diseno::Numero(vista_.ModoAnterior)) + "]";
               }});
    Registrar({'8', Mayus::Igual, 0, [this](Ejecucion &) {
                   if (vista_.ModoAjuste == Modo::DosPaginas) {
                       vista_.DejarDosPaginas();
                       vista_.AplicaLayout(Modo::Pantalla);
                       vista_.ModoAjuste = Modo::Pantalla;
                       MostrarMensaje(TextoIdioma(580) + ": Off");
                   } else {
                       vista_.ModoAjuste = Modo::DosPaginas;
                       vista_.bAvanzando = vista_.bAvanzandoAntes = true;
                       vista_.VerImagen(vista_.PaginaActual);
                       MostrarMensaje(TextoIdioma(580) + ": On");
                   }
               }});
    for (int tecla : {'9', '0'})
        Registrar({tecla, Mayus::Igual, ConservaPartes | MuestraReferencia | ReiniciaReloj,
                   [this, tecla](Ejecucion &e) {
                       if (e.Shift)
                           vista_.ReiniciaParte();
                       else
                           vista_.MueveParte(tecla == '9' ? 1 : 0);
                   }});
    Registrar({'Z', Mayus::Igual, MuestraReferencia, [this](Ejecucion &e) {
                   vista_.AplicaZoom(e.Shift ? -10 : 10);
                   e.Mensaje = TextoIdioma(176) + (e.Shift ? " -" : " +") + " ["
                               + QString::number(vista_.PorcentajeZoom()) + "%]";
               }});
    for (int tecla : {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT})
        Registrar({tecla, Mayus::Igual, 0, [this, tecla](Ejecucion &e) {
                       const bool vertical = tecla == VK_DOWN || tecla == VK_UP;
                       if (vertical && vista_.EsContinuo()) {
                           RuedaMovida(tecla == VK_DOWN);
                           return;
                       }
                       const std::int32_t paso = e.Mayusculas == ShiftMask ? 1000 : 100;
                       const bool haciaOrigen = tecla == VK_UP || tecla == VK_LEFT;
                       // A page that fits: not even the closing steps.
                       e.SinCierre = !vista_.Desplazar(vertical, haciaOrigen ? paso : -paso);
                   }});
    Registrar({'A', Mayus::Sin, 0, [this](Ejecucion &e) {
                   if (tmrPaseFotos.isActive())
                       tmrPaseFotos.stop();
                   else
                       tmrPaseFotos.start();
                   e.Mensaje = TextoIdioma(162) + TextoIdioma(tmrPaseFotos.isActive() ? 154 : 155);
               }});
    Registrar({'A', Mayus::Con, 0, [this](Ejecucion &e) {
                   tmrPaseFotos.stop();
                   CambiaIntervalo();
                   tmrPaseFotos.start();
                   e.Mensaje = TextoIdioma(173) + QString::number(tmrPaseFotos.interval() / 1000) + "s";
               }});
    Registrar({'B', Mayus::Igual, 0, [this](Ejecucion &e) {
                   vista_.BarraVisible = !vista_.BarraVisible;
                   vista_.MostrarBarra();
                   e.Mensaje = TextoIdioma(578) + ": " + TextoIdioma(vista_.BarraVisible ? 178 : 179);
               }});
    Registrar({'C', Mayus::Igual, Puerta, [this](Ejecucion &e) {
                   if (e.Shift) {
                       if (vista_.ColorFondo() != 0)
                           vista_.PonerColorFondo(0);
                   } else {
                       const int color = modComDlg::ElegirColor(Dueno());
                       if (color < 0)
                           return; // cancelled: nothing changes, nothing is said
                       vista_.PonerColorFondo(color);
                   }
                   vista_.DibujaSegunModo();
                   e.Mensaje = TextoIdioma(170);
               }});
    Registrar({'F', Mayus::Igual, 0, [this](Ejecucion &e) {
                   if (vista_.Imagen.Picture.isNull())
                       return;
                   vista_.Reflejar(e.Shift);
                   e.Mensaje = TextoIdioma(159) + TextoIdioma(e.Shift ? 161 : 160);
               }});
    Registrar({'I', Mayus::Igual, Puerta, [this](Ejecucion &e) { e.Mensaje = sCambiarIdioma(); }});
    Registrar({'L', Mayus::Igual, Puerta, [](Ejecucion &e) { e.Mensaje = TextoIdioma(15); }});
    Registrar({'M', Mayus::Sin, 0, [this](Ejecucion &) { AgregarMarcador(); }});
    Registrar({'M', Mayus::Con, 0, [this](Ejecucion &) { QuitarMarcador(); }});
    Registrar({'N', Mayus::Igual, PasaPagina, [this](Ejecucion &e) {
                   SiguienteComic(e.Shift ? -1 : 1);
                   vista_.Imagen.Tag = QStringLiteral("1");
               }});
    Registrar({'O', Mayus::Igual, 0, [this](Ejecucion &e) { e.Mensaje = CambiaOSD(-1); }});
    Registrar({'R', Mayus::Igual, 0, [this](Ejecucion &e) {
                   if (vista_.Imagen.Picture.isNull())
                       return;
                   vista_.Rotar(!e.Shift);
                   e.Mensaje = TextoIdioma(156) + TextoIdioma(e.Shift ? 158 : 157);
               }});
    Registrar({'U', Mayus::Igual, Puerta, [this](Ejecucion &) { AbrirUltimo(false); }});
    Registrar({'V', Mayus::Igual, 0, [this](Ejecucion &e) { e.Mensaje = vista_.UltimoMensaje; }});
    Registrar({VK_ESCAPE, Mayus::Igual, Puerta, [this](Ejecucion &e) {
                   Salir();
                   e.SinCierre = true;
               }});
}

void Comandos::RuedaMovida(bool abajo)
{
    if (pantalla_ && !pantalla_->NumeroPaginaVisible())
        return;
    if (vista_.bRuedaZoom) {
        Form_KeyUp('Z', abajo ? ShiftMask : 0);
        return;
    }
    if (doc_.NumeroPaginas() < 1)
        return;
    const diseno::Ventana &v = vista_.Escala();
    ControlImagen &imagen = vista_.Imagen;
    switch (vista_.ModoAjuste) {
    case Modo::Pantalla: case Modo::Alto: case Modo::Estirado: case Modo::DosPaginas:
        if (vista_.PaginaCargada)
            Form_KeyUp(abajo ? VK_SPACE : VK_BACK, 0);
        break;
    case Modo::Real: case Modo::Ancho:
        if (!abajo && imagen.Top >= 0) {
            if (!vista_.PaginaCargada)
                break;
            vista_.IrAPagina(doc_.PaginaVecina(vista_.PaginaActual, -1));
            if (imagen.Height >= v.SH)
                imagen.Top = v.SH - imagen.Height - 100; // its bottom end first
            vista_.DibujaForm();
        } else if (abajo && v.SH - imagen.Height >= imagen.Top) {
            if (vista_.PaginaCargada)
                vista_.IrAPagina(doc_.PaginaVecina(vista_.PaginaActual, 1));
        } else {
            std::int32_t top = imagen.Top + (abajo ? -1000 : 1000);
            if (top > 0)
                top = diseno::HuecoContinuo; // a gap shows the top edge
            if (v.SH - imagen.Height >= top)
                top = v.SH - imagen.Height - 500; // and the bottom edge
            imagen.Top = top;
            vista_.DibujaForm();
        }
        break;
    case Modo::Continuo:
        vista_.PasoContinuo(imagen.Top + (abajo ? -1000 : 1000));
        break;
    default:
        break;
    }
}

// ---- Documents ---------------------------------------------------------------

void Comandos::AbrirArchivo(const QString &ruta, bool mostrar)
{
    AbrirComo(ruta, mostrar, QString());
}

void Comandos::AbrirComo(const QString &ruta, bool mostrar, const QString &leerComo)
{
    emit Abriendo(true);
    if (!doc_.GuardarMarcadores())
        qWarning("tavelo: the bookmarks could not be written");

    QString elegida = ruta;
    if (elegida.isEmpty()) {
        const QString desde = doc_.RutaActual.isEmpty() ? QDir::homePath() : doc_.RutaActual;
        elegida = modComDlg::DialogoAbrir(Dueno(), modGeneral::CarpetaDeRuta(desde), TextoIdioma(5),
                                          paginas::FiltroAbrir(TextoIdioma(6)));
        if (elegida.isEmpty()) {
            emit Abriendo(false);
            return;
        }
    }

    const Documento::Apertura apertura = doc_.Abrir(elegida, leerComo);
    vista_.PaginaActual = apertura.Inicial;
    if (apertura.SinEntradas) {
        MostrarMensaje(TextoIdioma(200));
        emit Abriendo(false);
        if (doc_.ExtActual == QLatin1String("CBR") || doc_.ExtActual == QLatin1String("CBZ"))
            RepararExtension(doc_.ExtActual);
        return;
    }
    if (!doc_.HayDocumento()) {
        // Nothing in it is a page: said, rather than a screen that stays as it was.
        MostrarMensaje(TextoIdioma(1000));
        emit Abriendo(false);
        return;
    }
    MostrarMarcador(doc_.MarcadorDe(doc_.RutaActual));

    vista_.OcultarNumeroPagina(); // no page number until the page is there
    const bool leida = !mostrar || vista_.VerImagen(vista_.PaginaActual);
    vista_.Etiquetar();
    visor::ProcesarEventos();
    doc_.NombreActual = modGeneral::NombreDeRuta(doc_.RutaActual);
    // A first page that could not be read keeps its loading error on screen.
    if (leida)
        MostrarMensaje(doc_.NombreActual.isEmpty() ? doc_.RutaActual : doc_.NombreActual);
    emit Abriendo(false);
}

void Comandos::RepararExtension(const QString &extension)
{
    if (bReparando) {
        bReparando = false;
        return;
    }
    const QString nueva = ExtensionSegunContenido(doc_.RutaActual, extension);
    if (nueva.isEmpty())
        return;
    const QString destino = doc_.RutaActual.left(doc_.RutaActual.size() - 3) + nueva;
    bReparando = true;
    // Like a move, a rename never replaces a file already there. Without
    // the new name the archive is read where it is, as what it is.
    if (QFile::rename(doc_.RutaActual, destino)) {
        AbrirArchivo(destino, true);
        MostrarMensaje(TextoIdioma(201));
    } else {
        AbrirComo(doc_.RutaActual, true, nueva);
    }
    bReparando = false;
}

bool Comandos::bAbrirMarcador(const QString &ruta, int pagina)
{
    if (!modGeneral::ExisteRuta(ruta))
        return false;
    OcultarMarcador();
    AbrirArchivo(ruta, false);
    visor::ProcesarEventos();
    // A record from when the document had more pages opens it at the start.
    if (!doc_.EsPagina(pagina))
        pagina = 1;
    bPaginaIlegible = !vista_.VerImagen(pagina);
    visor::ProcesarEventos();
    vista_.PaginaActual = pagina;
    vista_.Etiquetar();
    return true;
}

bool Comandos::AbrirUltimo(bool anunciar)
{
    const RegistroMarcador ultimo = doc_.Marcadores.value(0);
    if (ultimo.Ruta.isEmpty())
        return false;
    const bool abierto = bAbrirMarcador(ultimo.Ruta, configuracion::NumeroDePagina(ultimo.Marcador));
    if (abierto && anunciar && !bPaginaIlegible)
        MostrarMensaje(TextoIdioma(8));
    return abierto;
}

void Comandos::SiguienteComic(int paso)
{
    const QString ruta = doc_.ComicVecino(paso);
    if (!ruta.isEmpty())
        AbrirArchivo(ruta, true);
}

QString Comandos::RutaDeLinea(const QString &lineaComandos)
{
    QString ruta = lineaComandos.trimmed();
    if (ruta.size() >= 2 && ruta.front() == u'"' && ruta.back() == u'"')
        ruta = ruta.mid(1, ruta.size() - 2);
    // Kept as an absolute path so the resume record works from anywhere.
    if (QFileInfo::exists(ruta))
        ruta = QFileInfo(ruta).absoluteFilePath();
    return ruta;
}

void Comandos::AbrirDocumentoInicial(const QString &lineaComandos)
{
    if (!lineaComandos.isEmpty()) {
        AbrirArchivo(RutaDeLinea(lineaComandos), true);
        return;
    }
    if (!AbrirUltimo(true))
        emit InformacionPedida();
}

// ---- Bookmarks ---------------------------------------------------------------

void Comandos::MostrarMarcador(const QString &pagina)
{
    Marcador = pagina;
    emit MarcadorCambiado();
}

void Comandos::OcultarMarcador()
{
    MostrarMarcador(QString());
}

void Comandos::AgregarMarcador()
{
    const QString pagina = QString::number(vista_.PaginaActual);
    doc_.PonerMarcador(doc_.RutaActual, pagina);
    MostrarMarcador(pagina);
    MostrarMensaje(TextoIdioma(163) + pagina);
}

void Comandos::QuitarMarcador()
{
    OcultarMarcador();
    if (doc_.Marcadores.size() <= 1)
        return;
    doc_.QuitarMarcador(doc_.RutaActual);
    MostrarMensaje(TextoIdioma(164));
}

void Comandos::IrAlMarcador()
{
    if (Marcador.isEmpty())
        return;
    int n = configuracion::NumeroDePagina(Marcador);
    if (!doc_.EsPagina(n))
        n = 1;
    vista_.VerImagen(n);
    visor::ProcesarEventos();
    vista_.PaginaActual = n;
    if (vista_.EsContinuo()) {
        // Continuous mode is rebuilt on the same mode under it.
        vista_.Imagen.Tag = Marcador;
        vista_.ActivaContinuo();
    }
    MostrarMensaje(TextoIdioma(163) + QString::number(n));
}

// ---- Settings, language, on-screen display, exit ------------------------------

QString Comandos::sCambiarIdioma()
{
    modIdioma::Idioma = configuracion::SiguienteIdioma(modIdioma::Idioma);
    modIdioma::TraducirQt();
    emit IdiomaCambiado();
    return TextoIdioma(7);
}

QString Comandos::CambiaOSD(int modo)
{
    if (modo > 2)
        return {};
    vista_.ModoOSD = int(modo == -1 ? (vista_.ModoOSD + 1) % 3 : modo);
    const bool mostrar = vista_.ModoOSD == 1;
    if (pantalla_)
        pantalla_->MuestraControles(mostrar);
    switch (vista_.ModoOSD) {
    case 0:
        return QStringLiteral("OSD ") + TextoIdioma(155);
    case 1:
        return QStringLiteral("OSD ") + TextoIdioma(154);
    default:
        return QStringLiteral("OSD ") + TextoIdioma(154) + " (" + TextoIdioma(174) + ")";
    }
}

void Comandos::CambiaIntervalo()
{
    static constexpr int ciclo[] = {3, 5, 7, 10, 15, 20, 30};
    const int segundos = tmrPaseFotos.interval() / 1000;
    for (std::size_t i = 0; i < std::size(ciclo); ++i) {
        if (ciclo[i] == segundos) {
            tmrPaseFotos.setInterval(ciclo[(i + 1) % std::size(ciclo)] * 1000);
            return;
        }
    }
}

void Comandos::LeerConfiguracion()
{
    configuracion::Leer(vista_, doc_);
    modIdioma::TraducirQt();
}

bool Comandos::GuardarConfiguracion() const
{
    const bool barra = pantalla_ ? pantalla_->BarraEnPantalla() : vista_.BarraVisible;
    return configuracion::Guardar(vista_, doc_, barra);
}

void Comandos::Salir()
{
    // Nothing more can be done about a failed write at exit but to say so.
    if (!GuardarConfiguracion())
        qWarning("tavelo: the settings could not be written");
    if (!doc_.GuardarMarcadores())
        qWarning("tavelo: the bookmarks could not be written");
    FinDelProceso()();
}
