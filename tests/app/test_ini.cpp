#include "Constructores.h"
#include "viewer/modIni.h"

#include <QDir>
#include <QFile>

#include <unistd.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using modIni::EscribirIni;
using modIni::LeerIni;

using prueba::EscribirBytes;
using prueba::LeerBytes;

TEST(Ini, ReadsHandWrittenFilesWithoutRegardToCase)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("tavelo.ini");
    EscribirBytes(ini, "; hand written\r\n[config]\r\n IDIOMA = ing \r\nuPath=\r\nColor=255\r\n"
                       "[Otra]\r\nclave=1\r\n[CONFIG]\r\nColor=7\r\n[A]\nb=\"con espacios \"\nc='x'\nd=\"abierta\n");
    EXPECT_EQ(LeerIni(ini, "Config", "Idioma", "x"), "ing");
    EXPECT_EQ(LeerIni(ini, "CONFIG", "color", "0"), "255"); // first section wins
    EXPECT_EQ(LeerIni(ini, "Config", "uPath", "def"), "def"); // empty = missing
    EXPECT_EQ(LeerIni(ini, "Nada", "clave", "d"), "d");
    EXPECT_EQ(LeerIni(ini, "Config", "clave", "d"), "d"); // key of another section
    EXPECT_EQ(LeerIni(dir.filePath("no.ini"), "Config", "Idioma", "d"), "d");
    // Quoted values lose their quotes.
    EXPECT_EQ(LeerIni(ini, "A", "b", ""), "con espacios ");
    EXPECT_EQ(LeerIni(ini, "A", "c", ""), "x");
    EXPECT_EQ(LeerIni(ini, "A", "d", ""), "\"abierta");
}

TEST(Ini, LongValuesComeBackWholeAndLineBreaksAreRefused)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("t.ini");
    const QString largo = "/comics/" + QString(600, u'ñ') + ".cbz"; // a long last-document path
    ASSERT_TRUE(EscribirIni(ini, "Config", "uPath", largo));
    EXPECT_EQ(LeerIni(ini, "Config", "uPath", ""), largo);
    // A line break would start keys or sections of its own: refused, the file as it was.
    const QByteArray antes = LeerBytes(ini);
    const std::tuple<const char *, const char *, const char *> malos[] = {
        {"Config", "uPath", "/a\n[Config]\nIdioma=xyz"}, {"Config", "uPath", "/a\rIdioma=xyz"},
        {"Config", "x\ny", "1"}, {"Con\nfig", "k", "v"}, {"Config", "k=v", "1"}, {"Con]fig", "k", "v"}};
    for (const auto &[seccion, clave, valor] : malos)
        EXPECT_FALSE(EscribirIni(ini, seccion, clave, valor)) << valor;
    EXPECT_EQ(LeerBytes(ini), antes);
}

TEST(Ini, WritingKeepsEveryOtherLine)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("t.ini");
    EscribirBytes(ini, "; comment\r\n[Config]\r\nIdioma=esp\r\nDesconocida=42\r\n\r\n[Mio]\r\nx = y\r\n");
    ASSERT_TRUE(EscribirIni(ini, "config", "IDIOMA", "deu"));
    ASSERT_TRUE(EscribirIni(ini, "Config", "Color", "0"));
    ASSERT_TRUE(EscribirIni(ini, "Ultimo", "Ruta", "/c/a.cbz"));
    EXPECT_EQ(LeerBytes(ini), "; comment\r\n[Config]\r\nIDIOMA=deu\r\nDesconocida=42\r\nColor=0\r\n\r\n"
                              "[Mio]\r\nx = y\r\n\r\n[Ultimo]\r\nRuta=/c/a.cbz\r\n");
    EXPECT_EQ(LeerIni(ini, "Mio", "X", ""), "y");
}

TEST(Ini, FileIsCreatedOnFirstWriteAndNeverLeftHalfWritten)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("nuevo.ini");
    ASSERT_TRUE(EscribirIni(ini, "Config", "Idioma", "esp"));
    EXPECT_EQ(LeerBytes(ini), "[Config]\nIdioma=esp\n");
    // An unwritable folder fails the write and leaves the old file whole.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool escrito = EscribirIni(ini, "Config", "Idioma", "ing");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (::geteuid() != 0) { // root writes anyway
        EXPECT_FALSE(escrito);
    }
    const QByteArray despues = LeerBytes(ini);
    EXPECT_TRUE(despues == "[Config]\nIdioma=esp\n" || despues == "[Config]\nIdioma=ing\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"nuevo.ini"});
}
