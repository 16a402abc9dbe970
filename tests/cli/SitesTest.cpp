// quel-cli sites: an occurrence download into the sites file and its report.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"

namespace fs = std::filesystem;

TEST(SitesCli, DownloadBecomesTheSitesFileWithAReportPerSpecies) {
    apoyo::Carpeta c;
    const std::string descarga = c.escribe(
        "occurrence.txt",
        "\xEF\xBB\xBFgbifID\tspecies\tdecimalLatitude\tdecimalLongitude\tlocality\n"
        "1\tPuma concolor\t0.5\t0.5\t\"Cerro, \"\"El Alto\"\"\"\n"
        "2\tPuma concolor\t\t0.5\tx\n"
        "3\tPuma concolor\t0.6\t0.7\tx\n"
        "4\tLynx rufus\t5.5\t0.5\tx\n"
        "5\tLynx rufus\t1.5\t1.5\tx\n"
        "6\t\t1\t1\tx");
    // A 2 x 2 region of cell size 1 at the origin.
    const std::string tabla = c.escribe("covs.txt", "c,2,\n**********\nLong,Lat,c,\n0,1,1,1,\n1,1,1,1,\n0,0,1,1,\n1,0,2,1,");
    const apoyo::Salida s =
        apoyo::corre(cli::sites, {"--from", descarga, "--out", c / "sites.txt", "--region", tabla, "--one-per-cell"});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(prueba::lee(c / "sites.txt"), "Puma concolor,0.5,0.5\nLynx rufus,1.5,1.5");
    EXPECT_EQ(s.out,
              "Puma concolor: 1 kept, 1 without coordinates, 0 outside the region, 1 duplicates on one cell\n"
              "Lynx rufus: 1 kept, 0 without coordinates, 1 outside the region, 0 duplicates on one cell\n"
              "1 records without a species name, dropped\n"
              "sites kept: 2\n");
    // --species, given twice, keeps only those.
    const apoyo::Salida l = apoyo::corre(
        cli::sites, {"--from", descarga, "--out", c / "lynx.txt", "--species", "Lynx rufus", "--species", "Felis"});
    ASSERT_EQ(l.estado, 0) << l.err;
    EXPECT_EQ(prueba::lee(c / "lynx.txt"), "Lynx rufus,0.5,5.5\nLynx rufus,1.5,1.5");
}
