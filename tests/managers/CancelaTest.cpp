// Long core work stopped on request: the four loads and the covariate table
// builder return the cancel code and leave the dataset and their files as
// they were.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "data/cargaArchivo.h"
#include "managers/covariates/constructorTabla.h"
#include "support/progresoPrueba.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

TEST(Cancela, UnaCargaOUnaTablaCanceladaNoCambiaNada) {
    prueba::CarpetaTemporal t;
    const auto escribe = [&](const std::string& nombre, const std::string& bytes) {
        prueba::escribe(t / nombre, bytes);
        return t / nombre;
    };
    const std::string kEnc = "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    const fs::path tabla = escribe("t.txt", "a,2,\nb,3,\n*\nLong,Lat,a,b,\n0,1,1,2,1,\n1,1,2,3,1,\n0,0,1,1,0,\n1,0,2,1,1,");
    const fs::path sesgo = escribe("s.txt", "0.1\n0.2\n0.3\n0.4");
    const fs::path priori = escribe("p.txt", "1\n2\n3\n0,");
    const fs::path sitios = escribe("e.txt", "b,0,1\na,1,0\na,1,1");
    cargaArchivo ds(t.ruta());
    ASSERT_EQ(ds.cargaCovariables(tabla) + ds.cargaSesgo(sesgo) + ds.cargaPriori(priori) + ds.cargaSitios(sitios), 0);

    constructorTabla ct{quel::RaizDatos(t / "Quel")};
    const std::vector<ItemCovariable> grids = {{"g", true, escribe("g.asc", kEnc + "1 2\n3 4\n"), 2, false},
                                               {"h", true, escribe("h.asc", kEnc + "4 3\n2 1\n"), 2, false}};
    const fs::path salida = escribe("salida.txt", "antes");

    const auto estado = [&] {
        return std::make_tuple(ds.coordenadas.get(), ds.covariables.get(), ds.categorias.get(),
                               ds.nombresCovariables.get(), ds.sesgo.get(), ds.priori.get(), ds.sitios.get(),
                               ds.especies.get(), ds.numCovariables, ds.numEspecies, ds.renglones, ds.columnas,
                               prueba::lee(salida));
    };
    // Loads pulse once per line, converting and then validating; the builder
    // reports once per grid.
    const struct Caso {
        const char* que;
        int cancelaEn;
        std::function<int(Progreso&)> corre;
    } casos[] = {
        {"covariates, converting", 2, [&](Progreso& p) { return ds.cargaCovariables(tabla, p); }},
        {"covariates, validating", 9, [&](Progreso& p) { return ds.cargaCovariables(tabla, p); }},
        {"bias, converting", 1, [&](Progreso& p) { return ds.cargaSesgo(sesgo, p); }},
        {"bias, validating", 6, [&](Progreso& p) { return ds.cargaSesgo(sesgo, p); }},
        {"prior", 5, [&](Progreso& p) { return ds.cargaPriori(priori, p); }},
        {"sites", 4, [&](Progreso& p) { return ds.cargaSitios(sitios, p); }},
        {"table, before the second grid", 1, [&](Progreso& p) { return ct.construyeTabla(salida, grids, nullptr, p); }},
        {"table, before writing", 2, [&](Progreso& p) { return ct.construyeTabla(salida, grids, nullptr, p); }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        const auto antes = estado();
        prueba::ProgresoPrueba p(c.cancelaEn);
        EXPECT_EQ(c.corre(p), quel::kCodigoCancelado);
        EXPECT_EQ(p.llamadas, c.cancelaEn) << "stopped at the first check after the request";
        EXPECT_EQ(estado(), antes);
        EXPECT_FALSE(fs::exists(ct.exportador.rutaCoordenadas()));
    }
    EXPECT_EQ(ds.error.codigo, quel::kCodigoCancelado);
    EXPECT_EQ(ds.error.archivo, sitios);
}
