// Result maps written as PNG pictures.
#ifdef QUEL_CON_IMAGENES

#include <gtest/gtest.h>

#include <QtGui/QImage>

#include "cli/png.h"
#include "render/paletaColores.h"
#include "support/testutil.h"

namespace {

// A 10 x 8 region (x 0..9, y 7..0, top row first) whose left half is in the
// study region; results depend on the column.
struct Resultados {
    static constexpr int nc = 10, nf = 8, n = nc * nf;
    TImagenN<float> coordenadas{n, 2};
    TImagenN<int> covariables{n, 2};
    TImagenN<long double> predictiva{n, 1}, certidumbre{n, 1}, potPriori{n, 1};

    Resultados() {
        for (int r = 0; r < n; ++r) {
            const int c = r % nc;
            coordenadas.datos[0][r] = static_cast<float>(c);
            coordenadas.datos[1][r] = static_cast<float>(nf - 1 - r / nc);
            covariables.datos[1][r] = c < 5 ? 1 : 0;
            predictiva.datos[0][r] = c == 0 ? 1.0L : 0.5L;
            certidumbre.datos[0][r] = c == 0 ? 0.0L : 1.0L;
            potPriori.datos[0][r] = 0.125L * (c + 1);
        }
    }
    bool escribe(const std::filesystem::path& carpeta, std::string& error) const {
        return cli::escribeMapasPNG(carpeta, coordenadas, covariables, predictiva, certidumbre,
                                    potPriori, error);
    }
};

QImage abre(const std::filesystem::path& p) { return QImage(QString::fromStdString(p.string())); }

// Number of non-white pixels in a rectangle.
int tinta(const QImage& img, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += img.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

// Column of the first key pixel (the strip starts at 800).
int columnaLlave(const QImage& img) {
    for (int x = 800; x < img.width(); ++x)
        if (tinta(img, x, 0, x + 1, img.height()) >= 177) return x;
    return -1;
}

TEST(MapasPNG, TresLaminasConMapaLlaveYEtiquetas) {
    prueba::CarpetaTemporal carpeta;
    Resultados res;
    std::string error;
    ASSERT_TRUE(res.escribe(carpeta.ruta(), error)) << error;
    const paletaColores paleta;

    // 750 / 9 pixels per column, 550 / 7 per row.
    const QImage pred = abre(carpeta / "predictive.png");
    ASSERT_FALSE(pred.isNull());
    EXPECT_EQ(pred.height(), 600);
    EXPECT_GT(pred.width(), 800 + 20);
    EXPECT_EQ(pred.pixel(10, 10), paleta.colorQt(0, 253));   // value 1, absolute
    EXPECT_EQ(pred.pixel(100, 10), paleta.colorQt(0, 126));  // value 0.5
    EXPECT_EQ(pred.pixel(600, 10), qRgb(255, 255, 255));     // outside the region
    EXPECT_EQ(pred.pixel(10, 580), qRgb(255, 255, 255));     // last map row, margin

    const int xl = columnaLlave(pred);
    ASSERT_GT(xl, 800);
    int arriba = 0;
    while (pred.pixel(xl, arriba) == qRgb(255, 255, 255)) ++arriba;
    EXPECT_EQ(pred.pixel(xl, arriba), paleta.colorQt(0, 253));
    EXPECT_EQ(pred.pixel(xl + 19, arriba + 176), paleta.colorQt(0, 0));
    EXPECT_EQ(pred.pixel(xl + 20, arriba + 100), qRgb(255, 255, 255));
    // Labels "1" above and "0" below the key.
    EXPECT_GT(tinta(pred, 800, 0, pred.width(), arriba), 0);
    EXPECT_GT(tinta(pred, 800, arriba + 177, pred.width(), 600), 0);

    const QImage cert = abre(carpeta / "certainty.png");
    ASSERT_FALSE(cert.isNull());
    EXPECT_EQ(cert.pixel(10, 10), paleta.colorQt(4, 0));
    EXPECT_EQ(cert.pixel(100, 10), paleta.colorQt(4, 253));

    // Relative: 0.625 is the largest value in the region (columns 0..4).
    const QImage pot = abre(carpeta / "prior_potential.png");
    ASSERT_FALSE(pot.isNull());
    EXPECT_EQ(pot.pixel(10, 10), paleta.colorQt(2, 50));   // 0.125 * 254 / 0.625
    const QRgb mayor = pot.pixel(4 * 84 + 1, 10);
    EXPECT_TRUE(mayor == paleta.colorQt(2, 253) || mayor == paleta.colorQt(2, 254));
    // Its labels are wider than "0" and "1".
    const int xp = columnaLlave(pot);
    int arribaP = 0;
    while (pot.pixel(xp, arribaP) == qRgb(255, 255, 255)) ++arribaP;
    auto ancho = [](const QImage& img, int y0, int y1) {
        int a = 0;
        for (int x = 800; x < img.width(); ++x)
            if (tinta(img, x, y0, x + 1, y1) > 0) ++a;
        return a;
    };
    EXPECT_GT(ancho(pot, arribaP + 177, 600), ancho(pred, arriba + 177, 600));
}

TEST(MapasPNG, ErroresClaros) {
    prueba::CarpetaTemporal carpeta;
    Resultados res;
    std::string error;
    EXPECT_FALSE(res.escribe(carpeta / "no-existe", error));
    EXPECT_NE(error.find("no-existe"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(carpeta / "no-existe"));

    res.certidumbre = TImagenN<long double>(3, 1);
    error.clear();
    EXPECT_FALSE(res.escribe(carpeta.ruta(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(carpeta / "predictive.png"));

    // A file where a picture should go that cannot be replaced.
    Resultados bien;
    std::filesystem::create_directory(carpeta / "certainty.png");
    error.clear();
    EXPECT_FALSE(bien.escribe(carpeta.ruta(), error));
    EXPECT_NE(error.find("certainty.png"), std::string::npos);
}

}  // namespace

#endif  // QUEL_CON_IMAGENES
