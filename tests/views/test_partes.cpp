// The move-by-parts window: its size by the page's shape, the path of each
// order, D, the countdown, closing and the message that follows.
#include "PruebaVentanas.h"
#include "views/FormPartes.h"

namespace {

class Partes : public prueba::PruebaVentanas {
protected:
    QSize AreaPara(QSize pagina)
    {
        Abrir(pagina);
        QSize area;
        EXPECT_TRUE(ConVentana<FormPartes>('D', [&](FormPartes &p) {
            area = p.PB->size();
            // Centred on the screen.
            EXPECT_LE((p.geometry().center() - p.screen()->geometry().center()).manhattanLength(), 2);
        }));
        return area;
    }
};

} // namespace

TEST_F(Partes, TheWindowFollowsThePagesShapeWithin3QuartersOfTheScreen)
{
    const QSize pantalla = f->screen()->geometry().size();
    const int anchoMax = pantalla.width() * 3 / 4, altoMax = pantalla.height() * 3 / 4;
    EXPECT_EQ(AreaPara({2000, 1000}), QSize(anchoMax, anchoMax / 2)); // landscape: 3/4 of the width
    EXPECT_EQ(AreaPara({1000, 2000}), QSize(altoMax / 2, altoMax));   // portrait: 3/4 of the height
    EXPECT_EQ(AreaPara({900, 900}), QSize(altoMax, altoMax));         // square: as portrait
    // On a wide screen a nearly square landscape page is as high as 3/4 of
    // the screen allows, no higher.
    EXPECT_EQ(partes::AjustarPartes({1000, 900}, {9000, 6750}), (diseno::Ventana{7500, 6750}));
    EXPECT_EQ(partes::AjustarPartes({900, 1000}, {6750, 4000}), (diseno::Ventana{3600, 4000}));
    EXPECT_EQ(partes::AjustarPartes({}, {9000, 6750}), (diseno::Ventana{9000, 6750}));
}

TEST_F(Partes, DSwitchesTheOrderAndRestartsTheCountdownWhichClosesOnItsFourthTick)
{
    Abrir({2000, 1000});
    ASSERT_FALSE(Vista().Partes().bPartesAbajo);
    ASSERT_TRUE(ConVentana<FormPartes>('D', [&](FormPartes &p) {
        p.tmrTempo.stop();
        const diseno::Ventana t = p.Tamano();
        const float W = float(t.SW), H = float(t.SH);
        // "Right - Down": a Z along the top row, then the bottom row.
        EXPECT_EQ(p.LBTitulo->text(), "Pass parts: Right - Down");
        EXPECT_FALSE(p.Recorrido.FlechaVertical);
        EXPECT_EQ(p.Recorrido.Lineas[0], QLineF(W / 8, H / 8, 7 * W / 8, H / 8));
        EXPECT_EQ(p.Recorrido.Lineas[2], QLineF(7 * W / 8, H / 8, W / 8, 7 * H / 8));
        p.tmrTempo_Timer();
        p.tmrTempo_Timer();
        EXPECT_EQ(p.cuentaPartes, 2);

        QTest::keyClick(&p, Qt::Key_D);
        EXPECT_TRUE(Vista().Partes().bPartesAbajo);
        EXPECT_EQ(p.cuentaPartes, 0);
        // "Down - Right": an N down the left column, then the right one.
        EXPECT_EQ(p.LBTitulo->text(), "Pass parts: Down - Right");
        EXPECT_TRUE(p.Recorrido.FlechaVertical);
        EXPECT_EQ(p.Recorrido.Lineas[2], QLineF(W / 8, 7 * H / 8, 7 * W / 8, H / 8));

        QTest::keyClick(&p, Qt::Key_D);
        EXPECT_FALSE(Vista().Partes().bPartesAbajo);
        for (int i = 0; i < 3; ++i)
            p.tmrTempo_Timer();
        EXPECT_TRUE(p.isVisible());
        p.tmrTempo_Timer();
        EXPECT_FALSE(p.isVisible());
    }));
    EXPECT_EQ(Vista().UltimoMensaje(), "Pass parts: Right - Down");
}

TEST_F(Partes, AnyOtherKeyOrAPressClosesAndTheOrderIsAnnounced)
{
    Abrir({2000, 1000});
    Vista().PonerPartesAbajo(true);
    ASSERT_TRUE(ConVentana<FormPartes>('D', [&](FormPartes &p) {
        // A key held since the main window: its release alone closes nothing.
        QTest::keyRelease(&p, Qt::Key_Shift);
        EXPECT_TRUE(p.isVisible());
        QTest::keyClick(&p, Qt::Key_Escape);
        EXPECT_FALSE(p.isVisible());
    }));
    EXPECT_EQ(Vista().UltimoMensaje(), "Pass parts: Down - Right");
    EXPECT_EQ(salidas, 0);
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
        ASSERT_TRUE(ConVentana<FormPartes>('D', [&](FormPartes &p) {
            QTest::mouseClick(p.PB, Qt::MiddleButton, {}, QPoint(100, 100));
            EXPECT_TRUE(p.isVisible());
            // Closed by the press, it goes with the release.
            QTest::mousePress(p.PB, b, {}, QPoint(100, 100));
            QTest::mouseRelease(p.PB, b, {}, QPoint(100, 100));
            EXPECT_FALSE(p.isVisible());
        }));
    EXPECT_TRUE(Vista().Partes().bPartesAbajo);
}
