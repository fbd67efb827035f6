// The command dispatcher on a real window over a generated comic: state and
// message text after each key.
#include "Constructores.h"
#include "PruebaForm1.h"
#include "DialogosDePrueba.h"
#include "shell/modIdioma.h"
#include "app/Form1.h"
#include "viewer/Teclas.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace teclas;

namespace {

class Teclado : public prueba::PruebaForm1 {
protected:
    // Pages 400 x 300 (they fit the 800 x 600 window) unless told otherwise.
    void Abrir(int paginas, QSize tamano = QSize(400, 300))
    {
        AbrirComic(paginas, [=](int i) { return prueba::PaginaNumero(i, tamano); }, "jpg", 2);
        f->Vista().UltimoMensaje.clear();
    }
    void Tecla(int codigo, int mayus = 0) { f->Form_KeyUp(codigo, mayus); }
};

} // namespace

TEST_F(Teclado, WithoutADocumentOnlyTheGateKeysAct)
{
    auto &d = DialogosDePrueba::Actuales();
    f->Vista().UltimoMensaje.clear();
    for (int k : {int(VK_SPACE), int('1'), int('Z'), int('B'), int('O'), int('V'), int(VK_RIGHT)})
        Tecla(k);
    EXPECT_EQ(f->Vista().UltimoMensaje, "");
    EXPECT_FALSE(f->Vista().BarraVisible);
    d.respuestasColor = {0x0000FF};
    Tecla('C');
    EXPECT_EQ(f->Vista().UltimoMensaje, "Background color changed");
    EXPECT_EQ(f->Vista().ColorFondo(), 0x0000FF);
    // A cancelled colour dialog changes and says nothing.
    f->Vista().UltimoMensaje.clear();
    Tecla('C');
    EXPECT_EQ(f->Vista().UltimoMensaje, "");
    EXPECT_EQ(f->Vista().ColorFondo(), 0x0000FF);
    Tecla('C', ShiftMask);
    EXPECT_EQ(f->Vista().ColorFondo(), 0);
    Tecla('L');
    EXPECT_EQ(f->Vista().UltimoMensaje, "There is no bookmarks list");
    Tecla('I');
    EXPECT_EQ(f->Vista().UltimoMensaje, "Língua: Português");
    modIdioma::Idioma = "ing";
    // F5 without a collection asks for the folder.
    d.respuestasTexto = {"/comics"};
    Tecla(VK_F1 + 4);
    EXPECT_EQ(f->Doc().RutaColeccion, "/comics");
    EXPECT_TRUE(d.llamadas.contains("ElegirCarpeta:Select the collection path"));
}

TEST_F(Teclado, PageTurnsWrapAround)
{
    Abrir(4);
    Tecla(VK_BACK);
    EXPECT_EQ(f->Vista().PaginaActual, 4);
    EXPECT_EQ(f->LBPag->text(), "4/4");
    Tecla(VK_SPACE);
    EXPECT_EQ(f->Vista().PaginaActual, 1);
    Tecla(VK_NEXT);
    Tecla(VK_RETURN);
    EXPECT_EQ(f->Vista().PaginaActual, 3);
    EXPECT_EQ(f->Vista().Imagen.Tag, "3");
    Tecla(VK_SPACE, ShiftMask);
    EXPECT_EQ(f->Vista().PaginaActual, 1);
    Tecla(VK_PRIOR, ShiftMask);
    EXPECT_EQ(f->Vista().PaginaActual, 4);
    EXPECT_EQ(f->Vista().UltimoMensaje, ""); // page turns say nothing
}

TEST_F(Teclado, TwoPageModeBackspaceSequence)
{
    Abrir(8);
    Tecla('8');
    EXPECT_EQ(f->Vista().UltimoMensaje, "Fit to two pages (on / off): On");
    EXPECT_EQ(f->Vista().PaginaActual, 2); // 1|2
    Tecla(VK_SPACE);
    Tecla(VK_SPACE);
    EXPECT_EQ(f->Vista().PaginaActual, 6); // 3|4, then 5|6
    f->Vista().ModoAjuste = diseno::Modo::DosPaginas;
    f->Vista().bAvanzando = f->Vista().bAvanzandoAntes = true;
    f->Vista().PaginaActual = 4;
    f->VerImagen(4); // 4|5
    EXPECT_EQ(f->Vista().PaginaActual, 5);
    Tecla(VK_BACK);
    EXPECT_EQ(f->Vista().PaginaActual, 2); // back to 4, then 3: 2|3
    EXPECT_FALSE(f->Vista().bAvanzando);
    Tecla('8');
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Pantalla);
    EXPECT_EQ(f->Vista().UltimoMensaje, "Fit to two pages (on / off): Off");
    modIdioma::Idioma = "deu"; // on and off in the reader's language
    Tecla('8');
    EXPECT_TRUE(f->Vista().UltimoMensaje.endsWith(": Ein"));
}

TEST_F(Teclado, LeavingTwoPageModeKeepsThePageOnScreen)
{
    Abrir(30);
    auto enPaso = [&](int pagina) {
        SCOPED_TRACE(pagina);
        EXPECT_EQ(f->Vista().PaginaActual, pagina);
        EXPECT_EQ(f->LBPag->text(), QString("%1/30").arg(pagina));
        EXPECT_EQ(f->Vista().Imagen.Tag, QString::number(pagina));
        EXPECT_NEAR(f->Vista().Imagen.Picture.pixelColor(5, 5).hue(), pagina * 50 % 360, 2);
        Tecla(VK_F1 + 6);
        EXPECT_TRUE(f->Vista().UltimoMensaje.endsWith(QString("Name: p%1.jpg | ").arg(pagina, 2, 10, QChar('0'))))
            << f->Vista().UltimoMensaje.toStdString();
    };
    // 8 on, Space, 8 off: the page on screen is the current page.
    Tecla('8');
    Tecla(VK_SPACE); // 3|4
    Tecla('8');
    enPaso(3);
    Tecla(VK_SPACE);
    enPaso(4);
    // Backwards, then out through continuous mode: no page twice, and the
    // counter runs forward.
    Tecla('8');   // 4|5
    Tecla(VK_BACK); // 2|3
    Tecla('7');
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Continuo);
    enPaso(3);
    EXPECT_NEAR(f->Vista().Imagen2.Picture.pixelColor(5, 5).hue(), 4 * 50 % 360, 2);
    Tecla(VK_SPACE);
    EXPECT_EQ(f->Vista().PaginaActual, 4);
    // A fit mode, the dynamic mode or a turn out of a spread, the same.
    Tecla('7');
    for (int tecla : {'3', '6', 'R'}) {
        Tecla('1');
        Tecla('8');   // 4|5
        Tecla(tecla);
        enPaso(4);
    }
}

TEST_F(Teclado, ContinuousModeToggleAndModesUnderIt)
{
    Abrir(5);
    Tecla(VK_SPACE); // page 2
    Tecla('7');
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Continuo);
    EXPECT_EQ(f->Vista().ModoAnterior, diseno::Modo::Pantalla);
    EXPECT_EQ(f->Vista().UltimoMensaje, "Continuous mode: On [Mode: 1]");
    Tecla('3');
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Continuo);
    EXPECT_EQ(f->Vista().ModoAnterior, diseno::Modo::Ancho);
    EXPECT_EQ(f->Vista().Imagen.Width, 800 * 15); // laid out in mode 3
    // A page turn keeps continuous mode on the same mode under it.
    Tecla(VK_SPACE);
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Continuo);
    EXPECT_EQ(f->Vista().ModoAnterior, diseno::Modo::Ancho);
    Tecla('7');
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Ancho);
    EXPECT_EQ(f->Vista().UltimoMensaje, "Continuous mode: Off");
    EXPECT_EQ(f->Vista().PaginaActual, 3);
    EXPECT_NEAR(f->Vista().Imagen.Picture.pixelColor(5, 5).hue(), 150, 10); // page 3 again
}

TEST_F(Teclado, ArrowsScrollOnlyLargePagesWithTheExactShiftRule)
{
    Abrir(2, QSize(400, 300));
    f->MostrarMensaje("x");
    f->Vista().UltimoMensaje.clear();
    Tecla(VK_RIGHT);
    EXPECT_EQ(f->Vista().UltimoMensaje, ""); // fits: nothing at all
    Abrir(2, QSize(2000, 500));
    Tecla('2');
    ASSERT_EQ(f->Vista().Imagen.Left, 0);
    Tecla(VK_RIGHT, ShiftMask | CtrlMask);
    EXPECT_EQ(f->Vista().Imagen.Left, -100);
    Tecla(VK_RIGHT, ShiftMask);
    EXPECT_EQ(f->Vista().Imagen.Left, -1100);
    for (int i = 0; i < 40; ++i)
        Tecla(VK_RIGHT, ShiftMask);
    EXPECT_EQ(f->Vista().Imagen.Left, 800 * 15 - 2000 * 15); // never past the edge
    const int top = f->Vista().Imagen.Top;
    Tecla(VK_DOWN);
    EXPECT_EQ(f->Vista().Imagen.Top, top); // not taller than the window
}

TEST_F(Teclado, ZoomInThenOutLeaves99Percent)
{
    Abrir(2);
    EXPECT_EQ(f->Vista().PorcentajeZoom(), 100);
    Tecla('Z');
    EXPECT_EQ(f->Vista().UltimoMensaje, "Zoom + [110%]");
    Tecla('Z', ShiftMask);
    EXPECT_EQ(f->Vista().UltimoMensaje, "Zoom - [99%]");
    EXPECT_FALSE(f->PBRef->isHidden());
}

TEST_F(Teclado, ForwardedKeysWithCtrlOrAltAreDropped)
{
    Abrir(3);
    f->TecladesdeInfo(VK_SPACE, CtrlMask);
    f->TecladesdeInfo(VK_SPACE, AltMask);
    f->TecladesdeInfo(0, 0);
    EXPECT_EQ(f->Vista().PaginaActual, 1);
    f->TecladesdeInfo(VK_SPACE, 0);
    EXPECT_EQ(f->Vista().PaginaActual, 2);
    f->TecladesdeInfo(VK_SPACE, ShiftMask);
    EXPECT_EQ(f->Vista().PaginaActual, 1);
}

TEST_F(Teclado, MessagesStayTheirSecondsPlusOneTick)
{
    Abrir(2);
    Tecla('2');
    EXPECT_EQ(f->Vista().SegundosMensaje, 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(f->LBInfo->isHidden()) << i;
        f->tmrInfo_Timer();
    }
    EXPECT_TRUE(f->LBInfo->isHidden());
    EXPECT_FALSE(f->tmrInfo.isActive());
    // F7: five seconds, and the next message from elsewhere inherits them.
    Tecla(VK_F1 + 6);
    EXPECT_TRUE(f->Vista().UltimoMensaje.startsWith(" | Mode: 2 |"));
    EXPECT_EQ(f->Vista().SegundosMensaje, 5);
    f->MostrarMensaje("from the mouse");
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(f->LBInfo->isHidden()) << i;
        f->tmrInfo_Timer();
    }
    EXPECT_TRUE(f->LBInfo->isHidden());
}

TEST_F(Teclado, MessagesFitTheWindow)
{
    const QString largo = QString("pagina_") + QString(120, 'x') + ".jpg";
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath(largo + ".cbz"), {{largo, prueba::PaginaNumero(1, {400, 300})}}));
    f->AbrirArchivo(tmp.filePath(largo + ".cbz"), true);
    auto dentro = [&] {
        const QRect r = f->LBInfo->geometry();
        EXPECT_TRUE(f->rect().contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    };
    for (int ancho : {800, 400}) {
        f->resize(ancho, 600);
        f->MostrarMensaje(largo + ".cbz"); // the comic's name
        dentro();
        EXPECT_TRUE(f->LBInfo->text().contains(QStringLiteral("…"))) << ancho;
        EXPECT_TRUE(f->LBInfo->text().endsWith(".cbz"));
        // F7: a long line of words wraps; the name in it is cut in the middle.
        Tecla(VK_F1 + 6);
        dentro();
        EXPECT_TRUE(f->LBInfo->wordWrap());
        EXPECT_GT(f->LBInfo->height(), 2 * f->LBInfo->fontMetrics().height());
        EXPECT_TRUE(f->LBInfo->text().startsWith(" | Mode: 1 |"));
        EXPECT_TRUE(f->LBInfo->text().contains(QStringLiteral("…")));
        EXPECT_EQ(f->Vista().UltimoMensaje, f->Vista().InfoPagina()); // V repeats it whole
    }
    // A short message stays on one line, as wide as it needs.
    f->MostrarMensaje("Zoom + [110%]");
    EXPECT_FALSE(f->LBInfo->wordWrap());
    EXPECT_EQ(f->LBInfo->text(), "Zoom + [110%]");
    EXPECT_LT(f->LBInfo->width(), 300);
}

TEST_F(Teclado, AutomaticShowIntervalCycleAndOsdRepeat)
{
    Abrir(3);
    Tecla('A');
    EXPECT_TRUE(f->Ordenes().tmrPaseFotos.isActive());
    EXPECT_EQ(f->Vista().UltimoMensaje, "Automatic show: Activated");
    f->Ordenes().tmrPaseFotos_Timer();
    EXPECT_EQ(f->Vista().PaginaActual, 2);
    std::vector<int> segundos;
    for (int i = 0; i < 7; ++i) {
        Tecla('A', ShiftMask);
        segundos.push_back(f->Ordenes().tmrPaseFotos.interval() / 1000);
    }
    EXPECT_EQ(segundos, (std::vector<int>{7, 10, 15, 20, 30, 3, 5}));
    EXPECT_EQ(f->Vista().UltimoMensaje, "Show interval: 5s");
    Tecla('A');
    EXPECT_EQ(f->Vista().UltimoMensaje, "Automatic show: Deactivated");

    Tecla('O');
    EXPECT_EQ(f->Vista().UltimoMensaje, "OSD Activated (Hidden)");
    EXPECT_TRUE(f->LBPag->isHidden());
    f->MostrarMensaje("something else");
    Tecla('V');
    EXPECT_EQ(f->Vista().UltimoMensaje, "something else");
    Tecla('O');
    EXPECT_EQ(f->Vista().UltimoMensaje, "OSD Deactivated");
    Tecla('V');
    EXPECT_EQ(f->Vista().UltimoMensaje, "OSD Deactivated");
    Tecla('O');
    EXPECT_EQ(f->Vista().UltimoMensaje, "OSD Activated");
    EXPECT_FALSE(f->LBPag->isHidden());
    EXPECT_EQ(f->Ordenes().CambiaOSD(3), "");
}

TEST_F(Teclado, RotateMirrorBarAndExit)
{
    Abrir(2, QSize(400, 300));
    Tecla('R');
    EXPECT_EQ(f->Vista().Imagen.Picture.size(), QSize(300, 400));
    EXPECT_EQ(f->Vista().UltimoMensaje, "Rotate right");
    Tecla('R', ShiftMask);
    EXPECT_EQ(f->Vista().Imagen.Picture.size(), QSize(400, 300));
    EXPECT_EQ(f->Vista().UltimoMensaje, "Rotate left");
    const QImage antes = f->Vista().Imagen.Picture;
    Tecla('F');
    EXPECT_EQ(f->Vista().UltimoMensaje, "Flip horizontal");
    Tecla('F');
    EXPECT_EQ(f->Vista().Imagen.Picture, antes);
    Tecla('F', ShiftMask);
    EXPECT_EQ(f->Vista().UltimoMensaje, "Flip vertical");
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    Tecla('B');
    EXPECT_TRUE(f->Vista().BarraVisible);
    EXPECT_FALSE(f->PBBarra->isHidden());
    EXPECT_EQ(f->Vista().UltimoMensaje, "Navigation bar: On");
    // Its buttons send keys.
    QTest::mouseClick(f->LBBarra[3], Qt::LeftButton); // last page
    EXPECT_EQ(f->Vista().PaginaActual, 2);
    QTest::mouseClick(f->LBBarra[6], Qt::LeftButton); // mode 3
    EXPECT_EQ(f->Vista().ModoAjuste, diseno::Modo::Ancho);
    QTest::mouseClick(f->imCerrarBarra, Qt::LeftButton);
    EXPECT_FALSE(f->Vista().BarraVisible);
    Tecla(VK_ESCAPE);
    EXPECT_EQ(salidas, 1);
}

TEST_F(Teclado, OnlyKeysPressedOnTheWindowActOnRelease)
{
    Abrir(3);
    QKeyEvent suelta(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(f.get(), &suelta); // the Enter that closed a list
    EXPECT_EQ(f->Vista().PaginaActual, 1);
    QTest::keyClick(f.get(), Qt::Key_Return);
    EXPECT_EQ(f->Vista().PaginaActual, 2);
    QTest::keyClick(f.get(), Qt::Key_Z, Qt::ShiftModifier);
    EXPECT_EQ(f->Vista().UltimoMensaje, "Zoom - [90%]");
}
