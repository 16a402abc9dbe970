#include <cstdio>

#include "cli/comandos.h"

namespace cli {

int bias(const Argumentos&) {
    std::fputs("quel-cli bias: not available yet\n", stderr);
    return 2;
}

}  // namespace cli
