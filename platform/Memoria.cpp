#include "platform/Memoria.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include <sys/mman.h>
#include <unistd.h>

namespace quel::memoria {

std::uint64_t fisica() {
    const long paginas = sysconf(_SC_PHYS_PAGES);
    const long tamano = sysconf(_SC_PAGE_SIZE);
    if (paginas <= 0 || tamano <= 0) return 0;
    return static_cast<std::uint64_t>(paginas) * static_cast<std::uint64_t>(tamano);
}

std::uint64_t efectiva(std::uint64_t limite) {
    if (limite > 0) return limite;
    const std::uint64_t f = fisica();
    return f > 0 ? f : std::numeric_limits<std::uint64_t>::max();
}

std::string texto(long double bytes) {
    static const char* const unidades[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1024) return std::to_string(static_cast<long long>(bytes)) + " bytes";
    int u = -1;
    while (bytes >= 1024 && u < 5) {
        bytes /= 1024;
        ++u;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1Lf %s", bytes, unidades[u]);
    return buf;
}

std::optional<std::uint64_t> lee(std::string_view t) {
    if (t.size() > 1 && (t.back() == 'B' || t.back() == 'b')) t.remove_suffix(1);
    long double factor = 1;
    if (!t.empty()) {
        switch (t.back()) {
            case 'k': case 'K': factor = 1024.0L; break;
            case 'm': case 'M': factor = 1024.0L * 1024; break;
            case 'g': case 'G': factor = 1024.0L * 1024 * 1024; break;
            case 't': case 'T': factor = 1024.0L * 1024 * 1024 * 1024; break;
            default: break;
        }
        if (factor > 1) t.remove_suffix(1);
    }
    if (t.empty() || t.front() < '0' || t.front() > '9') return std::nullopt;
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
    const long double bytes = std::floor(static_cast<long double>(v) * factor);
    if (!(bytes >= 1) || bytes > static_cast<long double>(std::numeric_limits<std::uint64_t>::max() / 2))
        return std::nullopt;
    return static_cast<std::uint64_t>(bytes);
}

void paginasGrandes(const void* p, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kPagina = std::uintptr_t{2} << 20;
    const auto inicio = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t desde = (inicio + kPagina - 1) & ~(kPagina - 1);
    const std::uintptr_t hasta = (inicio + bytes) & ~(kPagina - 1);
    if (p && hasta > desde) madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

}  // namespace quel::memoria
