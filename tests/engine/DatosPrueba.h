#pragma once
// Small datasets for the engine tests, built directly into grids.
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "data/geometriaTabla.h"
#include "engine/ejecutarQuel.h"

namespace prueba {

inline std::size_t z(int i) { return static_cast<std::size_t>(i); }

struct Datos {
    int K = 0;
    TImagenN<float> coordenadas, sesgo, sitios, categorias;
    TImagenN<int> covariables, priori;

    // R rows, the given category counts; every row valid and in category 1.
    Datos(int R, std::vector<int> cats, int S = 0)
        : K(static_cast<int>(cats.size())), coordenadas(R, 2), sesgo(R, 1), sitios(S, 3), categorias(K, 1),
          covariables(R, K + 1), priori(R, 2) {
        for (int k = 0; k < K; ++k) categorias.datos[0][z(k)] = static_cast<float>(cats[z(k)]);
        for (int r = 0; r < R; ++r) {
            coordenadas.datos[0][z(r)] = static_cast<float>(r);
            for (int k = 0; k < K; ++k) cov(r, k) = 1;
            valida(r) = 1;
        }
    }
    int& cov(int r, int k) { return covariables.datos[z(k)][z(r)]; }
    int& valida(int r) { return covariables.datos[z(K)][z(r)]; }
    float& s(int r) { return sesgo.datos[0][z(r)]; }
    int& clase(int r) { return priori.datos[0][z(r)]; }
    // Puts site i in the middle of row r's cell.
    void sitio(int i, int r) {
        const auto mitad = static_cast<float>(quel::celdaDeTabla(coordenadas) / 2);
        for (std::size_t c : {0u, 1u}) sitios.datos[c][z(i)] = coordenadas.datos[c][z(r)] + mitad;
    }
    copiaDatos vista() {
        copiaDatos c;
        c.numCovariables = K;
        c.coordenadas = &coordenadas;
        c.sesgo = &sesgo;
        c.sitios = &sitios;
        c.categorias = &categorias;
        c.covariables = &covariables;
        c.priori = &priori;
        return c;
    }
};

// The nearest valid row to (x, y) by scanning every row, to the cells'
// centres, as the engine's design states it; -1 when none lies closer than 10^6.
inline int escaneo(const TImagenN<int>& cov, const TImagenN<float>& coord, float x, float y) {
    float mejor = 1e6f;
    int fila = -1;
    const double mitad = quel::celdaDeTabla(coord) / 2;
    for (int r = 0; r < cov.renglones; ++r) {
        if (cov.datos[z(cov.columnas - 1)][z(r)] != 1) continue;
        const double dx = static_cast<double>(x) - (coord.datos[0][z(r)] + mitad);
        const double dy = static_cast<double>(y) - (coord.datos[1][z(r)] + mitad);
        const float d = static_cast<float>(std::sqrt(dx * dx + dy * dy));
        if (d < mejor) {
            mejor = d;
            fila = r;
        }
    }
    return fila;
}

// A random region of R rows on a grid `ancho` wide, about 70 % valid, with
// the given category counts, random bias, prior classes 0..3 and S sites
// within its cells (of 0.5, the top row's corners at y = 20).
inline std::unique_ptr<Datos> aleatorio(int R, const std::vector<int>& cats, int S, unsigned semilla,
                                        int ancho = 100) {
    auto d = std::make_unique<Datos>(R, cats, S);
    std::mt19937 g(semilla);
    std::uniform_real_distribution<float> u(0, 1);
    for (int r = 0; r < R; ++r) {
        d->coordenadas.datos[0][z(r)] = static_cast<float>(r % ancho) * 0.5f + 100;
        d->coordenadas.datos[1][z(r)] = 20 - static_cast<float>(r / ancho) * 0.5f;
        const bool dentro = u(g) < 0.7f;
        d->valida(r) = dentro ? 1 : 0;
        for (int k = 0; k < d->K; ++k) {
            // Codes follow the position a little, so cells differ in size.
            const int c = cats[z(k)];
            d->cov(r, k) = dentro ? 1 + static_cast<int>((static_cast<unsigned>(r * (k + 3)) / 7 + g() % 3) % static_cast<unsigned>(c)) : 0;
        }
        d->s(r) = dentro ? u(g) * u(g) * 0.2f : 0;
        d->clase(r) = dentro ? static_cast<int>(g() % 4) : 0;
    }
    for (int i = 0; i < S; ++i) {
        d->sitios.datos[0][z(i)] = 100 + u(g) * 0.5f * static_cast<float>(ancho);
        d->sitios.datos[1][z(i)] = 20.5f - u(g) * 0.5f * static_cast<float>(R / ancho);
    }
    return d;
}

}  // namespace prueba
