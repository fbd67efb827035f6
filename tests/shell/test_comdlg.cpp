#include "DialogosDePrueba.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"

#include <gtest/gtest.h>

using namespace modComDlg;

TEST(Dialogos, FiltersBecomeQtFilters)
{
    EXPECT_EQ(FiltroQt("Archivos de Comics (cbr,cbz)|*.cbr;*.cbz", u'|'), "Archivos de Comics (*.cbr *.cbz)");
    EXPECT_EQ(FiltroQt("All |*.bmp;*.jpg|Comics|*.cbr|", u'|'), "All (*.bmp *.jpg);;Comics (*.cbr)");
    const QString nulos = QStringLiteral("JPEG (*.jpg)") + QChar(0) + "*.jpg" + QChar(0) + "BMP"
        + QChar(0) + "*.bmp" + QChar(0);
    EXPECT_EQ(FiltroQt(nulos, QChar(0)), "JPEG (*.jpg);;BMP (*.bmp)");
    EXPECT_EQ(FiltroQt("", u'|'), "");
}

TEST(Dialogos, CancelGivesEmptyOrMinusOne)
{
    auto &d = DialogosDePrueba::Actuales();
    d.llamadas.clear();
    EXPECT_EQ(ElegirCarpeta(nullptr, ""), "");
    EXPECT_EQ(DialogoAbrir(nullptr, "", "Select a File", "Comics|*.cbr|"), "");
    EXPECT_EQ(ElegirColor(nullptr), -1);
    EXPECT_EQ(DialogoGuardar(QStringLiteral("BMP") + QChar(0) + "*.bmp" + QChar(0), "Save image"), "");
    ASSERT_EQ(d.llamadas.size(), 4);
    // The empty prompt gets the default one, an empty folder the program's.
    EXPECT_EQ(d.llamadas[0], "ElegirCarpeta:Seleccione carpeta:");
    EXPECT_EQ(d.llamadas[1], "DialogoAbrir:" + modGeneral::CarpetaPrograma() + "|Select a File|Comics (*.cbr)");
    EXPECT_EQ(d.llamadas[3], "DialogoGuardar:BMP (*.bmp)|Save image|bmp");
}

TEST(Dialogos, AnswersAreTrimmed)
{
    auto &d = DialogosDePrueba::Actuales();
    d.respuestasTexto = {"  /comics/a.cbz  "};
    EXPECT_EQ(DialogoAbrir(nullptr, "/comics", "t", "C|*.cbz|"), "/comics/a.cbz");
}
