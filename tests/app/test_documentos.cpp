// Opening documents and showing their pages on a real window (offscreen),
// over archives and folders the tests make.
#include "PruebaForm1.h"
#include "viewer/Configuracion.h"
#include "viewer/modIni.h"

#include <QDialog>
#include <QGuiApplication>
#include <QElapsedTimer>

namespace {

using prueba::NumeroDe;

QByteArray Pagina(int n, const char *formato = "JPG")
{
    return prueba::PaginaMarcada(n, formato);
}

class Documentos : public prueba::PruebaForm1 {
protected:
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    void Escribir(const QString &n, const QByteArray &datos) const { prueba::EscribirBytes(Ruta(n), datos); }
    QStringList Paginas() const { return f->Doc().Paginas.mid(1); }
    bool Soltar(const QString &ruta) { return prueba::Soltar(f.get(), {ruta}); }
};

} // namespace

TEST_F(Documentos, AComicOpensAtItsFirstPageWithItsName)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), {{"p10.jpg", Pagina(10)}, {"p2.jpg", Pagina(2)},
                                                    {"img/P1.JPG", Pagina(1)}}));
    AbrirListado(Ruta("c.cbz"));
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
    EXPECT_EQ(f->LBPag->text(), "1/3");
    EXPECT_EQ(Vista().UltimoMensaje(), "c.cbz");
}

TEST_F(Documentos, MisnamedComicsAreRepairedBothWays)
{
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("rar.cbz"), {{"p1.jpg", Pagina(1)}, {"p2.jpg", Pagina(2)}}));
    AbrirListado(Ruta("rar.cbz"));
    EXPECT_FALSE(QFile::exists(Ruta("rar.cbz")));
    EXPECT_EQ(f->Doc().RutaActual, Ruta("rar.cbr"));
    EXPECT_EQ(Paginas().size(), 2);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
    EXPECT_EQ(Vista().UltimoMensaje(), "The error was repaired automatically");

    ASSERT_TRUE(prueba::EscribirZip(Ruta("zip.cbr"), {{"p3.jpg", Pagina(3)}}));
    AbrirListado(Ruta("zip.cbr"));
    EXPECT_EQ(f->Doc().RutaActual, Ruta("zip.cbz"));
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 3);
    EXPECT_EQ(Vista().UltimoMensaje(), "The error was repaired automatically");

    // Not an archive at all: the file left where it is.
    Escribir("texto.cbz", "not an archive");
    AbrirListado(Ruta("texto.cbz"));
    EXPECT_TRUE(QFile::exists(Ruta("texto.cbz")));
    // A repair never replaces a file that already has the new name: the
    // archive is read where it is, by its content, and nothing more is said.
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("dos.cbz"), {{"p1.jpg", Pagina(1)}}));
    Escribir("dos.cbr", "keep me");
    AbrirListado(Ruta("dos.cbz"));
    EXPECT_EQ(f->Doc().RutaActual, Ruta("dos.cbz"));
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
    EXPECT_EQ(f->LBPag->text(), "1/1");
    EXPECT_EQ(Vista().UltimoMensaje(), "dos.cbz");
    EXPECT_EQ(prueba::LeerBytes(Ruta("dos.cbr")), "keep me");
}

TEST_F(Documentos, ABrokenPageShowsTheLoadingErrorAndReadingGoesOn)
{
    QByteArray cortada = Pagina(2);
    cortada.truncate(cortada.size() / 3);
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), {{"p1.jpg", Pagina(1)}, {"p2.jpg", "not a picture"},
                                                    {"p3.png", cortada}, {"p4.jpg", Pagina(4)}}));
    AbrirListado(Ruta("c.cbz"));
    for (int p : {2, 3}) {
        Vista().IrAPagina(p);
        EXPECT_EQ(Vista().UltimoMensaje(), QString("Loading error\nThis page cannot be shown: c.cbz (p%1.%2)")
                                                  .arg(p).arg(p == 2 ? "jpg" : "png")) << p;
        EXPECT_TRUE(Vista().Imagen().Picture.isNull()) << p;
        EXPECT_EQ(f->LBPag->text(), QString("%1/4").arg(p));
        EXPECT_TRUE(Vista().PaginaCargada());
    }
    Vista().IrAPagina(4);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 4);
    // Out of range: nothing happens.
    Vista().IrAPagina(9);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 4);
}

TEST_F(Documentos, AFailedOpenLeavesTheViewerAsItWas)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), prueba::PaginasNumeradas(3, [](int i) { return Pagina(i); })));
    ASSERT_TRUE(prueba::EscribirZip(Ruta("b.cbz"), {{"readme.txt", "x"}}));
    Escribir("notacomic.cbz", "not an archive");
    Escribir("vacio.cbz", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    QDir().mkpath(Ruta("vacia"));
    Escribir("mac/._a.jpg", Pagina(1));
    const QString fixtures = prueba::CarpetaFixtures();
    const QString cifrado = fixtures + "/libarchive/test_read_format_rar5_encrypted_filenames.rar";
    AbrirListado(Ruta("c.cbz"));
    Vista().IrAPagina(2);
    auto &dialogos = DialogosDePrueba::Actuales();
    using Abrir = std::function<void(const QString &)>;
    const Abrir entregado = [&](const QString &r) { f->AbrirEntregado(r); };
    const Abrir soltado = [&](const QString &r) { EXPECT_TRUE(Soltar(r)); };
    const Abrir elegido = [&](const QString &r) {
        dialogos.respuestasTexto = {r};
        f->Ejecutar("AbrirArchivo");
    };
    const struct {
        Abrir abrir;
        QString ruta, motivo;
    } casos[] = {{entregado, Ruta("notacomic.cbz"), "Not a comic or a picture: notacomic.cbz"},
                 {soltado, Ruta("vacio.cbz"), "The file is empty: vacio.cbz"},
                 {elegido, Ruta("b.cbz"), "No page in it is a picture: b.cbz"},
                 {entregado, Ruta("vacia"), "No page in it is a picture: vacia"},
                 {elegido, Ruta("mac/._a.jpg"), "No page in it is a picture: ._a.jpg"},
                 {soltado, fixtures.isEmpty() ? Ruta("notacomic.cbz") : cifrado,
                  fixtures.isEmpty() ? "Not a comic or a picture: notacomic.cbz"
                                     : "This archive is encrypted and cannot be opened: "
                                       "test_read_format_rar5_encrypted_filenames.rar"}};
    for (const auto &c : casos) {
        c.abrir(c.ruta);
        EXPECT_EQ(Vista().UltimoMensaje(), "Loading error\n" + c.motivo);
        EXPECT_EQ(f->Doc().RutaActual, Ruta("c.cbz")) << c.ruta;
        EXPECT_EQ(Vista().PaginaActual(), 2) << c.ruta;
        EXPECT_EQ(NumeroDe(Vista().Imagen()), 2) << c.ruta;
        EXPECT_EQ(f->LBPag->text(), "2/3") << c.ruta;
        EXPECT_FALSE(f->LBAbriendo->isVisible()) << c.ruta;
        // Every command still works: a key turns the page, the wheel back.
        f->Form_KeyUp(' ', 0);
        EXPECT_EQ(NumeroDe(Vista().Imagen()), 3) << c.ruta;
        f->Ejecutar("RuedaArriba");
        EXPECT_EQ(NumeroDe(Vista().Imagen()), 2) << c.ruta;
    }
    f->Ordenes().Salir();
    const QString ini = configuracion::RutaIni();
    EXPECT_EQ(modIni::LeerIni(ini, "Ultimo", "Ruta", ""), Ruta("c.cbz"));
    EXPECT_EQ(modIni::LeerIni(ini, "Ultimo", "Marcador", ""), "2");

    // A first start on such a file: the message stays until the next
    // input, and the last document stays the one to resume at its page.
    Form1 g('"' + Ruta("notacomic.cbz") + '"');
    g.resize(800, 600);
    g.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.LBInfo->isVisible(); }));
    EXPECT_EQ(g.Vista().UltimoMensaje(), "Loading error\nNot a comic or a picture: notacomic.cbz");
    for (int s = 0; s < 10; ++s)
        g.tmrInfo_Timer();
    EXPECT_TRUE(g.LBInfo->isVisible());
    QTest::keyClick(&g, Qt::Key_Shift);
    EXPECT_FALSE(g.LBInfo->isVisible());
    g.Ordenes().Salir();
    EXPECT_EQ(modIni::LeerIni(ini, "Ultimo", "Ruta", ""), Ruta("c.cbz"));
    EXPECT_EQ(modIni::LeerIni(ini, "Ultimo", "Marcador", ""), "2");
    QFile::remove(ini); // the next window starts without settings
}

TEST_F(Documentos, AFolderOpensAsItsPictures)
{
    Escribir("pics/b.jpg", Pagina(2));
    Escribir("pics/a.jpg", Pagina(1));
    Escribir("pics/sub.cbz/c.jpg", Pagina(3)); // a folder whatever its name
    f->Ordenes().AbrirDocumentoInicial('"' + Ruta("pics") + '"');
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(Paginas(), QStringList({"a.jpg", "b.jpg"}));
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
    EXPECT_EQ(f->Doc().RutaActual, Ruta("pics/"));
    EXPECT_EQ(Vista().UltimoMensaje(), Ruta("pics/"));
    AbrirListado(Ruta("pics/sub.cbz"));
    EXPECT_EQ(Paginas(), QStringList({"c.jpg"}));
    EXPECT_FALSE(f->Doc().EsComprimido);
}

TEST_F(Documentos, AnUnreadableFirstPageKeepsTheLoadingError)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("cerrado.cbz"), {{"p1.jpg", Pagina(1)}}, "aes256", "clave"));
    AbrirListado(Ruta("cerrado.cbz")); // the password is asked and not given
    EXPECT_TRUE(Vista().Imagen().Picture.isNull());
    EXPECT_EQ(f->LBPag->text(), "1/1");
    const QString sinClave = "Loading error\nThis page is protected by a password: cerrado.cbz (p1.jpg)";
    EXPECT_EQ(Vista().UltimoMensaje(), sinClave);
    // As the resume document at start: no "last opened file" over it.
    f->Doc().Marcadores[0] = {Ruta("cerrado.cbz"), "1"};
    EXPECT_TRUE(f->Ordenes().AbrirUltimo(true));
    EXPECT_EQ(Vista().UltimoMensaje(), sinClave);
    // Nor over a resume document that cannot be opened.
    f->Doc().Marcadores[0] = {Ruta("cerrado.cbr"), "1"};
    Escribir("cerrado.cbr", "x");
    EXPECT_TRUE(f->Ordenes().AbrirUltimo(true));
    EXPECT_EQ(Vista().UltimoMensaje(), "Loading error\nNot a comic or a picture: cerrado.cbr");
    // A RAR 5 comic whose page data is encrypted.
    const QString fixtures = prueba::CarpetaFixtures();
    if (fixtures.isEmpty())
        GTEST_SKIP() << "no archive fixtures";
    ASSERT_TRUE(QFile::copy(fixtures + "/sharpcompress/Rar5.encrypted_filesOnly.rar", Ruta("rar5.cbr")));
    AbrirListado(Ruta("rar5.cbr"));
    EXPECT_TRUE(Vista().UltimoMensaje().startsWith(
        "Loading error\nThis archive is encrypted and cannot be opened: rar5.cbr ("));
    EXPECT_EQ(f->LBPag->text(), "1/1");
}

TEST_F(Documentos, NextAndPreviousComicWrapAround)
{
    // (Which comic is the neighbour, of what kind: the document's tests.)
    QDir().mkpath(Ruta("serie"));
    for (const char *n : {"a.cbz", "b.cbz", "c.zip"})
        ASSERT_TRUE(prueba::EscribirZip(Ruta(QString("serie/") + n), {{"p.jpg", Pagina(n[0] - 'a' + 1)}}));
    AbrirListado(Ruta("serie/c.zip"));
    f->Ordenes().SiguienteComic(1);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
    EXPECT_EQ(f->Doc().NombreActual, "a.cbz");
    f->Ordenes().SiguienteComic(-1);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 3);
    EXPECT_EQ(f->Doc().NombreActual, "c.zip");

    // Alone in its folder: nothing happens.
    QDir().mkpath(Ruta("solo"));
    ASSERT_TRUE(prueba::EscribirZip(Ruta("solo/x.cbz"), {{"p.jpg", Pagina(7)}}));
    AbrirListado(Ruta("solo/x.cbz"));
    f->Ordenes().SiguienteComic(1);
    EXPECT_EQ(f->Doc().NombreActual, "x.cbz");
}

TEST_F(Documentos, ReopeningAtAPageAndStaleRecords)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), prueba::PaginasNumeradas(5, [](int i) { return Pagina(i); })));
    EXPECT_TRUE(f->bAbrirMarcador(Ruta("c.cbz"), 4));
    EXPECT_EQ(Vista().PaginaActual(), 4);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 4);
    // A page the document no longer has opens it at page 1.
    EXPECT_TRUE(f->bAbrirMarcador(Ruta("c.cbz"), 12));
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
    EXPECT_FALSE(f->bAbrirMarcador(Ruta("gone.cbz"), 2));

    // The resume record at start.
    f->Doc().Marcadores[0] = {Ruta("c.cbz"), "3"};
    EXPECT_TRUE(f->Ordenes().AbrirUltimo(true));
    EXPECT_EQ(Vista().PaginaActual(), 3);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 3);
    EXPECT_EQ(Vista().UltimoMensaje(), "The last opened file was loaded");
}

TEST_F(Documentos, TheOpenDialogAndItsCancel)
{
    auto &d = DialogosDePrueba::Actuales();
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), {{"p.jpg", Pagina(5)}}));
    // No document yet: the folder that holds the home folder.
    d.respuestasTexto = {""};
    AbrirListado(QString());
    ASSERT_EQ(d.llamadas.size(), 1);
    EXPECT_TRUE(d.llamadas[0].startsWith("DialogoAbrir:" + modGeneral::CarpetaDeRuta(QDir::homePath()) + "|"));
    EXPECT_TRUE(d.llamadas[0].contains("*.webp")) << d.llamadas[0].toStdString(); // the filter made whole
    EXPECT_EQ(f->Doc().RutaActual, ""); // restored on cancel
    EXPECT_FALSE(f->LBAbriendo->isVisible());

    d.respuestasTexto = {Ruta("c.cbz")};
    AbrirListado(QString());
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 5);
    d.llamadas.clear();
    d.respuestasTexto = {""};
    AbrirListado(QString());
    EXPECT_TRUE(d.llamadas.value(0).startsWith("DialogoAbrir:" + tmp.path() + "/|"));
    EXPECT_EQ(f->Doc().RutaActual, Ruta("c.cbz"));
}

TEST_F(Documentos, DropsFromTheDesktop)
{
    const QString carpeta = Ruta("drop/");
    Escribir("drop/a.png", Pagina(6, "PNG"));
    Escribir("drop/notes.txt", "x");
    f->setAcceptDrops(true);
    EXPECT_FALSE(Soltar(carpeta + "notes.txt"));
    EXPECT_TRUE(Soltar(carpeta + "a.png"));
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 6);
    Escribir("otra/b.jpg", Pagina(7));
    EXPECT_TRUE(Soltar(Ruta("otra"))); // a folder: its pictures
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 7);
    EXPECT_EQ(f->Doc().RutaActual, Ruta("otra/"));
}

TEST_F(Documentos, WhileAHandedOverPageIsMadeTheHelpOpensAtOnce)
{
    AbrirComic(2, [](int i) { return Pagina(i); });
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    QImage grande(9000, 9000, QImage::Format_Grayscale8);
    grande.fill(90);
    ASSERT_TRUE(prueba::EscribirZip(Ruta("grande.cbz"), {{"p1.png", prueba::Codificar(grande, "PNG", -1)}}));
    f->AbrirEntregado(Ruta("grande.cbz"));
    Listado();
    // The page is on its way; the one before stays on the screen meanwhile.
    EXPECT_FALSE(f->Vista().PaginaCargada());
    EXPECT_EQ(NumeroDe(f->Vista().Imagen()), 1);
    auto &dialogos = DialogosDePrueba::Actuales();
    QElapsedTimer reloj;
    qint64 tardo = -1;
    dialogos.alMostrarModal = {[&](QDialog &v) {
        tardo = reloj.elapsed();
        EXPECT_FALSE(f->Vista().PaginaCargada()); // still being made
        // A click on the main window beside it closes it.
        const QPoint fuera(v.geometry().left() - 5, v.geometry().top() - 5);
        QCursor::setPos(fuera);
        QTest::mousePress(f->windowHandle(), Qt::LeftButton, {}, f->mapFromGlobal(fuera));
        QTest::qWait(50);
        QTest::mouseRelease(f->windowHandle(), Qt::LeftButton, {}, f->mapFromGlobal(fuera));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !v.isVisible(); }, 2000));
        return v.result();
    }};
    reloj.start();
    QTest::keyClick(f.get(), Qt::Key_F1);
    EXPECT_TRUE(tardo >= 0 && tardo < 200) << tardo; // it opened at once
    // The busy pointer while the page is still being made, and not after.
    const auto ocupado = [] { return QGuiApplication::overrideCursor() != nullptr; };
    QTest::qWait(150);
    EXPECT_TRUE(f->Vista().PaginaCargada() || ocupado());
    EXPECT_EQ(TamanoNatural(Vista().Imagen()), QSize(9000, 9000));
    EXPECT_FALSE(ocupado());
}
