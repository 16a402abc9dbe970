// quel-cli bias: usage errors, the bias file and its summary end to end, the
// failure reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"
#include "managers/SesgoComun.h"

namespace fs = std::filesystem;
using namespace prueba_sesgo;

namespace {

using apoyo::Salida;

Salida ejecuta(const cli::Argumentos& args) { return apoyo::corre(cli::bias, args); }

// A 6 x 5 region with its four inputs and the options that name them.
struct Caso {
    prueba::CarpetaTemporal carpeta;
    fs::path covs, ciudades, carreteras, riqueza, sitios, salida;

    explicit Caso(const std::vector<double>& valoresCiudades = {}) {
        const RegionSesgo r(valoresCiudades);
        covs = escribe("covs.txt", r.covariables);
        ciudades = escribe("cities.asc", r.ciudades);
        carreteras = escribe("roads.asc", r.carreteras);
        riqueza = escribe("richness.asc", r.riqueza);
        sitios = escribe("sites.txt", "b,-104.98,19.41\na,-104.69,19.02\na,-104.88,19.21\nb,-104.58,19.33");
        salida = carpeta / "bias";
    }
    fs::path escribe(const std::string& nombre, const std::string& texto) {
        prueba::escribe(carpeta / nombre, texto);
        return carpeta / nombre;
    }
    cli::Argumentos args() const {
        return {"--covariates", covs.string(),   "--cities",   ciudades.string(), "--alfa",     "1",
                "--roads",      carreteras.string(), "--beta", "2",               "--richness", riqueza.string(),
                "--cota",       "40",            "--sites",    sitios.string(),   "--absences", "20",
                "--out",        salida.string()};
    }
    // The arguments with one option's value replaced.
    cli::Argumentos con(const std::string& opcion, const std::string& valor) const {
        cli::Argumentos a = args();
        for (std::size_t i = 0; i + 1 < a.size(); ++i)
            if (a[i] == opcion) a[i + 1] = valor;
        return a;
    }
};

}  // namespace

TEST(BiasCli, RefusesBadParametersAsUsageErrors) {
    Caso c;
    const std::vector<std::pair<std::string, std::string>> malos = {
        {"--alfa", "-0.5"}, {"--alfa", "uno"},   {"--beta", "0"},      {"--beta", "-2"},
        {"--cota", "0"},    {"--cota", "1e-60"}, {"--cota", "inf"},    {"--absences", "1.5"},
        {"--absences", "-1"}, {"--absences", ""}, {"--alfa", "1e39"}};
    for (const auto& [opcion, valor] : malos) {
        const Salida s = ejecuta(c.con(opcion, valor));
        EXPECT_EQ(s.estado, 2) << opcion << " " << valor;
        EXPECT_NE(s.err.find(opcion), std::string::npos) << s.err;
    }
    EXPECT_FALSE(fs::exists(c.salida));

    cli::Argumentos sinCota = c.args(), digitos = c.args(), extra = c.args();
    sinCota.erase(sinCota.begin() + 12, sinCota.begin() + 14);
    Salida s = ejecuta(sinCota);
    EXPECT_EQ(s.estado, 2);
    EXPECT_NE(s.err.find("missing option --cota"), std::string::npos) << s.err;
    digitos.insert(digitos.end(), {"--digits", "0"});
    extra.push_back("--weights");
    EXPECT_EQ(ejecuta(digitos).estado + ejecuta(extra).estado, 4);
}

TEST(BiasCli, ReportsFailingInputsWithTheirCodeLineAndText) {
    Caso c, d, g;
    c.covs = c.escribe("covs2.txt", prueba::lee(c.covs) + "\n");
    d.sitios = d.escribe("s2.txt", "a,-104.98,19.41\n\nb,-104.69,19.02");
    g.riqueza = g.escribe("r2.asc", "ncols 6\nnrows 5\nxllcorner 0\nyllcorner 0\ncellsize 0.1\n1 2 3\n");
    const std::pair<const Caso&, std::string> casos[] = {
        {c, "quel-cli bias: " + c.covs.string() + ": error 2: "},
        {d, d.sitios.string() + ": error 5: "},  // then "line 2"
        {g, g.riqueza.string() + ": error 12"},  // then where, and the reader's account
    };
    for (const auto& [k, inicio] : casos) {
        const Salida s = ejecuta(k.args());
        EXPECT_EQ(s.estado, 3);
        EXPECT_NE(s.err.find(inicio), std::string::npos) << s.err;
        EXPECT_EQ(std::count(s.err.begin(), s.err.end(), '\n'), 1) << s.err;
        EXPECT_FALSE(fs::exists(k.salida));
    }
    EXPECT_NE(ejecuta(d.args()).err.find("line 2"), std::string::npos);
    EXPECT_NE(ejecuta(g.args()).err.find("(line 6): "), std::string::npos);
}

TEST(BiasCli, AFittedBiasOutsideZeroOneIsAnErrorNotAFile) {
    // Cities of both signs make some combinations' visit weights negative.
    std::vector<double> ciudades(30, 0);
    ciudades[0] = 400;
    ciudades[29] = -900;
    Caso c(ciudades);
    const Salida s = ejecuta(c.args());
    EXPECT_EQ(s.estado, 3) << s.out;
    EXPECT_NE(s.err.find("not a probability"), std::string::npos) << s.err;
    EXPECT_NE(s.out.find("fitted weight"), std::string::npos);
    EXPECT_FALSE(fs::exists(c.salida));
}
