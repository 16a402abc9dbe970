#include "support/testutil.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace prueba {

CarpetaTemporal::CarpetaTemporal() {
    std::random_device rd;
    for (int intento = 0; intento < 100; ++intento) {
        fs::path p = fs::temp_directory_path() / ("quel-test-" + std::to_string(rd()));
        if (fs::create_directory(p)) { ruta_ = p; return; }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    fs::remove_all(ruta_, ec);
}

void escribe(const fs::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + p.string());
}

std::string lee(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + p.string());
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

fs::path fuentes() { return fs::path(QUEL_SOURCE_DIR); }

}  // namespace prueba
