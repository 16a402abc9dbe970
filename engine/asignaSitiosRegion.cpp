#include "engine/asignaSitiosRegion.h"

namespace {
TImagenN<int> bandera(const std::vector<std::uint8_t>& valida) {
    TImagenN<int> t(static_cast<int>(valida.size()), 1);
    for (std::size_t r = 0; r < valida.size(); ++r) t.datos[0][r] = valida[r];
    return t;
}
}  // namespace

int asignaSitios(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                 TImagenN<float>& sitios, std::vector<int>* filas) {
    return asignaSitios(bandera(valida), coordenadas.comoTabla(), sitios, filas);
}

std::vector<LugarSitio> ubicaSitios(const std::vector<std::uint8_t>& valida,
                                    const quel::CoordenadasRegion& coordenadas, const TImagenN<float>& sitios,
                                    const std::vector<int>* validas) {
    return ubicaSitios(bandera(valida), coordenadas.comoTabla(), sitios, validas);
}
