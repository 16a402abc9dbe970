// quel-cli predict end to end: options, exit statuses, the six files, the
// error line, species selection, and runs side by side.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "cli/comandos.h"
#include "cli/CovariatesApoyo.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

using apoyo::Salida;

Salida predict(const std::vector<std::string>& args) { return apoyo::corre(cli::predict, args); }

std::vector<std::string> lineas(const std::string& texto) {
    std::vector<std::string> r;
    std::istringstream s(texto);
    for (std::string l; std::getline(s, l);) r.push_back(l);
    return r;
}

// A study region of `ancho` x `alto` cells with three covariates, written as
// the covariate manager writes its table, with a bias, a prior and a sites
// file of two species.
struct Region {
    prueba::CarpetaTemporal dir;
    fs::path cov = dir / "covariables.txt", sesgo = dir / "sesgo.txt", priori = dir / "priori.txt",
             sitios = dir / "sitios.txt", salida = dir / "resultados";

    explicit Region(int ancho = 8, int alto = 6) {
        std::mt19937 g(42);
        std::string c = "Altura,3,\nSuelo,2,\nClima,4,\n**********\nLong,Lat,Altura,Suelo,Clima,\n";
        std::string b, p;
        for (int r = 0; r < alto; ++r)
            for (int k = 0; k < ancho; ++k) {
                const bool dentro = (r + k) % 7 != 0;
                std::ostringstream l;
                l << -105 + 0.25 * k << ',' << 20 - 0.25 * r << ',';
                if (dentro)
                    l << 1 + g() % 3 << ',' << 1 + g() % 2 << ',' << 1 + g() % 4 << ",1,";
                else
                    l << "0,0,0,0,";
                c += l.str() + "\n";
                b += std::to_string(static_cast<double>(g() % 1000) / 4000.0) + "\n";
                p += std::to_string(dentro ? g() % 4 : 0) + ",\n";
            }
        for (auto [ruta, texto] : {std::pair{&cov, &c}, {&sesgo, &b}, {&priori, &p}}) {
            texto->pop_back();
            prueba::escribe(*ruta, *texto);
        }
        prueba::escribe(sitios,
                        "Lynx rufus,-104.9,20.1\nCanis latrans,-104.4,19.1\nLynx rufus,-103.4,18.9\n"
                        "Canis latrans,-104.1,19.6\nLynx rufus,-104.6,19.4");
    }
    std::vector<std::string> args(std::vector<std::string> extra = {}) const {
        std::vector<std::string> a = {"--covariates", cov.string(), "--sites", sitios.string(), "--bias",
                                      sesgo.string(), "--prior", priori.string(), "--out", salida.string()};
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    }
};

const char* const kArchivos[6] = {"predictive.txt", "certainty.txt", "prior_potential.txt",
                                  "predictive.asc", "certainty.asc", "prior_potential.asc"};

std::ptrdiff_t cuenta(const fs::path& carpeta) {
    return std::distance(fs::directory_iterator(carpeta), fs::directory_iterator());
}

// The six result files of a folder, in the order of kArchivos.
std::vector<std::string> resultados(const fs::path& carpeta) {
    std::vector<std::string> r;
    for (const char* n : kArchivos) r.push_back(prueba::lee(carpeta / n));
    return r;
}

}  // namespace

TEST(Predict, EscribeLosSeisArchivos) {
    Region reg;
    const Salida s = predict(reg.args());
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.out, "Iteracion: 1 de 3\nIteracion: 2 de 3\nIteracion: 3 de 3\n");
    // Not a terminal: no progress; the first lynx lies on a no-data cell.
    EXPECT_EQ(s.err, "quel-cli predict: Lynxrufus: 1 of 3 sites lie on no-data cells and count in the nearest region "
                     "cell: (-104.9, 20.1)\n");
    const auto pred = lineas(prueba::lee(reg.salida / "predictive.txt"));
    ASSERT_EQ(pred.size(), 49u);
    EXPECT_EQ(pred[0] + pred[1], "Longitude, Latitude,Predictive probability,-105,20,0");  // outside the region
    EXPECT_EQ(lineas(prueba::lee(reg.salida / "certainty.txt"))[0], "Longitude, Latitude,Certainty,");
    EXPECT_EQ(lineas(prueba::lee(reg.salida / "prior_potential.txt"))[0], "Longitude, Latitude,Prior potential,");
    const auto asc = lineas(prueba::lee(reg.salida / "predictive.asc"));
    ASSERT_EQ(asc.size(), 12u);
    EXPECT_EQ(asc[0] + asc[1] + asc[6].substr(0, 6), "ncols         8nrows         6-9999 ");
    // Nothing but the inputs and the results folder in the user's folder.
    EXPECT_EQ(cuenta(reg.dir.ruta()), 5);
    EXPECT_EQ(cuenta(reg.salida), 6);
}

// A bad input gives one error line naming the file and the code, and no results.
TEST(Predict, UnaEntradaMalaDaSuLineaDeError) {
    Region reg;
    std::string b = prueba::lee(reg.sesgo);
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) pos = b.find('\n', pos) + 1;
    b.replace(pos, b.find('\n', pos) - pos, "1.5");  // line 4
    prueba::escribe(reg.sesgo, b);
    const Salida s = predict(reg.args());
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err, "quel-cli predict: " + reg.sesgo.string() +
                         ": error 9: Value out of range or not a number on line 4: expected a bias value from 0 "
                         "to 1, found \"1.5\"\n");
    EXPECT_FALSE(fs::exists(reg.salida));

    // A missing prior file.
    auto a = reg.args({"--uniform-bias"});
    a.erase(a.begin() + 4, a.begin() + 6);
    a[5] = (reg.dir / "no-existe.txt").string();
    const Salida falta = predict(a);
    EXPECT_EQ(falta.estado, 3);
    EXPECT_EQ(falta.err.rfind("quel-cli predict: " + a[5] + ": error 2: ", 0), 0u) << falta.err;
}

// Sites beyond the region and on no-data cells are reported per species,
// with their first coordinates; a species left with no site is warned of.
TEST(Predict, SitiosFueraDeLaRegionSeInforman) {
    Region reg;
    prueba::escribe(reg.sitios, "Lynx rufus,-104.85,19.9\nLynx rufus,3000000,19.9\nPuma,-104.9,20.1\nWolf,-90,40");
    auto a = reg.args({"--uniform-bias"});
    a.erase(a.begin() + 4, a.begin() + 6);
    const Salida s = predict(a);
    EXPECT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.err,
              "quel-cli predict: Lynxrufus: 1 of 2 sites left out as outside the region: (3000000, 19.9)\n"
              "quel-cli predict: Puma: 1 of 1 sites lie on no-data cells and count in the nearest region cell: "
              "(-104.9, 20.1)\n"
              "quel-cli predict: Wolf: 1 of 1 sites left out as outside the region: (-90, 40)\n"
              "quel-cli predict: warning: Wolf has no site in the region; its maps show the prior alone\n");
}

// Two runs writing into one folder end with complete files, those of a single run.
TEST(Predict, DosCorridasALaMismaCarpeta) {
    Region reg;
    ASSERT_EQ(predict(reg.args()).estado, 0);
    const std::vector<std::string> solo = resultados(reg.salida);
    int ea = -1, eb = -1;
    std::thread t1([&] { ea = cli::predict(reg.args({"--threads", "1"})); });
    std::thread t2([&] { eb = cli::predict(reg.args({"--threads", "2"})); });
    t1.join();
    t2.join();
    EXPECT_EQ(std::make_pair(ea, eb), std::make_pair(0, 0));
    EXPECT_EQ(resultados(reg.salida), solo);
    EXPECT_EQ(cuenta(reg.salida), 6);
}

// A run that cannot write its last file leaves every earlier result as it was.
TEST(Predict, UnaCorridaFallidaDejaLosResultadosAnteriores) {
    Region reg;
    ASSERT_EQ(predict(reg.args()).estado, 0);
    const std::vector<std::string> antes = resultados(reg.salida);
    fs::remove(reg.salida / "prior_potential.asc");
    fs::create_directory(reg.salida / "prior_potential.asc");
    const Salida s = predict(reg.args({"--digits", "12"}));
    EXPECT_EQ(s.estado, 3);
    EXPECT_NE(s.err.find("prior_potential.asc: cannot write the result grid: it is a folder"), std::string::npos)
        << s.err;
    fs::remove(reg.salida / "prior_potential.asc");
    prueba::escribe(reg.salida / "prior_potential.asc", antes[5]);
    EXPECT_EQ(resultados(reg.salida), antes);
    EXPECT_EQ(cuenta(reg.salida), 6);
}

// Ctrl-C during a run: the program stops at its next check, leaves no
// result, no temporary and no working folder, and says so.
TEST(Predict, CtrlCDetieneLaCorridaSinDejarNada) {
    Region reg(400, 400);
    const fs::path tmp = reg.dir / "tmp", err = reg.dir / "err.txt";
    fs::create_directory(tmp);
    int tubo[2];
    ASSERT_EQ(pipe(tubo), 0);
    std::vector<std::string> a = reg.args();
    a.insert(a.begin(), "predict");
    const pid_t hijo = apoyo::lanzaCli(a, err.string(), tmp.string(), tubo[1]);
    ASSERT_GE(hijo, 0);
    close(tubo[1]);
    // The first "Iteracion" line: the run is in its certainty step.
    std::string salida;
    char c;
    while (salida.find('\n') == std::string::npos && read(tubo[0], &c, 1) == 1) salida += c;
    EXPECT_EQ(salida, "Iteracion: 1 de 3\n");
    kill(hijo, SIGINT);
    while (read(tubo[0], &c, 1) == 1) {
    }
    close(tubo[0]);
    EXPECT_EQ(apoyo::estadoHijo(hijo), 130);
    EXPECT_EQ(prueba::lee(err), "quel-cli predict: interrupted; no result was written\n");
    EXPECT_TRUE(fs::is_empty(tmp));
    EXPECT_TRUE(!fs::exists(reg.salida) || fs::is_empty(reg.salida));
}
