#pragma once
// Pages made ready before they are asked for: read from the document into
// memory, decoded and reduced to the size they will be shown at on worker
// threads (one per core, two at most), and kept in a cache bounded by a
// memory budget. The page the reader waits for always goes first: while it is
// prepared, the workers leave it a core. It knows nothing of windows: the
// caller says how each page will be laid out.
#include "imaging/ControlImagen.h"
#include "imaging/Diseno.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
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
    enum class Estado {
        Lista,
        Error,     // not decodable: message 200
        Extraer,   // its data did not come out in memory (a password?): extract it
    };
    Estado Estado = Estado::Error;
    ControlImagen Imagen;      // the picture and what belongs to it
    PedidoPagina Para;
    std::shared_ptr<const OrigenPicture> Datos;
    std::size_t Bytes() const;
};

class PreparadorPaginas {
public:
    // What the pages are read from. Sources are never changed once open.
    struct Contenido {
        std::shared_ptr<const FuentePaginas> Fuente;
        QStringList Paginas;     // 1-based: element 0 is unused
        bool operator==(const Contenido &) const = default;
    };

    static constexpr std::size_t PresupuestoPorDefecto = 160u * 1024 * 1024;
    static constexpr int ObrerosMaximos = 2;

    // `obreros` 0: one per core, at most ObrerosMaximos.
    explicit PreparadorPaginas(std::size_t presupuesto = PresupuestoPorDefecto, int obreros = 0);
    ~PreparadorPaginas();
    PreparadorPaginas(const PreparadorPaginas &) = delete;
    PreparadorPaginas &operator=(const PreparadorPaginas &) = delete;

    // A different document forgets every page of the previous one; opening
    // one again (its files may have changed) as well.
    void Abrir(const Contenido &d);
    void Olvidar();

    // The page as requested: from the cache, from a worker when one is on it,
    // or prepared right here. Null only for a page outside the document.
    std::shared_ptr<const PaginaPreparada> Obtener(const PedidoPagina &p);

    // The pages to prepare next, nearest first; replaces the previous wish.
    // A page a worker is on and that is still wished for goes on.
    // `esperada`: the page about to be asked for, made on the asking thread
    // unless a worker is already on it.
    void Anticipar(const std::vector<PedidoPagina> &pedidos, const std::optional<PedidoPagina> &esperada = {});

    // For tests and the benchmark.
    std::size_t BytesEnCache() const;
    bool EnCache(const PedidoPagina &p) const;
    void EsperarInactivo();
    int Obreros() const { return int(obreros_.size()); }

private:
    using Entrada = std::shared_ptr<const PaginaPreparada>;
    struct Obrero {
        std::optional<PedidoPagina> enCurso;
        std::atomic<bool> cancelar{false};
        std::thread hilo;
    };
    void Trabajar(Obrero &o);
    void OlvidarConCerrojo();
    Entrada Buscar(const PedidoPagina &p) const;      // with the lock held
    void Guardar(const Entrada &e);                   // with the lock held
    int Distancia(int a, int b) const;
    Obrero *EnCurso(const PedidoPagina &p) const;     // with the lock held: a worker making p
    bool Cabe(const PedidoPagina &p) const;           // with the lock held
    int Ocupados() const;                             // with the lock held
    bool PuedeEmpezar() const;                        // with the lock held
    void DejarSitio(const PedidoPagina &esperada);    // with the lock held

    const std::size_t presupuesto_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    Contenido doc_;
    std::uint64_t generacion_ = 0;
    std::map<int, Entrada> cache_;
    std::size_t bytes_ = 0;
    std::size_t ultimoTamano_ = 0;
    std::deque<PedidoPagina> cola_;
    int esperadas_ = 0;      // pages being prepared on the caller's thread
    int centro_ = 1;
    bool salir_ = false;
    std::vector<std::unique_ptr<Obrero>> obreros_;
};
