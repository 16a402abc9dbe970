#pragma once
// Temporary: site search over a compact region through the loaded-table form.
#include <cstdint>
#include <vector>

#include "data/regionCompacta.h"
#include "engine/asignaSitios.h"

int asignaSitios(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                 TImagenN<float>& sitios, std::vector<int>* filas);
std::vector<LugarSitio> ubicaSitios(const std::vector<std::uint8_t>& valida,
                                    const quel::CoordenadasRegion& coordenadas, const TImagenN<float>& sitios,
                                    const std::vector<int>* validas = nullptr);
