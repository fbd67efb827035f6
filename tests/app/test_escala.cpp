// The window on a dense screen. CTest runs this file four times, with
// QT_SCALE_FACTOR unset, 1.25, 1.5 and 2: every run expects the same page
// rectangles in twips (logical pixels), and a surface in device pixels with
// the page painted at the matching device pixels.
#include "PruebaForm1.h"
#include "views/FormMini.h"

#include <cmath>

using diseno::Modo;

namespace {

const QColor Colores[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

class Escala : public prueba::PruebaForm1 {
protected:
    void SetUp() override
    {
        PruebaForm1::SetUp();
        bool ok = false;
        factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
        if (!ok)
            factor = 1;
        f->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    }
    void Abrir(QSize tamano)
    {
        AbrirComic(4, [=](int i) { return prueba::PaginaDeColor(Colores[i - 1], tamano, "PNG"); }, "png");
    }
    static std::tuple<int, int, int, int> Rect(const ControlImagen &c)
    {
        return {c.Left, c.Top, c.Width, c.Height};
    }
    // The surface at a point given in logical pixels.
    QColor En(double x, double y) const
    {
        return f->Superficie().pixelColor(int(std::floor(x * factor)), int(std::floor(y * factor)));
    }
    // The surface is the window's client area in device pixels.
    void SuperficieDensa() const
    {
        EXPECT_EQ(f->Superficie().size(), (QSizeF(800, 600) * factor).toSize());
        EXPECT_EQ(f->Superficie().devicePixelRatio(), factor);
    }
    double factor = 1;
};

} // namespace

TEST_F(Escala, EveryModePlacesThePageInLogicalPixels)
{
    ASSERT_EQ(f->devicePixelRatioF(), factor) << "QT_SCALE_FACTOR did not reach the window";
    Abrir(QSize(1200, 1800));
    // Mode 1: the page fitted to the height, centred.
    EXPECT_EQ(Rect(Vista().Imagen()), std::tuple(2985, 0, 6030, 9000));
    SuperficieDensa();
    EXPECT_EQ(En(198, 300), QColor(Qt::black));
    EXPECT_EQ(En(201, 300), Colores[0]);
    EXPECT_EQ(En(600, 300), Colores[0]);
    EXPECT_EQ(En(602, 300), QColor(Qt::black));
    // The page is decoded for the device pixels it covers: sharp, not
    // stretched up from a logical-sized copy.
    EXPECT_GE(Vista().Imagen().Picture.width(), std::lrint(402 * factor) - 1);

    // Mode 3: the whole width, from the top.
    f->Form_KeyUp('3', 0);
    EXPECT_EQ(Rect(Vista().Imagen()), std::tuple(0, 0, 12000, 18000));
    EXPECT_EQ(En(0.5, 0.5), Colores[0]);
    EXPECT_EQ(En(799.5, 599.5), Colores[0]);

    // Mode 8: two pages, each fitted into its half.
    f->Form_KeyUp('1', 0);
    f->Form_KeyUp('8', 0);
    EXPECT_EQ(Rect(Vista().Imagen()), std::tuple(0, 0, 6000, 9000));
    EXPECT_EQ(Rect(Vista().Imagen2()), std::tuple(6000, 0, 6000, 9000));
    SuperficieDensa();
    EXPECT_EQ(En(399.5, 590), Colores[0]);
    EXPECT_EQ(En(400.5, 10), Colores[1]);
}

TEST_F(Escala, ContinuousModeStacksInLogicalPixels)
{
    // Wide pages: fitted to the width, 400 px high, 100 px from the top.
    Abrir(QSize(1200, 600));
    EXPECT_EQ(Rect(Vista().Imagen()), std::tuple(0, 1500, 12000, 6000));
    f->Form_KeyUp('7', 0);
    EXPECT_EQ(Rect(Vista().Imagen2()), std::tuple(0, 7800, 12000, 6000));
    SuperficieDensa();
    EXPECT_EQ(En(400, 98), QColor(Qt::black));
    EXPECT_EQ(En(400, 101), Colores[0]);
    EXPECT_EQ(En(400, 510), QColor(Qt::black)); // the 300-twip gap
    EXPECT_EQ(En(400, 522), Colores[1]);
}

TEST_F(Escala, DragPictureSwipeAndNavigatorHaveDevicePixels)
{
    Abrir(QSize(1200, 1800));
    const QSize dispositivo = (QSizeF(800, 600) * factor).toSize();
    // A swipe on a page that fits: both snapshots are the whole surface.
    QTest::mousePress(f.get(), Qt::LeftButton, {}, QPoint(600, 300));
    QTest::mouseRelease(f.get(), Qt::LeftButton, {}, QPoint(100, 300));
    EXPECT_EQ(Vista().PaginaActual(), 2);
    for (QLabel *h : f->PBH) {
        EXPECT_EQ(h->pixmap().size(), dispositivo);
        EXPECT_EQ(h->pixmap().devicePixelRatio(), factor);
    }
    f->tmrMovH.stop();

    // A page taller than the window rides on the drag picture.
    f->Form_KeyUp('3', 0);
    QTest::mousePress(f.get(), Qt::LeftButton, {}, QPoint(400, 300));
    ASSERT_TRUE(f->PBZ->isVisibleTo(f.get()));
    EXPECT_EQ(f->PBZ->geometry(), QRect(0, 0, 800, 1200));
    EXPECT_EQ(f->PBZ->pixmap().size(), (QSizeF(800, 1200) * factor).toSize());
    EXPECT_EQ(f->PBZ->pixmap().devicePixelRatio(), factor);
    QTest::mouseMove(f.get(), QPoint(400, 200));
    EXPECT_EQ(f->PBZ->geometry(), QRect(0, -100, 800, 1200));
    EXPECT_EQ(Vista().Imagen().Top, -1500);
    QTest::mouseRelease(f.get(), Qt::LeftButton, {}, QPoint(400, 200));
    EXPECT_EQ(En(400, 300), Colores[1]);

    // The navigator: an eighth of the window wide, at device pixels.
    f->Form_KeyUp('Z', 0);
    const QPixmap miniatura = f->PBRef->pixmap();
    EXPECT_EQ(miniatura.devicePixelRatio(), factor);
    EXPECT_EQ(miniatura.size(), (QSizeF(f->PBRef->size()) * factor).toSize());
}

// The mini pages draw frames and thumbnails where their layout puts them, in
// device pixels.
TEST_F(Escala, MiniPagesAtDevicePixels)
{
    Abrir(QSize(300, 400));
    bool visto = false;
    DialogosDePrueba::Actuales().alMostrarModal << [&](QDialog &ventana) {
        auto &v = dynamic_cast<FormMini &>(ventana);
        EXPECT_TRUE(QTest::qWaitFor([&] { return v.CargaCompleta; }, 20000));
        const QImage i = v.grab().toImage();
        const QRect ficha = mini::EnPixeles(v.Shficha[2].Rect, factor);
        EXPECT_EQ(i.pixelColor(ficha.right(), ficha.center().y()), QColor(Qt::white));
        EXPECT_EQ(i.pixelColor(mini::EnPixeles(v.PBI[2].Rect, factor).center()), Colores[1]);
        visto = true;
        return 0;
    };
    f->Form_KeyUp(int(Qt::Key_F10), 0);
    EXPECT_TRUE(visto);
}
