// Picture loading: the PNG loader over white at the holder's size, the
// standard loader, metafiles, and pictures too large or broken to load.
#include "Constructores.h"
#include "imaging/ReproductorWmf.h"
#include "imaging/modPNG.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct Carga : ::testing::Test {
    QTemporaryDir tmp;
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    void Guardar(const QImage &imagen, const QString &nombre, const char *formato)
    {
        ASSERT_TRUE(imagen.save(Ruta(nombre), formato));
    }
    void Escribir(const QString &nombre, const QByteArray &datos) { prueba::EscribirBytes(Ruta(nombre), datos); }
    static QImage Transparente(int w, int h)
    {
        QImage i(w, h, QImage::Format_ARGB32);
        i.fill(Qt::transparent);
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w; ++x)
                i.setPixel(x, y, qRgba(255, 0, 0, 255));
        return i;
    }
};

// Little-endian writer for hand-made metafiles.
struct Wmf {
    QByteArray b;
    void u16(int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
    void u32(std::uint32_t v) { u16(int(v & 0xFFFF)); u16(int(v >> 16)); }
    void Registro(int funcion, std::initializer_list<int> params)
    {
        u32(std::uint32_t(3 + params.size()));
        u16(funcion);
        for (int p : params)
            u16(p);
    }
};

// A placeable metafile of 1000 x `alto` units at 1000 per inch (96 px wide)
// with room for `objetos` objects, no records yet.
Wmf MetafileVacio(int alto = 1000, int objetos = 1)
{
    Wmf w;
    w.u32(0x9AC6CDD7u);
    w.u16(0);
    for (int v : {0, 0, 1000, alto})
        w.u16(v);
    w.u16(1000);
    w.u32(0);
    w.u16(0); // checksum, not checked
    w.u16(1); w.u16(9); w.u16(0x300); w.u32(0); w.u16(objetos); w.u32(0); w.u16(0);
    return w;
}

} // namespace

TEST_F(Carga, PngComesOutOverWhiteAtTheHolderSize)
{
    Guardar(Transparente(1200, 1800), "p.png", "PNG");
    ControlImagen natural;
    modPNG::CargarImagen(Ruta("p.png"), natural);
    EXPECT_EQ(natural.Picture.size(), QSize(1200, 1800));
    EXPECT_EQ(natural.Tipo, TipoPicture::Bitmap);
    EXPECT_EQ(natural.Picture.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(natural.Picture.pixel(10, 1700), qRgb(255, 255, 255)); // transparent: white, never black

    ControlImagen estirado;
    estirado.Stretch = true;
    estirado.Width = 300 * 15;
    estirado.Height = 450 * 15;
    modPNG::CargarImagen(Ruta("p.png"), estirado);
    EXPECT_EQ(estirado.Picture.size(), QSize(300, 450));
    EXPECT_EQ(estirado.Picture.pixel(150, 400), qRgb(255, 255, 255));
}

TEST_F(Carga, ExtensionChoosesTheLoader)
{
    const QImage alfa = Transparente(40, 40);
    Guardar(alfa, "b.PNG", "PNG");
    Guardar(alfa, "c.jpg", "PNG"); // a PNG under a JPEG name
    ControlImagen png;
    modPNG::CargarSegunExtension(Ruta("b.PNG"), png);
    EXPECT_EQ(png.Picture.pixel(5, 35), qRgb(255, 255, 255));
    ControlImagen estandar;
    modPNG::CargarSegunExtension(Ruta("c.jpg"), estandar);
    EXPECT_EQ(qAlpha(estandar.Picture.pixel(5, 35)), 0); // as it is, not over white

    // Qt writes neither GIF nor ICO: a 1 x 1 GIF and a 1 x 1 icon by hand.
    Escribir("g.gif", QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b"));
    Escribir("i.ico", QByteArray::fromHex("000001000100010100000100200030000000160000002800000001000000020000000100200000000000"
                                          "0800000000000000000000000000000000000000ff00ff0000000000"));
    ControlImagen c;
    for (const auto &[n, tipo] : {std::pair{"i.ico", TipoPicture::Icono}, std::pair{"g.gif", TipoPicture::Bitmap}}) {
        modPNG::CargarSegunExtension(Ruta(n), c);
        EXPECT_EQ(std::pair(c.Picture.size(), c.Tipo), std::pair(QSize(1, 1), tipo)) << n;
    }
}

TEST_F(Carga, FailuresRaiseTheirErrorAndKeepThePreviousPicture)
{
    ControlImagen c;
    c.Picture = QImage(7, 7, QImage::Format_RGB32);
    // A missing file, truncated data, a text file, and an SVG or a TIFF under
    // a page's name (no page, whatever plugin could read it).
    Escribir("corta.png", prueba::Codificar(Transparente(200, 200), "PNG").left(60));
    Escribir("texto.jpg", "not a picture");
    Escribir("dibujo.jpg", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'><rect width='10' height='10'/></svg>");
    QImage tiff(8, 8, QImage::Format_RGB32);
    tiff.fill(Qt::red);
    Guardar(tiff, "foto.bmp", "TIFF");
    for (const char *n : {"missing.png", "corta.png", "texto.jpg", "dibujo.jpg", "foto.bmp"})
        EXPECT_THROW(modPNG::CargarSegunExtension(Ruta(n), c), ErrorLectura) << n;
    EXPECT_EQ(c.Picture.size(), QSize(7, 7));
    Guardar(tiff, "foto.gif", "BMP"); // a page format under another page name still loads
    modPNG::CargarSegunExtension(Ruta("foto.gif"), c);
    EXPECT_EQ(c.Picture.size(), QSize(8, 8));
}

TEST_F(Carga, HugePicturesComeReducedToFitWithTheirRealSize)
{
    // 6500 x 6000 pixels: 156 MB once a page, over the limit; 10 KB on disk.
    const QSize real(6500, 6000);
    Escribir("enorme.png", prueba::PngMonocromo(6500, 6000, 3000));
    ASSERT_GT(std::uint64_t(real.width()) * real.height() * 4, modPNG::BytesMaximosPicture);
    auto comprobar = [&](const ControlImagen &c) {
        EXPECT_EQ(TamanoNatural(c), real);
        EXPECT_LE(std::uint64_t(c.Picture.sizeInBytes()), modPNG::BytesMaximosPicture);
        EXPECT_GT(c.Picture.width(), 6000); // reduced just enough
        EXPECT_NEAR(double(c.Picture.width()) / c.Picture.height(), 6500.0 / 6000.0, 0.001);
        EXPECT_EQ(c.Picture.pixel(c.Picture.width() / 2, 10), qRgb(255, 255, 255));
        EXPECT_EQ(c.Picture.pixel(c.Picture.width() / 2, c.Picture.height() - 10), qRgb(0, 0, 0));
    };
    ControlImagen c;
    modPNG::CargarImagen(Ruta("enorme.png"), c);
    comprobar(c);
    modPNG::CargarPicture(Ruta("enorme.png"), c);
    comprobar(c);
    // As a page: held at the size it is shown at; completed, as large as
    // memory allows, the real size kept.
    ControlImagen pagina;
    ASSERT_TRUE(modPNG::CargarPagina(prueba::Origen(prueba::LeerBytes(Ruta("enorme.png")), "enorme.png"),
                                     [](QSize n) { return n / 8; }, pagina));
    EXPECT_EQ(pagina.Picture.size(), real / 8);
    EXPECT_EQ(TamanoNatural(pagina), real);
    EXPECT_TRUE(modPNG::Completar(pagina));
    comprobar(pagina);

    // A picture that cannot be read row by row is refused: an interlaced PNG,
    // a BMP whose header alone claims 20000 x 20000.
    Escribir("entrelazado.png", prueba::PngMonocromo(6500, 6000, 0, true));
    EXPECT_THROW(modPNG::CargarImagen(Ruta("entrelazado.png"), c), ErrorLectura);
    QByteArray bmp = QByteArray::fromHex("424d000000000000000036000000" "28000000" "204e0000" "204e0000"
                                         "01002000" "00000000" "00000000" "00000000" "00000000" "00000000"
                                         "00000000");
    Escribir("enorme.bmp", bmp);
    EXPECT_THROW(modPNG::CargarPicture(Ruta("enorme.bmp"), c), ErrorLectura);
    EXPECT_EQ(TamanoNatural(c), real); // the holder is untouched

    // The same kind of file at a page's size loads whole.
    Escribir("normal.png", prueba::PngMonocromo(2480, 3508));
    modPNG::CargarImagen(Ruta("normal.png"), c);
    EXPECT_EQ(c.Picture.size(), QSize(2480, 3508));
    EXPECT_TRUE(c.Natural.isEmpty());
}

TEST_F(Carga, MetafilesShowTheirDrawing)
{
    // 1000 x 500 units at 1000 units per inch: 96 x 48 px.
    Wmf w = MetafileVacio(500, 2);
    w.Registro(0x020B, {0, 0});        // window origin
    w.Registro(0x020C, {500, 1000});   // window extent
    w.Registro(0x02FC, {0, 0x00FF, 0x0000, 0}); // solid brush, red 0x000000FF
    w.Registro(0x012D, {0});
    w.Registro(0x041B, {500, 500, 0, 0});        // rectangle over the left half
    w.Registro(0x0000, {});
    Escribir("dibujo.wmf", w.b);

    ASSERT_TRUE(ReproductorWmf::EsWmf(Ruta("dibujo.wmf")));
    ControlImagen c;
    modPNG::CargarSegunExtension(Ruta("dibujo.wmf"), c);
    EXPECT_EQ(c.Tipo, TipoPicture::Metafile);
    EXPECT_EQ(c.Picture.size(), QSize(96, 48));
    EXPECT_EQ(c.Picture.pixel(20, 24), qRgb(255, 0, 0));
    EXPECT_EQ(c.Picture.pixel(80, 24), qRgb(255, 255, 255));
}

TEST(Metarchivo, APenWiderThanOneUnitDrawsSolidAsGdiDoes)
{
    // A wide dashed stroke took Qt seconds a shape (fuzz finding).
    Wmf w = MetafileVacio(1000, 1);
    w.Registro(0x020C, {1000, 1000});
    w.Registro(0x02FA, {1, 100, 0, 0x00FF, 0}); // PS_DASH, 100 units wide, red
    w.Registro(0x012D, {0});
    w.Registro(0x0214, {500, 0});    // move to
    w.Registro(0x0213, {500, 1000}); // line to
    w.Registro(0x0000, {});
    const QImage dibujo = ReproductorWmf::DibujarDatos(w.b);
    ASSERT_EQ(dibujo.size(), QSize(96, 96));
    for (int x = 2; x < 94; ++x)
        ASSERT_EQ(dibujo.pixel(x, 48), qRgb(255, 0, 0)) << x;
}

namespace {

QImage Reproducir(Wmf w)
{
    w.Registro(0x0000, {});
    return ReproductorWmf::DibujarDatos(w.b);
}

} // namespace

TEST(Metarchivo, TablesSavedStatesAndDrawnAreaAreBounded)
{
    // Objects created and deleted over and over reuse the lowest free slot:
    // the last brush created is in slot 0.
    Wmf reusados = MetafileVacio();
    for (int i = 0; i < 30000; ++i) {
        reusados.Registro(0x02FC, {0, i % 2 ? 0x00FF : 0xFF00, 0, 0});
        if (i + 1 < 30000)
            reusados.Registro(0x01F0, {0});
    }
    reusados.Registro(0x012D, {0});
    reusados.Registro(0x041B, {1000, 1000, 0, 0});
    const QImage dibujo = Reproducir(reusados);
    ASSERT_FALSE(dibujo.isNull());
    EXPECT_EQ(dibujo.pixel(48, 48), qRgb(0xFF, 0, 0));

    // `veces` records of `funcion`, each followed by a restore when asked.
    const auto muchos = [](int veces, int funcion, std::initializer_list<int> params, bool restaurar = false) {
        Wmf w = MetafileVacio();
        for (int i = 0; i < veces; ++i) {
            w.Registro(funcion, params);
            if (restaurar)
                w.Registro(0x0127, {0xFFFF});
        }
        return Reproducir(w);
    };
    // Thousands alive at once, or saved states never restored: refused.
    EXPECT_TRUE(muchos(5000, 0x02FC, {0, 0, 0, 0}).isNull());
    EXPECT_TRUE(muchos(2000, 0x001E, {}).isNull());
    EXPECT_FALSE(muchos(2000, 0x001E, {}, true).isNull());

    // A one-unit window under the placeable box: shapes hundreds of pictures
    // wide are refused rather than rasterised.
    Wmf diminuta = MetafileVacio();
    diminuta.Registro(0x020C, {1, 1});
    diminuta.Registro(0x0418, {30000, 30000, -30000, -30000});
    EXPECT_TRUE(Reproducir(diminuta).isNull());
    // Full-picture shapes without end: the drawn area runs out.
    EXPECT_TRUE(muchos(100000, 0x041B, {1000, 1000, 0, 0}).isNull());
}

TEST(Metarchivo, PlaybackStopsWhenCancelled)
{
    Wmf w = MetafileVacio();
    w.Registro(0x041B, {500, 500, 0, 0});
    w.Registro(0x0000, {});
    const std::atomic<bool> cancelar{true};
    EXPECT_TRUE(ReproductorWmf::DibujarDatos(w.b, Plazo(&cancelar)).isNull());
    ControlImagen c;
    const auto origen = prueba::Origen(w.b, "p.wmf");
    EXPECT_FALSE(modPNG::CargarPagina(origen, {}, c, &cancelar));
    EXPECT_TRUE(c.Picture.isNull());
    EXPECT_TRUE(modPNG::CargarPagina(origen, {}, c));
    EXPECT_EQ(c.Picture.size(), QSize(96, 96));
}

TEST(TrozosPng, AncillaryChunksOverTheirLimitsRefuseThePage)
{
    const auto comprimido = [](const QByteArray &d) { return qCompress(d).mid(4); }; // the zlib stream
    QByteArray perfil(132, '\0');
    qToBigEndian<quint32>(0x40000000, perfil.data()); // a profile declaring a gigabyte
    struct Caso {
        const char *nombre;
        QByteArray png;
        bool decodificada;
    };
    const Caso casos[] = {
        {"honest text", prueba::PngConTrozo("tEXt", QByteArray("Title\0Hi!", 9)), true},
        {"text claiming a gigabyte", prueba::PngConTrozo("tEXt", QByteArray("Title\0", 6), 0x3FFFFFFF), false},
        {"compressed text unpacking past the limit",
         prueba::PngConTrozo("zTXt", QByteArray("Title\0\0", 7) + comprimido(QByteArray(17 << 20, 'a'))), false},
        {"profile declaring a gigabyte", prueba::PngConTrozo("iCCP", QByteArray("icc\0\0", 5) + comprimido(perfil)),
         false},
    };
    for (const Caso &c : casos) {
        ControlImagen h;
        bool hecha = false;
        try {
            hecha = modPNG::CargarPagina(prueba::Origen(c.png, "p.png"), {}, h) && !h.Picture.isNull();
        } catch (const ErrorLectura &) {
        }
        EXPECT_EQ(hecha, c.decodificada) << c.nombre;
    }
}
