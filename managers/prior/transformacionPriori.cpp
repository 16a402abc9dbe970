#include "managers/prior/transformacionPriori.h"

#include <algorithm>
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

int transformacionPriori::carga(const fs::path& grid, int& celdas, std::unique_ptr<TImagenN<long double>>& tabla,
                                Fuente& fuente) {
    const fs::path mascara = ex_.rutaMascara();
    int r = ex_.convierteASCII(grid, mascara);
    if (r != 0) return r;
    const auto& g = ex_.grid();
    celdas = static_cast<int>(ex_.encabezado[0] * ex_.encabezado[1]);
    tabla = std::make_unique<TImagenN<long double>>(celdas, 1);
    auto& col = tabla->datos[0];
    for (std::size_t i = 0; i < col.size() && i < g.valores.size(); ++i) col[i] = g.valores[i];
    fuente = {grid, g.encabezado};
    std::error_code ec;
    fs::remove(mascara, ec);
    return 0;
}

int transformacionPriori::cargaBase(const fs::path& grid) {
    const int r = carga(grid, celdasBase, base, fuenteBase_);
    if (r == 0) rutaBase = grid;
    return r;
}

int transformacionPriori::cargaPriori(const fs::path& grid) {
    const int r = carga(grid, celdasPriori, priori, fuentePriori_);
    if (r == 0) rutaPriori = grid;
    return r;
}

namespace {

std::string numero(double v) {
    std::string s;
    fmt::real(s, v);
    return s;
}

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
        fmt::numero(s, static_cast<double>(t[i]));
        s += ',';
    }
    return s;
}

std::string transformacionPriori::desalineacion() const {
    const quel::EncabezadoASCII& b = fuenteBase_.encabezado;
    const quel::EncabezadoASCII& p = fuentePriori_.encabezado;
    if (b.ncols != p.ncols || b.nrows != p.nrows)
        return "ncols x nrows is " + numero(b.ncols) + " x " + numero(b.nrows) + " in the base grid, " +
               numero(p.ncols) + " x " + numero(p.nrows) + " in the prior grid";
    const double centesima = b.cellsize / 100;
    if (std::fabs(b.cellsize - p.cellsize) * std::max(b.ncols, b.nrows) > centesima)
        return "the cell size is " + numero(b.cellsize) + " in the base grid, " + numero(p.cellsize) +
               " in the prior grid";
    if (std::fabs(b.xllcorner - p.xllcorner) > centesima || std::fabs(b.yllcorner - p.yllcorner) > centesima)
        return "the lower-left corner is (" + numero(b.xllcorner) + ", " + numero(b.yllcorner) +
               ") in the base grid, (" + numero(p.xllcorner) + ", " + numero(p.yllcorner) +
               ") in the prior grid, more than a hundredth of a cell apart";
    return {};
}

int transformacionPriori::transforma() {
    if (!base || !priori) return kSinTablas;
    error = {};
    if (const std::string d = desalineacion(); !d.empty())
        return quel::fallaArchivo(&error, codigos::kEncabezados, 0,
                                  "the base grid " + quel::imprimible(fuenteBase_.ruta.string(), std::string::npos) +
                                      " and the prior grid do not line up: " + d,
                                  fuentePriori_.ruta);
    // Reading the prior at every base cell would run past a shorter prior table.
    if (celdasPriori < celdasBase) return codigos::kRenglonesDifieren;
    quel::gdal::Sistema region;
    fs::path enFalta;
    errorSistema.clear();
    if (!quel::gdal::compruebaSistemas({rutaBase, rutaPriori}, region, enFalta, errorSistema))
        return quel::fallaArchivo(&error, codigos::kEncabezados, 0, errorSistema, enFalta);
    const double n = ex_.encabezado[5];
    transformada = std::make_unique<TImagenN<long double>>(celdasBase, 1);
    const auto& b = base->datos[0];
    const auto& p = priori->datos[0];
    auto& t = transformada->datos[0];
    clasesFuera = 0;
    primeraFuera = -1;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (sinDato(b[i], n))
            t[i] = 0;
        else if (sinDato(p[i], n))
            t[i] = 2;
        else
            t[i] = p[i];
        if (t[i] != 0 && t[i] != 1 && t[i] != 2 && t[i] != 3) {
            if (clasesFuera++ == 0) {
                primeraFuera = static_cast<long long>(i);
                valorFuera = t[i];
            }
        }
    }
    return fmt::escribeArchivo(rutaTemporal(), texto()) ? 0 : codigos::kVacio;
}

bool transformacionPriori::guarda(const fs::path& ruta, bool exacto, std::string* razon) const {
    if (!transformada) {
        if (razon) *razon = "there is no prior table to save";
        return false;
    }
    fs::path destino = ruta;
    if (!exacto && ruta.string().find('.') == std::string::npos) destino = fs::path(ruta.string() + ".txt");
    return fmt::escribeArchivo(destino, texto(), razon);
}
