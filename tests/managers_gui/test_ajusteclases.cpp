// The covariate manager's cross-validated choice of classes, driven with
// scripted dialogs: the results table and the choosers set to the best.
#include <QComboBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "ApoyoGestores.h"
#include "managers/covariates/FormCovManager.h"

class PruebaAjusteClases : public QObject {
    Q_OBJECT
private slots:
    void eligeLaMejorYFijaLosElegidores();
};

void PruebaAjusteClases::eligeLaMejorYFijaLosElegidores() {
    auto p = std::make_shared<prueba::PrincipalFalso>();
    TFormCovManager w{p};
    w.show();
    for (const char* g : {"elevation.asc", "temperature.asc"})
        prueba::pulsa(p->guion, prueba::grid(g), w.SpeedButtonCargaFile);
    QVERIFY(w.findChild<QToolButton*>(QStringLiteral("SpeedButtonAjusteClases")));

    p->guion.responde(prueba::muestra(QStringLiteral("sites.txt")));
    p->guion.textos = {QStringLiteral("Quercus_magnoliifolia"), QStringLiteral("4, 8")};
    w.findChild<QAction*>(QStringLiteral("MenuAjusteClases"))->trigger();
    QVERIFY2(p->guion.mensajes.empty(), qPrintable(p->guion.mensajes.empty() ? QString() : p->guion.mensajes[0].texto));

    auto* t = w.findChild<QTableWidget*>(QStringLiteral("TablaAjuste"));
    QVERIFY(t && t->isVisible());
    QCOMPARE(t->rowCount(), 4);
    int mejor = -1;
    for (int i = 0; i < t->rowCount(); ++i)
        if (t->item(i, 6)->text() == QStringLiteral("*")) {
            QCOMPARE(mejor, -1);
            mejor = i;
        }
    QVERIFY(mejor >= 0);
    // Rows: intervals 4 and 8, then equal frequency 4 and 8.
    for (const auto& e : w.esquemas) QCOMPARE(e->currentIndex(), mejor / 2);
    for (const auto& c : w.combos) QCOMPARE(c->currentText(), t->item(mejor, 1)->text());
    QVERIFY(p->log.last().contains(t->item(mejor, 1)->text()));
}

QTEST_MAIN(PruebaAjusteClases)
#include "test_ajusteclases.moc"
