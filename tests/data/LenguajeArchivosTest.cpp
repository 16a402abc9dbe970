// The shipped language files, the pointer file and their installation into
// the data root.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "data/lenguaje.h"
#include "support/testutil.h"

using namespace quel::lenguaje;
using quel::RaizDatos;
namespace fs = std::filesystem;

namespace {

const std::string kEspanolUtf8 = "Espa\xC3\xB1ol";

std::string nombre(Idioma i) { return i == Idioma::kIngles ? "english.quel" : "espanol.quel"; }

// Number of fields each content line must carry in a complete file.
const std::pair<int, std::size_t> kCompletas[] = {
    {2, 12}, {3, 4},  {4, 3},   {5, 2},   {7, 3},   {9, 3},  {10, 8}, {12, 4},  {14, 16}, {16, 3},
    {18, 7}, {20, 11}, {22, 12}, {23, 12}, {24, 8}, {25, 5}, {27, 13}, {28, 6}, {30, 5},
};

class LenguajeIncluido : public ::testing::TestWithParam<Idioma> {};

}  // namespace

TEST_P(LenguajeIncluido, BuiltInBytesAreTheShippedFile) {
    EXPECT_EQ(textoIncluido(GetParam()), prueba::lee(prueba::fuentes() / "resources" / "lang" / nombre(GetParam())))
        << "rebuild quelcore after editing resources/lang";
}

TEST_P(LenguajeIncluido, EveryLineIsComplete) {
    auto a = leeLenguaje(textoIncluido(GetParam()));
    for (auto [linea, n] : kCompletas) {
        const auto& c = campos(a, linea);
        ASSERT_TRUE(c) << "line " << linea;
        EXPECT_EQ(c->size(), n) << "line " << linea;
        for (const auto& campo : *c) {
            EXPECT_EQ(campo.find_first_of("\r\n"), std::string::npos) << "line " << linea << ": " << campo;
            EXPECT_FALSE(campo.empty());
        }
    }
    // Every caption and hint the windows take has its text.
    for (const Destino& d : kDestinos) {
        const auto& c = campos(a, d.linea);
        ASSERT_TRUE(c) << d.control;
        EXPECT_LT(d.campo, c->size()) << d.control;
    }
}

TEST_P(LenguajeIncluido, FormatFitsAnyReaderOfTheDesign) {
    std::string_view b = textoIncluido(GetParam());
    ASSERT_GE(b.size(), 2u);
    EXPECT_EQ(b.substr(b.size() - 2), "\r\n") << "the last content line needs its line break";
    std::size_t lineas = 0, pos = 0;
    while (pos < b.size()) {
        std::size_t salto = b.find('\n', pos);
        ASSERT_NE(salto, std::string_view::npos);
        ASSERT_GT(salto, pos);
        EXPECT_EQ(b[salto - 1], '\r') << "line " << lineas + 1;
        // A line, its line break included, holds at most 499 characters.
        EXPECT_LE(salto + 1 - pos, 499u) << "line " << lineas + 1;
        pos = salto + 1;
        ++lineas;
    }
    EXPECT_GE(lineas, 30u);
    for (unsigned char c : b) {
        EXPECT_TRUE(c >= 0x20 || c == '\r' || c == '\n') << int(c);
        // Bytes that Windows-1252 leaves undefined.
        EXPECT_TRUE(c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) << int(c);
        EXPECT_NE(c, 0x7F);
    }
    auto t = tablasIncluidas(GetParam());
    for (const auto& e : t.mensajesError) EXPECT_LE(e.size(), 255u);
    for (const auto& e : t.mensajesCovManager) EXPECT_LE(e.size(), 253u);
}

TEST_P(LenguajeIncluido, ExportFiltersListTextSpreadsheetGridInThatOrder) {
    auto t = tablasIncluidas(GetParam());
    for (int i : {0, 1}) {
        const std::string& f = t.textosDialogo[i];
        auto txt = f.find("|*.txt"), xls = f.find("|*.xls"), asc = f.find("|*.asc");
        ASSERT_NE(txt, std::string::npos) << f;
        ASSERT_NE(xls, std::string::npos) << f;
        ASSERT_NE(asc, std::string::npos) << f;
        EXPECT_LT(txt, xls);
        EXPECT_LT(xls, asc);
        EXPECT_EQ(std::count(f.begin(), f.end(), '|'), 5) << "three entries: " << f;
    }
    EXPECT_EQ(t.textosDialogo[2].find("|*.asc"), t.textosDialogo[2].find('|'));
}

INSTANTIATE_TEST_SUITE_P(Ambos, LenguajeIncluido, ::testing::Values(Idioma::kIngles, Idioma::kEspanol),
                         [](const auto& i) { return i.param == Idioma::kIngles ? "English" : "Espanol"; });

// ---- the pointer file ------------------------------------------------------------

TEST(LenguajePuntero, ChoosingALanguageWritesItsPathExactly) {
    prueba::CarpetaTemporal t;
    RaizDatos raiz(t.ruta());
    fs::path puntero = t / "Lenguajes" / "lenguaje.quel";

    EXPECT_EQ(eligeLenguaje(raiz, kEspanolUtf8), "C:\\Quel\\Lenguajes\\espanol.quel");
    EXPECT_EQ(prueba::lee(puntero), "C:\\Quel\\Lenguajes\\espanol.quel");

    EXPECT_EQ(eligeLenguaje(raiz, "English"), "C:\\Quel\\Lenguajes\\english.quel");
    EXPECT_EQ(prueba::lee(puntero), "C:\\Quel\\Lenguajes\\english.quel");

    // Any other text truncates the pointer and changes nothing else.
    EXPECT_FALSE(eligeLenguaje(raiz, "english"));
    EXPECT_TRUE(fs::exists(puntero));
    EXPECT_EQ(prueba::lee(puntero), "");
    EXPECT_EQ(leePuntero(raiz), "");
    EXPECT_FALSE(lenguajeEnVigor(raiz));
    // No stray files beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(t / "Lenguajes"), fs::directory_iterator()), 1);
}

TEST(LenguajePuntero, ReadingTakesTheContentUpToByte255) {
    prueba::CarpetaTemporal t;
    RaizDatos raiz(t.ruta());
    EXPECT_FALSE(leePuntero(raiz));
    fs::create_directories(t / "Lenguajes");
    prueba::escribe(t / "Lenguajes" / "lenguaje.quel", "C:\\Quel\\Lenguajes\\english.quel\xFF\xFFgarbage");
    EXPECT_EQ(leePuntero(raiz), "C:\\Quel\\Lenguajes\\english.quel");
    // A line break left by a text editor is not part of the path.
    prueba::escribe(t / "Lenguajes" / "lenguaje.quel", "C:\\Quel\\Lenguajes\\english.quel\r\n");
    EXPECT_EQ(leePuntero(raiz), "C:\\Quel\\Lenguajes\\english.quel");
    // Paths of any length.
    std::string largo = (t / std::string(300, 'a')).string();
    prueba::escribe(t / "Lenguajes" / "lenguaje.quel", largo);
    EXPECT_EQ(leePuntero(raiz), largo);
}

TEST(LenguajePuntero, TheLanguageInForceFollowsThePointer) {
    prueba::CarpetaTemporal t;
    RaizDatos raiz(t.ruta());
    EXPECT_FALSE(lenguajeEnVigor(raiz));
    ASSERT_TRUE(instalaLenguajes(raiz));
    EXPECT_FALSE(lenguajeEnVigor(raiz));  // no pointer yet
    eligeLenguaje(raiz, "English");
    auto a = lenguajeEnVigor(raiz);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->menuPreferencias->at(1), "Language");
    // A pointer naming a file outside the data root is used as it is.
    prueba::escribe(t / "mio.quel", "x\nMy file,\n");
    escribePuntero(raiz, (t / "mio.quel").string());
    EXPECT_EQ(lenguajeEnVigor(raiz)->menuPrincipal->front(), "My file");
    // A pointer naming a missing file leaves the designed captions.
    escribePuntero(raiz, "C:\\Quel\\Lenguajes\\klingon.quel");
    EXPECT_FALSE(lenguajeEnVigor(raiz));
    EXPECT_FALSE(leeArchivoLenguaje(t.ruta()));  // a folder is not a language file
}

// ---- installation ------------------------------------------------------------------

TEST(LenguajeInstalacion, MissingFilesAreWrittenAndEditedOnesKept) {
    prueba::CarpetaTemporal t;
    RaizDatos raiz(t.ruta());
    ASSERT_TRUE(instalaLenguajes(raiz));
    EXPECT_EQ(prueba::lee(t / "Lenguajes" / "english.quel"), textoIncluido(Idioma::kIngles));
    EXPECT_EQ(prueba::lee(t / "Lenguajes" / "espanol.quel"), textoIncluido(Idioma::kEspanol));

    prueba::escribe(t / "Lenguajes" / "english.quel", "x\nMine,\n");
    fs::remove(t / "Lenguajes" / "espanol.quel");
    ASSERT_TRUE(instalaLenguajes(raiz));
    EXPECT_EQ(prueba::lee(t / "Lenguajes" / "english.quel"), "x\nMine,\n");
    EXPECT_EQ(prueba::lee(t / "Lenguajes" / "espanol.quel"), textoIncluido(Idioma::kEspanol));
    EXPECT_EQ(std::distance(fs::directory_iterator(t / "Lenguajes"), fs::directory_iterator()), 2);
}

TEST(LenguajeInstalacion, FirstStartPointsToSpanishOnlyOnce) {
    prueba::CarpetaTemporal t;
    RaizDatos raiz(t / "Quel");
    fs::path puntero = t / "Quel" / "Lenguajes" / "lenguaje.quel";
    EXPECT_TRUE(iniciaLenguajes(raiz));
    EXPECT_EQ(prueba::lee(puntero), "C:\\Quel\\Lenguajes\\espanol.quel");
    EXPECT_EQ(lenguajeEnVigor(raiz)->menuPreferencias->at(1), "Lenguaje");
    // A pointer deleted later is not recreated; missing files are.
    fs::remove(puntero);
    fs::remove(t / "Quel" / "Lenguajes" / "english.quel");
    EXPECT_FALSE(iniciaLenguajes(raiz));
    EXPECT_FALSE(fs::exists(puntero));
    EXPECT_TRUE(fs::exists(t / "Quel" / "Lenguajes" / "english.quel"));
}

TEST(LenguajeInstalacion, AnUnwritableRootReportsIncompleteAndLeavesNothing) {
    prueba::CarpetaTemporal t;
    prueba::escribe(t / "archivo", "x");  // a file where the root should be
    RaizDatos raiz(t / "archivo");
    EXPECT_FALSE(instalaLenguajes(raiz));
    EXPECT_FALSE(iniciaLenguajes(raiz));
    EXPECT_EQ(prueba::lee(t / "archivo"), "x");
}
