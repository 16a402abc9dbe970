// Reading the language file format, applying it to the message tables, and
// the safe fillers for texts that carry a printf-style conversion.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "data/lenguaje.h"

using namespace quel::lenguaje;
using namespace std::string_literals;

namespace {

// A file whose line `n` (from 1) is `lineas[n - 1]`, each followed by `salto`.
std::string archivo(std::initializer_list<std::string> lineas, const std::string& salto = "\n") {
    std::string r;
    for (const auto& l : lineas) r += l + salto;
    return r;
}

// Lines 1..29 of notes, then whatever follows.
std::string conLinea(int numero, const std::string& contenido) {
    std::string r;
    for (int i = 1; i < numero; ++i) r += "nota " + std::to_string(i) + "\n";
    return r + contenido + "\n";
}

}  // namespace

// The fields a line of the file yields, or none where the line does not count.
TEST(LenguajeLectura, FieldsOfEachLine) {
    const std::string largo(5000, 'x');
    const struct {
        std::string texto;
        int linea;
        std::optional<Campos> campos;
    } casos[] = {
        // Comma-terminated fields; empty ones vanish, leading commas too; blanks belong to the text.
        {"encabezado\nArchivo,,Cargar,\n", 2, Campos{"Archivo", "Cargar"}},
        {"x\nA,\n  Run , Go,\n", 3, Campos{"  Run ", " Go"}},
        // Missing lines give nothing; an empty line is present, empty.
        {"x\nFichier,Charger,\n", 3, std::nullopt},
        {archivo({"x", "", ""}), 2, Campos{}},
        {"", 2, std::nullopt},
        // A last line without its line break is not applied, even as the only content line.
        {"x\nA,B,\nRun,Go,", 2, Campos{"A", "B"}},
        {"x\nA,B,\nRun,Go,", 3, std::nullopt},
        {"x\nA,B,", 2, std::nullopt},
        // A last field without its comma keeps the line break; CR LF read as one; a lone CR is text.
        {"x\nA,B\n", 2, Campos{"A", "B\n"}},
        {archivo({"nota", "A,B,", "C,D,", "E,", "F,G"}, "\r\n"), 5, Campos{"F", "G\n"}},
        {"x\nA\rB,C,\n", 2, Campos{"A\rB", "C"}},
        // Extra fields are ignored, item lists keep them all.
        {conLinea(5, "P,L,extra,more,"), 5, Campos{"P", "L"}},
        {conLinea(10, "Grad,a,b,c,"), 10, Campos{"Grad", "a", "b", "c"}},
        // A NUL byte ends the line's content.
        {"x\nA,B\0C,D,\nR,\n"s, 2, Campos{"A", "B"}},
        // Long lines are read whole.
        {conLinea(24, largo + "," + largo + ","), 24, Campos{largo, largo}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(testing::Message() << "line " << c.linea << " of " << c.texto.substr(0, 40));
        const ArchivoLenguaje a = leeLenguaje(c.texto);
        EXPECT_EQ(campos(a, c.linea), c.campos);
    }
}

TEST(LenguajeTablas, ErrorCodesMapToTheirEntries) {
    TablasMensajes t;
    for (std::size_t i = 0; i < t.mensajesError.size(); ++i) t.mensajesError[i] = "E" + std::to_string(i);
    // Codes 5 and 9 are followed by the line number.
    for (auto [codigo, texto] : {std::pair{2, "E0"}, {5, "E14"}, {7, "E2"}, {9, "E34"}, {3, "E4"}, {11, "E5"},
                                 {12, "E6"}, {4, "E7"}})
        EXPECT_EQ(textoCajaError(t, codigo, 4), texto) << codigo;
    for (int sinTexto : {0, 1, 6, 8, 10, 14, -45}) EXPECT_FALSE(textoCajaError(t, sinTexto, 1)) << sinTexto;
    // Code 13 and, never with a line 0, codes 5 and 9 without a line.
    for (std::size_t i = 7; i < 10; ++i) t.mensajesBorrado[i] = "B" + std::to_string(i);
    EXPECT_EQ(*textoCajaError(t, 13, 4) + *textoCajaError(t, 5, 0) + *textoCajaError(t, 9, -1), "B7B8B9");
    EXPECT_EQ(textoCajaError(tablasIncluidas(Idioma::kIngles), 9, 0), "Value out of range or not a number.");
    // Without a language file the boxes of codes 5 and 9 show only the number.
    EXPECT_EQ(*textoCajaError(TablasMensajes(), 9, 12) + "|" + *textoCajaError(TablasMensajes(), 2, 12), "12|");
    // A text with its own conversion gets the current line number, not one
    // from the time the language was applied.
    t.mensajesError[1] = "line %d: ";
    EXPECT_EQ(textoCodigo(t, 5, 31), "line 31: ");
    EXPECT_EQ(textoCajaError(t, 5, 31), "line 31: 31");
}

// Only the first integer (or real) conversion is filled; every other per-cent
// sequence, and widths beyond any sensible text, print as written.
TEST(LenguajeFormato, FillsOnlyTheFirstConversionOfItsKind) {
    const std::pair<const char*, const char*> enteros[] = {
        {"Line %d of %d", "Line 7 of %d"}, {"[%5d]", "[    7]"}, {"no conversion", "no conversion"},
        {"100%% sure, %d", "100% sure, 7"}, {"%s %n %x %p %ld %*d", "%s %n %x %p %ld %*d"}, {"50% off", "50% off"},
        {"ends in %", "ends in %"}, {"%", "%"}, {"%f", "%f"}, {"%d%%%d%%", "7%%d%"},
        {"%999999999999999999999d", "%999999999999999999999d"}, {"%.501d", "%.501d"},
    };
    for (const auto& [formato, texto] : enteros) EXPECT_EQ(rellenaEntero(formato, 7), texto) << formato;
    EXPECT_EQ(rellenaEntero("%d", LLONG_MIN), std::to_string(LLONG_MIN));
    EXPECT_EQ(rellenaEntero("%500d", 1).size(), 500u);
    const std::pair<const char*, const char*> reales[] = {
        {"%.1f seconds", "1.5 seconds"}, {"%g and %g", "1.5 and %g"}, {"%d %s %.1f", "%d %s 1.5"},
        {"%%.1f", "%.1f"}, {"%Lf", "%Lf"},
    };
    for (const auto& [formato, texto] : reales) EXPECT_EQ(rellenaReal(formato, 1.5), texto) << formato;
}
