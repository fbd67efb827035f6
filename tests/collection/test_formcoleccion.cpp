#include "DialogosDePrueba.h"
#include "PruebaColeccion.h"

#include "collection/FormColeccion.h"
#include "collection/FormColeccionControl.h"
#include "collection/ucListado.h"
#include "documento/Documento.h"
#include "documento/SeriesComics.h"

#include <QListWidget>
#include <QScrollBar>
#include <QToolButton>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>


namespace {

class Coleccion : public ::testing::Test {
protected:
    void SetUp() override
    {
        raiz = dir.path();
        prueba::Comic(raiz + "/Hero 01.cbz", {60, 90});
        prueba::Comic(raiz + "/hero 02.cbz", {90, 60}, QColor(20, 20, 220));
        prueba::Vacio(raiz + "/Zeta.cbr"); // no pages: no front page
        prueba::Comic(raiz + "/Marvel/hero 01.cbz");
        prueba::Comic(raiz + "/Marvel/X-Men 01.cbz", {60, 90}, QColor(20, 220, 20));
        prueba::Comic(raiz + "/Marvel/Viejo/z.cbz");
        QDir(raiz).mkpath("Vacia");
        QFile::remove(coleccion::RutaEstados());
        documento.RutaColeccion = raiz;
        dialogos.respuestasTexto.clear();
        dialogos.llamadas.clear();
    }
    void TearDown() override
    {
        QFile::remove(coleccion::RutaEstados());
        documento.RutaColeccion.clear();
    }
    QString Estados() const { return prueba::LeerTexto(coleccion::RutaEstados()); }
    FormColeccion::AbrirComicEnVisor Apuntar()
    {
        return [this](const QString &ruta) {
            abiertos << ruta;
            estadosAlAbrir = Estados();
        };
    }
    void Clic(FormColeccion &f, int fila, bool marcador = false)
    {
        const QRect r = marcador ? f.ucListado1->RectMarcador(fila) : f.ucListado1->RectNombre(fila);
        QTest::mouseClick(f.ucListado1->PB, Qt::LeftButton, {}, r.center());
    }
    // The comic whose front page shows, once the decode pool has made it.
    static QString Portada(FormColeccion &f)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f.PortadaPendiente(); }));
        return f.PB->Tag;
    }

    prueba::IdiomaIngles ingles;
    Documento documento;
    QTemporaryDir dir;
    QString raiz;
    QStringList abiertos;
    QString estadosAlAbrir;
    DialogosDePrueba &dialogos = DialogosDePrueba::Actuales();
};

} // namespace

TEST_F(Coleccion, OpensOnTheCollectionFolderWithItsStatesWrittenBackOnClosing)
{
    prueba::EscribirBytes(coleccion::RutaEstados(), "\"HERO 01.CBZ\",\"1\"\r\n\"otro.cbz\",\"2\"\r\n");
    for (const char *nombre : {"Hero 01.cbz", "Zeta.cbr"}) // one in progress, one read to its end
        documento.Memoria().Poner({nombre, QFileInfo(raiz + '/' + nombre).size(), false, false, false, false,
                                   nombre[0] == 'H' ? 2 : 3, 3});
    FormColeccion f(nullptr, documento, Apuntar());
    EXPECT_TRUE(dialogos.llamadas.isEmpty());
    EXPECT_EQ(f.LBTitulo->text(), "My Comics Collection (5)");
    EXPECT_EQ(f.ucListado1->getListCount(), 5);
    // The same name in a sub-folder shares its state.
    EXPECT_EQ(std::vector({f.ucListado1->Estado(0), f.ucListado1->Estado(1), f.ucListado1->Estado(3)}), std::vector({1, 0, 1}));
    EXPECT_EQ(f.ucListado1->Progreso(0), "2/3");
    EXPECT_EQ(f.ucListado1->Progreso(2), "");
    EXPECT_EQ(Portada(f), raiz + "/Hero 01.cbz");
    EXPECT_FALSE(f.PB->Imagen().isNull());
    EXPECT_EQ(QStringList({f.LBInfo[0]->text(), f.LBInfo[2]->text(), f.LBInfo[3]->text(), f.LBInfo[4]->text()}),
              QStringList({"cbz", "60 x 90 px", "Comic 1 / 5", "3 pages"}));
    ASSERT_EQ(f.LstDir->count(), 3);
    EXPECT_EQ(f.LstDir->item(1)->text(), "Marvel");

    // Marker clicks, then Escape, write the state file.
    f.show();
    Clic(f, 1, true); // hero 02: read
    Clic(f, 0, true); // Hero 01: reading
    Clic(f, 0, true); // Hero 01: not read again
    EXPECT_EQ(Portada(f), raiz + "/Hero 01.cbz"); // a marker does not select
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    // A record at 0 is dropped; the one of a comic not listed here stays.
    EXPECT_EQ(Estados(), "\"otro.cbz\",\"2\"\r\n\"hero 02.cbz\",\"1\"\r\n");
    EXPECT_EQ(documento.RutaColeccion, raiz);
    EXPECT_TRUE(abiertos.isEmpty());

    // Read back on the next opening; the close button saves too.
    FormColeccion g(nullptr, documento, Apuntar());
    EXPECT_EQ(std::pair(g.ucListado1->Estado(0), g.ucListado1->Estado(1)), std::pair(0, 1));
    g.show();
    Clic(g, 2, true);
    QTest::mouseClick(g.ImCerrar, Qt::LeftButton);
    EXPECT_FALSE(g.isVisible());
    EXPECT_EQ(Estados(), "\"otro.cbz\",\"2\"\r\n\"hero 02.cbz\",\"1\"\r\n\"zeta.cbr\",\"1\"\r\n");
}

TEST_F(Coleccion, WithoutAFolderACancelledPickerChangesNothingAndAChosenOneReadsTheStates)
{
    documento.RutaColeccion.clear();
    prueba::EscribirBytes(coleccion::RutaEstados(), "\"zeta.cbr\",\"2\"\r\n");
    {
        FormColeccion f(nullptr, documento, Apuntar());
        f.show();
        EXPECT_FALSE(f.ucListado1->isVisible());
        EXPECT_TRUE(f.LBVacio->isVisible());
        f.CierraFormColeccion();
        EXPECT_EQ(Estados(), "\"zeta.cbr\",\"2\"\r\n");
        EXPECT_EQ(documento.RutaColeccion, "");
    }
    dialogos.llamadas.clear();
    dialogos.respuestasTexto << raiz;
    FormColeccion f(nullptr, documento, Apuntar());
    EXPECT_EQ(dialogos.llamadas, QStringList{"ElegirCarpeta:Select the collection path"});
    EXPECT_EQ(documento.RutaColeccion, raiz);
    EXPECT_EQ(f.RaizColeccion, raiz);
    EXPECT_EQ(f.ucListado1->Estado(2), 2);
}

TEST_F(Coleccion, TheFilterAndTheRootAgainAfterClosing)
{
    FormColeccion f(nullptr, documento, Apuntar());
    f.show();
    QTest::mouseClick(f.LBRoot, Qt::LeftButton);
    EXPECT_TRUE(f.LstDir->isVisible());
    // Line 0 while the root is shown: only the filter hides.
    f.FiltrarCarpeta(0);
    EXPECT_FALSE(f.LstDir->isVisible());
    EXPECT_EQ(f.ListaComics.size(), 5);

    f.FiltrarCarpeta(1);
    EXPECT_EQ(documento.RutaColeccion, raiz + "/Marvel");
    EXPECT_EQ(f.LBTitulo->text(), "My Comics Collection (3)"); // and its own sub-folders
    EXPECT_EQ(Portada(f), raiz + "/Marvel/hero 01.cbz");
    EXPECT_EQ(f.LstDir->count(), 3); // it keeps listing the root's sub-folders
    {
        prueba::Escritorio escritorio; // the right button shows the folder in the file manager
        QTest::mouseClick(f.ImAbrir, Qt::RightButton);
        EXPECT_EQ(escritorio.abiertas, QList<QUrl>{QUrl::fromLocalFile(raiz + "/Marvel")});
        EXPECT_TRUE(dialogos.llamadas.isEmpty());
    }

    f.FiltrarCarpeta(2);
    EXPECT_EQ(f.LBTitulo->text(), "My Comics Collection (0)");
    EXPECT_FALSE(f.ucListado1->isVisible());
    EXPECT_TRUE(Portada(f).isEmpty());

    f.FiltrarCarpeta(0);
    EXPECT_EQ(documento.RutaColeccion, raiz);
    EXPECT_EQ(f.ListaComics.size(), 5);
    f.FiltrarCarpeta(1);
    f.CierraFormColeccion();
    EXPECT_EQ(documento.RutaColeccion, raiz);
}

TEST_F(Coleccion, SelectingALineShowsItsFrontPageAFailureKeepsThePreviousADoubleClickOpens)
{
    FormColeccion f(nullptr, documento, Apuntar());
    f.show();
    Clic(f, 4);
    EXPECT_EQ(Portada(f), raiz + "/Marvel/X-Men 01.cbz");
    EXPECT_GT(QColor(f.PB->Imagen().pixel(f.PB->Imagen().rect().center())).green(), 150);
    EXPECT_EQ(f.LBInfo[3]->text(), "Comic 5 / 5");
    Clic(f, 1);
    EXPECT_EQ(Portada(f), raiz + "/hero 02.cbz");
    EXPECT_EQ(f.LBInfo[2]->text(), "90 x 60 px");
    Clic(f, 2); // no pages
    EXPECT_EQ(Portada(f), raiz + "/hero 02.cbz");
    EXPECT_EQ(f.LBInfo[3]->text(), "Comic 2 / 5");
    // A double click saves, closes and opens the comic.
    Clic(f, 1, true);
    QTest::mouseDClick(f.ucListado1->PB, Qt::LeftButton, {}, f.ucListado1->RectNombre(1).center());
    QTest::mouseRelease(f.ucListado1->PB, Qt::LeftButton, {}, f.ucListado1->RectNombre(1).center());
    EXPECT_EQ(abiertos, QStringList{raiz + "/hero 02.cbz"});
    EXPECT_EQ(estadosAlAbrir, "\"hero 02.cbz\",\"1\"\r\n");
    EXPECT_FALSE(f.isVisible());
}

TEST_F(Coleccion, TheSelectionStripTakesOnlyTheFrontPageBoxOnce)
{
    FormColeccion f(nullptr, documento, Apuntar());
    f.show();
    EXPECT_FALSE(f.AgregarSeleccion(nullptr));
    Portada(f);
    EXPECT_TRUE(f.AgregarSeleccion(f.PB));
    EXPECT_FALSE(f.AgregarSeleccion(f.PB));
    Clic(f, 1);
    Portada(f);
    EXPECT_TRUE(f.AgregarSeleccion(f.PB));
    ASSERT_EQ(f.PBPrefe.size(), 2);
    EXPECT_FALSE(f.AgregarSeleccion(f.PBPrefe[0]));
    EXPECT_EQ(f.PBPrefe[0]->Tag, raiz + "/Hero 01.cbz");
    EXPECT_EQ(f.PBPrefe[1]->Tag, raiz + "/hero 02.cbz");
}

TEST_F(Coleccion, AFrontPageDroppedOnTheMainWindowOpensThere)
{
    const QMimeData *datos = FormColeccion::DatosArrastre(raiz + "/Hero 01.cbz");
    EXPECT_EQ(datos->urls(), QList<QUrl>{QUrl::fromLocalFile(raiz + "/Hero 01.cbz")});
    EXPECT_EQ(QString::fromUtf8(datos->data(FormColeccion::FormatoArrastre)), raiz + "/Hero 01.cbz");
    delete datos;

    QWidget visor;
    visor.setGeometry(0, 0, 1200, 900);
    visor.show();
    const QString ruta = raiz + "/Hero 01.cbz";
    {
        FormColeccion f(&visor, documento, Apuntar());
        f.show();
        f.move(100, 100);
        f.TerminarArrastre(ruta, Qt::IgnoreAction, nullptr, f.frameGeometry().center());
        f.TerminarArrastre(ruta, Qt::CopyAction, nullptr, QPoint(1150, 850)); // another program took it
        EXPECT_TRUE(abiertos.isEmpty());
        EXPECT_TRUE(f.isVisible());
        // Blocked by this window, the main window could not take it itself.
        f.TerminarArrastre(ruta, Qt::IgnoreAction, nullptr, QPoint(1150, 850));
        EXPECT_EQ(abiertos, QStringList{ruta});
        EXPECT_FALSE(f.isVisible());
        EXPECT_TRUE(QFile::exists(coleccion::RutaEstados()));
    }
    {
        // The main window took it and opened it: this window only closes.
        FormColeccion f(&visor, documento, Apuntar());
        f.show();
        f.TerminarArrastre(ruta, Qt::CopyAction, &visor, QPoint(1150, 850));
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(abiertos.size(), 1);
    }
}

TEST_F(Coleccion, TheWheelScrollsTheList)
{
    for (int i = 0; i < 60; ++i)
        prueba::Vacio(raiz + QStringLiteral("/Marvel/m%1.cbz").arg(i, 2, 10, QChar('0')));
    FormColeccion f(nullptr, documento, Apuntar());
    f.show();
    ASSERT_TRUE(f.ucListado1->VScroll->isVisible());
    // The window system's wheel travels up from the list to the window.
    const QPointF sitio = f.ucListado1->RectNombre(0).center();
    QWheelEvent e(sitio, f.ucListado1->PB->mapToGlobal(sitio), {}, {0, -240}, Qt::NoButton, {}, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(&f, &e);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.ucListado1->PrimeraFila(), 2);
}

TEST_F(Coleccion, RowsOnScreenShowTheSeriesTheirComicInfoGivesReadOnceAFile)
{
    const auto conSerie = [&](const QString &nombre, const QByteArray &serie) {
        ASSERT_TRUE(prueba::EscribirZip(raiz + nombre, {{"ComicInfo.xml", "<ComicInfo><Series>" + serie
                                                                             + "</Series><Number>1</Number></ComicInfo>"},
                                                         {"01.jpg", prueba::PaginaDeColor(prueba::Rojo, {60, 90})}}));
    };
    conSerie("/hero 02.cbz", "Hero");
    for (int i = 0; i < 60; ++i)
        prueba::Vacio(raiz + QStringLiteral("/Marvel/m%1.cbz").arg(i, 2, 10, QChar('0')));
    conSerie("/Marvel/m59.cbz", "Lejos");
    QFile::remove(SeriesComics::RutaPorDefecto());
    const auto esperar = [](Documento &d) {
        d.Obreros().EsperarInactiva();
        QCoreApplication::processEvents();
    };
    int lejos = 0;
    {
        FormColeccion f(nullptr, documento, Apuntar());
        f.show();
        esperar(documento);
        EXPECT_EQ(f.ucListado1->TextoFila(1), "hero 02.cbz \u2014 Hero #1 ");
        EXPECT_EQ(f.ucListado1->TextoFila(0), "Hero 01.cbz "); // it has none
        while (f.ListaComics[lejos].Nombre != "m59.cbz")
            ++lejos;
        EXPECT_EQ(f.ucListado1->Serie(lejos), ""); // not read before it is on screen
        f.ucListado1->ScrollManual(lejos);
        esperar(documento);
        EXPECT_EQ(f.ucListado1->Serie(lejos), "Lejos #1");
    }
    esperar(documento);
    // A comic changed since is read again; one as it was comes from the file.
    QString kept = prueba::LeerTexto(SeriesComics::RutaPorDefecto());
    ASSERT_TRUE(kept.contains("Lejos #1"));
    prueba::EscribirBytes(SeriesComics::RutaPorDefecto(), kept.replace("Lejos #1", "Kept #1").toUtf8());
    conSerie("/hero 02.cbz", "Other Hero");
    Documento otro;
    otro.RutaColeccion = raiz;
    FormColeccion g(nullptr, otro, Apuntar());
    g.show();
    g.ucListado1->ScrollManual(lejos - 1);
    esperar(otro);
    EXPECT_EQ(g.ucListado1->Serie(lejos), "Kept #1");
    g.ucListado1->ScrollManual(-lejos);
    esperar(otro);
    EXPECT_EQ(g.ucListado1->Serie(1), "Other Hero #1");
}

TEST_F(Coleccion, AStateFileThatCannotBeReadIsNeverReplaced)
{
    // Something there that no one can read as a file.
    ASSERT_TRUE(QDir().mkpath(coleccion::RutaEstados() + "/dentro"));
    dialogos.respuestasModal << QDialog::Accepted;
    {
        FormColeccion f(nullptr, documento, Apuntar());
        f.show();
        Clic(f, 0, true);
        f.CierraFormColeccion();
        EXPECT_FALSE(f.isVisible());
    }
    EXPECT_TRUE(dialogos.llamadas.contains("MostrarModal:CajaMensaje"));
    EXPECT_TRUE(QFileInfo::exists(coleccion::RutaEstados() + "/dentro"));
    QDir(coleccion::RutaEstados()).removeRecursively();
}

TEST_F(Coleccion, TheControlOpensOnTheCurrentFolder)
{
    FormColeccion f(nullptr, documento, Apuntar());
    f.show();
    f.FiltrarCarpeta(1);
    QString rutaControl;
    dialogos.alMostrarModal << [&](QDialog &d) {
        rutaControl = static_cast<FormColeccionControl &>(d).RutaControl;
        return int(QDialog::Rejected);
    };
    QTest::mouseClick(f.ImControl, Qt::LeftButton);
    EXPECT_EQ(rutaControl, raiz + "/Marvel");
}
