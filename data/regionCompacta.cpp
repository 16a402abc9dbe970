#include "data/regionCompacta.h"

#include <algorithm>

namespace quel {

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
    case 1: a8_.reserve(n); break;
    case 2: a16_.reserve(n); break;
    default: a32_.reserve(n); break;
    }
}

void ColumnaEnteros::ensancha(int v) {
    const int nuevo = (v >= -32768 && v <= 32767) ? 2 : 4;
    if (nuevo == 2) {
        a16_.assign(a8_.begin(), a8_.end());
    } else if (ancho_ == 1) {
        a32_.assign(a8_.begin(), a8_.end());
    } else {
        a32_.assign(a16_.begin(), a16_.end());
    }
    a8_ = {};
    if (nuevo == 4) a16_ = {};
    ancho_ = nuevo;
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
            if (n_ == 0 || y == ys_[0]) {
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
            const bool bien = col == 0 ? (y != ys_.back() && x == xs_[0]) : (y == ys_.back() && x == xs_[col]);
            if (bien) {
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

void CoordenadasRegion::agrega(const float* x, const float* y, std::size_t n) {
    if (!reticula_) {
        x_.insert(x_.end(), x, x + n);
        y_.insert(y_.end(), y, y + n);
        n_ += n;
        return;
    }
    for (std::size_t i = 0; i < n; ++i) agrega(x[i], y[i]);
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

}  // namespace quel
