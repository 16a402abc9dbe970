#include "data/regionCompacta.h"

#include "platform/Memoria.h"

#include <algorithm>
#include <type_traits>
#include <bit>

namespace quel {

namespace {

// Coordinates match only bit for bit: a lattice gives back the very float
// of every row, so 0 and -0 are different columns.
bool igual(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

}  // namespace

void ColumnaEnteros::redimensiona(std::size_t n) {
    switch (ancho_) {
    case 1: a8_.resize(n); break;
    case 2: a16_.resize(n); break;
    default: a32_.resize(n); break;
    }
    n_ = n;
}

void ColumnaEnteros::reserva(std::size_t n) {
    switch (ancho_) {
    case 1: a8_.reserve(n); memoria::paginasGrandes(a8_.data(), a8_.capacity()); break;
    case 2: a16_.reserve(n); memoria::paginasGrandes(a16_.data(), 2 * a16_.capacity()); break;
    default: a32_.reserve(n); memoria::paginasGrandes(a32_.data(), 4 * a32_.capacity()); break;
    }
}

void ColumnaEnteros::ensancha(int v) {
    const int nuevo = (v >= -32768 && v <= 32767) ? 2 : 4;
    // The room reserved so far carries over to the wider values.
    const std::size_t reservadas = ancho_ == 1 ? a8_.capacity() : a16_.capacity();
    if (nuevo == 2) {
        a16_.reserve(reservadas);
        a16_.assign(a8_.begin(), a8_.end());
    } else if (ancho_ == 1) {
        a32_.reserve(reservadas);
        a32_.assign(a8_.begin(), a8_.end());
    } else {
        a32_.reserve(reservadas);
        a32_.assign(a16_.begin(), a16_.end());
    }
    a8_ = {};
    if (nuevo == 4) a16_ = {};
    ancho_ = nuevo;
}

void ColumnaEnteros::agrega(const std::int32_t* v, std::size_t n) {
    if (n == 0) return;
    std::int32_t menor = v[0], mayor = v[0];
    for (std::size_t i = 1; i < n; ++i) {  // no branches: the compiler vectorises it
        menor = std::min(menor, v[i]);
        mayor = std::max(mayor, v[i]);
    }
    if (!cabe(menor)) ensancha(menor);
    if (!cabe(mayor)) ensancha(mayor);
    // Every value fits the width now: each converts without loss (a plain
    // loop over the new room, which the compiler vectorises).
    const auto copia = [&](auto& destino) {
        const std::size_t base = destino.size();
        destino.resize(base + n);
        auto* d = destino.data() + base;
        for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<std::remove_reference_t<decltype(*d)>>(v[i]);
    };
    switch (ancho_) {
    case 1: copia(a8_); break;
    case 2: copia(a16_); break;
    default: copia(a32_); break;
    }
    n_ += n;
}

void ColumnaEnteros::ajusta() {
    a8_.shrink_to_fit();
    a16_.shrink_to_fit();
    a32_.shrink_to_fit();
}

void ColumnaEnteros::libera() {
    a8_ = {};
    a16_ = {};
    a32_ = {};
    n_ = 0;
    ancho_ = 1;
}

void CoordenadasRegion::aPorFila() {
    if (!reticula_) return;
    x_.reserve(std::max(n_, previstas_));
    y_.reserve(std::max(n_, previstas_));
    x_.resize(n_);
    y_.resize(n_);
    for (std::size_t r = 0; r < n_; ++r) {
        x_[r] = x(r);
        y_[r] = y(r);
    }
    reticula_ = false;
    xs_ = {};
    ys_ = {};
}

void CoordenadasRegion::agrega(float x, float y) {
    if (reticula_) {
        if (!anchoFijo_) {
            // Still in the first row of cells: a new y ends it.
            if (n_ == 0 || igual(y, ys_[0])) {
                if (n_ > 0 && !(x > xs_.back())) aPorFila();
                else {
                    if (n_ == 0) ys_.push_back(y);
                    xs_.push_back(x);
                    ++n_;
                    return;
                }
            } else {
                anchoFijo_ = true;
            }
        }
        if (reticula_) {
            const std::size_t col = n_ % xs_.size();
            if (sigueReticula(col, x, y)) {
                if (col == 0) ys_.push_back(y);
                ++n_;
                return;
            }
            aPorFila();
        }
    }
    x_.push_back(x);
    y_.push_back(y);
    ++n_;
}

bool CoordenadasRegion::sigueReticula(std::size_t col, float x, float y) const {
    return col == 0 ? (!igual(y, ys_.back()) && igual(x, xs_[0])) : (igual(y, ys_.back()) && igual(x, xs_[col]));
}

void CoordenadasRegion::agrega(const float* x, const float* y, std::size_t n) {
    std::size_t i = 0;
    // The first row of cells and the first row after it, one by one.
    for (; i < n && reticula_ && !anchoFijo_; ++i) agrega(x[i], y[i]);
    if (reticula_ && i < n) {
        // Then the column follows the row without a division per row.
        std::size_t col = n_ % xs_.size();
        for (; i < n && sigueReticula(col, x[i], y[i]); ++i) {
            if (col == 0) ys_.push_back(y[i]);
            ++n_;
            if (++col == xs_.size()) col = 0;
        }
        if (i < n) {  // this row breaks the lattice
            agrega(x[i], y[i]);
            ++i;
        }
    }
    if (i < n) {
        x_.insert(x_.end(), x + i, x + n);
        y_.insert(y_.end(), y + i, y + n);
        n_ += n - i;
    }
}

void CoordenadasRegion::reserva(std::size_t n) {
    previstas_ = n;
    if (!reticula_) {
        x_.reserve(n);
        y_.reserve(n);
    }
}

void CoordenadasRegion::cierra() {
    if (reticula_ && !xs_.empty() && n_ % xs_.size() != 0) aPorFila();
}

TImagenN<float> CoordenadasRegion::comoTabla() const {
    TImagenN<float> t(static_cast<int>(n_), 2);
    for (std::size_t r = 0; r < n_; ++r) {
        t.datos[0][r] = x(r);
        t.datos[1][r] = y(r);
    }
    return t;
}

void CoordenadasRegion::ajusta() {
    previstas_ = 0;
    x_.shrink_to_fit();
    y_.shrink_to_fit();
}

void CoordenadasRegion::libera() { *this = CoordenadasRegion(); }

std::size_t RegionCompacta::validas() const {
    return static_cast<std::size_t>(std::count(valida.begin(), valida.end(), std::uint8_t{1}));
}

float RegionCompacta::valorSesgoUniforme(std::size_t validas) {
    return validas > 0 ? static_cast<float>(1.0 / static_cast<double>(validas)) : 0.0f;
}

std::size_t RegionCompacta::bytes() const {
    std::size_t b = coordenadas.bytes() + valida.capacity() + 4 * sesgo.capacity() + priori.capacity();
    for (const auto& c : codigos) b += c.bytes();
    return b;
}

bool mismaRegion(const RegionCompacta& a, const RegionCompacta& b) {
    const auto& ca = a.coordenadas;
    const auto& cb = b.coordenadas;
    if (a.numCovariables != b.numCovariables || a.nombres != b.nombres || a.valida != b.valida ||
        a.sesgoUniforme != b.sesgoUniforme || a.prioriUniforme != b.prioriUniforme || a.priori != b.priori ||
        a.categorias.size() != b.categorias.size() || a.sesgo.size() != b.sesgo.size() ||
        a.codigos.size() != b.codigos.size() || ca.size() != cb.size() || ca.reticula() != cb.reticula())
        return false;
    for (std::size_t k = 0; k < a.categorias.size(); ++k)
        if (!igual(a.categorias[k], b.categorias[k])) return false;
    for (std::size_t r = 0; r < a.sesgo.size(); ++r)
        if (!igual(a.sesgo[r], b.sesgo[r])) return false;
    for (std::size_t r = 0; r < ca.size(); ++r)
        if (!igual(ca.x(r), cb.x(r)) || !igual(ca.y(r), cb.y(r))) return false;
    for (std::size_t k = 0; k < a.codigos.size(); ++k) {
        const auto& x = a.codigos[k];
        const auto& y = b.codigos[k];
        if (x.ancho() != y.ancho() || x.size() != y.size()) return false;
        for (std::size_t r = 0; r < x.size(); ++r)
            if (x[r] != y[r]) return false;
    }
    return true;
}

}  // namespace quel
