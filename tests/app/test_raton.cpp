// The mouse and the wheel on a real window (offscreen), with synthesized
// events at exact twip positions.
#include "PruebaForm1.h"
#include "views/FormListaPag.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

class Raton : public prueba::PruebaForm1 {
protected:
    void Abrir(int paginas, QSize tamano)
    {
        AbrirComic(paginas, [=](int i) { return prueba::PaginaNumero(i, tamano); });
    }
    // Positions in twips, as the handlers see them.
    void Enviar(QEvent::Type tipo, double xTwips, double yTwips, Qt::MouseButton boton,
                Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        prueba::Raton(f.get(), tipo, {xTwips / 15.0, yTwips / 15.0}, boton, mods);
    }
    void Arrastrar(double x0, double y0, double x1, double y1, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Enviar(QEvent::MouseButtonPress, x0, y0, Qt::LeftButton, mods);
        Enviar(QEvent::MouseMove, x1, y1, Qt::LeftButton, mods);
        Enviar(QEvent::MouseButtonRelease, x1, y1, Qt::LeftButton, mods);
    }
    // As the platform delivers it: with the buttons the application holds down.
    void Rueda(int delta)
    {
        QWheelEvent e(QPointF(400, 300), f->mapToGlobal(QPointF(400, 300)), QPoint(), QPoint(0, delta),
                      QGuiApplication::mouseButtons(), Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(f.get(), &e);
        QCoreApplication::processEvents(); // WheelMove comes after the window's own handling
    }
};

} // namespace

TEST_F(Raton, ClicksAndSwipesTurnByTheSideTheyStandFor)
{
    auto doble = [&](double x) {
        Enviar(QEvent::MouseButtonPress, x, 3000, Qt::LeftButton);
        Enviar(QEvent::MouseButtonRelease, x, 3000, Qt::LeftButton);
        Enviar(QEvent::MouseButtonDblClick, x, 3000, Qt::LeftButton);
        Enviar(QEvent::MouseButtonRelease, x, 3000, Qt::LeftButton);
    };
    // Without a document a double click reopens the last one at its page.
    f->Doc().Marcadores[0] = {EscribirComic(5, [](int i) { return prueba::PaginaNumero(i, {400, 300}); }), "3"};
    doble(100);
    EXPECT_EQ(Vista().PaginaActual(), 3);
    Abrir(5, QSize(400, 300));
    const struct {
        const char *gesto;
        double x0, x1; // a double click at x0, or a press at x0 dragged to x1
        int pagina;
    } casos[] = {
        {"double click left of the middle: back, wrapping", 6000 - 1, -1, 5},
        {"double click at the exact middle: the right half", 6000, -1, 1},
        {"699 twips to the left turn nothing", 8000, 8000 - 699, 1},
        {"700 twips to the left: the next page", 8000, 8000 - 700, 2},
        {"to the right: the previous page", 3000, 3000 + 700, 1},
    };
    for (const auto &c : casos) {
        const int antes = Vista().PaginaActual();
        if (c.x1 < 0)
            doble(c.x0);
        else
            Arrastrar(c.x0, 3000, c.x1, 3000);
        EXPECT_EQ(Vista().PaginaActual(), c.pagina) << c.gesto;
        // A swipe slides the new screen in, and the slide ends.
        EXPECT_EQ(f->tmrMovH.isActive(), c.x1 >= 0 && c.pagina != antes) << c.gesto;
        for (int i = 0; i < 200 && f->tmrMovH.isActive(); ++i)
            f->tmrMovH_Timer();
        EXPECT_FALSE(f->tmrMovH.isActive());
        EXPECT_TRUE(f->PBH[1]->isHidden());
    }
}

TEST_F(Raton, AWidePageDragsAcrossOnlyWithinItsEdgesFreelyWithShift)
{
    Abrir(2, QSize(1600, 400)); // mode 1 fits it: use 100 %
    f->Form_KeyUp('2', 0);
    ASSERT_EQ(Vista().Imagen().Width, 24000);
    const int top = Vista().Imagen().Top;
    Arrastrar(6000, 3000, 1000, 1000);
    EXPECT_EQ(Vista().Imagen().Left, -5000);
    EXPECT_EQ(Vista().Imagen().Top, top); // not taller: no vertical move
    Arrastrar(6000, 3000, -30000, 3000);
    EXPECT_EQ(Vista().Imagen().Left, 12000 - 24000); // never past the right edge
    Arrastrar(6000, 3000, 90000, 3000);
    EXPECT_EQ(Vista().Imagen().Left, 0);
    Arrastrar(6000, 3000, 7000, 5000, Qt::ShiftModifier);
    EXPECT_EQ(Vista().Imagen().Left, 1000);
    EXPECT_EQ(Vista().Imagen().Top, top + 2000);
}

TEST_F(Raton, WheelInMode2WalksATallPageThenTurns)
{
    Abrir(3, QSize(800, 1000)); // 15000 twips tall in a 9000-twip window
    f->Form_KeyUp('2', 0);
    ASSERT_EQ(Vista().Imagen().Top, 0);
    std::vector<int> tops;
    for (int i = 0; i < 7; ++i) {
        Rueda(-120);
        tops.push_back(Vista().Imagen().Top);
    }
    // The notch that would pass the bottom leaves a 500-twip gap; the next
    // shows the next page from its top.
    EXPECT_EQ(tops, (std::vector<int>{-1000, -2000, -3000, -4000, -5000, -6500, 0}));
    EXPECT_EQ(Vista().PaginaActual(), 2); // the 7th notch showed the next page
    // Up at the top of a page: the previous page, its bottom end first.
    Vista().MoverPagina(Vista().Imagen().Left, 0);
    Rueda(120);
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(Vista().Imagen().Top, 9000 - 15000 - 100);
}

TEST_F(Raton, ZoomWheelOsdOffAndSmallSteps)
{
    Abrir(3, QSize(400, 300));
    Enviar(QEvent::MouseButtonPress, 100, 100, Qt::MiddleButton);
    EXPECT_EQ(Vista().UltimoMensaje(), "Mousewheel in mode zoom");
    Rueda(-120);
    EXPECT_EQ(Vista().PorcentajeZoom(), 90);
    EXPECT_EQ(Vista().UltimoMensaje(), "Zoom - [90%]");
    Enviar(QEvent::MouseButtonPress, 100, 100, Qt::MiddleButton);
    EXPECT_EQ(Vista().UltimoMensaje(), "Mousewheel in mode page");
    // Touchpad steps add up to notches.
    for (int i = 0; i < 4; ++i)
        Rueda(-30);
    EXPECT_EQ(Vista().PaginaActual(), 2);
    Rueda(-60);
    EXPECT_EQ(Vista().PaginaActual(), 2);
    Rueda(-60);
    EXPECT_EQ(Vista().PaginaActual(), 3);
    // OSD off: the page label is hidden and the wheel does nothing.
    f->Form_KeyUp('O', 0);
    f->Form_KeyUp('O', 0);
    ASSERT_TRUE(f->LBPag->isHidden());
    Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 3);
}

TEST_F(Raton, PageNumberBox)
{
    Abrir(5, QSize(400, 300));
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    QTest::mouseDClick(f->LBPag, Qt::LeftButton);
    auto *tb = static_cast<QLineEdit *>(f->TB);
    ASSERT_TRUE(tb->isVisible());
    EXPECT_EQ(tb->text(), "1");
    for (const char *malo : {"0", "9"}) {
        tb->setText(malo);
        QTest::keyClick(tb, Qt::Key_Return);
        EXPECT_TRUE(tb->isVisible()) << malo;
        EXPECT_EQ(tb->selectedText(), malo);
    }
    f->Form_KeyUp(' ', 0); // keys are ignored while the box is open
    EXPECT_EQ(Vista().PaginaActual(), 1);
    tb->clear();
    QTest::keyClicks(tb, "4x");
    EXPECT_EQ(tb->text(), "4");
    QTest::keyClick(tb, Qt::Key_Return);
    EXPECT_FALSE(tb->isVisible());
    EXPECT_EQ(Vista().PaginaActual(), 4);
}

TEST_F(Raton, ContinuousModeOverPagesTallerThanTheWindow)
{
    Abrir(6, QSize(1240, 1754));
    f->Form_KeyUp('3', 0);
    f->Form_KeyUp('7', 0);
    const int alto = Vista().Imagen().Height; // 16974 twips in a 9000-twip window
    // Down through page 1: it stays the current page until it has left.
    for (int i = 0; i < 17; ++i)
        Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(Vista().Imagen().Top, -17000);
    for (int i = 0; i < 3; ++i)
        Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 2);
    EXPECT_EQ(Vista().Imagen().Top, -20000 + alto + 300);
    // Up inside page 2 keeps it; up to its top brings page 1 above.
    Rueda(120);
    EXPECT_EQ(Vista().PaginaActual(), 2);
    for (int i = 0; i < 5 && Vista().PaginaActual() == 2; ++i)
        Rueda(120);
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_EQ(Vista().Imagen2().Top, Vista().Imagen().Top + alto + 300);
}

// Moves with no button held, the way the window system delivers them.
TEST_F(Raton, MovesWithoutAButtonReachTheWindow)
{
    Abrir(3, QSize(2000, 3000));
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    QWindow *ventana = f->windowHandle();
    // QTest keeps the buttons of earlier tests' double clicks held.
    QTest::mouseRelease(ventana, Qt::LeftButton, {}, QPoint(1, 1));

    // Mode 6: a move away from the centre makes the page drift towards it.
    f->Form_KeyUp('2', 0);
    f->Form_KeyUp('6', 0);
    Vista().tmrDinamico.stop();
    ASSERT_EQ(Vista().Imagen().Left, 0);
    QTest::mouseMove(ventana, QPoint(790, 590));
    EXPECT_EQ(Vista().RatonX(), 790 * 15);
    EXPECT_TRUE(Vista().tmrDinamico.isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Vista().Imagen().Left < 0 && Vista().Imagen().Top < 0; }));

    // OSD mode 2: the controls appear near them and go away from them.
    f->Form_KeyUp('1', 0);
    f->Form_KeyUp('O', 0);
    ASSERT_EQ(Vista().ModoOSD(), 2);
    EXPECT_TRUE(f->ImCerrar->isHidden());
    const QRect cerrar = f->ImCerrar->geometry();
    QTest::mouseMove(ventana, cerrar.bottomLeft() + QPoint(-15, 15)); // within 300 twips
    EXPECT_FALSE(f->ImCerrar->isHidden());
    QTest::mouseMove(ventana, QPoint(400, 300));
    EXPECT_TRUE(f->ImCerrar->isHidden());
}

// The left button through the application, as the window system sends it: a
// release goes to the window of its press only while that window is up.
static void Boton(QWindow *w, QPoint p, QEvent::Type tipo)
{
    if (!w->isVisible())
        return;
    const Qt::MouseButtons estado = tipo == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    qt_handleMouseEvent(w, p, w->mapToGlobal(p), estado, Qt::LeftButton, tipo, {}, ++QTest::lastMouseTimestamp);
    QCoreApplication::processEvents();
}

TEST_F(Raton, NoToolWindowLeavesTheWheelDead)
{
    Abrir(12, QSize(400, 300));
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    QWindow *principal = f->windowHandle();
    // Held down on the main window, the button keeps the wheel from turning.
    Boton(principal, {400, 300}, QEvent::MouseButtonPress);
    Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 1);
    // A modal window opened over the press takes its release: the press is
    // over for the main window.
    QEvent bloqueada(QEvent::WindowBlocked);
    QCoreApplication::sendEvent(f.get(), &bloqueada);
    EXPECT_FALSE(f->bDesplazando);
    Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 2);
    Boton(principal, {400, 300}, QEvent::MouseButtonRelease);

    // Shift+P, a double click on page 5's name: the list closes with the
    // release of its second press, and nothing is left held.
    DialogosDePrueba::Actuales().alMostrarModal << [](QDialog &v) {
        auto &lista = dynamic_cast<FormListaPag &>(v);
        const QRect linea = lista.Lista->visualItemRect(lista.Lista->item(4));
        const QPoint p = lista.Lista->viewport()->mapTo(&lista, linea.center());
        for (auto tipo : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                          QEvent::MouseButtonRelease})
            Boton(lista.windowHandle(), p, tipo);
        EXPECT_TRUE(lista.isHidden());
        return lista.result();
    };
    f->Form_KeyUp('P', teclas::ShiftMask);
    EXPECT_EQ(Vista().PaginaActual(), 5);
    EXPECT_EQ(QGuiApplication::mouseButtons(), Qt::NoButton);
    Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 6);

    // A window gone between a press and its release: the application still
    // takes the button as held; the main window knows better.
    {
        QWidget otra;
        otra.resize(100, 100);
        otra.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&otra));
        Boton(otra.windowHandle(), {50, 50}, QEvent::MouseButtonPress);
    }
    ASSERT_EQ(QGuiApplication::mouseButtons(), Qt::LeftButton);
    Rueda(-120);
    EXPECT_EQ(Vista().PaginaActual(), 7);
    Boton(principal, {400, 300}, QEvent::MouseButtonRelease);
}
