#pragma once
// Shared set-up of the loader fuzz targets: a private working folder per
// process, the input bytes written into it, and the checks every load must
// keep whatever the bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/cargaArchivo.h"

namespace fuzzcarga {

class Carpeta {
public:
    Carpeta() {
        // Memory-backed when the machine has it: every run creates and
        // deletes several files.
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string plantilla = (base / "quel-fuzz-XXXXXX").string();
        if (!mkdtemp(plantilla.data())) std::abort();
        ruta_ = plantilla;
    }
    ~Carpeta() {
        std::error_code ec;
        std::filesystem::remove_all(ruta_, ec);
    }
    const std::filesystem::path& ruta() const { return ruta_; }

private:
    std::filesystem::path ruta_;
};

inline const Carpeta& carpeta() {
    static Carpeta c;
    return c;
}

inline void escribe(const std::filesystem::path& p, const void* datos, std::size_t n) {
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) std::abort();
    if (n > 0 && std::fwrite(datos, 1, n, f) != n) std::abort();
    std::fclose(f);
}

inline std::filesystem::path entrada(const std::uint8_t* datos, std::size_t n) {
    const auto p = carpeta().ruta() / "entrada.txt";
    escribe(p, datos, n);
    return p;
}

#define QUEL_EXIGE(c) \
    do {              \
        if (!(c)) {   \
            std::fprintf(stderr, "broken: %s\n", #c); \
            std::abort(); \
        }             \
    } while (0)

template <class T>
bool forma(const std::unique_ptr<TImagenN<T>>& g, int renglones, int columnas) {
    if (!g || g->renglones != renglones || g->columnas != columnas) return false;
    if (static_cast<int>(g->datos.size()) != columnas) return false;
    for (const auto& col : g->datos)
        if (static_cast<int>(col.size()) != renglones) return false;
    return true;
}

// The dataset of the process, first loaded with a small covariate table of 4
// cells and 2 covariates. Runs share it, as the program's loads share one.
inline cargaArchivo& dataset() {
    static cargaArchivo ds(carpeta().ruta());
    static bool cargado = false;
    if (cargado) return ds;
    cargado = true;
    static const char tabla[] =
        "a,3,\nb,2,\n**********\nLong,Lat,a,b,\n"
        "0,1,1,2,1,\n1,1,2,1,1,\n0,0,3,1,0,\n1,0,1,1,1,";
    const auto p = carpeta().ruta() / "tabla.txt";
    escribe(p, tabla, sizeof tabla - 1);
    QUEL_EXIGE(ds.cargaCovariables(p) == 0);
    return ds;
}

// Lines of the input: a line number of an error is never beyond them.
inline int lineas(const std::uint8_t* datos, std::size_t n) {
    int k = 1;
    for (std::size_t i = 0; i < n; ++i) k += datos[i] == '\n';
    return k;
}

// What any load guarantees about its code: a known code, a line number
// inside the user's file for 5 and 9, and the previous table kept on
// failure.
template <class T>
void codigoSensato(int codigo, const cargaArchivo& ds, int lineasEntrada, const TImagenN<T>* antes,
                   const std::unique_ptr<TImagenN<T>>& despues) {
    QUEL_EXIGE(codigo == 0 || codigo == 2 || codigo == 5 || codigo == 9 || codigo == 12);
    if (codigo == 5 || codigo == 9) QUEL_EXIGE(ds.error.linea >= 1 && ds.error.linea <= lineasEntrada);
    if (codigo != 0) QUEL_EXIGE(despues.get() == antes);
    // The error value: the code, the user's file, a line inside it (or none)
    // and a printable account of what was found.
    QUEL_EXIGE(ds.error.codigo == codigo);
    if (codigo == 0) return;
    QUEL_EXIGE(ds.error.archivo == carpeta().ruta() / "entrada.txt");
    QUEL_EXIGE(ds.error.linea >= 0 && ds.error.linea <= lineasEntrada);
    QUEL_EXIGE(!ds.error.detalle.empty());
    for (char c : ds.error.detalle) QUEL_EXIGE(c >= 0x20 && c <= 0x7e);
}

// One load of the bytes into the shared dataset, with the checks above on
// its code and on the table it fills.
template <class T>
int carga(const std::uint8_t* datos, std::size_t n, int (cargaArchivo::*operacion)(const std::filesystem::path&),
          std::unique_ptr<TImagenN<T>> cargaArchivo::*tabla) {
    cargaArchivo& ds = dataset();
    const TImagenN<T>* antes = (ds.*tabla).get();
    const int codigo = (ds.*operacion)(entrada(datos, n));
    codigoSensato(codigo, ds, lineas(datos, n), antes, ds.*tabla);
    return codigo;
}

}  // namespace fuzzcarga
