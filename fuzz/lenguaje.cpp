// Fuzz target: the language file reader, the message tables it fills and the
// safe fillers over whatever texts it yields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/lenguaje.h"

using namespace quel::lenguaje;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    std::string_view bytes(reinterpret_cast<const char*>(datos), tam);
    ArchivoLenguaje a = leeLenguaje(bytes);
    TablasMensajes t;
    aplicaTablas(a, t);
    aplicaTablas(a, t);
    for (int linea = 0; linea <= 32; ++linea) {
        const auto& c = campos(a, linea);
        if (!c) continue;
        for (const auto& campo : *c)
            if (campo.empty() || campo.find(',') != std::string::npos) std::abort();
    }
    for (const Destino& d : kDestinos) {
        const auto& c = campos(a, d.linea);
        if (c && d.campo < c->size() && (*c)[d.campo].empty()) std::abort();
    }
    for (int codigo = -1; codigo <= 13; ++codigo) (void)textoCajaError(t, codigo, 2147483647);
    (void)textoTiempo(t, 59.5);
    (void)textoTiempo(t, 1e300);
    // The whole input as a format: never more than one conversion filled.
    std::string r = rellenaEntero(bytes, -1234567890123LL);
    std::string s = rellenaReal(bytes, -1.5e-300);
    if (r.size() > bytes.size() + kMaxAnchoConversion + 40) std::abort();
    if (s.size() > bytes.size() + kMaxAnchoConversion + 400) std::abort();
    return 0;
}
