// The balloon shown while the viewer is hidden: its slide, a double click
// back and documents dropped on it.
#include "PruebaVentanas.h"
#include "views/FormBocadillo.h"

#include <QScreen>

using namespace teclas;
using prueba::NumeroDe;

namespace {

class Bocadillo : public prueba::PruebaVentanas {
protected:
    FormBocadillo *Minimizar()
    {
        f->Form_KeyUp('Q', 0);
        auto *globo = dynamic_cast<FormBocadillo *>(Ventana("FormBocadillo"));
        EXPECT_NE(globo, nullptr);
        return globo;
    }
    static bool Soltar(FormBocadillo &globo, const QStringList &rutas) { return prueba::Soltar(globo.LBInv, rutas); }
};

} // namespace

TEST_F(Bocadillo, TheSlideAcceleratesUpAndRightAndStopsInTheCorner)
{
    const diseno::Ventana pantalla{28800, 16200}, ventana{2250, 1770};
    bocadillo::Movimiento m{12000, 7000, 0, 0};
    const std::pair<int, int> pasos[] = {{12000, 7000}, {12040, 6970}, {12120, 6910}}; // the first only gathers speed
    for (const auto &[left, top] : pasos) {
        EXPECT_FALSE(bocadillo::Paso(m, pantalla, ventana));
        EXPECT_EQ(std::pair(m.Left, m.Top), std::pair(left, top));
    }
    int ticks = 3;
    while (!bocadillo::Paso(m, pantalla, ventana))
        ++ticks;
    EXPECT_EQ(std::pair(m.Left, m.Top), std::pair(28800 - 2250 - 100, 0));
    EXPECT_LT(ticks, 40);
}

TEST_F(Bocadillo, QHidesTheViewerAndADoubleClickBringsItBackAsItWas)
{
    AbrirComic(4, 3);
    FormBocadillo *globo = Minimizar();
    ASSERT_NE(globo, nullptr);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(globo->isVisible());
    // In the top right corner, 100 twips from the edge, when the slide ends.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !globo->tmrmov.isActive(); }, 5000));
    const QRect pantalla = globo->screen()->geometry();
    EXPECT_EQ(globo->pos(), QPoint(pantalla.right() + 1 - globo->width() - diseno::Entero(100 / 15.0), 0));

    QTest::mouseDClick(globo->LBInv, Qt::LeftButton);
    QTest::mouseRelease(globo->LBInv, Qt::LeftButton); // the viewer comes back with it
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(Vista().PaginaActual(), 3);
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 3);
    // Gone once the loop turns.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Ventana("FormBocadillo") == nullptr; }, 2000));
}

TEST_F(Bocadillo, ADropOpensTheFirstFileItTakesAndIgnoresOthers)
{
    AbrirComic(2);
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath("otro.cbz"), {{"a.jpg", prueba::PaginaMarcada(7)}}));
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath("tercero.cbz"), {{"a.jpg", prueba::PaginaMarcada(9)}}));
    prueba::EscribirBytes(tmp.filePath("nota.txt"), "x");
    f->Form_KeyUp('M', 0); // a bookmark label that the drop hides
    FormBocadillo *globo = Minimizar();
    ASSERT_NE(globo, nullptr);

    EXPECT_FALSE(Soltar(*globo, {tmp.filePath("nota.txt"), tmp.filePath("otro.cbz")}));
    EXPECT_TRUE(globo->isVisible()); // not a document: the balloon stays
    EXPECT_FALSE(f->isVisible());

    EXPECT_TRUE(Soltar(*globo, {tmp.filePath("otro.cbz"), tmp.filePath("tercero.cbz")}));
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(globo->isVisible());
    EXPECT_EQ(NumeroDe(Vista().Imagen()), 7);
    EXPECT_EQ(f->Doc().RutaActual, tmp.filePath("otro.cbz"));
    EXPECT_TRUE(f->Ordenes().Marcador.isEmpty());
}
