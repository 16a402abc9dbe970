#pragma once
// Subcommands of quel-cli. Each takes the arguments after its own name and
// returns the exit status: 0 success, 2 usage error, 3 a load or run failed.
#include <string>
#include <vector>

namespace cli {

using Argumentos = std::vector<std::string>;

int predict(const Argumentos& args);
int covariates(const Argumentos& args);
int prior(const Argumentos& args);
int bias(const Argumentos& args);
int sites(const Argumentos& args);
int evaluate(const Argumentos& args);
int tune(const Argumentos& args);

}  // namespace cli
