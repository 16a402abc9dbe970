// Writes a generated region of continental size for timing quel-cli: the
// covariate table, bias file, prior file and sites file of a lattice of
// COLS x ROWS cells, laid out as the predict benchmark's 1000 x 1000 region
// (cells row by row from the top-left one, x = -105 + 0.01 col and
// y = 25 - 0.01 row, 10 covariates of 4 to 20 categories with smooth patterns
// plus noise, about 70 % of the cells inside an ellipse filling the lattice,
// codes 0 outside, 2,000 sites of 5 species inside), and with --grids the 10
// ESRI ASCII grids the same table is built from (cov1.asc ... cov10.asc:
// each cell's category as a whole value, -9999 outside the region).
//
//   quel-genera-region FOLDER 6|7|8|COLSxROWS [--grids]
//
// 6, 7 and 8 stand for 1000 x 1000, 4000 x 2500 and 10000 x 10000 cells.
// Each cell's noise comes from its own number, so the files do not depend on
// how the work is split; each file is written beside its final name and
// renamed into place when complete.
#include <algorithm>
#include <array>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kCovariables = 10;
constexpr int kSitios = 2000;
constexpr int kEspecies = 5;
constexpr std::string_view kSinDato = "-9999";

// A file written under a temporary name beside its own and renamed to it by
// cierra(); removed when never closed.
class Salida {
public:
    explicit Salida(fs::path ruta) : ruta_(std::move(ruta)), parcial_(ruta_.string() + ".parcial") {
        f_ = std::fopen(parcial_.c_str(), "wb");
        if (!f_) falla();
    }
    Salida(const Salida&) = delete;
    Salida& operator=(const Salida&) = delete;
    ~Salida() {
        if (!f_) return;
        std::fclose(f_);
        std::error_code ec;
        fs::remove(parcial_, ec);
    }
    void agrega(std::string_view t) {
        if (!t.empty() && std::fwrite(t.data(), 1, t.size(), f_) != t.size()) falla();
    }
    void cierra() {
        const bool bien = std::fclose(f_) == 0;
        f_ = nullptr;
        std::error_code ec;
        if (bien) fs::rename(parcial_, ruta_, ec);
        if (!bien || ec) {
            fs::remove(parcial_, ec);
            falla();
        }
    }

private:
    [[noreturn]] void falla() const {
        throw std::runtime_error("cannot write " + ruta_.string() + ": " + std::strerror(errno));
    }
    fs::path ruta_, parcial_;
    std::FILE* f_ = nullptr;
};

// A short piece of text copied with one fixed-size copy: the block texts
// below keep kPieza bytes of room past their end.
constexpr std::size_t kPieza = 16;
struct Pieza {
    std::array<char, kPieza> c{};
    std::size_t n = 0;
};

Pieza pieza(std::string_view t) {
    if (t.size() > kPieza) throw std::runtime_error("a field of more than 16 characters: " + std::string(t));
    Pieza z;
    std::copy(t.begin(), t.end(), z.c.begin());
    z.n = t.size();
    return z;
}

inline char* pon(char* p, const Pieza& z) {
    std::memcpy(p, z.c.data(), kPieza);
    return p + z.n;
}

// A uniform value in [0, 1) drawn from a cell's number and one of its 16
// streams (splitmix64's finaliser).
double ruido(std::uint64_t celda, unsigned flujo) {
    std::uint64_t z = celda * 16 + flujo + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

// The lattice, its region and each covariate's smooth pattern, split into a
// part per column and a part per row.
struct Region {
    int cols = 0, filas = 0;
    double radio2 = 0, escalaY = 1;
    std::array<int, kCovariables> categorias{};
    std::array<std::vector<double>, kCovariables> patronCol, patronFil;
    std::vector<double> prioriCol, prioriFil;

    double x(int col) const { return -105 + 0.01 * col; }
    double y(int fil) const { return 25 - 0.01 * fil; }
    bool dentro(int col, int fil) const {
        const double dx = col + 0.5 - cols / 2.0, dy = (fil + 0.5 - filas / 2.0) * escalaY;
        return dx * dx + dy * dy < radio2;
    }
    // Category of covariate k in a cell inside the region.
    int codigo(int k, int col, int fil, std::uint64_t celda) const {
        const auto kk = static_cast<std::size_t>(k);
        const double v = 0.5 + patronCol[kk][static_cast<std::size_t>(col)] +
                         patronFil[kk][static_cast<std::size_t>(fil)] + 0.05 * ruido(celda, static_cast<unsigned>(k));
        const int C = categorias[kk];
        return 1 + std::min(C - 1, std::max(0, static_cast<int>(v * C)));
    }
    int clasePriori(int col, int fil, std::uint64_t celda) const {
        if (ruido(celda, kCovariables + 1) < 0.1) return 0;
        const double p = prioriCol[static_cast<std::size_t>(col)] * prioriFil[static_cast<std::size_t>(fil)];
        return p > 0.3 ? 1 : (p < -0.3 ? 3 : 2);
    }
};

Region preparaRegion(int cols, int filas, std::mt19937& g) {
    Region r;
    r.cols = cols;
    r.filas = filas;
    // A disk of 70 % of the area on a square lattice, stretched to fill others.
    const double radio = std::sqrt(0.7 / 3.14159265358979) * cols;
    r.radio2 = radio * radio;
    r.escalaY = static_cast<double>(cols) / filas;
    std::uniform_real_distribution<double> u(0, 1);
    for (std::size_t k = 0; k < kCovariables; ++k) {
        r.categorias[k] = 4 + static_cast<int>(g() % 17);
        const double fa = 2 + 10 * u(g), fb = 2 + 10 * u(g), fase = 6.283 * u(g);
        r.patronCol[k].resize(static_cast<std::size_t>(cols));
        r.patronFil[k].resize(static_cast<std::size_t>(filas));
        for (int c = 0; c < cols; ++c)
            r.patronCol[k][static_cast<std::size_t>(c)] = 0.25 * std::sin(fa * (static_cast<double>(c) / cols) + fase);
        for (int f = 0; f < filas; ++f)
            r.patronFil[k][static_cast<std::size_t>(f)] = 0.2 * std::cos(fb * (static_cast<double>(f) / filas));
    }
    for (int c = 0; c < cols; ++c) r.prioriCol.push_back(std::sin(3 * (static_cast<double>(c) / cols)));
    for (int f = 0; f < filas; ++f) r.prioriFil.push_back(std::cos(2 * (static_cast<double>(f) / filas)));
    return r;
}

// %g of v, as the table's coordinates are written.
std::string textoG(double v) {
    std::array<char, 64> t{};
    const auto r = std::to_chars(t.data(), t.data() + t.size(), v, std::chars_format::general, 6);
    return std::string(t.data(), r.ptr);
}

// The texts every cell is written from.
struct Piezas {
    std::vector<Pieza> x;                          // "\n" x ",", per column
    std::vector<Pieza> y;                          // y ",", per row
    std::array<Pieza, 21> codigo, valor, clase;  // "c,", "c " (grids, -9999 for 0), "c\n"
    std::array<Pieza, 101> sesgo;                  // "0.000mmm\n"
    std::size_t maxX = 0, maxY = 0;
};

Piezas preparaPiezas(const Region& r) {
    Piezas z;
    for (int c = 0; c < r.cols; ++c) z.x.push_back(pieza(std::string(1, '\n').append(textoG(r.x(c))).append(",")));
    for (int f = 0; f < r.filas; ++f) z.y.push_back(pieza(textoG(r.y(f)) + ","));
    for (const Pieza& p : z.x) z.maxX = std::max(z.maxX, p.n);
    for (const Pieza& p : z.y) z.maxY = std::max(z.maxY, p.n);
    for (std::size_t i = 0; i < z.codigo.size(); ++i) {
        z.codigo[i] = pieza(std::to_string(i) + ",");
        z.valor[i] = pieza((i > 0 ? std::to_string(i) : std::string(kSinDato)) + " ");
        z.clase[i] = pieza(std::to_string(i) + ",\n");
    }
    for (std::size_t m = 0; m < z.sesgo.size(); ++m) {
        std::array<char, 32> t{};
        const int n = std::snprintf(t.data(), t.size(), "%.6f\n", static_cast<double>(m) * 1e-6);
        z.sesgo[m] = pieza(std::string_view(t.data(), static_cast<std::size_t>(n)));
    }
    return z;
}

// The text of rows [fil0, fil1) of each file: the table, bias, prior and
// grids. A bias or prior line ends with a line feed; the file's last one is
// dropped when written.
void generaBloque(const Region& r, const Piezas& z, int fil0, int fil1, std::vector<std::string>& textos) {
    const auto celdas = static_cast<std::size_t>(fil1 - fil0) * static_cast<std::size_t>(r.cols);
    const std::array<std::size_t, 3> porCelda = {z.maxX + z.maxY + kCovariables * 3 + 2, 9, 3};
    std::vector<char*> p(textos.size());
    for (std::size_t i = 0; i < textos.size(); ++i) {
        textos[i].resize(celdas * (i < porCelda.size() ? porCelda[i] : 6) + kPieza);
        p[i] = textos[i].data();
    }
    const std::size_t numGrids = textos.size() - 3;
    std::array<int, kCovariables> codigos{};
    for (int fil = fil0; fil < fil1; ++fil) {
        const Pieza& y = z.y[static_cast<std::size_t>(fil)];
        for (int col = 0; col < r.cols; ++col) {
            const auto celda = static_cast<std::uint64_t>(fil) * static_cast<std::uint64_t>(r.cols) +
                               static_cast<std::uint64_t>(col);
            const bool valida = r.dentro(col, fil);
            for (int k = 0; k < kCovariables; ++k)
                codigos[static_cast<std::size_t>(k)] = valida ? r.codigo(k, col, fil, celda) : 0;
            char* t = pon(pon(p[0], z.x[static_cast<std::size_t>(col)]), y);
            for (int c : codigos) t = pon(t, z.codigo[static_cast<std::size_t>(c)]);
            p[0] = pon(t, z.codigo[valida ? 1 : 0]);
            const int micro = valida ? static_cast<int>(101 * ruido(celda, kCovariables)) : 0;
            p[1] = pon(p[1], z.sesgo[static_cast<std::size_t>(micro)]);
            p[2] = pon(p[2], z.clase[static_cast<std::size_t>(valida ? r.clasePriori(col, fil, celda) : 0)]);
            for (std::size_t k = 0; k < numGrids; ++k) p[3 + k] = pon(p[3 + k], z.valor[static_cast<std::size_t>(codigos[k])]);
        }
        for (std::size_t k = 0; k < numGrids; ++k) p[3 + k][-1] = '\n';
    }
    for (std::size_t i = 0; i < textos.size(); ++i) textos[i].resize(static_cast<std::size_t>(p[i] - textos[i].data()));
}

void escribeTablas(const Region& r, const fs::path& dir, bool conGrids) {
    std::deque<Salida> salidas;
    for (const char* nombre : {"covariates.txt", "bias.txt", "prior.txt"}) salidas.emplace_back(dir / nombre);
    for (int k = 0; conGrids && k < kCovariables; ++k) {
        salidas.emplace_back(dir / ("cov" + std::to_string(k + 1) + ".asc"));
        std::array<char, 256> t{};
        const int n = std::snprintf(t.data(), t.size(),
                                    "ncols         %d\nnrows         %d\nxllcorner     %.10g\nyllcorner     %.10g\n"
                                    "cellsize      0.01\nNODATA_value  %s\n",
                                    r.cols, r.filas, r.x(0), r.y(r.filas - 1), kSinDato.data());
        salidas.back().agrega(std::string_view(t.data(), static_cast<std::size_t>(n)));
    }
    std::string encabezado;
    for (std::size_t k = 0; k < kCovariables; ++k)
        encabezado += "cov" + std::to_string(k + 1) + "," + std::to_string(r.categorias[k]) + ",\n";
    encabezado += "**********\nLong,Lat,";
    for (int k = 0; k < kCovariables; ++k) encabezado += "cov" + std::to_string(k + 1) + ",";
    salidas[0].agrega(encabezado);

    // Blocks of about half a million cells, one per thread at a time, written
    // in row order.
    const Piezas z = preparaPiezas(r);
    const int filasBloque = std::max(1, (1 << 19) / r.cols);
    const auto hilos = static_cast<std::size_t>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::vector<std::string>> textos(hilos, std::vector<std::string>(salidas.size()));
    for (int fil = 0; fil < r.filas;) {
        std::vector<std::pair<int, int>> tramos;
        for (std::size_t h = 0; h < hilos && fil < r.filas; ++h, fil += filasBloque)
            tramos.emplace_back(fil, std::min(r.filas, fil + filasBloque));
        {
            std::vector<std::jthread> trabajo;
            for (std::size_t h = 0; h < tramos.size(); ++h)
                trabajo.emplace_back([&, h] { generaBloque(r, z, tramos[h].first, tramos[h].second, textos[h]); });
        }
        for (std::size_t h = 0; h < tramos.size(); ++h) {
            const bool ultimo = fil >= r.filas && h + 1 == tramos.size();
            for (std::size_t i = 0; i < salidas.size(); ++i) {
                std::string_view t = textos[h][i];
                if (ultimo && (i == 1 || i == 2)) t.remove_suffix(1);
                salidas[i].agrega(t);
            }
        }
    }
    for (Salida& s : salidas) s.cierra();
}

// kSitios sites of kEspecies species in cells drawn at random inside the
// region, a little off each cell's centre.
void escribeSitios(const Region& r, const fs::path& dir, std::mt19937& g) {
    static const char* const nombres[kEspecies] = {"Quercus rugosa", "Pinus oocarpa", "Abies religiosa",
                                                   "Lynx rufus", "Canis latrans"};
    std::uniform_int_distribution<int> col(0, r.cols - 1), fil(0, r.filas - 1);
    Salida sit(dir / "sites.txt");
    long intentos = 0;
    for (int s = 0; s < kSitios;) {
        const int c = col(g), f = fil(g);
        if (++intentos > 1000L * kSitios) throw std::runtime_error("the region holds no cell of so small a lattice");
        if (!r.dentro(c, f)) continue;
        std::array<char, 128> t{};
        const int n = std::snprintf(t.data(), t.size(), "%s%s,%.4f,%.4f", s ? "\n" : "", nombres[s % kEspecies],
                                    r.x(c) + 0.002, r.y(f) + 0.003);
        sit.agrega(std::string_view(t.data(), static_cast<std::size_t>(n)));
        ++s;
    }
    sit.cierra();
}

// "6", "7", "8" or COLSxROWS; false when it is none of them.
bool leeTamano(std::string_view t, int& cols, int& filas) {
    if (t == "6") return cols = filas = 1000, true;
    if (t == "7") return cols = 4000, filas = 2500, true;
    if (t == "8") return cols = filas = 10000, true;
    const auto x = t.find('x');
    if (x == std::string_view::npos) return false;
    auto entero = [](std::string_view s, int& v) {
        const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        return r.ec == std::errc() && r.ptr == s.data() + s.size() && v >= 1 && v <= 100000;
    };
    return entero(t.substr(0, x), cols) && entero(t.substr(x + 1), filas);
}

const char* const kUso =
    "usage: quel-genera-region FOLDER 6|7|8|COLSxROWS [--grids]\n"
    "Writes covariates.txt, bias.txt, prior.txt and sites.txt of a generated region\n"
    "into FOLDER (made when missing); 6, 7 and 8 stand for 1000x1000, 4000x2500 and\n"
    "10000x10000 cells (COLS and ROWS from 1 to 100000). With --grids, also the 10\n"
    "ESRI ASCII grids cov1.asc ... cov10.asc the covariate table is built from.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    int cols = 0, filas = 0;
    const bool conGrids = args.size() == 3 && args[2] == "--grids";
    if ((args.size() != 2 && !conGrids) || !leeTamano(args[1], cols, filas)) {
        std::fputs(kUso, stderr);
        return 2;
    }
    const fs::path dir(args[0]);
    try {
        fs::create_directories(dir);
        std::mt19937 g(23);
        const Region r = preparaRegion(cols, filas, g);
        escribeTablas(r, dir, conGrids);
        escribeSitios(r, dir, g);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quel-genera-region: %s\n", e.what());
        return 1;
    }
    return 0;
}
