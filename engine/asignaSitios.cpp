#include "engine/asignaSitios.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "data/geometriaTabla.h"

namespace {

constexpr float kInicial = 1e6f;  // running best before any row
constexpr double kPorCubeta = 2;  // rows per bucket, on average

// Distance as the scan computes it: in double, rounded to single precision.
inline float distancia(double xs, double ys, double xr, double yr) {
    const double dx = xs - xr;
    const double dy = ys - yr;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

// A row can only tie or beat the best when its double distance is within
// the single-precision rounding of it; the margin covers that rounding.
inline double limite(float mejor) { return static_cast<double>(mejor) * (1 + 0x1p-20); }

// Keeps row r when it is closer than the best, or as close and earlier.
inline void compara(float d, int r, float& mejor, int& mejorFila) {
    if (d < mejor || (d == mejor && mejorFila >= 0 && r < mejorFila)) {
        mejor = d;
        mejorFila = r;
    }
}

// Number of buckets along an extent, and their width.
void divide(double extension, double ancho, long tope, int& n, double& w) {
    if (!(extension > 0) || !std::isfinite(extension)) {
        n = 1;
        w = 1;
        return;
    }
    const double c = std::ceil(extension / ancho);
    n = static_cast<int>(std::clamp(c, 1.0, static_cast<double>(tope)));
    w = extension / n;
    if (!(w > 0)) {
        n = 1;
        w = extension;
    }
}

// The rows of a table, whichever way it is held: how many, which are in the
// region, their corners and the table's cell size.
struct DeTabla {
    const TImagenN<int>& covariables;
    const TImagenN<float>& coordenadas;
    int filas() const {
        if (covariables.columnas < 1 || coordenadas.columnas < 2) return 0;
        return std::max(std::min(covariables.renglones, coordenadas.renglones), 0);
    }
    bool valida(std::size_t r) const {
        return covariables.datos[static_cast<std::size_t>(covariables.columnas - 1)][r] == 1;
    }
    float x(std::size_t r) const { return coordenadas.datos[0][r]; }
    float y(std::size_t r) const { return coordenadas.datos[1][r]; }
    double celda() const { return quel::celdaDeTabla(coordenadas); }
};

struct DeRegion {
    const std::vector<std::uint8_t>& validas;
    const quel::CoordenadasRegion& coordenadas;
    int filas() const {
        const std::size_t n = std::min(validas.size(), coordenadas.size());
        return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
    }
    bool valida(std::size_t r) const { return validas[r] == 1; }
    float x(std::size_t r) const { return coordenadas.x(r); }
    float y(std::size_t r) const { return coordenadas.y(r); }
    double celda() const { return quel::celdaDeTabla(coordenadas); }
};

// Index of the value of the sorted `v` nearest to q (0 when none compares).
std::size_t masCercano(const std::vector<double>& v, double q) {
    const auto p = static_cast<std::size_t>(std::lower_bound(v.begin(), v.end(), q) - v.begin());
    if (p == v.size()) return v.size() - 1;
    return p > 0 && q - v[p - 1] < v[p] - q ? p - 1 : p;
}

// The search of buscadorFilas on a regular lattice, without an index: it
// starts at the cell of the column and row nearest the point and widens a
// window of columns and rows around it, a column or a row at a time on the
// side nearest the point, until the nearest column and row left outside on
// every side lie farther than the best row found (every cell outside the
// window lies at least that far). Holds the centres of the columns and of
// the lattice's rows, sorted by y, and the span of each holding valid
// cells (so a site at sea skips the columns and rows beyond the coast), and
// nothing per cell.
class buscadorReticula {
public:
    buscadorReticula(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                     bool todas)
        : valida_(valida), todas_(todas) {
        const DeRegion fuente{valida, coordenadas};
        filas_ = static_cast<std::size_t>(fuente.filas());
        const auto& xs = coordenadas.columnasX();
        const auto& ys = coordenadas.filasY();
        if (filas_ == 0 || xs.empty()) return;
        const double mitad = fuente.celda() / 2;
        cx_.assign(xs.begin(), xs.end());
        for (double& c : cx_) c += mitad;
        // Lattice rows holding a row of the table, by centre (a row at an
        // infinite or undefined y is never nearest); equal centres keep
        // their order.
        const std::size_t renglones = std::min(ys.size(), (filas_ - 1) / xs.size() + 1);
        for (std::size_t i = 0; i < renglones; ++i)
            if (std::isfinite(ys[i] + mitad)) renglon_.push_back(i);
        std::stable_sort(renglon_.begin(), renglon_.end(),
                         [&](std::size_t a, std::size_t b) { return ys[a] + mitad < ys[b] + mitad; });
        cy_.reserve(renglon_.size());
        for (std::size_t i : renglon_) cy_.push_back(ys[i] + mitad);
        // Every row counts: the whole lattice (the end of a short last row
        // is checked cell by cell).
        const std::size_t nc = cx_.size(), nf = cy_.size();
        enRenglon_.assign(nf, Tramo{0, nc});
        enColumna_.assign(nc, Tramo{0, nf});
        if (todas_) return;
        // The valid cells' columns in each row and rows (in order of y) in
        // each column.
        std::fill(enColumna_.begin(), enColumna_.end(), Tramo{});
        for (std::size_t k = 0; k < nf; ++k) {
            const std::size_t inicio = renglon_[k] * nc;
            const std::size_t fin = std::min(nc, filas_ - std::min(filas_, inicio));
            Tramo& t = enRenglon_[k];
            t = Tramo{};
            for (std::size_t j = 0; j < fin; ++j) {
                if (valida_[inicio + j] != 1) continue;
                if (t.fin == 0) t.inicio = j;
                t.fin = j + 1;
                if (enColumna_[j].fin == 0) enColumna_[j].inicio = k;
                enColumna_[j].fin = k + 1;
            }
        }
    }

    int fila(float x, float y) const {
        if (cy_.empty()) return -1;
        const double qx = x, qy = y;
        const std::size_t nc = cx_.size(), nf = cy_.size();
        float mejor = kInicial;
        int mejorFila = -1;
        // Cell of column j and of the k-th lattice row by y.
        auto mide = [&](std::size_t k, std::size_t j) {
            const std::size_t r = renglon_[k] * nc + j;
            if (r >= filas_ || !(todas_ || valida_[r] == 1)) return;
            compara(distancia(qx, qy, cx_[j], cy_[k]), static_cast<int>(r), mejor, mejorFila);
        };
        // The window: columns [c0, c1), rows [f0, f1) in order of y.
        std::size_t c0 = masCercano(cx_, qx), f0 = masCercano(cy_, qy);
        std::size_t c1 = c0 + 1, f1 = f0 + 1;
        mide(f0, c0);
        constexpr double kNada = std::numeric_limits<double>::infinity();
        for (;;) {
            // The nearest column or row outside on each side: left, right,
            // below, above. Its distance in x (or y) is the one the scan
            // forms, and no farther one is closer (the centres are sorted).
            const double lados[4] = {c0 > 0 ? qx - cx_[c0 - 1] : kNada, c1 < nc ? cx_[c1] - qx : kNada,
                                     f0 > 0 ? qy - cy_[f0 - 1] : kNada, f1 < nf ? cy_[f1] - qy : kNada};
            const double tope = limite(mejor);
            int lado = -1;
            for (int l = 0; l < 4; ++l)
                if (lados[l] <= tope && (lado < 0 || lados[l] < lados[lado])) lado = l;
            if (lado < 0) break;
            if (lado == 0 || lado == 1) {
                const std::size_t j = lado == 0 ? --c0 : c1++;
                const Tramo& t = enColumna_[j];
                for (std::size_t k = std::max(f0, t.inicio); k < std::min(f1, t.fin); ++k) mide(k, j);
            } else {
                const std::size_t k = lado == 2 ? --f0 : f1++;
                const Tramo& t = enRenglon_[k];
                for (std::size_t j = std::max(c0, t.inicio); j < std::min(c1, t.fin); ++j) mide(k, j);
            }
        }
        return mejorFila;
    }

private:
    const std::vector<std::uint8_t>& valida_;
    bool todas_;
    std::size_t filas_ = 0;
    std::vector<double> cx_;            // centre of each column, ascending
    std::vector<double> cy_;            // centres of the lattice rows, ascending
    std::vector<std::size_t> renglon_;  // lattice row of each centre of cy_
    struct Tramo {
        std::size_t inicio = 0, fin = 0;  // [inicio, fin)
    };
    std::vector<Tramo> enRenglon_;  // columns with a counted cell, per row of cy_
    std::vector<Tramo> enColumna_;  // rows of cy_ with a counted cell, per column
};

template <class Crea>
int asignaCon(Crea crea, TImagenN<float>& sitios, std::vector<int>* filas) {
    if (filas) filas->assign(static_cast<std::size_t>(std::max(sitios.renglones, 0)), -1);
    if (sitios.columnas < 2) return std::max(sitios.renglones, 0);
    const auto buscador = crea(false);
    int sinAsignar = 0;
    for (int s = 0; s < sitios.renglones; ++s) {
        const auto ss = static_cast<std::size_t>(s);
        const int r = buscador.fila(sitios.datos[0][ss], sitios.datos[1][ss]);
        if (r < 0) ++sinAsignar;
        if (sitios.columnas >= 3) sitios.datos[2][ss] = static_cast<float>(r);
        if (filas) (*filas)[ss] = r;
    }
    return sinAsignar;
}

// `crea(todas)` gives the search over the valid rows or over every row.
template <class Fuente, class Crea>
std::vector<LugarSitio> ubicaCon(const Fuente& fuente, Crea crea, const TImagenN<float>& sitios,
                                 const std::vector<int>* filasValidas) {
    const int n = std::max(sitios.renglones, 0);
    std::vector<LugarSitio> lugares(static_cast<std::size_t>(n), LugarSitio::kFuera);
    if (sitios.columnas < 2 || fuente.filas() <= 0) return lugares;
    const auto cualquiera = crea(true);
    // The valid rows' search only when the caller has not done it already.
    const bool conValidas = filasValidas && filasValidas->size() >= static_cast<std::size_t>(n);
    std::optional<decltype(crea(false))> validas;
    if (!conValidas) validas.emplace(crea(false));
    const double mitad = fuente.celda() / 2;
    // Distance from a site to a row's cell centre, as the search measures it.
    auto aCentro = [&](float x, float y, int r) {
        const auto rr = static_cast<std::size_t>(r);
        return distancia(x, y, fuente.x(rr) + mitad, fuente.y(rr) + mitad);
    };
    // Within half a cell of the centre, in single precision like the
    // coordinates, so a site on the region's outer edge lies in it.
    auto dentro = [&](float x, float y, int r) {
        const auto rr = static_cast<std::size_t>(r);
        const auto lado = static_cast<float>(mitad);
        return static_cast<float>(std::fabs(x - (fuente.x(rr) + mitad))) <= lado &&
               static_cast<float>(std::fabs(y - (fuente.y(rr) + mitad))) <= lado;
    };
    for (int s = 0; s < n; ++s) {
        const auto ss = static_cast<std::size_t>(s);
        const float x = sitios.datos[0][ss], y = sitios.datos[1][ss];
        const int a = cualquiera.fila(x, y);
        if (a < 0) continue;
        // Without a cell size (a single cell) every site within 1e6 is in it.
        if (mitad > 0 && !dentro(x, y, a)) continue;
        const int v = conValidas ? (*filasValidas)[ss] : validas->fila(x, y);
        if (v < 0) {
            lugares[ss] = LugarSitio::kSinDato;
            continue;
        }
        lugares[ss] = aCentro(x, y, v) > aCentro(x, y, a) ? LugarSitio::kSinDato : LugarSitio::kRegion;
    }
    return lugares;
}

}  // namespace

buscadorFilas::buscadorFilas(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas, bool todas) {
    construye(DeTabla{covariables, coordenadas}, todas);
}

buscadorFilas::buscadorFilas(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                             bool todas) {
    construye(DeRegion{valida, coordenadas}, todas);
}

template <class Fuente>
void buscadorFilas::construye(const Fuente& fuente, bool todas) {
    const int filas = fuente.filas();
    if (filas <= 0) return;
    auto cuenta = [&](std::size_t r) { return todas || fuente.valida(r); };
    mitad_ = fuente.celda() / 2;
    // Cell centres, in double.
    auto cx = [&](std::size_t r) { return fuente.x(r) + mitad_; };
    auto cy = [&](std::size_t r) { return fuente.y(r) + mitad_; };
    std::size_t cuantas = 0;
    for (int r = 0; r < filas; ++r) {
        if (!cuenta(static_cast<std::size_t>(r))) continue;
        const double x = cx(static_cast<std::size_t>(r)), y = cy(static_cast<std::size_t>(r));
        if (cuantas++ == 0) {
            minX_ = maxX_ = x;
            minY_ = maxY_ = y;
        }
        minX_ = std::min(minX_, x);
        maxX_ = std::max(maxX_, x);
        minY_ = std::min(minY_, y);
        maxY_ = std::max(maxY_, y);
    }
    if (cuantas == 0) return;
    // Square buckets of about kPorCubeta rows over the box of the valid rows
    // (one row of buckets when the box is flat).
    const double n = static_cast<double>(cuantas);
    const double ancho = maxX_ - minX_, alto = maxY_ - minY_;
    const long tope = static_cast<long>(4 * n) + 1;
    double lado;
    if (ancho > 0 && alto > 0)
        lado = std::sqrt(ancho * alto * kPorCubeta / n);
    else
        lado = std::max(ancho, alto) * kPorCubeta / n;
    if (!(lado > 0) || !std::isfinite(lado)) lado = 1;
    divide(ancho, lado, tope, nx_, anchoX_);
    divide(alto, lado, std::max(1L, tope / nx_), ny_, anchoY_);

    auto cubeta = [&](double x, double y) {
        const int ix = std::clamp(static_cast<int>((x - minX_) / anchoX_), 0, nx_ - 1);
        const int iy = std::clamp(static_cast<int>((y - minY_) / anchoY_), 0, ny_ - 1);
        return static_cast<std::size_t>(iy) * static_cast<std::size_t>(nx_) + static_cast<std::size_t>(ix);
    };
    // Counting sort into the buckets; rows keep their order within a bucket.
    const std::size_t total = static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_);
    inicio_.assign(total + 1, 0);
    for (int r = 0; r < filas; ++r) {
        const auto rr = static_cast<std::size_t>(r);
        if (cuenta(rr)) ++inicio_[cubeta(cx(rr), cy(rr)) + 1];
    }
    for (std::size_t b = 0; b < total; ++b) inicio_[b + 1] += inicio_[b];
    std::vector<int> lleno(inicio_.begin(), inicio_.end() - 1);
    xs_.resize(cuantas);
    ys_.resize(cuantas);
    filas_.resize(cuantas);
    for (int r = 0; r < filas; ++r) {
        const auto rr = static_cast<std::size_t>(r);
        if (!cuenta(rr)) continue;
        const auto j = static_cast<std::size_t>(lleno[cubeta(cx(rr), cy(rr))]++);
        xs_[j] = fuente.x(rr);
        ys_[j] = fuente.y(rr);
        filas_[j] = r;
    }
}

int buscadorFilas::fila(float x, float y) const {
    if (filas_.empty()) return -1;
    const double qx = x, qy = y;
    // The point's projection on the box of the rows, and its bucket. For any
    // row p, |p - q|^2 >= |p - q'|^2 + |q - q'|^2 (the box is convex).
    const double px = std::clamp(qx, minX_, maxX_), py = std::clamp(qy, minY_, maxY_);
    const double fuera2 = (qx - px) * (qx - px) + (qy - py) * (qy - py);
    const int cx = std::clamp(static_cast<int>((px - minX_) / anchoX_), 0, nx_ - 1);
    const int cy = std::clamp(static_cast<int>((py - minY_) / anchoY_), 0, ny_ - 1);
    const double paso = std::min(anchoX_, anchoY_);

    float mejor = kInicial;
    int mejorFila = -1;
    auto revisa = [&](int ix, int iy) {
        // Distance from the point to the bucket's box, a lower bound for its rows.
        const double x0 = minX_ + ix * anchoX_, y0 = minY_ + iy * anchoY_;
        const double dx = std::max({x0 - qx, 0.0, qx - (x0 + anchoX_)});
        const double dy = std::max({y0 - qy, 0.0, qy - (y0 + anchoY_)});
        // Half a bucket of slack for rows placed by a rounded division.
        const double holgura = 0.5 * paso;
        if (std::sqrt(dx * dx + dy * dy) - holgura > limite(mejor)) return;
        const std::size_t b = static_cast<std::size_t>(iy) * static_cast<std::size_t>(nx_) + static_cast<std::size_t>(ix);
        for (int i = inicio_[b]; i < inicio_[b + 1]; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            compara(distancia(qx, qy, xs_[ii] + mitad_, ys_[ii] + mitad_), filas_[ii], mejor, mejorFila);
        }
    };
    const int anillos = std::max(nx_, ny_);
    for (int d = 0; d <= anillos; ++d) {
        // Rows of ring d lie at least (d - 1) buckets away from the point's
        // bucket; one bucket more covers rounding of the bucket index.
        const double cota = std::max(0, d - 2) * paso;
        if (std::sqrt(cota * cota + fuera2) > limite(mejor)) break;
        const int x0 = cx - d, x1 = cx + d, y0 = cy - d, y1 = cy + d;
        for (int ix = std::max(x0, 0); ix <= std::min(x1, nx_ - 1); ++ix) {
            if (y0 >= 0) revisa(ix, y0);
            if (d > 0 && y1 < ny_) revisa(ix, y1);
        }
        for (int iy = std::max(y0 + 1, 0); iy <= std::min(y1 - 1, ny_ - 1); ++iy) {
            if (x0 >= 0) revisa(x0, iy);
            if (d > 0 && x1 < nx_) revisa(x1, iy);
        }
    }
    return mejorFila;
}


int asignaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                 TImagenN<float>& sitios, std::vector<int>* filas) {
    return asignaCon([&](bool todas) { return buscadorFilas(covariables, coordenadas, todas); }, sitios, filas);
}

int asignaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                 TImagenN<float>& sitios) {
    return asignaSitios(covariables, coordenadas, sitios, nullptr);
}

int asignaSitios(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                 TImagenN<float>& sitios, std::vector<int>* filas) {
    if (coordenadas.reticula())
        return asignaCon([&](bool todas) { return buscadorReticula(valida, coordenadas, todas); }, sitios, filas);
    return asignaCon([&](bool todas) { return buscadorFilas(valida, coordenadas, todas); }, sitios, filas);
}

std::vector<LugarSitio> ubicaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                                    const TImagenN<float>& sitios, const std::vector<int>* filasValidas) {
    return ubicaCon(
        DeTabla{covariables, coordenadas},
        [&](bool todas) { return buscadorFilas(covariables, coordenadas, todas); }, sitios, filasValidas);
}

std::vector<LugarSitio> ubicaSitios(const std::vector<std::uint8_t>& valida,
                                    const quel::CoordenadasRegion& coordenadas, const TImagenN<float>& sitios,
                                    const std::vector<int>* filasValidas) {
    const DeRegion fuente{valida, coordenadas};
    if (coordenadas.reticula())
        return ubicaCon(
            fuente, [&](bool todas) { return buscadorReticula(valida, coordenadas, todas); }, sitios, filasValidas);
    return ubicaCon(
        fuente, [&](bool todas) { return buscadorFilas(valida, coordenadas, todas); }, sitios, filasValidas);
}

std::vector<DescarteEspecie> resumeDescartes(const std::vector<LugarSitio>& lugares, const TImagenN<float>& sitios,
                                             const TImagenN<AnsiString>* especies, int cuantasCoordenadas) {
    std::vector<DescarteEspecie> r;
    const bool conNombres = especies && especies->columnas > 0;
    for (std::size_t s = 0; s < lugares.size(); ++s) {
        const std::string nombre =
            conNombres && s < especies->datos[0].size() ? especies->datos[0][s] : std::string();
        if (r.empty() || r.back().especie != nombre) r.push_back(DescarteEspecie{nombre, 0, 0, 0, {}, {}});
        DescarteEspecie& e = r.back();
        ++e.sitios;
        if (lugares[s] == LugarSitio::kRegion) continue;
        const bool esFuera = lugares[s] == LugarSitio::kFuera;
        ++(esFuera ? e.fuera : e.sinDato);
        auto& primeros = esFuera ? e.primerosFuera : e.primerosSinDato;
        if (static_cast<int>(primeros.size()) < cuantasCoordenadas && sitios.columnas >= 2)
            primeros.emplace_back(sitios.datos[0][s], sitios.datos[1][s]);
    }
    return r;
}
