// The magnifier: its zoom limits and title, what it shows around the
// pointer, nothing over itself, and its keys.
#include "PruebaVentanas.h"
#include "views/FormLupa.h"

#include <QLabel>
#include <QLocale>
#include <QToolButton>

namespace {

constexpr int F9 = Qt::Key_F1 + 8;

class Lupa : public prueba::PruebaVentanas {};

QString Con(const char *texto)
{
    return QString::fromLatin1(texto).replace(u'.', QLocale::system().decimalPoint());
}

} // namespace

TEST_F(Lupa, ZoomRunsFrom1xTo20xAndTheTitleShowsTheFactor)
{
    Abrir({400, 300});
    ASSERT_TRUE(ConVentana<FormLupa>(F9, [](FormLupa &l) {
        EXPECT_EQ(l.LBTitulo->text(), "Magnify (2x)");
        QTest::mouseClick(l.ImZoom[0], Qt::LeftButton);
        EXPECT_EQ(l.LBTitulo->text(), Con("Lupa (2.2x)"));
        for (int i = 0; i < 11; ++i)
            QTest::mouseClick(l.ImZoom[0], Qt::LeftButton);
        EXPECT_EQ(l.LBTitulo->text(), "Lupa (20x)");
        // Towards the user the wheel zooms in: nothing beyond 20x.
        l.MouseWheel1_WheelMove(true);
        EXPECT_EQ(l.altoLupa, 10);
        for (int i = 0; i < 25; ++i)
            l.MouseWheel1_WheelMove(false);
        EXPECT_EQ(l.altoLupa, 200);
        EXPECT_EQ(l.LBTitulo->text(), "Lupa (1x)");
    }));
}

TEST_F(Lupa, ItMagnifiesWhatLiesAroundThePointerAndNothingOverItself)
{
    Abrir({400, 300}); // red, green, blue, yellow quarters in the middle of 800 x 600
    Vista().PonerColorFondo(0x00FFFFFF);
    Vista().DibujaForm();
    // Offscreen there is no screen to read: the main window is the source.
    EXPECT_EQ(lupa::CapturaDeLaPlataforma(), lupa::Captura::VentanaPrincipal);
    ASSERT_TRUE(ConVentana<FormLupa>(F9, [&](FormLupa &l) {
        l.Timer1.stop();
        EXPECT_EQ(l.Captura, lupa::Captura::VentanaPrincipal);
        EXPECT_EQ(l.PB->size(), QSize(200, 200));
        // The centre of the page: its four colours, each twice as large.
        l.Capturar(f->mapToGlobal(QPoint(400, 300)));
        const QImage &v = l.Vista();
        EXPECT_EQ(v.pixelColor(50, 50), QColor(Qt::red));
        EXPECT_EQ(v.pixelColor(150, 50), QColor(Qt::green));
        EXPECT_EQ(v.pixelColor(150, 150), QColor(Qt::yellow));
        EXPECT_EQ(v.pixelColor(98, 98), QColor(Qt::red)); // whole pixels, no blending
        // At the main window's edge the rest lies outside it: black.
        l.Capturar(f->mapToGlobal(QPoint(0, 300)));
        EXPECT_EQ(l.Vista().pixelColor(50, 100), QColor(Qt::black));
        EXPECT_EQ(l.Vista().pixelColor(150, 100), QColor(Qt::white));
        // Over the magnifier, borders included: an empty view.
        for (QPoint p : {l.frameGeometry().center(),
                         l.frameGeometry().topLeft() + QPoint(l.frameGeometry().width(), 0)}) {
            l.Capturar(p);
            EXPECT_EQ(l.Vista().pixelColor(150, 150), QColor(Qt::black));
        }
    }));
}

TEST_F(Lupa, OnlyF9ClosesIt)
{
    Abrir({400, 300});
    ASSERT_TRUE(ConVentana<FormLupa>(F9, [&](FormLupa &l) {
        QTest::keyClick(&l, Qt::Key_Escape);
        QTest::keyClick(&l, Qt::Key_Z);
        EXPECT_TRUE(l.isVisible());
        QTest::keyClick(&l, Qt::Key_F9);
        EXPECT_FALSE(l.isVisible());
    }));
    EXPECT_EQ(salidas, 0);
}

// The source about the pointer, the zoom's steps and limits: the window's tests.
TEST(LupaCalculo, OverItselfTheRightAndBottomBordersCount)
{
    const QRect ventana(100, 100, 50, 40);
    EXPECT_TRUE(lupa::SobreSiMisma({150, 140}, ventana));
    EXPECT_FALSE(lupa::SobreSiMisma({151, 140}, ventana));
    EXPECT_FALSE(lupa::SobreSiMisma({99, 120}, ventana));
}
