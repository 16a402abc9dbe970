#include "data/escritorResultados.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "data/exportaArchivo.h"
#include "platform/EscrituraSegura.h"
#include "platform/Paralelo.h"

namespace quel {

namespace textoResultados {

namespace {

// The text of the last number written, kept for an identical next one
// (compared bit for bit, so 0 and -0 stay apart). Neighbouring rows often
// repeat a latitude or a value.
template <class T>
struct Repetido {
    // An extended real's bits are its first 10 bytes; the rest is padding.
    static constexpr std::size_t kBytes = std::is_same_v<T, long double> ? 10 : sizeof(T);
    unsigned char bits[kBytes] = {};
    bool hay = false;
    std::string texto;

    template <class Formato>
    void agrega(std::string& destino, T v, Formato&& formato) {
        unsigned char b[kBytes];
        std::memcpy(b, &v, kBytes);
        if (!hay || std::memcmp(b, bits, kBytes) != 0) {
            texto.clear();
            formato(texto, v);
            std::memcpy(bits, b, kBytes);
            hay = true;
        }
        destino += texto;
    }
};

}  // namespace

std::string lineaTitulos(const tablaResultados::Titulos& titulos) {
    return titulos.x + ", " + titulos.y + "," + titulos.valor + ",\n";
}

void cabeceraGrid(std::string& s, const GeometriaTabla& g) {
    s += "ncols         ";
    formato::entero(s, g.ncols);
    s += "\nnrows         ";
    formato::entero(s, g.nrows);
    s += "\nxllcorner     ";
    formato::real(s, g.xll);
    s += "\nyllcorner     ";
    formato::real(s, g.yll);
    s += "\ncellsize      ";
    formato::real(s, g.celda);
    s += "\nNODATA_value  -9999\n";
}

void lineasTabla(std::string& s, const Filas& filas, std::size_t desde, const long double* valores, std::size_t n,
                 int digitos, const std::vector<std::string>* textosX) {
    using tablaResultados::kDigitos;
    auto coordenada = [](std::string& d, float v) { tablaResultados::agregaNumero(d, v, kDigitos); };
    auto valor = [digitos](std::string& d, long double v) { tablaResultados::agregaNumero(d, v, digitos); };
    Repetido<float> y;
    Repetido<long double> v;
    const std::size_t columnas = textosX ? textosX->size() : 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t r = desde + i;
        if (columnas > 0)
            s += (*textosX)[r % columnas];
        else
            coordenada(s, filas.x(r));
        s += ',';
        y.agrega(s, filas.y(r), coordenada);
        s += ',';
        v.agrega(s, valores ? valores[i] : 0.0L, valor);
        s += '\n';
    }
}

void celdasGrid(std::string& s, const Filas& filas, std::size_t desde, const long double* valores, std::size_t n) {
    if (n == 0) return;
    Repetido<float> celda;
    auto real = [](std::string& d, float v) {
        formato::real(d, v);
        d += ' ';
    };
    float anterior = filas.y(desde > 0 ? desde - 1 : 0);
    for (std::size_t i = 0; i < n; ++i) {
        const float y = filas.y(desde + i);
        if (y != anterior) s += '\n';
        anterior = y;
        const long double v = valores ? valores[i] : 0.0L;
        if (v == 0)
            s += "-9999 ";
        else
            celda.agrega(s, static_cast<float>(v), real);
    }
}

}  // namespace textoResultados

namespace {

// Rows formatted by one task: enough that starting it costs nothing next to
// the formatting, few enough that a round's text stays small.
constexpr std::size_t kFilasTramo = 8192;
// Sub-blocks per thread in one round of the parallel loop, so that uneven
// sub-blocks still keep every thread busy.
constexpr std::size_t kTramosPorHilo = 4;
// Text gathered before one write to the file (a sub-block's text is
// usually larger and goes out as it is).
constexpr std::size_t kBytesEscritura = std::size_t{1} << 16;

}  // namespace

EscritorSuperficie::EscritorSuperficie(ArchivoNuevo* tabla, ArchivoNuevo* grid,
                                       const tablaResultados::Titulos& titulos, const CoordenadasRegion& coordenadas,
                                       int digitos, int hilos)
    : tabla_(tabla),
      grid_(grid),
      titulos_(textoResultados::lineaTitulos(titulos)),
      coordenadas_(coordenadas),
      digitos_(digitos),
      hilos_(hilosEfectivos(hilos)) {}

bool EscritorSuperficie::falla(const std::string& razon) {
    if (tabla_) tabla_->falla(razon);
    if (grid_) grid_->falla(razon);
    return false;
}

bool EscritorSuperficie::envia(ArchivoNuevo& archivo, std::string& pendiente, const std::string& texto) {
    if (texto.size() >= kBytesEscritura) {
        if (!pendiente.empty() && !archivo.agrega(pendiente)) return false;
        pendiente.clear();
        return archivo.agrega(texto);
    }
    pendiente += texto;
    if (pendiente.size() < kBytesEscritura) return archivo.bien();
    const bool bien = archivo.agrega(pendiente);
    pendiente.clear();
    return bien;
}

bool EscritorSuperficie::inicia(std::string& razon) {
    std::string cabecera;
    if (grid_) {
        GeometriaTabla g;
        if (!g.lee(coordenadas_, &razon)) return false;
        textoResultados::cabeceraGrid(cabecera, g);
    }
    // The x of a lattice's column is formatted once for every row of it.
    textosX_.clear();
    if (tabla_ && coordenadas_.reticula()) {
        textosX_.resize(coordenadas_.columnasX().size());
        for (std::size_t c = 0; c < textosX_.size(); ++c)
            tablaResultados::agregaNumero(textosX_[c], coordenadas_.columnasX()[c], tablaResultados::kDigitos);
    }
    iniciado_ = true;
    siguiente_ = 0;
    pendienteTabla_ = titulos_;
    pendienteGrid_ = std::move(cabecera);
    for (const ArchivoNuevo* f : {tabla_, grid_})
        if (f && !f->bien()) {
            razon = f->destino().string() + ": " + f->razon();
            return false;
        }
    return true;
}

bool EscritorSuperficie::agrega(std::size_t desde, const long double* valores, std::size_t n) {
    if (!iniciado_) return falla("result rows were given before the files were started");
    if (desde != siguiente_)
        return falla("result rows given from row " + std::to_string(desde + 1) + ", where row " +
                     std::to_string(siguiente_ + 1) + " comes next");
    if (n > coordenadas_.size() - desde)
        return falla("result rows " + std::to_string(desde + 1) + " to " + std::to_string(desde + n) +
                     " given for a region of " + std::to_string(coordenadas_.size()) + " rows");
    if (n > 0 && !valores) return falla("result rows given without their values");
    const textoResultados::Filas filas(coordenadas_);
    const std::size_t porRonda = kFilasTramo * kTramosPorHilo * static_cast<std::size_t>(hilos_);
    for (std::size_t ronda = 0; ronda < n; ronda += porRonda) {
        const std::size_t m = std::min(porRonda, n - ronda);
        const std::size_t tramos = (m + kFilasTramo - 1) / kFilasTramo;
        textoTabla_.resize(std::max(textoTabla_.size(), tramos));
        textoGrid_.resize(std::max(textoGrid_.size(), tramos));
        paraCada(static_cast<int>(tramos), hilos_, [&](int k) {
            const std::size_t ini = ronda + static_cast<std::size_t>(k) * kFilasTramo;
            const std::size_t cuantas = std::min(kFilasTramo, ronda + m - ini);
            const long double* v = valores + ini;
            auto& tabla = textoTabla_[static_cast<std::size_t>(k)];
            auto& grid = textoGrid_[static_cast<std::size_t>(k)];
            tabla.clear();
            grid.clear();
            if (tabla_)
                textoResultados::lineasTabla(tabla, filas, desde + ini, v, cuantas, digitos_,
                                             textosX_.empty() ? nullptr : &textosX_);
            if (grid_) textoResultados::celdasGrid(grid, filas, desde + ini, v, cuantas);
        });
        for (std::size_t k = 0; k < tramos; ++k) {
            if (tabla_ && !envia(*tabla_, pendienteTabla_, textoTabla_[k])) return false;
            if (grid_ && !envia(*grid_, pendienteGrid_, textoGrid_[k])) return false;
        }
    }
    siguiente_ += n;
    return true;
}

bool EscritorSuperficie::termina() {
    if (!iniciado_ || siguiente_ != coordenadas_.size())
        return falla("the result does not cover every row of the coordinate table");
    textoTabla_ = {};
    textoGrid_ = {};
    const bool bien = (!tabla_ || tabla_->agrega(pendienteTabla_)) && (!grid_ || grid_->agrega(pendienteGrid_));
    pendienteTabla_ = {};
    pendienteGrid_ = {};
    return bien;
}

}  // namespace quel
