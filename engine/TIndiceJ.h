#pragma once
// Descriptor of one pair (i, j) of covariates: its indexes and one or three
// tables of C_i rows by C_j columns (the cells of the pair).
#include <memory>

#include "data/TImagenN.h"

template <class T>
class TIndiceJ {
public:
    bool simple = true;  // one table (tabla1) instead of three
    int indiceI = 0;
    int indiceJ = 0;
    std::unique_ptr<TImagenN<T>> tabla1, tabla2, tabla3;

    TIndiceJ(int ci, int cj, bool unaTabla) : simple(unaTabla) {
        tabla1 = std::make_unique<TImagenN<T>>(ci, cj);
        if (!simple) {
            tabla2 = std::make_unique<TImagenN<T>>(ci, cj);
            tabla3 = std::make_unique<TImagenN<T>>(ci, cj);
        }
    }

    // Writes `valor` into every element of every table it owns.
    void llena(T valor) {
        for (auto* t : {tabla1.get(), tabla2.get(), tabla3.get()})
            if (t)
                for (auto& col : t->datos)
                    for (auto& v : col) v = valor;
    }

    // Frees the tables it owns.
    void libera() {
        tabla1.reset();
        tabla2.reset();
        tabla3.reset();
    }
};
