#include <cstdio>

#include "cli/comandos.h"

namespace cli {

int predict(const Argumentos&) {
    std::fputs("quel-cli predict: not available yet\n", stderr);
    return 2;
}

}  // namespace cli
