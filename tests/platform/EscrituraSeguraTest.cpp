#include "platform/EscrituraSegura.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

// Names in a folder other than those given (temporaries left behind).
std::vector<std::string> otros(const fs::path& carpeta, const std::vector<std::string>& esperados) {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(carpeta)) {
        const std::string n = e.path().filename().string();
        if (std::find(esperados.begin(), esperados.end(), n) == esperados.end()) r.push_back(n);
    }
    return r;
}

}  // namespace

// Every way a write can fail leaves the old file as it was and nothing else.
TEST(EscrituraSegura, AFailedWriteKeepsTheOldFileAndLeavesNothing) {
    struct Caso {
        const char* nombre;
        std::function<fs::path(const fs::path&)> prepara;  // returns the target
        std::function<bool(quel::ArchivoNuevo&)> escritor;
        const char* razon;
    };
    auto mitad = [](quel::ArchivoNuevo& f) { return f.agrega("half of the new") && false; };
    auto todo = [](quel::ArchivoNuevo& f) { return f.agrega("new"); };
    const Caso casos[] = {
        {"the writer gives up half-way", [](const fs::path& d) { return d / "a.txt"; }, mitad,
         "the write was abandoned"},
        {"the writer says why", [](const fs::path& d) { return d / "a.txt"; },
         [](quel::ArchivoNuevo& f) {
             f.agrega("x");
             f.falla("values missing");
             return true;
         },
         "values missing"},
        {"the target is a symbolic link",
         [](const fs::path& d) {
             fs::create_symlink(d / "a.txt", d / "enlace");
             return d / "enlace";
         },
         todo, "it is a symbolic link, which is not followed; name the file it points to"},
        {"the target is a folder",
         [](const fs::path& d) {
             fs::create_directory(d / "carpeta");
             return d / "carpeta";
         },
         todo, "it is a folder"},
        {"the folder does not exist", [](const fs::path& d) { return d / "no" / "a.txt"; }, todo,
         "No such file or directory"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        prueba::CarpetaTemporal t;
        prueba::escribe(t / "a.txt", "old");
        const fs::path destino = c.prepara(t.ruta());
        const auto antes = otros(t.ruta(), {});
        std::string razon;
        EXPECT_FALSE(quel::escribeSeguro(destino, c.escritor, &razon));
        EXPECT_EQ(razon, c.razon);
        EXPECT_EQ(prueba::lee(t / "a.txt"), "old");
        EXPECT_EQ(otros(t.ruta(), antes), std::vector<std::string>{});
    }
}

TEST(EscrituraSegura, ReplacesTheWholeFileAndKeepsItsPermissions) {
    prueba::CarpetaTemporal t;
    const fs::path a = t / "a.txt";
    ASSERT_TRUE(quel::escribeSeguro(a, "a longer first text"));
    EXPECT_EQ(prueba::lee(a), "a longer first text");
    fs::permissions(a, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(quel::escribeSeguro(a, std::string_view("short")));
    EXPECT_EQ(prueba::lee(a), "short");
    EXPECT_EQ(fs::status(a).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(otros(t.ruta(), {"a.txt"}), std::vector<std::string>{});
}

// A process killed in the middle of a write leaves the old file whole.
TEST(EscrituraSegura, AKilledWriterLeavesTheOldFile) {
    prueba::CarpetaTemporal t;
    const fs::path a = t / "a.txt";
    prueba::escribe(a, "old");
    int tubo[2];
    ASSERT_EQ(pipe(tubo), 0);
    const pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        quel::escribeSeguro(a, [&](quel::ArchivoNuevo& f) {
            f.agrega(std::string(1 << 20, 'x'));
            (void)!write(tubo[1], "w", 1);
            pause();  // killed here, before the file is complete
            return true;
        });
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(tubo[0], &c, 1), 1);
    kill(hijo, SIGKILL);
    int estado = 0;
    waitpid(hijo, &estado, 0);
    close(tubo[0]);
    close(tubo[1]);
    EXPECT_TRUE(WIFSIGNALED(estado));
    EXPECT_EQ(prueba::lee(a), "old");
    EXPECT_EQ(otros(t.ruta(), {"a.txt"}), std::vector<std::string>{});
}

// A set is put in place only when every member is complete.
TEST(EscrituraSegura, ASetIsReplacedWholeOrNotAtAll) {
    prueba::CarpetaTemporal t;
    for (const char* n : {"a", "b", "c"}) prueba::escribe(t / n, "old");
    {
        quel::ArchivoNuevo a(t / "a"), b(t / "b"), c(t / "c");
        a.agrega("new a");
        b.agrega("new b");
        c.falla("no values");
        std::string razon;
        EXPECT_FALSE(quel::colocaTodos({&a, &b, &c}, &razon));
        EXPECT_EQ(razon, (t / "c").string() + ": no values");
    }
    for (const char* n : {"a", "b", "c"}) EXPECT_EQ(prueba::lee(t / n), "old");
    EXPECT_EQ(otros(t.ruta(), {"a", "b", "c"}), std::vector<std::string>{});
    {
        quel::ArchivoNuevo a(t / "a"), b(t / "b");
        a.agrega("new a");
        b.agrega("new b");
        EXPECT_TRUE(quel::colocaTodos({&a, &b}));
    }
    EXPECT_EQ(prueba::lee(t / "a"), "new a");
    EXPECT_EQ(prueba::lee(t / "b"), "new b");
    EXPECT_EQ(otros(t.ruta(), {"a", "b", "c"}), std::vector<std::string>{});
}
