#include "documento/PreparadorPaginas.h"

#include "archive/Nombres.h"
#include "documento/FuentePaginas.h"
#include "imaging/modPNG.h"

#include <algorithm>

namespace {

// Whether a prepared page serves a request. Only PNG pages depend on the
// size of the holder they are loaded into.
bool Sirve(const PaginaPreparada &e, const PedidoPagina &p)
{
    if (e.Para == p)
        return true;
    PedidoPagina a = e.Para, b = p;
    if (e.Datos && modPNG::EsPng(e.Datos->Nombre))
        return false;
    a.EstirarW = b.EstirarW = a.EstirarH = b.EstirarH = 0;
    return a == b;
}

std::shared_ptr<PaginaPreparada> Preparar(const PreparadorPaginas::Contenido &d, const PedidoPagina &p,
                                          std::shared_ptr<const OrigenPicture> datos,
                                          const std::atomic<bool> *cancelar)
{
    auto e = std::make_shared<PaginaPreparada>();
    e->Para = p;
    if (!datos) {
        auto leidos = std::make_shared<OrigenPicture>();
        leidos->Nombre = d.Paginas.value(p.Pagina);
        switch (d.Fuente->Leer(leidos->Nombre, leidos->Datos)) {
        case FuentePaginas::Leida::NoEsta:
            e->Estado = PaginaPreparada::Estado::Error;
            return e;
        case FuentePaginas::Leida::NoSalio:
            e->Estado = PaginaPreparada::Estado::Extraer;
            return e;
        case FuentePaginas::Leida::Bien:
            break;
        }
        datos = std::move(leidos);
    }
    e->Datos = datos;
    ControlImagen c;
    c.Stretch = p.EstirarW > 0 && p.EstirarH > 0;
    c.Width = p.EstirarW;
    c.Height = p.EstirarH;
    try {
        if (!modPNG::CargarPagina(datos, [&](QSize n) { return TamanoMostrado(p, n); }, c, cancelar))
            return nullptr;
        CopiarPicture(e->Imagen, c);
        e->Estado = PaginaPreparada::Estado::Lista;
    } catch (const ErrorImagen &) {
        e->Estado = PaginaPreparada::Estado::Error;
    } catch (const std::exception &) {
        // Out of memory on the worker is a page that cannot be shown, not the end of the program.
        e->Estado = PaginaPreparada::Estado::Error;
    }
    return e;
}

} // namespace

QSize TamanoMostrado(const PedidoPagina &p, QSize natural)
{
    if (natural.isEmpty())
        return {};
    const diseno::Natural n = diseno::NaturalDePixeles(natural.width(), natural.height());
    const diseno::Rect r = p.Modo == diseno::Modo::DosPaginas ? diseno::AjustaMitad(n, p.Ventana, 0)
                                       : diseno::SegunModo(p.Modo, n, p.Ventana);
    // The same conversion the painting applies to a holder's twips.
    return {diseno::Entero(r.Width * p.PixelesPorTwip), diseno::Entero(r.Height * p.PixelesPorTwip)};
}

std::size_t PaginaPreparada::Bytes() const
{
    return std::size_t(Imagen.Picture.sizeInBytes()) + (Datos ? std::size_t(Datos->Datos.size()) : 0);
}

PreparadorPaginas::PreparadorPaginas(std::size_t presupuesto) : presupuesto_(presupuesto)
{
    archivo::AsegurarLocaleUtf8(); // once, here: the worker must never change it
    hilo_ = std::thread([this] { Trabajar(); });
}

PreparadorPaginas::~PreparadorPaginas()
{
    {
        std::lock_guard l(m_);
        salir_ = true;
        cancelar_ = true;
    }
    cv_.notify_all();
    hilo_.join();
}

void PreparadorPaginas::Abrir(const Contenido &d)
{
    std::lock_guard l(m_);
    if (d == doc_)
        return;
    doc_ = d;
    OlvidarConCerrojo();
}

void PreparadorPaginas::Olvidar()
{
    std::lock_guard l(m_);
    OlvidarConCerrojo();
}

void PreparadorPaginas::OlvidarConCerrojo()
{
    ++generacion_;
    cache_.clear();
    bytes_ = 0;
    cola_.clear();
    cancelar_ = true;
    cv_.notify_all();
}

int PreparadorPaginas::Distancia(int a, int b) const
{
    const int n = std::max<int>(1, int(doc_.Paginas.size()) - 1);
    const int d = std::abs(a - b);
    return std::min(d, n - d);
}

PreparadorPaginas::Entrada PreparadorPaginas::Buscar(const PedidoPagina &p) const
{
    const auto i = cache_.find(p.Pagina);
    return i != cache_.end() && Sirve(*i->second, p) ? i->second : nullptr;
}

void PreparadorPaginas::Guardar(const Entrada &e)
{
    auto &sitio = cache_[e->Para.Pagina];
    if (sitio)
        bytes_ -= sitio->Bytes();
    sitio = e;
    bytes_ += e->Bytes();
    // Over budget, the pages farthest from the one being read go first.
    while (bytes_ > presupuesto_ && cache_.size() > 1) {
        auto lejos = cache_.end();
        for (auto i = cache_.begin(); i != cache_.end(); ++i)
            if (i->first != centro_
                && (lejos == cache_.end() || Distancia(i->first, centro_) > Distancia(lejos->first, centro_)))
                lejos = i;
        if (lejos == cache_.end())
            break;
        bytes_ -= lejos->second->Bytes();
        cache_.erase(lejos);
    }
}

std::shared_ptr<const PaginaPreparada> PreparadorPaginas::Obtener(const PedidoPagina &p)
{
    std::unique_lock l(m_);
    if (p.Pagina < 1 || p.Pagina >= doc_.Paginas.size())
        return nullptr;
    centro_ = p.Pagina;
    std::erase_if(cola_, [&](const PedidoPagina &q) { return q.Pagina == p.Pagina; });
    for (;;) {
        if (Entrada e = Buscar(p))
            return e;
        if (!enCurso_ || enCurso_->Pagina != p.Pagina)
            break;
        if (*enCurso_ != p) {
            cancelar_ = true; // it is preparing this page for another layout
            break;
        }
        cv_.wait(l);
    }
    const auto i = cache_.find(p.Pagina);
    std::shared_ptr<const OrigenPicture> datos = i != cache_.end() ? i->second->Datos : nullptr;
    const Contenido d = doc_;
    const std::uint64_t generacion = generacion_;
    l.unlock();
    const Entrada e = Preparar(d, p, std::move(datos), nullptr);
    l.lock();
    if (generacion == generacion_)
        Guardar(e);
    return e;
}

void PreparadorPaginas::Anticipar(const std::vector<PedidoPagina> &pedidos)
{
    std::lock_guard l(m_);
    cola_.clear();
    for (const PedidoPagina &p : pedidos)
        if (p.Pagina >= 1 && p.Pagina < doc_.Paginas.size() && !Buscar(p))
            cola_.push_back(p);
    if (enCurso_ && std::find(cola_.begin(), cola_.end(), *enCurso_) == cola_.end())
        cancelar_ = true; // a page no longer wanted
    cv_.notify_all();
}

void PreparadorPaginas::Trabajar()
{
    std::unique_lock l(m_);
    for (;;) {
        cv_.wait(l, [&] { return salir_ || !cola_.empty(); });
        if (salir_)
            return;
        const PedidoPagina p = cola_.front();
        cola_.pop_front();
        if (Buscar(p))
            continue;
        enCurso_ = p;
        cancelar_ = false;
        const auto i = cache_.find(p.Pagina);
        std::shared_ptr<const OrigenPicture> datos = i != cache_.end() ? i->second->Datos : nullptr;
        const Contenido d = doc_;
        const std::uint64_t generacion = generacion_;
        l.unlock();
        const Entrada e = Preparar(d, p, std::move(datos), &cancelar_);
        l.lock();
        enCurso_.reset();
        if (e && generacion == generacion_ && !salir_)
            Guardar(e);
        cv_.notify_all();
    }
}

std::size_t PreparadorPaginas::BytesEnCache() const
{
    std::lock_guard l(m_);
    return bytes_;
}

bool PreparadorPaginas::EnCache(const PedidoPagina &p) const
{
    std::lock_guard l(m_);
    return Buscar(p) != nullptr;
}

void PreparadorPaginas::EsperarInactivo()
{
    std::unique_lock l(m_);
    cv_.wait(l, [&] { return cola_.empty() && !enCurso_; });
}
