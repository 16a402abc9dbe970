// Reading the language file format, applying it to the message tables, and
// the safe fillers for texts that carry a printf-style conversion.
#include <gtest/gtest.h>

#include <climits>
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

TEST(LenguajeLectura, FieldsAreCommaTerminatedAndEmptyOnesVanish) {
    auto a = leeLenguaje(archivo({"encabezado", "Archivo,,Cargar,", "  Run , Go,", ",,Tools,Cov,"}));
    ASSERT_TRUE(a.menuPrincipal);
    EXPECT_EQ(*a.menuPrincipal, (Campos{"Archivo", "Cargar"}));
    // Blanks belong to the text.
    ASSERT_TRUE(a.menuEjecutar);
    EXPECT_EQ(*a.menuEjecutar, (Campos{"  Run ", " Go"}));
    // Leading commas are skipped like any other empty field.
    EXPECT_EQ(*a.menuHerramientas, (Campos{"Tools", "Cov"}));
}

TEST(LenguajeLectura, ShortLinesSetOnlyTheirFieldsAndMissingLinesNothing) {
    // The edge case of the format: line 2 with two fields changes only
    // Archivo1 and Cargar1; lines that are not there stay absent.
    auto a = leeLenguaje(archivo({"x", "Fichier,Charger,"}));
    ASSERT_TRUE(a.menuPrincipal);
    EXPECT_EQ(a.menuPrincipal->size(), 2u);
    EXPECT_FALSE(a.menuEjecutar);
    EXPECT_FALSE(a.mensajesError);
    EXPECT_FALSE(a.mensajesExporta);

    // A line holding only its line break is present with no fields.
    auto b = leeLenguaje(archivo({"x", "", "", "", "", "", "", "", "", ""}));
    ASSERT_TRUE(b.gradientes);
    EXPECT_TRUE(b.gradientes->empty());
    ASSERT_TRUE(b.menuPrincipal);
    EXPECT_TRUE(b.menuPrincipal->empty());
    EXPECT_TRUE(leeLenguaje("").menuPrincipal == std::nullopt);
}

TEST(LenguajeLectura, LineEnds) {
    // A last line without its line break is not applied, even as the only content line.
    EXPECT_TRUE(leeLenguaje("x\nA,B,\nRun,Go,").menuPrincipal);
    EXPECT_FALSE(leeLenguaje("x\nA,B,\nRun,Go,").menuEjecutar);
    EXPECT_FALSE(leeLenguaje("x\nA,B,").menuPrincipal);
    // A last field without its comma keeps the line break, CR LF read as one.
    for (const char* salto : {"\n", "\r\n"})
        EXPECT_EQ(*leeLenguaje(archivo({"x", "A,B"}, salto)).menuPrincipal, (Campos{"A", "B\n"})) << salto;
    // Windows line ends read like line feeds; a carriage return alone is text.
    auto a = leeLenguaje(archivo({"nota", "A,B,", "C,D,", "E,", "F,G,"}));
    auto b = leeLenguaje(archivo({"nota", "A,B,", "C,D,", "E,", "F,G,"}, "\r\n"));
    EXPECT_EQ(*a.menuPrincipal, *b.menuPrincipal);
    EXPECT_EQ(*a.menuPreferencias, *b.menuPreferencias);
    EXPECT_EQ(*leeLenguaje("x\nA\rB,C,\n").menuPrincipal, (Campos{"A\rB", "C"}));
}

TEST(LenguajeLectura, OnlyTheContentLinesAreRead) {
    // Every line full of fields: notes (1, 6, 8, ...) and lines after 30
    // must leave no trace; lines 2..30 map by number.
    std::string f;
    for (int i = 1; i <= 40; ++i) f += "L" + std::to_string(i) + "a,L" + std::to_string(i) + "b,\n";
    auto a = leeLenguaje(f);
    EXPECT_EQ(a.menuPrincipal->front(), "L2a");
    EXPECT_EQ(a.gradientes->front(), "L10a");
    EXPECT_EQ(a.mensajesError->front(), "L24a");
    EXPECT_EQ(a.mensajesExporta->front(), "L30a");
    for (int n : {1, 6, 8, 11, 13, 15, 17, 19, 21, 26, 29, 31, 35})
        EXPECT_FALSE(campos(a, n)) << "line " << n;
    EXPECT_EQ(&*campos(a, 24), &*a.mensajesError);
}

TEST(LenguajeLectura, ExtraFieldsAreIgnoredButItemListsKeepThemAll) {
    auto a = leeLenguaje(conLinea(5, "P,L,extra,more,"));
    EXPECT_EQ(*a.menuPreferencias, (Campos{"P", "L"}));
    // Line 10: title plus any number of gradient names.
    auto b = leeLenguaje(conLinea(10, "Grad,a,b,c,"));
    EXPECT_EQ(*b.gradientes, (Campos{"Grad", "a", "b", "c"}));
    // Line 12: two titles, then the items shared by both groups.
    auto c = leeLenguaje(conLinea(12, "S,P,uno,dos,tres,"));
    EXPECT_EQ(c.tipoArchivo->size(), 5u);
    EXPECT_EQ((*c.tipoArchivo)[kPrimeraOpcionTipo], "uno");
    // A message table keeps no more than its entries.
    std::string muchos;
    for (int i = 0; i < 20; ++i) muchos += "e" + std::to_string(i) + ",";
    EXPECT_EQ(leeLenguaje(conLinea(24, muchos)).mensajesError->size(), 8u);
}

TEST(LenguajeLectura, ANulByteEndsTheLinesContent) {
    auto a = leeLenguaje("x\nA,B\0C,D,\nR,"s + "\n");
    EXPECT_EQ(*a.menuPrincipal, (Campos{"A", "B"}));
    EXPECT_EQ(*a.menuEjecutar, (Campos{"R"}));
}

TEST(LenguajeLectura, LongLinesAreReadWhole) {
    std::string largo(5000, 'x');
    auto a = leeLenguaje(conLinea(24, largo + "," + largo + ","));
    EXPECT_EQ(a.mensajesError->at(1).size(), 5000u);
}

TEST(LenguajeTablas, AbsentFieldsLeaveEntriesAndApplyingTwiceChangesNothing) {
    TablasMensajes t;
    for (const auto& e : t.mensajesLog) EXPECT_TRUE(e.empty());
    aplicaTablas(leeLenguaje(conLinea(22, "a,b,c,")), t);
    t.mensajesLog[5] = "previo";
    TablasMensajes antes = t;
    auto b = leeLenguaje(conLinea(22, "A,B,"));
    aplicaTablas(b, t);
    EXPECT_EQ(t.mensajesLog[0], "A");
    EXPECT_EQ(t.mensajesLog[1], "B");
    EXPECT_EQ(t.mensajesLog[2], "c");
    EXPECT_EQ(t.mensajesLog[5], "previo");
    EXPECT_EQ(t.textosDialogo, antes.textosDialogo);
    TablasMensajes otra = t;
    aplicaTablas(b, otra);
    EXPECT_EQ(otra.mensajesLog, t.mensajesLog);
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
    EXPECT_EQ(textoCajaError(t, 13, 4), "B7");
    EXPECT_EQ(textoCajaError(t, 5, 0), "B8");
    EXPECT_EQ(textoCajaError(t, 9, -1), "B9");
    EXPECT_EQ(textoCajaError(tablasIncluidas(Idioma::kIngles), 9, 0), "Value out of range or not a number.");
    // Without a language file the boxes of codes 5 and 9 show only the number.
    TablasMensajes vacias;
    EXPECT_EQ(textoCajaError(vacias, 9, 12), "12");
    EXPECT_EQ(textoCajaError(vacias, 2, 12), "");
    // A text with its own conversion gets the current line number, not one
    // from the time the language was applied.
    t.mensajesError[1] = "line %d: ";
    EXPECT_EQ(textoCodigo(t, 5, 31), "line 31: ");
    EXPECT_EQ(textoCajaError(t, 5, 31), "line 31: 31");
}

TEST(LenguajeTablas, TimeLineUsesSecondsBelowAMinuteElseMinutes) {
    TablasMensajes t;
    t.mensajesBorrado[5] = "%.1f s";
    t.mensajesBorrado[6] = "%.1f min";
    EXPECT_EQ(textoTiempo(t, 42.25), "42.2 s");
    EXPECT_EQ(textoTiempo(t, 60), "1.0 min");
    EXPECT_EQ(textoTiempo(t, 90), "1.5 min");
}

TEST(LenguajeFormato, FillsOnlyTheFirstIntegerConversion) {
    EXPECT_EQ(rellenaEntero("Line %d of %d", 7), "Line 7 of %d");
    EXPECT_EQ(rellenaEntero("[%5d]", 42), "[   42]");
    EXPECT_EQ(rellenaEntero("%d", LLONG_MIN), std::to_string(LLONG_MIN));
    EXPECT_EQ(rellenaEntero("no conversion", 3), "no conversion");
}

TEST(LenguajeFormato, EveryOtherPercentSequencePrintsAsWritten) {
    EXPECT_EQ(rellenaEntero("100%% sure, %d", 3), "100% sure, 3");
    for (const char* t : {"%s %n %x %p %ld %*d", "50% off", "ends in %", "%", "%f"}) EXPECT_EQ(rellenaEntero(t, 3), t);
    // %% stays a single per-cent sign after the conversion too.
    EXPECT_EQ(rellenaEntero("%d%%%d%%", 5), "5%%d%");
    // Widths beyond any sensible text are not conversions.
    EXPECT_EQ(rellenaEntero("%999999999999999999999d", 1), "%999999999999999999999d");
    EXPECT_EQ(rellenaEntero("%.501d", 1), "%.501d");
    EXPECT_EQ(rellenaEntero("%500d", 1).size(), 500u);
}

TEST(LenguajeFormato, FillsTheFirstRealConversion) {
    EXPECT_EQ(rellenaReal("%.1f seconds", 1.5), "1.5 seconds");
    EXPECT_EQ(rellenaReal("%g and %g", 0.25), "0.25 and %g");
    EXPECT_EQ(rellenaReal("%d %s %.1f", 2.0), "%d %s 2.0");
    EXPECT_EQ(rellenaReal("%%.1f", 2.0), "%.1f");
    EXPECT_EQ(rellenaReal("%Lf", 2.0), "%Lf");
}
