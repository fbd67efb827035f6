#include "viewer/EstadoVista.h"

#include "imaging/modImagen.h"
#include "imaging/modPNG.h"
#include "shell/modComDlg.h"
#include "shell/modIdioma.h"
#include "viewer/Ocupado.h"

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
    // Read-ahead held back for a first page starts once that page is
    // painted, or after this long without a paint (a hidden window).
    anticipoPendiente_.setSingleShot(true);
    anticipoPendiente_.setInterval(250);
    connect(&anticipoPendiente_, &QTimer::timeout, this, [this] {
        AnticiparVecinas(paginaPendiente_);
    });
    connect(&doc_, &Documento::Abierto, this, [this] { primeraPagina_ = true; });
    tmrDinamico.setInterval(10);
    connect(&tmrDinamico, &QTimer::timeout, this, [this] {
        const diseno::Ventana v = Escala();
        if (RatonX < 0 || RatonX >= v.SW || RatonY < 0 || RatonY >= v.SH)
            return;
        if (!SigueRaton(RatonX, RatonY))
            tmrDinamico.stop();
    });
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
    UltimoMensaje = texto;
    emit MensajePedido(texto);
}

// ---- Pages -----------------------------------------------------------------

bool EstadoVista::CargarPaginaEn(int pagina, ControlImagen &destino)
{
    if (!doc_.EsPagina(pagina) || !doc_.Fuente())
        return false;
    auto preparada = doc_.Preparador().Obtener(PedidoPara(pagina, destino));
    // A page behind a password asks for it once per document: the source
    // keeps it in memory. Only a wrong one is asked again.
    while (preparada && FaltaClave(preparada->Razon)) {
        const bool incorrecta = preparada->Razon == Motivo::ClaveIncorrecta;
        const QString clave = modComDlg::PedirTexto(
            nullptr, TextoIdioma(incorrecta ? MensajeClaveIncorrecta : MensajeClave), true);
        if (clave.isEmpty())
            return false;
        doc_.PonerClave(clave);
        preparada = doc_.Preparador().Obtener(PedidoPara(pagina, destino));
    }
    if (!preparada || !preparada->Lista())
        return false;
    CopiarPicture(destino, preparada->Imagen);
    return true;
}

PedidoPagina EstadoVista::PedidoEn(int pagina, const Medida &m) const
{
    return PedidoPara(pagina, Imagen, m);
}

PedidoPagina EstadoVista::PedidoPara(int pagina, const ControlImagen &destino) const
{
    return PedidoPara(pagina, destino, Medir());
}

PedidoPagina EstadoVista::PedidoPara(int pagina, const ControlImagen &destino, const Medida &m) const
{
    PedidoPagina p;
    p.Pagina = pagina;
    p.Modo = ModoAjuste;
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
    const bool dos = ModoAjuste == Modo::DosPaginas;
    const int paso = bAvanzando ? 1 : -1;
    const int ultima = dos ? doc_.PaginaVecina(pagina, paso) : pagina;
    const int adelante = (hojeando_ ? PaginasHojeo : PaginasLectura) * (dos ? 2 : 1);
    const Medida m = Medir();
    std::vector<PedidoPagina> pedidos;
    if (dos && doc_.EsPagina(int(pagina + paso)))
        pedidos.push_back(PedidoPara(int(pagina + paso), Imagen2, m));
    for (int k = 1; k <= adelante; ++k)
        pedidos.push_back(PedidoPara(doc_.PaginaVecina(ultima, paso * k), Imagen, m));
    pedidos.push_back(PedidoPara(doc_.PaginaVecina(pagina, -paso), Imagen, m));
    doc_.Preparador().Anticipar(pedidos, PedidoPara(pagina, Imagen, m));
}

void EstadoVista::PaginaPintada()
{
    if (anticipoPendiente_.isActive() && PaginaCargada)
        AnticiparVecinas(paginaPendiente_);
}

bool EstadoVista::VerImagen(int pagina)
{
    if (!doc_.EsPagina(pagina) || !doc_.Fuente())
        return false;
    const PunteroOcupado ocupado;
    PaginaCargada = false;
    const auto ahora = std::chrono::steady_clock::now();
    hojeando_ = ahora - ultimaCarga_ < PausaDeHojeo;
    ultimaCarga_ = ahora;
    // A document's first page goes on the screen before anything is read
    // ahead (the display server needs the cores for its first paint); after
    // that, the next pages are made while this one is.
    if (std::exchange(primeraPagina_, false)) {
        paginaPendiente_ = pagina;
        anticipoPendiente_.start();
    } else {
        AnticiparVecinas(pagina);
    }
    const bool leida = CargarPaginaEn(pagina, Imagen);
    if (!leida) {
        // A broken page leaves an empty screen and the reader free to go on.
        VaciarPicture(Imagen);
        MostrarMensaje(TextoIdioma(200));
    }
    if (ModoAjuste == Modo::DosPaginas)
        VerDosPaginas(pagina);
    else
        AplicaLayout(ModoAjuste);
    emit PaginaMostrada(pagina, true);
    Partes.DesplazParteX = 0;
    Partes.DesplazParteY = 0;
    PaginaCargada = true;
    return leida;
}

void EstadoVista::IrAPagina(int pagina)
{
    PaginaActual = doc_.EsPagina(pagina) ? pagina : doc_.PaginaVecina(pagina, 0);
    VerImagen(PaginaActual);
    visor::ProcesarEventos();
    Etiquetar();
}

void EstadoVista::PasarPagina(bool adelante, bool primeraOUltima)
{
    bAvanzando = adelante;
    // A spread leaves the page on its second half: turning back first
    // undoes that extra page.
    if (ModoAjuste == Modo::DosPaginas && bAvanzando != bAvanzandoAntes)
        PaginaActual = int(PaginaActual + (adelante ? 1 : -1));
    if (primeraOUltima)
        IrAPagina(int(adelante ? 1 : doc_.NumeroPaginas()));
    else
        IrAPagina(doc_.PaginaVecina(PaginaActual, adelante ? 1 : -1));
}

// ---- Layout ----------------------------------------------------------------

void EstadoVista::AplicaLayout(Modo modo)
{
    const diseno::Ventana v = Escala();
    PonerRect(Imagen, diseno::SegunModo(modo, NaturalDe(Imagen), v));
    DibujaForm();
}

void EstadoVista::AplicaEfecto()
{
    const bool dos = ModoAjuste == Modo::Continuo || ModoAjuste == Modo::DosPaginas;
    AplicaLayout(dos ? Modo::Pantalla : ModoAjuste);
}

void EstadoVista::DibujaDosPaginas()
{
    if (Imagen.Picture.isNull() || Imagen2.Picture.isNull())
        return;
    emit DibujoPedido(true);
}

void EstadoVista::DibujaSegunModo()
{
    if ((ModoAjuste == Modo::Continuo || ModoAjuste == Modo::DosPaginas) && !Imagen2.Picture.isNull())
        DibujaDosPaginas();
    else
        DibujaForm();
}

void EstadoVista::VerDosPaginas(int pagina)
{
    const int segunda = int(bAvanzando ? pagina + 1 : pagina - 1);
    // Past either end there is no second page: its half stays empty.
    if (!CargarPaginaEn(segunda, Imagen2))
        VaciarPicture(Imagen2);
    paginaPliego_ = pagina;
    PaginaActual = segunda;
    bAvanzandoAntes = bAvanzando;
    ColocarPliego();
    if (Imagen2.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
}

void EstadoVista::ColocarPliego()
{
    // A spread reads left to right whichever way the reader came: going
    // back, the page asked for (the higher one) takes the right half.
    const diseno::Ventana v = Escala();
    const bool atras = !bAvanzandoAntes;
    PonerRect(Imagen, diseno::AjustaMitad(NaturalDe(Imagen), v, atras ? v.SW / 2 : 0));
    PonerRect(Imagen2, diseno::AjustaMitad(NaturalDe(Imagen2), v, atras ? 0 : v.SW / 2));
}

void EstadoVista::DejarDosPaginas()
{
    if (ModoAjuste != Modo::DosPaginas)
        return;
    if (doc_.EsPagina(paginaPliego_))
        PaginaActual = paginaPliego_;
    Etiquetar();
    emit PaginaMostrada(PaginaActual, false);
}

void EstadoVista::ActivaContinuo()
{
    const diseno::Rect actual = RectDe(Imagen);
    CopiarPicture(Imagen2, Imagen);
    Etiquetar();
    VerImagen(doc_.PaginaVecina(PaginaActual, 1));
    Imagen2.Left = Imagen.Left;
    Imagen2.Width = Imagen.Width;
    Imagen2.Height = Imagen.Height;
    IntercambiarPicture(Imagen, Imagen2);
    PonerRect(Imagen, actual);
    ApilarDebajo(Imagen2, Imagen);
    DibujaDosPaginas();
    // The label named the page stacked below while it was loaded.
    emit PaginaMostrada(PaginaActual, false);
}

void EstadoVista::RehacerDiseno()
{
    const diseno::Ventana v = Escala();
    if (Imagen.Picture.isNull())
        return;
    if (ModoAjuste == Modo::DosPaginas) {
        ColocarPliego();
    } else if (ModoAjuste == Modo::Continuo) {
        PonerRect(Imagen, diseno::AjustaPantalla(NaturalDe(Imagen), v, true));
        const diseno::Rect siguiente = diseno::AjustaPantalla(NaturalDe(Imagen2), v, true);
        Imagen2.Left = siguiente.Left;
        Imagen2.Width = siguiente.Width;
        Imagen2.Height = siguiente.Height;
        ApilarDebajo(Imagen2, Imagen);
    } else {
        AplicaLayout(ModoAjuste);
        return;
    }
    if (Imagen2.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
}

void EstadoVista::AplicaZoom(int paso)
{
    PonerRect(Imagen, diseno::AplicaZoom(RectDe(Imagen), paso));
    if (ModoAjuste == Modo::Continuo || ModoAjuste == Modo::DosPaginas) {
        PonerRect(Imagen2, diseno::AplicaZoom(RectDe(Imagen2), paso));
        if (ModoAjuste == Modo::Continuo)
            ApilarDebajo(Imagen2, Imagen);
        else if (bAvanzandoAntes)
            Imagen2.Left = Imagen.Left + Imagen.Width;
        else
            Imagen2.Left = Imagen.Left - Imagen2.Width; // the lower page on the left
        DibujaDosPaginas();
    } else {
        DibujaForm();
    }
}

int EstadoVista::PorcentajeZoom() const
{
    return diseno::PorcentajeZoom(NaturalDe(Imagen), RectDe(Imagen));
}

void EstadoVista::MueveParte(int direccion)
{
    const diseno::Ventana v = Escala();
    diseno::Rect r = RectDe(Imagen);
    if (!diseno::ParteAplicable(diseno::Numero(ModoDePagina()), r, v))
        return;
    diseno::PasaParte(r, Partes, v, direccion);
    PonerRect(Imagen, r);
    DibujaForm();
}

void EstadoVista::ReiniciaParte()
{
    const diseno::Ventana v = Escala();
    diseno::Rect r = RectDe(Imagen);
    diseno::ReiniciaParte(r, v);
    PonerRect(Imagen, r);
    DibujaForm();
}

bool EstadoVista::SigueRaton(std::int32_t x, std::int32_t y)
{
    const diseno::Ventana v = Escala();
    diseno::Rect r = RectDe(Imagen);
    const diseno::PasoRaton paso = diseno::SigueRaton(r, v, x, y);
    if (paso.Cambio) {
        PonerRect(Imagen, r);
        DibujaForm();
    }
    return !paso.Detener;
}

bool EstadoVista::Desplazar(bool vertical, std::int32_t paso)
{
    const diseno::Ventana v = Escala();
    if (vertical ? Imagen.Height <= v.SH : Imagen.Width <= v.SW)
        return false;
    if (vertical) {
        Imagen.Top = std::clamp(Imagen.Top + paso, v.SH - Imagen.Height, 0);
        DibujaForm();
    } else {
        Imagen.Left = std::clamp(Imagen.Left + paso, v.SW - Imagen.Width, 0);
        if (ModoAjuste == Modo::Continuo) {
            Imagen2.Left = Imagen.Left;
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
    const Modo m = ModoAnterior == Modo::Continuo || ModoAnterior == Modo::DosPaginas ? Modo::Pantalla
                                                                                     : ModoAnterior;
    const diseno::Rect r = diseno::SegunModo(m, NaturalDe(c), v);
    c.Left = r.Left;
    c.Width = r.Width;
    c.Height = r.Height;
}

void EstadoVista::PasoContinuo(std::int32_t nuevoTop)
{
    const diseno::Ventana v = Escala();
    if (doc_.NumeroPaginas() < 1)
        return;
    const bool subiendo = nuevoTop > Imagen.Top;
    Imagen.Top = nuevoTop;
    ApilarDebajo(Imagen2, Imagen);
    if (PaginaCargada && Imagen.Top < -(Imagen.Height + diseno::HuecoContinuo)) {
        // The current page has left the window: its successor takes its
        // place and the one after it is stacked below.
        PaginaActual = doc_.PaginaVecina(PaginaActual, 1);
        Imagen = Imagen2; // picture and place; the tag is written below
        PaginaCargada = false;
        if (CargarPaginaEn(doc_.PaginaVecina(PaginaActual, 1), Imagen2))
            PonerContinua(Imagen2);
        PaginaCargada = true;
        ApilarDebajo(Imagen2, Imagen);
    } else if (PaginaCargada && subiendo && Imagen2.Top >= v.SH
               && Imagen.Top >= -diseno::HuecoContinuo) {
        // Scrolled up to the top of the current page: the previous page
        // comes in above it. (Below the window alone is not enough: the next
        // page of a page taller than the window is always there.)
        const int anterior = doc_.PaginaVecina(PaginaActual, -1);
        ControlImagen previa;
        PaginaCargada = false;
        if (CargarPaginaEn(anterior, previa)) {
            const std::int32_t top2 = Imagen2.Top;
            Imagen2 = Imagen; // the current page moves down to second place
            Imagen2.Top = top2;
            CopiarPicture(Imagen, previa);
            PonerContinua(Imagen);
            Imagen.Top = Imagen2.Top - diseno::HuecoContinuo - Imagen.Height;
            PaginaActual = anterior;
        }
        PaginaCargada = true;
    }
    Etiquetar();
    emit PaginaMostrada(PaginaActual, false);
    DibujaDosPaginas();
}

void EstadoVista::MoverPaginas(std::int32_t left, std::int32_t top)
{
    if (ModoAjuste == Modo::Continuo) {
        Imagen.Left = left;
        Imagen2.Left = left;
        PasoContinuo(top);
        return;
    }
    const std::int32_t dx = left - Imagen.Left;
    const std::int32_t dy = top - Imagen.Top;
    Imagen.Left += dx;
    Imagen.Top += dy;
    Imagen2.Left += dx;
    Imagen2.Top += dy;
    if (Imagen2.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
}

void EstadoVista::Rotar(bool derecha)
{
    const PunteroOcupado ocupado;
    modPNG::Completar(Imagen); // turns work on every pixel
    modImagen::CajaImagen PBO{Imagen.Picture, Imagen.Tipo, Imagen.Picture, Imagen.Picture.width(),
                              Imagen.Picture.height()};
    modImagen::CajaImagen PBD;
    if (modImagen::RotarImagen(PBO, PBD, 0, 0, derecha ? 90.0f : -90.0f)
        && Imagen.Tipo == TipoPicture::Bitmap) {
        Imagen.Picture = PBD.Image.convertToFormat(QImage::Format_RGB32);
        DejarDosPaginas();
        AplicaLayout(Modo::Pantalla);
        ModoAjuste = Modo::Pantalla;
    }
}

void EstadoVista::Reflejar(bool vertical)
{
    const PunteroOcupado ocupado;
    modPNG::Completar(Imagen);
    modImagen::CajaImagen PBO{Imagen.Picture, Imagen.Tipo, Imagen.Picture, Imagen.Picture.width(),
                              Imagen.Picture.height()};
    modImagen::CajaImagen PBD;
    modImagen::ReflejarImagen(PBO, PBD, vertical);
    Imagen.Picture = PBD.Image;
    AplicaEfecto();
}

QString EstadoVista::InfoPagina() const
{
    return diseno::InfoPagina(ModoAjuste, ModoAnterior, Partes.bPartesAbajo, NaturalDe(Imagen),
                              RectDe(Imagen), doc_.Paginas.value(PaginaActual));
}
