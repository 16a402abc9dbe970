// The species sort of the sites keeps the order of the exchange sort the
// program has always used (not a stable sort), now without its n^2 cost.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "data/cargaArchivo.h"

TEST(OrdenaSitios, MismoOrdenQueElOrdenamientoPorIntercambio) {
    std::mt19937 azar(7);
    for (int prueba = 0; prueba < 300; ++prueba) {
        const int n = static_cast<int>(azar() % 60), especies = 1 + static_cast<int>(azar() % 6);
        SCOPED_TRACE("case " + std::to_string(prueba));
        TImagenN<AnsiString> nombres(n, 1);
        TImagenN<float> sitios(n, 3);
        for (int i = 0; i < n; ++i) {
            nombres.datos[0][static_cast<std::size_t>(i)] = "sp" + std::to_string(azar() % static_cast<unsigned>(especies));
            sitios.datos[0][static_cast<std::size_t>(i)] = static_cast<float>(i);
        }
        // The exchange sort itself, on names and row numbers.
        std::vector<std::pair<std::string, int>> esperado;
        for (int i = 0; i < n; ++i) esperado.emplace_back(nombres.datos[0][static_cast<std::size_t>(i)], i);
        for (std::size_t i = 0; i < esperado.size(); ++i)
            for (std::size_t j = i + 1; j < esperado.size(); ++j)
                if (esperado[i].first > esperado[j].first) std::swap(esperado[i], esperado[j]);

        cargaArchivo datos;
        datos.ordenaSitios(sitios, nombres);
        int distintas = 0;
        for (int i = 0; i < n; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            ASSERT_EQ(nombres.datos[0][ii], esperado[ii].first) << i;
            ASSERT_EQ(sitios.datos[0][ii], static_cast<float>(esperado[ii].second)) << i;
            distintas += i == 0 || esperado[ii].first != esperado[ii - 1].first;
        }
        EXPECT_EQ(datos.numEspecies, distintas);
    }
}
