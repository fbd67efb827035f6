// The document without any window: page lists of every kind of document
// and why one has none, the page source (passwords, encrypted RAR, reading
// in one pass), the folder around it, bookmarks, and the view that walks
// its pages.
#include "Constructores.h"
#include "DialogosDePrueba.h"
#include "FuentesDePrueba.h"
#include "documento/ArchivoMarcadores.h"
#include "documento/Documento.h"
#include "documento/FuentePaginas.h"
#include "documento/MemoriaComics.h"
#include "documento/Paginas.h"
#include "imaging/DocumentoPdf.h"
#include "imaging/modPNG.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/EstadoVista.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <string>

using prueba::EntradaNueva;

namespace {

using prueba::NumeroDe;

QByteArray Pagina(int n, const char *formato = "JPG")
{
    return prueba::PaginaMarcada(n, formato);
}

class Documentos : public ::testing::Test {
protected:
    void SetUp() override { modIdioma::Idioma = "ing"; }
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    void Escribir(const QString &n, const QByteArray &datos) const { prueba::EscribirBytes(Ruta(n), datos); }
    QStringList Paginas() const { return d.Paginas.mid(1); }
    // The page as the pipeline prepares it for a window of 800 x 600.
    int Leida(int pagina)
    {
        PedidoPagina p;
        p.Pagina = int(pagina);
        p.Ventana = {800 * 15, 600 * 15};
        const auto e = d.Preparador().Obtener(p);
        return e && e->Lista() ? NumeroDe(e->Imagen) : -1;
    }
    // Until the page the view asked for is on its way no longer.
    static void Esperar(const EstadoVista &v)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return v.PaginaCargada(); }, 30000));
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
        EXPECT_FALSE(EsPagina("__macosx/01.jpg", clase));
        EXPECT_FALSE(EsPagina("img/._01.jpg", clase));
        EXPECT_TRUE(EsPagina("img/_01.jpg", clase));
        EXPECT_TRUE(EsPagina("MACOSX/01.jpg", clase));
    }
    EXPECT_EQ(ClaseDe("CBZ"), ClaseDocumento::Zip);
    EXPECT_EQ(ClaseDe("RAR"), ClaseDocumento::Rar);
    EXPECT_EQ(ClaseDe("JPEG"), ClaseDocumento::Imagenes);
    QStringList n{"b.jpg", "A.jpg", "a.jpg", "10.jpg", "9.jpg"};
    Ordenar(n);
    EXPECT_EQ(n, QStringList({"10.jpg", "9.jpg", "A.jpg", "a.jpg", "b.jpg"}));
    EXPECT_EQ(FiltroAbrir("All |*.bmp;*.jpg;*.gif|Graphic|*.jpg|"),
              "All |*.bmp;*.jpg;*.jpeg;*.webp;*.avif;*.jxl;*.gif|Graphic|*.jpg;*.jpeg;*.webp;*.avif;*.jxl|");
    EXPECT_EQ(FiltroAbrir("C|*.cbz;*.zip|"), "C|*.cbz;*.cb7;*.cbt;*.pdf;*.zip;*.7z;*.tar|");
    EXPECT_EQ(ClaseDe("CBT"), ClaseDocumento::Libre);
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
        EXPECT_EQ(a.Razon, Motivo::Ninguno);
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

TEST_F(Documentos, AnOpeningThatFindsNoPageSaysWhy)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("texto.cbz"), {{"readme.txt", "x"}}));
    ASSERT_TRUE(prueba::EscribirZip(Ruta("entero.cbz"), prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); })));
    Escribir("cortado.cbz", prueba::LeerBytes(Ruta("entero.cbz")).left(200));
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("entero.cbr"), prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); })));
    Escribir("cortado.cbr", prueba::LeerBytes(Ruta("entero.cbr")).left(40)); // inside the first header
    Escribir("vacio.cbz", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')); // the end record alone
    Escribir("cero.cbr", {});
    Escribir("nada.cbz", "not an archive");
    Escribir("nada/leeme.txt", "x");
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("rar.cbz"), {{"p1.jpg", Pagina(1)}}));
    struct Caso {
        QString ruta;
        Motivo razon;
        bool sinEntradas;
    };
    const QString f = prueba::CarpetaFixtures();
    std::vector<Caso> casos{{"texto.cbz", Motivo::SinPaginas, false}, {"cortado.cbz", Motivo::Roto, true},
                            {"cortado.cbr", Motivo::Roto, true},      {"vacio.cbz", Motivo::Vacio, true},
                            {"cero.cbr", Motivo::Vacio, true},         {"nada.cbz", Motivo::NoEsComic, true},
                            {"falta.cbz", Motivo::NoEsta, true},       {"nada/leeme.txt", Motivo::SinPaginas, false},
                            {"rar.cbz", Motivo::NoEsComic, true}}; // read as its name says: repaired by the viewer
    if (!f.isEmpty())
        casos.insert(casos.end(), {{f + "/kavita/winrar.rar", Motivo::Vacio, true},
                                   {f + "/libarchive/test_read_format_rar4_encrypted_filenames.rar", Motivo::CifradoRar, true},
                                   {f + "/sharpcompress/Rar5.encrypted_filesAndHeader.rar", Motivo::CifradoRar, true}});
    for (const Caso &c : casos) {
        const QString ruta = c.ruta.startsWith('/') ? c.ruta : Ruta(c.ruta);
        const Documento::Apertura a = d.Abrir(ruta);
        EXPECT_EQ(a.Razon, c.razon) << c.ruta;
        EXPECT_EQ(a.SinEntradas, c.sinEntradas) << c.ruta;
        EXPECT_FALSE(d.HayDocumento()) << c.ruta;
    }
    // Every reason has a text of its own that names the file, in every language.
    for (int m = int(Motivo::NoEsta); m <= int(Motivo::DemasiadoGrande); ++m)
        for (const QString &idioma : modIdioma::CodigosIdioma())
            EXPECT_TRUE(modIdioma::TextoIdioma(idioma, MensajeDe(Motivo(m))).contains("%1")) << m << idioma;
    EXPECT_EQ(TextoDe(ErrorLectura(Motivo::Roto, Ruta("cortado.cbz"))), "The file is damaged: cortado.cbz");

    EXPECT_EQ(ExtensionSegunContenido(Ruta("nada.cbz"), "CBZ"), "");
    ASSERT_TRUE(prueba::EscribirZip(Ruta("zip.cbr"), {{"p1.jpg", Pagina(1)}}));
    EXPECT_EQ(ExtensionSegunContenido(Ruta("rar.cbz"), "CBZ"), "cbr");
    EXPECT_EQ(ExtensionSegunContenido(Ruta("zip.cbr"), "CBR"), "cbz");
    EXPECT_EQ(ExtensionSegunContenido(Ruta("zip.cbr"), "CBZ"), "");
}

TEST_F(Documentos, SevenZipAndTarComicsOpenByNameOrByContentAndUnpackEachPageOnce)
{
    const auto entradas = prueba::PaginasNumeradas(6, [](int i) { return Pagina(i); });
    ASSERT_TRUE(prueba::Escribir7z(Ruta("s.cb7"), entradas)); // solid
    ASSERT_TRUE(prueba::EscribirTar(Ruta("t.cbt"), entradas, "bsdtar"));
    ASSERT_TRUE(prueba::Escribir7z(Ruta("siete.cbz"), entradas));
    ASSERT_TRUE(prueba::EscribirTar(Ruta("tar.cbr"), entradas));
    Escribir("cortado.cb7", prueba::LeerBytes(Ruta("s.cb7")).chopped(60));
    for (const char *n : {"s.cb7", "t.cbt"}) {
        ASSERT_EQ(d.Abrir(Ruta(n)).Razon, Motivo::Ninguno) << n;
        ASSERT_EQ(d.NumeroPaginas(), 6) << n;
        EXPECT_EQ(d.FileList, QStringList({"cortado.cb7", "s.cb7", "siete.cbz", "t.cbt", "tar.cbr"}));
        // The pass that reached the last page kept the ones before it.
        EXPECT_EQ(Leida(6), 6) << n;
        ASSERT_TRUE(QFile::rename(Ruta(n), Ruta("fuera")));
        for (int p = 1; p <= 5; ++p)
            EXPECT_EQ(Leida(p), p) << n;
        ASSERT_TRUE(QFile::rename(Ruta("fuera"), Ruta(n)));
    }
    EXPECT_EQ(d.Abrir(Ruta("cortado.cb7")).Razon, Motivo::Roto);
    // Over its budget a pass keeps nothing: pages asked in order come from
    // the one pass going on (the file replaced under it stays open), a page
    // behind it starts a new pass.
    const auto fuente = FuentePaginas::Para(Ruta("s.cb7"), "CB7", 0);
    const QStringList nombres = fuente->Listar().Paginas;
    QByteArray b;
    ASSERT_EQ(fuente->Leer(nombres[0], b), Motivo::Ninguno);
    ASSERT_TRUE(prueba::Escribir7z(Ruta("otro.cb7"), prueba::PaginasNumeradas(6, [](int i) { return Pagina(10 + i); })));
    ASSERT_TRUE(QFile::remove(Ruta("s.cb7")) && QFile::rename(Ruta("otro.cb7"), Ruta("s.cb7")));
    for (int p : {2, 4, 6, 1}) {
        ASSERT_EQ(fuente->Leer(nombres[p - 1], b), Motivo::Ninguno) << p;
        EXPECT_EQ(b, p == 1 ? Pagina(11) : entradas[std::size_t(p - 1)].Datos) << p;
    }
    for (const auto &[n, ext] : {std::pair{"siete.cbz", "cb7"}, std::pair{"tar.cbr", "cbt"}}) {
        EXPECT_EQ(d.Abrir(Ruta(n)).Razon, Motivo::NoEsComic) << n;
        EXPECT_EQ(ExtensionSegunContenido(Ruta(n), modGeneral::ExtensionDeRuta(n).toUpper()), ext);
        EXPECT_EQ(d.Abrir(Ruta(n), ext).Razon, Motivo::Ninguno) << n;
        EXPECT_EQ(Leida(3), 3) << n;
    }
}

TEST_F(Documentos, PdfPagesAreDrawnAtTheLayoutSize)
{
    const std::vector<prueba::PaginaPdf> paginas{
        {QSizeF(400, 600), QColor(200, 40, 40)}, {QSizeF(600, 400), QColor(0, 0, 250)}, {QSizeF(2000, 30000), Qt::green}};
    ASSERT_TRUE(prueba::EscribirPdf(Ruta("c.pdf"), paginas));
    Escribir("roto.pdf", prueba::LeerBytes(Ruta("c.pdf")).left(400));
    EXPECT_EQ(d.Abrir(Ruta("roto.pdf")).Razon, Motivo::Roto);
    ASSERT_EQ(d.Abrir(Ruta("c.pdf")).Razon, Motivo::Ninguno);
    ASSERT_EQ(Paginas(), QStringList({"1.pdf", "2.pdf", "3.pdf"}));
    PedidoPagina p;
    p.Ventana = {800 * 15, 600 * 15};
    for (int i = 1; i <= 3; ++i) {
        p.Pagina = i;
        const auto e = d.Preparador().Obtener(p);
        ASSERT_TRUE(e && e->Lista()) << i;
        const QImage &dibujo = e->Imagen.Picture;
        // Drawn at the size shown, from the page's own size at 150 dpi.
        EXPECT_EQ(e->Imagen.Natural, pdf::TamanoNatural(paginas[std::size_t(i - 1)].Puntos));
        EXPECT_EQ(dibujo.size(), TamanoMostrado(p, e->Imagen.Natural)) << i;
        EXPECT_TRUE(prueba::Cerca(dibujo.pixel(dibujo.width() / 2, dibujo.height() / 2),
                                  paginas[std::size_t(i - 1)].Color)) << i;
    }
    // Whole, the tall page is drawn reduced within the picture limit.
    ControlImagen c = d.Preparador().Obtener(p)->Imagen;
    ASSERT_TRUE(modPNG::Completar(c));
    EXPECT_LE(c.Picture.sizeInBytes(), modPNG::BytesMaximosPicture);
    EXPECT_NEAR(double(c.Picture.height()) / c.Picture.width(), 15.0, 0.1);
}

TEST_F(Documentos, ACandidateThatFailsLeavesTheOpenDocumentAsItWas)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("a.cbz"), prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); })));
    ASSERT_TRUE(prueba::EscribirZip(Ruta("b.cbz"), prueba::PaginasNumeradas(2, [](int i) { return Pagina(i + 10); })));
    Escribir("roto.cbz", "not a comic");
    d.Abrir(Ruta("a.cbz"));
    const auto fuente = d.Fuente();
    QSignalSpy abiertos(&d, &Documento::Abierto);

    // Listed on the pool, handed over on this thread; a second request
    // drops the first.
    std::vector<Candidato> llegados;
    QObject::connect(&d, &Documento::ListadoHecho, [&](const Candidato &c) { llegados.push_back(c); });
    d.PedirListado(Ruta("b.cbz"));
    d.PedirListado(Ruta("roto.cbz"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !llegados.empty(); }));
    QTest::qWait(50);
    ASSERT_EQ(llegados.size(), 1u);
    const Documento::Apertura a = d.Adoptar(llegados.front());
    EXPECT_EQ(a.Razon, Motivo::NoEsComic);
    EXPECT_EQ(llegados.front().Por().Archivo, Ruta("roto.cbz"));
    EXPECT_EQ(d.RutaActual, Ruta("a.cbz"));
    EXPECT_EQ(d.NumeroPaginas(), 3);
    EXPECT_EQ(d.Fuente(), fuente);
    EXPECT_EQ(abiertos.count(), 0);
    EXPECT_EQ(Leida(3), 3); // its pages still come
}

TEST_F(Documentos, APasswordIsAskedOncePerDocumentAndKeptInMemoryOnly)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("k.cbz"), prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); }),
                                    "zipcrypt", "x"));
    auto &dialogos = DialogosDePrueba::Actuales();
    EstadoVista v(d);
    v.PonerVentana({800 * 15, 600 * 15}, 1.0 / 15);
    struct Caso {
        QStringList respuestas;
        QStringList preguntas; // by the texts asked
        int vista;             // the page shown last, -1 for none
    };
    for (const Caso &c : {Caso{{"x"}, {"Please Enter The Password!"}, 1},
                          Caso{{"mala", "x"}, {"Please Enter The Password!", "The password was wrong. Please enter it again:"}, 1},
                          // Cancelled: the loading error, and every page asks again.
                          Caso{{}, QStringList(5, "Please Enter The Password!"), -1}}) {
        d.Abrir(Ruta("k.cbz"));
        dialogos.llamadas.clear();
        dialogos.respuestasTexto = c.respuestas;
        // Forwards and back: only the first page asks.
        for (int pagina : {1, 2, 3, 2, 1})
            v.IrAPagina(pagina), Esperar(v);
        QStringList preguntas;
        for (const QString &l : dialogos.llamadas)
            preguntas << l.section(':', 1, -2);
        EXPECT_EQ(preguntas, c.preguntas);
        EXPECT_EQ(NumeroDe(v.Imagen()), c.vista);
        EXPECT_EQ(v.UltimoMensaje(), c.vista < 0 ? "Loading error\nThis page is protected by a password: k.cbz (p1.jpg)"
                                                 : QString());
    }
}

TEST_F(Documentos, RarEncryptionIsSaidPlainlyForEveryPage)
{
    const QString f = prueba::CarpetaFixtures();
    if (f.isEmpty())
        GTEST_SKIP() << "no shared archive fixtures in this checkout";
    for (const char *n : {"sharpcompress/Rar.encrypted_filesOnly.rar", "sharpcompress/Rar5.encrypted_filesOnly.rar"}) {
        d.Abrir(f + '/' + n);
        ASSERT_TRUE(d.HayDocumento()) << n; // its names are plain
        QByteArray datos;
        EXPECT_EQ(d.Fuente()->Leer(d.Paginas[1], datos), Motivo::CifradoRar) << n;
        d.PonerClave("test"); // even with the right one: no library here decrypts RAR
        EXPECT_EQ(d.Fuente()->Leer(d.Paginas[1], datos), Motivo::CifradoRar) << n;
    }
}

TEST_F(Documentos, CbrPagesAreReadWhereTheyAreWithoutWalkingFromTheStartOnEachPage)
{
    // Twelve pages of one size; a budget of three and a half of them.
    constexpr int Largo = 4000, N = 12;
    const auto entradas = prueba::PaginasNumeradas(N, [](int i) { return Pagina(i).leftJustified(Largo, '\0'); }, "jpg", 2);
    // A non-solid RAR 5 is read where its entries lie, with a CRC or without.
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("r4.cbr"), entradas));
    ASSERT_TRUE(prueba::EscribirRar5(Ruta("r5.cbr"), entradas));
    ASSERT_TRUE(prueba::EscribirRar5(Ruta("r5sincrc.cbr"), entradas, false, true));
    ASSERT_TRUE(prueba::EscribirRar5(Ruta("solido.cbr"), entradas, true, true));
    std::vector<int> idaYVuelta, vuelta{3, 2, 1, 4}; // 1 ... N, then N ... 1
    for (int i = 1; i <= 2 * N; ++i)
        idaYVuelta.push_back(i <= N ? i : 2 * N + 1 - i);
    struct Caso {
        const char *archivo;
        bool adelantar; // the background pass first
        const std::vector<int> &paginas;
        int aperturas;
    };
    // RAR 4 jumps back on a second pass; a solid archive unpacks once per
    // window of three pages kept going back, and its background pass stops at
    // the budget's end.
    for (const Caso &c : {Caso{"r4.cbr", false, idaYVuelta, 2}, Caso{"r5.cbr", true, idaYVuelta, 0},
                          Caso{"r5sincrc.cbr", false, idaYVuelta, 0},
                          Caso{"solido.cbr", false, idaYVuelta, 4}, Caso{"solido.cbr", true, vuelta, 1}}) {
        const auto f = FuentePaginas::Para(Ruta(c.archivo), "CBR", 3 * Largo + Largo / 2);
        ASSERT_EQ(f->Listar().Paginas.size(), N) << c.archivo;
        const std::atomic<bool> no{false};
        if (c.adelantar)
            f->Adelantar(no);
        for (int p : c.paginas) {
            QByteArray datos;
            EXPECT_EQ(f->Leer(entradas[std::size_t(p - 1)].Nombre, datos), Motivo::Ninguno) << c.archivo << " " << p;
            EXPECT_EQ(datos, entradas[std::size_t(p - 1)].Datos) << c.archivo << " " << p;
        }
        EXPECT_EQ(f->Aperturas(), c.aperturas) << c.archivo;
    }
    // Two workers at once, from both ends; a damaged page is said as such
    // and the others still read.
    for (const char *n : {"r4.cbr", "r5.cbr"}) {
        QByteArray danado = prueba::LeerBytes(Ruta(n));
        danado[danado.indexOf(entradas[4].Datos) + 200] ^= 1;
        Escribir(QString("danado-") + n, danado);
    }
    for (const char *n : {"r5sincrc.cbr", "solido.cbr", "danado-r4.cbr", "danado-r5.cbr"}) {
        const auto f = FuentePaginas::Para(Ruta(n), "CBR", 3 * Largo);
        f->Listar();
        std::atomic<int> mal{0};
        const auto leer = [&](int desde, int paso) {
            for (int p = desde; p >= 1 && p <= N; p += paso) {
                QByteArray datos;
                const bool roto = QString(n).startsWith("danado") && p == 5;
                mal += f->Leer(entradas[std::size_t(p - 1)].Nombre, datos) != (roto ? Motivo::Roto : Motivo::Ninguno)
                       || (!roto && datos != entradas[std::size_t(p - 1)].Datos);
            }
        };
        std::thread otro(leer, N, -1);
        leer(1, 1);
        otro.join();
        EXPECT_EQ(mal, 0) << n;
    }
}

// Their order and what a name given twice gets are the thumbnails' (Carga).
TEST_F(Documentos, APassOverManyPagesStopsAtTheNextEntryWhenCancelled)
{
    const auto entradas = prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); });
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), entradas));
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("c.cbr"), entradas));
    for (const auto &e : entradas)
        Escribir("pics/" + e.Nombre, e.Datos);
    for (const char *n : {"c.cbz", "c.cbr", "pics/p1.jpg"}) {
        const Candidato c = Documento::Listar(Ruta(n));
        std::atomic<bool> cancelar{false};
        int recibidas = 0;
        const auto recibir = [&](int, const QByteArray &) { cancelar = ++recibidas > 0; };
        c.Fuente->LeerVarias(c.Listado.Paginas, recibir, &cancelar);
        EXPECT_EQ(recibidas, 1) << n;
    }
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
    QStringList campos;
    for (const RegistroMarcador &r : leidos)
        campos << r.Ruta + '|' + r.Marcador;
    EXPECT_EQ(campos, QStringList({"C:\\comics\\a.cbr|12", "/x/b.cbz|7", "/x/un, \"raro\".cbz|3", "/x/ñ.cbz|"}));

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

TEST_F(Documentos, FortyThousandBookmarksSurviveASave)
{
    Escribir("c.cbz", "x");
    QList<RegistroMarcador> muchos;
    for (int i = 1; i <= 40000; ++i)
        muchos << RegistroMarcador{Ruta("c.cbz"), QString::number(i)};
    prueba::EscribirBytes(marcadores::RutaArchivo(), marcadores::Escribir(muchos));
    d.CargarMarcadores();
    ASSERT_TRUE(d.GuardarMarcadores());
    const QList<RegistroMarcador> leidos = marcadores::Leer(prueba::LeerBytes(marcadores::RutaArchivo()));
    QFile::remove(marcadores::RutaArchivo());
    ASSERT_EQ(leidos.size(), 40000);
    EXPECT_EQ(leidos.constLast().Marcador, "40000");
}

TEST_F(Documentos, AFolderPageThatCannotBeReadIsADamagedPage)
{
    for (const char *n : {"a.jpg", "b.jpg", "c.jpg"})
        Escribir(QString("pics/") + n, Pagina(1));
    ASSERT_TRUE(QFile::link("/proc/self/mem", Ruta("pics/d.jpg"))); // there, and any read of it fails
    d.Abrir(Ruta("pics/a.jpg"));
    ASSERT_EQ(d.NumeroPaginas(), 4);
    // After the listing: one grown past any page, one turned into a folder.
    ASSERT_TRUE(QFile(Ruta("pics/b.jpg")).resize(qint64(archivo::TamanoMaximoEntrada) + 1));
    ASSERT_TRUE(QFile::remove(Ruta("pics/c.jpg")) && QDir().mkpath(Ruta("pics/c.jpg")));
    QByteArray datos;
    const std::pair<const char *, Motivo> casos[] = {
        {"b.jpg", Motivo::DemasiadoGrande}, {"c.jpg", Motivo::Roto}, {"d.jpg", Motivo::Roto}, {"gone.jpg", Motivo::NoEsta}};
    for (const auto &[n, motivo] : casos) {
        EXPECT_EQ(d.Fuente()->Leer(n, datos), motivo) << n;
        EXPECT_TRUE(datos.isEmpty()) << n;
    }
    EXPECT_EQ(Leida(4), -1); // message 200, as for an archive's page
}

// Pages paired by shape (page 4 a double page): the same spreads both ways,
// a jump lands on the spread that holds the page, and right to left puts
// the lower page on the right; the two halves meet.
TEST_F(Documentos, TwoPagesPairedByShape)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), prueba::PaginasNumeradas(11, [](int i) {
        return prueba::PaginaNumero(i, QSize(100 + i, i == 4 ? 50 : 300)); // NumeroDe: the width
    }, "jpg", 2)));
    d.Abrir(Ruta("c.cbz"));
    EstadoVista v(d);
    v.PonerVentana({1600 * 15, 600 * 15}, 1.0 / 15);
    v.PonerEmparejar(true);
    v.PonerDosPaginas();
    // What the screen shows, left to right, and what the label says.
    auto pantalla = [&] {
        Esperar(v);
        const ControlImagen &a = v.Imagen(), &b = v.Imagen2();
        if (b.Picture.isNull())
            return QString::number(NumeroDe(a)) + '=' + v.RotuloPagina(v.PaginaActual());
        if (v.bEmparejar()) { // they meet at the spine
            EXPECT_EQ(std::min(a.Left, b.Left) + (a.Left < b.Left ? a.Width : b.Width), std::max(a.Left, b.Left));
        }
        const bool aPrimero = a.Left < b.Left;
        return QStringLiteral("%1|%2=").arg(NumeroDe(aPrimero ? a : b)).arg(NumeroDe(aPrimero ? b : a))
               + v.RotuloPagina(v.PaginaActual());
    };
    const QStringList adelante{"1=1", "2|3=2-3", "4=4", "5|6=5-6", "7|8=7-8", "9|10=9-10", "11=11", "1=1"};
    for (const QString &esperado : adelante) {
        EXPECT_EQ(pantalla(), esperado);
        v.PasarPagina(true, false);
    }
    v.PasarPagina(false, false); // from 2-3 back to the cover, then round to the end
    for (auto i = adelante.size() - 2; i > 0; --i) {
        v.PasarPagina(false, false);
        EXPECT_EQ(pantalla(), adelante[i]);
    }
    const std::pair<int, const char *> saltos[] = {{6, "5|6=5-6"}, {3, "2|3=2-3"}, {4, "4=4"}, {11, "11=11"}};
    for (const auto &[pagina, esperado] : saltos) {
        v.IrAPagina(pagina);
        EXPECT_EQ(pantalla(), esperado) << pagina;
    }
    v.IrAPagina(3);
    v.PonerDerechaAIzquierda(true);
    EXPECT_EQ(pantalla(), "3|2=2-3");
    v.PonerDesplazado(true); // 1, 2, 3, 4, 5-6 ...
    EXPECT_EQ(pantalla(), "2=2");
    v.PonerEmparejar(false); // pairs from the page asked for, right to left
    EXPECT_EQ(pantalla(), "3|2=3");
}

// The comics' memory: the most recent 5,000 kept, a comic known by name
// (any case) and size, the file written whole, a damaged one set aside.
TEST_F(Documentos, TheComicsMemory)
{
    const QString ruta = Ruta("comics.tvm");
    {
        MemoriaComics m(ruta);
        for (int i = 0; i < memoria::Limite; ++i)
            m.Poner({QStringLiteral("c%1.cbz").arg(i), i, i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0, i, 9000});
        m.Poner({"c0.cbz", 0, true, true, false, false, 37, 120}); // again: now the most recent
        m.Poner({"tab\there.cbz", 5, false, false, true, true, 0, 0}); // the oldest left, c1, goes
        ASSERT_TRUE(m.Guardar());
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"comics.tvm"}); // nothing left beside it
    }
    MemoriaComics leida(ruta);
    EXPECT_EQ(leida.Buscar("c1.cbz", 1), nullptr);
    EXPECT_EQ(leida.Buscar("c0.cbz", 1), nullptr); // another size: another comic
    ASSERT_NE(leida.Buscar("C0.CBZ", 0), nullptr);
    EXPECT_EQ(leida.Buscar("c0.cbz", 0)->Pagina, 37);
    ASSERT_NE(leida.Buscar("c4998.cbz", 4998), nullptr);
    EXPECT_EQ(*leida.Buscar("c4998.cbz", 4998), (RecuerdoComic{"c4998.cbz", 4998, true, true, false, true, 4998, 9000}));
    EXPECT_TRUE(leida.Buscar("tab\there.cbz", 5) && leida.Buscar("tab\there.cbz", 5)->Desplazado);
    EXPECT_TRUE(leida.Apartado().isEmpty());

    for (const QByteArray &danado : {QByteArray("garbage"), QByteArray("Tavelo comics 1\n12\t1\t0\n"),
                                    QByteArray("Tavelo comics 1\nx\t1\t0\t0\t0\t1\t2\tn.cbz\n")}) {
        prueba::EscribirBytes(ruta, danado);
        MemoriaComics m(ruta);
        EXPECT_EQ(m.Buscar("n.cbz", 12), nullptr);
        EXPECT_EQ(m.Apartado(), ruta + ".damaged");
        EXPECT_EQ(prueba::LeerBytes(m.Apartado()), danado);
        m.Poner({"n.cbz", 12, false, false, false, false, 0, 0});
        ASSERT_TRUE(m.Guardar());
        EXPECT_TRUE(MemoriaComics(ruta).Buscar("n.cbz", 12));
    }
}

TEST_F(Documentos, AFolderOfFortyThousandPicturesOpensPastPage32767)
{
    QDir().mkpath(Ruta("muchas"));
    for (int i = 1; i <= 40000; ++i) {
        const std::string nombre = Ruta(QString("muchas/p%1.jpg").arg(i, 5, 10, QChar('0'))).toStdString();
        // Two pages to show (marked 1 and 2); the others are listed by name only.
        const QByteArray pagina = i == 32768 ? Pagina(1) : i == 40000 ? Pagina(2) : QByteArray();
        ASSERT_TRUE(std::ofstream(nombre, std::ios::binary).write(pagina.constData(), pagina.size())) << i;
    }
    const Documento::Apertura a = d.Abrir(Ruta("muchas/p40000.jpg"));
    ASSERT_EQ(d.NumeroPaginas(), 40000);
    EXPECT_EQ(a.Inicial, 40000);
    EstadoVista v(d);
    v.PonerVentana({800 * 15, 600 * 15}, 1.0 / 15);
    for (int p : {40000, 32768}) {
        EXPECT_TRUE(v.IrAPagina(p));
        Esperar(v);
        EXPECT_EQ(v.PaginaActual(), p);
        EXPECT_EQ(NumeroDe(v.Imagen()), p == 32768 ? 1 : 2);
    }
}
