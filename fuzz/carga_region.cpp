// The fast region reader against the text loaders on arbitrary bytes: the
// first byte picks the table (covariates, bias, prior) and the chunk size.
// Whatever the reader takes must be what the text loader stores, bit for
// bit, on one thread or three; whatever the text loader refuses, the reader
// must not take.
#include "carga_comun.h"
#include "data/cargaRegion.h"

using namespace fuzzcarga;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    if (n == 0) return 0;
    const int tipo = datos[0] % 3;
    quel::fijaBytesTrozoRegion(1 + datos[0] / 3 % 16);
    const auto ruta = entrada(datos + 1, n - 1);

    cargaArchivo ds(carpeta().ruta());
    const int codigo = tipo == 0 ? ds.cargaCovariables(ruta) : tipo == 1 ? ds.cargaSesgo(ruta) : ds.cargaPriori(ruta);
    const quel::RegionCompacta esperada = quel::regionDe(ds, tipo != 1, tipo != 2);
    for (const int hilos : {1, 3}) {
        quel::RegionCompacta r;
        const auto fin = tipo == 0   ? quel::cargaCovariablesRegion(ruta, r, hilos, progresoNulo())
                         : tipo == 1 ? quel::cargaSesgoRegion(ruta, r, hilos, progresoNulo())
                                     : quel::cargaPrioriRegion(ruta, r, hilos, progresoNulo());
        QUEL_EXIGE(fin != quel::FinCargaRegion::kCancelada);
        if (codigo != 0) QUEL_EXIGE(fin != quel::FinCargaRegion::kBien);
        if (fin == quel::FinCargaRegion::kBien) QUEL_EXIGE(quel::mismaRegion(r, esperada));
        else QUEL_EXIGE(quel::mismaRegion(r, quel::RegionCompacta{}));
    }
    return 0;
}
