#pragma once
// The core's one parallel loop. Work items are independent and each writes
// only its own results, so what a loop computes never depends on the number
// of threads; only the order in which items start does.
#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Progreso.h"

namespace quel {

// Every core of the machine (at least 1).
inline int hilosMaquina() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

// `hilos` as asked, or every core when it is 0 or less.
inline int hilosEfectivos(int hilos) { return hilos > 0 ? hilos : hilosMaquina(); }

// Calls f(i) for every i in [0, n) on at most `hilos` threads, the calling
// thread among them, and returns when all are done. The first exception a
// worker throws stops the others from taking new items and is thrown again
// here, after every thread has joined. With `progreso`, a cancel request
// likewise stops new items and throws Cancelado.
template <class F>
void paraCada(int n, int hilos, F&& f, const Progreso* progreso = nullptr) {
    const int trabajadores = std::min(hilosEfectivos(hilos), n);
    std::atomic<int> siguiente{0};
    std::exception_ptr error;
    std::mutex candado;
    auto trabaja = [&] {
        try {
            for (int i = siguiente++; i < n; i = siguiente++) {
                if (progreso) compruebaCancelado(*progreso);
                f(i);
            }
        } catch (...) {
            std::lock_guard<std::mutex> l(candado);
            if (!error) error = std::current_exception();
            siguiente = n;
        }
    };
    if (trabajadores > 1) {
        std::vector<std::thread> otros;
        otros.reserve(static_cast<std::size_t>(trabajadores - 1));
        for (int t = 1; t < trabajadores; ++t) otros.emplace_back(trabaja);
        trabaja();
        for (auto& t : otros) t.join();
    } else {
        trabaja();
    }
    if (error) std::rethrow_exception(error);
}

}  // namespace quel
