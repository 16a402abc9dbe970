#include "engine/asignaSitios.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kHoja = 8;            // points per leaf
constexpr float kInicial = 1e6f;    // running best before any row

// Distance as the scan computes it: in double, rounded to single precision.
inline float distancia(double xs, double ys, double xr, double yr) {
    const double dx = xs - xr;
    const double dy = ys - yr;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

}  // namespace

buscadorFilas::buscadorFilas(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas) {
    const int filas = std::min(covariables.renglones, coordenadas.renglones);
    if (covariables.columnas < 1 || coordenadas.columnas < 2 || filas <= 0) return;
    const auto& bandera = covariables.datos[static_cast<std::size_t>(covariables.columnas - 1)];
    const auto& xs = coordenadas.datos[0];
    const auto& ys = coordenadas.datos[1];
    for (int r = 0; r < filas; ++r)
        if (bandera[static_cast<std::size_t>(r)] == 1)
            puntos_.push_back({xs[static_cast<std::size_t>(r)], ys[static_cast<std::size_t>(r)], r});
    if (!puntos_.empty()) {
        nodos_.reserve(2 * (puntos_.size() / kHoja + 1));
        construye(0, static_cast<int>(puntos_.size()));
    }
}

int buscadorFilas::construye(int desde, int hasta) {
    Nodo n{};
    n.desde = desde;
    n.hasta = hasta;
    n.minX = n.maxX = puntos_[static_cast<std::size_t>(desde)].x;
    n.minY = n.maxY = puntos_[static_cast<std::size_t>(desde)].y;
    for (int i = desde + 1; i < hasta; ++i) {
        const Punto& p = puntos_[static_cast<std::size_t>(i)];
        n.minX = std::min(n.minX, p.x);
        n.maxX = std::max(n.maxX, p.x);
        n.minY = std::min(n.minY, p.y);
        n.maxY = std::max(n.maxY, p.y);
    }
    const int indice = static_cast<int>(nodos_.size());
    nodos_.push_back(n);
    if (hasta - desde > kHoja && (n.maxX > n.minX || n.maxY > n.minY)) {
        const int medio = desde + (hasta - desde) / 2;
        auto b = puntos_.begin();
        if (n.maxX - n.minX >= n.maxY - n.minY)
            std::nth_element(b + desde, b + medio, b + hasta,
                             [](const Punto& p, const Punto& q) { return p.x < q.x; });
        else
            std::nth_element(b + desde, b + medio, b + hasta,
                             [](const Punto& p, const Punto& q) { return p.y < q.y; });
        const int izq = construye(desde, medio);
        const int der = construye(medio, hasta);
        nodos_[static_cast<std::size_t>(indice)].izquierdo = izq;
        nodos_[static_cast<std::size_t>(indice)].derecho = der;
    }
    return indice;
}

int buscadorFilas::fila(float x, float y) const {
    if (nodos_.empty()) return -1;
    const double qx = x, qy = y;
    float mejor = kInicial;
    int mejorFila = -1;
    // Lower bound of the distance from the query to a node's box.
    auto cota = [&](const Nodo& n) {
        const double dx = std::max({n.minX - qx, 0.0, qx - n.maxX});
        const double dy = std::max({n.minY - qy, 0.0, qy - n.maxY});
        return std::sqrt(dx * dx + dy * dy);
    };
    // A row can only tie or beat the best when its double distance is within
    // the single-precision rounding of it; the margin covers that rounding.
    auto lejos = [&](double c) { return c > static_cast<double>(mejor) * (1 + 0x1p-20); };
    std::vector<int> pila;
    pila.reserve(64);
    pila.push_back(0);
    while (!pila.empty()) {
        const Nodo& n = nodos_[static_cast<std::size_t>(pila.back())];
        pila.pop_back();
        if (lejos(cota(n))) continue;
        if (n.izquierdo < 0) {
            for (int i = n.desde; i < n.hasta; ++i) {
                const Punto& p = puntos_[static_cast<std::size_t>(i)];
                const float d = distancia(qx, qy, p.x, p.y);
                if (d < mejor || (d == mejor && mejorFila >= 0 && p.fila < mejorFila)) {
                    mejor = d;
                    mejorFila = p.fila;
                }
            }
            continue;
        }
        const Nodo& a = nodos_[static_cast<std::size_t>(n.izquierdo)];
        const Nodo& b = nodos_[static_cast<std::size_t>(n.derecho)];
        // Visit the nearer child first (pushed last).
        if (cota(a) <= cota(b)) {
            pila.push_back(n.derecho);
            pila.push_back(n.izquierdo);
        } else {
            pila.push_back(n.izquierdo);
            pila.push_back(n.derecho);
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
