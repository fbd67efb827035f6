// The thumbnailer as a file manager runs it: a process given a comic, a size
// and an output path, on comics, lone pictures and hostile input.
#include "Constructores.h"
#include "miniaturero/Miniaturero.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The thumbnailer's exit code; -1 when it crashed or hung.
int Miniatura(const QStringList &argumentos)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(TAVELO_MINIATURA), argumentos);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList Archivos(const QString &carpeta)
{
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

// A picture alone, as the desktops' AVIF and JPEG XL files come.
TEST(Miniaturero, APictureAloneGivesItsOwnThumbnail)
{
    QTemporaryDir t;
    QImage verde(300, 450, QImage::Format_RGB32);
    verde.fill(QColor(0, 200, 0));
    for (const auto &[n, datos] : {std::pair{"p.avif", prueba::CodificarAvif({verde}, {})},
                                   std::pair{"p.jxl", prueba::CodificarJxl({verde}, true)}}) {
        prueba::EscribirBytes(t.filePath(n), datos);
        ASSERT_EQ(Miniatura({"-s", "90", t.filePath(n), t.filePath("m.png")}), 0) << n;
        const QImage m(t.filePath("m.png"));
        EXPECT_EQ(m.size(), QSize(60, 90)) << n;
        EXPECT_GT(QColor(m.pixel(30, 45)).green(), 160) << n;
    }
}

TEST(Miniaturero, ASmallPageIsNeverEnlargedAndAnOldThumbnailIsReplacedWhole)
{
    QTemporaryDir t;
    const QString chico = t.filePath("chico.cbz");
    ASSERT_TRUE(prueba::EscribirZip(chico, {{"1.png", prueba::PaginaDeColor(QColor(0, 200, 0), {40, 30}, "PNG")}}));
    ASSERT_EQ(Miniatura({chico, t.filePath("b.png")}), 0); // no size given: 256
    EXPECT_EQ(QImage(t.filePath("b.png")).size(), QSize(40, 30));
    ASSERT_EQ(Miniatura({"-s", "16", chico, t.filePath("b.png")}), 0);
    EXPECT_EQ(QImage(t.filePath("b.png")).size(), QSize(16, 12));
    EXPECT_EQ(Archivos(t.path()), (QStringList{"b.png", "chico.cbz"})); // no temporary file left beside it
}

TEST(Miniaturero, DamagedOrEmptyArchivesWriteNothingAndFail)
{
    QTemporaryDir t;
    const QString bueno = t.filePath("bueno.cbz");
    ASSERT_TRUE(prueba::EscribirZip(bueno, {{"01.jpg", prueba::PaginaNumero(1, {800, 1200})}}, {}, {}, false));
    // The page's bytes overwritten (a comic without a readable page), and a
    // pipe named like a comic: never waited on.
    QByteArray roto = prueba::LeerBytes(bueno);
    for (qsizetype i = 100; i < roto.size() - 200; ++i)
        roto[i] = char(i * 7);
    prueba::EscribirBytes(t.filePath("roto.cbz"), roto);
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.filePath("tuberia.cbz")).constData(), 0600), 0);
    const QStringList antes = Archivos(t.path());
    for (const char *c : {"roto.cbz", "tuberia.cbz", "no existe.cbz"}) {
        EXPECT_GT(Miniatura({"-s", "128", t.filePath(c), t.filePath("salida.png")}), 0) << c; // failed, no crash
        EXPECT_FALSE(QFileInfo::exists(t.filePath("salida.png"))) << c;
    }
    EXPECT_EQ(Archivos(t.path()), antes);
    // Bad command lines, and an output folder that is not there.
    for (const QStringList &mala : {QStringList{"-s", "0", bueno, t.filePath("salida.png")},
                                    QStringList{"-s", "12x", bueno, t.filePath("salida.png")}, QStringList{bueno}})
        EXPECT_GT(Miniatura(mala), 0) << mala.join(' ');
    EXPECT_EQ(Miniatura({bueno, t.filePath("no/hay/salida.png")}), 2);
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
    EXPECT_EQ(Miniatura({cbz, t.filePath("g.png")}), 1);
    EXPECT_EQ(Archivos(t.path()), QStringList{"grande.cbz"});
}
