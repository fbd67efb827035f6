// The thumbnailer as a file manager runs it: a process given a comic, a size
// and an output path, on real archives and on hostile ones.
#include "Constructores.h"
#include "collection/Portada.h"
#include "documento/FuentePaginas.h"
#include "miniaturero/Miniaturero.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Corrida {
    QProcess::ExitStatus Estado = QProcess::CrashExit;
    int Codigo = -1;
};

Corrida Miniatura(const QStringList &argumentos)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(TAVELO_MINIATURA), argumentos);
    Corrida c;
    if (!p.waitForFinished(60000))
        return c;
    c.Estado = p.exitStatus();
    c.Codigo = p.exitCode();
    return c;
}

QStringList Archivos(const QString &carpeta)
{
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(Miniaturero, RealArchivesGiveTheCollectionsFrontPage)
{
    const QString fixtures = prueba::CarpetaFixtures();
    if (fixtures.isEmpty())
        GTEST_SKIP() << "no fixtures";
    QTemporaryDir t;
    // RAR 4, RAR 5 solid, ZIP, a comic from a real tagger.
    for (const QString f : {"komga/rar4.rar", "komga/rar5-solid.rar", "komga/zip.zip",
                            "comicbox/Captain Science #001.cbz"}) {
        const QString salida = t.filePath(QFileInfo(f).completeBaseName() + ".png");
        const Corrida c = Miniatura({"-s", "128", fixtures + "/" + f, salida});
        ASSERT_EQ(c.Estado, QProcess::NormalExit) << f;
        EXPECT_EQ(c.Codigo, 0) << f;
        const QImage hecha(salida, "PNG");
        ASSERT_FALSE(hecha.isNull()) << f;
        const auto esperada = portada::LeerPortada(fixtures + "/" + f, 128);
        ASSERT_TRUE(esperada) << f;
        EXPECT_EQ(hecha.size(), esperada->Imagen.size()) << f;
        EXPECT_LE(std::max(hecha.width(), hecha.height()), 128) << f;
        EXPECT_EQ(hecha.convertToFormat(QImage::Format_ARGB32), esperada->Imagen.convertToFormat(QImage::Format_ARGB32)) << f;
    }
    // Only the thumbnails: no temporary file left beside them.
    EXPECT_EQ(Archivos(t.path()).size(), 4);
}

TEST(Miniaturero, Cb7AndCbtOfTheRealToolsWithAvifAndJxlPages)
{
    QTemporaryDir t;
    QImage verde(300, 450, QImage::Format_RGB32);
    verde.fill(QColor(0, 200, 0));
    const std::vector<prueba::EntradaNueva> e{{"ComicInfo.xml", "<ComicInfo/>"},
                                              {"p10.jxl", prueba::CodificarJxl({verde}, true)},
                                              {"p1.avif", prueba::CodificarAvif({verde}, {})},
                                              {"p2.jpg", prueba::PaginaDeColor(Qt::red, {30, 40})}};
    ASSERT_TRUE(prueba::Escribir7z(t.filePath("c.cb7"), e));
    ASSERT_TRUE(prueba::EscribirTar(t.filePath("c.cbt"), e));
    for (const char *comic : {"c.cb7", "c.cbt"}) {
        EXPECT_EQ(portada::PaginasDeArchivo(t.filePath(comic)), QStringList({"p1.avif", "p10.jxl", "p2.jpg"}));
        ASSERT_EQ(Miniatura({"-s", "64", t.filePath(comic), t.filePath("m.png")}).Codigo, 0) << comic;
        const QImage m(t.filePath("m.png"));
        EXPECT_EQ(m.size(), QSize(43, 64)) << comic;
        EXPECT_GT(QColor(m.pixel(20, 30)).green(), 160) << comic;
    }
    // A picture alone, as the desktops' AVIF and JPEG XL files come.
    prueba::EscribirBytes(t.filePath("p.avif"), e[2].Datos);
    ASSERT_EQ(Miniatura({"-s", "90", t.filePath("p.avif"), t.filePath("m.png")}).Codigo, 0);
    EXPECT_EQ(QImage(t.filePath("m.png")).size(), QSize(60, 90));
}

TEST(Miniaturero, ASmallPageIsNeverEnlargedAndAnOldThumbnailIsReplacedWhole)
{
    QTemporaryDir t;
    const QString chico = t.filePath("chico.cbz");
    ASSERT_TRUE(prueba::EscribirZip(chico, {{"1.png", prueba::PaginaDeColor(QColor(0, 200, 0), {40, 30}, "PNG")}}));
    ASSERT_EQ(Miniatura({chico, t.filePath("b.png")}).Codigo, 0); // no size given: 256
    EXPECT_EQ(QImage(t.filePath("b.png")).size(), QSize(40, 30));
    ASSERT_EQ(Miniatura({"-s", "16", chico, t.filePath("b.png")}).Codigo, 0);
    EXPECT_EQ(QImage(t.filePath("b.png")).size(), QSize(16, 12));
}

TEST(Miniaturero, DamagedOrEmptyArchivesWriteNothingAndFail)
{
    QTemporaryDir t;
    const QString bueno = t.filePath("bueno.cbz");
    ASSERT_TRUE(prueba::EscribirZip(bueno, {{"01.jpg", prueba::PaginaNumero(1, {800, 1200})}}, {}, {}, false));
    const QByteArray datos = prueba::LeerBytes(bueno);
    // Cut in the middle of the page, and the page's bytes overwritten.
    auto escribir = [&](const QString &nombre, const QByteArray &b) {
        prueba::EscribirBytes(t.filePath(nombre), b);
        return t.filePath(nombre);
    };
    QByteArray mutilado = datos;
    for (qsizetype i = 100; i < mutilado.size() - 200; ++i)
        mutilado[i] = char(i * 7);
    const QString cbr = prueba::CarpetaFixtures().isEmpty() ? QString() : prueba::CarpetaFixtures() + "/comictagger/fake_cbr.cbr";
    QStringList casos{escribir("cortado.cbz", datos.left(datos.size() / 2)), escribir("roto.cbz", mutilado),
                      escribir("basura.cbr", QByteArray(5000, 'x')), t.filePath("no existe.cbz")};
    if (!cbr.isEmpty())
        casos << cbr; // its "pages" are two bytes each
    // A pipe named like a comic: never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.filePath("tuberia.cbz")).constData(), 0600), 0);
    casos << t.filePath("tuberia.cbz");
    const QStringList antes = Archivos(t.path());
    for (const QString &c : casos) {
        const Corrida r = Miniatura({"-s", "128", c, t.filePath("salida.png")});
        EXPECT_EQ(r.Estado, QProcess::NormalExit) << c;
        EXPECT_NE(r.Codigo, 0) << c;
        EXPECT_FALSE(QFileInfo::exists(t.filePath("salida.png"))) << c;
    }
    EXPECT_EQ(Archivos(t.path()), antes);
    // Bad command lines.
    EXPECT_NE(Miniatura({"-s", "0", bueno, t.filePath("salida.png")}).Codigo, 0);
    EXPECT_NE(Miniatura({"-s", "12x", bueno, t.filePath("salida.png")}).Codigo, 0);
    EXPECT_NE(Miniatura({bueno}).Codigo, 0);
    // An output folder that is not there.
    EXPECT_EQ(Miniatura({bueno, t.filePath("no/hay/salida.png")}).Codigo, 2);
    EXPECT_EQ(Archivos(t.path()), antes);
}

TEST(Miniaturero, ItsProcessIsBoundInTimeAndMemory)
{
    // A child of this test takes the bounds and then waits for ever: the
    // time bound must end it. Its findings come back in its exit status.
    const pid_t hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        miniaturero::Limitar();
        rlimit r{};
        int fallos = 0;
        if (getrlimit(RLIMIT_CPU, &r) != 0 || r.rlim_cur != 10 || r.rlim_max != 11)
            fallos |= 1;
        if (getrlimit(RLIMIT_CORE, &r) != 0 || r.rlim_cur != 0)
            fallos |= 2;
#if !defined(__SANITIZE_ADDRESS__)
        if (getrlimit(RLIMIT_AS, &r) != 0 || r.rlim_cur != rlim_t(256) * 1024 * 1024)
            fallos |= 4;
#endif
        if (fallos != 0)
            ::_exit(fallos);
        for (;;)
            ::pause();
    }
    int estado = 0;
    ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
    EXPECT_FALSE(WIFEXITED(estado)) << "bounds missing: " << WEXITSTATUS(estado);
    ASSERT_TRUE(WIFSIGNALED(estado));
    EXPECT_EQ(WTERMSIG(estado), SIGALRM);
}

TEST(Miniaturero, AFrontPageOf64MbExitsOneAndWritesNothing)
{
    // A real page with 64 MB after its end: decodable, and over the bound.
    QTemporaryDir t;
    const QByteArray pagina = prueba::PaginaMarcada(1);
    const QString cbz = t.filePath("grande.cbz");
    ASSERT_TRUE(prueba::EscribirZip(cbz, {{"01.jpg", pagina + QByteArray((64 << 20) - pagina.size(), '\0')}}));
    const Corrida c = Miniatura({cbz, t.filePath("g.png")});
    EXPECT_EQ(c.Estado, QProcess::NormalExit);
    EXPECT_EQ(c.Codigo, 1);
    EXPECT_EQ(Archivos(t.path()), QStringList{"grande.cbz"});
}

TEST(Miniaturero, SwappedLocalNamesGiveTheViewersPicture)
{
    QTemporaryDir t;
    prueba::ZipCrudo z = prueba::ZipGuardado({{"p01.jpg", prueba::PaginaMarcada(1)}, {"p02.jpg", prueba::PaginaMarcada(2)}});
    z.Bytes[z.Locales[0] + 32] = '2'; // each local header names the other entry
    z.Bytes[z.Locales[1] + 32] = '1';
    const QString cbz = t.filePath("c.cbz");
    prueba::EscribirBytes(cbz, z.Bytes);
    const auto fuente = FuentePaginas::Para(cbz, "CBZ");
    const QStringList paginas = fuente->Listar().Paginas;
    ASSERT_EQ(paginas, QStringList({"p01.jpg", "p02.jpg"}));
    QByteArray vista;
    ASSERT_EQ(fuente->Leer(paginas[0], vista), Motivo::Ninguno);
    ASSERT_EQ(Miniatura({"-s", "1024", cbz, t.filePath("c.png")}).Codigo, 0);
    EXPECT_EQ(QImage(t.filePath("c.png")).size(), QImage::fromData(vista).size());
}
