// Fuzz target: occurrence downloads into the sites file. Every kept record
// must come out as one species,x,y line, and the counts must add up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/ocurrencias.h"

using namespace quel::ocurrencias;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    std::string_view texto(reinterpret_cast<const char*>(datos), tam);
    TImagenN<float> coords(4, 2);
    TImagenN<int> covs(4, 1);
    for (int i = 0; i < 4; ++i) {
        coords.datos[0][static_cast<std::size_t>(i)] = static_cast<float>(i % 2);
        coords.datos[1][static_cast<std::size_t>(i)] = static_cast<float>(1 - i / 2);
        covs.datos[0][static_cast<std::size_t>(i)] = i != 1;
    }
    Region region;
    if (!region.lee(coords, covs)) std::abort();
    for (const Region* r : {static_cast<const Region*>(nullptr), static_cast<const Region*>(&region)}) {
        Opciones o;
        o.unoPorCelda = r != nullptr;
        Resultado res;
        Error e;
        if (!convierte(texto, o, r, res, e)) continue;
        std::int64_t lineas = res.sitios.empty() ? 0 : 1, kept = 0;
        for (char c : res.sitios) lineas += c == '\n';
        for (const Conteo& c : res.especies) kept += c.conservados;
        if (lineas != res.conservados || kept != res.conservados) std::abort();
        (void)res.informe();
    }
    return 0;
}
