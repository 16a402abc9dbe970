// Map, site and key painters, checked on the pixels they leave.
#include <gtest/gtest.h>

#include <vector>

#include "render/paletaColores.h"
#include "render/pintores.h"

namespace {

const QRgb blanco = qRgb(255, 255, 255);
// Gradient 4 is grey e for entry e, so a pixel's red channel is its entry.
constexpr int gris = 4;

// A 3 x 3 map whose pixel columns are 0, 10, 30 and rows 0, 20, 50, every cell in
// the region unless `region` says otherwise.
struct Mapa {
    TImagenN<float> posiciones{9, 2};
    TImagenN<int> covariables{9, 2};
    QImage imagen{80, 80, QImage::Format_RGB32};
    paletaColores paleta;
    static constexpr int columnasMapa = 3;

    explicit Mapa(std::vector<int> region = std::vector<int>(9, 1)) {
        const float xs[] = {0, 10, 30}, ys[] = {0, 20, 50};
        for (int r = 0; r < 9; ++r) {
            posiciones.datos[0][r] = xs[r % 3];
            posiciones.datos[1][r] = ys[r / 3];
            covariables.datos[1][r] = region[r];
        }
        imagen.fill(blanco);
    }
    int entrada(int x, int y) const { return qRed(imagen.pixel(x, y)); }
    // The entries at the given pixels (-1 where white).
    std::vector<int> entradas(std::initializer_list<std::pair<int, int>> xy) const {
        std::vector<int> r;
        for (auto [x, y] : xy) r.push_back(imagen.pixel(x, y) == blanco ? -1 : entrada(x, y));
        return r;
    }
};

TImagenN<long double> valores(std::vector<long double> v) {
    TImagenN<long double> t(static_cast<int>(v.size()), 1);
    for (std::size_t i = 0; i < v.size(); ++i) t.datos[0][i] = v[i];
    return t;
}

// Above 1 and negative values clamped; the last map row has no row below it
// and is not painted. Cell 0 is 10 wide, 20 high; the last cell of a row has no
// positive x step and keeps the width of the cell before it (20): columns
// 30..49; row 1 is 30 high (20 .. 49). Cells outside the region stay as they were.
TEST(PintaAbsoluto, EscalaRecorteYRectangulosDeCelda) {
    const struct {
        std::vector<int> region;
        std::vector<long double> v;
        std::initializer_list<std::pair<int, int>> xy;
        std::vector<int> entradas;
    } casos[] = {
        {std::vector<int>(9, 1), {1, 0.5, 0, 1.5L, -0.2L, 0.25, 0.9, 0.9, 0.9},
         {{0, 0}, {10, 0}, {30, 0}, {0, 20}, {10, 20}, {30, 20}, {0, 50}}, {253, 126, 0, 254, 0, 63, -1}},
        {std::vector<int>(9, 1), {0.1L, 0.2L, 0.3L, 0.4L, 0.5L, 0.6L, 0, 0, 0},
         {{9, 19}, {10, 19}, {9, 20}, {49, 0}, {50, 0}, {49, 49}, {49, 50}}, {25, 50, 101, 76, -1, 152, -1}},
        {{1, 0, 2, 1, -1, 1, 1, 1, 1}, std::vector<long double>(9, 1), {{0, 0}, {10, 0}, {10, 20}, {30, 20}},
         {253, -1, -1, 253}},
    };
    for (const auto& c : casos) {
        Mapa m(c.region);
        pintaAbsoluto(m.paleta, m.imagen, valores(c.v), 0, m.covariables, m.posiciones, gris, m.columnasMapa);
        EXPECT_EQ(m.entradas(c.xy), c.entradas);
    }
}

// The scale runs from 0 to the largest value of the region (the unpainted
// last map row included), whose extremes the palette keeps.
TEST(PintaRelativo, EscalaHastaElMaximoDeLaRegion) {
    struct Pixel {
        int x, y, entrada;
    };
    const struct {
        const char* que;
        std::vector<int> region;
        std::vector<long double> v;
        float maximo, minimo;
        std::vector<Pixel> pixeles;
    } casos[] = {
        {"extremes from every region row", std::vector<int>(9, 1), {0.2L, 0.4L, 0.8L, 0.8L, 0, 0.6L, 5, 5, 5}, 5, 0, {}},
        // 0.2 of 0.8 is not shifted by the minimum.
        {"minimum not subtracted", std::vector<int>(9, 1), {0.2L, 0.4L, 0.8L, 0.8L, 0.3L, 0.6L, 0.8L, 0.8L, 0.8L},
         0.8f, 0.2f, {{0, 0, 63}, {10, 20, 95}}},
        {"flat surface", std::vector<int>(9, 1), std::vector<long double>(9, 0.5L), 0.5f, 0.5f, {{0, 0, 0}}},
        {"empty region", std::vector<int>(9, 0), std::vector<long double>(9, 0.5L), -1, 999999, {{0, 0, 255}}},
        // 0 and -3 times an infinite scale.
        {"largest value 0", std::vector<int>(9, 1), {0, -3, -1, 0, 0, 0, 0, 0, 0}, 0, -3, {{0, 0, 0}, {10, 0, 0}}},
        // The search starts at -1: -2 * (254 / -1) = 508, clamped.
        {"negative values", std::vector<int>(9, 1), {-2, -4, -2, -2, -2, -2, -2, -2, -2}, -1, -4, {{0, 0, 254}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.que);
        Mapa m(c.region);
        pintaRelativo(m.paleta, m.imagen, valores(c.v), 0, m.covariables, m.posiciones, gris, m.columnasMapa);
        EXPECT_FLOAT_EQ(m.paleta.maximo, c.maximo);
        EXPECT_FLOAT_EQ(m.paleta.minimo, c.minimo);
        for (const Pixel& p : c.pixeles) EXPECT_EQ(m.entrada(p.x, p.y), p.entrada) << p.x << "," << p.y;
    }
    Mapa n;
    pintaRelativo(n.paleta, n.imagen, valores({0.2L, 0.4L, 0.8L, 0.8L, 0.3L, 0.6L, 0.8L, 0.8L, 0.8L}), 0,
                  n.covariables, n.posiciones, gris, n.columnasMapa);
    EXPECT_GE(n.entrada(30, 0), 253);
    EXPECT_LE(n.entrada(30, 0), 254);
}

TEST(PintaRelativo, ClasesDelPrioriEnModoDos) {
    Mapa m;
    TImagenN<int> clases(9, 2);
    clases.datos[0] = {0, 1, 2, 3, 3, 3, 0, 0, 0};
    pintaRelativo(m.paleta, m.imagen, clases, 0, m.covariables, m.posiciones, gris,
                  m.columnasMapa, 2);
    EXPECT_EQ(m.entradas({{0, 0}, {10, 0}, {30, 0}, {0, 20}}), (std::vector<int>{0, 84, 169, 253}));
}

TEST(PintaUniforme, EntradaMasAltaEnCadaCeldaDeLaRegion) {
    Mapa m({1, 1, 0, 1, 1, 1, 1, 1, 1});
    pintaUniforme(m.paleta, m.imagen, m.covariables, m.posiciones, 0, m.columnasMapa);
    EXPECT_EQ(m.imagen.pixel(0, 0), qRgb(254, 6, 0));
    EXPECT_EQ(m.imagen.pixel(45, 45), qRgb(254, 6, 0));
    EXPECT_EQ(m.imagen.pixel(30, 0), blanco);
}

// Sites on a 5 x 5 grid of coordinates x = 0..4, y = 4..0 (top row first) whose
// cells are 20 pixels apart.
struct Sitios {
    TImagenN<float> coordenadas{25, 2};
    TImagenN<float> posiciones{25, 2};
    TImagenN<float> sitios;
    TImagenN<AnsiString> especies;
    QImage imagen{120, 120, QImage::Format_RGB32};

    Sitios(std::vector<std::pair<float, float>> xy, std::vector<AnsiString> nombres)
        : sitios(static_cast<int>(xy.size()), 3), especies(static_cast<int>(xy.size()), 1) {
        for (int r = 0; r < 25; ++r) {
            coordenadas.datos[0][r] = static_cast<float>(r % 5);
            coordenadas.datos[1][r] = static_cast<float>(4 - r / 5);
            posiciones.datos[0][r] = static_cast<float>(20 * (r % 5));
            posiciones.datos[1][r] = static_cast<float>(20 * (r / 5));
        }
        for (std::size_t s = 0; s < xy.size(); ++s) {
            sitios.datos[0][s] = xy[s].first;
            sitios.datos[1][s] = xy[s].second;
            especies.datos[0][s] = nombres[s];
        }
        imagen.fill(blanco);
    }
    void pinta(int seleccion, int n) {
        pintaSitios(posiciones, coordenadas, sitios, especies, imagen, seleccion, n);
    }
    // Centre of the marker whose corner is at the pixel of grid row r.
    QRgb centro(int r) const { return imagen.pixel(20 * (r % 5) + 2, 20 * (r / 5) + 2); }
};

TEST(PintaSitios, TonosPorEspecieYMarcadorEnLaCeldaSiguiente) {
    // (1.5, 3.5): first row below is y = 3 (row 5); first from there right of
    // x = 1.5 is row 7.  (0.2, 2.1) -> row 11.  (3.5, 0.5) -> row 24.
    Sitios s({{1.5f, 3.5f}, {0.2f, 2.1f}, {0.7f, 2.5f}, {3.5f, 0.5f}},
             {"alfa", "beta", "beta", "gama"});
    s.pinta(0, 3);
    EXPECT_EQ((std::vector<QRgb>{s.centro(7), s.centro(11), s.centro(24)}),
              (std::vector<QRgb>{qRgb(0, 127, 0), qRgb(0, 169, 0), qRgb(0, 211, 0)}));
    // The circle stays inside the 5 x 5 pixels from the cell corner, outlined in black.
    QImage recorte = s.imagen.copy(40, 20, 5, 5);
    bool contorno = false;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) contorno |= recorte.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_TRUE(contorno);
}

TEST(PintaSitios, SitioSinCeldaDebajoOALaDerechaSeOmite) {
    Sitios s({{1.5f, -1.0f}, {4.5f, 2.5f}, {1.5f, 0.0f}}, {"a", "b", "c"});
    const QImage antes = s.imagen.copy();
    s.pinta(0, 3);
    EXPECT_EQ(s.imagen, antes);
    Sitios vacio({}, {});
    vacio.pinta(0, 0);  // no species: no division by zero
    EXPECT_EQ(vacio.imagen, antes);
}

// The vertical key from entry 0 at the bottom (gradient 7 from the top), and
// the colour panel's horizontal bar over its first 178 columns.
TEST(PintaLlave, LlaveVerticalYBarraHorizontal) {
    paletaColores p;
    QImage llave(20, 177, QImage::Format_RGB32);
    pintaLlave(p, llave, gris, 1);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(std::make_pair(qRed(llave.pixel(x, 176)), qRed(llave.pixel(x, 0))), std::make_pair(0, 253));
    EXPECT_EQ(qRed(llave.pixel(0, 176 - 59)), 85);
    for (int y = 1; y < 177; ++y) EXPECT_LE(qRed(llave.pixel(0, y)), qRed(llave.pixel(0, y - 1)));
    pintaLlave(p, llave, 7, 1);
    for (auto [y, e] : {std::pair{0, 0}, {59, 85}, {176, 253}}) EXPECT_EQ(llave.pixel(10, y), p.colorQt(7, e)) << y;

    QImage barra(420, 300, QImage::Format_RGB32);
    barra.fill(qRgb(1, 2, 3));
    pintaLlave(p, barra, gris, 0);
    for (int y : {0, 150, 299})
        EXPECT_EQ(std::make_tuple(qRed(barra.pixel(0, y)), qRed(barra.pixel(177, y)), barra.pixel(178, y)),
                  std::make_tuple(0, 253, qRgb(1, 2, 3))) << y;
}

}  // namespace
