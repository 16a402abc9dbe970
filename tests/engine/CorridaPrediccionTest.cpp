// The whole prediction run: settings checked first, the results kept only
// when the run succeeds, and a run stopped on request or by a failure
// changing neither the caller's engine nor earlier result files.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "data/cargaArchivo.h"
#include "engine/corridaPrediccion.h"
#include "engine/ejecutarQuel.h"
#include "support/testutil.h"

namespace fs = std::filesystem;
using Fin = ResumenPrediccion::Fin;

namespace {

// A 4 x 3 region with two covariates, uniform bias and prior, two species.
struct Corrida {
    prueba::CarpetaTemporal dir, trabajo;
    cargaArchivo datos{trabajo.ruta()};
    OpcionesPrediccion o;
    Corrida() {
        std::string c = "A,3,\nB,2,\n**********\nLong,Lat,A,B,\n";
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 4; ++k)
                c += std::to_string(k) + "," + std::to_string(2 - r) + "," + std::to_string(1 + (r + k) % 3) + "," +
                     std::to_string(1 + k % 2) + ",1,\n";
        c.pop_back();
        prueba::escribe(dir / "cov.txt", c);
        prueba::escribe(dir / "sitios.txt", "sp a,1,1\nsp b,3,0\nsp a,2,2");
        o.covariables = dir / "cov.txt";
        o.sitios = dir / "sitios.txt";
        o.salida = dir / "res";
        o.hilos = 2;
    }
};

// Cancels the run, or throws, at its first log line (the certainty step).
struct Detiene final : Progreso {
    bool lanza = false;
    void avanza(int) override {}
    void registra(Canal, const std::string&) override {
        if (lanza) throw std::runtime_error("log failed");
        cancela();
    }
};

}  // namespace

// Cancelled, or failing inside the engine: the caller's engine keeps the
// results of the run before, and so do the result files.
TEST(CorridaPrediccion, CanceladaOFallidaNoCambiaNada) {
    for (bool lanza : {false, true}) {
        SCOPED_TRACE(lanza ? "the engine fails" : "cancelled");
        Corrida k;
        ejecutarQuel motor;
        ASSERT_TRUE(corridaPrediccion(k.o, k.datos, motor).bien());
        const auto antes = motor.predictiva->datos[0];
        const std::string archivo = prueba::lee(k.o.salida / "predictive.txt");
        k.o.digitos = 12;  // a run that would write other bytes
        Detiene d;
        d.lanza = lanza;
        const ResumenPrediccion r = prediccionDeDatos(k.o, k.datos, motor, d);
        EXPECT_EQ(r.fin, lanza ? Fin::kFallo : Fin::kCancelada);
        if (lanza) {
            EXPECT_EQ(r.error.detalle, "the run failed: log failed");
        }
        EXPECT_EQ(motor.predictiva->datos[0], antes);
        EXPECT_EQ(prueba::lee(k.o.salida / "predictive.txt"), archivo);
    }
}
