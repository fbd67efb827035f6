// The zoom window on the real main window: its shape and place, the frame
// over the visible part, zooming with Z and the wheel, dragging, closing.
#include "PruebaVentanas.h"
#include "views/FormZoom.h"

#include <QWheelEvent>

using diseno::Modo;
using prueba::Raton;

namespace {

constexpr int F8 = Qt::Key_F1 + 7;

class Zoom : public prueba::PruebaVentanas {
protected:
    static QPointF Centro(const zoom::Marco &c)
    {
        return {(c.Left + c.Width / 2.0) / 15, (c.Top + c.Height / 2.0) / 15};
    }
    diseno::Rect Imagen() const { return RectDe(Vista().Imagen()); }
};

} // namespace

TEST_F(Zoom, TheWindowTakesThePagesProportions)
{
    Abrir({2400, 1600}); // landscape, r = 1.5
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [](FormZoom &z) {
        EXPECT_EQ(z.Nav(), (diseno::Ventana{4500, 3000})); // 300 x 200
    }));
    Abrir({1200, 1800}); // portrait: the height stays, the width is 2/3 of it
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [](FormZoom &z) { EXPECT_EQ(z.PB->size(), QSize(200, 300)); }));
}

TEST_F(Zoom, WithTheWholePageVisibleTheFrameStaysHiddenAndDraggingDoesNothing)
{
    Abrir({400, 300}); // fits: shown whole at 100 %
    const diseno::Rect antes = Imagen();
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [&](FormZoom &z) {
        EXPECT_FALSE(z.Cuadro.Visible);
        Raton(z.PB, QEvent::MouseButtonPress, {150, 100});
        Raton(z.PB, QEvent::MouseMove, {60, 40});
        Raton(z.PB, QEvent::MouseButtonRelease, {60, 40});
        EXPECT_FALSE(z.arrastrando);
        EXPECT_EQ(z.Cuadro, (diseno::Rect{0, 0, 4500, 3383}));
        EXPECT_TRUE(z.isVisible());
    }));
    EXPECT_EQ(Imagen(), antes);
}

TEST_F(Zoom, ZShrinksTheFrameAboutItsCentreAndMagnifiesTheViewWithinLimits)
{
    Abrir({2400, 1800}, Modo::Real); // 36000 x 27000 twips in a 12000 x 9000 window
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [&](FormZoom &z) {
        ASSERT_TRUE(z.Cuadro.Visible);
        EXPECT_EQ(z.Cuadro, (diseno::Rect{0, 0, 1500, 1125}));
        QTest::keyClick(&z, Qt::Key_Z);
        EXPECT_EQ(z.Cuadro, (diseno::Rect{250, 188, 1000, 750}));
        EXPECT_EQ(Imagen().Height, 27000 * 3 / 2);
        EXPECT_EQ(Imagen().Left, -3000);
        // The main view was repainted at the new size: its top left is still red.
        EXPECT_EQ(En(10, 10), QColor(Qt::red));

        QTest::keyClick(&z, Qt::Key_Z, Qt::ShiftModifier);
        EXPECT_EQ(z.Cuadro.Height, 1000); // 4/3
        EXPECT_NEAR(z.Cuadro.Width, 1333, 1);
        EXPECT_EQ(Imagen().Height, 40500 * 3 / 4);
        EXPECT_TRUE(z.isVisible());

        // Shrinking stops at 90 twips; growing is clamped to the window and the screen.
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(&z, Qt::Key_Z);
        EXPECT_LE(std::min(z.Cuadro.Width, z.Cuadro.Height), 90);
        EXPECT_GT(std::min(z.Cuadro.Width, z.Cuadro.Height), 90 * 2 / 3 - 1);
        const zoom::Marco menor = z.Cuadro;
        const diseno::Rect imagen = Imagen();
        QTest::keyClick(&z, Qt::Key_Z);
        EXPECT_EQ(z.Cuadro, menor);
        EXPECT_EQ(Imagen(), imagen);

        for (int i = 0; i < 30; ++i)
            QTest::keyClick(&z, Qt::Key_Z, Qt::ShiftModifier);
        EXPECT_EQ(z.Cuadro, (diseno::Rect{0, 0, 4500, 3383})); // 4500 / 1.33, the screen's shape
    }));
}

TEST_F(Zoom, DraggingTheFrameScrollsTheMainViewAndStopsAtTheEdges)
{
    Abrir({2400, 1800}, Modo::Real);
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [&](FormZoom &z) {
        Raton(z.PB, QEvent::MouseButtonPress, Centro(z.Cuadro));
        EXPECT_TRUE(z.arrastrando);
        EXPECT_EQ(Imagen().Left, 0); // the page waits for the first move
        Raton(z.PB, QEvent::MouseMove, {1000, 1000});
        EXPECT_EQ(z.Cuadro, (diseno::Rect{4500 - 1500, 3375 - 1125, 1500, 1125}));
        EXPECT_EQ(Imagen(), (diseno::Rect{-24000, -18000, 36000, 27000})); // the bottom right corner
        EXPECT_EQ(En(400, 300), QColor(Qt::yellow));
        Raton(z.PB, QEvent::MouseMove, {-40, -40});
        EXPECT_EQ(z.Cuadro, (diseno::Rect{0, 0, 1500, 1125}));
        EXPECT_EQ(Imagen(), (diseno::Rect{0, 0, 36000, 27000}));
        EXPECT_EQ(En(400, 300), QColor(Qt::red));
        Raton(z.PB, QEvent::MouseMove, {150, 5}); // top right
        EXPECT_EQ(z.Cuadro.Top, 0);
        EXPECT_EQ(En(400, 300), QColor(Qt::green));
        Raton(z.PB, QEvent::MouseButtonRelease, {150, 5});
        EXPECT_FALSE(z.arrastrando);
        const diseno::Rect soltada = Imagen();
        Raton(z.PB, QEvent::MouseMove, {10, 200});
        EXPECT_EQ(Imagen(), soltada);
    }));
}

TEST_F(Zoom, APageNarrowerThanTheScreenScrollsOnlyDownwardsAndStaysCentred)
{
    Abrir({600, 1800}, Modo::Real); // 9000 twips wide in a 12000-wide window: centred
    ASSERT_EQ(Imagen(), (diseno::Rect{1500, 0, 9000, 27000}));
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [&](FormZoom &z) {
        ASSERT_TRUE(z.Cuadro.Visible);
        EXPECT_GT(z.Cuadro.Width, z.Nav().SW);
        Raton(z.PB, QEvent::MouseButtonPress, {90, 50});
        Raton(z.PB, QEvent::MouseMove, {95, 1000});
        EXPECT_EQ(Imagen(), (diseno::Rect{1500, -18000, 9000, 27000})); // the bottom, still centred
        EXPECT_EQ(En(50, 300), QColor(Qt::black));
        EXPECT_EQ(En(150, 300), QColor(Qt::blue));
    }));
}

TEST_F(Zoom, TheWheelZoomsAndTheRightButtonEscapeAndF8Close)
{
    Abrir({2400, 1800}, Modo::Real);
    ASSERT_TRUE(ConVentana<FormZoom>(F8, [&](FormZoom &z) {
        // Towards the user: a larger frame, a smaller page.
        QWheelEvent rueda(QPointF(50, 50), z.PB->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&z, &rueda);
        QCoreApplication::processEvents();
        EXPECT_EQ(z.Cuadro.Height, 1500);
        EXPECT_EQ(Imagen().Height, 20250);
        QTest::keyClick(&z, Qt::Key_Space); // other keys do nothing
        EXPECT_TRUE(z.isVisible());
        Raton(z.PB, QEvent::MouseButtonPress, {50, 50}, Qt::RightButton);
        EXPECT_FALSE(z.isVisible());
    }));
    for (Qt::Key k : {Qt::Key_Escape, Qt::Key_F8})
        ASSERT_TRUE(ConVentana<FormZoom>(F8, [&](FormZoom &z) {
            QTest::keyPress(&z, k);
            EXPECT_TRUE(z.isVisible()); // on the release
            QTest::keyRelease(&z, k);
            EXPECT_FALSE(z.isVisible());
        }));
    EXPECT_EQ(salidas, 0); // Escape closed the window, not the viewer
}

TEST_F(Zoom, NoWindowWithoutADocument)
{
    EXPECT_FALSE(ConVentana<FormZoom>(F8, [](FormZoom &) {}));
    EXPECT_TRUE(DialogosDePrueba::Actuales().llamadas.isEmpty());
}

// Z shows the small overview; a turn or a mirror remakes it at once, as the
// fit keys do: the new page's shape and colours, framed whole.
TEST_F(Zoom, TheOverviewFollowsRotationAndMirroring)
{
    Abrir({1600, 1200}); // red, green / blue, yellow
    f->Form_KeyUp('Z', 0);
    ASSERT_FALSE(f->PBRef->isHidden());
    ASSERT_EQ(f->PBRef->geometry(), QRect(20, 20, 100, 75)); // 300 twips from the corner
    // Turned right, mirrored across, turned back left, mirrored down: the
    // shape, the colour at the top left, and a frame round the whole
    // thumbnail (mode 1 shows all the page).
    const std::tuple<int, int, QSize, QColor> casos[] = {{'R', 0, {100, 133}, Qt::blue},
                                                         {'F', 0, {100, 133}, Qt::red},
                                                         {'R', teclas::ShiftMask, {100, 75}, Qt::blue},
                                                         {'F', teclas::ShiftMask, {100, 75}, Qt::red}};
    for (const auto &[tecla, mayusculas, tamano, arribaIzquierda] : casos) {
        f->Form_KeyUp(tecla, mayusculas);
        ASSERT_EQ(f->PBRef->size(), tamano) << char(tecla);
        const QImage vista = f->PBRef->pixmap().toImage();
        EXPECT_TRUE(prueba::Cerca(vista.pixelColor(25, 20), arribaIzquierda, 40)) << char(tecla);
        const int w = tamano.width(), h = tamano.height();
        for (const QPoint p : {QPoint(0, h / 2), QPoint(w - 1, 50), QPoint(50, h - 1)})
            EXPECT_TRUE(prueba::Cerca(vista.pixelColor(p), QColor(230, 40, 40), 40)) << char(tecla);
    }
}
