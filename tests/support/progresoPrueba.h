#pragma once
// A progress sink for the core tests: counts what it is given, keeps the log
// lines, and can cancel itself (or throw) at a chosen call.
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Progreso.h"

namespace prueba {

class ProgresoPrueba final : public Progreso {
public:
    // Cancels itself at its `cancelaEn`-th call of avanza or pulso (never
    // when 0); with `lanza`, throws std::runtime_error there instead.
    explicit ProgresoPrueba(int cancelaEn = 0, bool lanza = false) : cancelaEn_(cancelaEn), lanza_(lanza) {}

    int puntos = 0;    // points handed over by avanza
    int llamadas = 0;  // calls of avanza and pulso
    std::vector<std::string> registro;  // "out: " or "err: " and the line

    void avanza(int p) override {
        puntos += p;
        cuenta();
    }
    void pulso() override { cuenta(); }
    void registra(Canal canal, const std::string& l) override {
        registro.push_back((canal == Canal::kSalida ? "out: " : "err: ") + l);
    }

private:
    void cuenta() {
        if (++llamadas != cancelaEn_) return;
        if (lanza_) throw std::runtime_error("worker failed");
        cancela();
    }
    int cancelaEn_;
    bool lanza_;
};

}  // namespace prueba
