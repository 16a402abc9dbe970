// Bias surface load on arbitrary bytes, after a small covariate table.
#include "carga_comun.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    cargaArchivo& ds = dataset();
    ds.sesgoUniforme();
    if (carga(datos, n, &cargaArchivo::cargaSesgo, &cargaArchivo::sesgo) != 0) return 0;
    QUEL_EXIGE(ds.columnas == 1);
    QUEL_EXIGE(forma(ds.sesgo, ds.renglones, 1));
    for (float v : ds.sesgo->datos[0]) QUEL_EXIGE(v >= 0 && v <= 1);
    return 0;
}
