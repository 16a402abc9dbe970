// The bias inference on files: covariate load, grid conversion through
// "ASCIITmp.txt", the distance sums with the cap and its replacement,
// richness and abundance, the run with its site steps, and the bias file.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/cargaArchivo.h"
#include "managers/bias/corridaSesgo.h"
#include "managers/bias/inferenciaBias.h"
#include "managers/SesgoComun.h"
#include "support/progresoPrueba.h"

namespace fs = std::filesystem;
using namespace prueba_sesgo;

namespace {

// An estimator and a dataset sharing one scratch working folder.
struct Banco {
    prueba::CarpetaTemporal carpeta;
    prueba::CarpetaTemporal entradas;
    cargaArchivo datos{carpeta.ruta()};
    inferenciaBias inf{carpeta.ruta()};

    fs::path archivo(const std::string& nombre, const std::string& contenido) {
        const fs::path p = entradas / nombre;
        prueba::escribe(p, contenido);
        return p;
    }
    void cargaTabla(const std::vector<Fila>& filas) {
        ASSERT_EQ(cargaCovariablesSesgo(inf, datos, archivo("covs.txt", tablaCovariables(filas))), 0);
    }
    std::string trabajo(const std::string& nombre) const { return prueba::lee(carpeta / nombre); }
};

// Three cells in a row, 10 apart, each its own combination.
std::vector<Fila> tresCeldas() { return {{0, 0, {1}, 1}, {10, 0, {2}, 1}, {20, 0, {3}, 1}}; }

}  // namespace

TEST(SesgoSumas, ACellOnACityTakesTheCapReplacedByTenTimesTheLargestOtherSum) {
    Banco b;
    b.cargaTabla(tresCeldas());
    const fs::path ciudades = b.archivo("c.asc", grid(3, 1, 0, 0, 10, {5, 0, 0}));
    const fs::path carreteras = b.archivo("r.asc", grid(3, 1, 0, 0, 10, {2, 2, 2}));  // coded 2: no road
    ASSERT_EQ(b.inf.sumaDistancias(b.datos, ciudades, carreteras), 0);
    // On the city: 1000000, then ten times the largest uncapped.
    EXPECT_EQ(b.inf.sumaCiudades->datos[0], (std::vector<long double>{10.0L * 0.5L, 5.0L / 10.0L, 5.0L / 20.0L}));
    EXPECT_EQ(b.inf.sumaCarreteras->datos[0], std::vector<long double>(3, 0.0L));
    EXPECT_EQ(b.trabajo("sumaciudades.txt"), "5\n0.5\n0.25\n");
    EXPECT_EQ(b.trabajo("sumacarret.txt"), "0\n0\n0\n");
    EXPECT_FALSE(fs::exists(b.carpeta / "ASCIITmp.txt"));
}

TEST(SesgoSumas, RoadsCountOnlyCellsCodedOneAndTheCapStaysWithFewerThanTwoOthers) {
    Banco b;
    b.cargaTabla({{0, 0, {1}, 1}, {10, 0, {2}, 1}});
    const fs::path ciudades = b.archivo("c.asc", grid(3, 1, 0, 0, 10, {0, 0, 0}));
    const fs::path carreteras = b.archivo("r.asc", grid(3, 1, 0, 0, 10, {1, 2, 1}));
    ASSERT_EQ(b.inf.sumaDistancias(b.datos, ciudades, carreteras), 0);
    // Cell 0 lies on a road: capped, and only one uncapped sum remains.
    EXPECT_EQ(b.inf.sumaCarreteras->datos[0], (std::vector<long double>{1000000.0L, 1.0L / 10.0L + 1.0L / 10.0L}));
    EXPECT_EQ(b.trabajo("sumacarret.txt"), "1e+06\n0.2\n");
}

TEST(SesgoSumas, ResultsDoNotDependOnTheThreadCount) {
    std::vector<std::vector<int>> clases;
    for (int i = 0; i < 20 * 15; ++i) clases.push_back({1 + i % 7, 1 + (i / 7) % 5});
    std::vector<double> ciudades(20 * 15, 0), carreteras(20 * 15, 0);
    for (int i = 0; i < 20 * 15; i += 17) ciudades[i] = 1 + i % 5;
    for (int i = 0; i < 20 * 15; i += 3) carreteras[i] = 1;
    std::vector<std::vector<long double>> sumas;
    for (int hilos : {1, 2, 5}) {
        Banco b;
        b.inf.fijaHilos(hilos);
        b.cargaTabla(region(20, 15, -100.25, 19.5, 0.05, clases));
        ASSERT_EQ(b.inf.sumaDistancias(b.datos, b.archivo("c.asc", grid(20, 15, -100.25, 19.5, 0.05, ciudades)),
                                       b.archivo("r.asc", grid(20, 15, -100.25, 19.5, 0.05, carreteras))),
                  0);
        sumas.push_back(b.inf.sumaCiudades->datos[0]);
        sumas.back().insert(sumas.back().end(), b.inf.sumaCarreteras->datos[0].begin(), b.inf.sumaCarreteras->datos[0].end());
    }
    EXPECT_EQ(sumas[0], sumas[1]);
    EXPECT_EQ(sumas[0], sumas[2]);
}

TEST(SesgoAbundancia, ComesFromRichnessAndIsZeroWhereRichnessIsZeroOrMissing) {
    Banco b;
    // Keys: cells 0 and 3 share one; cell 1 has no-data richness; cell 2 richness 0.
    b.cargaTabla({{0, 1, {1}, 1}, {1, 1, {2}, 1}, {0, 0, {3}, 1}, {1, 0, {1}, 1}});
    const fs::path r = b.archivo("s.asc", grid(2, 2, 0, 0, 1, {10, -9999, 0, 25}));
    ASSERT_EQ(b.inf.cargaRiqueza(b.datos, r), 0);
    EXPECT_FALSE(b.inf.celdasRiqueza);
    b.inf.calculaAbundancia();
    EXPECT_FALSE(b.inf.riqueza);
    // Combination order: key 2 (row 1), key 3 (row 2), key 1 (row 3).
    const auto& a = b.inf.abundancia->datos[0];
    EXPECT_EQ(a[0] + a[1], 0.0L);
    // B(S): A solves A exp(A^2) = S ln2 / pi, then B = sqrt(pi)/ln2 A exp(4A^2) erf(2A).
    auto bDe = [](double s) {
        const double pi = 3.141592654, objetivo = s * std::log(2.0) / pi;
        double lo = 0, hi = 10;
        for (int i = 0; i < 200; ++i) {
            const double m = 0.5 * (lo + hi);
            (m * std::exp(m * m) < objetivo ? lo : hi) = m;
        }
        return std::sqrt(pi) / std::log(2.0) * lo * std::exp(4 * lo * lo) * std::erf(2 * lo);
    };
    EXPECT_NEAR(static_cast<double>(a[2]) / (bDe(10) + bDe(25)), 1.0, 1e-9);
    const std::string texto = b.trabajo("abund.txt");
    EXPECT_EQ(texto.substr(0, 4), "0\n0\n");
    EXPECT_EQ(std::count(texto.begin(), texto.end(), '\n'), 3);
}

TEST(SesgoAbundancia, TheRichnessGridMustListTheCellsOfTheTable) {
    Banco b;
    b.cargaTabla({{0, 0, {1}, 1}, {1, 0, {2}, 1}});
    struct Caso {
        std::string grid;
        const char* difiere;  // empty: lines up
    } casos[] = {
        {grid(2, 1, 0, 0, 1, {3, 4}), ""},
        {grid(2, 1, 0.004, -0.009, 1, {3, 4}), ""},  // within a hundredth of a cell
        {grid(4, 1, 0, 0, 1, {3, 4, 5, 6}), "the grid has 4 cells, the table 2 rows"},
        {grid(1, 2, 0, 0, 1, {3, 4}), "cell 1 of the grid has its lower-left corner at (0, 1), row 1 of the table lies at (0, 0)"},
        {grid(2, 1, 0.5, 0, 1, {3, 4}), "cell 1 of the grid has its lower-left corner at (0.5, 0)"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.grid);
        const int codigo = b.inf.cargaRiqueza(b.datos, b.archivo("s.asc", c.grid));
        if (*c.difiere == 0) {
            ASSERT_EQ(codigo, 0) << b.inf.error().detalle;
            EXPECT_EQ(b.inf.riqueza->datos[0][1], 4);
            continue;
        }
        EXPECT_EQ(codigo, codigos::kEncabezados);
        EXPECT_NE(b.inf.error().detalle.find(c.difiere), std::string::npos) << b.inf.error().detalle;
        EXPECT_NE(b.inf.error().detalle.find("covariate table"), std::string::npos);
    }
}

namespace {

// A 6 x 5 region with two covariates, cities, roads, richness and sites.
struct Region {
    Banco b;
    EntradasSesgo e;
    Region() {
        const RegionSesgo r;
        EXPECT_EQ(cargaCovariablesSesgo(b.inf, b.datos, b.archivo("covs.txt", r.covariables)), 0);
        e.ciudades = b.archivo("c.asc", r.ciudades);
        e.carreteras = b.archivo("r.asc", r.carreteras);
        e.riqueza = b.archivo("s.asc", r.riqueza);
        e.presencias = b.archivo("p.txt", "sp b,-104.98,19.41\nsp a,-104.69,19.02\nsp a,-104.88,19.21\n"
                                          "sp b,-104.58,19.33\nsp a,5000000,0");
        e.alfa = 1;
        e.beta = 2;
        e.cota = 40;
        e.ausencias = 20;
    }
};

}  // namespace

// A run that stops inside the distance sums, cancelled or because a worker
// threw, whatever the thread count, leaves the sums, sites and bias of the
// run before it as they were; the exception reaches the caller.
TEST(SesgoCorrida, CancelledOrFailingSumsChangeNothing) {
    for (int hilos : {1, 4})
        for (bool lanza : {false, true}) {
            SCOPED_TRACE(std::to_string(hilos) + (lanza ? " threads, a worker throws" : " threads, cancelled"));
            Region r;
            r.b.inf.fijaHilos(hilos);
            std::unique_ptr<TImagenN<float>> sitios;
            std::unique_ptr<TImagenN<AnsiString>> especies;
            ASSERT_EQ(ejecutaSesgo(r.b.inf, r.b.datos, r.e, sitios, especies), 0);
            const auto ciudades = r.b.inf.sumaCiudades->datos[0];
            const auto sesgo = r.b.inf.sesgoPorCelda();
            const std::string archivoSumas = r.b.trabajo("sumaciudades.txt");
            const TImagenN<float>* antes = sitios.get();
            r.e.ciudades = r.e.carreteras;  // a run that would give other sums
            // Its first report of the sums comes from inside a worker's item.
            prueba::ProgresoPrueba d(1, lanza);
            FalloSesgo fallo;
            if (lanza) {
                EXPECT_THROW(ejecutaSesgo(r.b.inf, r.b.datos, r.e, sitios, especies, nullptr, &fallo, d),
                             std::runtime_error);
            } else {
                EXPECT_EQ(ejecutaSesgo(r.b.inf, r.b.datos, r.e, sitios, especies, nullptr, &fallo, d),
                          quel::kCodigoCancelado);
            }
            EXPECT_EQ(r.b.inf.sumaCiudades->datos[0], ciudades);
            EXPECT_EQ(r.b.inf.sesgoPorCelda(), sesgo);
            EXPECT_EQ(r.b.trabajo("sumaciudades.txt"), archivoSumas);
            EXPECT_EQ(sitios.get(), antes);
        }
}

TEST(SesgoCorrida, InputsNamedLikeWorkingFilesInTheWorkingFolderAreNeverOverwritten) {
    Banco b;
    b.cargaTabla(tresCeldas());
    const std::string texto = grid(3, 1, 0, 0, 10, {5, 0, 0});
    prueba::escribe(b.carpeta / "ASCIITmp.txt", texto);
    EXPECT_EQ(b.inf.convierteCeldas(b.datos, b.carpeta / "ASCIITmp.txt", inferenciaBias::kCiudades), codigos::kVacio);
    EXPECT_EQ(prueba::lee(b.carpeta / "ASCIITmp.txt"), texto);

    const std::string sitiosTexto = "a,1,0\nb,12,0";
    prueba::escribe(b.carpeta / "SitiosPresenciaTmp.txt", sitiosTexto);
    std::unique_ptr<TImagenN<float>> sitios;
    std::unique_ptr<TImagenN<AnsiString>> especies;
    EXPECT_EQ(leeSitiosSesgo(b.datos, b.carpeta / "SitiosPresenciaTmp.txt", sitios, especies), codigos::kVacio);
    EXPECT_EQ(prueba::lee(b.carpeta / "SitiosPresenciaTmp.txt"), sitiosTexto);
}
