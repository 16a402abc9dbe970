#pragma once
// Progress reporting of long core operations. The windows bind it to their
// progress bars, the command line to standard error. Percent values add up to
// 100 over one command; `mensaje` may be empty.
#include <string>

class Progreso {
public:
    virtual ~Progreso() = default;
    // Advance the bar by `pasos` percent points.
    virtual void avanza(int pasos) = 0;
    // Set the bar to an absolute percentage (0..100).
    virtual void fija(int porcentaje) { (void)porcentaje; }
    // Lets a window keep painting during long loops; cheap to call often.
    virtual void pulso() {}
};

// A progress sink that ignores everything; used when the caller passes none.
class ProgresoNulo final : public Progreso {
public:
    void avanza(int) override {}
};

inline Progreso& progresoNulo() {
    static ProgresoNulo nulo;
    return nulo;
}
