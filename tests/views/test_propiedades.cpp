// The properties card: its lines for archives and picture folders, the
// read state from the collection, local dates, and the desktop's dialog.
#include "EscritorioDePrueba.h"
#include "PruebaVentanas.h"
#include "collection/Coleccion.h"
#include "views/FormPropiedades.h"

#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QToolButton>

#include <cstdlib>
#include <ctime>

using namespace teclas;
using namespace propiedades;

namespace {

class Propiedades : public prueba::PruebaVentanas {
protected:
    void TearDown() override
    {
        QFile::remove(coleccion::RutaEstados());
        PruebaVentanas::TearDown();
    }
    Ficha Tarjeta()
    {
        Ficha ficha;
        EXPECT_TRUE(ConVentana<FormPropiedades>(Qt::Key_F1 + 10, [&](FormPropiedades &v) {
            ficha = v.Ficha;
            for (int i = 0; i < NumeroLineas; ++i)
                EXPECT_EQ(v.LBTit[i]->text(), ficha.Texto[i]) << i;
            EXPECT_FALSE(v.PB->pixmap().isNull()); // the page's preview
            QTest::keyClick(&v, Qt::Key_X);         // any key closes it
            EXPECT_FALSE(v.isVisible());
        }));
        return ficha;
    }
    static void Estados(const QList<coleccion::ItemComic> &estados)
    {
        ASSERT_TRUE(coleccion::GuardarArchivoEstados(coleccion::RutaEstados(), estados));
    }
};

// A time zone for as long as it lives.
struct ZonaHoraria {
    explicit ZonaHoraria(const char *tz) { qputenv("TZ", tz); ::tzset(); }
    ~ZonaHoraria()
    {
        habia ? qputenv("TZ", antes) : qunsetenv("TZ");
        ::tzset();
    }
    const QByteArray antes = qgetenv("TZ");
    const bool habia = qEnvironmentVariableIsSet("TZ");
};

} // namespace

TEST_F(Propiedades, AnArchiveSaysPagesAndPageAndItsReadState)
{
    AbrirComic(3, 2, "Mi Comic.cbz");
    f->Form_KeyUp('M', 0); // bookmark on page 2
    Estados({{"otro.cbz", "1", {}}, {"MI COMIC.CBZ", "2", {}}});
    const Ficha c = Tarjeta();
    EXPECT_EQ(c.Ruta, tmp.filePath("Mi Comic.cbz"));
    EXPECT_EQ((QStringList{c.Texto[Tipo], c.Texto[Dimensiones], c.Texto[Nombre], c.Texto[Carpeta], c.Texto[Posicion],
                           c.Texto[Paginas], c.Texto[Marcador], c.Texto[Estado], c.Texto[Serie] + c.Texto[Ano] + c.Texto[Creditos]}),
              (QStringList{"cbz", "102 x 150 pixels", "Mi Comic", tmp.path() + "/", "Comic 1 of 1", "3 pages",
                           "Bookmark in page 2", "Reading...", ""})); // no ComicInfo.xml
    EXPECT_EQ(c.EstadoLectura, 2);

    Estados({{"mi comic.cbz", "1", {}}});
    EXPECT_EQ(Tarjeta().Texto[Estado], "Read");
    QFile::remove(coleccion::RutaEstados());
    f->Form_KeyUp('M', ShiftMask);
    const Ficha sin = Tarjeta();
    EXPECT_EQ(sin.Texto[Estado], "Not read");
    EXPECT_EQ(sin.Texto[Marcador], "No Bookmark");
}

TEST_F(Propiedades, AComicInfoGivesSeriesYearAndCreditsAndTheTitleOnOpening)
{
    const char *xml = "<ComicInfo><Title>Rayo</Title><Series>Flash</Series><Number>7</Number><Year>1950</Year>"
                      "<Writer>Ana</Writer><Penciller>Luis</Penciller></ComicInfo>";
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath("ci.cbz"), {{"p1.jpg", prueba::PaginaMarcada(1)}, {"ComicInfo.xml", xml}}));
    AbrirListado(tmp.filePath("ci.cbz"));
    EXPECT_EQ(f->Doc().NumeroPaginas(), 1); // the ComicInfo.xml is no page
    EXPECT_EQ(f->Vista().UltimoMensaje(), "Flash #7 \u2014 Rayo");
    const Ficha c = Tarjeta();
    EXPECT_EQ(c.Texto[Serie], "Flash #7 \u2014 Rayo");
    EXPECT_EQ(c.Texto[Ano], "Year: 1950");
    EXPECT_EQ(c.Texto[Creditos], "Writer: Ana \u00b7 Penciller: Luis");
}

TEST_F(Propiedades, AnEncryptedPdfAsksItsPasswordOnOpeningUntilItIsRight)
{
    ASSERT_TRUE(prueba::EscribirPdf(tmp.filePath("k.pdf"), {{QSizeF(300, 400), Qt::white}, {QSizeF(300, 400), Qt::red}},
                                    "secreta"));
    auto &dialogos = DialogosDePrueba::Actuales();
    dialogos.llamadas.clear();
    dialogos.respuestasTexto = {"mala", "secreta"};
    f->show();
    AbrirListado(tmp.filePath("k.pdf"));
    EXPECT_EQ(f->Doc().NumeroPaginas(), 2);
    EXPECT_EQ(dialogos.llamadas.filter("PedirTexto"), QStringList({"PedirTexto:Please Enter The Password!:1",
                                              "PedirTexto:The password was wrong. Please enter it again::1"}));
    dialogos.llamadas.clear();
    f->Vista().IrAPagina(2); // asked once for the document
    EXPECT_TRUE(dialogos.llamadas.filter("PedirTexto").isEmpty());
    EXPECT_EQ(f->Vista().PaginaActual(), 2);
}

TEST_F(Propiedades, APictureFolderSaysImagesAndImageAndTheRealFileOfAnyExtension)
{
    const QString carpeta = tmp.filePath("fotos");
    const QStringList nombres{"a.png", "page.jpeg", "z.jpg"};
    const char *formatos[] = {"PNG", "JPG", "JPG"};
    for (int i = 0; i < 3; ++i)
        prueba::EscribirBytes(carpeta + "/" + nombres[i], prueba::PaginaMarcada(i + 1, formatos[i]));
    // A known modification time, to find it on the card.
    const QDateTime cuando(QDate(2023, 3, 14), QTime(15, 9), Qt::LocalTime);
    {
        QFile p(carpeta + "/page.jpeg");
        ASSERT_TRUE(p.open(QIODevice::ReadWrite));
        ASSERT_TRUE(p.setFileTime(cuando, QFileDevice::FileModificationTime));
    }
    f->show();
    AbrirListado(carpeta + "/page.jpeg");
    ASSERT_EQ(Vista().PaginaActual(), 2);
    f->Form_KeyUp('M', 0);
    const Ficha c = Tarjeta();
    EXPECT_EQ(c.Ruta, carpeta + "/page.jpeg");
    EXPECT_EQ((QStringList{c.Texto[Tipo], c.Texto[Nombre], c.Texto[Posicion], c.Texto[Paginas], c.Texto[Marcador]}),
              (QStringList{"jpeg", "page", "Image 2 of 3", "3 images", "Bookmark in image 2"}));
    EXPECT_EQ(c.Texto[Modificado], "· Modified: " + TextoFecha(cuando));
    EXPECT_EQ(c.Texto[Estado], "Not read");
}

TEST_F(Propiedades, DatesAreShownInTheLocalTimeZone)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const QDateTime utc(QDate(2024, 1, 5), QTime(22, 40), Qt::UTC);
    {
        const ZonaHoraria india("IST-5:30");
        EXPECT_EQ(TextoFecha(utc), "06Jan24 - 04.10");
    }
    EXPECT_EQ(TextoFecha(QDateTime()), "");
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(NombreSinExtension("sin punto"), "sin punto");
    EXPECT_EQ(NombreSinExtension("a.b.cbz"), "a.b");
}

TEST_F(Propiedades, TheButtonAsksTheFileManagerAndElseOpensTheFolder)
{
    AbrirComic(2);
    auto &escritorio = EscritorioDePrueba::Actual();
    for (bool atiende : {true, false}) {
        escritorio.llamadas.clear();
        escritorio.atiende = atiende;
        ASSERT_TRUE(ConVentana<FormPropiedades>(Qt::Key_F1 + 10, [&](FormPropiedades &v) {
            QTest::mouseClick(v.ImPropiedades, Qt::LeftButton);
            EXPECT_TRUE(v.isVisible());
        }));
        QStringList esperado{"Propiedades:" + tmp.filePath("c.cbz")};
        if (!atiende)
            esperado << "Carpeta:" + tmp.path() + "/";
        EXPECT_EQ(escritorio.llamadas, esperado);
    }
    escritorio.atiende = false;
}
