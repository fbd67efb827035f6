#pragma once
// The decode pool: one worker per core (two at most) for everything the
// document reads and decodes, whoever asks. Jobs wait by priority: the page
// the reader waits for, then its read-ahead, then the mini pages, then the
// covers; within a priority, in the order given. A page waited for never
// waits behind lower work: when no worker is free, the lowest job that
// allows it is told to stop (and runs again later when it says so). No
// exception ever leaves a worker. No files and no widgets.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Cuadrilla {
public:
    enum class Prioridad { Esperada, Anticipo, Miniatura, Portada };
    static constexpr int Prioridades = 4;
    static constexpr int ObrerosMaximos = 2;

    class Trabajo;
    using Tarea = std::function<void(Trabajo &)>;

    struct Opciones {
        // It may be stopped to make room for a page waited for...
        bool Cedible = false;
        // ...and then runs again from the start, ahead of its equals.
        bool Reanudable = false;
        // Instead of the task's end when the task threw; must not throw.
        std::function<void()> AlFallar;
    };

    class Trabajo : public std::enable_shared_from_this<Trabajo> {
    public:
        explicit Trabajo(Prioridad p, Tarea t, Opciones o);
        // What long work looks at as it goes: stop now.
        const std::atomic<bool> &Detener() const { return detener_; }
        // Stopped for good by its owner (never run again).
        bool Cancelado() const { return cancelado_; }
        // Stopped to make room for a page waited for.
        bool Cedido() const { return cedido_; }
        // From any thread: the task stops at its next look at Detener, and
        // a job still waiting never starts.
        void Cancelar();
        // While running: among jobs of its priority, the one with the
        // highest order is the first to make room.
        void PonerOrden(int orden) { orden_ = orden; }
        // Whether it may still be stopped to make room.
        void PonerCedible(bool cedible) { cedible_ = cedible; }
        Prioridad Nivel() const { return prioridad_; }

    private:
        friend class Cuadrilla;
        enum class Fase { EnCola, EnCurso, Hecho };
        struct Restos { // what a finished job held, let go outside the lock
            Tarea Cuerpo;
            std::function<void()> AlFallar;
        };
        const Prioridad prioridad_;
        Tarea tarea_;
        const bool reanudable_;
        std::function<void()> alFallar_;
        std::atomic<bool> detener_{false};
        std::atomic<bool> cancelado_{false};
        std::atomic<bool> cedido_{false};
        std::atomic<bool> cedible_;
        std::atomic<int> orden_{0};
        Fase fase_ = Fase::EnCola; // under the pool's lock
    };
    using Ficha = std::shared_ptr<Trabajo>;

    // `obreros` 0: one per core, at most ObrerosMaximos. `cortesia`: how many
    // nice steps below the thread that makes them the workers run.
    explicit Cuadrilla(int obreros = 0, int cortesia = 0);
    // Drops what waits, stops what runs and waits for the workers.
    ~Cuadrilla();
    Cuadrilla(const Cuadrilla &) = delete;
    Cuadrilla &operator=(const Cuadrilla &) = delete;

    // From any thread. After the pool began to end, the job comes back
    // cancelled and never runs.
    Ficha Encargar(Prioridad p, Tarea tarea, Opciones opciones);
    Ficha Encargar(Prioridad p, Tarea tarea);
    // Takes a job that has not started out of the queue, for good; false
    // when a worker has it already (it goes on) or it is done.
    bool Quitar(const Ficha &f);
    // Cancels a job, under way or not, and takes it out of the queue; true
    // when it had not started (it never will).
    bool Retirar(const Ficha &f);
    // Runs a job still in the queue on the calling thread, now; false when
    // a worker has taken it already (or it was cancelled).
    bool HacerAqui(const Ficha &f);
    // Until the job is done or out of the queue. Never from a job's own task.
    void Esperar(const Ficha &f);
    // Until nothing waits and nothing runs (tests and the benchmark).
    void EsperarInactiva();

    int Obreros() const { return int(hilos_.size()); }

    // Lowers the calling thread's priority by `cortesia` nice steps.
    static void BajarPrioridad(int cortesia);

private:
    void Trabajar();
    void Ejecutar(Trabajo &t);
    void Ceder();                            // with the lock held
    static Trabajo::Restos Acabar(Trabajo &t); // with the lock held

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::deque<Ficha> colas_[Prioridades];
    std::vector<Ficha> enCurso_;
    int aqui_ = 0; // jobs run by HacerAqui
    bool salir_ = false;
    std::vector<std::thread> hilos_;
};

// Hands what a job made to an object on the interface thread: each delivery
// runs there, in the order sent, between events. Closed by the object as it
// goes (on that thread), after which nothing more is delivered. Shared by
// the object and its jobs; made on the interface thread.
class Buzon : public std::enable_shared_from_this<Buzon> {
public:
    Buzon();
    void Enviar(std::function<void()> f);
    void Cerrar() { abierto_ = false; }
    bool Abierto() const { return abierto_; }

private:
    bool abierto_ = true; // read and written on the interface thread only
};
