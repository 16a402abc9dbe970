// Prior class load on arbitrary bytes, after a small covariate table.
#include "carga_comun.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    cargaArchivo& ds = dataset();
    ds.prioriUniforme();
    const auto* antes = ds.priori.get();
    const int codigo = ds.cargaPriori(entrada(datos, n));
    codigoSensato(codigo, ds, lineas(datos, n), antes, ds.priori);
    if (codigo != 0) return 0;
    QUEL_EXIGE(forma(ds.priori, ds.renglones, 2));
    for (int v : ds.priori->datos[0]) QUEL_EXIGE(v >= 0 && v <= 3);
    for (int v : ds.priori->datos[1]) QUEL_EXIGE(v == 0);
    return 0;
}
