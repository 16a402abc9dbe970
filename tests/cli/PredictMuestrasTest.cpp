// quel-cli predict on the sample region shipped in samples/: a bad input's
// message and an unknown species' list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

TEST(PredictMuestras, UnaEntradaMalaDaSuMensaje) {
    const fs::path dir = prueba::fuentes() / "samples";
    prueba::CarpetaTemporal tmp;
    std::string b = prueba::lee(dir / "bias.txt");
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) pos = b.find('\n', pos) + 1;
    b.replace(pos, b.find('\n', pos) - pos, "2.5");
    prueba::escribe(tmp / "bias.txt", b);
    std::vector<std::string> a = {"--covariates", (dir / "covariates.txt").string(), "--sites",
                                  (dir / "sites.txt").string(), "--bias", (tmp / "bias.txt").string(),
                                  "--prior", (dir / "prior.txt").string(), "--out", (tmp / "out").string()};
    apoyo::Salida s = apoyo::corre(cli::predict, a);
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err, "quel-cli predict: " + (tmp / "bias.txt").string() +
                       ": error 9: Value out of range or not a number on line 4: expected a bias value from 0 to 1, "
                       "found \"2.5\"\n");
    a[5] = (dir / "bias.txt").string();
    a.insert(a.end(), {"--species", "Quercus robur"});
    s = apoyo::corre(cli::predict, a);
    EXPECT_EQ(s.estado, 2);
    EXPECT_NE(s.err.find("Brosimum_alicastrum, Pinus_oocarpa, Quercus_magnoliifolia"), std::string::npos) << s.err;
}
