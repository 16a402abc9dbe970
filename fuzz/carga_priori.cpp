// Prior class load on arbitrary bytes, after a small covariate table.
#include "carga_comun.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    cargaArchivo& ds = dataset();
    ds.prioriUniforme();
    if (carga(datos, n, &cargaArchivo::cargaPriori, &cargaArchivo::priori) != 0) return 0;
    QUEL_EXIGE(forma(ds.priori, ds.renglones, 2));
    for (int v : ds.priori->datos[0]) QUEL_EXIGE(v >= 0 && v <= 3);
    for (int v : ds.priori->datos[1]) QUEL_EXIGE(v == 0);
    return 0;
}
