// Fuzzes the classification of a grid into a covariate column: any grid text
// and any number of classes, automatic (equal intervals or equal frequency)
// or manual, must give a category per cell within the classes, or a clear
// code; never a crash or a hang. Equal-frequency categories never decrease
// as the value grows and never split equal values.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "data/exportaArchivo.h"

namespace {

const std::filesystem::path& carpeta() {
    static const std::filesystem::path c = [] {
        auto p = std::filesystem::temp_directory_path() / ("quel-fuzz-clases-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(carpeta(), ec);
        });
        return p;
    }();
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    if (n < 1) return 0;
    const int clases = datos[0] % 70;  // the chooser offers 0 to 63
    const bool manual = clases >= 64;
    const bool cuantiles = !manual && datos[0] >= 140;
    const auto grid = carpeta() / "g.asc";
    if (std::FILE* f = std::fopen(grid.c_str(), "wb")) {
        std::fwrite(datos + 1, 1, n - 1, f);
        std::fclose(f);
    }
    exportaArchivo ex{quel::RaizDatos(carpeta())};
    const int r = ex.generaCovariable(clases, grid, datos[0] & 1, manual, cuantiles);
    if (r == 0) {
        const int tope = ex.clases().numero;
        if (ex.categorias().size() != ex.grid().valores.size()) std::abort();
        for (std::size_t i = 0; i < ex.categorias().size(); ++i) {
            const int c = ex.categorias()[i];
            if (c < 0 || c > tope || (c == 0 && !ex.grid().sinDato[i] && !manual)) std::abort();
        }
        if (cuantiles) {
            std::vector<std::pair<float, int>> v;
            for (std::size_t i = 0; i < ex.categorias().size(); ++i)
                if (!ex.grid().sinDato[i]) v.emplace_back(static_cast<float>(ex.grid().valores[i]), ex.categorias()[i]);
            std::sort(v.begin(), v.end());
            for (std::size_t i = 1; i < v.size(); ++i)
                if (v[i].second < v[i - 1].second || (v[i].first == v[i - 1].first && v[i].second != v[i - 1].second))
                    std::abort();
            if (tope > clases) std::abort();
        }
    } else if (r != 9 && r != 12) {
        std::abort();
    }
    return 0;
}
