// The fast region loader against the text loaders: every file it takes reads
// to the very values cargaArchivo stores, whatever the threads and wherever
// the chunk borders fall; every file they refuse it hands back.
#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <string>
#include <vector>

#include "data/cargaRegion.h"
#include "support/progresoPrueba.h"
#include "support/testutil.h"

namespace fs = std::filesystem;
using quel::FinCargaRegion;
using quel::RegionCompacta;

namespace {

enum class Tipo { kCovariables, kSesgo, kPriori };

struct Caso {
    const char* nombre;
    Tipo tipo;
    std::string bytes;  // empty: the bundled sample `muestra`
    const char* muestra = nullptr;
};

// Head of a table of two covariates, the second of 300 classes (two bytes).
const std::string kDos = "a,3,\nb,300,\n**********\nLong,Lat,a,b,\n";

const std::vector<Caso> kValidos = {
    {"lattice, a 2-byte class, codes outside the region", Tipo::kCovariables,
     kDos + "0,1,1,2,1,\n1,1,2,300,1,\n2,1,3,7,0,\n0,0,1,1,1,\n1,0,9,9,2,\n2,0,3,3,1,"},
    {"tabs, blanks, CRLF", Tipo::kCovariables,
     "a , 3 ,\r\nb\t,2,\r\n***\r\nLong\tLat\r\n0\t1\t1\t2\t1\r\n1 ,1, 2,1 ,1\r\n1 0,0,1,1\t1"},
    {"number forms", Tipo::kCovariables, kDos + "1e0,1.,007,-0,1,\n.5,1.,1e1,2.0,1,\n-0,-0,+3,0x10,1,\n0x1p-2,0,-5,70000,1"},
    {"shuffled rows", Tipo::kCovariables, kDos + "1,0,1,1,1,\n0,1,1,1,1,\n1,1,2,2,1,\n0,0,2,2,1,"},
    {"a missing column of cells", Tipo::kCovariables, kDos + "0,1,1,1,1,\n3,1,1,1,1,\n0,0,2,2,1,\n3,0,2,2,1,"},
    {"a missing cell", Tipo::kCovariables, kDos + "0,1,1,1,1,\n1,1,1,1,1,\n0,0,2,2,1,"},
    {"zero and minus zero", Tipo::kCovariables, kDos + "-0,1,1,1,1,\n1,1,1,1,1,\n0,0,2,2,1,\n1,0,2,2,1,"},
    {"one row", Tipo::kCovariables, "a,2,\n*\nt\n5,5,1,1"},
    {"one column, no covariate, byte-order mark", Tipo::kCovariables, "\xEF\xBB\xBF*\nt\n0,3,1\n0,2,0\n0,1,1,"},
    {"sample covariates", Tipo::kCovariables, "", "covariates.txt"},
    {"bias forms", Tipo::kSesgo, "\xEF\xBB\xBF" "0.5,\n\n1,\n0\t\n 0.25 \r\n1e-1\n.5\n-0,\n,0x1p-1\n,0.75"},
    {"sample bias", Tipo::kSesgo, "", "bias.txt"},
    {"prior forms", Tipo::kPriori, "0,\n1\n2.0,\n3e0,\n\n-0,\n 3 ,"},
    {"sample prior", Tipo::kPriori, "", "prior.txt"},
};

const std::vector<Caso> kMalos = {
    {"nonexistent", Tipo::kCovariables, "-"},
    {"empty", Tipo::kCovariables, ""},
    {"no separator", Tipo::kCovariables, "a,3,\nb,2,"},
    {"category without count", Tipo::kCovariables, "a\n*\nt\n0,0,1,1"},
    {"tab in a category line", Tipo::kCovariables, "a\t3\n*\nt\n0,0,1,1"},
    {"final line break", Tipo::kCovariables, "a,3,\n*\nt\n0,0,1,1\n"},
    {"field count changes", Tipo::kCovariables, "a,3,\n*\nt\n0,0,1,1\n1,0,1"},
    {"empty data line", Tipo::kCovariables, "a,3,\n*\nt\n0,0,1,1\n\n1,0,1,1"},
    {"not a number", Tipo::kCovariables, "a,3,\n*\nt\n0,0,x,1"},
    {"blank splits a number", Tipo::kCovariables, "a,3,\n*\nt\n0,0,1 e,1"},
    {"coordinate overflows a float", Tipo::kCovariables, "a,3,\n*\nt\n1e39,0,1,1"},
    {"class beyond an int", Tipo::kCovariables, "a,3,\n*\nt\n0,0,3e9,1"},
    {"columns differ from categories", Tipo::kCovariables, "a,3,\n*\nt\n0,0,1,1,1"},
    {"no data line", Tipo::kCovariables, "a,3,\n*\ntitle"},
    {"ends at the separator", Tipo::kCovariables, "a,3,\n*"},
    {"bias above 1", Tipo::kSesgo, "0.5\n1.5"},
    {"bias below 0", Tipo::kSesgo, "-0.1,\n0.5"},
    {"two values", Tipo::kSesgo, "0.5,0.5\n0.5"},
    {"bias not a number", Tipo::kSesgo, "abc,\n0.5"},
    {"last line of one character", Tipo::kSesgo, "0.5\n1"},
    {"bias final line break", Tipo::kSesgo, "0.5\n"},
    {"bias empty", Tipo::kSesgo, ""},
    {"prior class 4", Tipo::kPriori, "4,\n1,"},
    {"prior fraction", Tipo::kPriori, "0.5,\n1,"},
    {"prior two values", Tipo::kPriori, "1,2,\n1,"},
};

class CargaRegion : public ::testing::Test {
protected:
    prueba::CarpetaTemporal dir;
    void TearDown() override { quel::fijaBytesTrozoRegion(0); }

    fs::path archivo(const Caso& c) {
        if (c.muestra) return prueba::fuentes() / "samples" / c.muestra;
        if (c.bytes == "-") return dir / "nonexistent.txt";
        prueba::escribe(dir / "entrada.txt", c.bytes);
        return dir / "entrada.txt";
    }
    // The case's file (into `p`) loaded by a fresh text loader (`ds`): its
    // code, and its load in compact form into `esperada`.
    fs::path p;
    std::unique_ptr<cargaArchivo> ds;
    RegionCompacta esperada;
    int referencia(const Caso& c) {
        p = archivo(c);
        ds = std::make_unique<cargaArchivo>(dir.ruta());
        const int codigo = c.tipo == Tipo::kCovariables ? ds->cargaCovariables(p)
                           : c.tipo == Tipo::kSesgo     ? ds->cargaSesgo(p)
                                                        : ds->cargaPriori(p);
        esperada = quel::regionDe(*ds, c.tipo != Tipo::kSesgo, c.tipo != Tipo::kPriori);
        return codigo;
    }
    static FinCargaRegion rapida(Tipo t, const fs::path& p, RegionCompacta& r, int hilos, Progreso& progreso) {
        return t == Tipo::kCovariables ? quel::cargaCovariablesRegion(p, r, hilos, progreso)
               : t == Tipo::kSesgo     ? quel::cargaSesgoRegion(p, r, hilos, progreso)
                                       : quel::cargaPrioriRegion(p, r, hilos, progreso);
    }
};

// Threads and chunk sizes: one chunk for all, and borders on every byte.
const std::pair<int, std::size_t> kCortes[] = {{1, 0}, {4, 1}, {4, 7}, {1, 3}, {3, 64}};

TEST_F(CargaRegion, TakesWhatTheTextLoaderTakesToTheLastBit) {
    for (const auto& c : kValidos) {
        SCOPED_TRACE(c.nombre);
        ASSERT_EQ(referencia(c), 0);
        for (const auto& [hilos, trozo] : kCortes) {
            if (c.muestra && trozo > 0 && trozo < 64) continue;  // thousands of waves
            SCOPED_TRACE(std::to_string(hilos) + " threads, chunk " + std::to_string(trozo));
            quel::fijaBytesTrozoRegion(trozo);
            RegionCompacta r;
            ASSERT_EQ(rapida(c.tipo, p, r, hilos, progresoNulo()), FinCargaRegion::kBien);
            EXPECT_TRUE(quel::mismaRegion(r, esperada));
            // The coordinates are the loader's own floats, lattice or not.
            for (std::size_t i = 0; c.tipo == Tipo::kCovariables && i < r.filas(); ++i)
                ASSERT_EQ(std::bit_cast<std::uint32_t>(r.coordenadas.x(i)),
                          std::bit_cast<std::uint32_t>(ds->coordenadas->datos[0][i])) << i;
        }
    }
}

TEST_F(CargaRegion, LatticesKeepNoCoordinatesPerRowAndWideClassesWiden) {
    RegionCompacta r;
    ASSERT_EQ(rapida(Tipo::kCovariables, archivo(kValidos[0]), r, 2, progresoNulo()), FinCargaRegion::kBien);
    EXPECT_TRUE(r.coordenadas.reticula());
    EXPECT_EQ(r.coordenadas.columnasX().size(), 3u);
    EXPECT_EQ(r.codigos[0].ancho(), 1);
    EXPECT_EQ(r.codigos[1].ancho(), 2);
    EXPECT_EQ(std::vector<int>({r.codigos[1][1], r.codigos[1][2], r.valida[2], r.valida[4]}), std::vector<int>({300, 0, 0, 0}));
    ASSERT_EQ(rapida(Tipo::kCovariables, archivo(kValidos[3]), r, 2, progresoNulo()), FinCargaRegion::kBien);
    EXPECT_FALSE(r.coordenadas.reticula());
}

TEST_F(CargaRegion, HandsBackWhatTheTextLoaderRefusesAndKeepsNothing) {
    for (const auto& c : kMalos) {
        SCOPED_TRACE(c.nombre);
        ASSERT_NE(referencia(c), 0);
        for (const auto& [hilos, trozo] : {kCortes[0], kCortes[2]}) {
            quel::fijaBytesTrozoRegion(trozo);
            RegionCompacta r;
            r.sesgo = {0.5f};
            r.sesgoUniforme = r.prioriUniforme = false;
            EXPECT_EQ(rapida(c.tipo, p, r, hilos, progresoNulo()), FinCargaRegion::kNoRapida);
            EXPECT_TRUE(r.nombres.empty() && r.valida.empty() && r.codigos.empty() && r.coordenadas.size() == 0);
            // Only the part being loaded goes.
            EXPECT_EQ(r.sesgo.size(), c.tipo == Tipo::kSesgo ? 0u : 1u);
            EXPECT_EQ(r.sesgoUniforme, c.tipo == Tipo::kSesgo);
            EXPECT_EQ(r.prioriUniforme, c.tipo == Tipo::kPriori);
        }
    }
}

TEST_F(CargaRegion, CancelledLoadKeepsNothing) {
    quel::fijaBytesTrozoRegion(5);
    for (const Tipo t : {Tipo::kCovariables, Tipo::kSesgo}) {
        prueba::ProgresoPrueba progreso(1);
        RegionCompacta r;
        EXPECT_EQ(rapida(t, archivo(kValidos[t == Tipo::kSesgo ? 10 : 0]), r, 2, progreso), FinCargaRegion::kCancelada);
        EXPECT_TRUE(r.valida.empty() && r.nombres.empty() && r.sesgo.empty());
    }
}

}  // namespace
