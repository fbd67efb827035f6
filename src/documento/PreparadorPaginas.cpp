#include "documento/PreparadorPaginas.h"

#include "documento/FuentePaginas.h"
#include "imaging/modPNG.h"

#include <algorithm>
#include <utility>

namespace {

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

// Null when `cancelar` stopped it.
std::shared_ptr<PaginaPreparada> Preparar(const PreparadorPaginas::Contenido &d, const PedidoPagina &p,
                                          std::shared_ptr<const OrigenPicture> datos,
                                          const std::atomic<bool> *cancelar)
{
    auto e = std::make_shared<PaginaPreparada>();
    e->Para = p;
    try {
        if (!datos) {
            auto leidos = std::make_shared<OrigenPicture>();
            e->Razon = d.Fuente->LeerOrigen(d.Paginas.value(p.Pagina), *leidos);
            if (e->Razon != Motivo::Ninguno)
                return e;
            datos = std::move(leidos);
        }
        e->Datos = datos;
        ControlImagen c;
        c.Stretch = p.EstirarW > 0 && p.EstirarH > 0;
        c.Width = p.EstirarW;
        c.Height = p.EstirarH;
        if (!modPNG::CargarPagina(datos, [&](QSize n) { return TamanoMostrado(p, n); }, c, cancelar))
            return nullptr;
        CopiarPicture(e->Imagen, c);
        e->Razon = Motivo::Ninguno;
    } catch (const ErrorLectura &f) {
        e->Razon = f.Razon;
    } catch (...) {
        // Out of memory, or a reader's exception: a page that cannot be
        // shown, not the end of the program.
        e->Razon = Motivo::NoDecodificable;
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

PreparadorPaginas::PreparadorPaginas(Cuadrilla &cuadrilla, std::size_t presupuesto, QObject *parent)
    : QObject(parent), cuadrilla_(cuadrilla), presupuesto_(presupuesto), buzon_(std::make_shared<Buzon>())
{
}

PreparadorPaginas::~PreparadorPaginas()
{
    std::vector<Cuadrilla::Ficha> fichas;
    {
        std::lock_guard l(m_);
        salir_ = true;
        cola_.clear();
        pedidos_.clear();
        fichas = fichas_;
    }
    buzon_->Cerrar();
    for (const Cuadrilla::Ficha &f : fichas)
        cuadrilla_.Retirar(f);
    for (const Cuadrilla::Ficha &f : fichas)
        cuadrilla_.Esperar(f);
}

void PreparadorPaginas::Abrir(const Contenido &d)
{
    std::lock_guard l(m_);
    if (d == doc_)
        return;
    doc_ = d;
    OlvidarConCerrojo();
    // What the new document's source can do ahead (a solid archive's
    // unpacking), below the read-ahead; the previous one's stops.
    cuadrilla_.Retirar(adelanto_);
    adelanto_.reset();
    if (d.Fuente && !salir_) {
        Cuadrilla::Opciones o;
        o.Cedible = true;
        o.Reanudable = true;
        adelanto_ = cuadrilla_.Encargar(
            Cuadrilla::Prioridad::Miniatura, [f = d.Fuente](Cuadrilla::Trabajo &t) { f->Adelantar(t.Detener()); },
            std::move(o));
        Recordar(adelanto_);
    }
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
    pedidos_.clear();
    for (const MarchaPtr &m : std::vector<MarchaPtr>(marchas_))
        Detener(m);
    cv_.notify_all();
}

void PreparadorPaginas::OlvidarSinClave()
{
    std::lock_guard l(m_);
    for (auto i = cache_.begin(); i != cache_.end();) {
        if (FaltaClave(i->second->Razon)) {
            bytes_ -= i->second->Bytes();
            i = cache_.erase(i);
        } else {
            ++i;
        }
    }
}

int PreparadorPaginas::Distancia(int a, int b) const
{
    const int n = std::max<int>(1, int(doc_.Paginas.size()) - 1);
    const int d = std::abs(a - b);
    return std::min(d, n - d);
}

PreparadorPaginas::Entrada PreparadorPaginas::Buscar(const PedidoPagina &p) const
{
    std::lock_guard l(m_);
    return EnCache(p);
}

PreparadorPaginas::Entrada PreparadorPaginas::EnCache(const PedidoPagina &p) const
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

PreparadorPaginas::MarchaPtr PreparadorPaginas::EnCurso(const PedidoPagina &p) const
{
    for (const MarchaPtr &m : marchas_)
        if (!m->Ficha->Cancelado() && Sirve(doc_.Paginas.value(p.Pagina), m->Pedido, p))
            return m;
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

void PreparadorPaginas::Recordar(const Cuadrilla::Ficha &f)
{
    // A job only this holds any more is done with.
    std::erase_if(fichas_, [](const Cuadrilla::Ficha &g) { return g.use_count() == 1; });
    fichas_.push_back(f);
}

PreparadorPaginas::MarchaPtr PreparadorPaginas::Lanzar(const PedidoPagina &p)
{
    // A job on this page for another layout stops: this one replaces it.
    for (const MarchaPtr &o : std::vector<MarchaPtr>(marchas_))
        if (o->Pedido.Pagina == p.Pagina && !o->Ficha->Cancelado())
            Detener(o);
    auto m = std::make_shared<Marcha>();
    m->Pedido = p;
    m->Esperada = true;
    auto fallida = std::make_shared<PaginaPreparada>();
    fallida->Para = p;
    m->Fallida = std::move(fallida);
    const std::uint64_t generacion = generacion_;
    Cuadrilla::Opciones o;
    o.AlFallar = [this, m, generacion] {
        std::lock_guard l(m_);
        Terminar(m, m->Fallida, generacion);
    };
    m->Ficha = cuadrilla_.Encargar(
        Cuadrilla::Prioridad::Esperada, [this, m](Cuadrilla::Trabajo &t) { HacerEsperada(t, m); }, std::move(o));
    marchas_.push_back(m);
    Recordar(m->Ficha);
    if (m->Ficha->Cancelado()) // the pool is ending
        Descartar(m);
    return m;
}

void PreparadorPaginas::Detener(const MarchaPtr &m)
{
    // One under way stops at its next row and ends itself; one that never
    // started ends here.
    if (cuadrilla_.Retirar(m->Ficha))
        Descartar(m);
}

void PreparadorPaginas::Descartar(const MarchaPtr &m)
{
    std::erase(marchas_, m);
    m->Hecha = true;
    cv_.notify_all();
}

void PreparadorPaginas::Alimentar()
{
    // As many read-ahead jobs as workers, each taking the front of the wish
    // when it starts.
    while (!salir_ && tirones_ < Obreros() && tirones_ < int(cola_.size())) {
        ++tirones_;
        Cuadrilla::Opciones o;
        o.Cedible = true;
        o.AlFallar = [this] {
            std::lock_guard l(m_);
            cv_.notify_all();
        };
        Recordar(cuadrilla_.Encargar(Cuadrilla::Prioridad::Anticipo, [this](Cuadrilla::Trabajo &t) { Tirar(t); },
                                     std::move(o)));
    }
}

void PreparadorPaginas::Reponer()
{
    if (salir_)
        return;
    // A page asked for whose job stopped short is made again.
    for (const PedidoPagina &p : std::vector<PedidoPagina>(pedidos_))
        if (!EnCache(p) && !EnCurso(p))
            Lanzar(p);
    Alimentar();
}

void PreparadorPaginas::Entregar(const PedidoPagina &p, const Entrada &e)
{
    const std::uint64_t generacion = generacion_;
    buzon_->Enviar([this, p, e, generacion] {
        {
            std::lock_guard l(m_);
            if (generacion != generacion_)
                return; // of a document closed since
        }
        emit PaginaLista(p, e);
    });
}

void PreparadorPaginas::Terminar(const MarchaPtr &m, const Entrada &e, std::uint64_t generacion)
{
    if (m->Hecha)
        return;
    std::erase(marchas_, m);
    m->Hecha = true;
    m->Resultado = e;
    if (e && generacion == generacion_ && !salir_) {
        Guardar(e);
        for (auto i = pedidos_.begin(); i != pedidos_.end();) {
            if (Sirve(*e, *i)) {
                Entregar(*i, e);
                i = pedidos_.erase(i);
            } else {
                ++i;
            }
        }
    }
    Reponer();
    cv_.notify_all();
}

void PreparadorPaginas::Hacer(std::unique_lock<std::mutex> &l, Cuadrilla::Trabajo &t, const MarchaPtr &m)
{
    const PedidoPagina p = m->Pedido;
    const auto i = cache_.find(p.Pagina);
    std::shared_ptr<const OrigenPicture> datos = i != cache_.end() ? i->second->Datos : nullptr;
    const Contenido d = doc_;
    const std::uint64_t generacion = generacion_;
    l.unlock();
    Entrada e;
    try {
        e = Preparar(d, p, std::move(datos), &t.Detener());
    } catch (...) {
        e = m->Fallida;
    }
    l.lock();
    // Stopped to make room for a page waited for: back to the front of
    // the wish, to be made after it.
    if (!e && !m->Esperada && t.Cedido() && !t.Cancelado() && generacion == generacion_)
        cola_.push_front(p);
    Terminar(m, e, generacion);
}

void PreparadorPaginas::HacerEsperada(Cuadrilla::Trabajo &t, const MarchaPtr &m)
{
    std::unique_lock l(m_);
    if (m->Hecha)
        return;
    if (salir_) {
        Terminar(m, nullptr, generacion_);
        return;
    }
    Hacer(l, t, m);
}

void PreparadorPaginas::Tirar(Cuadrilla::Trabajo &t)
{
    std::unique_lock l(m_);
    --tirones_;
    std::optional<PedidoPagina> p;
    while (!salir_ && !p && !cola_.empty()) {
        const PedidoPagina q = cola_.front();
        cola_.pop_front();
        if (!Cabe(q)) {
            cola_.clear(); // the pages farther on would not fit either
            break;
        }
        if (!EnCache(q) && !EnCurso(q))
            p = q;
    }
    if (!p) {
        cv_.notify_all(); // perhaps the end of the wish: someone may wait for it
        return;
    }
    auto m = std::make_shared<Marcha>();
    m->Pedido = *p;
    m->Ficha = t.shared_from_this();
    auto fallida = std::make_shared<PaginaPreparada>();
    fallida->Para = *p;
    m->Fallida = std::move(fallida);
    t.PonerOrden(Distancia(p->Pagina, centro_));
    marchas_.push_back(m);
    Hacer(l, t, m);
}

PreparadorPaginas::Entrada PreparadorPaginas::Obtener(const PedidoPagina &p)
{
    std::unique_lock l(m_);
    if (p.Pagina < 1 || p.Pagina >= doc_.Paginas.size())
        return nullptr;
    centro_ = p.Pagina;
    std::erase_if(cola_, [&](const PedidoPagina &q) { return q.Pagina == p.Pagina; });
    for (;;) {
        if (Entrada e = EnCache(p))
            return e;
        MarchaPtr m = EnCurso(p);
        if (m)
            m->Ficha->PonerCedible(false); // waited for now
        else
            m = Lanzar(p);
        cv_.wait(l, [&] { return m->Hecha; });
        if (m->Resultado && Sirve(*m->Resultado, p))
            return m->Resultado;
        if (salir_)
            return nullptr;
    }
}

void PreparadorPaginas::Pedir(const std::vector<PedidoPagina> &pedidos)
{
    std::lock_guard l(m_);
    const auto pedida = [&](const PedidoPagina &q) {
        return std::any_of(pedidos.begin(), pedidos.end(),
                           [&](const PedidoPagina &p) { return Sirve(doc_.Paginas.value(p.Pagina), q, p); });
    };
    for (const MarchaPtr &m : std::vector<MarchaPtr>(marchas_))
        if (m->Esperada && !pedida(m->Pedido) && cuadrilla_.Quitar(m->Ficha))
            Descartar(m);
    pedidos_.clear();
    bool primera = true;
    for (const PedidoPagina &p : pedidos) {
        if (p.Pagina < 1 || p.Pagina >= doc_.Paginas.size())
            continue;
        if (std::exchange(primera, false))
            centro_ = p.Pagina;
        std::erase_if(cola_, [&](const PedidoPagina &q) { return q.Pagina == p.Pagina; });
        if (Entrada e = EnCache(p)) {
            Entregar(p, e);
            continue;
        }
        pedidos_.push_back(p);
        if (MarchaPtr m = EnCurso(p))
            m->Ficha->PonerCedible(false);
        else
            Lanzar(p);
    }
}

void PreparadorPaginas::Anticipar(const std::vector<PedidoPagina> &pedidos,
                                  const std::optional<PedidoPagina> &esperada)
{
    std::lock_guard l(m_);
    cola_.clear();
    if (esperada)
        centro_ = esperada->Pagina;
    // The page about to be asked for takes a worker before the read-ahead
    // does.
    if (esperada && esperada->Pagina >= 1 && esperada->Pagina < doc_.Paginas.size() && !EnCache(*esperada)
        && !EnCurso(*esperada))
        Lanzar(*esperada);
    for (const PedidoPagina &p : pedidos)
        if (p.Pagina >= 1 && p.Pagina < doc_.Paginas.size() && !EnCache(p) && !EnCurso(p)
            && std::find(cola_.begin(), cola_.end(), p) == cola_.end())
            cola_.push_back(p);
    // A page under way that nobody wants any more stops.
    for (const MarchaPtr &m : std::vector<MarchaPtr>(marchas_)) {
        const QString nombre = doc_.Paginas.value(m->Pedido.Pagina);
        const auto sirve = [&](const PedidoPagina &p) { return Sirve(nombre, m->Pedido, p); };
        if (std::none_of(pedidos.begin(), pedidos.end(), sirve) && !(esperada && sirve(*esperada))
            && std::none_of(pedidos_.begin(), pedidos_.end(), sirve))
            Detener(m);
    }
    Alimentar();
    cv_.notify_all();
}

std::size_t PreparadorPaginas::BytesEnCache() const
{
    std::lock_guard l(m_);
    return bytes_;
}

void PreparadorPaginas::EsperarInactivo()
{
    std::unique_lock l(m_);
    cv_.wait(l, [&] { return cola_.empty() && marchas_.empty() && tirones_ == 0; });
}
