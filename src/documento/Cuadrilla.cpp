#include "documento/Cuadrilla.h"

#include "archive/Nombres.h"

#include <QCoreApplication>

#include <algorithm>

#ifdef __linux__
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>
#endif

Cuadrilla::Trabajo::Trabajo(Prioridad p, Tarea t, Opciones o)
    : prioridad_(p), tarea_(std::move(t)), reanudable_(o.Reanudable), alFallar_(std::move(o.AlFallar)),
      cedible_(o.Cedible)
{
}

void Cuadrilla::Trabajo::Cancelar()
{
    cancelado_ = true;
    detener_ = true;
}

Cuadrilla::Cuadrilla(int obreros, int cortesia)
{
    archivo::AsegurarLocaleUtf8(); // before any worker: they never change it
    if (obreros <= 0)
        obreros = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(ObrerosMaximos)));
    hilos_.reserve(std::size_t(obreros));
    for (int i = 0; i < obreros; ++i)
        hilos_.emplace_back([this, cortesia] {
            BajarPrioridad(cortesia);
            Trabajar();
        });
}

Cuadrilla::~Cuadrilla()
{
    std::deque<Ficha> colas[Prioridades];
    std::vector<Trabajo::Restos> restos;
    {
        std::lock_guard l(m_);
        salir_ = true;
        for (int i = 0; i < Prioridades; ++i) {
            for (const Ficha &t : colas_[i]) {
                t->Cancelar();
                restos.push_back(Acabar(*t));
            }
            colas[i].swap(colas_[i]);
        }
        for (const Ficha &t : enCurso_)
            t->Cancelar();
    }
    cv_.notify_all();
    for (std::thread &h : hilos_)
        h.join();
}

void Cuadrilla::BajarPrioridad(int cortesia)
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

Cuadrilla::Ficha Cuadrilla::Encargar(Prioridad p, Tarea tarea)
{
    return Encargar(p, std::move(tarea), Opciones());
}

Cuadrilla::Ficha Cuadrilla::Encargar(Prioridad p, Tarea tarea, Opciones opciones)
{
    auto t = std::make_shared<Trabajo>(p, std::move(tarea), std::move(opciones));
    {
        std::lock_guard l(m_);
        if (salir_) {
            t->Cancelar();
            t->fase_ = Trabajo::Fase::Hecho;
            return t;
        }
        colas_[int(p)].push_back(t);
        if (p == Prioridad::Esperada)
            Ceder();
    }
    cv_.notify_all();
    return t;
}

void Cuadrilla::Ceder()
{
    // Workers soon free: idle ones, and those already told to stop.
    int libres = Obreros() - int(enCurso_.size());
    for (const Ficha &t : enCurso_)
        libres += t->detener_ ? 1 : 0;
    int falta = int(std::count_if(colas_[0].begin(), colas_[0].end(), [](const Ficha &t) { return !t->cancelado_; }))
                - libres;
    while (falta-- > 0) {
        Trabajo *victima = nullptr;
        for (const Ficha &t : enCurso_) {
            if (t->prioridad_ == Prioridad::Esperada || !t->cedible_ || t->detener_)
                continue;
            if (!victima || std::pair(int(t->prioridad_), int(t->orden_)) > std::pair(int(victima->prioridad_), int(victima->orden_)))
                victima = t.get();
        }
        if (!victima)
            return;
        victima->cedido_ = true;
        victima->detener_ = true;
    }
}

void Cuadrilla::Ejecutar(Trabajo &t)
{
    // Whatever the task throws (out of memory, a reader's exception) ends
    // the task, never the worker.
    try {
        t.tarea_(t);
    } catch (...) {
        try {
            if (t.alFallar_)
                t.alFallar_();
        } catch (...) {
        }
    }
}

void Cuadrilla::Trabajar()
{
    std::unique_lock l(m_);
    for (;;) {
        Ficha t;
        cv_.wait(l, [&] {
            return salir_ || std::any_of(std::begin(colas_), std::end(colas_), [](const auto &c) { return !c.empty(); });
        });
        if (salir_)
            return;
        for (auto &c : colas_)
            if (!c.empty()) {
                t = std::move(c.front());
                c.pop_front();
                break;
            }
        if (!t->cancelado_) {
            t->fase_ = Trabajo::Fase::EnCurso;
            enCurso_.push_back(t);
            l.unlock();
            Ejecutar(*t);
            l.lock();
            std::erase(enCurso_, t);
        }
        Trabajo::Restos restos;
        if (t->cedido_ && t->reanudable_ && !t->cancelado_ && !salir_) {
            t->cedido_ = false;
            t->detener_ = false;
            t->fase_ = Trabajo::Fase::EnCola;
            colas_[int(t->prioridad_)].push_front(t);
        } else {
            restos = Acabar(*t);
        }
        cv_.notify_all();
        // What it held goes now, outside the lock.
        l.unlock();
        restos = {};
        t.reset();
        l.lock();
    }
}

Cuadrilla::Trabajo::Restos Cuadrilla::Acabar(Trabajo &t)
{
    t.fase_ = Trabajo::Fase::Hecho;
    Trabajo::Restos r;
    r.Cuerpo.swap(t.tarea_);
    r.AlFallar.swap(t.alFallar_);
    return r;
}

bool Cuadrilla::Retirar(const Ficha &f)
{
    if (f)
        f->Cancelar();
    return Quitar(f);
}

bool Cuadrilla::Quitar(const Ficha &f)
{
    if (!f)
        return false;
    Trabajo::Restos restos;
    {
        std::lock_guard l(m_);
        if (f->fase_ != Trabajo::Fase::EnCola)
            return false;
        f->Cancelar();
        std::erase(colas_[int(f->prioridad_)], f);
        restos = Acabar(*f);
    }
    cv_.notify_all();
    return true;
}

bool Cuadrilla::HacerAqui(const Ficha &f)
{
    {
        std::lock_guard l(m_);
        if (!f || f->fase_ != Trabajo::Fase::EnCola || f->cancelado_)
            return false;
        std::erase(colas_[int(f->prioridad_)], f);
        f->fase_ = Trabajo::Fase::EnCurso;
        ++aqui_;
    }
    Ejecutar(*f);
    Trabajo::Restos restos;
    {
        std::lock_guard l(m_);
        --aqui_;
        restos = Acabar(*f);
    }
    cv_.notify_all();
    return true;
}

void Cuadrilla::Esperar(const Ficha &f)
{
    if (!f)
        return;
    if (f->Cancelado())
        Retirar(f);
    std::unique_lock l(m_);
    cv_.wait(l, [&] { return f->fase_ == Trabajo::Fase::Hecho; });
}

void Cuadrilla::EsperarInactiva()
{
    std::unique_lock l(m_);
    cv_.wait(l, [&] {
        return enCurso_.empty() && aqui_ == 0
               && std::all_of(std::begin(colas_), std::end(colas_), [](const auto &c) { return c.empty(); });
    });
}

namespace {

// Runs on the interface thread what the workers send through the mailboxes.
// The hand-over goes through a lock of ours rather than through the event
// itself, so it is the same whoever looks (ThreadSanitizer does not see
// inside Qt); the event that wakes it carries nothing.
class Repartidor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    static Repartidor &El()
    {
        static Repartidor *const repartidor = new Repartidor(QCoreApplication::instance());
        return *repartidor;
    }
    void Poner(std::shared_ptr<Buzon> buzon, std::function<void()> f)
    {
        std::lock_guard l(m_);
        cola_.push_back({std::move(buzon), std::move(f)});
        if (!avisado_) {
            avisado_ = true;
            QMetaObject::invokeMethod(this, "Repartir", Qt::QueuedConnection);
        }
    }

public slots:
    void Repartir()
    {
        std::deque<std::pair<std::shared_ptr<Buzon>, std::function<void()>>> tomadas;
        {
            std::lock_guard l(m_);
            tomadas.swap(cola_);
            avisado_ = false;
        }
        for (auto &[buzon, f] : tomadas)
            if (buzon->Abierto())
                f();
    }

private:
    std::mutex m_;
    std::deque<std::pair<std::shared_ptr<Buzon>, std::function<void()>>> cola_;
    bool avisado_ = false;
};

} // namespace

Buzon::Buzon()
{
    Repartidor::El(); // here, on the interface thread, where it must live
}

void Buzon::Enviar(std::function<void()> f)
{
    Repartidor::El().Poner(shared_from_this(), std::move(f));
}

#include "Cuadrilla.moc"
