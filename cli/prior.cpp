#include <cstdio>

#include "cli/comandos.h"

namespace cli {

int prior(const Argumentos&) {
    std::fputs("quel-cli prior: not available yet\n", stderr);
    return 2;
}

}  // namespace cli
