// quel-cli predict on the sample region shipped in samples/.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

struct PredictMuestras : testing::Test {
    fs::path dir = prueba::fuentes() / "samples";
    prueba::CarpetaTemporal tmp;

    void SetUp() override {
        for (const char* n : {"covariates.txt", "sites.txt", "bias.txt", "prior.txt"})
            if (!fs::is_regular_file(dir / n)) GTEST_SKIP() << "samples/" << n << " is not there yet";
    }
    std::vector<std::string> args(const fs::path& sesgo) const {
        return {"--covariates", (dir / "covariates.txt").string(), "--sites", (dir / "sites.txt").string(),
                "--bias", sesgo.string(), "--prior", (dir / "prior.txt").string(), "--out",
                (tmp / "out").string()};
    }
    int corre(const std::vector<std::string>& a, std::string& err) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int e = cli::predict(a);
        testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return e;
    }
};

std::size_t lineas(const std::string& s) {
    std::size_t n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

}  // namespace

TEST_F(PredictMuestras, PrediceYEscribeLosSeisArchivos) {
    std::string err;
    ASSERT_EQ(corre(args(dir / "bias.txt"), err), 0) << err;
    const std::string cov = prueba::lee(dir / "covariates.txt");
    const std::size_t filas = lineas(cov) + 1 - 6 - 2;  // six category lines, separator, header
    for (const char* n : {"predictive.txt", "certainty.txt", "prior_potential.txt"})
        EXPECT_EQ(lineas(prueba::lee(tmp / "out" / n)), filas + 1) << n;
    for (const char* n : {"predictive.asc", "certainty.asc", "prior_potential.asc"})
        EXPECT_EQ(prueba::lee(tmp / "out" / n).rfind("ncols         60\nnrows         45\n", 0), 0u) << n;
    auto a = args(dir / "bias.txt");
    a.insert(a.end(), {"--species", "Pinus_oocarpa"});
    ASSERT_EQ(corre(a, err), 0) << err;
}

TEST_F(PredictMuestras, UnaEntradaMalaDaSuMensaje) {
    std::string b = prueba::lee(dir / "bias.txt");
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) pos = b.find('\n', pos) + 1;
    b.replace(pos, b.find('\n', pos) - pos, "2.5");
    prueba::escribe(tmp / "bias.txt", b);
    std::string err;
    EXPECT_EQ(corre(args(tmp / "bias.txt"), err), 3);
    EXPECT_EQ(err, "quel-cli predict: " + (tmp / "bias.txt").string() +
                       ": error 9: Value out of range or not a number on line 4\n");
    auto a = args(dir / "bias.txt");
    a.insert(a.end(), {"--species", "Quercus robur"});
    EXPECT_EQ(corre(a, err), 2);
    EXPECT_NE(err.find("Brosimum_alicastrum, Pinus_oocarpa, Quercus_magnoliifolia"), std::string::npos) << err;
}
