#pragma once
// What every benchmark reports besides time: the process's peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

inline double picoMemoriaMB() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return static_cast<double>(uso.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

inline void anotaPicoMemoria(benchmark::State& estado) { estado.counters["peak_MB"] = picoMemoriaMB(); }
