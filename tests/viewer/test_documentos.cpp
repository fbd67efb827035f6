// Opening documents and showing their pages on a real window (offscreen),
// over archives and folders the tests make.
#include "../archive/Escritores.h"
#include "DialogosDePrueba.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/Form1.h"
#include "viewer/Paginas.h"
#include "viewer/modDocumento.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace doc = modDocumento;
using prueba::EntradaNueva;

namespace {

// A page whose size tells which one it is: width 100 + n.
QByteArray Pagina(int n, const char *formato = "JPG")
{
    QImage imagen(100 + n, 150, QImage::Format_RGB32);
    imagen.fill(QColor::fromHsv((n * 37) % 360, 200, 220));
    QByteArray datos;
    QBuffer b(&datos);
    b.open(QIODevice::WriteOnly);
    imagen.save(&b, formato);
    return datos;
}

int NumeroDe(const ControlImagen &c)
{
    return c.Picture.isNull() ? -1 : c.Picture.width() - 100;
}

void Escribir(const QString &ruta, const QByteArray &datos)
{
    QDir().mkpath(QFileInfo(ruta).path());
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(datos);
}

// Page files left in the temporary folder (folders may stay until exit).
QStringList ArchivosTemporales()
{
    QStringList lista;
    QDirIterator it(modGeneral::CarpetaTemporal(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        lista << it.next();
    return lista;
}

class Documentos : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc::Reiniciar();
        modIdioma::Idioma = "ing";
        Form1::FinDelProceso() = [] {};
        DialogosDePrueba::Actuales().respuestasTexto.clear();
        DialogosDePrueba::Actuales().llamadas.clear();
        f = std::make_unique<Form1>();
        f->resize(800, 600);
    }
    void TearDown() override
    {
        f.reset();
        doc::Reiniciar();
    }
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    QStringList Paginas() const { return doc::Paginas.mid(1); }

    QTemporaryDir tmp;
    std::unique_ptr<Form1> f;
};

} // namespace

TEST_F(Documentos, PageOrderIsCaseInsensitiveCharacterByCharacter)
{
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), {{"p10.jpg", Pagina(10)}, {"p2.jpg", Pagina(2)},
                                                    {"P1.JPG", Pagina(1)}}));
    f->AbrirArchivo(Ruta("c.cbz"), true);
    EXPECT_EQ(Paginas(), QStringList({"P1.JPG", "p10.jpg", "p2.jpg"}));
    EXPECT_EQ(f->PaginaActual, 1);
    EXPECT_EQ(NumeroDe(f->Imagen), 1);
    EXPECT_EQ(f->LBPag->text(), "1/3");
    EXPECT_EQ(f->UltimoMensaje, "c.cbz");
    EXPECT_EQ(doc::NombreActual, "c.cbz");
    EXPECT_EQ(doc::ExtActual, "CBZ");
    EXPECT_TRUE(ArchivosTemporales().isEmpty());
}

TEST_F(Documentos, OnlyPictureEntriesArePagesWithTheirFolders)
{
    const std::vector<EntradaNueva> entradas{{"img/", {}, EntradaNueva::Carpeta},
                                             {"img/01.jpg", Pagina(1)},
                                             {"readme.txt", "hola"},
                                             {"z.jpeg", Pagina(3)},
                                             {"w.webp", Pagina(4, "WEBP")}};
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.zip"), entradas));
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("c.rar"), entradas));
    for (const char *nombre : {"c.zip", "c.rar"}) {
        f->AbrirArchivo(Ruta(nombre), true);
        EXPECT_EQ(Paginas(), QStringList({"img/01.jpg", "w.webp", "z.jpeg"})) << nombre;
        EXPECT_EQ(NumeroDe(f->Imagen), 1) << nombre;
        EXPECT_EQ(f->RutaPagina, modGeneral::CarpetaTemporal() + "img/01.jpg");
        for (std::int16_t p = 2; p <= 3; ++p) {
            f->VerImagen(p);
            EXPECT_EQ(NumeroDe(f->Imagen), p == 2 ? 4 : 3) << nombre;
        }
        EXPECT_TRUE(ArchivosTemporales().isEmpty()) << ArchivosTemporales().join(",").toStdString();
    }
}

TEST_F(Documentos, APictureStandsForItsFolder)
{
    const QString carpeta = Ruta("pics/");
    Escribir(carpeta + "a.jpg", Pagina(1));
    Escribir(carpeta + "b.png", Pagina(2, "PNG"));
    Escribir(carpeta + "c.gif", Pagina(3, "GIF"));
    Escribir(carpeta + "notes.txt", "x");
    Escribir(carpeta + "d.jpeg", Pagina(4));
    f->AbrirArchivo(carpeta + "b.png", true);
    EXPECT_EQ(Paginas(), QStringList({"a.jpg", "b.png", "c.gif", "d.jpeg"}));
    EXPECT_EQ(f->PaginaActual, 2);
    EXPECT_EQ(NumeroDe(f->Imagen), 2);
    EXPECT_EQ(doc::RutaActual, carpeta);
    EXPECT_EQ(f->UltimoMensaje, carpeta);
    EXPECT_EQ(f->RutaPagina, carpeta + "b.png");
    // A JPEG picture opens directly, at its own page.
    f->AbrirArchivo(carpeta + "d.jpeg", true);
    EXPECT_EQ(f->PaginaActual, 4);
    EXPECT_EQ(NumeroDe(f->Imagen), 4);
    EXPECT_TRUE(QFile::exists(carpeta + "d.jpeg")); // pictures of a folder are never deleted
}

TEST_F(Documentos, RealComicsOpenAtTheirFirstPage)
{
    const QString fixtures = prueba::CarpetaFixtures();
    if (fixtures.isEmpty())
        GTEST_SKIP() << "no shared archive fixtures in this checkout";
    struct Caso {
        const char *archivo;
        int paginas;
        QSize primera;
    };
    for (const Caso &c : {Caso{"komga/rar4.rar", 3, {}}, Caso{"komga/rar4-solid.rar", 3, {}},
                          Caso{"komga/rar5-solid.rar", 3, {}}, Caso{"komga/zip.zip", 1, {}},
                          Caso{"comicbox/Captain Science #001-cbi.cbr", 5, {}},
                          Caso{"comicbox/Captain Science #001.cbz", 5, {}}}) {
        f->AbrirArchivo(fixtures + '/' + c.archivo, true);
        ASSERT_EQ(Paginas().size(), c.paginas) << c.archivo;
        EXPECT_FALSE(f->Imagen.Picture.isNull()) << c.archivo;
        for (std::int16_t p = 1; p <= c.paginas; ++p) {
            f->VerImagen(p);
            EXPECT_FALSE(f->Imagen.Picture.isNull()) << c.archivo << " page " << p;
        }
        EXPECT_TRUE(ArchivosTemporales().isEmpty()) << c.archivo;
    }
    // Captain Science: the pages sit in an inner folder.
    EXPECT_EQ(Paginas().value(0), "Captain Science 001/CaptainScience#1_01.jpg");
    // The cover of a real comic: taller than wide.
    EXPECT_GT(f->Imagen.Picture.height(), f->Imagen.Picture.width());
}
