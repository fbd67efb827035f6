// The main window's start: the language, the settings read and written back,
// and what the command line skips.
#include "PruebaForm1.h"
#include "viewer/modIni.h"

#include <QLocale>
#include <QSignalSpy>

namespace {

// Each test starts the viewer in a program folder of its own.
class InicioForm1 : public ::testing::Test {
protected:
    void SetUp() override
    {
        Comandos::FinDelProceso() = [] {};
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::system());
        modIdioma::Idioma = "esp";
    }
    QString Ini() const { return casa.filePath("tavelo.ini"); }
    void EscribirIni(const QByteArray &datos) { prueba::EscribirBytes(Ini(), datos); }
    QString Leer(const char *seccion, const char *clave)
    {
        return modIni::LeerIni(Ini(), seccion, clave, "<none>");
    }

    prueba::CasaPropia casa;
};

} // namespace

TEST_F(InicioForm1, LocaleDecidesOnlyWhenTheSettingIsEmpty)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    { Form1 f; EXPECT_EQ(modIdioma::Idioma, "esp"); }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    { Form1 f; EXPECT_EQ(modIdioma::Idioma, "deu"); EXPECT_EQ(f.LBInfo->text(), modIdioma::TextoIdioma("deu", 9)); }
    EscribirIni("[Config]\nIdioma=dut\n");
    { Form1 f; EXPECT_EQ(modIdioma::Idioma, "dut"); }
    // Qt's own dialogs speak the language read, and follow the language key.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Openen");
    {
        Form1 f;
        f.Form_KeyUp('I', 0);
        EXPECT_EQ(modIdioma::Idioma, "deu");
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QString::fromUtf8("Öffnen"));
    }
}

TEST_F(InicioForm1, LanguageKeyCyclesAndRetranslates)
{
    Form1 f;
    EXPECT_EQ(f.sCambiarIdioma(), "Language: English");
    EXPECT_EQ(f.ImAbrir->toolTip(), "Left: Open File | Right: Open Collection");
    for (int i = 0; i < 5; ++i)
        f.sCambiarIdioma();
    EXPECT_EQ(f.sCambiarIdioma(), "Idioma: Español");
    EXPECT_FALSE(QFile::exists(Ini())); // saved only at exit
}

TEST_F(InicioForm1, SettingsAreReadAndWrittenBack)
{
    EscribirIni("[Config]\r\nIdioma=ing\r\nColor=255\r\nBarra=True\r\nuPath=/no/such.cbz\r\n"
                "Propia=se queda\r\n[Ultimo]\r\nRuta=/no/such.cbz\r\nMarcador=7\r\n"
                "[Coleccion]\r\nRuta=/comics\r\n[Ajena]\r\nx=1\r\n");
    Form1 f;
    EXPECT_EQ(modIdioma::Idioma, "ing");
    EXPECT_EQ(f.Vista().ColorFondo(), 255);
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(f.Vista().BarraVisible());
    EXPECT_EQ(f.Doc().RutaActual, "/no/such.cbz");
    EXPECT_EQ(f.Doc().Marcadores[0].Ruta, "/no/such.cbz");
    EXPECT_EQ(f.Doc().Marcadores[0].Marcador, "7");
    EXPECT_EQ(f.Doc().RutaColeccion, "/comics");
    EXPECT_FALSE(f.Ordenes().AbrirUltimo(true)); // the file is gone

    f.Doc().RutaActual.clear();
    f.Vista().PonerColorFondo(0x112233);
    f.Ordenes().Salir();
    EXPECT_EQ(Leer("Config", "Color"), QString::number(0x112233));
    EXPECT_EQ(Leer("Config", "Barra"), "False"); // the bar is not on screen
    EXPECT_EQ(Leer("Ultimo", "Ruta"), "/no/such.cbz");   // left as it was
    EXPECT_EQ(Leer("Ultimo", "Marcador"), "7");
    EXPECT_EQ(Leer("Config", "Propia"), "se queda");
    EXPECT_EQ(Leer("Ajena", "x"), "1");
}

TEST_F(InicioForm1, OpenDocumentIsRememberedAtExit)
{
    Form1 f;
    f.Doc().RutaActual = "/comics/a.cbz";
    f.Doc().Paginas = {QString(), "p.jpg"};
    f.Doc().RutaColeccion = "/comics";
    f.Vista().ElegirPagina(12);
    f.Ordenes().Salir();
    EXPECT_EQ(Leer("Config", "uPath"), "/comics/a.cbz");
    EXPECT_EQ(Leer("Ultimo", "Ruta"), "/comics/a.cbz");
    EXPECT_EQ(Leer("Ultimo", "Marcador"), "12");
    EXPECT_EQ(Leer("Coleccion", "Ruta"), "/comics");
    // A path with a line break is kept as no path: it cannot add keys.
    f.Doc().RutaActual = "/comics/b\n[Config]\nIdioma=xyz";
    f.Ordenes().Salir();
    EXPECT_EQ(Leer("Config", "uPath"), "<none>"); // written empty
    EXPECT_FALSE(prueba::LeerBytes(Ini()).contains("xyz"));
    EXPECT_EQ(Leer("Ultimo", "Ruta"), "/comics/a.cbz");
}

TEST_F(InicioForm1, BadValuesEndTheReadingButKeepWhatWasRead)
{
    EscribirIni("[Config]\nIdioma=por\nColor=rojo\nBarra=quizas\nuPath=/x.cbz\n");
    Form1 f;
    EXPECT_EQ(modIdioma::Idioma, "por");
    EXPECT_EQ(f.Vista().ColorFondo(), 0);     // non-numeric colour ignored
    EXPECT_FALSE(f.Vista().BarraVisible());     // the bad boolean stops here
    EXPECT_EQ(f.Doc().RutaActual, "");   // not reached
}

TEST_F(InicioForm1, CommandLineSkipsTheHintAndTheResume)
{
    const QString comic = casa.filePath("a b.cbz");
    ASSERT_TRUE(prueba::EscribirZip(comic, {{"p1.jpg", prueba::PaginaDeColor(Qt::red, {60, 90})}}));
    EscribirIni("[Ultimo]\nRuta=/gone.cbz\nMarcador=3\n");
    Form1 f("\"" + comic + "\"");
    QSignalSpy info(&f.Ordenes(), &Comandos::InformacionPedida);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QTest::qWait(20);
    // The document's name, not the F1 hint nor the resume message.
    EXPECT_EQ(f.Vista().UltimoMensaje(), "a b.cbz");
    EXPECT_EQ(TamanoNatural(f.Vista().Imagen()), QSize(60, 90));
    EXPECT_EQ(info.count(), 0);
}
