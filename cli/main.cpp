// quel-cli: the headless command line over the Quel core.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/comandos.h"

namespace {

const char* const kAyuda =
    "usage: quel-cli COMMAND [OPTIONS]\n"
    "\n"
    "Predicts where a species is likely present from categorical covariates,\n"
    "presence records, a sampling-bias surface and prior classes.\n"
    "\n"
    "Commands:\n"
    "  predict      run the prediction and write the three result surfaces\n"
    "  covariates   build a covariate table from rasters (ESRI ASCII, GeoTIFF, ...)\n"
    "  prior        build a prior-class file from a base grid and a prior grid\n"
    "  bias         fit a sampling-bias surface by maximum likelihood\n"
    "  sites        turn an occurrence download into the sites file\n"
    "  evaluate     cross-validate the prediction: AUC, Boyce index, omission,\n"
    "               covariate importance and response by category\n"
    "  tune         choose the grids' classes by cross-validation\n"
    "\n"
    "  quel-cli COMMAND --help   shows the options of one command\n"
    "  quel-cli --version        prints the version\n";

int ejecuta(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kAyuda, stderr);
        return 2;
    }
    std::string comando = argv[1];
    if (comando == "--help" || comando == "-h" || comando == "help") {
        std::fputs(kAyuda, stdout);
        return 0;
    }
    if (comando == "--version") {
        std::printf("quel-cli %s\n", QUEL_VERSION);
        return 0;
    }
    cli::Argumentos args(argv + 2, argv + argc);
    if (comando == "predict") return cli::predict(args);
    if (comando == "covariates") return cli::covariates(args);
    if (comando == "prior") return cli::prior(args);
    if (comando == "bias") return cli::bias(args);
    if (comando == "sites") return cli::sites(args);
    if (comando == "evaluate") return cli::evaluate(args);
    if (comando == "tune") return cli::tune(args);
    std::fprintf(stderr, "quel-cli: unknown command '%s'\n\n%s", comando.c_str(), kAyuda);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int estado = ejecuta(argc, argv);
    // What a command printed is part of its result: output that could not be
    // written (a full disk, a closed pipe) makes the run a failure.
    errno = 0;
    const bool vaciada = std::fflush(stdout) == 0;
    const int motivo = errno;
    if (!vaciada || std::ferror(stdout)) {
        std::fprintf(stderr, "quel-cli: cannot write to standard output: %s\n",
                     motivo != 0 ? std::strerror(motivo) : "write error");
        if (estado == 0) estado = 3;
    }
    return estado;
}
