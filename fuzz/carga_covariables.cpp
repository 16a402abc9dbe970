// Covariate table load on arbitrary bytes.
#include <cmath>

#include "carga_comun.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    cargaArchivo& ds = dataset();
    const auto* antes = ds.covariables.get();
    const int covariablesAntes = ds.numCovariables;
    const int codigo = ds.cargaCovariables(entrada(datos, n));
    codigoSensato(codigo, ds, lineas(datos, n), antes, ds.covariables);
    if (codigo != 0) {
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
