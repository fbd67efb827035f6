#include "documento/TallerDecodificacion.h"

#include <algorithm>

#ifdef __linux__
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

std::size_t BytesDe(const TallerDecodificacion::Trabajo &t)
{
    return t.Datos ? std::size_t(t.Datos->Datos.size()) : 0;
}

} // namespace

TallerDecodificacion::TallerDecodificacion(Decodificar decodificar, int hilos, int cortesia,
                                           std::size_t bytesEnCola)
    : decodificar_(std::move(decodificar)), bytesEnCola_(bytesEnCola)
{
    if (hilos <= 0)
        hilos = int(std::max(1u, std::thread::hardware_concurrency()));
    hilos_.reserve(std::size_t(hilos));
    for (int i = 0; i < hilos; ++i)
        hilos_.emplace_back([this, cortesia] {
            BajarPrioridad(cortesia);
            Trabajar();
        });
}

void TallerDecodificacion::BajarPrioridad(int cortesia)
{
#ifdef __linux__
    // A thread's nice value is its own on Linux.
    if (cortesia > 0) {
        const id_t hilo = id_t(::gettid());
        errno = 0;
        const int actual = ::getpriority(PRIO_PROCESS, hilo);
        if (errno == 0)
            ::setpriority(PRIO_PROCESS, hilo, std::min(actual + cortesia, 19));
    }
#else
    (void)cortesia;
#endif
}

TallerDecodificacion::~TallerDecodificacion()
{
    {
        std::lock_guard l(m_);
        salir_ = true;
        cancelado_ = true;
        cola_.clear();
        detener_ = true;
    }
    cv_.notify_all();
    for (std::thread &h : hilos_)
        h.join();
}

bool TallerDecodificacion::Cabe(const Trabajo &t) const
{
    if (cola_.empty())
        return true; // a page larger than the bound still goes, alone
    return cola_.size() < 2 * hilos_.size() && bytes_ + BytesDe(t) <= bytesEnCola_;
}

bool TallerDecodificacion::Poner(Trabajo t)
{
    std::unique_lock l(m_);
    cv_.wait(l, [&] { return cancelado_ || Cabe(t); });
    if (cancelado_)
        return false;
    bytes_ += BytesDe(t);
    cola_.push_back(std::move(t));
    cv_.notify_all();
    return true;
}

void TallerDecodificacion::Cancelar()
{
    {
        std::lock_guard l(m_);
        cancelado_ = true;
        cola_.clear();
        bytes_ = 0;
        detener_ = true;
    }
    cv_.notify_all();
}

void TallerDecodificacion::Vaciar()
{
    std::unique_lock l(m_);
    if (salir_)
        return;
    cola_.clear();
    bytes_ = 0;
    detener_ = true;
    cv_.notify_all();
    cv_.wait(l, [&] { return ocupados_ == 0; });
    detener_ = false;
    cancelado_ = false;
}

void TallerDecodificacion::EsperarInactivo()
{
    std::unique_lock l(m_);
    cv_.wait(l, [&] { return cola_.empty() && ocupados_ == 0; });
}

void TallerDecodificacion::Trabajar()
{
    std::unique_lock l(m_);
    for (;;) {
        cv_.wait(l, [&] { return salir_ || !cola_.empty(); });
        if (salir_)
            return;
        const Trabajo t = std::move(cola_.front());
        cola_.pop_front();
        bytes_ -= BytesDe(t);
        ++ocupados_;
        cv_.notify_all(); // room in the queue
        l.unlock();
        decodificar_(t, detener_);
        l.lock();
        --ocupados_;
        cv_.notify_all();
    }
}
