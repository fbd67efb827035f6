#include "shell/modGeneral.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace modGeneral;

TEST(Rutas, SplitIntoFolderNameAndExtension)
{
    EXPECT_EQ(NombreDeRuta("/comics/a.cbz"), "a.cbz");
    EXPECT_EQ(CarpetaDeRuta("/comics/a.cbz"), "/comics/");
    EXPECT_EQ(ExtensionDeRuta("/comics/a.cbz"), "cbz");
    EXPECT_EQ(ExtensionDeRuta("sinpunto"), "sinpunto");
    EXPECT_EQ(NombreDeRuta("solo.jpg"), "solo.jpg");
    EXPECT_EQ(CarpetaDeRuta("solo.jpg"), "");
    EXPECT_EQ(ExtensionDeRuta("/a.b/c.tar.gz"), "gz");
    EXPECT_EQ(NombreDeRuta(""), "");
}

TEST(Rutas, ExistenceAndLongForm)
{
    QTemporaryDir dir;
    const QString archivo = dir.filePath("x.txt");
    EXPECT_FALSE(ExisteRuta(archivo));
    EXPECT_EQ(RutaLarga(archivo), "");
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(ExisteRuta(archivo));
    EXPECT_TRUE(ExisteRuta(dir.path()));
    EXPECT_EQ(RutaLarga(archivo), archivo);
    EXPECT_FALSE(ExisteRuta(""));
}

TEST(Tamanos, BytesKbMbGbWithTheLocaleSeparator)
{
    const QString coma = QLocale::system().decimalPoint();
    EXPECT_EQ(TextoTamano(0), "0 bytes");
    EXPECT_EQ(TextoTamano(1023), "1023 bytes");
    EXPECT_EQ(TextoTamano(1024), "1 Kb");
    EXPECT_EQ(TextoTamano(1536), "1" + coma + "5 Kb");
    EXPECT_EQ(TextoTamano(1048576), "1 Mb");
    EXPECT_EQ(TextoTamano(1048575), "1024 Kb");
    EXPECT_EQ(TextoTamano(1073741824), "1 Gb");
    EXPECT_EQ(TextoTamano(2147483647), "2 Gb");
    EXPECT_EQ(TextoTamano(-5), "-5 bytes");
    // Archives beyond 2 Gb keep their size.
    EXPECT_EQ(TextoTamano(std::int64_t(3) << 30), "3 Gb");
    // Halves go to the even neighbour: 1.25 -> 1.2, 1.75 -> 1.8.
    EXPECT_EQ(TextoTamano(1280), "1" + coma + "2 Kb");
    EXPECT_EQ(TextoTamano(1792), "1" + coma + "8 Kb");
}

TEST(CarpetaTemporal, PrivateAndEndsWithSeparator)
{
    const QString t = CarpetaTemporal();
    ASSERT_TRUE(t.endsWith(Separador));
    EXPECT_TRUE(t.startsWith(QDir::tempPath()));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(t).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(CarpetaTemporal(), t);
}

TEST(CarpetaTemporal, RefusesALinkPlantedInItsPlace)
{
    QTemporaryDir base, destino;
    const QByteArray anterior = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(base.path()));
    const QString plantada = base.filePath(QStringLiteral("tavelo-%1").arg(::getuid()));
    ASSERT_TRUE(QFile::link(destino.path(), plantada));
    const QString t = CarpetaTemporal();
    qputenv("TMPDIR", anterior);
    EXPECT_NE(QDir::cleanPath(t), plantada);
    EXPECT_TRUE(t.startsWith(base.path()));
    EXPECT_TRUE(QDir(destino.path()).isEmpty());
}

TEST(CarpetaPrograma, FollowsTavelHome)
{
    QTemporaryDir dir;
    const QByteArray anterior = qgetenv("TAVELO_HOME");
    qputenv("TAVELO_HOME", QFile::encodeName(dir.filePath("casa")));
    EXPECT_EQ(CarpetaPrograma(), dir.filePath("casa"));
    EXPECT_TRUE(QDir(dir.filePath("casa")).exists());
    qputenv("TAVELO_HOME", anterior);
}

TEST(CarpetaPrograma, AnInstalledProgramsFolderIsNeverItsOwn)
{
    // Root may write into PREFIX/bin; the desktop entry under PREFIX/share
    // tells an installation from a build or unpacked folder.
    QTemporaryDir dir;
    const QString bin = dir.filePath("prefijo/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_FALSE(EsInstalado(bin));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("prefijo/share/applications")));
    QFile entrada(dir.filePath("prefijo/share/applications/" TAVELO_ID ".desktop"));
    ASSERT_TRUE(entrada.open(QIODevice::WriteOnly));
    entrada.close();
    EXPECT_TRUE(EsInstalado(bin));
    EXPECT_FALSE(EsInstalado(dir.filePath("prefijo")));
}

TEST(Raton, OverAControlWithin300Twips)
{
    QWidget padre;
    QWidget hijo(&padre);
    hijo.setGeometry(10, 20, 40, 30); // twips: 150..750 x 300..750
    EXPECT_TRUE(RatonSobreControl(&hijo, 150, 300));
    EXPECT_TRUE(RatonSobreControl(&hijo, -150, 0));
    EXPECT_TRUE(RatonSobreControl(&hijo, 1050, 1050));
    EXPECT_FALSE(RatonSobreControl(&hijo, -151, 300));
    EXPECT_FALSE(RatonSobreControl(&hijo, 400, 1051));
}
