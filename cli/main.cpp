// quel-cli: the headless command line over the Quel core.
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
    "\n"
    "  quel-cli COMMAND --help   shows the options of one command\n"
    "  quel-cli --version        prints the version\n";

}  // namespace

int main(int argc, char** argv) {
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
    std::fprintf(stderr, "quel-cli: unknown command '%s'\n\n%s", comando.c_str(), kAyuda);
    return 2;
}
