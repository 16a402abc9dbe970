// The dataset's loads: temporary files, validation codes and line numbers,
// what the grids receive, and what a failed load keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "data/cargaArchivo.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

// A covariate table as the covariate manager writes it.
std::string tablaCovariables(const std::vector<std::string>& nombres, const std::vector<int>& categorias,
                             const std::vector<std::string>& filas) {
    std::string t;
    for (std::size_t i = 0; i < nombres.size(); ++i) t += nombres[i] + "," + std::to_string(categorias[i]) + ",\n";
    t += "**********\nLong,Lat,";
    for (const auto& n : nombres) t += n + ",";
    for (const auto& f : filas) t += "\n" + f;
    return t;
}

// Two covariates, four cells, three of them in the region.
const std::string kTabla = tablaCovariables({"Suelo arenoso", "Clima"}, {3, 5},
                                            {"-99.5,19.25,1,2,1,", "-99,19.25,3,5,1,", "-99.5,19,2,0,0,",
                                             "-99,19,1,4,1,"});

class Carga : public ::testing::Test {
protected:
    prueba::CarpetaTemporal dir;
    cargaArchivo ds{dir.ruta()};

    fs::path archivo(const std::string& bytes, const std::string& nombre = "entrada.txt") {
        prueba::escribe(dir / nombre, bytes);
        return dir / nombre;
    }
    int covariables(const std::string& bytes) { return ds.cargaCovariables(archivo(bytes)); }
};

TEST_F(Carga, CovariateTableFillsEveryGridAndRemovesItsTemporaryFiles) {
    ASSERT_EQ(covariables(kTabla), 0);
    EXPECT_EQ(std::make_tuple(ds.numCovariables, ds.renglones, ds.columnas), std::make_tuple(2, 4, 5));
    ASSERT_EQ(ds.covariables->columnas, 3);
    EXPECT_EQ(ds.covariables->datos[1][1], 5);
    EXPECT_EQ(ds.coordenadas->datos[0][0], -99.5f);
    EXPECT_EQ(ds.categorias->datos[0][1], 5.0f);
    EXPECT_EQ(ds.nombresCovariables->datos[0][0], "Suelo arenoso");  // blanks kept
    for (const char* n : {"CovariablesTmp.txt", "categoriasTmp.txt"}) EXPECT_FALSE(fs::exists(dir / n)) << n;
}

TEST_F(Carga, ErrorsNameTheFileTheLineAndWhatWasFound) {
    using Carga = int (cargaArchivo::*)(const fs::path&);
    const Carga sesgo = &cargaArchivo::cargaSesgo, priori = &cargaArchivo::cargaPriori,
                sitios = &cargaArchivo::cargaSitios, covs = &cargaArchivo::cargaCovariables;
    const std::string dosCovs = tablaCovariables({"a", "b"}, {2, 2},
                                                 {"1,1,1,1,1,", "1,2,1,1,1,", "1,3,1,1,1,", "1,4,1,1,1,",
                                                  "1,5,1,1,", "1,6,1,1,1,"});
    struct Caso {
        Carga carga;
        std::string texto;
        int codigo, linea;
        const char* dice;
    } casos[] = {
        {sesgo, "0\n0.5\n1\n1.5\n0.0", 9, 4, "expected a bias value from 0 to 1, found \"1.5\""},
        {sesgo, "0\n0.5,0.2\n1.0", 5, 2, "expected 1 value, found 2"},
        {sesgo, "bias\n0.5\n1,", 9, 1, "found \"bias\""},
        {sesgo, "0.5\n\x01\xff\n1,", 9, 2, "found \"\\x01\\xFF\""},
        {priori, "0\n2.5\n3,", 9, 2, "expected a prior class 0, 1, 2 or 3, found \"2.5\""},
        {covs, dosCovs, 5, 9, "expected 5 fields, as on the line before, found 4"},
        {covs, "a,2,\n*\nh\n\n1,1,1,1,", 5, 4, "the line is empty"},
        {covs, tablaCovariables({"a"}, {2}, {"1,1,1,1,", "abc,1,1,1,"}), 9, 5, "expected the x coordinate"},
        {covs, tablaCovariables({"a"}, {2}, {"1,1,1,1,", "1,inf,1,1,"}), 9, 5, "expected the y coordinate"},
        {covs, tablaCovariables({"a"}, {2}, {"1,1,1e10,1,"}), 9, 4, "expected a whole number in field 3"},
        {covs, "a,2,\nb,x,\n*\nh\n1,1,1,1,1,", 12, 2, "found \"b,x,\""},
        {covs, tablaCovariables({"a"}, {2}, {"1,1,1,1,1,"}), 12, 0, "expected 1 covariate columns"},
        {covs, "?*", 12, 0, "the table has no data line"},  // no line past the end of the file
        {sitios, "a,1,2\nb,1\nc,3,4", 5, 2, "expected 3 fields (species, longitude, latitude), found 2"},
        {sitios, "a,1,2\nb,1,2\n\nc,3,4", 5, 3, "the line is empty"},
        {sitios, "a,1,2\nb,abc,2", 9, 2, "expected the longitude"},
        {sitios, "a,1,2\nb,1,1e39", 9, 2, "expected the latitude"},
        {priori, "1\n", 2, 2, "the last line holds a single character or nothing"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        const fs::path ruta = archivo(c.texto);
        EXPECT_EQ((ds.*c.carga)(ruta), c.codigo);
        EXPECT_EQ(ds.error.codigo, c.codigo);
        EXPECT_EQ(ds.error.archivo, ruta);
        EXPECT_EQ(ds.error.linea, c.linea);
        EXPECT_NE(ds.error.detalle.find(c.dice), std::string::npos) << ds.error.detalle;
    }
    // Accepted: 2.0 is a class, an empty bias line reads as 0.
    EXPECT_EQ(ds.cargaPriori(archivo("0\n2.0\n3,")), 0);
    EXPECT_EQ(ds.error.codigo, 0);
    ASSERT_EQ(ds.cargaSesgo(archivo("0.5\n\n1,")), 0);
    EXPECT_EQ(ds.sesgo->datos[0][1], 0.0f);
    EXPECT_EQ(ds.sesgo->datos[0][2], 1.0f);
    // The system's reason for a file that cannot be opened.
    EXPECT_EQ(ds.cargaSesgo(dir / "missing.txt"), 2);
    EXPECT_EQ(ds.error.detalle, "cannot open the file: No such file or directory");
}

TEST_F(Carga, AByteOrderMarkStartsNoValue) {
    ASSERT_EQ(covariables("\xEF\xBB\xBF" + kTabla), 0);
    EXPECT_EQ(ds.nombresCovariables->datos[0][0], "Suelo arenoso");
    ASSERT_EQ(ds.cargaSesgo(archivo("\xEF\xBB\xBF" "0.25\n0.5,\n0,\n1,")), 0);
    EXPECT_EQ(ds.sesgo->datos[0][0], 0.25f);
    ASSERT_EQ(ds.cargaSitios(archivo("\xEF\xBB\xBFQuercus,1,2")), 0);
    EXPECT_EQ(ds.especies->datos[0][0], "Quercus");
}

TEST_F(Carga, EmptyRemaindersAndUnreadableFilesGiveCode2) {
    // A final line break, in every kind of input; a last line of one character
    // (against the same with a comma); an empty file; a folder.
    EXPECT_EQ(covariables(kTabla + "\n"), 2);
    EXPECT_EQ(ds.cargaSesgo(archivo("0.5\n1\n")) + ds.cargaSitios(archivo("a,1,2\n")), 4);
    EXPECT_EQ(ds.cargaPriori(archivo("0\n2")) + ds.cargaPriori(archivo("")) + ds.cargaSesgo(dir.ruta()), 6);
    EXPECT_EQ(ds.cargaPriori(archivo("0\n2,")), 0);
    // A file named like a temporary file of its load is not truncated.
    const auto propio = archivo("1,\n2,", "PrioriTmp.txt");
    EXPECT_EQ(ds.cargaPriori(propio), 2);
    EXPECT_EQ(prueba::lee(propio), "1,\n2,");
}

TEST_F(Carga, MalformedCovariateTablesGiveCode12) {
    // No separator (a blank after the asterisks spoils it), no number of
    // categories, no data line, a data line of one field, one column short.
    for (const std::string& t : std::vector<std::string>{"a,2,\nb,2,\n1,1,1,1,1,", "a,2,\n********** \nh\n1,1,1,1,", "a,2,\nb\n*\nh\n1,1,1,1,1,",
                                "a,2,\n*\nLong,Lat,a,", "a,2,\n*\nh\n5\n6,",
                                tablaCovariables({"a", "b"}, {2, 2}, {"1,1,1,1,", "1,1,1,1,"})})
        EXPECT_EQ(covariables(t), 12) << t;
    // Leading digits count, after blanks; CRLF files are recognised.
    EXPECT_EQ(covariables("a, 7.9x\r\n**\r\nh\r\n1,1,1,1"), 0);
    EXPECT_EQ(ds.categorias->datos[0][0], 7.0f);
    EXPECT_EQ(cargaArchivo::leeCategoria("n,,12,3"), 12);
}

TEST_F(Carga, FailedLoadKeepsThePreviousGridsAndCounts) {
    ASSERT_EQ(covariables(kTabla), 0);
    ASSERT_EQ(ds.cargaSesgo(archivo("0.1\n0.2\n0.3\n0.4")), 0);
    ASSERT_EQ(ds.cargaPriori(archivo("1\n2\n3\n0,")), 0);
    ASSERT_EQ(ds.cargaSitios(archivo("a,1,2\nb,3,4")), 0);
    const auto* covs = ds.covariables.get();
    const auto* sesgo = ds.sesgo.get();
    const auto* priori = ds.priori.get();
    const auto* sitios = ds.sitios.get();

    // Three category lines counted before the failure.
    EXPECT_EQ(covariables(tablaCovariables({"x", "y", "z"}, {2, 2, 2}, {"1,1,1,1,1,1,", "1,1,1,1,1,"})), 5);
    EXPECT_EQ(ds.cargaSesgo(archivo("0.1\n0.2\n7.0")), 9);
    EXPECT_EQ(ds.cargaPriori(archivo("1\n9,")), 9);
    EXPECT_EQ(ds.cargaSitios(archivo("a,1,2\nb,3")), 5);

    EXPECT_EQ(std::make_tuple(ds.covariables.get(), ds.sesgo.get(), ds.priori.get(), ds.sitios.get()),
              std::make_tuple(covs, sesgo, priori, sitios));
    EXPECT_EQ(std::make_tuple(ds.numCovariables, ds.categorias->renglones, ds.sesgo->datos[0][2]), std::make_tuple(2, 2, 0.3f));
    EXPECT_EQ(ds.renglones, 2);  // the last successful validation
}

}  // namespace
