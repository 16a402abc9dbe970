// Presence sites load on arbitrary bytes, after a small covariate table.
#include <cmath>

#include "carga_comun.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    cargaArchivo& ds = dataset();
    const auto* especiesAntes = ds.especies.get();
    if (carga(datos, n, &cargaArchivo::cargaSitios, &cargaArchivo::sitios) != 0) {
        QUEL_EXIGE(ds.especies.get() == especiesAntes);
        return 0;
    }
    const int r = ds.renglones;
    QUEL_EXIGE(r == lineas(datos, n));  // every line is a site
    QUEL_EXIGE(forma(ds.sitios, r, 3));
    QUEL_EXIGE(forma(ds.especies, r, 1));
    const auto& nombres = ds.especies->datos[0];
    int distintas = 1;
    for (std::size_t i = 0; i < nombres.size(); ++i) {
        QUEL_EXIGE(nombres[i].find_first_of(" ,\t\r\n") == std::string::npos);
        QUEL_EXIGE(std::isfinite(ds.sitios->datos[0][i]) && std::isfinite(ds.sitios->datos[1][i]));
        QUEL_EXIGE(ds.sitios->datos[2][i] == 0);
        if (i > 0) {
            QUEL_EXIGE(nombres[i - 1] <= nombres[i]);
            distintas += nombres[i - 1] != nombres[i];
        }
    }
    QUEL_EXIGE(ds.numEspecies == distintas);
    return 0;
}
