// Occurrence downloads into the sites file: the layouts downloads come in,
// what is dropped and how it is counted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/ocurrencias.h"

using namespace quel::ocurrencias;

namespace {

Resultado convierteBien(const std::string& texto) {
    Resultado r;
    Error e;
    EXPECT_TRUE(convierte(texto, {}, nullptr, r, e)) << e.detalle;
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
    // The report shows every count.
    EXPECT_EQ(r.informe(), (std::vector<std::string>{
                               "Puma concolor: 1 kept, 1 without coordinates",
                               "Lynx rufus: 1 kept, 1 without coordinates",
                               "Genus, sp.: 0 kept, 0 without coordinates, 1 dropped because the name holds a "
                               "comma or a tab, which the sites file cannot hold",
                               "1 records without a species name, dropped", "sites kept: 2"}));
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
