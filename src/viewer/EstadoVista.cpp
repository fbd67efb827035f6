#include "viewer/EstadoVista.h"

#include "imaging/modImagen.h"
#include "imaging/modPNG.h"
#include "shell/modComDlg.h"
#include "shell/modIdioma.h"
#include "shell/PunteroOcupado.h"

#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <utility>

using modIdioma::TextoIdioma;
using diseno::Modo;

diseno::Natural NaturalDe(const ControlImagen &c)
{
    const QSize n = TamanoNatural(c);
    return diseno::NaturalDePixeles(n.width(), n.height());
}

diseno::Rect RectDe(const ControlImagen &c)
{
    return {c.Left, c.Top, c.Width, c.Height};
}

void PonerRect(ControlImagen &c, const diseno::Rect &r)
{
    c.Left = r.Left;
    c.Top = r.Top;
    c.Width = r.Width;
    c.Height = r.Height;
}

namespace {

// Placed below the page above it, across the same width.
void ApilarDebajo(ControlImagen &abajo, const ControlImagen &arriba)
{
    abajo.Top = arriba.Top + arriba.Height + diseno::HuecoContinuo;
}

constexpr int MensajeClave = 1230;          // "Please Enter The Password!"
constexpr int MensajeClaveIncorrecta = 1231; // "The password was wrong. Please enter it again:"

} // namespace

EstadoVista::EstadoVista(Documento &documento, QObject *parent) : QObject(parent), doc_(documento)
{
    anticipoPendiente_.setSingleShot(true);
    connect(&anticipoPendiente_, &QTimer::timeout, this, [this] {
        AnticiparVecinas(paginaPendiente_);
    });
    connect(&doc_, &Documento::Abierto, this, [this] {
        primeraPagina_ = true;
        tamanos_.assign(std::size_t(std::max(doc_.NumeroPaginas(), 0)), QSize());
        pliego_ = {};
        apartes_.clear();
        DejarDeEsperar(); // a page of the document before is never shown
        llegadas_.clear();
        paginaCargada_ = true;
    });
    connect(&doc_.Preparador(), &PreparadorPaginas::PaginaLista, this, &EstadoVista::AlLlegar);
    ocupado_.setSingleShot(true);
    ocupado_.setInterval(EsperaOcupado);
    connect(&ocupado_, &QTimer::timeout, this, [this] {
        if (!std::exchange(punteroOcupado_, true))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    });
    tmrDinamico.setInterval(10);
    connect(&tmrDinamico, &QTimer::timeout, this, [this] {
        const diseno::Ventana v = Escala();
        if (ratonX_ < 0 || ratonX_ >= v.SW || ratonY_ < 0 || ratonY_ >= v.SH)
            return;
        if (!SigueRaton(ratonX_, ratonY_))
            tmrDinamico.stop();
    });
}

EstadoVista::~EstadoVista()
{
    if (punteroOcupado_)
        QGuiApplication::restoreOverrideCursor();
}

void EstadoVista::PonerVentana(const diseno::Ventana &v, double pixelesPorTwip)
{
    medida_ = {v, pixelesPorTwip};
    medir_ = nullptr;
}

void EstadoVista::PonerColorFondo(std::int32_t bgr)
{
    colorFondo_ = bgr;
    emit ColorCambiado();
}

void EstadoVista::MostrarMensaje(const QString &texto)
{
    ultimoMensaje_ = texto;
    emit MensajePedido(texto);
}

// ---- Pages -----------------------------------------------------------------

std::shared_ptr<const PaginaPreparada> EstadoVista::Llegada(int pagina, const ControlImagen &destino) const
{
    if (const auto i = llegadas_.find(pagina); i != llegadas_.end())
        return i->second;
    if (!doc_.EsPagina(pagina) || !doc_.Fuente())
        return nullptr;
    return doc_.Preparador().Buscar(PedidoPara(pagina, destino));
}

bool EstadoVista::CargarPaginaEn(int pagina, ControlImagen &destino)
{
    const auto e = Llegada(pagina, destino);
    if (!e || !e->Lista()) {
        fallo_ = e ? e->Razon : Motivo::NoEsta;
        return false;
    }
    CopiarPicture(destino, e->Imagen);
    AnotarTamano(pagina, destino);
    return true;
}

ErrorLectura EstadoVista::FalloDePagina(int pagina, Motivo razon) const
{
    // A picture of a folder is a file of its own; an archive's page is
    // named inside its archive.
    const QString nombre = doc_.Paginas.value(pagina);
    if (!doc_.EsComprimido)
        return {razon, QDir(doc_.RutaActual).filePath(nombre)};
    return {razon, doc_.RutaActual, nombre};
}

PedidoPagina EstadoVista::PedidoEn(int pagina, const Medida &m) const
{
    return PedidoPara(pagina, imagen_, m);
}

PedidoPagina EstadoVista::PedidoPara(int pagina, const ControlImagen &destino) const
{
    return PedidoPara(pagina, destino, Medir());
}

PedidoPagina EstadoVista::PedidoPara(int pagina, const ControlImagen &destino, const Medida &m) const
{
    PedidoPagina p;
    p.Pagina = pagina;
    p.Modo = modoAjuste_;
    p.Ventana = m.Ventana;
    p.PixelesPorTwip = m.PixelesPorTwip;
    if (destino.Stretch) {
        p.EstirarW = destino.Width;
        p.EstirarH = destino.Height;
    }
    return p;
}

void EstadoVista::AnticiparVecinas(int pagina)
{
    anticipoPendiente_.stop();
    if (doc_.NumeroPaginas() < 2)
        return;
    // The other half of the spread leads the wish, so that while this
    // thread makes the page a worker makes its partner. Then the next pages
    // in the direction of reading (further while skimming), then the one
    // behind for a reader who turns back.
    const bool dos = modoAjuste_ == Modo::DosPaginas;
    const int paso = bAvanzando_ ? 1 : -1;
    const int ultima = dos ? doc_.PaginaVecina(pagina, paso) : pagina;
    const int adelante = (hojeando_ ? PaginasHojeo : PaginasLectura) * (dos ? 2 : 1);
    const Medida m = Medir();
    std::vector<PedidoPagina> pedidos;
    if (dos && doc_.EsPagina(int(pagina + paso)))
        pedidos.push_back(PedidoPara(int(pagina + paso), imagen2_, m));
    for (int k = 1; k <= adelante; ++k)
        pedidos.push_back(PedidoPara(doc_.PaginaVecina(ultima, paso * k), imagen_, m));
    pedidos.push_back(PedidoPara(doc_.PaginaVecina(pagina, -paso), imagen_, m));
    doc_.Preparador().Anticipar(pedidos, PedidoPara(pagina, imagen_, m));
}

void EstadoVista::PaginaPintada()
{
    // Not yet: the frame still goes to the display server, which needs a
    // core; started workers would make a quick next turn wait for it.
    if (anticipoPendiente_.isActive() && paginaCargada_)
        anticipoPendiente_.start(0);
}

void EstadoVista::Marcar(int pagina)
{
    paginaCargada_ = false;
    const auto ahora = std::chrono::steady_clock::now();
    hojeando_ = ahora - ultimaCarga_ < PausaDeHojeo;
    ultimaCarga_ = ahora;
    // A document's first page, and a page already made, go on the screen
    // before anything is read ahead (the display server needs the cores to
    // paint them); a page still to make has the next ones made beside it.
    if (std::exchange(primeraPagina_, false) || doc_.Preparador().Buscar(PedidoPara(pagina, imagen_))) {
        paginaPendiente_ = pagina;
        anticipoPendiente_.start(EsperaAnticipo);
    } else {
        AnticiparVecinas(pagina);
    }
}

void EstadoVista::PedirAlPool()
{
    std::erase_if(apartes_, [](const Aparte &a) { return !a.Quien; });
    std::vector<PedidoPagina> pedidos = esperados_;
    for (const Aparte &a : apartes_)
        pedidos.push_back(a.Pedido);
    doc_.Preparador().Pedir(pedidos);
}

void EstadoVista::PedirAparte(const PedidoPagina &pedido, QObject *quien,
                              std::function<void(const std::shared_ptr<const PaginaPreparada> &)> hecho)
{
    apartes_.push_back({pedido, quien, std::move(hecho)});
    PedirAlPool();
}

void EstadoVista::DejarDeEsperar()
{
    const bool pedidos = !esperados_.empty();
    esperados_.clear();
    if (pedidos)
        PedirAlPool();
    alListo_ = nullptr;
    ocupado_.stop();
    if (std::exchange(punteroOcupado_, false))
        QGuiApplication::restoreOverrideCursor();
}

void EstadoVista::ArmarOcupado()
{
    if (!punteroOcupado_ && !ocupado_.isActive())
        ocupado_.start();
}

void EstadoVista::EsperarDocumento(bool esperando)
{
    if (esperando)
        ArmarOcupado();
    else if (esperados_.empty())
        DejarDeEsperar();
}

void EstadoVista::Esperar(std::vector<PedidoPagina> pedidos, std::function<void()> listo)
{
    std::vector<PedidoPagina> faltan;
    for (const PedidoPagina &p : pedidos)
        if (doc_.EsPagina(p.Pagina) && !llegadas_.count(p.Pagina)
            && std::none_of(faltan.begin(), faltan.end(), [&](const PedidoPagina &q) { return q.Pagina == p.Pagina; }))
            faltan.push_back(p);
    paginaCargada_ = false;
    esperados_ = std::move(faltan);
    alListo_ = std::move(listo);
    if (esperados_.empty()) {
        // All there already (a spread's second round): laid out now.
        const auto hecho = std::exchange(alListo_, nullptr);
        DejarDeEsperar();
        hecho();
        return;
    }
    ArmarOcupado();
    PedirAlPool();
}

void EstadoVista::AlLlegar(const PedidoPagina &p, const std::shared_ptr<const PaginaPreparada> &e)
{
    std::vector<Aparte> servidos;
    for (auto i = apartes_.begin(); i != apartes_.end();)
        if (i->Pedido == p) {
            servidos.push_back(std::move(*i));
            i = apartes_.erase(i);
        } else {
            ++i;
        }
    for (const Aparte &a : servidos)
        if (a.Quien)
            a.Hecho(e);
    // A page asked for before the last turn is not shown.
    const auto esperado = [&] { return std::find(esperados_.begin(), esperados_.end(), p); };
    if (esperado() == esperados_.end())
        return;
    // Behind a password: asked once per document (the source keeps it in
    // memory), again only when wrong. Another page of the screen that
    // comes meanwhile is asked for again with the answer.
    if (e && FaltaClave(e->Razon)) {
        if (pidiendoClave_)
            return;
        const bool incorrecta = e->Razon == Motivo::ClaveIncorrecta;
        pidiendoClave_ = true;
        const QString clave = modComDlg::PedirTexto(
            nullptr, TextoIdioma(incorrecta ? MensajeClaveIncorrecta : MensajeClave), true);
        pidiendoClave_ = false;
        // The prompt's own events may have turned the page meanwhile.
        if (esperado() == esperados_.end())
            return;
        if (!clave.isEmpty()) {
            doc_.PonerClave(clave);
            PedirAlPool();
            return;
        }
    }
    esperados_.erase(esperado());
    llegadas_[p.Pagina] = e;
    if (e && e->Lista())
        AnotarTamano(p.Pagina, e->Imagen);
    if (!esperados_.empty()) {
        if (e && FaltaClave(e->Razon))
            PedirAlPool(); // those left out while it was asked
        return;
    }
    const auto hecho = std::exchange(alListo_, nullptr);
    DejarDeEsperar();
    if (hecho)
        hecho();
}

void EstadoVista::Colocar(int pagina, bool leida)
{
    if (!leida) {
        // A broken page leaves an empty screen and the reader free to go on.
        VaciarPicture(imagen_);
        MostrarMensaje(AvisoDe(FalloDePagina(pagina, fallo_)));
    }
    if (modoAjuste_ == Modo::DosPaginas)
        VerDosPaginas(pagina);
    else
        AplicaLayout(modoAjuste_);
    emit PaginaMostrada(pagina, true);
    OlvidarPartes();
    paginaCargada_ = true;
}

void EstadoVista::Componer(int pagina)
{
    if (modoAjuste_ == Modo::DosPaginas && bEmparejar_) {
        // The pages read may be double pages and change the pairs: the
        // spread is sought again with their sizes (each round learns some).
        const pliegos::Pliego p = pliegos::PliegoDe(Pliegos(), pagina);
        std::vector<PedidoPagina> faltan;
        for (int q : {p.Primera, p.Segunda})
            if (q && !llegadas_.count(q))
                faltan.push_back(PedidoPara(q, imagen2_));
        if (!faltan.empty() && ++rondas_ < 3) {
            pliego_ = p;
            paginaPliego_ = p.Primera;
            PonerPagina(p.Ultima());
            Esperar(std::move(faltan), [this, pagina] { Componer(pagina); });
            return;
        }
    }
    const bool leida = CargarPaginaEn(pagina, imagen_);
    Colocar(pagina, leida);
    if (EsContinuo())
        Apilar(modoAjuste_);
    if (std::exchange(desdeAbajo_, false) && imagen_.Height >= Escala().SH) {
        imagen_.Top = Escala().SH - imagen_.Height - 100; // its bottom end first
        DibujaForm();
    }
    emit PaginaHecha(pagina, leida);
}

bool EstadoVista::IrAPagina(int pagina)
{
    if (!doc_.EsPagina(pagina))
        return false;
    PonerPagina(pagina);
    desdeAbajo_ = false;
    if (!doc_.Fuente())
        return false;
    Marcar(pagina);
    llegadas_.clear();
    rondas_ = 0;
    std::vector<PedidoPagina> pedidos{PedidoPara(pagina, imagen_)};
    // What a turn leaves as the current page is set now, so that turns
    // made before the pages come step whole spreads.
    if (modoAjuste_ == Modo::DosPaginas && bEmparejar_) {
        const pliegos::Pliego p = pliegos::PliegoDe(Pliegos(), pagina);
        for (int q : {p.Primera, p.Segunda})
            if (q)
                pedidos.push_back(PedidoPara(q, imagen2_));
        pliego_ = p;
        paginaPliego_ = p.Primera;
        PonerPagina(p.Ultima());
        bAvanzandoAntes_ = true;
    } else if (modoAjuste_ == Modo::DosPaginas) {
        const int segunda = int(bAvanzando_ ? pagina + 1 : pagina - 1);
        pedidos.push_back(PedidoPara(segunda, imagen2_));
        pliego_ = {};
        paginaPliego_ = pagina;
        PonerPagina(segunda);
        bAvanzandoAntes_ = bAvanzando_;
    } else if (EsContinuo()) {
        pedidos.push_back(PedidoPara(doc_.PaginaVecina(pagina, 1), imagen2_));
    }
    Esperar(std::move(pedidos), [this, pagina] { Componer(pagina); });
    return true;
}

void EstadoVista::ElegirPagina(int pagina)
{
    PonerPagina(pagina);
}

void EstadoVista::PonerPagina(int pagina)
{
    if (std::exchange(paginaActual_, pagina) != pagina)
        emit PaginaCambiada(pagina);
}

void EstadoVista::PasarPagina(bool adelante, bool primeraOUltima)
{
    bAvanzando_ = adelante;
    if (modoAjuste_ == Modo::DosPaginas && bEmparejar_ && pliego_.Primera) {
        // By shape a spread is a spread both ways: step off its far end.
        const int desde = adelante ? pliego_.Ultima() : pliego_.Primera;
        IrAPagina(primeraOUltima ? (adelante ? 1 : doc_.NumeroPaginas())
                                 : doc_.PaginaVecina(desde, adelante ? 1 : -1));
        return;
    }
    // A spread leaves the page on its second half: turning back first
    // undoes that extra page.
    if (modoAjuste_ == Modo::DosPaginas && bAvanzando_ != bAvanzandoAntes_)
        PonerPagina(paginaActual_ + (adelante ? 1 : -1));
    if (primeraOUltima)
        IrAPagina(adelante ? 1 : doc_.NumeroPaginas());
    else
        IrAPagina(doc_.PaginaVecina(paginaActual_, adelante ? 1 : -1));
}

// ---- Display modes -----------------------------------------------------------

void EstadoVista::PonerModos(Modo modo, Modo anterior)
{
    const bool cambio = modo != modoAjuste_ || anterior != modoAnterior_;
    modoAjuste_ = modo;
    modoAnterior_ = anterior;
    if (cambio)
        emit ModoCambiado(modo);
}

void EstadoVista::CambiarModo(Modo modo)
{
    DejarDosPaginas();
    if (modo != Modo::Dinamico)
        AplicaLayout(modo);
    PonerModos(modo, modoAnterior_);
}

void EstadoVista::PonerContinuo(Modo debajo)
{
    ActivaContinuo();
    PonerModos(Modo::Continuo, debajo);
}

void EstadoVista::QuitarContinuo()
{
    PonerModos(modoAnterior_, modoAnterior_);
    imagen_.Top = 0;
    IrAPagina(paginaActual_);
}

void EstadoVista::PonerDosPaginas()
{
    PonerModos(Modo::DosPaginas, modoAnterior_);
    bAvanzando_ = bAvanzandoAntes_ = true;
    IrAPagina(paginaActual_);
}

// ---- Around the page ---------------------------------------------------------

void EstadoVista::PonerBarraVisible(bool visible)
{
    barraVisible_ = visible;
    emit BarraCambiada();
}

void EstadoVista::PonerModoOSD(int modo)
{
    if (std::exchange(modoOSD_, modo) != modo)
        emit OSDCambiado(modo);
}

void EstadoVista::PonerRuedaZoom(bool zoom)
{
    if (std::exchange(bRuedaZoom_, zoom) != zoom)
        emit RuedaCambiada(zoom);
}

void EstadoVista::PonerRaton(std::int32_t x, std::int32_t y)
{
    ratonX_ = x;
    ratonY_ = y;
}

void EstadoVista::PonerPartesAbajo(bool abajo)
{
    partes_.bPartesAbajo = abajo;
}

void EstadoVista::OlvidarPartes()
{
    partes_.DesplazParteX = 0;
    partes_.DesplazParteY = 0;
}

// ---- Layout ----------------------------------------------------------------

void EstadoVista::AplicaLayout(Modo modo)
{
    const diseno::Ventana v = Escala();
    PonerRect(imagen_, diseno::SegunModo(modo, NaturalDe(imagen_), v));
    DibujaForm();
}

void EstadoVista::AplicaEfecto()
{
    const bool dos = modoAjuste_ == Modo::Continuo || modoAjuste_ == Modo::DosPaginas;
    AplicaLayout(dos ? Modo::Pantalla : modoAjuste_);
    ActualizaReferencia(false); // a new picture: the navigator follows it
}

void EstadoVista::DibujaDosPaginas()
{
    if (imagen_.Picture.isNull() || imagen2_.Picture.isNull())
        return;
    emit DibujoPedido(true);
}

void EstadoVista::DibujaSegunModo()
{
    if ((modoAjuste_ == Modo::Continuo || modoAjuste_ == Modo::DosPaginas) && !imagen2_.Picture.isNull())
        DibujaDosPaginas();
    else
        DibujaForm();
}

void EstadoVista::VerDosPaginas(int pagina)
{
    if (bEmparejar_) {
        VerPliego(pagina);
        return;
    }
    pliego_ = {};
    const int segunda = int(bAvanzando_ ? pagina + 1 : pagina - 1);
    // Past either end there is no second page: its half stays empty.
    if (!CargarPaginaEn(segunda, imagen2_))
        VaciarPicture(imagen2_);
    paginaPliego_ = pagina;
    PonerPagina(segunda);
    bAvanzandoAntes_ = bAvanzando_;
    ColocarPliego();
    DibujaSegunModo();
}

void EstadoVista::VerPliego(int pagina)
{
    // Imagen holds the lower page and Imagen2 the higher. A page read may
    // turn out to be a double page and change the pairs: then the spread
    // is sought again (each round learns a size, so this ends soon).
    int enImagen = pagina, enImagen2 = 0;
    pliegos::Pliego p;
    for (int vuelta = 0; vuelta < 3; ++vuelta) {
        p = pliegos::PliegoDe(Pliegos(), pagina);
        if (enImagen != p.Primera) {
            if (enImagen2 != p.Primera) {
                if (!CargarPaginaEn(p.Primera, imagen2_))
                    VaciarPicture(imagen2_);
                enImagen2 = p.Primera;
            }
            IntercambiarPicture(imagen_, imagen2_);
            std::swap(enImagen, enImagen2);
        }
        if (p.Segunda && enImagen2 != p.Segunda) {
            if (!CargarPaginaEn(p.Segunda, imagen2_))
                VaciarPicture(imagen2_);
            enImagen2 = p.Segunda;
        }
        if (pliegos::PliegoDe(Pliegos(), pagina) == p)
            break;
    }
    if (!p.Segunda)
        VaciarPicture(imagen2_);
    pliego_ = p;
    paginaPliego_ = p.Primera;
    PonerPagina(p.Ultima());
    bAvanzandoAntes_ = true;
    ColocarPliego();
    DibujaSegunModo();
}

std::vector<pliegos::Pliego> EstadoVista::Pliegos() const
{
    std::vector<QSize> t = tamanos_;
    t.resize(std::size_t(std::max(doc_.NumeroPaginas(), 0)));
    return pliegos::Emparejar(t, {true, bDesplazado_}, pliegos::MarcadasDobles(doc_.Info(), int(t.size())));
}

void EstadoVista::AnotarTamano(int pagina, const ControlImagen &c)
{
    // A view made after its document opened learns the page count here.
    if (tamanos_.size() != std::size_t(std::max(doc_.NumeroPaginas(), 0)))
        tamanos_.assign(std::size_t(std::max(doc_.NumeroPaginas(), 0)), QSize());
    if (pagina >= 1 && std::size_t(pagina) <= tamanos_.size())
        tamanos_[std::size_t(pagina - 1)] = TamanoNatural(c);
}

void EstadoVista::Espejar(diseno::Rect &r) const
{
    if (bDerechaAIzquierda_)
        r.Left = Escala().SW - r.Left - r.Width;
}

bool EstadoVista::ImagenALaIzquierda() const
{
    // Imagen holds the lower page when paired by shape or read forwards.
    return (bEmparejar_ || bAvanzandoAntes_) != bDerechaAIzquierda_;
}

void EstadoVista::ColocarPliego()
{
    const diseno::Ventana v = Escala();
    if (bEmparejar_) {
        const bool dos = !imagen2_.Picture.isNull();
        ControlImagen &izquierda = dos && !ImagenALaIzquierda() ? imagen2_ : imagen_;
        ControlImagen &derecha = &izquierda == &imagen_ ? imagen2_ : imagen_;
        const auto [i, d] = pliegos::Colocar(NaturalDe(izquierda), dos ? NaturalDe(derecha) : diseno::Natural{}, v);
        PonerRect(izquierda, i);
        if (dos)
            PonerRect(derecha, d);
        return;
    }
    // Whichever way the reader came, the lower page takes the left half
    // (the right one, right to left).
    const bool izquierda = ImagenALaIzquierda();
    PonerRect(imagen_, diseno::AjustaMitad(NaturalDe(imagen_), v, izquierda ? 0 : v.SW / 2));
    PonerRect(imagen2_, diseno::AjustaMitad(NaturalDe(imagen2_), v, izquierda ? v.SW / 2 : 0));
}

pliegos::Pliego EstadoVista::PliegoEnPantalla() const
{
    return modoAjuste_ == Modo::DosPaginas && bEmparejar_ ? pliego_ : pliegos::Pliego{};
}

QString EstadoVista::RotuloPagina(int pagina) const
{
    const pliegos::Pliego p = PliegoEnPantalla();
    if (p.Segunda && p.Contiene(pagina))
        return QStringLiteral("%1-%2").arg(p.Primera).arg(p.Segunda);
    return QString::number(pagina);
}

void EstadoVista::RehacerPliego()
{
    if (modoAjuste_ != Modo::DosPaginas || !doc_.HayDocumento())
        return;
    // The spread is sought again from the page it was asked for, forwards.
    bAvanzando_ = bAvanzandoAntes_ = true;
    IrAPagina(doc_.EsPagina(paginaPliego_) ? paginaPliego_ : paginaActual_);
}

void EstadoVista::PonerLectura(bool emparejar, bool desplazado, bool rtl)
{
    bEmparejar_ = emparejar;
    bDesplazado_ = desplazado;
    bDerechaAIzquierda_ = rtl;
}

void EstadoVista::PonerEmparejar(bool emparejar)
{
    if (std::exchange(bEmparejar_, emparejar) != emparejar)
        RehacerPliego();
}

void EstadoVista::PonerDesplazado(bool desplazado)
{
    if (std::exchange(bDesplazado_, desplazado) != desplazado && bEmparejar_)
        RehacerPliego();
}

void EstadoVista::PonerDerechaAIzquierda(bool rtl)
{
    if (std::exchange(bDerechaAIzquierda_, rtl) == rtl || modoAjuste_ != Modo::DosPaginas
        || imagen_.Picture.isNull())
        return;
    ColocarPliego();
    DibujaSegunModo();
}

void EstadoVista::DejarDosPaginas()
{
    if (modoAjuste_ != Modo::DosPaginas)
        return;
    if (doc_.EsPagina(paginaPliego_))
        PonerPagina(paginaPliego_);
    emit PaginaMostrada(paginaActual_, false);
}

void EstadoVista::ActivaContinuo()
{
    // The page below is laid out by the mode the call comes in.
    const Modo modo = modoAjuste_;
    VaciarPicture(imagen2_);
    llegadas_.clear();
    Esperar({PedidoPara(doc_.PaginaVecina(paginaActual_, 1), imagen2_)}, [this, modo] {
        Apilar(modo);
        paginaCargada_ = true;
        emit PaginaHecha(paginaActual_, true);
    });
}

void EstadoVista::Apilar(Modo modo)
{
    if (!CargarPaginaEn(doc_.PaginaVecina(paginaActual_, 1), imagen2_))
        VaciarPicture(imagen2_);
    PonerRect(imagen2_, diseno::SegunModo(modo, NaturalDe(imagen2_), Escala()));
    ApilarDebajo(imagen2_, imagen_);
    DibujaDosPaginas();
    emit PaginaMostrada(paginaActual_, false);
}

void EstadoVista::RehacerDiseno()
{
    const diseno::Ventana v = Escala();
    if (imagen_.Picture.isNull())
        return;
    if (modoAjuste_ == Modo::DosPaginas) {
        ColocarPliego();
    } else if (modoAjuste_ == Modo::Continuo) {
        PonerRect(imagen_, diseno::AjustaPantalla(NaturalDe(imagen_), v, true));
        const diseno::Rect siguiente = diseno::AjustaPantalla(NaturalDe(imagen2_), v, true);
        imagen2_.Left = siguiente.Left;
        imagen2_.Width = siguiente.Width;
        imagen2_.Height = siguiente.Height;
        ApilarDebajo(imagen2_, imagen_);
    } else {
        AplicaLayout(modoAjuste_);
        return;
    }
    DibujaSegunModo();
}

void EstadoVista::AplicaZoom(int paso)
{
    PonerRect(imagen_, diseno::AplicaZoom(RectDe(imagen_), paso));
    if (modoAjuste_ == Modo::Continuo || modoAjuste_ == Modo::DosPaginas) {
        PonerRect(imagen2_, diseno::AplicaZoom(RectDe(imagen2_), paso));
        if (modoAjuste_ == Modo::Continuo)
            ApilarDebajo(imagen2_, imagen_);
        else if (ImagenALaIzquierda())
            imagen2_.Left = imagen_.Left + imagen_.Width;
        else
            imagen2_.Left = imagen_.Left - imagen2_.Width;
        DibujaDosPaginas();
    } else {
        DibujaForm();
    }
}

int EstadoVista::PorcentajeZoom() const
{
    return diseno::PorcentajeZoom(NaturalDe(imagen_), RectDe(imagen_));
}

void EstadoVista::MueveParte(int direccion)
{
    const diseno::Ventana v = Escala();
    diseno::Rect r = RectDe(imagen_);
    if (!diseno::ParteAplicable(diseno::Numero(ModoDePagina()), r, v))
        return;
    // Right to left the parts are walked in a mirror: rows start on the right.
    Espejar(r);
    diseno::PasaParte(r, partes_, v, direccion);
    Espejar(r);
    PonerRect(imagen_, r);
    DibujaForm();
}

void EstadoVista::ReiniciaParte()
{
    const diseno::Ventana v = Escala();
    diseno::Rect r = RectDe(imagen_);
    Espejar(r);
    diseno::ReiniciaParte(r, v);
    Espejar(r);
    PonerRect(imagen_, r);
    DibujaForm();
}

bool EstadoVista::SigueRaton(std::int32_t x, std::int32_t y)
{
    const diseno::Ventana v = Escala();
    diseno::Rect r = RectDe(imagen_);
    const diseno::PasoRaton paso = diseno::SigueRaton(r, v, x, y);
    if (paso.Cambio) {
        PonerRect(imagen_, r);
        DibujaForm();
    }
    return !paso.Detener;
}

bool EstadoVista::Desplazar(bool vertical, std::int32_t paso)
{
    const diseno::Ventana v = Escala();
    if (vertical ? imagen_.Height <= v.SH : imagen_.Width <= v.SW)
        return false;
    if (vertical) {
        imagen_.Top = std::clamp(imagen_.Top + paso, v.SH - imagen_.Height, 0);
        DibujaForm();
    } else {
        imagen_.Left = std::clamp(imagen_.Left + paso, v.SW - imagen_.Width, 0);
        if (modoAjuste_ == Modo::Continuo) {
            imagen2_.Left = imagen_.Left;
            DibujaDosPaginas();
        } else {
            DibujaForm();
        }
    }
    return true;
}

void EstadoVista::PonerContinua(ControlImagen &c) const
{
    const diseno::Ventana v = Escala();
    const Modo m = modoAnterior_ == Modo::Continuo || modoAnterior_ == Modo::DosPaginas ? Modo::Pantalla
                                                                                     : modoAnterior_;
    const diseno::Rect r = diseno::SegunModo(m, NaturalDe(c), v);
    c.Left = r.Left;
    c.Width = r.Width;
    c.Height = r.Height;
}

void EstadoVista::PasoContinuo(std::int32_t nuevoTop)
{
    if (doc_.NumeroPaginas() < 1)
        return;
    const bool subiendo = nuevoTop > imagen_.Top;
    imagen_.Top = nuevoTop;
    ApilarDebajo(imagen2_, imagen_);
    Seguir(subiendo);
    emit PaginaMostrada(paginaActual_, false);
    DibujaDosPaginas();
}

void EstadoVista::Seguir(bool subiendo)
{
    if (!paginaCargada_)
        return;
    // A page not made yet is asked for; the window goes on scrolling and
    // the step is taken when it comes.
    const auto esperar = [this, subiendo](int pagina, const ControlImagen &destino) {
        if (Llegada(pagina, destino))
            return false;
        llegadas_.clear();
        Esperar({PedidoPara(pagina, destino)}, [this, subiendo] {
            paginaCargada_ = true;
            Seguir(subiendo);
            emit PaginaMostrada(paginaActual_, false);
            DibujaDosPaginas();
            emit PaginaHecha(paginaActual_, true);
        });
        return true;
    };
    if (imagen_.Top < -(imagen_.Height + diseno::HuecoContinuo)) {
        // The current page has left the window: its successor takes its
        // place and the one after it is stacked below.
        const int siguiente = doc_.PaginaVecina(paginaActual_, 1);
        if (esperar(doc_.PaginaVecina(siguiente, 1), imagen2_))
            return;
        PonerPagina(siguiente);
        imagen_ = imagen2_; // picture and place
        if (CargarPaginaEn(doc_.PaginaVecina(siguiente, 1), imagen2_))
            PonerContinua(imagen2_);
        ApilarDebajo(imagen2_, imagen_);
    } else if (subiendo && imagen2_.Top >= Escala().SH && imagen_.Top >= -diseno::HuecoContinuo) {
        // Scrolled up to the top of the current page: the previous page
        // comes in above it. (Below the window alone is not enough: the next
        // page of a page taller than the window is always there.)
        const int anterior = doc_.PaginaVecina(paginaActual_, -1);
        ControlImagen previa;
        if (esperar(anterior, previa))
            return;
        if (CargarPaginaEn(anterior, previa)) {
            const std::int32_t top2 = imagen2_.Top;
            imagen2_ = imagen_; // the current page moves down to second place
            imagen2_.Top = top2;
            CopiarPicture(imagen_, previa);
            PonerContinua(imagen_);
            imagen_.Top = imagen2_.Top - diseno::HuecoContinuo - imagen_.Height;
            PonerPagina(anterior);
        }
    }
}

void EstadoVista::MoverPaginas(std::int32_t left, std::int32_t top)
{
    if (modoAjuste_ == Modo::Continuo) {
        imagen_.Left = left;
        imagen2_.Left = left;
        PasoContinuo(top);
        return;
    }
    const std::int32_t dx = left - imagen_.Left;
    const std::int32_t dy = top - imagen_.Top;
    imagen_.Left += dx;
    imagen_.Top += dy;
    imagen2_.Left += dx;
    imagen2_.Top += dy;
    if (imagen2_.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
}

void EstadoVista::MoverPagina(std::int32_t left, std::int32_t top)
{
    imagen_.Left = left;
    imagen_.Top = top;
}

void EstadoVista::ColocarPagina(const diseno::Rect &r)
{
    PonerRect(imagen_, r);
    DibujaForm();
}

void EstadoVista::VaciarPagina()
{
    VaciarPicture(imagen_);
}

void EstadoVista::Completar(bool segunda, double pixelesPorTwip)
{
    auto completar = [pixelesPorTwip](ControlImagen &c) {
        if (!c.Natural.isEmpty()
            && (diseno::Entero(c.Width * pixelesPorTwip) > c.Picture.width()
                || diseno::Entero(c.Height * pixelesPorTwip) > c.Picture.height()))
            modPNG::Completar(c);
    };
    completar(imagen_);
    if (segunda)
        completar(imagen2_);
}

void EstadoVista::RuedaEnPagina(bool abajo)
{
    const diseno::Ventana v = Escala();
    if (!abajo && imagen_.Top >= 0) {
        if (!paginaCargada_)
            return;
        IrAPagina(doc_.PaginaVecina(paginaActual_, -1));
        desdeAbajo_ = true; // its bottom end first, once it is there
    } else if (abajo && v.SH - imagen_.Height >= imagen_.Top) {
        if (paginaCargada_)
            IrAPagina(doc_.PaginaVecina(paginaActual_, 1));
    } else {
        std::int32_t top = imagen_.Top + (abajo ? -1000 : 1000);
        if (top > 0)
            top = diseno::HuecoContinuo; // a gap shows the top edge
        if (v.SH - imagen_.Height >= top)
            top = v.SH - imagen_.Height - 500; // and the bottom edge
        imagen_.Top = top;
        DibujaForm();
    }
}

void EstadoVista::Rotar(bool derecha)
{
    const PunteroOcupado ocupado;
    modPNG::Completar(imagen_); // turns work on every pixel
    modImagen::CajaImagen PBO{imagen_.Picture, imagen_.Tipo, imagen_.Picture, imagen_.Picture.width(),
                              imagen_.Picture.height()};
    modImagen::CajaImagen PBD;
    if (modImagen::RotarImagen(PBO, PBD, 0, 0, derecha ? 90.0f : -90.0f)
        && imagen_.Tipo == TipoPicture::Bitmap) {
        imagen_.Picture = PBD.Image.convertToFormat(QImage::Format_RGB32);
        CambiarModo(Modo::Pantalla);
        ActualizaReferencia(false); // the navigator shows the turned page
    }
}

void EstadoVista::Reflejar(bool vertical)
{
    const PunteroOcupado ocupado;
    modPNG::Completar(imagen_);
    modImagen::CajaImagen PBO{imagen_.Picture, imagen_.Tipo, imagen_.Picture, imagen_.Picture.width(),
                              imagen_.Picture.height()};
    modImagen::CajaImagen PBD;
    modImagen::ReflejarImagen(PBO, PBD, vertical);
    imagen_.Picture = PBD.Image;
    AplicaEfecto();
}

QString EstadoVista::InfoPagina() const
{
    // A pair on screen is named by both its pages.
    const pliegos::Pliego p = PliegoEnPantalla();
    const QString nombre = p.Segunda ? doc_.Paginas.value(p.Primera) + QStringLiteral(" + ") + doc_.Paginas.value(p.Segunda)
                                     : doc_.Paginas.value(paginaActual_);
    return diseno::InfoPagina(modoAjuste_, modoAnterior_, partes_.bPartesAbajo, NaturalDe(imagen_),
                              RectDe(imagen_), nombre);
}
