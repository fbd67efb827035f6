#include "PruebaColeccion.h"

#include "collection/ucListado.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

// A control ten rows high: 10 x 295 twips.
struct Control {
    Control()
    {
        uc.resize(300, 197);
        uc.show();
    }
    QStringList Nombres(int n)
    {
        QStringList r;
        for (int i = 0; i < n; ++i)
            r << QStringLiteral("Comic %1.cbz").arg(i);
        return r;
    }
    ucListado uc;
};

} // namespace

TEST(ucListado, AShortListHidesTheEmptyRowsAndTheScrollBar)
{
    Control c;
    ASSERT_EQ(c.uc.Filas(), 10);
    c.uc.setList(c.Nombres(3), QStringList{"0", "1", "2"});
    EXPECT_EQ(c.uc.getListCount(), 3);
    EXPECT_EQ(c.uc.TextoFila(2), "Comic 2.cbz ");
    EXPECT_EQ(c.uc.TextoFila(3), "");
    EXPECT_TRUE(c.uc.RectMarcador(3).isEmpty());
    EXPECT_FALSE(c.uc.VScroll->isVisible());
    EXPECT_EQ(c.uc.Estado(1), 1);
    c.uc.ScrollManual(1); // no scroll bar: nothing moves
    EXPECT_EQ(c.uc.PrimeraFila(), 0);
}

TEST(ucListado, ThousandsOfItemsScrollWithinTheList)
{
    Control c;
    c.uc.setList(c.Nombres(5000), QStringList(5000, "0"));
    EXPECT_TRUE(c.uc.VScroll->isVisible());
    EXPECT_EQ(c.uc.findChildren<QWidget *>().size(), 2); // the surface and the scroll bar
    c.uc.ScrollManual(3);
    EXPECT_EQ(c.uc.PrimeraFila(), 3);
    EXPECT_EQ(c.uc.TextoFila(0), "Comic 3.cbz ");
    c.uc.VScroll->setValue(c.uc.VScroll->maximum());
    const int fondo = c.uc.PrimeraFila();
    EXPECT_EQ(c.uc.TextoFila(9), "Comic 4999.cbz ");
    c.uc.ScrollManual(1);
    EXPECT_EQ(c.uc.PrimeraFila(), fondo);
    // A new list starts at the top again.
    c.uc.setList(c.Nombres(20), QStringList(20, "0"));
    EXPECT_EQ(c.uc.PrimeraFila(), 0);
}

TEST(ucListado, ThreeMarkerClicksComeBackWithThreeEvents)
{
    prueba::IdiomaIngles ingles;
    Control c;
    c.uc.setList(c.Nombres(30), QStringList(30, "0"));
    c.uc.ScrollManual(4);
    QSignalSpy marcador(&c.uc, &ucListado::ImageClick);
    QSignalSpy clic(&c.uc, &ucListado::LBClick);
    const QPoint p = c.uc.RectMarcador(2).center();
    const QString noLeido = "NOT read. Click to change the state";
    EXPECT_EQ(c.uc.TooltipMarcador(2), noLeido);
    const std::pair<int, QString> ciclo[] = {{1, "Read"}, {2, "Reading..."}, {0, noLeido}};
    for (const auto &[estado, texto] : ciclo) {
        QTest::mouseClick(c.uc.PB, Qt::LeftButton, {}, p);
        EXPECT_EQ(std::pair(c.uc.Indice(), c.uc.EstadoIndice()), std::pair(6, estado));
        EXPECT_EQ(c.uc.TooltipMarcador(2), texto);
    }
    EXPECT_EQ(marcador.count(), 3);
    EXPECT_EQ(clic.count(), 0);
    // The state follows the item, not the row.
    QTest::mouseClick(c.uc.PB, Qt::LeftButton, {}, p);
    c.uc.ScrollManual(-1);
    EXPECT_EQ(c.uc.Estado(6), 1);
    EXPECT_EQ(c.uc.TooltipMarcador(3), "Read");
    EXPECT_EQ(c.uc.TooltipMarcador(2), noLeido);
}

TEST(ucListado, NamesClick)
{
    Control c;
    c.uc.setList(c.Nombres(30), QStringList(30, "0"));
    c.uc.ScrollManual(10);
    QSignalSpy clic(&c.uc, &ucListado::LBClick);
    QSignalSpy marcador(&c.uc, &ucListado::ImageClick);
    QTest::mouseClick(c.uc.PB, Qt::LeftButton, {}, c.uc.RectNombre(1).center());
    EXPECT_EQ(clic.count(), 1);
    EXPECT_EQ(c.uc.Indice(), 11);
    // Below the last item and on the right button nothing happens.
    QTest::mouseClick(c.uc.PB, Qt::RightButton, {}, c.uc.RectNombre(2).center());
    EXPECT_EQ(clic.count(), 1);
    EXPECT_EQ(marcador.count(), 0);
}
