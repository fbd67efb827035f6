// Writing pictures: the type a name asks for, JPEG at its quality, GIF over
// a good palette, what is drawn for icons and reduced pages, and a failed
// write that loses nothing.
#include "Constructores.h"
#include "DialogosDePrueba.h"
#include "imaging/modGrafConv.h"
#include "imaging/modPNG.h"

#include <QDir>
#include <QImageReader>
#include <QMessageBox>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace gc = modGrafConv;

namespace {

// Smooth colour gradients: thousands of colours, the worst case for a palette.
QImage Degradado(int ancho = 256, int alto = 160)
{
    QImage i(ancho, alto, QImage::Format_RGB32);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x)
            i.setPixel(x, y, qRgb(255 * x / (ancho - 1), 255 * y / (alto - 1),
                                  128 + 127 * (x - y) / std::max(ancho, alto)));
    return i;
}

ControlImagen Holder(const QImage &i, TipoPicture tipo = TipoPicture::Bitmap)
{
    ControlImagen c;
    c.Picture = i;
    c.Tipo = tipo;
    return c;
}

using prueba::LeerBytes;

struct Guardar : ::testing::Test {
    QTemporaryDir carpeta;
    QString Ruta(const QString &n) const { return carpeta.filePath(n); }
    QStringList Archivos() const
    {
        return QDir(carpeta.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void TearDown() override
    {
        auto &d = DialogosDePrueba::Actuales();
        d.alMostrarModal.clear();
        d.respuestasModal.clear();
        d.llamadas.clear();
    }
};

} // namespace

TEST(ReglaExtension, TheNameChoosesTheType)
{
    using F = gc::Formato;
    const std::pair<const char *, std::optional<F>> formatos[] = {
        {"/a/Foto.JPG", F::Jpeg}, {"/a/foto.JpEg", F::Jpeg}, {"/a/foto.Png", F::Png}, {"/a/foto.gif", F::Gif},
        {"/a/foto.bmp", F::Bmp},  {"/a/foto.tif", {}},       {"/a.png/foto", {}}};
    for (const auto &[ruta, formato] : formatos)
        EXPECT_EQ(gc::FormatoDeRuta(ruta), formato) << ruta;
    // The dialog's default extension, for names without one.
    const std::pair<const char *, const char *> extensiones[] = {
        {"/a/foto", "/a/foto.bmp"}, {"/a.b/foto", "/a.b/foto.bmp"}, {"/a/foto.png", "/a/foto.png"}, {"", ""}};
    for (const auto &[ruta, conExtension] : extensiones)
        EXPECT_EQ(gc::RutaConExtension(ruta), conExtension) << ruta;
    EXPECT_EQ(QStringList({gc::TipoMime(0), gc::TipoMime(1), gc::TipoMime(2), gc::TipoMime(3), gc::TipoMime(4)}),
              QStringList({"image/jpeg", "image/gif", "image/png", "image/bmp", ""}));
}

TEST_F(Guardar, JpegCarriesTheQualityAsked)
{
    // Out of range is clamped to the range.
    for (int calidad : {5, 40, 85, 100, 250}) {
        const QString ruta = Ruta(QStringLiteral("q%1.JPG").arg(calidad));
        ASSERT_TRUE(gc::GuardarConGDIPlus(Holder(Degradado()), ruta, calidad, int(gc::Formato::Jpeg)));
        const QByteArray tablas = prueba::TablasJpeg(LeerBytes(ruta));
        EXPECT_EQ(tablas.size(), 130);
        EXPECT_EQ(tablas, prueba::TablasJpeg(prueba::Codificar(Degradado(), "JPG", std::min(calidad, 100)))) << calidad;
    }
}

TEST_F(Guardar, GifKeepsAGoodPaletteOfAtMost256Colours)
{
    const QImage original = Degradado();
    ASSERT_TRUE(gc::GuardarConGDIPlus(Holder(original), Ruta("g.gif"), 85, int(gc::Formato::Gif)));
    QImageReader lector(Ruta("g.gif"));
    EXPECT_EQ(lector.format(), "gif");
    const QImage leida = lector.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(leida.size(), original.size());
    QSet<QRgb> colores;
    for (int y = 0; y < leida.height(); ++y)
        for (int x = 0; x < leida.width(); ++x)
            colores.insert(leida.pixel(x, y));
    EXPECT_LE(colores.size(), 256);
    EXPECT_GT(colores.size(), 64) << "the palette follows the picture";
    EXPECT_LT(prueba::Diferencias(leida, original).second, 6.0);
}

TEST_F(Guardar, PngAndBmpAreExact)
{
    const QImage original = Degradado(90, 70);
    ASSERT_TRUE(gc::GuardarConGDIPlus(Holder(original), Ruta("p.png"), 85, int(gc::Formato::Png)));
    ASSERT_TRUE(gc::GuardarPicture(Holder(original), Ruta("b.bmp")));
    EXPECT_TRUE(LeerBytes(Ruta("b.bmp")).startsWith("BM"));
    EXPECT_EQ(QImage(Ruta("p.png")).convertToFormat(QImage::Format_RGB32), original);
    EXPECT_EQ(QImage(Ruta("b.bmp")).convertToFormat(QImage::Format_RGB32), original);
}

TEST_F(Guardar, IconsAndReducedPagesAreDrawnAtTheirNaturalSize)
{
    QImage icono(32, 32, QImage::Format_ARGB32);
    icono.fill(Qt::transparent);
    for (int y = 8; y < 24; ++y)
        for (int x = 8; x < 24; ++x)
            icono.setPixel(x, y, qRgba(200, 0, 0, 255));
    for (int formato : {0, 1, 2}) {
        const QString ruta = Ruta(QStringLiteral("icono%1").arg(formato));
        ASSERT_TRUE(gc::GuardarConGDIPlus(Holder(icono, TipoPicture::Icono), ruta, 95, formato));
        const QImage leida(ruta);
        ASSERT_EQ(leida.size(), QSize(32, 32)) << formato;
        EXPECT_GT(qRed(leida.pixel(2, 2)), 240) << "transparent parts over white";
        EXPECT_GT(qGreen(leida.pixel(2, 2)), 240);
        EXPECT_LT(qGreen(leida.pixel(16, 16)), 30);
    }
    ASSERT_TRUE(gc::GuardarConGDIPlus(Holder(icono, TipoPicture::Metafile), Ruta("wmf.png"), 85, 2));
    EXPECT_EQ(QImage(Ruta("wmf.png")).size(), QSize(32, 32));

    ControlImagen reducida;
    ASSERT_TRUE(modPNG::CargarPagina(prueba::Origen(prueba::Codificar(Degradado(400, 300)), "p.jpg"),
                                     [](QSize) { return QSize(100, 75); }, reducida));
    ASSERT_EQ(reducida.Picture.size(), QSize(100, 75));
    ASSERT_TRUE(gc::GuardarConGDIPlus(reducida, Ruta("entera.png"), 85, 2));
    EXPECT_EQ(QImage(Ruta("entera.png")).size(), QSize(400, 300));
}

TEST_F(Guardar, AFailedWriteLeavesTheOldFileWhole)
{
    const QByteArray antes("the picture the user already had");
    prueba::EscribirBytes(Ruta("viejo.gif"), antes);
    // Wider than a GIF can record: the encoder fails half way.
    QImage ancha(70000, 1, QImage::Format_RGB32);
    ancha.fill(Qt::red);
    EXPECT_FALSE(gc::GuardarConGDIPlus(Holder(ancha), Ruta("viejo.gif"), 85, 1));
    EXPECT_EQ(LeerBytes(Ruta("viejo.gif")), antes);
    EXPECT_EQ(Archivos(), QStringList{"viejo.gif"});
    // Nothing to save writes nothing.
    EXPECT_FALSE(gc::GuardarConGDIPlus(ControlImagen{}, Ruta("nada.png"), 85, 2));
    EXPECT_FALSE(gc::GuardarPicture(ControlImagen{}, Ruta("nada.bmp")));
    EXPECT_EQ(Archivos(), QStringList{"viejo.gif"});
    // A good write replaces it whole.
    ASSERT_TRUE(gc::GuardarConGDIPlus(Holder(Degradado(20, 20)), Ruta("viejo.gif"), 85, 1));
    EXPECT_TRUE(LeerBytes(Ruta("viejo.gif")).startsWith("GIF8"));
}

TEST_F(Guardar, NoEncoderShowsItsFixedBox)
{
    QString texto;
    DialogosDePrueba::Actuales().alMostrarModal << [&](QDialog &d) {
        texto = dynamic_cast<QMessageBox &>(d).text();
        return int(QMessageBox::Ok);
    };
    EXPECT_FALSE(gc::GuardarConGDIPlus(Holder(Degradado(8, 8)), Ruta("x.tif"), 85, 7));
    EXPECT_EQ(texto, "Konnte keinen passenden Encoder ermitteln.");
    EXPECT_TRUE(Archivos().isEmpty());
}
