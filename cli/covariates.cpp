#include <cstdio>

#include "cli/comandos.h"

namespace cli {

int covariates(const Argumentos&) {
    std::fputs("quel-cli covariates: not available yet\n", stderr);
    return 2;
}

}  // namespace cli
