#include "managers/prior/transformacionPriori.h"

#include <cmath>
#include <string>
#include <system_error>

#include "data/LectorASCII.h"
#include "data/LectorGDAL.h"
#include "data/cargaArchivo.h"

namespace fs = std::filesystem;
namespace fmt = quel::formato;

transformacionPriori::transformacionPriori(exportaArchivo& exportador, fs::path carpetaTrabajo)
    : ex_(exportador), carpeta_(std::move(carpetaTrabajo)) {}

int transformacionPriori::carga(const fs::path& grid, int& celdas, std::unique_ptr<TImagenN<long double>>& tabla) {
    const fs::path mascara = ex_.rutaMascara();
    int r = ex_.convierteASCII(grid, mascara);
    if (r != 0) return r;
    const auto& g = ex_.grid();
    celdas = static_cast<int>(ex_.encabezado[0] * ex_.encabezado[1]);
    tabla = std::make_unique<TImagenN<long double>>(celdas, 1);
    auto& col = tabla->datos[0];
    for (std::size_t i = 0; i < col.size() && i < g.valores.size(); ++i) col[i] = g.valores[i];
    std::error_code ec;
    fs::remove(mascara, ec);
    return 0;
}

int transformacionPriori::cargaBase(const fs::path& grid) {
    const int r = carga(grid, celdasBase, base);
    if (r == 0) rutaBase = grid;
    return r;
}

int transformacionPriori::cargaPriori(const fs::path& grid) {
    const int r = carga(grid, celdasPriori, priori);
    if (r == 0) rutaPriori = grid;
    return r;
}

namespace {

bool sinDato(long double v, double nodata) {
    return std::isnan(v) || quel::esSinDato(static_cast<double>(v), nodata);
}

}  // namespace

std::string transformacionPriori::texto() const {
    std::string s;
    const auto& t = transformada->datos[0];
    s.reserve(t.size() * 3);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i > 0) s += '\n';
        fmt::real(s, static_cast<double>(t[i]));
        s += ',';
    }
    return s;
}

int transformacionPriori::transforma() {
    if (!base || !priori) return kSinTablas;
    // Reading the prior at every base cell would run past a shorter prior table.
    if (celdasPriori < celdasBase) return codigos::kRenglonesDifieren;
    quel::gdal::Sistema region;
    fs::path enFalta;
    errorSistema.clear();
    if (!quel::gdal::compruebaSistemas({rutaBase, rutaPriori}, region, enFalta, errorSistema))
        return codigos::kEncabezados;
    const double n = ex_.encabezado[5];
    transformada = std::make_unique<TImagenN<long double>>(celdasBase, 1);
    const auto& b = base->datos[0];
    const auto& p = priori->datos[0];
    auto& t = transformada->datos[0];
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (sinDato(b[i], n))
            t[i] = 0;
        else if (sinDato(p[i], n))
            t[i] = 2;
        else
            t[i] = p[i];
    }
    return fmt::escribeArchivo(rutaTemporal(), texto()) ? 0 : codigos::kVacio;
}

bool transformacionPriori::guarda(const fs::path& ruta, bool exacto) const {
    if (!transformada) return false;
    fs::path destino = ruta;
    if (!exacto && ruta.string().find('.') == std::string::npos) destino = fs::path(ruta.string() + ".txt");
    return fmt::escribeArchivo(destino, texto());
}
