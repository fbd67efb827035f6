#pragma once
// Pages made ready before they are asked for: read from the document into
// memory, decoded and reduced to the size they will be shown at on the
// decode pool's workers, and kept in a cache bounded by a memory budget.
// The page the reader waits for goes first, then the read-ahead, nearest
// first. It knows nothing of windows: the caller says how each page will be
// laid out.
#include "documento/Cuadrilla.h"
#include "imaging/ControlImagen.h"
#include "imaging/Diseno.h"
#include "shell/ErrorLectura.h"

#include <QObject>
#include <QStringList>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class FuentePaginas;

// How a page will be laid out when it is shown.
struct PedidoPagina {
    int Pagina = 0;
    diseno::Modo Modo = diseno::Modo::Pantalla; // DosPaginas: one half
    diseno::Ventana Ventana;
    double PixelesPorTwip = 1.0 / 15;
    std::int32_t EstirarW = 0;      // a stretching holder's size, twips (PNG pages)
    std::int32_t EstirarH = 0;
    bool operator==(const PedidoPagina &) const = default;
};

// The size in pixels a page of `natural` pixels is shown at for the request.
QSize TamanoMostrado(const PedidoPagina &p, QSize natural);

struct PaginaPreparada {
    Motivo Razon = Motivo::NoDecodificable; // Ninguno: ready to show
    bool Lista() const { return Razon == Motivo::Ninguno; }
    ControlImagen Imagen;      // the picture and what belongs to it
    PedidoPagina Para;
    std::shared_ptr<const OrigenPicture> Datos;
    std::size_t Bytes() const;
};

class PreparadorPaginas : public QObject {
    Q_OBJECT
public:
    using Entrada = std::shared_ptr<const PaginaPreparada>;

    // What the pages are read from. Sources are never changed once open.
    struct Contenido {
        std::shared_ptr<const FuentePaginas> Fuente;
        QStringList Paginas;     // 1-based: element 0 is unused
        bool operator==(const Contenido &) const = default;
    };

    static constexpr std::size_t PresupuestoPorDefecto = 160u * 1024 * 1024;

    // The pool must outlive this.
    explicit PreparadorPaginas(Cuadrilla &cuadrilla, std::size_t presupuesto = PresupuestoPorDefecto,
                               QObject *parent = nullptr);
    // Stops its pages under way (at their next row) and waits for them.
    ~PreparadorPaginas() override;
    PreparadorPaginas(const PreparadorPaginas &) = delete;
    PreparadorPaginas &operator=(const PreparadorPaginas &) = delete;

    // A different document forgets every page of the previous one; opening
    // one again (its files may have changed) as well.
    void Abrir(const Contenido &d);
    void Olvidar();
    // Forgets the pages that failed for want of the right password: one
    // has just been given.
    void OlvidarSinClave();

    // Blocking: the page as requested, from the cache, or made on a worker
    // at the highest priority while the calling thread waits. Null only for
    // a page outside the document. Never on the interface thread (the
    // window asks with Pedir); for the benchmark, tests and other threads.
    Entrada Obtener(const PedidoPagina &p);

    // Non-blocking: the page as requested when the cache holds it.
    Entrada Buscar(const PedidoPagina &p) const;
    // Non-blocking: the pages the screen needs now (one, or the two halves
    // of a spread), made at the highest priority. PaginaLista follows for
    // each of them on this object's thread, never inside this call (a page
    // in the cache at the next turn of the event loop), and never for a
    // page of a document opened since. Pages asked before and not among
    // these are no longer awaited: a job that has not started on one is
    // dropped, one under way finishes into the cache. Pages outside the
    // document are ignored.
    void Pedir(const std::vector<PedidoPagina> &pedidos);

    // The pages to prepare next, nearest first; replaces the previous wish.
    // A page under way that is still wished for (or asked for) goes on.
    // `esperada`: the page about to be asked for, started now at the
    // highest priority.
    void Anticipar(const std::vector<PedidoPagina> &pedidos, const std::optional<PedidoPagina> &esperada = {});

    // For tests and the benchmark.
    std::size_t BytesEnCache() const;
    void EsperarInactivo();
    int Obreros() const { return cuadrilla_.Obreros(); }

signals:
    void PaginaLista(const PedidoPagina &pedido, std::shared_ptr<const PaginaPreparada> pagina);

private:
    // A page a job of the pool is making.
    struct Marcha {
        PedidoPagina Pedido;
        bool Esperada = false;        // asked for now, not read ahead
        Cuadrilla::Ficha Ficha;
        bool Hecha = false;
        Entrada Resultado;            // once done: null when it stopped short
        Entrada Fallida;              // what a job that threw leaves
    };
    using MarchaPtr = std::shared_ptr<Marcha>;

    // On the workers.
    void Tirar(Cuadrilla::Trabajo &t);                         // the next page of the wish
    void HacerEsperada(Cuadrilla::Trabajo &t, const MarchaPtr &m);
    void Hacer(std::unique_lock<std::mutex> &l, Cuadrilla::Trabajo &t, const MarchaPtr &m);
    // With the lock held.
    void Terminar(const MarchaPtr &m, const Entrada &e, std::uint64_t generacion);
    MarchaPtr Lanzar(const PedidoPagina &p);
    void Detener(const MarchaPtr &m);
    void Descartar(const MarchaPtr &m);
    void Alimentar();
    void Reponer();
    void Entregar(const PedidoPagina &p, const Entrada &e);
    void OlvidarConCerrojo();
    void Guardar(const Entrada &e);
    int Distancia(int a, int b) const;
    Entrada EnCache(const PedidoPagina &p) const;
    MarchaPtr EnCurso(const PedidoPagina &p) const; // a job making p, not stopped
    bool Cabe(const PedidoPagina &p) const;
    void Recordar(const Cuadrilla::Ficha &f);

    Cuadrilla &cuadrilla_;
    const std::size_t presupuesto_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    Contenido doc_;
    std::uint64_t generacion_ = 0;
    std::map<int, Entrada> cache_;
    std::size_t bytes_ = 0;
    std::size_t ultimoTamano_ = 0;
    std::deque<PedidoPagina> cola_;          // the wish
    std::vector<PedidoPagina> pedidos_;      // asked by Pedir, not yet handed over
    std::vector<MarchaPtr> marchas_;
    std::vector<Cuadrilla::Ficha> fichas_;   // jobs given to the pool, perhaps not done
    Cuadrilla::Ficha adelanto_;              // the source's work ahead
    int tirones_ = 0;                        // read-ahead jobs queued or running
    int centro_ = 1;
    bool salir_ = false;
    std::shared_ptr<Buzon> buzon_;
};
