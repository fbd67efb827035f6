#include "DialogosDePrueba.h"
#include "PruebaColeccion.h"

#include "collection/FormColeccionControl.h"
#include "documento/Documento.h"
#include "shell/modGeneral.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>


namespace {

class Control : public ::testing::Test {
protected:
    void SetUp() override
    {
        carpeta = dir.path();
        for (const char *n : {"Hero 01.cbr", "Hero 02.cbr", "Hero 04.cbz", "leeme.txt"})
            prueba::Vacio(carpeta + "/" + n);
        dialogos.llamadas.clear();
    }
    QStringList Lineas(const FormColeccionControl &c) const
    {
        QStringList r;
        for (int i = 0; i < c.Lista->count(); ++i)
            r << c.Lista->item(i)->text();
        return r;
    }

    prueba::IdiomaIngles ingles;
    Documento documento;
    QTemporaryDir dir;
    QString carpeta;
    DialogosDePrueba &dialogos = DialogosDePrueba::Actuales();
};

} // namespace

TEST_F(Control, TheExampleOfThreeHeroesThroughTheButtons)
{
    FormColeccionControl c(nullptr, carpeta, documento);
    c.show();
    EXPECT_EQ(c.TBEle->text(), "Hero 01.cbr");
    EXPECT_EQ(c.TBEle->selectedText(), "01");
    EXPECT_FALSE(c.ImBlock->isVisible());

    QTest::mouseClick(c.ImOpcion[2], Qt::LeftButton);
    EXPECT_EQ(Lineas(c), QStringList{"03 - I haven't got this one"});
    EXPECT_EQ(c.LBLista->text(), "List of comics that I need (1) :");
    EXPECT_EQ(c.LBEle[0]->text(), "Hero 01.cbr");
    EXPECT_EQ(c.LBEle[1]->text(), "Hero 04.cbz");
    EXPECT_TRUE(c.ImBlock->isVisible());

    // The list comes from the files there now.
    prueba::Vacio(carpeta + "/Hero 03.cbr");
    QTest::mouseClick(c.ImOpcion[1], Qt::LeftButton);
    EXPECT_EQ(Lineas(c), (QStringList{"Hero 01.cbr", "Hero 02.cbr", "Hero 03.cbr", "Hero 04.cbz"}));
    EXPECT_EQ(c.LBLista->text(), "List of every comic of the collection (4) :");
    QTest::mouseClick(c.ImOpcion[2], Qt::LeftButton);
    EXPECT_TRUE(Lineas(c).isEmpty());
    EXPECT_FALSE(c.ImBlock->isVisible());

    // Another word selected with the mouse.
    QTest::mouseClick(c.ImOpcion[0], Qt::LeftButton);
    c.TBEle->setSelection(0, 4);
    QTest::mouseClick(c.ImOpcion[1], Qt::LeftButton);
    EXPECT_EQ(c.LBLista->text(), "List of every comic of the collection");
    EXPECT_EQ(Lineas(c).size(), 4); // the previous list stays
}

TEST_F(Control, AnEmptyFolderFallsBackOnTheOpenDocumentsFolder)
{
    QTemporaryDir vacia;
    {
        FormColeccionControl c(nullptr, vacia.path(), documento);
        EXPECT_EQ(c.TBEle->text(), "(There aren't elements in this path)");
        EXPECT_FALSE(c.ImOpcion[0]->isEnabled());
        EXPECT_FALSE(c.ImBlock->isEnabled());
    }
    documento.RutaActual = carpeta + "/Hero 02.cbr";
    documento.NombreActual = "Hero 02.cbr";
    FormColeccionControl c(nullptr, vacia.path(), documento);
    EXPECT_EQ(c.RutaControl, carpeta + "/");
    EXPECT_EQ(c.TBEle->text(), "Hero 01.cbr");
    EXPECT_TRUE(c.ImOpcion[0]->isEnabled());
}

TEST_F(Control, AnotherComicThroughTheOpenDialog)
{
    QTemporaryDir otra;
    prueba::Vacio(otra.path() + "/Saga 2010 007.cbz");
    prueba::Vacio(otra.path() + "/Saga 2010 009.cbz");
    FormColeccionControl c(nullptr, carpeta, documento);
    dialogos.respuestasTexto << otra.path() + "/Saga 2010 009.cbz";
    QTest::mouseClick(c.LBExaminar, Qt::LeftButton);
    ASSERT_EQ(dialogos.llamadas.size(), 1);
    EXPECT_TRUE(dialogos.llamadas[0].startsWith("DialogoAbrir:" + carpeta + "|Select a File|"));
    EXPECT_EQ(c.RutaControl, otra.path() + "/");
    EXPECT_EQ(c.TBEle->text(), "Saga 2010 009.cbz");
    EXPECT_EQ(c.TBEle->selectedText(), "2010");
    c.TBEle->setSelection(10, 3);
    c.ElegirOpcion(0);
    EXPECT_EQ(Lineas(c), (QStringList{"Saga 2010 007.cbz", "Saga 2010 009.cbz"}));
    c.ElegirOpcion(2);
    EXPECT_EQ(Lineas(c).first(), "001 - I haven't got this one");
}

TEST_F(Control, TheListGoesToTheEditorAndTheClipboard)
{
    prueba::Escritorio escritorio;
    FormColeccionControl c(nullptr, carpeta, documento);
    c.show();
    EXPECT_FALSE(c.EnviarBlocNotas()); // nothing listed yet
    c.ElegirOpcion(1);
    QTest::mouseClick(c.ImBlock, Qt::LeftButton);
    ASSERT_EQ(escritorio.abiertas.size(), 1);
    const QString archivo = escritorio.abiertas[0].toLocalFile();
    EXPECT_EQ(archivo, c.ArchivoBloc);
    EXPECT_TRUE(archivo.startsWith(modGeneral::CarpetaTemporal()));
    const QString texto = prueba::LeerTexto(archivo);
    EXPECT_EQ(texto, c.TextoBloc(QDate::currentDate()));
    EXPECT_TRUE(texto.contains("\nHero 02.cbr \n03 - I haven't got this one \nHero 04.cbz \n"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), texto);
    QFile::remove(archivo);
}

