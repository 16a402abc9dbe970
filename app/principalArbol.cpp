// The explorer tree's nodes (`agregaHijoArbol`) and the click rules.
#include <QAction>
#include <QPainter>
#include <QToolButton>
#include <QTreeWidget>

#include "ui/Controles.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "engine/evaluacion.h"

namespace {

constexpr int kRolEstado = Qt::UserRole;
constexpr int kRolImagen = Qt::UserRole + 1;

QTreeWidgetItem* nodo(QTreeWidgetItem* padre, QTreeWidget* arbol, const QString& texto, int estado, int imagen) {
    auto* n = padre ? new QTreeWidgetItem(padre) : new QTreeWidgetItem(arbol);
    n->setText(0, texto);
    n->setData(0, kRolEstado, estado);
    n->setData(0, kRolImagen, imagen);
    n->setIcon(0, TFormPrincipal::iconoNodo(imagen));
    return n;
}

// Caption of a menu item as a node text (without the accelerator marks).
QString textoMenu(const QAction* a) {
    QString t = a->text();
    t.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    t.remove(QLatin1Char('&'));
    t.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return t;
}

}  // namespace

int TFormPrincipal::estadoNodo(const QTreeWidgetItem* n) { return n ? n->data(0, kRolEstado).toInt() : -1; }
int TFormPrincipal::imagenNodo(const QTreeWidgetItem* n) { return n ? n->data(0, kRolImagen).toInt() : -1; }

QIcon TFormPrincipal::iconoNodo(int indice) {
    // Icons of the image list: 2 covariates, 3 bias, 4 prior, 5 sites,
    // 6 predictive, 7 certainty, 8 prior potential, 9 table, 10 file, 11 map.
    static QIcon iconos[12];
    if (indice < 0 || indice > 11) return {};
    if (!iconos[indice].isNull()) return iconos[indice];
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    auto cuadro = [&](QColor c, const QString& letra) {
        g.setBrush(c);
        g.setPen(c.darker(160));
        g.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        g.setPen(Qt::white);
        QFont f = g.font();
        f.setPixelSize(10);
        f.setBold(true);
        g.setFont(f);
        g.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letra);
    };
    switch (indice) {
        case 2: cuadro(QColor(40, 90, 170), QStringLiteral("C")); break;
        case 3: cuadro(QColor(170, 90, 40), QStringLiteral("S")); break;
        case 4: cuadro(QColor(40, 140, 60), QStringLiteral("P")); break;
        case 5: cuadro(QColor(150, 40, 150), QStringLiteral("\u25CF")); break;
        case 6: cuadro(QColor(200, 60, 30), QStringLiteral("Pr")); break;
        case 7: cuadro(QColor(120, 120, 40), QStringLiteral("Ce")); break;
        case 8: cuadro(QColor(60, 140, 30), QStringLiteral("Po")); break;
        case 9:  // table
            g.setPen(QColor(60, 60, 60));
            g.setBrush(Qt::white);
            g.drawRect(1, 2, 13, 11);
            for (int y : {5, 8, 11}) g.drawLine(1, y, 14, y);
            g.drawLine(6, 2, 6, 13);
            break;
        case 10:  // file
            g.setPen(QColor(60, 60, 60));
            g.setBrush(QColor(250, 250, 235));
            g.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}}));
            for (int y : {6, 9, 12}) g.drawLine(5, y, 11, y);
            break;
        case 11: {  // map
            QLinearGradient gr(0, 0, 16, 16);
            gr.setColorAt(0, QColor(0, 0, 254));
            gr.setColorAt(0.5, QColor(0, 254, 0));
            gr.setColorAt(1, QColor(254, 0, 0));
            g.setBrush(gr);
            g.setPen(QColor(60, 60, 60));
            g.drawRect(1, 1, 13, 13);
            break;
        }
        default: cuadro(QColor(128, 128, 128), QString()); break;
    }
    g.end();
    iconos[indice] = QIcon(p);
    return iconos[indice];
}

void TFormPrincipal::agregaHijoArbol(QObject* /*sender*/, const QString& texto, int tipo) {
    QTreeWidget* a = TreeViewExplorador;
    // One name node per entry, skipping an entry equal to the one before it.
    auto nombres = [&](QTreeWidgetItem* padre, const TImagenN<AnsiString>* lista) {
        if (!lista || lista->columnas < 1) return;
        std::string anterior = " ";
        for (const std::string& n : lista->datos[0]) {
            if (n == anterior) continue;
            nodo(padre, nullptr, quel::textoDeBytes(n), kNodoNombres + contadorNodos, 11);
            ++contadorNodos;
            anterior = n;
        }
    };
    // An input's top node (state s) with its table (s + 1), file (s + 2) and
    // map (s + 3) leaves; a uniform surface has only the map leaf.
    auto entrada = [&](QAction* menu, int s, int icono, bool conArchivo, bool conMapa) {
        auto* top = nodo(nullptr, a, textoMenu(menu), s, icono);
        if (conArchivo) {
            nodo(top, nullptr, texto, s + 1, 9);
            nodo(top, nullptr, texto, s + 2, 10);
        }
        if (conMapa) nodo(top, nullptr, texto, s + 3, 11);
        return top;
    };
    switch (tipo) {
        case kArbolCovariables:
            nombres(entrada(CovsMenu, kNodoCovariables, tipo, true, false), datos.nombresCovariables.get());
            break;
        case kArbolSesgo: entrada(BiasMenu, kNodoSesgo, tipo, quel::tipoSesgoElegido(tipoArchivo_) == 0, true); break;
        case kArbolPriori:
            entrada(PrioriMenu, kNodoPriori, tipo, quel::tipoPrioriElegido(tipoArchivo_) == 0, true);
            break;
        case kArbolSitios: nombres(entrada(SitiosMenu, kNodoSitios, tipo, true, true), datos.especies.get()); break;
        case kArbolPredictiva: {
            auto* top = nodo(nullptr, a, texto, kNodoPredictiva, 6);
            nodo(top, nullptr, QStringLiteral("Relativo"), kNodoPredictivaRelativa, 11);
            nodo(top, nullptr, QStringLiteral("Absoluto"), kNodoPredictivaAbsoluta, 11);
            break;
        }
        case kArbolCertidumbre: {
            auto* top = nodo(nullptr, a, texto, kNodoCertidumbre, 7);
            nodo(top, nullptr, texto, kNodoCertidumbreMapa, 11);
            break;
        }
        case kArbolEvaluacion: {
            if (!evaluacion_) break;
            // The table's node, a node per species and its plots; their
            // captions follow the language.
            auto* top = nodo(nullptr, a, QString(), kNodoEvaluacion, 9);
            for (const EspecieEvaluada& e : evaluacion_->especies) {
                auto* especie = nodo(top, nullptr, quel::textoDeBytes(e.especie), kNodoEvaluacionEspecie, 5);
                for (int s : {kNodoGraficaROC, kNodoGraficaBoyce, kNodoGraficaImportancia, kNodoGraficaRespuesta})
                    nodo(especie, nullptr, QString(), s, 11);
            }
            textosEvaluacion();
            break;
        }
        case kArbolPotPriori: {
            auto* top = nodo(nullptr, a, texto, kNodoPotPriori, 8);
            nodo(top, nullptr, texto, kNodoPotPrioriMapa, 11);
            break;
        }
        default: break;
    }
}

void TFormPrincipal::TreeViewExploradorClick() {
    QTreeWidgetItem* n = TreeViewExplorador->currentItem();
    if (!n) {
        // Nothing selected: no node action is offered.
        for (QAction* a : {BorrarUnoMenu, MostrarMapas1, Realizar1, MostrarMapa1}) a->setEnabled(false);
        SpeedButtonBorraUno->setEnabled(false);
        return;
    }
    const int s = estadoNodo(n);
    const int k = datos.numCovariables;
    const bool nombreCovariable = kNodoNombres < s && s - kNodoNombres <= k;
    const int especie = s - kNodoNombres - k;
    const bool nodoEspecie = kNodoNombres < s && 0 < especie && especie <= datos.numEspecies;
    const bool superior = s == kNodoCovariables || s == kNodoSesgo || s == kNodoPriori || s == kNodoSitios;
    const bool resultado = s == kNodoPredictiva || s == kNodoCertidumbre || s == kNodoPotPriori;
    SpeedButtonBorraUno->setEnabled(superior);
    BorrarUnoMenu->setEnabled(superior);
    MostrarMapas1->setEnabled(s == kNodoCovariables || (kNodoPredictiva <= s && s <= kNodoPotPrioriMapa) ||
                              nombreCovariable);
    Realizar1->setEnabled(nodoEspecie && hay(kBanderaPredictiva));
    MostrarMapa1->setEnabled(!(superior || resultado));
}
