#include "documento/CargaMiniaturas.h"

#include "documento/FuentePaginas.h"
#include "imaging/Miniatura.h"

#include <algorithm>
#include <deque>
#include <mutex>

struct CargaMiniaturas::Estado : std::enable_shared_from_this<Estado> {
    Estado(Cuadrilla &c, CargaMiniaturas *d, std::shared_ptr<const FuentePaginas> f, const QStringList &p, Tamano t)
        : cuadrilla(c), dueno(d), fuente(std::move(f)), paginas(p), tamano(std::move(t)),
          buzon(std::make_shared<Buzon>()), hechas(std::size_t(std::max<qsizetype>(1, p.size())))
    {
    }

    struct Pagina {
        bool Enviada = false;  // its bytes went to be decoded
        bool Hecha = false;
        Miniatura Resultado;
    };

    void Leer(Cuadrilla::Trabajo &t);
    void Enviar(int pagina, const QByteArray &datos, std::deque<Cuadrilla::Ficha> &pendientes);
    void Decodificar(Cuadrilla::Trabajo &t, int pagina, const std::shared_ptr<const OrigenPicture> &origen);
    void Poner(int pagina, QImage imagen, QSize natural);
    void Avisar(); // with the lock held

    Cuadrilla &cuadrilla;
    CargaMiniaturas *const dueno; // only inside what the mailbox delivers
    const std::shared_ptr<const FuentePaginas> fuente;
    const QStringList paginas;
    const Tamano tamano;
    const std::shared_ptr<Buzon> buzon;
    std::atomic<bool> cancelado{false};
    mutable std::mutex m;
    std::vector<Pagina> hechas;            // by page number
    int siguiente = 1;                     // the next page to hand back
    int enVuelo = 0;                       // sent and not yet decoded
    bool leida = false;                    // the reading is over
    bool avisado = false;
    Cuadrilla::Ficha lectura;
    std::vector<Cuadrilla::Ficha> decodificaciones;
};

void CargaMiniaturas::Estado::Leer(Cuadrilla::Trabajo &t)
{
    std::deque<Cuadrilla::Ficha> pendientes;
    try {
        fuente->LeerVarias(
            paginas.mid(1), [&](int indice, const QByteArray &datos) { Enviar(indice + 1, datos, pendientes); },
            &t.Detener());
    } catch (...) {
        // A reader that threw ends the reading: the pages not read stay empty.
    }
    std::lock_guard l(m);
    leida = true;
    Avisar();
}

void CargaMiniaturas::Estado::Enviar(int pagina, const QByteArray &datos, std::deque<Cuadrilla::Ficha> &pendientes)
{
    if (cancelado)
        return;
    auto origen = std::make_shared<OrigenPicture>();
    origen->Datos = datos;
    origen->Nombre = paginas[pagina];
    fuente->Anotar(*origen);
    {
        std::lock_guard l(m);
        hechas[std::size_t(pagina)].Enviada = true;
        ++enVuelo;
    }
    const std::shared_ptr<Estado> yo = shared_from_this();
    Cuadrilla::Opciones o;
    o.Cedible = o.Reanudable = true;
    o.AlFallar = [yo, pagina] { yo->Poner(pagina, {}, {}); };
    Cuadrilla::Ficha f = cuadrilla.Encargar(
        Cuadrilla::Prioridad::Miniatura,
        [yo, pagina, origen](Cuadrilla::Trabajo &d) { yo->Decodificar(d, pagina, origen); }, std::move(o));
    {
        std::lock_guard l(m);
        std::erase_if(decodificaciones, [](const Cuadrilla::Ficha &g) { return g.use_count() == 1; });
        decodificaciones.push_back(f);
    }
    // Reading runs ahead of decoding by a few pages at most: past that, the
    // worker reading decodes the oldest waiting page itself.
    pendientes.push_back(std::move(f));
    while (pendientes.size() > std::size_t(2 * cuadrilla.Obreros())) {
        const Cuadrilla::Ficha g = std::move(pendientes.front());
        pendientes.pop_front();
        cuadrilla.HacerAqui(g);
    }
}

void CargaMiniaturas::Estado::Decodificar(Cuadrilla::Trabajo &t, int pagina,
                                          const std::shared_ptr<const OrigenPicture> &origen)
{
    if (cancelado)
        return;
    miniatura::Resultado r;
    try {
        r = miniatura::Decodificar(origen, [&](QSize natural) { return tamano(pagina, natural); }, &t.Detener());
    } catch (...) {
        r = {}; // out of memory: an empty frame, and the worker goes on
    }
    if (r.Cancelado)
        return; // for good, or to make room (it runs again)
    Poner(pagina, std::move(r.Imagen), r.Natural);
}

void CargaMiniaturas::Estado::Poner(int pagina, QImage imagen, QSize natural)
{
    std::lock_guard l(m);
    --enVuelo;
    if (cancelado)
        return;
    Pagina &p = hechas[std::size_t(pagina)];
    p.Resultado = {pagina, std::move(imagen), natural};
    p.Hecha = true;
    Avisar();
}

void CargaMiniaturas::Estado::Avisar()
{
    if (avisado || cancelado)
        return;
    avisado = true;
    CargaMiniaturas *d = dueno;
    buzon->Enviar([d] { emit d->Listas(); });
}

CargaMiniaturas::CargaMiniaturas(Cuadrilla &cuadrilla, std::shared_ptr<const FuentePaginas> fuente,
                                 const QStringList &paginas, Tamano tamano, QObject *parent)
    : QObject(parent), cuadrilla_(cuadrilla),
      estado_(std::make_shared<Estado>(cuadrilla, this, std::move(fuente), paginas, std::move(tamano)))
{
    // The walk is one long job: it never makes room, it stops when cancelled.
    const std::shared_ptr<Estado> e = estado_;
    Cuadrilla::Opciones o;
    o.AlFallar = [e] {
        std::lock_guard l(e->m);
        e->leida = true;
        e->Avisar();
    };
    Cuadrilla::Ficha lectura = cuadrilla_.Encargar(
        Cuadrilla::Prioridad::Miniatura, [e](Cuadrilla::Trabajo &t) { e->Leer(t); }, std::move(o));
    std::lock_guard l(e->m);
    e->lectura = std::move(lectura);
}

CargaMiniaturas::~CargaMiniaturas()
{
    Cancelar();
    estado_->buzon->Cerrar();
}

void CargaMiniaturas::Cancelar()
{
    estado_->cancelado = true;
    std::vector<Cuadrilla::Ficha> fichas;
    {
        std::lock_guard l(estado_->m);
        fichas = estado_->decodificaciones;
        fichas.push_back(estado_->lectura);
    }
    for (const Cuadrilla::Ficha &f : fichas)
        cuadrilla_.Retirar(f);
}

std::vector<CargaMiniaturas::Miniatura> CargaMiniaturas::Tomar()
{
    std::vector<Miniatura> listas;
    Estado &e = *estado_;
    std::lock_guard l(e.m);
    e.avisado = false;
    if (e.cancelado)
        return listas;
    const int n = int(e.hechas.size()) - 1;
    while (e.siguiente <= n) {
        Estado::Pagina &p = e.hechas[std::size_t(e.siguiente)];
        // A page never sent once the reading is over is not in the document.
        if (!p.Hecha && (p.Enviada || !e.leida))
            break;
        p.Resultado.Pagina = e.siguiente;
        listas.push_back(std::move(p.Resultado));
        p.Resultado = {};
        ++e.siguiente;
    }
    return listas;
}

bool CargaMiniaturas::Terminada() const
{
    const Estado &e = *estado_;
    std::lock_guard l(e.m);
    return e.leida && e.enVuelo == 0 && e.siguiente >= int(e.hechas.size());
}
