// Covariate table load on arbitrary bytes.
#include <cmath>

#include "carga_comun.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    cargaArchivo& ds = dataset();
    const int covariablesAntes = ds.numCovariables;
    if (carga(datos, n, &cargaArchivo::cargaCovariables, &cargaArchivo::covariables) != 0) {
        QUEL_EXIGE(ds.numCovariables == covariablesAntes);
        return 0;
    }
    const int m = ds.numCovariables, r = ds.renglones;
    QUEL_EXIGE(ds.columnas == m + 3);
    QUEL_EXIGE(forma(ds.covariables, r, m + 1));
    QUEL_EXIGE(forma(ds.coordenadas, r, 2));
    QUEL_EXIGE(forma(ds.categorias, m, 1));
    QUEL_EXIGE(forma(ds.nombresCovariables, m, 1));
    for (const auto& col : ds.coordenadas->datos)
        for (float v : col) QUEL_EXIGE(std::isfinite(v));
    QUEL_EXIGE(!std::filesystem::exists(carpeta().ruta() / "CovariablesTmp.txt"));
    return 0;
}
