// The document without any window: page lists of every kind of document,
// the folder around it, bookmarks, and the view that walks its pages.
#include "Constructores.h"
#include "documento/ArchivoMarcadores.h"
#include "documento/Documento.h"
#include "documento/Paginas.h"
#include "viewer/EstadoVista.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using prueba::EntradaNueva;

namespace {

using prueba::NumeroDe;

QByteArray Pagina(int n, const char *formato = "JPG")
{
    return prueba::PaginaMarcada(n, formato);
}

class Documentos : public ::testing::Test {
protected:
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    void Escribir(const QString &n, const QByteArray &datos) const { prueba::EscribirBytes(Ruta(n), datos); }
    QStringList Paginas() const { return d.Paginas.mid(1); }
    // The page as the pipeline prepares it for a window of 800 x 600.
    int Leida(int pagina)
    {
        PedidoPagina p;
        p.Pagina = std::int16_t(pagina);
        p.Ventana = {800 * 15, 600 * 15};
        const auto e = d.Preparador().Obtener(p);
        return e && e->Estado == PaginaPreparada::Estado::Lista ? NumeroDe(e->Imagen) : -1;
    }

    QTemporaryDir tmp;
    Documento d;
};

} // namespace

TEST(Paginas, RulesOfThePageList)
{
    using namespace paginas;
    EXPECT_TRUE(EsPagina("a/B.JpG", ClaseDocumento::Zip));
    EXPECT_TRUE(EsPagina("x.jpeg", ClaseDocumento::Rar));
    EXPECT_FALSE(EsPagina("x.ico", ClaseDocumento::Rar));
    EXPECT_TRUE(EsPagina("x.ico", ClaseDocumento::Imagenes));
    EXPECT_FALSE(EsPagina("jpg", ClaseDocumento::Zip));
    EXPECT_FALSE(EsPagina("img.jpg/", ClaseDocumento::Zip));
    // What a Mac leaves beside the files is never a page, in any document.
    for (auto clase : {ClaseDocumento::Zip, ClaseDocumento::Rar, ClaseDocumento::Imagenes}) {
        EXPECT_FALSE(EsPagina("__MACOSX/img/01.jpg", clase));
        EXPECT_FALSE(EsPagina("__macosx/01.jpg", clase));
        EXPECT_FALSE(EsPagina("img/._01.jpg", clase));
        EXPECT_FALSE(EsPagina("img\\._01.jpg", clase));
        EXPECT_FALSE(EsPagina("._01.jpg", clase));
        EXPECT_TRUE(EsPagina("img/_01.jpg", clase));
        EXPECT_TRUE(EsPagina("MACOSX/01.jpg", clase));
    }
    EXPECT_EQ(ClaseDe("CBZ"), ClaseDocumento::Zip);
    EXPECT_EQ(ClaseDe("RAR"), ClaseDocumento::Rar);
    EXPECT_EQ(ClaseDe("JPEG"), ClaseDocumento::Imagenes);
    QStringList n{"b.jpg", "A.jpg", "a.jpg", "10.jpg", "9.jpg"};
    Ordenar(n);
    EXPECT_EQ(n, QStringList({"10.jpg", "9.jpg", "A.jpg", "a.jpg", "b.jpg"}));
    EXPECT_EQ(PosicionVecina(2, 1, 3), 0);
    EXPECT_EQ(PosicionVecina(0, -1, 3), 2);
    EXPECT_EQ(FiltroAbrir("All |*.bmp;*.jpg;*.gif|Graphic|*.jpg|"),
              "All |*.bmp;*.jpg;*.jpeg;*.webp;*.avif;*.jxl;*.gif|Graphic|*.jpg;*.jpeg;*.webp;*.avif;*.jxl|");
}

TEST_F(Documentos, ArchivesListTheirPictureEntriesInPageOrder)
{
    const std::vector<EntradaNueva> entradas{{"img/", {}, EntradaNueva::Carpeta},
                                             {"img/01.jpg", Pagina(1)},
                                             {"readme.txt", "hola"},
                                             {"P10.JPG", Pagina(10)},
                                             {"p2.jpeg", Pagina(2)},
                                             {"w.webp", Pagina(4, "WEBP")}};
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), entradas));
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("c.cbr"), entradas));
    for (const char *nombre : {"c.cbz", "c.cbr"}) {
        const Documento::Apertura a = d.Abrir(Ruta(nombre));
        EXPECT_FALSE(a.SinEntradas);
        EXPECT_EQ(a.Inicial, 1);
        EXPECT_TRUE(d.EsComprimido);
        EXPECT_EQ(d.RutaActual, Ruta(nombre));
        // Case-insensitive, character by character: P10 before p2.
        EXPECT_EQ(Paginas(), QStringList({"img/01.jpg", "P10.JPG", "p2.jpeg", "w.webp"})) << nombre;
        EXPECT_EQ(Leida(1), 1) << nombre;
        EXPECT_EQ(Leida(4), 4) << nombre;
    }
    // The comics beside it, for the next and the previous comic.
    EXPECT_EQ(d.FileList, QStringList({"c.cbr", "c.cbz"}));
}

TEST_F(Documentos, APictureStandsForItsFolder)
{
    Escribir("pics/a.jpg", Pagina(1));
    Escribir("pics/b.png", Pagina(2, "PNG"));
    Escribir("pics/notes.txt", "x");
    Escribir("pics/d.jpeg", Pagina(4));
    const Documento::Apertura a = d.Abrir(Ruta("pics/b.png"));
    EXPECT_EQ(Paginas(), QStringList({"a.jpg", "b.png", "d.jpeg"}));
    EXPECT_EQ(a.Inicial, 2);
    EXPECT_FALSE(d.EsComprimido);
    EXPECT_EQ(d.RutaActual, Ruta("pics/"));
    EXPECT_EQ(Leida(3), 4);
    EXPECT_TRUE(QFile::exists(Ruta("pics/d.jpeg"))); // pictures of a folder are never touched
}

TEST_F(Documentos, MacLeftoversAreNeverPages)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("mac.cbz"), {{"img/01.jpg", Pagina(1)},
                                                      {"__MACOSX/img/._01.jpg", "Mac OS X resource fork"},
                                                      {"img/._02.jpg", "Mac OS X resource fork"},
                                                      {"img/02.jpg", Pagina(2)}}));
    d.Abrir(Ruta("mac.cbz"));
    EXPECT_EQ(Paginas(), QStringList({"img/01.jpg", "img/02.jpg"}));
    Escribir("mac/._a.jpg", "Mac OS X resource fork");
    Escribir("mac/a.jpg", Pagina(1));
    EXPECT_EQ(d.Abrir(Ruta("mac/a.jpg")).Inicial, 1);
    EXPECT_EQ(Paginas(), QStringList({"a.jpg"}));
    EXPECT_EQ(d.Abrir(Ruta("mac/._a.jpg")).Inicial, 1);
    EXPECT_EQ(Paginas(), QStringList({"a.jpg"}));
}

TEST_F(Documentos, EmptyForeignAndMisnamedArchives)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("texto.cbz"), {{"readme.txt", "x"}}));
    EXPECT_FALSE(d.Abrir(Ruta("texto.cbz")).SinEntradas);
    EXPECT_FALSE(d.HayDocumento());
    Escribir("nada.cbz", "not an archive");
    EXPECT_TRUE(d.Abrir(Ruta("nada.cbz")).SinEntradas);
    EXPECT_EQ(ExtensionSegunContenido(Ruta("nada.cbz"), "CBZ"), "");

    ASSERT_TRUE(prueba::EscribirRar4(Ruta("rar.cbz"), {{"p1.jpg", Pagina(1)}}));
    ASSERT_TRUE(prueba::EscribirZip(Ruta("zip.cbr"), {{"p1.jpg", Pagina(1)}}));
    EXPECT_EQ(ExtensionSegunContenido(Ruta("rar.cbz"), "CBZ"), "cbr");
    EXPECT_EQ(ExtensionSegunContenido(Ruta("zip.cbr"), "CBR"), "cbz");
    EXPECT_EQ(ExtensionSegunContenido(Ruta("zip.cbr"), "CBZ"), "");
}

TEST_F(Documentos, NeighboursWrapAroundBothEnds)
{
    for (const char *n : {"a.cbz", "b.cbz", "c.zip"})
        ASSERT_TRUE(prueba::EscribirZip(Ruta(n), prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); })));
    d.Abrir(Ruta("c.zip"));
    d.NombreActual = "c.zip";
    EXPECT_EQ(d.ComicVecino(1), Ruta("a.cbz"));
    EXPECT_EQ(d.ComicVecino(-1), Ruta("b.cbz"));
    EXPECT_EQ(d.PaginaVecina(3, 1), 1);
    EXPECT_EQ(d.PaginaVecina(1, -1), 3);
    EXPECT_EQ(d.PaginaVecina(2, 1), 3);
    // A picture folder has no neighbours.
    Escribir("pics/a.jpg", Pagina(1));
    d.Abrir(Ruta("pics/a.jpg"));
    EXPECT_EQ(d.ComicVecino(1), "");
}

TEST_F(Documentos, ABookmarkIsFoundWithoutRegardToCaseAndTheFirstWins)
{
    d.Marcadores << RegistroMarcador{"/x/A.cbz", "4"} << RegistroMarcador{"/x/a.CBZ", "9"};
    EXPECT_EQ(d.BuscarMarcador("/X/a.cbz"), 1);
    EXPECT_EQ(d.MarcadorDe("/x/a.cbz"), "4");
    d.PonerMarcador("/x/A.CBZ", "6"); // the same record, whatever the case
    EXPECT_EQ(d.Marcadores.size(), 3);
    EXPECT_EQ(d.Marcadores[1].Marcador, "6");
    d.PonerMarcador("/x/b.cbz", "2");
    EXPECT_EQ(d.BuscarMarcador("/x/B.cbz"), 3);
    d.QuitarMarcador("/x/a.cbz"); // kept, without a page, until it is written
    EXPECT_EQ(d.Marcadores[1].Marcador, "");
    EXPECT_EQ(d.BuscarMarcador("/x/c.cbz"), -1);
    EXPECT_EQ(d.BuscarMarcador(""), -1); // the resume record is no bookmark
}

TEST(ArchivoMarcadores, ReadingRulesAndQuotesThatSurvive)
{
    const QList<RegistroMarcador> leidos = marcadores::Leer(
        "\"C:\\comics\\a.cbr\",\"12\"\r\n"
        "  /x/b.cbz  ,  7 \r\n"
        "\"/x/un, \"\"raro\"\".cbz\",\"3\"\n"
        "\r\n"
        "\"/x/ñ.cbz\",\"\"\r\n");
    ASSERT_EQ(leidos.size(), 4);
    EXPECT_EQ(leidos[0].Ruta, "C:\\comics\\a.cbr");
    EXPECT_EQ(leidos[0].Marcador, "12");
    EXPECT_EQ(leidos[1].Ruta, "/x/b.cbz");
    EXPECT_EQ(leidos[1].Marcador, "7");
    EXPECT_EQ(leidos[2].Ruta, "/x/un, \"raro\".cbz");
    EXPECT_EQ(leidos[3].Ruta, "/x/ñ.cbz");

    const QList<RegistroMarcador> escribir{{"C:\\comics\\a.cbr", "12"}, {"/x/un, \"raro\".cbz", "3"}, {"/x/quitado.cbz", ""}};
    const QByteArray texto = marcadores::Escribir(escribir);
    EXPECT_EQ(texto, "\"C:\\comics\\a.cbr\",\"12\"\r\n\"/x/un, \"\"raro\"\".cbz\",\"3\"\r\n");
    const QList<RegistroMarcador> vuelta = marcadores::Leer(texto);
    ASSERT_EQ(vuelta.size(), 2);
    EXPECT_EQ(vuelta[1].Ruta, escribir[1].Ruta);
}

TEST_F(Documentos, RealComicsListAndReadEveryPage)
{
    const QString fixtures = prueba::CarpetaFixtures();
    if (fixtures.isEmpty())
        GTEST_SKIP() << "no shared archive fixtures in this checkout";
    struct Caso {
        const char *archivo;
        int paginas;
    };
    for (const Caso &c : {Caso{"komga/rar4.rar", 3}, Caso{"komga/rar4-solid.rar", 3}, Caso{"komga/rar5-solid.rar", 3},
                          Caso{"komga/zip.zip", 1}, Caso{"comicbox/Captain Science #001-cbi.cbr", 5},
                          Caso{"comicbox/Captain Science #001.cbz", 5}}) {
        d.Abrir(fixtures + '/' + c.archivo);
        ASSERT_EQ(d.NumeroPaginas(), c.paginas) << c.archivo;
        for (int p = 1; p <= c.paginas; ++p)
            EXPECT_NE(Leida(p), -1) << c.archivo << " page " << p;
    }
    // Captain Science: the pages sit in an inner folder.
    EXPECT_EQ(Paginas().value(0), "Captain Science 001/CaptainScience#1_01.jpg");
}

TEST_F(Documentos, TheViewTurnsPagesWithoutAWindow)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), prueba::PaginasNumeradas(5, [](int i) { return Pagina(i); })));
    d.Abrir(Ruta("c.cbz"));
    EstadoVista v(d);
    v.PonerVentana({800 * 15, 600 * 15}, 1.0 / 15);
    int dibujos = 0;
    QObject::connect(&v, &EstadoVista::DibujoPedido, [&] { ++dibujos; });
    v.IrAPagina(5);
    EXPECT_EQ(NumeroDe(v.Imagen), 5);
    EXPECT_EQ(v.Imagen.Tag, "5");
    v.PasarPagina(true, false); // after the last page comes the first
    EXPECT_EQ(v.PaginaActual, 1);
    v.PasarPagina(false, false);
    EXPECT_EQ(v.PaginaActual, 5);
    v.PasarPagina(true, true); // Shift: the first page
    EXPECT_EQ(NumeroDe(v.Imagen), 1);
    EXPECT_GT(dibujos, 0);
    // Two pages: the spread leaves the page on its second half, and turning
    // back first undoes that page.
    v.ModoAjuste = diseno::Modo::DosPaginas;
    v.IrAPagina(2);
    EXPECT_EQ(v.PaginaActual, 3);
    EXPECT_EQ(NumeroDe(v.Imagen2), 3);
    v.PasarPagina(false, false);
    EXPECT_EQ(NumeroDe(v.Imagen), 1);
}
