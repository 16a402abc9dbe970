#pragma once
// Progress and cancellation of long core operations. The caller makes one
// object and passes it into the run: progress and log lines go out through
// it, a request to stop comes in. The windows bind it to their progress bars
// and Cancel buttons, the command line to standard error and to SIGINT. The
// core never prints: whatever a run has to say goes to `registra`.
//
// Progress is counted in percent points that add up to 100 over one run;
// `ProgresoTramo` gives a sub-task its own 0..100 inside a share of its
// parent, `PasosProgreso` turns the steps of a tight loop into points.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

class Progreso {
public:
    // Where a log line belongs: the run's own output (the "Iteracion: "
    // lines; standard output on a terminal) or a diagnostic (standard error).
    enum class Canal { kSalida, kAviso };

    virtual ~Progreso() = default;
    Progreso(const Progreso&) = delete;
    Progreso& operator=(const Progreso&) = delete;

    // Advance the bar by `pasos` percent points.
    virtual void avanza(int pasos) = 0;
    // Set the bar to an absolute percentage (0..100).
    virtual void fija(int porcentaje) { (void)porcentaje; }
    // Lets a window keep painting during long loops; cheap to call often.
    virtual void pulso() {}
    // The stage now running, for a caption or a status line.
    virtual void etapa(const std::string& texto) { (void)texto; }
    // One log line, without its line end. May be called from worker threads.
    virtual void registra(Canal canal, const std::string& linea) {
        (void)canal;
        (void)linea;
    }

    // Asks the run to stop at its next check. Safe from any thread and from
    // a signal handler; a second call changes nothing.
    void cancela() noexcept { cancelado_.store(true, std::memory_order_relaxed); }
    // True once this object or the one it reports to was cancelled.
    bool cancelado() const noexcept {
        return cancelado_.load(std::memory_order_relaxed) || (padre_ && padre_->cancelado());
    }

protected:
    Progreso() = default;
    explicit Progreso(Progreso& padre) : padre_(&padre) {}

private:
    Progreso* padre_ = nullptr;
    std::atomic<bool> cancelado_{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "cancela() must be callable from a signal handler");
};

namespace quel {

// Thrown by the core's loops when they find their run cancelled; the run's
// entry catches it and reports the cancellation, having changed nothing.
struct Cancelado {};

// Throws Cancelado when `progreso` was cancelled.
inline void compruebaCancelado(const Progreso& progreso) {
    if (progreso.cancelado()) throw Cancelado{};
}

}  // namespace quel

// A progress sink that ignores everything; used when the caller passes none.
// It can still be cancelled.
class ProgresoNulo final : public Progreso {
public:
    void avanza(int) override {}
};

// The shared null sink, for default arguments: never cancelled (nobody may
// call `cancela` on it).
inline Progreso& progresoNulo() {
    static ProgresoNulo nulo;
    return nulo;
}

// Points handed to `destino` so far, never handed twice: `hasta(n)` gives
// it whatever of the first n points it has not had.
class EntregaPuntos {
public:
    explicit EntregaPuntos(Progreso& destino) : destino_(destino) {}
    void hasta(int objetivo) {
        if (objetivo <= dado_) return;
        destino_.avanza(objetivo - dado_);
        dado_ = objetivo;
    }
    Progreso& destino() const { return destino_; }

private:
    Progreso& destino_;
    int dado_ = 0;
};

// The 0..100 of a sub-task mapped onto the share `parte` of its parent's bar.
// Stage text, log lines, pulses and a cancel request pass through.
class ProgresoTramo final : public Progreso {
public:
    ProgresoTramo(Progreso& padre, int parte) : Progreso(padre), padre_(padre), parte_(parte) {}
    void avanza(int pasos) override { fija(hecho_ + pasos); }
    void fija(int porcentaje) override {
        hecho_ = std::clamp(porcentaje, 0, 100);
        padre_.hasta(hecho_ * parte_ / 100);
    }
    void pulso() override { padre_.destino().pulso(); }
    void etapa(const std::string& texto) override { padre_.destino().etapa(texto); }
    void registra(Canal canal, const std::string& linea) override { padre_.destino().registra(canal, linea); }
    // Hands the parent whatever of the share it has not had yet.
    void termina() { padre_.hasta(parte_); }

private:
    EntregaPuntos padre_;
    int parte_;
    int hecho_ = 0;  // sub-task percent
};

// The steps of a loop as `parte` percent points of `progreso`: `paso()` costs
// an atomic increment, reports only when a whole point has passed, and only
// on the thread that made the counter (workers just count). It returns false
// once the run is cancelled, so `if (!p.paso()) break;` covers both. The
// loop calls `termina()` when it is complete.
class PasosProgreso {
public:
    PasosProgreso(Progreso& progreso, long long total, int parte)
        : entrega_(progreso), total_(std::max(1LL, total)), parte_(parte), dueno_(std::this_thread::get_id()) {}
    PasosProgreso(const PasosProgreso&) = delete;
    PasosProgreso& operator=(const PasosProgreso&) = delete;

    bool paso(long long n = 1) {
        const long long hechos = hechos_.fetch_add(n, std::memory_order_relaxed) + n;
        if (std::this_thread::get_id() == dueno_) {
            entrega_.hasta(static_cast<int>(std::min(hechos, total_) * parte_ / total_));
            entrega_.destino().pulso();
        }
        return !entrega_.destino().cancelado();
    }
    // Hands over the rest of the share (on the owning thread), once the loop is done.
    void termina() {
        if (std::this_thread::get_id() == dueno_) entrega_.hasta(parte_);
    }

private:
    EntregaPuntos entrega_;  // touched only by the owning thread
    long long total_;
    int parte_;
    std::thread::id dueno_;
    std::atomic<long long> hechos_{0};
};
