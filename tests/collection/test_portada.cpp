#include "PruebaColeccion.h"

#include "collection/Portada.h"
#include "documento/CargaMiniaturas.h"
#include "documento/Documento.h"

#include <QTest>

using prueba::EntradaNueva;

TEST(Portada, BoxSizeKeepsTheAspect)
{
    EXPECT_EQ(portada::TamanoEnCaja({1000, 2000}, 1500), QSize(750, 1500));
    EXPECT_EQ(portada::TamanoEnCaja({3, 2}, 5), QSize(5, 3)); // 3.33 to the nearest
    EXPECT_EQ(portada::TamanoEnCaja({10000, 1}, 100), QSize(100, 1));
    EXPECT_EQ(portada::TamanoEnCaja({}, 100), QSize());
}

// The first picture in page order (a comic of ".jpeg" pages has one), the
// ComicInfo front cover, a PDF's first page at 150 dpi, each at the box size;
// nothing without a readable picture.
TEST(Portada, TheFrontPageOfEachKindOfComicAtTheBoxSize)
{
    QTemporaryDir t;
    const auto ruta = [&](const char *n) { return t.filePath(n); };
    ASSERT_TRUE(prueba::EscribirZip(
        ruta("c.cbz"), {{"p10.jpg", prueba::PaginaDeColor(prueba::Rojo, {40, 40})},
                        {"P02.jpeg", prueba::PaginaDeColor(Qt::green, {1200, 1800})},
                        {"p03.webp", prueba::PaginaDeColor(prueba::Rojo, {40, 40}, "WEBP")}}));
    ASSERT_TRUE(prueba::Escribir7z(
        ruta("c.cb7"), {{"p1.jpg", prueba::PaginaDeColor(prueba::Rojo, {40, 60})},
                        {"p2.jpg", prueba::PaginaDeColor(Qt::green, {40, 60})},
                        {"ComicInfo.xml", "<ComicInfo><Series>Flash</Series><Number>7</Number>"
                                          "<Pages><Page Image=\"1\" Type=\"FrontCover\"/></Pages></ComicInfo>"}}));
    ASSERT_TRUE(prueba::EscribirPdf(ruta("c.pdf"), {{QSizeF(300, 600), Qt::green}, {QSizeF(300, 300), prueba::Rojo}}));
    EXPECT_EQ(portada::PaginasDeArchivo(ruta("c.cbz")), (QStringList{"P02.jpeg", "p03.webp", "p10.jpg"}));
    const struct {
        const char *nombre;
        int caja;
        const char *entrada; // "" for a PDF
        int paginas;
        QSize natural, imagen; // the picture is green
        const char *serie;
    } casos[] = {{"c.cbz", 150, "P02.jpeg", 3, {1200, 1800}, {100, 150}, ""},
                 {"c.cb7", 100, "p2.jpg", 2, {40, 60}, {40, 60}, "Flash #7"}, // never enlarged
                 {"c.pdf", 100, "", 2, {625, 1250}, {50, 100}, ""}};
    for (const auto &c : casos) {
        const auto p = portada::LeerPortada(ruta(c.nombre), c.caja);
        ASSERT_TRUE(p) << c.nombre;
        EXPECT_TRUE(p->Entrada == c.entrada || !*c.entrada) << c.nombre;
        EXPECT_EQ(std::tuple(p->Paginas, p->Natural, p->Imagen.size(), p->Serie),
                  std::tuple(c.paginas, c.natural, c.imagen, QString(c.serie))) << c.nombre;
        EXPECT_TRUE(prueba::Cerca(p->Imagen.pixel(p->Imagen.rect().center()), Qt::green, 60)) << c.nombre;
    }
    ASSERT_TRUE(prueba::EscribirZip(ruta("sin.cbz"), {{"leeme.txt", "x"}}));
    ASSERT_TRUE(prueba::EscribirZip(ruta("roto.cbz"), {{"01.jpg", "no es un jpeg"}}));
    prueba::Vacio(ruta("vacio.cbr"));
    for (const char *n : {"sin.cbz", "roto.cbz", "no existe.cbz", "vacio.cbr"})
        EXPECT_FALSE(portada::LeerPortada(ruta(n), 100)) << n;
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
