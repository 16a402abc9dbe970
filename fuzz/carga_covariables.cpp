// Covariate table load on arbitrary bytes.
#include <cmath>

#include "carga_comun.h"
#include "engine/ejecutarQuel.h"

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
    // Whatever counts the table declares, a run under a small limit either
    // fits or stops with code 13 before building a pair table.
    if (m <= 40) {
        ejecutarQuel motor(1);
        motor.fijaLimiteMemoria(std::uint64_t{256} << 20);
        ds.sesgoUniforme();
        ds.prioriUniforme();
        const int codigo = motor.preparaPriori(copiaDatos::de(ds), 1);
        QUEL_EXIGE(codigo == 0 || codigo == 3 || codigo == 11 || codigo == 12 || codigo == 13);
        if (codigo == 13) QUEL_EXIGE(motor.pares.empty() && !motor.error().detalle.empty());
    }
    return 0;
}
