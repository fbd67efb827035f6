// The page previews and the page list over the real main window.
#include "PruebaVentanas.h"
#include "views/FormBocadillo.h"
#include "views/FormListaPag.h"
#include "views/FormPaginas.h"

#include <QLabel>
#include <QListWidget>

using namespace teclas;
using prueba::NumeroDe;

namespace {

class Previas : public prueba::PruebaVentanas {
protected:
    // What the three previews show: previous, current, next (those not in
    // memory a moment later).
    std::array<int, 3> Muestran(const FormPaginas &v)
    {
        const auto ahora = [&] { return std::array<int, 3>{NumeroDe(v.PB[1]), NumeroDe(v.PB[0]), NumeroDe(v.PB[2])}; };
        const int p = v.PaginaPrevia;
        (void)QTest::qWaitFor([&] { return ahora() == std::array<int, 3>{f->Doc().PaginaVecina(p, -1), p, f->Doc().PaginaVecina(p, 1)}; }, 5000);
        return ahora();
    }
    bool ConPrevias(const std::function<void(FormPaginas &)> &accion)
    {
        return ConVentana<FormPaginas>('P', accion);
    }
};

} // namespace

TEST_F(Previas, TheNeighboursWrapAroundAndEachBoxKeepsItsPagesProportions)
{
    AbrirComic(4, 1);
    ASSERT_TRUE(ConPrevias([&](FormPaginas &v) {
        EXPECT_EQ(Muestran(v), (std::array<int, 3>{4, 1, 2})); // page 1: the last page on the left
        // Page k is 100 + k pixels wide and 150 high.
        for (int i = 0; i < 3; ++i) {
            const int k = NumeroDe(v.PB[i]);
            EXPECT_EQ(v.PB[i].Width, diseno::Entero(previas::AltoCaja * (100.0 + k) / 150.0)) << i;
            EXPECT_EQ(v.PB[i].Height, previas::AltoCaja);
        }
        // The current one framed (their places: ColocarPrevias).
        EXPECT_EQ(v.Shape1->geometry().center(), v.PBv[0]->geometry().center());
    }));
    Vista().IrAPagina(4);
    ASSERT_TRUE(ConPrevias([&](FormPaginas &v) {
        EXPECT_EQ(Muestran(v), (std::array<int, 3>{3, 4, 1})); // the last page: page 1 on the right
    }));
}

TEST(ColocarPrevias, RightToLeftThePreviousPageIsOnTheRight)
{
    const std::int32_t anchos[3] = {1000, 2000, 3000};
    const previas::Colocacion i = previas::ColocarPrevias(anchos), d = previas::ColocarPrevias(anchos, true);
    EXPECT_LT(i.Caja[1].Left, i.Caja[0].Left);
    EXPECT_LT(i.Caja[0].Left, i.Caja[2].Left);
    EXPECT_EQ(d.Caja[2].Left, i.Caja[1].Left);
    EXPECT_EQ(d.Caja[1].Left + d.Caja[1].Width, i.Caja[2].Left + i.Caja[2].Width);
    EXPECT_EQ(d.Area, i.Area);
}

TEST_F(Previas, AOnePageDocumentShowsTheSamePageThreeTimes)
{
    AbrirComic(1);
    ASSERT_TRUE(ConPrevias([&](FormPaginas &v) { EXPECT_EQ(Muestran(v), (std::array<int, 3>{1, 1, 1})); }));
}

TEST_F(Previas, KeysAndClicksTurnBothWindowsInStep)
{
    AbrirComic(5, 2);
    ASSERT_TRUE(ConPrevias([&](FormPaginas &v) {
        QTest::keyClick(&v, Qt::Key_Space);
        EXPECT_EQ(NumeroDe(Vista().Imagen()), 3);
        EXPECT_EQ(Muestran(v), (std::array<int, 3>{2, 3, 4}));
        QTest::mouseClick(v.PBv[2], Qt::LeftButton); // next
        EXPECT_EQ(Vista().PaginaActual(), 4);
        EXPECT_EQ(Muestran(v), (std::array<int, 3>{3, 4, 5}));
        QTest::mouseClick(v.PBv[1], Qt::LeftButton); // previous
        QTest::keyClick(&v, Qt::Key_PageUp);
        QTest::keyClick(&v, Qt::Key_Backspace);
        EXPECT_EQ(Vista().PaginaActual(), 1);
        QTest::keyClick(&v, Qt::Key_Backspace); // wraps in both windows
        EXPECT_EQ(Vista().PaginaActual(), 5);
        EXPECT_EQ(Muestran(v), (std::array<int, 3>{4, 5, 1}));
        // A key of the main window's own goes to it; the previews stay.
        QTest::keyClick(&v, Qt::Key_3);
        EXPECT_EQ(Vista().ModoAjuste(), diseno::Modo::Ancho);
        EXPECT_TRUE(v.isVisible());
        QTest::keyClick(&v, Qt::Key_Escape);
        EXPECT_FALSE(v.isVisible());
    }));
    EXPECT_EQ(Vista().PaginaActual(), 5);
}

TEST_F(Previas, QClosesThePreviewsAndTheMainWindowThenHidesItself)
{
    AbrirComic(3);
    bool abiertaAlCerrar = true;
    ASSERT_TRUE(ConPrevias([&](FormPaginas &v) {
        QTest::keyClick(&v, Qt::Key_Q);
        abiertaAlCerrar = v.isVisible();
        EXPECT_TRUE(f->isVisible()); // not yet: the previews go first
    }));
    EXPECT_FALSE(abiertaAlCerrar);
    EXPECT_FALSE(f->isVisible());
    QWidget *globo = Ventana("FormBocadillo");
    ASSERT_NE(globo, nullptr);
    EXPECT_TRUE(globo->isVisible());
}

TEST_F(Previas, TheListShowsTheClickedPage)
{
    AbrirComic(4, 3);
    ASSERT_TRUE(ConVentana<FormListaPag>('P', [&](FormListaPag &l) {
        ASSERT_EQ(l.Lista->count(), 4);
        EXPECT_EQ(l.Lista->item(0)->text(), "p01.jpg"); // the name, without its folder
        EXPECT_EQ(l.Lista->currentRow(), 2);             // the current page
        const QRect primera = l.Lista->visualItemRect(l.Lista->item(0));
        QTest::mouseClick(l.Lista->viewport(), Qt::LeftButton, {}, primera.center());
        EXPECT_EQ(Vista().PaginaActual(), 1);
        EXPECT_EQ(NumeroDe(Vista().Imagen()), 1);
        EXPECT_TRUE(l.isVisible());
        QTest::keyClick(l.Lista, Qt::Key_Down); // the keys walk the pages too
        EXPECT_EQ(NumeroDe(Vista().Imagen()), 2);
    }, ShiftMask));
    // A double click closes it with its release: Raton.NoToolWindowLeavesTheWheelDead.
}
