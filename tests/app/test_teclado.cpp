// The commands on a real window over a generated comic: the key table, the
// user's keys, the turns of the dispatcher, and what keys leave on the view.
#include "PruebaForm1.h"
#include "viewer/Teclas.h"
#include "views/FormInfo.h"

#include <QSignalSpy>
#include <QToolButton>

using namespace teclas;

namespace {

class Teclado : public prueba::PruebaForm1 {
protected:
    // Pages 400 x 300 (they fit the 800 x 600 window) unless told otherwise.
    void Abrir(int paginas, QSize tamano = QSize(400, 300))
    {
        AbrirComic(paginas, [=](int i) { return prueba::PaginaNumero(i, tamano); }, "jpg", 2);
        f->MostrarMensaje({});
    }
    void Tecla(int codigo, int mayus = 0) { f->Form_KeyUp(codigo, mayus); }
    EstadoVista &V() { return Vista(); }
};

} // namespace

// The keys that no test of what a key does presses: the modifiers a command
// takes too, and keys without a command.
TEST(TablaTeclas, EveryDefaultKeyNamesItsCommand)
{
    const int S = ShiftMask, C = CtrlMask, A = AltMask;
    const struct {
        int tecla, mayus;
        const char *comando;
    } casos[] = {
        {Qt::Key_PageDown, A, "PrimeraPagina"}, {Qt::Key_Enter, S, "PrimeraPagina"},
        {Qt::Key_Backspace, S, "UltimaPagina"}, {Qt::Key_PageUp, C | A, "UltimaPagina"},
        {Qt::Key_Home, 0, "PrimeraPagina"}, {Qt::Key_End, S, "UltimaPagina"},
        {Qt::Key_2, S, "ModoReal"}, {Qt::Key_4, 0, "ModoAlto"}, {Qt::Key_5, 0, "ModoEstirado"},
        {Qt::Key_7, C, "ModoContinuo"}, {Qt::Key_9, 0, "ParteAnterior"}, {Qt::Key_9, S, "ReiniciarParte"},
        {Qt::Key_0, 0, "ParteSiguiente"}, {Qt::Key_0, A, "ReiniciarParte"},
        // The arrows' larger step wants Shift alone.
        {Qt::Key_Down, 0, "VerAbajo"}, {Qt::Key_Down, S, "VerAbajoRapido"}, {Qt::Key_Up, S, "VerArribaRapido"},
        {Qt::Key_Left, C, "VerIzquierda"}, {Qt::Key_B, S, "BarraNavegacion"}, {Qt::Key_N, 0, "ComicSiguiente"},
        {Qt::Key_N, C, "ComicAnterior"}, {Qt::Key_U, 0, "AbrirUltimo"}, {Qt::Key_F2, 0, "AbrirArchivo"},
        {Qt::Key_F12, S, "Acercade"}, {Qt::Key_K, 0, "EmparejarPaginas"}, {Qt::Key_K, S, "DesplazarPliegos"},
        // No command: other keys, and the keypad's digits.
        {Qt::Key_G, 0, ""}, {Qt::Key_F4, 0, ""}, {int(Qt::Key_1) | int(Qt::KeypadModifier), 0, ""},
    };
    const TablaTeclas tabla;
    for (const auto &c : casos)
        EXPECT_EQ(tabla.Comando(Normalizada(c.tecla, c.mayus)), c.comando) << std::hex << c.tecla << " " << c.mayus;
}

TEST_F(Teclado, EveryCommandNamedIsRegistered)
{
    QStringList nombres{"RuedaAbajo", "RuedaArriba", "CambiarRueda", "IrAlMarcador"};
    for (const Fila &fila : TeclasPorDefecto())
        nombres << fila.Comando;
    for (const info::Entrada &e : info::Entradas())
        nombres << e.Comando;
    for (Lado lado : {Lado::Izquierda, Lado::Derecha})
        nombres << ComandoHacia(lado) << ComandoHacia(lado, true);
    // Right to left a side stands for the other way.
    EXPECT_EQ(ComandoHacia(Lado::Izquierda, false, true), "PaginaSiguiente");
    EXPECT_EQ(ComandoHacia(Lado::Derecha, true, true), "PrimeraPagina");
    EXPECT_EQ(ComandoHacia(Lado::Derecha, false, false), "PaginaSiguiente");
    for (const QString &n : nombres)
        EXPECT_EQ(f->Ordenes().NombreDe(n), n);
}

TEST(TablaTeclas, AValueOfSeveralKeysSplitsAtItsCommas)
{
    const std::pair<const char *, QStringList> casos[] = {
        {"X", {"X"}}, {"X, Ctrl+N", {"X", "Ctrl+N"}}, {"Ctrl+,", {"Ctrl+,"}}, {",", {","}},
        {"X, ,", {"X", ","}}, {" Num+5 ,F4", {"Num+5", "F4"}}, {"", {}}};
    for (const auto &[valor, partes] : casos)
        EXPECT_EQ(PartirTeclas(valor), partes) << valor;
}

// [Teclas] PaginaSiguiente=X: X turns to the next page and Space still does;
// what cannot be taken is said once, and the defaults stand.
TEST_F(Teclado, TheUsersKeysAddToTheTable)
{
    const prueba::CasaPropia casa;
    prueba::EscribirBytes(casa.filePath("tavelo.ini"),
                          "[Teclas]\nPaginaSiguiente=X, Ctrl+G\nNoExiste=Y\nPaginaAnterior=Space\n"
                          "modoreal=Ctrl+Foo\nModoAncho=.\nModoAlto=X\n");
    f = std::make_unique<Form1>();
    f->resize(800, 600);
    modIdioma::Idioma = "ing";
    f->show(); // the start says it
    ASSERT_TRUE(QTest::qWaitFor([&] { return V().UltimoMensaje().startsWith("Keys"); }));
    EXPECT_EQ(V().UltimoMensaje(), "Keys ignored in tavelo.ini: NoExiste=Y (unknown command); "
                                   "PaginaAnterior=Space (key already in use); modoreal=Ctrl+Foo (unreadable key); "
                                   "ModoAlto=X (key already in use)");
    f->MostrarMensaje("later");
    f->Ordenes().AvisarTeclas();
    EXPECT_EQ(V().UltimoMensaje(), "later"); // once
    Abrir(5);
    const std::tuple<int, int, int> pasos[] = {
        {Qt::Key_X, 0, 2}, {Qt::Key_Space, 0, 3}, {Qt::Key_G, CtrlMask, 4}, {Qt::Key_X, ShiftMask, 4},
        {Qt::Key_Backspace, 0, 3}};
    for (const auto &[tecla, mayus, pagina] : pasos) {
        Tecla(tecla, mayus);
        EXPECT_EQ(V().PaginaActual(), pagina) << tecla;
    }
    QTest::keyClick(f.get(), Qt::Key_Period, Qt::ShiftModifier); // Shift is no part of a sign
    EXPECT_EQ(V().ModoAjuste(), diseno::Modo::Ancho);
}

// Whatever would run a command while one runs (here the About window is up)
// runs after it, in turn, never inside it.
TEST_F(Teclado, WhatArrivesDuringACommandWaitsItsTurn)
{
    const QString otro = tmp.filePath("otro.cbz");
    ASSERT_TRUE(prueba::EscribirZip(otro, prueba::PaginasNumeradas(2, [](int i) { return prueba::PaginaNumero(i, {40, 30}); })));
    const struct {
        const char *que;
        std::function<void()> llega;
        std::function<bool()> hecho;
    } casos[] = {
        {"two ticks of the automatic show, one kept", [&] { f->Ordenes().tmrPaseFotos_Timer(); f->Ordenes().tmrPaseFotos_Timer(); },
         [&] { return V().PaginaActual() == 2; }},
        {"a document handed over", [&] { f->AbrirEntregado(otro); },
         [&] { return Listado(), f->Doc().RutaActual == otro; }},
        {"a key", [&] { Tecla(Qt::Key_PageDown); }, [&] { return V().PaginaActual() == 2; }},
        {"a bar button", [&] { static_cast<QToolButton *>(f->LBBarra[3])->click(); },
         [&] { return V().PaginaActual() == 4; }},
    };
    auto &d = DialogosDePrueba::Actuales();
    for (const auto &c : casos) {
        Abrir(4);
        d.alMostrarModal << [&](QDialog &ventana) {
            c.llega();
            EXPECT_FALSE(c.hecho()) << c.que;
            return ventana.result();
        };
        Tecla(Qt::Key_F12);
        EXPECT_TRUE(c.hecho()) << c.que;
    }
}

TEST_F(Teclado, KeysAndWhatTheyLeave)
{
    // A key (`pasada`: passed on by a tool window), then the current page
    // (0: not looked at) and the message (null: not looked at; "": nothing
    // said since the comic opened).
    struct Paso {
        int tecla, mayus = 0, pagina = 0;
        const char *mensaje = nullptr;
        bool pasada = false;
    };
    const int S = ShiftMask;
    const struct {
        const char *caso;
        int paginas;
        std::vector<Paso> pasos;
    } casos[] = {
        {"without a document only the gate keys act", 0,
         {{Qt::Key_Space, 0, 0, ""}, {'1', 0, 0, ""}, {'Z', 0, 0, ""}, {'B', 0, 0, ""}, {'O', 0, 0, ""},
          {'V', 0, 0, ""}, {Qt::Key_Right, 0, 0, ""}, {'L', 0, 0, "There is no bookmarks list"}}},
        {"turns wrap around and say nothing", 4,
         {{Qt::Key_Backspace, 0, 4}, {Qt::Key_Space, 0, 1}, {Qt::Key_PageDown, 0, 2}, {Qt::Key_Return, 0, 3},
          {Qt::Key_Space, S, 1}, {Qt::Key_PageUp, S, 4}, {Qt::Key_Space, CtrlMask, 1, ""}}},
        {"two pages: back from 4|5 is 2|3", 8,
         {{'8', 0, 2, "Fit to two pages (on / off): On"}, {Qt::Key_Space, 0, 4}, {'8', 0, 3}, {Qt::Key_Space, 0, 4},
          {'8', 0, 5}, {Qt::Key_Backspace, 0, 2}, {'8', 0, 0, "Fit to two pages (on / off): Off"}}},
        {"passed on with Ctrl or Alt: dropped", 3,
         {{Qt::Key_Space, CtrlMask, 1, "", true}, {Qt::Key_Space, AltMask, 1, "", true}, {0, 0, 1, "", true},
          {Qt::Key_Space, 0, 2, "", true}, {Qt::Key_Space, S, 1, "", true}}},
        {"zoom in then out leaves 99 %", 2, {{'Z', 0, 0, "Zoom + [110%]"}, {'Z', S, 0, "Zoom - [99%]"}}},
        {"the show, the OSD and V", 3,
         {{'A', 0, 0, "Automatic show: Activated"}, {'A', S, 0, "Show interval: 7s"},
          {'A', 0, 0, "Automatic show: Deactivated"}, {'O', 0, 0, "OSD Activated (Hidden)"},
          {'O', 0, 0, "OSD Deactivated"}, {'V', 0, 0, "OSD Deactivated"}, {'O', 0, 0, "OSD Activated"}}},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.caso);
        f = std::make_unique<Form1>();
        f->resize(800, 600);
        modIdioma::Idioma = "ing";
        if (c.paginas > 0)
            Abrir(c.paginas);
        f->MostrarMensaje({});
        for (const Paso &p : c.pasos) {
            SCOPED_TRACE(p.tecla);
            if (p.pasada)
                f->TecladesdeInfo(p.tecla, p.mayus);
            else
                Tecla(p.tecla, p.mayus);
            if (p.pagina != 0) {
                EXPECT_EQ(V().PaginaActual(), p.pagina);
            }
            if (p.mensaje) {
                EXPECT_EQ(V().UltimoMensaje(), QString::fromUtf8(p.mensaje));
            }
        }
    }
}

TEST_F(Teclado, TheGateKeysWithoutADocument)
{
    auto &d = DialogosDePrueba::Actuales();
    d.respuestasColor = {0x0000FF};
    Tecla('C');
    EXPECT_EQ(V().UltimoMensaje(), "Background color changed");
    EXPECT_EQ(V().ColorFondo(), 0x0000FF);
    // A cancelled colour dialog changes and says nothing.
    f->MostrarMensaje({});
    Tecla('C');
    EXPECT_EQ(V().UltimoMensaje(), "");
    EXPECT_EQ(V().ColorFondo(), 0x0000FF);
    // F5 without a collection asks for the folder.
    d.respuestasTexto = {"/comics"};
    Tecla(Qt::Key_F5);
    EXPECT_EQ(f->Doc().RutaColeccion, "/comics");
    EXPECT_TRUE(d.llamadas.contains("ElegirCarpeta:Select the collection path"));
}

TEST_F(Teclado, LeavingTwoPageModeKeepsThePageOnScreen)
{
    Abrir(30);
    auto enPaso = [&](int pagina) {
        SCOPED_TRACE(pagina);
        EXPECT_EQ(V().PaginaActual(), pagina);
        EXPECT_EQ(f->LBPag->text(), QString("%1/30").arg(pagina));
        EXPECT_NEAR(V().Imagen().Picture.pixelColor(5, 5).hue(), pagina * 50 % 360, 2);
    };
    // 8 on, Space, 8 off: the page on screen is the current page.
    Tecla('8');
    Tecla(Qt::Key_Space); // 3|4
    Tecla('8');
    enPaso(3);
    Tecla(Qt::Key_Space);
    enPaso(4);
    // Backwards, then out through continuous mode: no page twice, and the
    // counter runs forward.
    Tecla('8');   // 4|5
    Tecla(Qt::Key_Backspace); // 2|3
    Tecla('7');
    EXPECT_EQ(V().ModoAjuste(), diseno::Modo::Continuo);
    enPaso(3);
    EXPECT_NEAR(V().Imagen2().Picture.pixelColor(5, 5).hue(), 4 * 50 % 360, 2);
    Tecla(Qt::Key_Space);
    EXPECT_EQ(V().PaginaActual(), 4);
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
    Tecla(Qt::Key_Space); // page 2
    Tecla('7');
    EXPECT_EQ(V().ModoAjuste(), diseno::Modo::Continuo);
    EXPECT_EQ(V().ModoAnterior(), diseno::Modo::Pantalla);
    EXPECT_EQ(V().UltimoMensaje(), "Continuous mode: On [Mode: 1]");
    Tecla('3');
    EXPECT_EQ(V().ModoAjuste(), diseno::Modo::Continuo);
    EXPECT_EQ(V().ModoAnterior(), diseno::Modo::Ancho);
    EXPECT_EQ(V().Imagen().Width, 800 * 15); // laid out in mode 3
    // A page turn keeps continuous mode on the same mode under it.
    Tecla(Qt::Key_Space);
    EXPECT_EQ(V().ModoAnterior(), diseno::Modo::Ancho);
    Tecla('7');
    EXPECT_EQ(V().ModoAjuste(), diseno::Modo::Ancho);
    EXPECT_EQ(V().UltimoMensaje(), "Continuous mode: Off");
    EXPECT_EQ(V().PaginaActual(), 3);
    EXPECT_NEAR(V().Imagen().Picture.pixelColor(5, 5).hue(), 150, 10); // page 3 again
}

TEST_F(Teclado, ArrowsScrollOnlyLargePagesWithTheExactShiftRule)
{
    Abrir(2, QSize(400, 300));
    Tecla(Qt::Key_Right);
    EXPECT_EQ(V().UltimoMensaje(), ""); // fits: nothing at all
    Abrir(2, QSize(2000, 500));
    Tecla('2');
    ASSERT_EQ(V().Imagen().Left, 0);
    Tecla(Qt::Key_Right, ShiftMask | CtrlMask);
    EXPECT_EQ(V().Imagen().Left, -100);
    Tecla(Qt::Key_Right, ShiftMask);
    EXPECT_EQ(V().Imagen().Left, -1100);
    for (int i = 0; i < 40; ++i)
        Tecla(Qt::Key_Right, ShiftMask);
    EXPECT_EQ(V().Imagen().Left, 800 * 15 - 2000 * 15); // never past the edge
    const int top = V().Imagen().Top;
    Tecla(Qt::Key_Down);
    EXPECT_EQ(V().Imagen().Top, top); // not taller than the window
}

TEST_F(Teclado, MessagesStayTheirSecondsPlusOneTick)
{
    Abrir(2);
    Tecla('2');
    EXPECT_EQ(V().SegundosMensaje(), 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(f->LBInfo->isHidden()) << i;
        f->tmrInfo_Timer();
    }
    EXPECT_TRUE(f->LBInfo->isHidden());
    EXPECT_FALSE(f->tmrInfo.isActive());
}

TEST_F(Teclado, MessagesFitTheWindow)
{
    const QString largo = QString("pagina_") + QString(120, 'x') + ".jpg";
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath(largo + ".cbz"), {{largo, prueba::PaginaNumero(1, {400, 300})}}));
    AbrirListado(tmp.filePath(largo + ".cbz"));
    V();
    auto dentro = [&] {
        const QRect r = f->LBInfo->geometry();
        EXPECT_TRUE(f->rect().contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    };
    for (int ancho : {800, 400}) {
        f->resize(ancho, 600);
        f->MostrarMensaje(largo + ".cbz"); // the comic's name
        dentro();
        EXPECT_TRUE(f->LBInfo->text().contains(QStringLiteral("…"))) << ancho;
        // F7: a long line of words wraps; the name in it is cut in the middle.
        Tecla(Qt::Key_F7);
        dentro();
        EXPECT_TRUE(f->LBInfo->text().startsWith(" | Mode: 1 |"));
        EXPECT_TRUE(f->LBInfo->text().contains(QStringLiteral("…")));
        EXPECT_EQ(V().UltimoMensaje(), V().InfoPagina()); // V repeats it whole
    }
}

TEST_F(Teclado, TheShowTicksAndTheBar)
{
    Abrir(3);
    Tecla('A');
    EXPECT_TRUE(f->Ordenes().tmrPaseFotos.isActive());
    f->Ordenes().tmrPaseFotos_Timer();
    EXPECT_EQ(V().PaginaActual(), 2);
    std::vector<int> segundos;
    for (int i = 0; i < 7; ++i) {
        Tecla('A', ShiftMask);
        segundos.push_back(f->Ordenes().tmrPaseFotos.interval() / 1000);
    }
    EXPECT_EQ(segundos, (std::vector<int>{7, 10, 15, 20, 30, 3, 5}));
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    Tecla('B');
    EXPECT_TRUE(V().BarraVisible());
    EXPECT_FALSE(f->PBBarra->isHidden());
    // Its buttons run commands: mode 3.
    QTest::mouseClick(f->LBBarra[6], Qt::LeftButton);
    EXPECT_EQ(V().ModoAjuste(), diseno::Modo::Ancho);
    QTest::mouseClick(f->imCerrarBarra, Qt::LeftButton);
    EXPECT_FALSE(V().BarraVisible());
    EXPECT_TRUE(f->PBBarra->isHidden());
}

TEST_F(Teclado, OnlyKeysPressedOnTheWindowActOnRelease)
{
    Abrir(3);
    QKeyEvent suelta(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(f.get(), &suelta); // the Enter that closed a list
    EXPECT_EQ(V().PaginaActual(), 1);
    QTest::keyClick(f.get(), Qt::Key_Return);
    EXPECT_EQ(V().PaginaActual(), 2);
}

// Each comic remembered: reopened at its page (RecordarPagina=1) and said
// in one line; a manga opens right to left until the reader switches it.
TEST_F(Teclado, EachComicIsRememberedAndAMangaReadsRightToLeft)
{
    auto paginas = prueba::PaginasNumeradas(5, [](int i) { return prueba::PaginaNumero(i, {400, 300}); });
    paginas.push_back({"ComicInfo.xml", "<ComicInfo><Manga>YesAndRightToLeft</Manga></ComicInfo>"});
    const QString manga = tmp.filePath("m.cbz"), otro = tmp.filePath("o.cbz");
    ASSERT_TRUE(prueba::EscribirZip(manga, paginas));
    ASSERT_TRUE(prueba::EscribirZip(otro, prueba::PaginasNumeradas(2, [](int i) { return prueba::PaginaNumero(i, {400, 300}); })));
    f->Ordenes().bRecordarPagina = true;
    AbrirListado(manga);
    EXPECT_TRUE(V().bDerechaAIzquierda());
    EXPECT_EQ(V().UltimoMensaje(), "Direction: right to left");
    Tecla(Qt::Key_Space);
    Tecla(Qt::Key_Space);
    AbrirListado(otro);
    EXPECT_FALSE(V().bDerechaAIzquierda());
    AbrirListado(manga);
    EXPECT_EQ(V().PaginaActual(), 3);
    EXPECT_EQ(V().UltimoMensaje(), "Page 3 of 5 · right to left");
    Tecla(Qt::Key_J); // the reader's choice outweighs the comic's
    AbrirListado(otro);
    AbrirListado(manga);
    EXPECT_FALSE(V().bDerechaAIzquierda());
    EXPECT_EQ(V().UltimoMensaje(), "Page 3 of 5 · left to right");
}

TEST_F(Teclado, QuickTurnsEndOnTheLastPageAskedWithoutPaintingEachOne)
{
    AbrirComic(40, [](int i) { return prueba::PaginaMarcada(i); }, "jpg", 2);
    QSignalSpy hechas(&f->Vista(), &EstadoVista::PaginaHecha);
    // Faster than any page is made: each key only changes the page awaited.
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(f.get(), Qt::Key_PageDown);
    EXPECT_EQ(f->Vista().PaginaActual(), 31);
    EXPECT_FALSE(f->Vista().PaginaCargada());
    EXPECT_EQ(prueba::NumeroDe(Vista().Imagen()), 31);
    EXPECT_EQ(f->LBPag->text(), "31/40");
    ASSERT_EQ(hechas.count(), 1);
    EXPECT_EQ(hechas[0][0].toInt(), 31);
}

// An opening asks the pool for the listing and ends: the comic before stays
// on the screen, and what is pressed meanwhile acts on the new one.
TEST_F(Teclado, KeysPressedWhileAComicIsListedActOnIt)
{
    AbrirComic(3, [](int i) { return prueba::PaginaMarcada(i); });
    const QString otro = tmp.filePath("otro.cbz");
    const auto pagina = [](int i) { return prueba::PaginaMarcada(10 + i); };
    ASSERT_TRUE(prueba::EscribirZip(otro, prueba::PaginasNumeradas(5, pagina)));
    f->AbrirArchivo(otro, true);
    EXPECT_TRUE(f->Ordenes().AbriendoDocumento());
    QTest::keyClick(f.get(), Qt::Key_PageDown);
    QTest::keyClick(f.get(), Qt::Key_PageDown);
    EXPECT_EQ(f->Doc().NumeroPaginas(), 3);
    EXPECT_EQ(prueba::NumeroDe(Vista().Imagen()), 13);
    EXPECT_EQ(f->Doc().RutaActual, otro);
}
