// Occurrence downloads into the sites file: the layouts downloads come in,
// what is dropped and how it is counted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/ocurrencias.h"

using namespace quel::ocurrencias;

namespace {

Resultado convierteBien(const std::string& texto, const Opciones& o = {}, const Region* region = nullptr) {
    Resultado r;
    Error e;
    EXPECT_TRUE(convierte(texto, o, region, r, e)) << e.detalle;
    return r;
}

// A 3 x 2 region of cell size 1 with its lower-left corner at (10, 20); the
// top-right cell is outside.
Region region() {
    TImagenN<float> coords(6, 2);
    TImagenN<int> covs(6, 2);
    for (int i = 0; i < 6; ++i) {
        coords.datos[0][static_cast<std::size_t>(i)] = static_cast<float>(10 + i % 3);
        coords.datos[1][static_cast<std::size_t>(i)] = static_cast<float>(21 - i / 3);
        covs.datos[0][static_cast<std::size_t>(i)] = 1;
        covs.datos[1][static_cast<std::size_t>(i)] = i == 2 ? 0 : 1;
    }
    Region r;
    EXPECT_TRUE(r.lee(coords, covs));
    return r;
}

}  // namespace

TEST(Ocurrencias, TabSeparatedDownloadWithBomQuotesAndEmptyCoordinates) {
    const std::string texto =
        "\xEF\xBB\xBFgbifID\tspecies\tlocality\tdecimalLatitude\tdecimalLongitude\r\n"
        "1\tPuma concolor\t\"Sierra, \"\"alta\"\"\tnorte\"\t19.5\t-104.25\r\n"
        "2\tPuma concolor\t\"Valle\"\t\t-104.3\r\n"
        "3\t\tsomewhere\t19\t-104\r\n"
        "4\tLynx rufus\t\"two\nlines\"\t19.25\t-104.5\r\n"
        "5\tLynx rufus\tx\tnorth\t-104.5\r\n"
        "6\t\"Genus, sp.\"\tx\t19\t-104\r\n";
    const Resultado r = convierteBien(texto);
    EXPECT_EQ(r.sitios, "Puma concolor,-104.25,19.5\nLynx rufus,-104.5,19.25");
    ASSERT_EQ(r.especies.size(), 3u);
    EXPECT_EQ(r.especies[0].conservados, 1);
    EXPECT_EQ(r.especies[0].sinCoordenadas, 1);
    EXPECT_EQ(r.especies[1].sinCoordenadas, 1);
    EXPECT_EQ(r.especies[2].nombreNoValido, 1);
    EXPECT_EQ(r.sinEspecie, 1);
    EXPECT_EQ(r.informe(), (std::vector<std::string>{
                               "Puma concolor: 1 kept, 1 without coordinates",
                               "Lynx rufus: 1 kept, 1 without coordinates",
                               "Genus, sp.: 0 kept, 0 without coordinates, 1 dropped because the name holds a "
                               "comma or a tab, which the sites file cannot hold",
                               "1 records without a species name, dropped", "sites kept: 2"}));
}

TEST(Ocurrencias, CommaSeparatedChosenColumnsSpeciesRegionAndOnePerCell) {
    const std::string texto =
        "name,lon,lat\n"
        "a,10.5,20.5\n"   // bottom-left cell
        "a,10.9,20.1\n"   // same cell: a duplicate
        "b,10.5,20.5\n"   // another species may share the cell
        "a,12.5,21.5\n"   // top-right cell, outside the region
        "a,9.5,20.5\n"    // beyond the grid
        "c,11,21\n"       // left out: not asked for
        "a,1e1,2.1e1";    // no final line break; exponent form
    Opciones o;
    o.columnaEspecie = "name";
    o.columnaX = "lon";
    o.columnaY = "lat";
    o.especies = {"a", "b"};
    o.unoPorCelda = true;
    const Region reg = region();
    const Resultado r = convierteBien(texto, o, &reg);
    EXPECT_EQ(r.sitios, "a,10.5,20.5\nb,10.5,20.5\na,1e1,2.1e1");
    EXPECT_EQ(r.otras, 1);
    EXPECT_EQ(r.informe()[0], "a: 2 kept, 0 without coordinates, 2 outside the region, 1 duplicates on one cell");
    // Without --one-per-cell the duplicate stays.
    o.unoPorCelda = false;
    EXPECT_EQ(convierteBien(texto, o, &reg).especies[0].conservados, 3);
}

TEST(Ocurrencias, HeadersWithoutTheColumnsAndOpenQuotesAreErrors) {
    struct Caso {
        const char* texto;
        int linea;
        const char* detalle;
    };
    const Caso casos[] = {
        {"species\tlon\tlat\nx\t1\t2", 1, "no column \"decimalLongitude\" (its columns: species, lon, lat)"},
        {"species,decimalLongitude,decimalLatitude\na,1,2\nb,\"3,4", 3, "never closed"},
    };
    for (const Caso& k : casos) {
        Resultado r;
        Error e;
        EXPECT_FALSE(convierte(k.texto, {}, nullptr, r, e));
        EXPECT_EQ(e.linea, k.linea);
        EXPECT_NE(e.detalle.find(k.detalle), std::string::npos) << e.detalle;
    }
    EXPECT_TRUE(esDescarga("species\tdecimalLongitude\tdecimalLatitude\n", {}));
    EXPECT_FALSE(esDescarga("a,-104.2,19.5\nb,-104,19", {}));
}
