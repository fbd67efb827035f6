// Pages decoded from memory: JPEG through libjpeg-turbo with DCT reduction,
// everything else through the standard loaders, and the way back to every
// pixel of a reduced page.
#include "Constructores.h"
#include "imaging/DecodificadorJpeg.h"
#include "imaging/modPNG.h"

#include <QColor>
#include <QPainter>
#include <gtest/gtest.h>

namespace jpg = decodificadorJpeg;

namespace {

QImage Dibujo(QSize tamano)
{
    QImage i(tamano, QImage::Format_RGB32);
    i.fill(Qt::white);
    QPainter p(&i);
    p.fillRect(0, 0, tamano.width() / 2, tamano.height() / 2, QColor(200, 30, 30));
    p.fillRect(tamano.width() / 2, tamano.height() / 2, tamano.width() / 2, tamano.height() / 2,
               QColor(30, 30, 200));
    p.setPen(QPen(Qt::black, 3));
    for (int x = 0; x < tamano.width(); x += 37)
        p.drawLine(x, 0, tamano.width() - x, tamano.height());
    return i;
}

using prueba::Codificar;
using prueba::Origen;

// A JPEG whose EXIF block says "turn 90 degrees clockwise to view".
QByteArray ConOrientacion6(const QByteArray &jpeg)
{
    QByteArray exif("Exif\0\0", 6);
    exif += QByteArray::fromHex("4d4d002a00000008" "0001" "011200030000000100060000" "00000000");
    QByteArray app1 = QByteArray::fromHex("ffe1");
    const int largo = int(exif.size()) + 2;
    app1 += char(largo >> 8);
    app1 += char(largo & 0xff);
    app1 += exif;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

} // namespace

TEST(Jpeg, ReducedPagesComeAtExactlyTheShownSizeAndWholeOnesAsTheStandardLoaderGivesThem)
{
    const QImage original = Dibujo({1200, 1700});
    const QByteArray datos = Codificar(original);
    jpg::Salida s;
    ASSERT_EQ(jpg::Decodificar(datos, [](QSize n) { return QSize(n.width() * 3 / 10, n.height() * 3 / 10); },
                               1u << 30, Plazo(), s),
              jpg::Resultado::Hecho);
    EXPECT_EQ(s.Natural, QSize(1200, 1700));
    EXPECT_EQ(s.Imagen.size(), QSize(360, 510));
    EXPECT_EQ(s.Imagen.format(), QImage::Format_RGB32);
    // The reduction looks like the page scaled down.
    const QImage referencia = original.scaled(360, 510, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(prueba::Diferencias(s.Imagen, referencia).second, 6.0);

    // Asked for the whole page, or for more than it has: the natural picture,
    // the same pixels the standard loader decodes.
    for (const QSize pedido : {QSize(), QSize(1200, 1700), QSize(2400, 3400), QSize(1300, 100)}) {
        jpg::Salida entera;
        ASSERT_EQ(jpg::Decodificar(datos, [&](QSize) { return pedido; }, 1u << 30, Plazo(), entera),
                  jpg::Resultado::Hecho);
        ASSERT_EQ(entera.Imagen.size(), QSize(1200, 1700));
        QImage qt;
        ASSERT_TRUE(qt.loadFromData(datos, "JPG"));
        EXPECT_LE(prueba::Diferencias(entera.Imagen, qt.convertToFormat(QImage::Format_RGB32)).first, 1);
    }
}

TEST(Jpeg, GreyUnusualDamagedAndOversizedPages)
{
    jpg::Salida s;
    const QImage gris = Dibujo({300, 400}).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(jpg::Decodificar(Codificar(gris), {}, 1u << 30, Plazo(), s), jpg::Resultado::Hecho);
    EXPECT_EQ(s.Imagen.size(), QSize(300, 400));
    EXPECT_EQ(qRed(s.Imagen.pixel(10, 10)), qBlue(s.Imagen.pixel(10, 10)));

    EXPECT_EQ(jpg::Decodificar(Codificar(gris, "PNG"), {}, 1u << 30, Plazo(), s), jpg::Resultado::Otro);
    const QByteArray datos = Codificar(Dibujo({300, 400}));
    EXPECT_EQ(jpg::Decodificar(ConOrientacion6(datos), {}, 1u << 30, Plazo(), s), jpg::Resultado::Otro);
    EXPECT_EQ(jpg::Decodificar(datos.left(40), {}, 1u << 30, Plazo(), s), jpg::Resultado::Error);
    // Over the memory limit the decoder's own scaling brings it down to fit.
    ASSERT_EQ(jpg::Decodificar(datos, {}, 300 * 400 * 4 - 1, Plazo(), s), jpg::Resultado::Hecho);
    EXPECT_EQ(s.Natural, QSize(300, 400));
    EXPECT_EQ(s.Tope, s.Imagen.size());
    EXPECT_LE(std::uint64_t(s.Imagen.width()) * std::uint64_t(s.Imagen.height()) * 4, 300u * 400 * 4 - 1);
    const std::atomic<bool> cancelar{true};
    EXPECT_EQ(jpg::Decodificar(datos, {}, 1u << 30, Plazo(&cancelar), s), jpg::Resultado::Cancelado);
}

TEST(Jpeg, PagesFromMemoryKeepTheLoadersRulesAndCompleteToEveryPixel)
{
    const QImage original = Dibujo({800, 1200});
    ControlImagen c;
    auto mitad = [](QSize n) { return n / 4; };
    ASSERT_TRUE(modPNG::CargarPagina(Origen(Codificar(original), "a/p1.jpg"), mitad, c));
    EXPECT_EQ(c.Picture.size(), QSize(200, 300));
    EXPECT_EQ(TamanoNatural(c), QSize(800, 1200));
    ASSERT_TRUE(c.Origen);
    ASSERT_TRUE(modPNG::Completar(c));
    EXPECT_EQ(c.Picture.size(), QSize(800, 1200));
    EXPECT_TRUE(c.Natural.isEmpty());
    EXPECT_FALSE(c.Origen);

    // Another bitmap format is reduced too; the same page from a file gives
    // the same whole picture.
    ControlImagen bmp;
    ASSERT_TRUE(modPNG::CargarPagina(Origen(Codificar(original, "BMP"), "p2.bmp"), mitad, bmp));
    EXPECT_EQ(bmp.Picture.size(), QSize(200, 300));
    ASSERT_TRUE(modPNG::Completar(bmp));
    EXPECT_EQ(bmp.Picture, original);
    // A PNG page too, completed over white.
    QImage transparente(40, 40, QImage::Format_ARGB32);
    transparente.fill(Qt::transparent);
    ControlImagen reducida;
    ASSERT_TRUE(modPNG::CargarPagina(Origen(Codificar(transparente, "PNG"), "x.png"), mitad, reducida));
    EXPECT_EQ(reducida.Picture.size(), QSize(10, 10));
    ASSERT_TRUE(modPNG::Completar(reducida));
    EXPECT_EQ(reducida.Picture.size(), QSize(40, 40));
    EXPECT_EQ(reducida.Picture.pixel(3, 3), qRgb(255, 255, 255));

    // A turned camera picture comes upright, whole or reduced.
    ControlImagen girada;
    ASSERT_TRUE(modPNG::CargarPagina(Origen(ConOrientacion6(Codificar(original)), "c.jpg"), mitad, girada));
    EXPECT_EQ(TamanoNatural(girada), QSize(1200, 800));
    EXPECT_EQ(girada.Picture.size(), QSize(300, 200));

    // A name that is not a page: the loaders' errors, the holder untouched.
    ControlImagen mala = c;
    for (const char *nombre : {"m.jpg", "m.png"}) {
        try {
            modPNG::CargarPagina(Origen("not a picture", nombre), mitad, mala);
            ADD_FAILURE() << "no error";
        } catch (const ErrorLectura &e) {
            EXPECT_EQ(e.Razon, Motivo::NoDecodificable);
            EXPECT_EQ(e.Archivo, nombre);
        }
        EXPECT_EQ(mala.Picture.size(), QSize(800, 1200));
    }
}
