// The core evaluation entry on the sample region: folds that cannot be
// scored are reported as such, and a cancelled evaluation writes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/cargaArchivo.h"
#include "engine/evaluacion.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

OpcionesEvaluacion muestras(const fs::path& salida) {
    OpcionesEvaluacion o;
    const fs::path m = prueba::fuentes() / "samples";
    o.prediccion.covariables = m / "covariates.txt";
    o.prediccion.sitios = m / "sites.txt";
    o.prediccion.sesgo = m / "bias.txt";
    o.prediccion.priori = m / "prior.txt";
    o.prediccion.especie = "Pinus_oocarpa";
    o.prediccion.salida = salida;
    return o;
}

}  // namespace

TEST(Evaluacion, FoldsWithoutHeldOutSitesAreNotedAndCancelWritesNothing) {
    prueba::CarpetaTemporal dir, trabajo;
    OpcionesEvaluacion o = muestras(dir / "res");
    o.pliegues = 42;  // 40 sites: the last two folds hold none
    cargaArchivo datos(trabajo.ruta());
    const ResumenEvaluacion r = evaluacion(o, datos);
    ASSERT_TRUE(r.bien()) << r.error.detalle;
    ASSERT_EQ(r.especies.size(), 1u);
    const auto& pliegues = r.especies[0].pliegues;
    ASSERT_EQ(pliegues.size(), 42u);
    EXPECT_EQ(pliegues[0].prueba, 1);
    EXPECT_EQ(pliegues[0].entrenamiento, 39);
    EXPECT_FALSE(std::isnan(pliegues[0].valores[kAucPrueba]));
    EXPECT_EQ(pliegues[41].nota, "no held-out site");
    EXPECT_TRUE(std::isnan(pliegues[41].valores[kAucPrueba]));
    EXPECT_TRUE(fs::exists(dir / "res" / "evaluation.csv"));

    ProgresoNulo cancelado;
    cancelado.cancela();
    o.prediccion.salida = dir / "otra";
    EXPECT_EQ(evaluacionDeDatos(o, datos, cancelado).fin, ResumenEvaluacion::Fin::kCancelada);
    EXPECT_FALSE(fs::exists(dir / "otra" / "evaluation.csv"));
}
