#include "cli/corrida.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>

#include "data/cargaArchivo.h"

namespace cli {

namespace {

std::string sinBlancos(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\r'; }), s.end());
    return s;
}

}  // namespace

std::vector<std::string> opcionesCorrida() {
    return {"--covariates", "--sites", "--bias", "--prior", "--out", "--species", "--threads", "--max-memory"};
}

std::vector<std::string> banderasCorrida() { return {"--uniform-bias", "--uniform-prior", "--png"}; }

std::string leeEntradasCorrida(const Opciones& o, EntradasCorrida& e, bool conCovariables) {
    for (const char* requerida : {"--covariates", "--sites", "--out"})
        if (!o.tiene(requerida) && (conCovariables || std::string(requerida) != "--covariates"))
            return std::string("missing ") + requerida;
    if (o.tiene("--bias") == o.tiene("--uniform-bias")) return "give exactly one of --bias FILE and --uniform-bias";
    if (o.tiene("--prior") == o.tiene("--uniform-prior"))
        return "give exactly one of --prior FILE and --uniform-prior";
    if (conCovariables) e.covariables = *o.valor("--covariates");
    e.sitios = *o.valor("--sites");
    e.salida = *o.valor("--out");
    e.sesgoUniforme = o.tiene("--uniform-bias");
    e.prioriUniforme = o.tiene("--uniform-prior");
    if (!e.sesgoUniforme) e.sesgo = *o.valor("--bias");
    if (!e.prioriUniforme) e.priori = *o.valor("--prior");
    if ((conCovariables && e.covariables.empty()) || e.sitios.empty() || e.salida.empty() ||
        (!e.sesgoUniforme && e.sesgo.empty()) || (!e.prioriUniforme && e.priori.empty()))
        return "empty file name";
    if (auto h = o.valor("--threads")) {
        long n = 0;
        if (!leeEntero(*h, 1, 1024, n)) return "--threads must be a whole number from 1 to 1024, not '" + *h + "'";
        e.hilos = static_cast<int>(n);
    }
    std::string error;
    const auto memoria = leeMemoria(o, error);
    if (!memoria) return error;
    e.memoria = *memoria;
    if (auto s = o.valor("--species")) e.especie = sinBlancos(*s);
    e.png = o.tiene("--png");
#ifndef QUEL_CON_IMAGENES
    if (e.png) return "--png is not available: this program was built without Qt";
#endif
    return {};
}

std::vector<std::string> opcionesParticion() {
    return {"--partition", "--folds", "--block-cells", "--seed", "--background"};
}

std::string leeParticion(const Opciones& o, OpcionesEvaluacion& v) {
    if (auto p = o.valor("--partition"); p && !quel::metricas::leeParticion(*p, v.particion))
        return "--partition must be random, block, checkerboard or jackknife, not '" + *p + "'";
    struct Numero {
        const char* opcion;
        long minimo, maximo;
        const char* rango;
        long* destino;
    };
    long pliegues = v.pliegues, lado = v.ladoBloque, semilla = 1, fondo = 0;
    const Numero numeros[] = {{"--folds", 2, 1000, "from 2 to 1000", &pliegues},
                              {"--block-cells", 1, INT_MAX, "from 1 up", &lado},
                              {"--seed", 0, LONG_MAX, "from 0 up", &semilla},
                              {"--background", 1, LONG_MAX, "from 1 up", &fondo}};
    for (const Numero& n : numeros)
        if (const auto valor = o.valor(n.opcion); valor && !leeEntero(*valor, n.minimo, n.maximo, *n.destino))
            return std::string(n.opcion) + " must be a whole number " + n.rango + ", not '" + *valor + "'";
    v.pliegues = static_cast<int>(pliegues);
    v.ladoBloque = static_cast<int>(lado);
    v.semilla = static_cast<std::uint64_t>(semilla);
    v.fondo = fondo;
    return {};
}

std::vector<Entrada> archivosEntrada(const EntradasCorrida& e) {
    std::vector<Entrada> entradas = {{"--sites", e.sitios}};
    if (!e.covariables.empty()) entradas.push_back({"--covariates", e.covariables});
    if (!e.sesgoUniforme) entradas.push_back({"--bias", e.sesgo});
    if (!e.prioriUniforme) entradas.push_back({"--prior", e.priori});
    return entradas;
}

OpcionesPrediccion opcionesPrediccion(const EntradasCorrida& e) {
    OpcionesPrediccion o;
    o.covariables = e.covariables;
    o.sitios = e.sitios;
    if (!e.sesgoUniforme) o.sesgo = e.sesgo;
    if (!e.prioriUniforme) o.priori = e.priori;
    o.especie = e.especie;
    o.hilos = e.hilos;
    o.memoria = e.memoria;
    return o;
}

int comandoCorrida(const char* comando, const char* ayuda, const Argumentos& args, std::vector<std::string> conValor,
                   std::vector<std::string> banderas, const std::function<std::string(const Opciones&)>& lee,
                   const std::function<int()>& ejecuta) {
    std::vector<std::string> opciones = opcionesCorrida(), todas = banderasCorrida();
    opciones.insert(opciones.end(), conValor.begin(), conValor.end());
    todas.insert(todas.end(), banderas.begin(), banderas.end());
    const Opciones o = leeOpciones(args, opciones, todas);
    if (o.ayuda) {
        std::fputs(ayuda, stdout);
        return kSalidaBien;
    }
    if (!o.error.empty()) return errorUso(comando, o.error);
    if (const std::string error = lee(o); !error.empty()) return errorUso(comando, error);
    try {
        return ejecuta();
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "quel-cli %s: the run failed: %s\n", comando, ex.what());
        return kSalidaFallo;
    }
}

int estadoDeFin(const std::string& comando, ResumenPrediccion::Fin fin, quel::ErrorArchivo error) {
    using Fin = ResumenPrediccion::Fin;
    switch (fin) {
        case Fin::kBien: return kSalidaBien;
        case Fin::kCancelada: return interrumpido(comando);
        case Fin::kEspecie:
        case Fin::kOpciones: return errorUso(comando, error.detalle);
        case Fin::kMotor:
            if (error.codigo == codigos::kMemoria) error.detalle += "; --max-memory sets the limit";
            [[fallthrough]];
        case Fin::kCarga: reportaError(comando, error); return kSalidaFallo;
        default: std::fprintf(stderr, "quel-cli %s: %s\n", comando.c_str(), error.detalle.c_str()); return kSalidaFallo;
    }
}

void reportaDescartes(const std::string& comando, const std::vector<DescarteEspecie>& descartes) {
    const auto lista = [](const std::vector<std::pair<float, float>>& primeros) {
        std::string texto;
        for (const auto& [x, y] : primeros) {
            char par[64];
            std::snprintf(par, sizeof par, " (%.7g, %.7g)", static_cast<double>(x), static_cast<double>(y));
            texto += par;
        }
        return texto;
    };
    const char* const c = comando.c_str();
    for (const DescarteEspecie& d : descartes) {
        if (d.fuera > 0)
            std::fprintf(stderr, "quel-cli %s: %s: %d of %d sites left out as outside the region:%s\n", c,
                         d.especie.c_str(), d.fuera, d.sitios, lista(d.primerosFuera).c_str());
        if (d.sinDato > 0)
            std::fprintf(stderr,
                         "quel-cli %s: %s: %d of %d sites lie on no-data cells and count in the nearest region "
                         "cell:%s\n",
                         c, d.especie.c_str(), d.sinDato, d.sitios, lista(d.primerosSinDato).c_str());
        if (d.fuera == d.sitios)
            std::fprintf(stderr, "quel-cli %s: warning: %s has no site in the region; its maps show the prior alone\n",
                         c, d.especie.c_str());
    }
}

}  // namespace cli
