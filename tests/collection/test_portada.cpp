#include "PruebaColeccion.h"

#include "collection/Portada.h"
#include "documento/CargaMiniaturas.h"
#include "documento/Documento.h"

#include <QTest>

using prueba::EntradaNueva;

TEST(Portada, BoxSizeKeepsTheAspect)
{
    EXPECT_EQ(portada::TamanoEnCaja({2000, 1000}, 1500), QSize(1500, 750));
    EXPECT_EQ(portada::TamanoEnCaja({1000, 2000}, 1500), QSize(750, 1500));
    EXPECT_EQ(portada::TamanoEnCaja({700, 700}, 1500), QSize(1500, 1500));
    EXPECT_EQ(portada::TamanoEnCaja({3, 2}, 5), QSize(5, 3)); // 3.33 to the nearest
    EXPECT_EQ(portada::TamanoEnCaja({10000, 1}, 100), QSize(100, 1));
    EXPECT_EQ(portada::TamanoEnCaja({}, 100), QSize());
}

TEST(Portada, TheFirstPictureInPageOrderFromMemoryAtTheBoxSize)
{
    QTemporaryDir t;
    const QString cbz = t.filePath("c.cbz");
    ASSERT_TRUE(prueba::EscribirZip(
        cbz, {{"p10.jpg", prueba::PaginaDeColor(prueba::Rojo, {40, 40}, "JPG")},
              {"info.txt", "hola"},
              {"__MACOSX/", {}, EntradaNueva::Carpeta},
              {"__MACOSX/._P02.jpeg", "basura"},
              {"._P02.jpeg", "basura"},
              {"P02.jpeg", prueba::PaginaDeColor(QColor(10, 200, 10), {1200, 1800}, "JPG")},
              {"p03.webp", prueba::PaginaDeColor(prueba::Rojo, {40, 40}, "WEBP")},
              {"carpeta.jpg/", {}, EntradaNueva::Carpeta}}));
    EXPECT_EQ(portada::PaginasDeArchivo(cbz), (QStringList{"P02.jpeg", "p03.webp", "p10.jpg"}));

    const auto p = portada::LeerPortada(cbz, 150);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Entrada, "P02.jpeg"); // a comic of ".jpeg" pages has a front page
    EXPECT_EQ(p->Paginas, 3);
    EXPECT_EQ(p->Natural, QSize(1200, 1800));
    EXPECT_EQ(p->Imagen.size(), QSize(100, 150));
    EXPECT_GT(QColor(p->Imagen.pixel(50, 75)).green(), 150);
}

TEST(Portada, TheComicInfoFrontCoverAndAPdfFirstPageDrawnAtTheBoxSize)
{
    QTemporaryDir t;
    const QString cb7 = t.filePath("c.cb7");
    ASSERT_TRUE(prueba::Escribir7z(
        cb7, {{"p1.jpg", prueba::PaginaDeColor(prueba::Rojo, {40, 60})},
              {"p2.jpg", prueba::PaginaDeColor(QColor(0, 0, 250), {40, 60})},
              {"ComicInfo.xml", "<ComicInfo><Series>Flash</Series><Number>7</Number>"
                                "<Pages><Page Image=\"1\" Type=\"FrontCover\"/></Pages></ComicInfo>"}}));
    auto p = portada::LeerPortada(cb7, 100);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Entrada, "p2.jpg");
    EXPECT_EQ(p->Paginas, 2);
    EXPECT_EQ(p->Serie, "Flash #7");
    const QString pdf = t.filePath("c.pdf");
    ASSERT_TRUE(prueba::EscribirPdf(pdf, {{QSizeF(300, 600), QColor(0, 0, 250)}, {QSizeF(300, 300), prueba::Rojo}}));
    p = portada::LeerPortada(pdf, 100);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Paginas, 2);
    EXPECT_EQ(p->Natural, QSize(625, 1250)); // at 150 dpi
    EXPECT_EQ(p->Imagen.size(), QSize(50, 100));
    EXPECT_GT(QColor(p->Imagen.pixel(25, 50)).blue(), 200);
    EXPECT_EQ(p->Serie, "");
}

TEST(Portada, NothingWithoutAReadablePicture)
{
    QTemporaryDir t;
    ASSERT_TRUE(prueba::EscribirZip(t.filePath("sin.cbz"), {{"leeme.txt", "x"}}));
    ASSERT_TRUE(prueba::EscribirZip(t.filePath("roto.cbz"), {{"01.jpg", "no es un jpeg"}}));
    prueba::Vacio(t.filePath("vacio.cbr"));
    for (const char *n : {"sin.cbz", "roto.cbz", "no existe.cbz", "vacio.cbr"})
        EXPECT_FALSE(portada::LeerPortada(t.filePath(n), 100)) << n;
}

TEST(Portada, TheViewerTheMiniPagesAndTheCoversCountTheSamePages)
{
    // What trips a listing: Mac leftovers, names that would leave the
    // folder, absolute names, two entries of one name, links, folders.
    QTemporaryDir t;
    const QByteArray jpeg = prueba::PaginaDeColor(prueba::Rojo, {40, 60}, "JPG");
    const std::vector<EntradaNueva> entradas{{"__MACOSX/._p1.jpg", "basura"}, {"._p1.jpg", "basura"},
                                             {"../fuera.jpg", jpeg},          {"p1.jpg", jpeg},
                                             {"dup.jpg", jpeg},               {"dup.jpg", jpeg},
                                             {"/abs.jpg", jpeg},              {"img.jpg/", {}, EntradaNueva::Carpeta},
                                             {"info.txt", "x"},               {"enlace.jpg", "p1.jpg", EntradaNueva::Enlace}};
    ASSERT_TRUE(prueba::EscribirZip(t.filePath("c.cbz"), entradas));
    ASSERT_TRUE(prueba::EscribirRar4(t.filePath("c.cbr"), entradas));
    for (const char *n : {"c.cbz", "c.cbr"}) {
        const QString ruta = t.filePath(n);
        Documento d;
        d.Abrir(ruta);
        EXPECT_EQ(d.Paginas.mid(1), QStringList({"/abs.jpg", "dup.jpg", "dup.jpg", "p1.jpg"})) << n;
        EXPECT_EQ(portada::PaginasDeArchivo(ruta), d.Paginas.mid(1)) << n;
        const auto p = portada::LeerPortada(ruta, 50);
        ASSERT_TRUE(p) << n;
        EXPECT_EQ(p->Paginas, d.NumeroPaginas()) << n;
        CargaMiniaturas carga(d.Obreros(), d.Fuente(), d.Paginas, [](int, QSize) { return QSize(8, 12); });
        int hechas = 0;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            for (const auto &m : carga.Tomar())
                hechas += m.Imagen.isNull() ? 0 : 1;
            return carga.Terminada();
        }));
        EXPECT_EQ(hechas, d.NumeroPaginas()) << n;
    }
}
