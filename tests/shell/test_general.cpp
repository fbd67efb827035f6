#include "Constructores.h"
#include "shell/modGeneral.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <array>

#include <sys/stat.h>

using namespace modGeneral;

TEST(Rutas, SplitIntoFolderNameAndExtension)
{
    // Path: folder, name, extension.
    const std::array<const char *, 4> casos[] = {{"/comics/a.cbz", "/comics/", "a.cbz", "cbz"},
                                                 {"solo.jpg", "", "solo.jpg", "jpg"},
                                                 {"sinpunto", "", "sinpunto", "sinpunto"},
                                                 {"/a.b/c.tar.gz", "/a.b/", "c.tar.gz", "gz"}};
    for (const auto &[ruta, carpeta, nombre, extension] : casos)
        EXPECT_EQ(QStringList({CarpetaDeRuta(ruta), NombreDeRuta(ruta), ExtensionDeRuta(ruta)}),
                  QStringList({carpeta, nombre, extension})) << ruta;
}

TEST(Tamanos, BytesKbMbGbWithTheLocaleSeparator)
{
    // Halves go to the even neighbour (1.25 -> 1.2, 1.75 -> 1.8); archives
    // beyond 2 Gb keep their size.
    const QString coma = QLocale::system().decimalPoint();
    const std::pair<std::int64_t, QString> casos[] = {
        {1023, "1023 bytes"}, {1536, "1" + coma + "5 Kb"}, {1048575, "1024 Kb"}, {1073741824, "1 Gb"},
        {std::int64_t(3) << 30, "3 Gb"}, {1280, "1" + coma + "2 Kb"}, {1792, "1" + coma + "8 Kb"}};
    for (const auto &[bytes, texto] : casos)
        EXPECT_EQ(TextoTamano(bytes), texto) << bytes;
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

TEST(CarpetaPrograma, AnInstalledProgramsFolderIsNeverItsOwn)
{
    // Root may write into PREFIX/bin; the desktop entry under PREFIX/share
    // tells an installation from a build or unpacked folder.
    QTemporaryDir dir;
    const QString bin = dir.filePath("prefijo/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_FALSE(EsInstalado(bin));
    prueba::EscribirBytes(dir.filePath("prefijo/share/applications/" TAVELO_ID ".desktop"), {});
    EXPECT_TRUE(EsInstalado(bin));
    EXPECT_FALSE(EsInstalado(dir.filePath("prefijo")));
}

TEST(Raton, OverAControlWithin300Twips)
{
    QWidget padre;
    QWidget hijo(&padre);
    hijo.setGeometry(10, 20, 40, 30); // twips: 150..750 x 300..750
    EXPECT_TRUE(RatonSobreControl(&hijo, -150, 0));
    EXPECT_FALSE(RatonSobreControl(&hijo, -151, 300));
    EXPECT_FALSE(RatonSobreControl(&hijo, 400, 1051));
}
