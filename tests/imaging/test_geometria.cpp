// Quarter turns, mirrors and scaled copies, pixel for pixel.
#include "imaging/modImagen.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using modImagen::CajaImagen;

namespace {

QImage Ruido(int w, int h)
{
    QImage i(w, h, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator g(w * 7919 + h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            i.setPixel(x, y, 0xFF000000u | (g.generate() & 0xFFFFFF));
    return i;
}

CajaImagen Caja(const QImage &picture, TipoPicture tipo = TipoPicture::Bitmap)
{
    return {picture, tipo, picture, picture.width(), picture.height()};
}

// One quarter turn, the way the window does it: the result becomes the next picture.
QImage Girar(const QImage &i, float angulo)
{
    CajaImagen d;
    EXPECT_TRUE(modImagen::RotarImagen(Caja(i), d, 0, 0, angulo));
    return d.Image;
}

} // namespace

TEST(Geometria, QuarterTurnFillsTheExchangedRectangleExactly)
{
    const QImage p = Ruido(80, 120);
    // Clockwise, source (x, y) lands at (H - 1 - y, x); back, at (y, W - 1 - x):
    // every pixel, no margin.
    for (const float angulo : {90.0f, -90.0f}) {
        const QImage g = Girar(p, angulo);
        ASSERT_EQ(g.size(), QSize(120, 80));
        int distintos = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 80; ++x)
                distintos += g.pixel(angulo > 0 ? QPoint(119 - y, x) : QPoint(y, 79 - x)) != p.pixel(x, y);
        EXPECT_EQ(distintos, 0) << angulo;
    }
}

TEST(Geometria, FourTurnsAndTwoMirrorsGiveBackTheOriginal)
{
    for (const QSize s : {QSize(800, 1200), QSize(101, 37), QSize(64, 64)}) {
        const QImage p = Ruido(s.width(), s.height());
        QImage i = p;
        for (int k = 0; k < 4; ++k)
            i = Girar(i, 90);
        EXPECT_EQ(i, p) << s.width() << "x" << s.height();
        for (bool vertical : {false, true}) {
            CajaImagen uno, dos;
            modImagen::ReflejarImagen(Caja(p), uno, vertical);
            EXPECT_NE(uno.Image, p);
            modImagen::ReflejarImagen(uno, dos, vertical);
            EXPECT_EQ(dos.Image, p);
        }
    }
    const QImage p = Ruido(30, 20);
    CajaImagen uno;
    modImagen::ReflejarImagen(Caja(p), uno, false);
    EXPECT_EQ(uno.Image.pixel(29, 3), p.pixel(0, 3));
    modImagen::ReflejarImagen(Caja(p), uno, true);
    EXPECT_EQ(uno.Image.pixel(4, 19), p.pixel(4, 0));
}

TEST(Geometria, NoPictureDrawsNothing)
{
    QImage vacia(8, 8, QImage::Format_RGB32);
    QPainter p(&vacia);
    EXPECT_EQ(modImagen::DibujarRotado(p, 0, 0, 90, QImage(), TipoPicture::Bitmap), 0);
}

TEST(Geometria, ScaledBoxesAndTheVisiblePartOfAZoomedPage)
{
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    CajaImagen caja{picture, TipoPicture::Bitmap, {}, 100, 150};
    modImagen::PintarEscalado(caja);
    EXPECT_EQ(caja.Image.size(), QSize(100, 150));
    EXPECT_EQ(caja.Picture.size(), QSize(800, 600));

    // Zoomed far in: only the visible part is scaled, and it is the right part.
    QImage mitades(200, 100, QImage::Format_RGB32);
    mitades.fill(Qt::red);
    QPainter(&mitades).fillRect(100, 0, 100, 100, Qt::green);
    for (const auto &[izquierda, color] : {std::pair{-9000, qRgb(255, 0, 0)}, std::pair{-10500, qRgb(0, 255, 0)}}) {
        QImage pantalla(100, 100, QImage::Format_RGB32);
        pantalla.fill(Qt::black);
        QPainter pp(&pantalla);
        modImagen::DibujarEstirado(pp, QRect(izquierda, -2000, 20000, 10000), mitades, pantalla.rect());
        pp.end();
        EXPECT_EQ(pantalla.pixel(0, 0), color);
        EXPECT_EQ(pantalla.pixel(99, 99), color);
    }
}
