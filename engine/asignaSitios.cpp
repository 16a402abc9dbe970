#include "engine/asignaSitios.h"

#include <algorithm>
#include <cmath>
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

}  // namespace

buscadorFilas::buscadorFilas(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas, bool todas) {
    const int filas = std::min(covariables.renglones, coordenadas.renglones);
    if (covariables.columnas < 1 || coordenadas.columnas < 2 || filas <= 0) return;
    const auto& bandera = covariables.datos[static_cast<std::size_t>(covariables.columnas - 1)];
    auto cuenta = [&](std::size_t r) { return todas || bandera[r] == 1; };
    mitad_ = quel::celdaDeTabla(coordenadas) / 2;
    // Cell centres, in double.
    auto cx = [&](std::size_t r) { return coordenadas.datos[0][r] + mitad_; };
    auto cy = [&](std::size_t r) { return coordenadas.datos[1][r] + mitad_; };
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
        xs_[j] = coordenadas.datos[0][rr];
        ys_[j] = coordenadas.datos[1][rr];
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
    // A row can only tie or beat the best when its double distance is within
    // the single-precision rounding of it; the margin covers that rounding.
    auto limite = [&] { return static_cast<double>(mejor) * (1 + 0x1p-20); };
    auto revisa = [&](int ix, int iy) {
        // Distance from the point to the bucket's box, a lower bound for its rows.
        const double x0 = minX_ + ix * anchoX_, y0 = minY_ + iy * anchoY_;
        const double dx = std::max({x0 - qx, 0.0, qx - (x0 + anchoX_)});
        const double dy = std::max({y0 - qy, 0.0, qy - (y0 + anchoY_)});
        // Half a bucket of slack for rows placed by a rounded division.
        const double holgura = 0.5 * paso;
        if (std::sqrt(dx * dx + dy * dy) - holgura > limite()) return;
        const std::size_t b = static_cast<std::size_t>(iy) * static_cast<std::size_t>(nx_) + static_cast<std::size_t>(ix);
        for (int i = inicio_[b]; i < inicio_[b + 1]; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            const float d = distancia(qx, qy, xs_[ii] + mitad_, ys_[ii] + mitad_);
            if (d < mejor || (d == mejor && mejorFila >= 0 && filas_[ii] < mejorFila)) {
                mejor = d;
                mejorFila = filas_[ii];
            }
        }
    };
    const int anillos = std::max(nx_, ny_);
    for (int d = 0; d <= anillos; ++d) {
        // Rows of ring d lie at least (d - 1) buckets away from the point's
        // bucket; one bucket more covers rounding of the bucket index.
        const double cota = std::max(0, d - 2) * paso;
        if (std::sqrt(cota * cota + fuera2) > limite()) break;
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
    if (filas) filas->assign(static_cast<std::size_t>(std::max(sitios.renglones, 0)), -1);
    if (sitios.columnas < 2) return std::max(sitios.renglones, 0);
    const buscadorFilas buscador(covariables, coordenadas);
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

int asignaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                 TImagenN<float>& sitios) {
    return asignaSitios(covariables, coordenadas, sitios, nullptr);
}

std::vector<LugarSitio> ubicaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                                    const TImagenN<float>& sitios, const std::vector<int>* filasValidas) {
    const int n = std::max(sitios.renglones, 0);
    std::vector<LugarSitio> lugares(static_cast<std::size_t>(n), LugarSitio::kFuera);
    const int filas = std::min(covariables.renglones, coordenadas.renglones);
    if (sitios.columnas < 2 || coordenadas.columnas < 2 || filas <= 0) return lugares;
    const buscadorFilas cualquiera(covariables, coordenadas, true);
    // The valid rows' search only when the caller has not done it already.
    const bool conValidas = filasValidas && filasValidas->size() >= static_cast<std::size_t>(n);
    std::optional<buscadorFilas> validas;
    if (!conValidas) validas.emplace(covariables, coordenadas);
    const double mitad = cualquiera.mitad();
    const auto& cx = coordenadas.datos[0];
    const auto& cy = coordenadas.datos[1];
    // Distance from a site to a row's cell centre, as the search measures it.
    auto aCentro = [&](float x, float y, int r) {
        const auto rr = static_cast<std::size_t>(r);
        return distancia(x, y, cx[rr] + mitad, cy[rr] + mitad);
    };
    // Within half a cell of the centre, in single precision like the
    // coordinates, so a site on the region's outer edge lies in it.
    auto dentro = [&](float x, float y, int r) {
        const auto rr = static_cast<std::size_t>(r);
        const auto lado = static_cast<float>(mitad);
        return static_cast<float>(std::fabs(x - (cx[rr] + mitad))) <= lado &&
               static_cast<float>(std::fabs(y - (cy[rr] + mitad))) <= lado;
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
