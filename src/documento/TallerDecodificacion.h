#pragma once
// Decode workers: encoded pages in, pictures out, on as many threads as the
// machine runs at once. Work waits in a short queue and whoever gives it
// waits while the queue is full, so pages are read no faster than they are
// decoded and few are in memory at a time. Cancelling stops the decodes under
// way at once. No files and no widgets: the work function decides what a
// page becomes and where it goes.
#include "imaging/ControlImagen.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TallerDecodificacion {
public:
    struct Trabajo {
        int Indice = 0;                             // the caller's: a page number
        std::shared_ptr<const OrigenPicture> Datos; // the encoded page
    };
    // Runs on a worker; long work looks at `cancelar` as it goes.
    using Decodificar = std::function<void(const Trabajo &, const std::atomic<bool> &cancelar)>;

    static constexpr std::size_t BytesEnColaPorDefecto = 16u * 1024 * 1024;

    // `hilos` 0: one per core the machine runs at once. `cortesia`: how much
    // lower than the thread that makes it the workers run (a nice
    // increment), so that the interface thread gets a core when it asks.
    explicit TallerDecodificacion(Decodificar decodificar, int hilos = 0, int cortesia = 0,
                                  std::size_t bytesEnCola = BytesEnColaPorDefecto);
    ~TallerDecodificacion(); // cancels, and waits for the workers to end
    TallerDecodificacion(const TallerDecodificacion &) = delete;
    TallerDecodificacion &operator=(const TallerDecodificacion &) = delete;

    // Queues the work, waiting while the queue is full (two pages per worker,
    // or its bytes). False when the work was refused: cancelled.
    bool Poner(Trabajo t);
    // From any thread and at once: drops the queue, stops the decodes under
    // way; from then on Poner refuses.
    void Cancelar();
    // Drops the queue and stops the decodes under way, waits until no worker
    // is busy, and takes work again.
    void Vaciar();
    // Until every queued work has been done.
    void EsperarInactivo();

    int Hilos() const { return int(hilos_.size()); }

    // Lowers the calling thread's priority by `cortesia` nice steps.
    static void BajarPrioridad(int cortesia);

private:
    void Trabajar();
    bool Cabe(const Trabajo &t) const; // with the lock held

    const Decodificar decodificar_;
    const std::size_t bytesEnCola_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::deque<Trabajo> cola_;
    std::size_t bytes_ = 0;
    int ocupados_ = 0;
    bool cancelado_ = false;
    bool salir_ = false;
    std::atomic<bool> detener_{false}; // read by the decodes under way
    std::vector<std::thread> hilos_;
};
