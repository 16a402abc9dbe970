#include "engine/metricas.h"

#include <algorithm>
#include <charconv>
#include <numeric>

namespace quel::metricas {

namespace {

// Background cells scoring below `v` and equal to it.
std::pair<std::size_t, std::size_t> debajoEIguales(const std::vector<double>& fondo, double v) {
    const auto bajo = std::lower_bound(fondo.begin(), fondo.end(), v);
    const auto alto = std::upper_bound(bajo, fondo.end(), v);
    return {static_cast<std::size_t>(bajo - fondo.begin()), static_cast<std::size_t>(alto - bajo)};
}

// Values in [desde, hasta] of a sorted vector.
std::size_t entre(const std::vector<double>& ordenados, double desde, double hasta) {
    return static_cast<std::size_t>(std::upper_bound(ordenados.begin(), ordenados.end(), hasta) -
                                    std::lower_bound(ordenados.begin(), ordenados.end(), desde));
}

// Ranks from 1, ties taking their mean rank.
std::vector<double> rangos(const std::vector<double>& v) {
    std::vector<std::size_t> orden(v.size());
    std::iota(orden.begin(), orden.end(), std::size_t{0});
    std::stable_sort(orden.begin(), orden.end(), [&](std::size_t a, std::size_t b) { return v[a] < v[b]; });
    std::vector<double> r(v.size());
    for (std::size_t i = 0; i < orden.size();) {
        std::size_t j = i;
        while (j + 1 < orden.size() && v[orden[j + 1]] == v[orden[i]]) ++j;
        const double medio = (static_cast<double>(i) + static_cast<double>(j)) / 2 + 1;
        for (std::size_t m = i; m <= j; ++m) r[orden[m]] = medio;
        i = j + 1;
    }
    return r;
}

}  // namespace

double auc(const std::vector<double>& presencias, const std::vector<double>& fondo) {
    if (presencias.empty() || fondo.empty()) return NAN;
    double suma = 0;
    for (double p : presencias) {
        const auto [debajo, iguales] = debajoEIguales(fondo, p);
        suma += static_cast<double>(debajo) + 0.5 * static_cast<double>(iguales);
    }
    return suma / static_cast<double>(presencias.size()) / static_cast<double>(fondo.size());
}

std::vector<PuntoROC> curvaROC(const std::vector<double>& presencias, const std::vector<double>& fondo) {
    std::vector<PuntoROC> curva;
    if (presencias.empty() || fondo.empty()) return curva;
    std::vector<double> p = presencias;
    std::sort(p.begin(), p.end(), std::greater<double>());
    const double np = static_cast<double>(p.size()), nf = static_cast<double>(fondo.size());
    curva.push_back({INFINITY, 0, 0});
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (i + 1 < p.size() && p[i + 1] == p[i]) continue;
        const std::size_t debajo = debajoEIguales(fondo, p[i]).first;
        curva.push_back({p[i], (nf - static_cast<double>(debajo)) / nf, static_cast<double>(i + 1) / np});
    }
    if (curva.back().falsos != 1 || curva.back().verdaderos != 1) curva.push_back({-INFINITY, 1, 1});
    return curva;
}

Boyce boyce(const std::vector<double>& presencias, const std::vector<double>& fondo) {
    Boyce b;
    if (presencias.empty() || fondo.empty()) return b;
    std::vector<double> p = presencias;
    std::sort(p.begin(), p.end());
    const double minimo = fondo.front(), rango = fondo.back() - fondo.front();
    const double ancho = rango / 10;
    const double np = static_cast<double>(p.size()), nf = static_cast<double>(fondo.size());
    std::vector<double> centros, razones;
    for (int i = 0; i < kVentanasBoyce; ++i) {
        const double desde = minimo + (rango - ancho) * i / (kVentanasBoyce - 1);
        // The last window ends at the maximum itself, whatever the rounding.
        const double hasta = i == kVentanasBoyce - 1 ? fondo.back() : desde + ancho;
        const std::size_t enFondo = entre(fondo, desde, hasta);
        const double razon =
            enFondo == 0 ? NAN : (static_cast<double>(entre(p, desde, hasta)) / np) / (static_cast<double>(enFondo) / nf);
        b.ventanas.push_back({desde + ancho / 2, razon});
        if (enFondo == 0) continue;
        centros.push_back(desde + ancho / 2);
        razones.push_back(razon);
    }
    b.indice = spearman(centros, razones);
    return b;
}

double spearman(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 2) return NAN;
    const std::vector<double> rx = rangos(x), ry = rangos(y);
    const double media = (static_cast<double>(n) + 1) / 2;
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sxy += (rx[i] - media) * (ry[i] - media);
        sxx += (rx[i] - media) * (rx[i] - media);
        syy += (ry[i] - media) * (ry[i] - media);
    }
    if (sxx == 0 || syy == 0) return NAN;
    return sxy / std::sqrt(sxx * syy);
}

double umbralMinimo(const std::vector<double>& entrenamiento) {
    if (entrenamiento.empty()) return NAN;
    return *std::min_element(entrenamiento.begin(), entrenamiento.end());
}

double umbralDecimo(const std::vector<double>& entrenamiento) {
    if (entrenamiento.empty()) return NAN;
    std::vector<double> v = entrenamiento;
    std::sort(v.begin(), v.end(), std::greater<double>());
    const double n = static_cast<double>(v.size());
    const auto posicion = static_cast<std::size_t>(v.size() < 10 ? std::floor(0.9 * n) : std::ceil(0.9 * n));
    return v[std::clamp<std::size_t>(posicion, 1, v.size()) - 1];
}

double omision(const std::vector<double>& prueba, double umbral) {
    if (prueba.empty() || std::isnan(umbral)) return NAN;
    const auto debajo = std::count_if(prueba.begin(), prueba.end(), [&](double v) { return v < umbral; });
    return static_cast<double>(debajo) / static_cast<double>(prueba.size());
}

Resumen resume(const std::vector<double>& valores, bool jackknife) {
    Resumen r;
    std::vector<double> v;
    for (double x : valores)
        if (!std::isnan(x)) v.push_back(x);
    if (v.empty()) return r;
    const double n = static_cast<double>(v.size());
    double suma = 0;
    for (double x : v) suma += x;
    r.media = suma / n;
    if (v.size() < 2) return r;
    double cuadrados = 0;
    for (double x : v) cuadrados += (x - r.media) * (x - r.media);
    r.desviacion = std::sqrt(jackknife ? (n - 1) / n * cuadrados : cuadrados / (n - 1));
    return r;
}

// ------------------------------------------------------------ partitions ---

namespace {
struct NombreParticion {
    Particion p;
    const char* nombre;
};
constexpr NombreParticion kParticiones[] = {{Particion::kAleatoria, "random"},
                                            {Particion::kBloques, "block"},
                                            {Particion::kAjedrez, "checkerboard"},
                                            {Particion::kJackknife, "jackknife"}};
}  // namespace

bool leeParticion(const std::string& nombre, Particion& p) {
    for (const NombreParticion& n : kParticiones)
        if (nombre == n.nombre) {
            p = n.p;
            return true;
        }
    return false;
}

const char* nombreParticion(Particion p) {
    for (const NombreParticion& n : kParticiones)
        if (n.p == p) return n.nombre;
    return "";
}

std::uint64_t uniforme(std::mt19937_64& g, std::uint64_t n) {
    // The largest multiple of n the generator can give; draws at or above it are redrawn.
    const std::uint64_t resto = (std::uint64_t{0} - n) % n;  // 2^64 mod n
    std::uint64_t x;
    do x = g();
    while (resto != 0 && x >= std::uint64_t{0} - resto);
    return x % n;
}

std::vector<int> particionAleatoria(int sitios, int k, std::uint64_t semilla) {
    std::vector<int> orden(static_cast<std::size_t>(std::max(sitios, 0)));
    std::iota(orden.begin(), orden.end(), 0);
    std::mt19937_64 g(semilla);
    for (std::size_t i = orden.size(); i > 1; --i) std::swap(orden[i - 1], orden[uniforme(g, i)]);
    std::vector<int> pliegue(orden.size());
    for (std::size_t i = 0; i < orden.size(); ++i)
        pliegue[static_cast<std::size_t>(orden[i])] = static_cast<int>(i % static_cast<std::size_t>(k)) + 1;
    return pliegue;
}

std::vector<int> particionBloques(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    std::vector<std::size_t> orden(n);
    std::iota(orden.begin(), orden.end(), std::size_t{0});
    std::stable_sort(orden.begin(), orden.end(), [&](std::size_t a, std::size_t b) { return y[a] < y[b]; });
    std::vector<int> pliegue(n);
    const std::size_t mitad = (n + 1) / 2;
    const auto divide = [&](std::size_t desde, std::size_t hasta, int primero) {
        std::stable_sort(orden.begin() + static_cast<std::ptrdiff_t>(desde), orden.begin() + static_cast<std::ptrdiff_t>(hasta),
                         [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
        const std::size_t corte = desde + (hasta - desde + 1) / 2;
        for (std::size_t i = desde; i < hasta; ++i) pliegue[orden[i]] = primero + (i >= corte ? 1 : 0);
    };
    divide(0, mitad, 1);
    divide(mitad, n, 3);
    return pliegue;
}

std::vector<int> particionAjedrez(const std::vector<long long>& celdas, long long columnas, int lado) {
    std::vector<int> pliegue;
    pliegue.reserve(celdas.size());
    for (long long c : celdas) {
        const long long cuadro = c % columnas / lado + c / columnas / lado;
        pliegue.push_back(cuadro % 2 == 0 ? 1 : 2);
    }
    return pliegue;
}

std::vector<int> particionJackknife(int sitios) {
    std::vector<int> pliegue(static_cast<std::size_t>(std::max(sitios, 0)));
    std::iota(pliegue.begin(), pliegue.end(), 1);
    return pliegue;
}

// ------------------------------------------------------------ covariates ---

std::vector<double> importancia(int covariables, const std::vector<long double>& pesos) {
    std::vector<double> r(static_cast<std::size_t>(std::max(covariables, 0)), 0.0);
    std::size_t k = 0;
    for (int i = 0; i + 1 < covariables; ++i)
        for (int j = i + 1; j < covariables && k < pesos.size(); ++j, ++k) {
            r[static_cast<std::size_t>(i)] += static_cast<double>(pesos[k]);
            r[static_cast<std::size_t>(j)] += static_cast<double>(pesos[k]);
        }
    return r;
}

std::vector<Respuesta> respuesta(const TImagenN<int>& covariables, const std::vector<int>& categorias,
                                 const TImagenN<long double>& predictiva) {
    std::vector<Respuesta> r;
    if (covariables.columnas < 1 || predictiva.columnas < 1) return r;
    const auto& bandera = covariables.datos[static_cast<std::size_t>(covariables.columnas - 1)];
    const int filas = std::min(covariables.renglones, predictiva.renglones);
    for (std::size_t k = 0; k < categorias.size() && k + 1 < static_cast<std::size_t>(covariables.columnas); ++k) {
        const int C = std::max(categorias[k], 0);
        std::vector<long long> n(static_cast<std::size_t>(C), 0);
        std::vector<double> suma(static_cast<std::size_t>(C), 0.0);
        for (int f = 0; f < filas; ++f) {
            const auto ff = static_cast<std::size_t>(f);
            const int c = covariables.datos[k][ff];
            if (bandera[ff] != 1 || c < 1 || c > C) continue;
            ++n[static_cast<std::size_t>(c - 1)];
            suma[static_cast<std::size_t>(c - 1)] += static_cast<double>(predictiva.datos[0][ff]);
        }
        for (int c = 0; c < C; ++c) {
            const auto cc = static_cast<std::size_t>(c);
            r.push_back({static_cast<int>(k), c + 1, n[cc], n[cc] ? suma[cc] / static_cast<double>(n[cc]) : NAN});
        }
    }
    return r;
}

std::string texto(double v, int digitos) {
    if (std::isnan(v)) return {};
    // The longest general form: sign, digits, point, exponent.
    std::string b(static_cast<std::size_t>(digitos) + 16, '\0');
    const auto r = std::to_chars(b.data(), b.data() + b.size(), v, std::chars_format::general, digitos);
    b.resize(static_cast<std::size_t>(r.ptr - b.data()));
    return b;
}

}  // namespace quel::metricas
