#include "managers/covariates/constructorTabla.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <system_error>

#include "data/ErrorArchivo.h"
#include "data/cargaArchivo.h"
#include "platform/EscrituraSegura.h"
#include "platform/LecturaArchivo.h"
#include "data/salidaGDAL.h"

namespace fs = std::filesystem;
namespace fmt = quel::formato;

constructorTabla::constructorTabla(quel::RaizDatos raiz) : exportador(std::move(raiz)) {}

fs::path constructorTabla::conExtension(const fs::path& ruta) {
    std::string s = ruta.string();
    if (s.find('.') == std::string::npos) s += ".txt";
    return fs::path(s);
}

namespace {

bool mismoEncabezado(const std::array<double, 6>& a, const std::array<double, 6>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    return true;
}

bool leeTodo(const fs::path& ruta, std::string& texto) {
    return quel::leeArchivo(ruta, texto) == quel::Lectura::kBien;
}

double aReal(std::string_view t) {
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

// Reads the coordinate file written by the classification: fields ended by a
// comma are coordinates (taken when `conCoordenadas`), a field ended by a line
// feed is the cell's category. Stops at the table's last row.
void leeCoordenadas(const std::string& texto, bool conCoordenadas, TImagenN<float>& coords,
                    std::vector<int>& columna) {
    const std::size_t filas = columna.size();
    std::size_t fila = 0;
    int campo = 0;
    std::size_t ini = 0;
    for (std::size_t i = 0; i < texto.size() && fila < filas; ++i) {
        char c = texto[i];
        if (c != ',' && c != '\n') continue;
        std::string_view t(texto.data() + ini, i - ini);
        ini = i + 1;
        if (c == ',') {
            if (conCoordenadas && campo < 2)
                coords.datos[static_cast<std::size_t>(campo)][fila] = static_cast<float>(aReal(t));
            ++campo;
        } else {
            columna[fila] = static_cast<int>(aReal(t));
            ++fila;
            campo = 0;
        }
    }
}

// Buffered writer of a large text file, put in place when complete.
class Salida {
public:
    explicit Salida(const fs::path& ruta) : f_(ruta) { buf_.reserve(kTope + 4096); }
    std::string& buf() { return buf_; }
    void quizaVacia() {
        if (buf_.size() >= kTope) vacia();
    }
    bool cierra() {
        vacia();
        return f_.coloca();
    }
    const std::string& razon() const { return f_.razon(); }

private:
    static constexpr std::size_t kTope = 1 << 20;
    void vacia() {
        f_.agrega(buf_);
        buf_.clear();
    }
    quel::ArchivoNuevo f_;
    std::string buf_;
};

}  // namespace

int constructorTabla::construyeTabla(const fs::path& ruta, const std::vector<ItemCovariable>& items,
                                     const TablaCargada* tabla, Progreso& progreso) {
    const int numCargadas = tabla ? tabla->numCovariables() : 0;
    const int numArchivos = static_cast<int>(items.size());
    rutaError.clear();
    error = {};

    numSeleccionadas = 0;
    nombresSel.clear();
    categoriasSel.clear();
    celdasEnHueco.clear();
    clasesPedidas.clear();
    coordsNuevas.reset();
    covsNuevas.reset();
    for (int i = 0; i < numArchivos; ++i) {
        const auto& it = items[static_cast<std::size_t>(i)];
        if (!it.marcado) continue;
        categoriasSel.push_back(i < numCargadas ? tabla->categorias.datos[0][static_cast<std::size_t>(i)]
                                                : static_cast<float>(it.numClases));
        nombresSel.push_back(it.nombre);
        celdasEnHueco.push_back(0);
        clasesPedidas.push_back(i >= numCargadas && it.cuantiles && !it.manual ? it.numClases : 0);
        ++numSeleccionadas;
    }

    progreso.fija(0);
    const int paso = numArchivos > 0 ? 50 / numArchivos : 0;
    auto falla = [&](int codigo, const fs::path& grid, std::string detalle) {
        rutaError = grid;
        error = {codigo, 0, std::move(detalle)};
        return codigo;
    };
    // A cancelled build stops before its next grid or before writing; the
    // table file is left as it was.
    auto cancelada = [&] {
        std::error_code ec;
        fs::remove(exportador.rutaCoordenadas(), ec);
        return falla(quel::kCodigoCancelado, {}, {});
    };

    // The grids of one table share one coordinate system, kept beside it.
    std::vector<fs::path> grids;
    for (int i = numCargadas; i < numArchivos; ++i)
        if (items[static_cast<std::size_t>(i)].marcado) grids.push_back(items[static_cast<std::size_t>(i)].ruta);
    quel::gdal::Sistema region;
    fs::path enFalta;
    std::string detalle;
    if (!quel::gdal::compruebaSistemas(grids, region, enFalta, detalle))
        return falla(codigos::kEncabezados, enFalta, std::move(detalle));

    std::optional<std::array<double, 6>> referencia;
    bool desdeGrid = false;  // the coordinates come from the first grid
    std::string texto;
    std::vector<int> columna;
    int k = 0;
    for (int i = 0; i < numArchivos; ++i, progreso.avanza(paso)) {
        if (progreso.cancelado()) return cancelada();
        const auto& it = items[static_cast<std::size_t>(i)];
        if (!it.marcado) continue;
        if (i < numCargadas) {
            if (!coordsNuevas) {
                const int filas = tabla->covariables.renglones;
                coordsNuevas = std::make_unique<TImagenN<float>>(filas, 2);
                covsNuevas = std::make_unique<TImagenN<int>>(filas, numSeleccionadas);
                for (int c = 0; c < 2 && c < tabla->coordenadas.columnas; ++c) {
                    const auto& origen = tabla->coordenadas.datos[static_cast<std::size_t>(c)];
                    auto& destino = coordsNuevas->datos[static_cast<std::size_t>(c)];
                    std::copy_n(origen.begin(), std::min(origen.size(), destino.size()), destino.begin());
                }
            }
            if (i >= tabla->covariables.columnas)
                return falla(codigos::kMalformado, {}, "the opened table has no column for covariate " + it.nombre);
            auto& destino = covsNuevas->datos[static_cast<std::size_t>(k)];
            const auto& origen = tabla->covariables.datos[static_cast<std::size_t>(i)];
            std::copy_n(origen.begin(), std::min(origen.size(), destino.size()), destino.begin());
            ++k;
            continue;
        }

        int r = exportador.generaCovariable(static_cast<int>(categoriasSel[static_cast<std::size_t>(k)]), it.ruta,
                                            k, it.manual, it.cuantiles);
        if (r != 0) {
            rutaError = r == codigos::kVacio ? exportador.rutaCoordenadas() : it.ruta;
            error = exportador.error();
            return r;
        }
        if (it.manual || it.cuantiles) categoriasSel[static_cast<std::size_t>(k)] = static_cast<float>(exportador.clases().numero);
        celdasEnHueco[static_cast<std::size_t>(k)] = exportador.celdasEnHueco();
        const auto& enc = exportador.encabezado;
        const auto celdas = static_cast<long long>(enc[0]) * static_cast<long long>(enc[1]);
        if (k == 0) {
            const int filas = static_cast<int>(celdas);
            coordsNuevas = std::make_unique<TImagenN<float>>(filas, 2);
            covsNuevas = std::make_unique<TImagenN<int>>(filas, numSeleccionadas);
            referencia = enc;
            desdeGrid = true;
        } else if (!referencia) {
            // The first grid after opened-table covariates sets the reference
            // and must cover exactly the table's rows.
            referencia = enc;
            if (celdas != covsNuevas->renglones)
                return falla(codigos::kEncabezados, it.ruta,
                             "the grid has " + std::to_string(celdas) + " cells, the opened table " +
                                 std::to_string(covsNuevas->renglones) + " rows");
        }
        if (!mismoEncabezado(enc, *referencia))
            return falla(codigos::kEncabezados, it.ruta, "the grid's header differs from the first grid's");

        leeTodo(exportador.rutaCoordenadas(), texto);
        auto& col = covsNuevas->datos[static_cast<std::size_t>(k)];
        leeCoordenadas(texto, desdeGrid && k == 0, *coordsNuevas, col);
        ++k;
    }

    if (progreso.cancelado()) return cancelada();
    const fs::path destino = agregaExtension ? conExtension(ruta) : ruta;
    std::string razon;
    if (!escribeTabla(ruta, &razon)) return falla(codigos::kVacio, destino, "cannot write the covariate table: " + razon);
    if (!quel::gdal::escribePrj(destino, region))
        return falla(codigos::kVacio, quel::gdal::rutaPrj(destino), "cannot write the table's coordinate system");
    progreso.avanza(50);
    std::error_code ec;
    fs::remove(exportador.rutaCoordenadas(), ec);
    return 0;
}

bool constructorTabla::escribeTabla(const fs::path& ruta, std::string* razon) const {
    Salida out(agregaExtension ? conExtension(ruta) : ruta);
    std::string& s = out.buf();
    for (int k = 0; k < numSeleccionadas; ++k) {
        s += nombresSel[static_cast<std::size_t>(k)];
        s += ',';
        fmt::numero(s, categoriasSel[static_cast<std::size_t>(k)]);
        s += ",\n";
    }
    s += "**********\nLong,Lat,";
    for (int k = 0; k < numSeleccionadas; ++k) {
        s += nombresSel[static_cast<std::size_t>(k)];
        s += ',';
    }
    s += '\n';
    const int filas = covsNuevas ? covsNuevas->renglones : 0;
    const int cols = covsNuevas ? covsNuevas->columnas : 0;
    for (int r = 0; r < filas; ++r) {
        const auto f = static_cast<std::size_t>(r);
        fmt::real(s, coordsNuevas->datos[0][f]);
        s += ',';
        fmt::real(s, coordsNuevas->datos[1][f]);
        s += ',';
        bool valida = true;
        for (int k = 0; k < cols; ++k) {
            int c = covsNuevas->datos[static_cast<std::size_t>(k)][f];
            if (c == 0) valida = false;
            fmt::entero(s, c);
            s += ',';
        }
        s += valida ? "1," : "0,";
        if (r + 1 < filas) s += '\n';
        out.quizaVacia();
    }
    if (out.cierra()) return true;
    if (razon) *razon = out.razon();
    return false;
}
