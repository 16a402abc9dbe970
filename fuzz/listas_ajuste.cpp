// Fuzzes the lists of quel-cli tune (--schemes, --classes): any text is
// accepted or refused, never a crash; an accepted list is never empty and its
// class counts stay in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "managers/covariates/ajusteClases.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::string texto(reinterpret_cast<const char*>(datos), n);
    std::vector<bool> esquemas;
    if (leeEsquemas(texto, esquemas) && esquemas.empty()) std::abort();
    std::vector<int> clases;
    if (leeClases(texto, clases))
        for (int c : clases)
            if (c < 1 || c > 1000000) std::abort();
    return 0;
}
