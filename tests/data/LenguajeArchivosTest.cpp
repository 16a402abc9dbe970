// The shipped language files and the pointer file.
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

INSTANTIATE_TEST_SUITE_P(Ambos, LenguajeIncluido, ::testing::Values(Idioma::kIngles, Idioma::kEspanol),
                         [](const auto& i) { return i.param == Idioma::kIngles ? "English" : "Espanol"; });

TEST(LenguajePuntero, ChoosingALanguageWritesItsPathAndTheLanguageInForceFollowsIt) {
    prueba::CarpetaTemporal t;
    RaizDatos raiz(t.ruta());
    const fs::path puntero = t / "Lenguajes" / "lenguaje.quel";
    EXPECT_FALSE(leePuntero(raiz));
    ASSERT_TRUE(instalaLenguajes(raiz));
    EXPECT_FALSE(lenguajeEnVigor(raiz));  // no pointer yet
    for (const auto& [nombre, ruta] : {std::pair{kEspanolUtf8, "C:\\Quel\\Lenguajes\\espanol.quel"},
                                       std::pair{std::string("English"), "C:\\Quel\\Lenguajes\\english.quel"}}) {
        EXPECT_EQ(eligeLenguaje(raiz, nombre), ruta);
        EXPECT_EQ(prueba::lee(puntero), ruta);
    }
    EXPECT_EQ(lenguajeEnVigor(raiz)->menuPreferencias->at(1), "Language");
    // Any other text truncates the pointer and changes nothing else.
    EXPECT_FALSE(eligeLenguaje(raiz, "english"));
    EXPECT_EQ(prueba::lee(puntero), "");
    EXPECT_FALSE(lenguajeEnVigor(raiz));
    EXPECT_EQ(std::distance(fs::directory_iterator(t / "Lenguajes"), fs::directory_iterator()), 3);
    // Read up to byte 255 or a line break; paths of any length.
    const std::string ingles = "C:\\Quel\\Lenguajes\\english.quel", largo = (t / std::string(300, 'a')).string();
    for (const auto& [contenido, leido] : {std::pair{ingles + "\xFF\xFFgarbage", ingles}, {ingles + "\r\n", ingles},
                                           {largo, largo}}) {
        prueba::escribe(puntero, contenido);
        EXPECT_EQ(leePuntero(raiz), leido);
    }
    // A pointer naming a file outside the data root is used as it is; a
    // missing file leaves the designed captions.
    prueba::escribe(t / "mio.quel", "x\nMy file,\n");
    escribePuntero(raiz, (t / "mio.quel").string());
    EXPECT_EQ(lenguajeEnVigor(raiz)->menuPrincipal->front(), "My file");
    escribePuntero(raiz, "C:\\Quel\\Lenguajes\\klingon.quel");
    EXPECT_FALSE(lenguajeEnVigor(raiz));
    EXPECT_FALSE(leeArchivoLenguaje(t.ruta()));  // a folder is not a language file
}
