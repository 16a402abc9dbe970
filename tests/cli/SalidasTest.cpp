// What every command writes: outputs never replace inputs, standard output
// that cannot be written is a failure, and no working folder stays behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

// Exit status of a shell command line.
int estadoDe(const std::string& linea) {
    const int r = std::system(linea.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

std::string comillas(const fs::path& p) { return "'" + p.string() + "'"; }

}  // namespace

TEST(SalidasCli, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsTouched) {
    apoyo::Carpeta c;
    const std::string entrada = c.escribe("in.asc", apoyo::grid(2, 1, "1 2\n"));
    fs::create_directory(c / "res");
    fs::create_symlink(entrada, c.t / "res" / "certainty.asc");
    const std::string otra = (c.t / "sub" / ".." / "in.asc").string();
    struct Caso {
        const char* nombre;
        int (*comando)(const cli::Argumentos&);
        cli::Argumentos args;
        std::string opcion;
    };
    const Caso casos[] = {
        {"predict, a result linked to an input", cli::predict,
         {"--covariates", entrada, "--sites", c / "s.txt", "--uniform-bias", "--uniform-prior", "--out", c / "res"},
         "--covariates"},
        {"prior, another spelling", cli::prior, {"--base", c / "b.asc", "--prior", entrada, "--out", otra},
         "--prior"},
    };
    fs::create_directory(c / "sub");
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        const apoyo::Salida s = apoyo::corre(k.comando, k.args);
        EXPECT_EQ(s.estado, 2);
        EXPECT_NE(s.err.find(" is the input " + entrada + " given to " + k.opcion + "; choose another output"),
                  std::string::npos)
            << s.err;
        EXPECT_EQ(prueba::lee(entrada), apoyo::grid(2, 1, "1 2\n"));
    }
}

// Output that cannot be written (a full disk) is an error, not a success.
TEST(SalidasCli, AFullStandardOutputFails) {
    prueba::CarpetaTemporal t;
    for (const char* args : {"--help", "--version", "predict --help", "bias --help"}) {
        SCOPED_TRACE(args);
        const fs::path err = t / "err";
        EXPECT_EQ(estadoDe(comillas(QUEL_CLI) + " " + args + " > /dev/full 2> " + comillas(err)), 3);
        EXPECT_EQ(prueba::lee(err), "quel-cli: cannot write to standard output: No space left on device\n");
    }
}

// Runs leave nothing in the temporary folder or the data root, whether they
// succeed or fail.
TEST(SalidasCli, NoWorkingFolderStaysBehind) {
    apoyo::Carpeta c;
    const fs::path tmp = c.t / "tmp", raiz = c.t / "raiz";
    fs::create_directories(tmp);
    const std::string cov = c.escribe("cov.txt", "a,2,\nb,2,\n**********\nLong,Lat,a,b,\n0,1,1,1,1,\n1,1,2,1,1,\n0,0,1,2,1,\n1,0,2,2,1,");
    const std::string sitios = c.escribe("sitios.txt", "sp,0.2,1.2");
    const std::string grid = c.escribe("g.asc", apoyo::grid(2, 2, "1 2\n3 4\n"));
    const std::string entorno = "env -u XDG_RUNTIME_DIR TMPDIR=" + comillas(tmp) + " QUEL_HOME=" + comillas(raiz) +
                                " " + comillas(QUEL_CLI) + " ";
    const std::vector<std::pair<std::string, int>> corridas = {
        {"predict --covariates " + cov + " --sites " + sitios + " --uniform-bias --uniform-prior --png --out " +
             (c / "res"),
         0},
        {"predict --covariates " + cov + " --sites " + (c / "falta.txt") + " --uniform-bias --uniform-prior --out " +
             (c / "res2"),
         3},
        {"covariates --out " + (c / "t.txt") + " " + grid + ":2", 0},
        {"covariates --out " + (c / "t2.txt") + " " + (c / "falta.asc"), 3},
        {"prior --base " + grid + " --prior " + grid + " --out " + (c / "p.txt"), 0},
    };
    for (const auto& [args, estado] : corridas) {
        SCOPED_TRACE(args);
        EXPECT_EQ(estadoDe(entorno + args + " > /dev/null 2>&1"), estado);
        EXPECT_TRUE(fs::is_empty(tmp));
        EXPECT_FALSE(fs::exists(raiz));
    }
}
