#include "documento/PreparadorPaginas.h"

#include "archive/Nombres.h"
#include "documento/FuentePaginas.h"
#include "documento/TallerDecodificacion.h"
#include "imaging/modPNG.h"

#include <algorithm>

namespace {

constexpr int CortesiaObreros = 5; // nice steps below the interface thread

// Whether a page prepared for one request serves another. Only PNG pages
// depend on the size of the holder they are loaded into.
bool Sirve(const QString &nombre, const PedidoPagina &hecho, const PedidoPagina &p)
{
    if (hecho == p)
        return true;
    if (modPNG::EsPng(nombre))
        return false;
    PedidoPagina a = hecho, b = p;
    a.EstirarW = b.EstirarW = a.EstirarH = b.EstirarH = 0;
    return a == b;
}

bool Sirve(const PaginaPreparada &e, const PedidoPagina &p)
{
    return Sirve(e.Datos ? e.Datos->Nombre : QString(), e.Para, p);
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
        case FuentePaginas::Leida::Rota:
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

PreparadorPaginas::PreparadorPaginas(std::size_t presupuesto, int obreros) : presupuesto_(presupuesto)
{
    archivo::AsegurarLocaleUtf8(); // once, here: the workers must never change it
    if (obreros <= 0)
        obreros = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(ObrerosMaximos)));
    for (int i = 0; i < obreros; ++i)
        obreros_.push_back(std::make_unique<Obrero>());
    for (const auto &o : obreros_)
        o->hilo = std::thread([this, &o = *o] {
            // Pages made ahead yield to the display server painting the one
            // the reader waits for; a page waited for is made here at full
            // speed anyway on an idle machine.
            TallerDecodificacion::BajarPrioridad(CortesiaObreros);
            Trabajar(o);
        });
}

PreparadorPaginas::~PreparadorPaginas()
{
    {
        std::lock_guard l(m_);
        salir_ = true;
        for (const auto &o : obreros_)
            o->cancelar = true;
    }
    cv_.notify_all();
    for (const auto &o : obreros_)
        o->hilo.join();
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
    ultimoTamano_ = 0;
    cola_.clear();
    for (const auto &o : obreros_)
        o->cancelar = true;
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
    ultimoTamano_ = e->Bytes();
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

PreparadorPaginas::Obrero *PreparadorPaginas::EnCurso(const PedidoPagina &p) const
{
    for (const auto &o : obreros_)
        if (o->enCurso && !o->cancelar && Sirve(doc_.Paginas.value(p.Pagina), *o->enCurso, p))
            return o.get();
    return nullptr;
}

bool PreparadorPaginas::Cabe(const PedidoPagina &p) const
{
    // A page that would push out pages nearer the reader is not worth
    // making: it would be the first to go. Its size is taken to be the
    // last page's.
    std::size_t cerca = ultimoTamano_;
    for (const auto &[pagina, e] : cache_)
        if (Distancia(pagina, centro_) <= Distancia(p.Pagina, centro_))
            cerca += e->Bytes();
    return cerca <= presupuesto_;
}

int PreparadorPaginas::Ocupados() const
{
    return int(std::count_if(obreros_.begin(), obreros_.end(), [](const auto &o) { return o->enCurso.has_value(); }));
}

bool PreparadorPaginas::PuedeEmpezar() const
{
    // While the reader waits for a page made on their own thread, the
    // workers together keep to the other cores.
    return esperadas_ == 0 || Ocupados() + esperadas_ < int(obreros_.size());
}

void PreparadorPaginas::DejarSitio(const PedidoPagina &esperada)
{
    const int activos = int(std::count_if(obreros_.begin(), obreros_.end(),
                                          [](const auto &o) { return o->enCurso && !o->cancelar; }));
    if (obreros_.size() < 2 || activos + 1 <= int(obreros_.size()))
        return;
    // The worker on the page farthest from the awaited one stops; its page
    // goes back to the front of the wish, to be made after.
    Obrero *lejos = nullptr;
    for (const auto &o : obreros_)
        if (o->enCurso && !o->cancelar
            && (!lejos || Distancia(o->enCurso->Pagina, esperada.Pagina) > Distancia(lejos->enCurso->Pagina, esperada.Pagina)))
            lejos = o.get();
    if (!lejos)
        return;
    lejos->cancelar = true;
    if (std::find(cola_.begin(), cola_.end(), *lejos->enCurso) == cola_.end())
        cola_.push_front(*lejos->enCurso);
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
        if (!EnCurso(p))
            break;
        cv_.wait(l);
    }
    for (const auto &o : obreros_)
        if (o->enCurso && o->enCurso->Pagina == p.Pagina)
            o->cancelar = true; // it is preparing this page for another layout
    const auto i = cache_.find(p.Pagina);
    std::shared_ptr<const OrigenPicture> datos = i != cache_.end() ? i->second->Datos : nullptr;
    const Contenido d = doc_;
    const std::uint64_t generacion = generacion_;
    DejarSitio(p);
    ++esperadas_;
    l.unlock();
    Entrada e;
    try {
        e = Preparar(d, p, std::move(datos), nullptr);
    } catch (...) {
        l.lock();
        --esperadas_;
        cv_.notify_all();
        throw;
    }
    l.lock();
    --esperadas_;
    if (generacion == generacion_)
        Guardar(e);
    cv_.notify_all();
    return e;
}

void PreparadorPaginas::Anticipar(const std::vector<PedidoPagina> &pedidos,
                                  const std::optional<PedidoPagina> &esperada)
{
    std::lock_guard l(m_);
    cola_.clear();
    if (esperada)
        centro_ = esperada->Pagina;
    for (const PedidoPagina &p : pedidos)
        if (p.Pagina >= 1 && p.Pagina < doc_.Paginas.size() && !Buscar(p) && !EnCurso(p)
            && std::find(cola_.begin(), cola_.end(), p) == cola_.end())
            cola_.push_back(p);
    for (const auto &o : obreros_) {
        const QString nombre = o->enCurso ? doc_.Paginas.value(o->enCurso->Pagina) : QString();
        const auto sirve = [&](const PedidoPagina &p) { return Sirve(nombre, *o->enCurso, p); };
        if (o->enCurso && std::none_of(pedidos.begin(), pedidos.end(), sirve) && !(esperada && sirve(*esperada)))
            o->cancelar = true; // a page no longer wanted
    }
    cv_.notify_all();
}

void PreparadorPaginas::Trabajar(Obrero &o)
{
    std::unique_lock l(m_);
    for (;;) {
        cv_.wait(l, [&] { return salir_ || (!cola_.empty() && PuedeEmpezar()); });
        if (salir_)
            return;
        const PedidoPagina p = cola_.front();
        cola_.pop_front();
        const bool cabe = Cabe(p);
        if (!cabe)
            cola_.clear(); // the pages farther on would not fit either
        if (!cabe || Buscar(p) || EnCurso(p)) {
            cv_.notify_all(); // perhaps the end of the wish: someone may wait for it
            continue;
        }
        o.enCurso = p;
        o.cancelar = false;
        const auto i = cache_.find(p.Pagina);
        std::shared_ptr<const OrigenPicture> datos = i != cache_.end() ? i->second->Datos : nullptr;
        const Contenido d = doc_;
        const std::uint64_t generacion = generacion_;
        l.unlock();
        const Entrada e = Preparar(d, p, std::move(datos), &o.cancelar);
        l.lock();
        o.enCurso.reset();
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
    cv_.wait(l, [&] { return cola_.empty() && Ocupados() == 0 && esperadas_ == 0; });
}
