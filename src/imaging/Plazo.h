#pragma once
// The bound on the work of one page: the caller's cancel flag and a deadline.
// The loaders look at it between rows and records, so a page built to take
// minutes is abandoned after a few seconds and a page no longer wanted stops
// at once. The time counted is the processor time of the thread doing the
// work, so a busy machine does not cut short a page that is merely waiting.
#include <atomic>
#include <chrono>

#if defined(__unix__)
#include <time.h>
#endif

// Fuzz builds give a page less time, so that only work our bounds miss runs
// into the fuzzer's own time limit.
#ifndef TAVELO_PLAZO_MS
#define TAVELO_PLAZO_MS 4000
#endif

class Plazo {
public:
    static constexpr std::chrono::milliseconds TiempoPorPagina{TAVELO_PLAZO_MS};

    explicit Plazo(const std::atomic<bool> *cancelar = nullptr,
                   std::chrono::milliseconds tiempo = TiempoPorPagina)
        : cancelar_(cancelar), fin_(Ahora() + tiempo)
    {
    }

    bool Cancelado() const { return cancelar_ && cancelar_->load(std::memory_order_relaxed); }
    bool Vencido() const { return Ahora() > fin_; }
    // Whether the work must stop now, for either reason.
    bool Agotado() const { return Cancelado() || Vencido(); }

private:
    static std::chrono::nanoseconds Ahora()
    {
#if defined(__unix__)
        timespec t{};
        if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) == 0)
            return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
#endif
        return std::chrono::steady_clock::now().time_since_epoch();
    }

    const std::atomic<bool> *cancelar_;
    std::chrono::nanoseconds fin_;
};
