// The whole prediction run: settings checked first, the results kept only
// when the run succeeds, and a run stopped on request or by a failure
// changing neither the caller's engine nor earlier result files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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

namespace {

// Every file of a results folder, by name.
std::map<std::string, std::string> archivosDe(const fs::path& carpeta) {
    std::map<std::string, std::string> r;
    for (const auto& e : fs::directory_iterator(carpeta)) r[e.path().filename().string()] = prueba::lee(e.path());
    return r;
}

// The lines of a covariate table after its title line, rearranged by `cambia`.
void reescribe(const fs::path& de, const fs::path& a, const std::function<void(std::vector<std::string>&)>& cambia) {
    std::istringstream s(prueba::lee(de));
    std::string cabecera, l;
    std::vector<std::string> filas;
    int separador = 0;
    while (std::getline(s, l)) {
        if (separador < 2) {
            cabecera += l + "\n";
            if (separador == 1 || (!l.empty() && l.back() == '*')) ++separador;
            continue;
        }
        filas.push_back(l);
    }
    cambia(filas);
    std::string t = cabecera;
    for (const auto& f : filas) t += f + "\n";
    t.pop_back();
    prueba::escribe(a, t);
}

}  // namespace

// A run in blocks over a compact region writes the bytes of a run over the
// loaded dataset: on the bundled region, on a table whose first column of
// cells is missing, with a covariate of 300 categories, and on a table the
// compact reader may hand back to the text loaders; shuffled rows give no
// result grid, and both runs refuse them with the same words.
TEST(CorridaPrediccion, EnBloquesEscribeLosMismosBytes) {
    prueba::CarpetaTemporal dir;
    const fs::path muestras = prueba::fuentes() / "samples";
    const fs::path cov = muestras / "covariates.txt";
    reescribe(cov, dir / "desordenada.txt", [](auto& f) { std::shuffle(f.begin(), f.end(), std::mt19937(3)); });
    // Every row whose x is the table's smallest is left out.
    reescribe(cov, dir / "sin_columna.txt", [](auto& f) {
        const std::string x0 = f[0].substr(0, f[0].find(','));
        std::erase_if(f, [&](const std::string& l) { return l.substr(0, l.find(',')) == x0; });
    });
    {
        std::string c = "A,300,\nB,3,\nC,4,\n**********\nLong,Lat,A,B,C,\n";
        for (int r = 0; r < 40; ++r)
            for (int k = 0; k < 30; ++k)
                c += std::to_string(k) + "," + std::to_string(40 - r) + "," + std::to_string(1 + (r * 30 + k) % 300) +
                     "," + std::to_string(1 + (r / 7) % 3) + "," + std::to_string(1 + (k / 5) % 4) + "," +
                     ((r + k) % 9 ? "1" : "0") + ",\n";
        c.pop_back();
        prueba::escribe(dir / "trescientas.txt", c);
        prueba::escribe(dir / "sitios300.txt", "a,3.5,30.5\na,12.2,12.7\nb,20.5,5.5\na,29.5,39.5");
    }
    // A tab and blanks the compact reader leaves to the text loaders, maybe.
    prueba::escribe(dir / "rara.txt", "A,2,\nB,2,\n****\nLong,Lat,A,B,\n0,\t1,1,2,1,\n1, 1,2,1,1,\n0,0,1,1,1,\n1,0,2,2,0,");
    prueba::escribe(dir / "sitios_rara.txt", "x,0.5,0.5\nx,1.5,1.5");
    struct Caso {
        const char* que;
        fs::path cov, sitios, sesgo, priori;
    };
    const Caso casos[] = {
        {"samples", cov, muestras / "sites.txt", muestras / "bias.txt", muestras / "prior.txt"},
        {"shuffled rows", dir / "desordenada.txt", muestras / "sites.txt", {}, {}},
        {"a missing column of cells", dir / "sin_columna.txt", muestras / "sites.txt", {}, {}},
        {"300 categories", dir / "trescientas.txt", dir / "sitios300.txt", {}, {}},
        {"odd text", dir / "rara.txt", dir / "sitios_rara.txt", {}, {}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        OpcionesPrediccion o;
        o.covariables = c.cov;
        o.sitios = c.sitios;
        o.sesgo = c.sesgo;
        o.priori = c.priori;
        o.hilos = 2;
        std::map<std::string, std::string> esperado;
        ResumenPrediccion antes;
        {
            prueba::CarpetaTemporal trabajo;
            cargaArchivo datos(trabajo.ruta());
            ejecutarQuel motor;
            o.salida = dir / "entera";
            antes = corridaPrediccion(o, datos, motor);
            EXPECT_EQ(antes.bien(), std::string(c.que) != "shuffled rows") << antes.error.detalle;
            if (antes.bien()) esperado = archivosDe(o.salida);
        }
        for (int hilos : {1, 3}) {
            prueba::CarpetaTemporal trabajo;
            cargaArchivo datos(trabajo.ruta());
            o.salida = dir / ("bloques" + std::to_string(hilos));
            o.hilos = hilos;
            const ResumenPrediccion r = corridaEnBloques(o, datos);
            // Shuffled rows give no result grid: both runs refuse them alike.
            EXPECT_EQ(r.error.detalle, antes.error.detalle);
            using Archivos = std::map<std::string, std::string>;
            EXPECT_EQ(r.bien() ? archivosDe(o.salida) : Archivos{}, esperado);
            EXPECT_EQ(r.breve().substr(0, r.breve().rfind(',')), antes.breve().substr(0, antes.breve().rfind(',')));
        }
    }
}
