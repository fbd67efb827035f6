#include "viewer/Comandos.h"

#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Configuracion.h"
#include "viewer/Teclas.h"
#include "viewer/modIni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using modIdioma::TextoIdioma;
using diseno::Modo;
using teclas::ComandoDeModo;

namespace {

constexpr int MensajeEmparejar = 1260, MensajeDesplazado = 1261, MensajeSinDesplazar = 1262,
              MensajeIzquierdaADerecha = 1263, MensajeDerechaAIzquierda = 1264, MensajePaginaDe = 1265,
              MensajeDireccion = 1266;

QString ConPorcentaje(int mensaje, int porcentaje)
{
    return TextoIdioma(mensaje) + " [" + QString::number(porcentaje) + "%]";
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
    connect(&vista_, &EstadoVista::PaginaHecha, this, &Comandos::Soltar);
    connect(&doc_, &Documento::ListadoHecho, this, [this](const Candidato &c) { EnTurno([this, c] { Listado(c); }); });
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
    std::erase_if(tabla_, [&](const Comando &o) { return o.Nombre == c.Nombre; });
    tabla_.push_back(std::move(c));
}

QString Comandos::NombreDe(const QString &nombre) const
{
    const auto c = std::find_if(tabla_.begin(), tabla_.end(), [&](const Comando &o) {
        return o.Nombre.compare(nombre, Qt::CaseInsensitive) == 0;
    });
    return c == tabla_.end() ? QString() : c->Nombre;
}

// ---- The dispatcher ------------------------------------------------------------

void Comandos::EnTurno(std::function<void()> trabajo)
{
    espera_.push_back(std::move(trabajo));
    if (enCurso_)
        return;
    while (!espera_.empty()) {
        const auto siguiente = std::move(espera_.front());
        espera_.pop_front();
        enCurso_ = true;
        siguiente();
        enCurso_ = false;
    }
}

bool Comandos::EsPaso(const QString &nombre)
{
    static const QStringList pasos{"PaginaSiguiente", "PaginaAnterior", "PrimeraPagina", "UltimaPagina",
                                   "RuedaAbajo",      "RuedaArriba"};
    return pasos.contains(nombre);
}

void Comandos::Ejecutar(const QString &nombre, Origen origen)
{
    if (origen == Origen::Ventana && enCurso_) {
        Correr(nombre);
        return;
    }
    // While a page is on its way, a turn only changes the page awaited;
    // anything else waits for the page, and what comes after it waits too.
    retenidos_.push_back(nombre);
    Soltar();
}

bool Comandos::SinPagina(const QString &nombre) const
{
    const auto fila = std::find_if(tabla_.begin(), tabla_.end(), [&](const Comando &c) { return c.Nombre == nombre; });
    return fila != tabla_.end() && (fila->Banderas & Puerta);
}

void Comandos::Soltar()
{
    // Commands that work without a document (help, open, exit) need no
    // page either: they go as soon as nothing is held before them. The
    // rest also wait for a document on its way.
    while (!retenidos_.empty()
           && (SinPagina(retenidos_.front())
               || (!apertura_ && (vista_.PaginaCargada() || EsPaso(retenidos_.front()))))) {
        const QString nombre = retenidos_.front();
        retenidos_.pop_front();
        EnTurno([this, nombre] { Correr(nombre); });
    }
    // The automatic show turns from a page on the screen.
    if (pasoEsperando_ && !pasoEnCola_ && retenidos_.empty() && !apertura_ && vista_.PaginaCargada()) {
        pasoEnCola_ = true;
        EnTurno([this] {
            pasoEsperando_ = pasoEnCola_ = false;
            Correr(QStringLiteral("PaginaSiguiente"));
        });
    }
}

void Comandos::Form_KeyUp(int tecla, int mayusculas)
{
    if (pantalla_ && pantalla_->CajaPaginaAbierta())
        return;
    const teclas::Tecla t = teclas::Normalizada(tecla, mayusculas);
    if (t.codigo != 0)
        Ejecutar(ComandoDeTecla(t));
}

void Comandos::TecladesdeInfo(int tecla, int mayusculas)
{
    if (tecla != 0 && SePasa(mayusculas))
        Form_KeyUp(tecla, mayusculas);
}

void Comandos::tmrPaseFotos_Timer()
{
    pasoEsperando_ = true;
    Soltar();
}

void Comandos::Correr(const QString &nombre)
{
    const auto fila = std::find_if(tabla_.begin(), tabla_.end(), [&](const Comando &c) { return c.Nombre == nombre; });
    const unsigned banderas = fila != tabla_.end() ? fila->Banderas : 0;
    if (!doc_.HayDocumento() && !(banderas & Puerta))
        return;
    Ejecucion e;
    e.ContinuoTrasModo = vista_.EsContinuo();
    if (fila != tabla_.end()) {
        // The command may register others: run a copy of its action.
        const auto accion = fila->Accion;
        accion(e);
    }
    if (!e.SinCierre)
        Cerrar(banderas, e);
    if (!e.Despues.isEmpty())
        Correr(e.Despues);
}

void Comandos::Cerrar(unsigned banderas, const Ejecucion &e)
{
    if (vista_.ModoAjuste() != Modo::Dinamico)
        vista_.tmrDinamico.stop();
    // A new mode 1-5 while continuous mode was on goes under it. (A page
    // change in continuous mode stacks the next page itself.)
    if (e.ContinuoTrasModo && diseno::EsModoSimple(vista_.ModoAjuste()))
        vista_.PonerContinuo(vista_.ModoAjuste());
    if (!(banderas & ConservaPartes))
        vista_.OlvidarPartes();
    if (banderas & RehaceReferencia)
        vista_.ActualizaReferencia(false, false);
    if (banderas & MuestraReferencia)
        vista_.ActualizaReferencia(true, banderas & ReiniciaReloj);
    if (!e.Mensaje.isEmpty()) {
        vista_.PonerSegundosMensaje((banderas & MensajeLargo) ? 5 : 2);
        MostrarMensaje(e.Mensaje);
    }
}

// ---- The commands --------------------------------------------------------------

void Comandos::RegistrarBasicos()
{
    auto modo = [this](Modo m, int mensaje, bool porcentaje) {
        Registrar({ComandoDeModo(m), RehaceReferencia, [this, m, mensaje, porcentaje](Ejecucion &e) {
                       vista_.CambiarModo(m);
                       e.Mensaje = porcentaje ? ConPorcentaje(mensaje, vista_.PorcentajeZoom())
                                              : TextoIdioma(mensaje);
                   }});
    };
    auto nada = [](Ejecucion &) {};

    Registrar({"AbrirArchivo", Puerta, [this](Ejecucion &) {
                   OcultarMarcador();
                   AbrirArchivo(QString(), true);
               }});
    Registrar({"InfoPagina", MensajeLargo, [this](Ejecucion &e) { e.Mensaje = vista_.InfoPagina(); }});
    // Commands whose windows the tool windows register: their place in the
    // gate holds even where those are not linked in.
    for (const char *nombre : {"Informacion", "Acercade", "Minimizar"})
        Registrar({nombre, Puerta, nada});

    Registrar({"PaginaSiguiente", 0, [this](Ejecucion &) { vista_.PasarPagina(true, false); }});
    Registrar({"PrimeraPagina", 0, [this](Ejecucion &) { vista_.PasarPagina(true, true); }});
    Registrar({"PaginaAnterior", 0, [this](Ejecucion &) { vista_.PasarPagina(false, false); }});
    Registrar({"UltimaPagina", 0, [this](Ejecucion &) { vista_.PasarPagina(false, true); }});

    modo(Modo::Pantalla, 150, true);
    modo(Modo::Real, 151, false);
    modo(Modo::Ancho, 152, true);
    modo(Modo::Alto, 153, true);
    modo(Modo::Estirado, 166, true);
    Registrar({ComandoDeModo(Modo::Dinamico), 0, [this](Ejecucion &e) {
                   vista_.tmrDinamico.start();
                   vista_.CambiarModo(Modo::Dinamico);
                   e.Mensaje = ConPorcentaje(169, vista_.PorcentajeZoom());
               }});
    Registrar({ComandoDeModo(Modo::Continuo), 0, [this](Ejecucion &e) {
                   if (vista_.EsContinuo()) {
                       e.ContinuoTrasModo = false;
                       vista_.QuitarContinuo();
                       e.Mensaje = TextoIdioma(172);
                       return;
                   }
                   if (vista_.ModoAjuste() == Modo::DosPaginas)
                       vista_.CambiarModo(Modo::Pantalla);
                   vista_.PonerContinuo(vista_.ModoAjuste());
                   e.Mensaje = TextoIdioma(171) + " [" + TextoIdioma(10) + ": "
                               + QString::number(diseno::Numero(vista_.ModoAnterior())) + "]";
               }});
    Registrar({ComandoDeModo(Modo::DosPaginas), 0, [this](Ejecucion &) {
                   if (vista_.ModoAjuste() == Modo::DosPaginas) {
                       vista_.CambiarModo(Modo::Pantalla);
                       MostrarMensaje(TextoIdioma(580) + ": " + TextoIdioma(179));
                   } else {
                       vista_.PonerDosPaginas();
                       MostrarMensaje(TextoIdioma(580) + ": " + TextoIdioma(178));
                   }
               }});
    // Two-page reading: pairs by shape, their shift, the direction. The
    // open comic keeps what the reader chose.
    Registrar({"EmparejarPaginas", 0, [this](Ejecucion &e) {
                   vista_.PonerEmparejar(!vista_.bEmparejar());
                   bEmparejarPorDefecto = vista_.bEmparejar();
                   RecordarComic();
                   e.Mensaje = TextoIdioma(MensajeEmparejar) + ": " + TextoIdioma(vista_.bEmparejar() ? 178 : 179);
               }});
    Registrar({"DesplazarPliegos", 0, [this](Ejecucion &e) {
                   vista_.PonerDesplazado(!vista_.bDesplazado());
                   RecordarComic();
                   e.Mensaje = TextoIdioma(vista_.bDesplazado() ? MensajeDesplazado : MensajeSinDesplazar);
               }});
    Registrar({"DerechaAIzquierda", 0, [this](Ejecucion &e) {
                   vista_.PonerDerechaAIzquierda(!vista_.bDerechaAIzquierda());
                   bElegidaDireccion = true;
                   RecordarComic();
                   e.Mensaje = TextoIdioma(MensajeDireccion) + ": "
                               + TextoIdioma(vista_.bDerechaAIzquierda() ? MensajeDerechaAIzquierda : MensajeIzquierdaADerecha);
               }});
    constexpr unsigned PorPartes = ConservaPartes | MuestraReferencia | ReiniciaReloj;
    Registrar({"ParteAnterior", PorPartes, [this](Ejecucion &) { vista_.MueveParte(1); }});
    Registrar({"ParteSiguiente", PorPartes, [this](Ejecucion &) { vista_.MueveParte(0); }});
    Registrar({"ReiniciarParte", PorPartes, [this](Ejecucion &) { vista_.ReiniciaParte(); }});
    for (bool mas : {true, false})
        Registrar({mas ? "AumentarZoom" : "ReducirZoom", MuestraReferencia, [this, mas](Ejecucion &e) {
                       vista_.AplicaZoom(mas ? 10 : -10);
                       e.Mensaje = TextoIdioma(176) + (mas ? " +" : " -") + " ["
                                   + QString::number(vista_.PorcentajeZoom()) + "%]";
                   }});
    // The arrows scroll a page larger than the window; Shift alone, ten times as far.
    const std::pair<const char *, int> flechas[] = {
        {"VerArriba", 0}, {"VerAbajo", 1}, {"VerIzquierda", 2}, {"VerDerecha", 3}};
    for (const auto &flecha : flechas)
        for (bool rapido : {false, true})
            Registrar({QString::fromLatin1(flecha.first) + (rapido ? "Rapido" : ""), 0,
                       [this, lado = flecha.second, rapido](Ejecucion &e) {
                           const bool vertical = lado < 2;
                           if (vertical && vista_.EsContinuo()) {
                               e.Despues = PasoRueda(lado == 1); // continuous mode: a wheel notch
                               return;
                           }
                           const std::int32_t paso = rapido ? 1000 : 100;
                           const bool haciaOrigen = lado == 0 || lado == 2;
                           // A page that fits: not even the closing steps.
                           e.SinCierre = !vista_.Desplazar(vertical, haciaOrigen ? paso : -paso);
                       }});
    for (bool abajo : {true, false})
        Registrar({abajo ? "RuedaAbajo" : "RuedaArriba", 0, [this, abajo](Ejecucion &e) {
                       // A wheel notch does its own work, or that of the command it stands for.
                       e.SinCierre = true;
                       e.Despues = PasoRueda(abajo);
                   }});
    Registrar({"CambiarRueda", Puerta, [this](Ejecucion &e) {
                   vista_.PonerRuedaZoom(!vista_.bRuedaZoom());
                   MostrarMensaje(TextoIdioma(175) + " " + TextoIdioma(vista_.bRuedaZoom() ? 176 : 177).toLower());
                   e.SinCierre = true;
               }});
    Registrar({"PaseAutomatico", 0, [this](Ejecucion &e) {
                   if (tmrPaseFotos.isActive())
                       tmrPaseFotos.stop();
                   else
                       tmrPaseFotos.start();
                   e.Mensaje = TextoIdioma(162) + TextoIdioma(tmrPaseFotos.isActive() ? 154 : 155);
               }});
    Registrar({"CambiarIntervalo", 0, [this](Ejecucion &e) {
                   tmrPaseFotos.stop();
                   CambiaIntervalo();
                   tmrPaseFotos.start();
                   e.Mensaje = TextoIdioma(173) + QString::number(tmrPaseFotos.interval() / 1000) + "s";
               }});
    Registrar({"BarraNavegacion", 0, [this](Ejecucion &e) {
                   vista_.PonerBarraVisible(!vista_.BarraVisible());
                   e.Mensaje = TextoIdioma(578) + ": " + TextoIdioma(vista_.BarraVisible() ? 178 : 179);
               }});
    Registrar({"ColorFondo", Puerta, [this](Ejecucion &e) {
                   const int color = modComDlg::ElegirColor(Dueno());
                   if (color < 0)
                       return; // cancelled: nothing changes, nothing is said
                   vista_.PonerColorFondo(color);
                   vista_.DibujaSegunModo();
                   e.Mensaje = TextoIdioma(170);
               }});
    Registrar({"FondoNegro", Puerta, [this](Ejecucion &e) {
                   if (vista_.ColorFondo() != 0)
                       vista_.PonerColorFondo(0);
                   vista_.DibujaSegunModo();
                   e.Mensaje = TextoIdioma(170);
               }});
    // Turns and flips work on the picture on screen, when there is one.
    auto sobrePagina = [this](const char *nombre, std::function<void()> hacer, int que, int como) {
        Registrar({nombre, 0, [this, hacer, que, como](Ejecucion &e) {
                       if (vista_.Imagen().Picture.isNull())
                           return;
                       hacer();
                       e.Mensaje = TextoIdioma(que) + TextoIdioma(como);
                   }});
    };
    sobrePagina("GirarDerecha", [this] { vista_.Rotar(true); }, 156, 157);
    sobrePagina("GirarIzquierda", [this] { vista_.Rotar(false); }, 156, 158);
    sobrePagina("ReflejarHorizontal", [this] { vista_.Reflejar(false); }, 159, 160);
    sobrePagina("ReflejarVertical", [this] { vista_.Reflejar(true); }, 159, 161);
    Registrar({"CambiarIdioma", Puerta, [this](Ejecucion &e) { e.Mensaje = sCambiarIdioma(); }});
    Registrar({"ListaMarcadores", Puerta, [](Ejecucion &e) { e.Mensaje = TextoIdioma(15); }});
    Registrar({"AgregarMarcador", 0, [this](Ejecucion &) { AgregarMarcador(); }});
    Registrar({"QuitarMarcador", 0, [this](Ejecucion &) { QuitarMarcador(); }});
    Registrar({"IrAlMarcador", 0, [this](Ejecucion &) { IrAlMarcador(); }});
    Registrar({"ComicSiguiente", 0, [this](Ejecucion &) { SiguienteComic(1); }});
    Registrar({"ComicAnterior", 0, [this](Ejecucion &) { SiguienteComic(-1); }});
    Registrar({"CambiarOSD", 0, [this](Ejecucion &e) { e.Mensaje = CambiaOSD(-1); }});
    Registrar({"AbrirUltimo", Puerta, [this](Ejecucion &) { AbrirUltimo(false); }});
    Registrar({"RepetirMensaje", Puerta, [this](Ejecucion &e) { e.Mensaje = vista_.UltimoMensaje(); }});
    Registrar({"Salir", Puerta, [this](Ejecucion &e) {
                   Salir();
                   e.SinCierre = true;
               }});
}

QString Comandos::PasoRueda(bool abajo)
{
    if (pantalla_ && !pantalla_->NumeroPaginaVisible())
        return {};
    if (vista_.bRuedaZoom())
        return abajo ? QStringLiteral("ReducirZoom") : QStringLiteral("AumentarZoom");
    if (doc_.NumeroPaginas() < 1)
        return {};
    switch (vista_.ModoAjuste()) {
    case Modo::Pantalla: case Modo::Alto: case Modo::Estirado: case Modo::DosPaginas:
        if (vista_.PaginaCargada())
            return abajo ? QStringLiteral("PaginaSiguiente") : QStringLiteral("PaginaAnterior");
        break;
    case Modo::Real: case Modo::Ancho:
        vista_.RuedaEnPagina(abajo);
        break;
    case Modo::Continuo:
        vista_.PasoContinuo(vista_.Imagen().Top + (abajo ? -1000 : 1000));
        break;
    default:
        break;
    }
    return {};
}

// ---- Documents ---------------------------------------------------------------

void Comandos::AbrirArchivo(const QString &ruta, bool mostrar)
{
    AbrirComo(ruta, mostrar, QString());
}

void Comandos::AbrirComo(const QString &ruta, bool mostrar, const QString &leerComo, Despues luego, bool reparacion)
{
    emit Abriendo(true);
    if (bRecordarPagina)
        RecordarComic(); // the comic being left, at its page
    if (!doc_.Memoria().Guardar())
        qWarning("tavelo: the comics' memory could not be written");
    if (!doc_.GuardarMarcadores())
        qWarning("tavelo: the bookmarks could not be written");

    QString elegida = ruta;
    if (elegida.isEmpty()) {
        const QString desde = doc_.RutaActual.isEmpty() ? QDir::homePath() : doc_.RutaActual;
        elegida = modComDlg::DialogoAbrir(Dueno(), modGeneral::CarpetaDeRuta(desde), TextoIdioma(5),
                                          paginas::FiltroAbrir(TextoIdioma(6)));
        if (elegida.isEmpty()) {
            emit Abriendo(false);
            if (luego)
                luego(false);
            return;
        }
    }
    // The listing is the pool's; what was asked for before and is still on
    // its way is dropped with its sequel.
    apertura_ = Apertura{elegida, leerComo, mostrar, reparacion, std::move(luego)};
    vista_.EsperarDocumento(true);
    doc_.PedirListado(elegida, leerComo);
}

void Comandos::Listado(const Candidato &c)
{
    if (!apertura_ || c.Ruta != apertura_->Ruta)
        return;
    // An encrypted PDF cannot count its pages without its password: asked
    // here, once, and again only when it was wrong.
    if (FaltaClave(c.Listado.Razon)) {
        const QString clave = modComDlg::PedirTexto(
            nullptr, TextoIdioma(c.Listado.Razon == Motivo::ClaveIncorrecta ? 1231 : 1230), true);
        if (!clave.isEmpty()) {
            doc_.PedirListado(c.Ruta, apertura_->LeerComo, clave);
            return;
        }
    }
    const Apertura a = *std::exchange(apertura_, std::nullopt);
    const auto terminar = [&](bool abierto) {
        vista_.EsperarDocumento(false);
        emit Abriendo(false);
        if (a.Luego)
            a.Luego(abierto);
        Soltar(); // what was held for the document
    };
    const Documento::Apertura apertura = doc_.Adoptar(c);
    if (apertura.Razon != Motivo::Ninguno) {
        // Nothing of the open document changed: it stays at its page, and
        // its path stays the one the settings keep.
        const QString ext = modGeneral::ExtensionDeRuta(a.Ruta).toUpper();
        if (!a.Reparacion && apertura.SinEntradas && paginas::EsExtensionComic(ext)
            && RepararExtension(a.Ruta, ext, a.Luego))
            return;
        vista_.PonerSegundosMensaje(5); // two lines to read
        MostrarMensaje(AvisoDe({apertura.Razon, a.Ruta}));
        terminar(false);
        return;
    }
    vista_.ElegirPagina(apertura.Inicial);
    MostrarMarcador(doc_.MarcadorDe(doc_.RutaActual));
    int pagina = vista_.PaginaActual();
    const QString recuerdo = AplicarRecuerdo(pagina);
    vista_.ElegirPagina(pagina);

    vista_.OcultarNumeroPagina(); // no page number until the page is there
    bool leida = true;
    if (a.Mostrar)
        leida = vista_.IrAPagina(vista_.PaginaActual());
    doc_.NombreActual = modGeneral::NombreDeRuta(doc_.RutaActual);
    // A first page that could not be read keeps its loading error on screen.
    if (leida) {
        const QString titulo = archivo::Encabezado(doc_.Info());
        MostrarMensaje(!recuerdo.isEmpty()          ? recuerdo
                       : !titulo.isEmpty()           ? titulo
                       : doc_.NombreActual.isEmpty() ? doc_.RutaActual
                                                     : doc_.NombreActual);
    }
    terminar(true);
}

RecuerdoComic Comandos::Clave() const
{
    const QFileInfo i(doc_.RutaActual);
    RecuerdoComic r;
    r.Nombre = i.fileName();
    r.Tamano = i.isFile() ? i.size() : 0;
    return r;
}

void Comandos::RecordarComic()
{
    if (!doc_.HayDocumento() || doc_.RutaActual.isEmpty())
        return;
    RecuerdoComic r = Clave();
    r.DerechaAIzquierda = vista_.bDerechaAIzquierda();
    r.DireccionElegida = bElegidaDireccion;
    r.Emparejar = vista_.bEmparejar();
    r.Desplazado = vista_.bDesplazado();
    if (bRecordarPagina) {
        r.Pagina = vista_.PaginaActual();
        r.Paginas = doc_.NumeroPaginas();
    } else if (const RecuerdoComic *antes = doc_.Memoria().Buscar(r.Nombre, r.Tamano)) {
        r.Pagina = antes->Pagina; // kept as it was
        r.Paginas = antes->Paginas;
    }
    doc_.Memoria().Poner(r);
}

QString Comandos::AplicarRecuerdo(int &pagina)
{
    const RecuerdoComic clave = Clave();
    const RecuerdoComic *r = doc_.Memoria().Buscar(clave.Nombre, clave.Tamano);
    bElegidaDireccion = r && r->DireccionElegida;
    // The reader's choice, else what the comic says of itself.
    const bool rtl = bElegidaDireccion ? r->DerechaAIzquierda : doc_.MangaDerechaAIzquierda;
    // Set before the first page is shown: nothing is drawn twice.
    vista_.PonerLectura(r ? r->Emparejar : bEmparejarPorDefecto, r && r->Desplazado, rtl);
    const QString direccion = TextoIdioma(rtl ? MensajeDerechaAIzquierda : MensajeIzquierdaADerecha);
    if (!r) // a comic seen for the first time is named, unless it reads right to left
        return rtl ? TextoIdioma(MensajeDireccion) + ": " + direccion : QString();
    QStringList partes;
    if (bRecordarPagina && doc_.EsComprimido && r->Pagina > 0 && doc_.EsPagina(r->Pagina)
        && r->Paginas == doc_.NumeroPaginas()) {
        pagina = r->Pagina;
        partes << TextoIdioma(MensajePaginaDe).arg(pagina).arg(doc_.NumeroPaginas());
    }
    partes << (partes.isEmpty() ? TextoIdioma(MensajeDireccion) + ": " + direccion : direccion);
    return partes.join(QStringLiteral(" · "));
}

bool Comandos::RepararExtension(const QString &ruta, const QString &extension, const Despues &luego)
{
    const QString nueva = ExtensionSegunContenido(ruta, extension);
    if (nueva.isEmpty())
        return false;
    const QString destino = ruta.left(ruta.size() - 3) + nueva;
    // Like a move, a rename never replaces a file already there. Without
    // the new name the archive is read where it is, as what it is.
    if (QFile::rename(ruta, destino)) {
        AbrirComo(destino, true, QString(), [this, destino, luego](bool abierto) {
            if (doc_.RutaActual == destino)
                MostrarMensaje(TextoIdioma(201));
            if (luego)
                luego(abierto);
        }, true);
    } else {
        AbrirComo(ruta, true, nueva, luego, true);
    }
    return true;
}

bool Comandos::bAbrirMarcador(const QString &ruta, int pagina, Despues luego)
{
    if (!modGeneral::ExisteRuta(ruta))
        return false;
    OcultarMarcador();
    AbrirComo(ruta, false, QString(), [this, pagina, luego](bool abierto) {
        // A record from when the document had more pages opens it at the start.
        const bool leida = abierto && vista_.IrAPagina(doc_.EsPagina(pagina) ? pagina : 1);
        if (luego)
            luego(leida); // a failure stays on screen
    });
    return true;
}

bool Comandos::AbrirUltimo(bool anunciar)
{
    const RegistroMarcador ultimo = doc_.Marcadores.value(0);
    return !ultimo.Ruta.isEmpty()
           && bAbrirMarcador(ultimo.Ruta, configuracion::NumeroDePagina(ultimo.Marcador), [this, anunciar](bool leida) {
                  if (leida && anunciar)
                      MostrarMensaje(TextoIdioma(8));
              });
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
    EnTurno([this, lineaComandos] {
        if (!lineaComandos.isEmpty())
            AbrirArchivo(RutaDeLinea(lineaComandos), true);
        else if (!AbrirUltimo(true))
            emit InformacionPedida();
    });
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
    const QString pagina = QString::number(vista_.PaginaActual());
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
    vista_.IrAPagina(n);
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
    vista_.PonerModoOSD(modo == -1 ? (vista_.ModoOSD() + 1) % 3 : modo);
    const bool mostrar = vista_.ModoOSD() == 1;
    if (pantalla_)
        pantalla_->MuestraControles(mostrar);
    switch (vista_.ModoOSD()) {
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
    const QString ini = configuracion::RutaIni();
    bEmparejarPorDefecto = configuracion::Booleano(modIni::LeerIni(ini, "Config", "Emparejar", "0")).value_or(false);
    bRecordarPagina = configuracion::Booleano(modIni::LeerIni(ini, "Config", "RecordarPagina", "0")).value_or(false);
    vista_.PonerEmparejar(bEmparejarPorDefecto);
    const auto lineas = modIni::LeerSeccion(ini, QStringLiteral("Teclas"));
    rechazadas_ = teclas_.Agregar(lineas, [this](const QString &nombre) { return NombreDe(nombre); });
}

void Comandos::AvisarTeclas()
{
    if (rechazadas_.empty())
        return;
    QStringList lineas;
    for (const teclas::Rechazo &r : rechazadas_)
        lineas << r.Linea + " (" + TextoIdioma(r.Motivo) + ")";
    rechazadas_.clear();
    EnTurno([this, texto = TextoIdioma(1240) + ": " + lineas.join(QStringLiteral("; "))] {
        vista_.PonerSegundosMensaje(5); // a list to read
        MostrarMensaje(texto);
    });
}

bool Comandos::GuardarConfiguracion() const
{
    const bool barra = pantalla_ ? pantalla_->BarraEnPantalla() : vista_.BarraVisible();
    const QString ini = configuracion::RutaIni();
    return configuracion::Guardar(vista_, doc_, barra)
           && modIni::EscribirIni(ini, "Config", "Emparejar", bEmparejarPorDefecto ? "1" : "0")
           && modIni::EscribirIni(ini, "Config", "RecordarPagina", bRecordarPagina ? "1" : "0");
}

void Comandos::Salir()
{
    // Nothing more can be done about a failed write at exit but to say so.
    if (!GuardarConfiguracion())
        qWarning("tavelo: the settings could not be written");
    if (bRecordarPagina)
        RecordarComic();
    if (!doc_.Memoria().Guardar())
        qWarning("tavelo: the comics' memory could not be written");
    if (!doc_.GuardarMarcadores())
        qWarning("tavelo: the bookmarks could not be written");
    FinDelProceso()();
}
