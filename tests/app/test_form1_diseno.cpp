// The window applying the layouts: what lands on its surface, in every mode
// that composes more than one page.
#include "PruebaForm1.h"

namespace {

const QColor Colores[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};

QByteArray PaginaDeColor(int n, QSize tamano = QSize(600, 900))
{
    return prueba::PaginaDeColor(Colores[(n - 1) % 6], tamano, "PNG");
}

class Diseno1 : public prueba::PruebaForm1 {
protected:
    void SetUp() override
    {
        PruebaForm1::SetUp();
        EscribirComic(6, [](int i) { return PaginaDeColor(i); }, "png");
    }
    QColor En(int x, int y) const { return f->Superficie().pixelColor(x, y); }
};

} // namespace

TEST_F(Diseno1, TwoPageSpreadForwardAndBack)
{
    Vista().PonerDosPaginas();
    f->AbrirArchivo(tmp.filePath("c.cbz"), false);
    Vista().IrAPagina(4);
    EXPECT_EQ(Vista().PaginaActual(), 5);
    EXPECT_EQ(En(200, 300), Colores[3]); // page 4 on the left
    EXPECT_EQ(En(600, 300), Colores[4]); // page 5 on the right
    // Back: the direction changes, so the page moves one first (5 to 4), then
    // the turn to 3; the spread still reads left to right, 2 then 3.
    Vista().PasarPagina(false, false);
    EXPECT_EQ(Vista().PaginaActual(), 2);
    EXPECT_EQ(En(200, 300), Colores[1]);
    EXPECT_EQ(En(600, 300), Colores[2]);
    EXPECT_FALSE(Vista().bAvanzandoAntes());
    // Zoomed, the two pages stay side by side in that order.
    f->Form_KeyUp('Z', 0);
    EXPECT_EQ(Vista().Imagen2().Left + Vista().Imagen2().Width, Vista().Imagen().Left);
    const int junta = Vista().Imagen().Left / 15;
    EXPECT_EQ(En(junta - 2, 300), Colores[1]);
    EXPECT_EQ(En(junta + 1, 300), Colores[2]);
    // Before page 1 there is no second page: page 1 keeps its right half.
    Vista().IrAPagina(1);
    EXPECT_EQ(Vista().PaginaActual(), 0);
    EXPECT_EQ(En(200, 300), QColor(Qt::black));
    EXPECT_EQ(En(600, 300), Colores[0]);
    // A new window size keeps the halves.
    f->resize(1000, 600);
    Vista().RehacerDiseno();
    EXPECT_EQ(Vista().Imagen().Left, 1000 * 15 / 2 + 750); // centred in its half
}

TEST_F(Diseno1, ZoomKeepsTheCentreAndMode1CentresSmallPages)
{
    std::vector<prueba::EntradaNueva> pequena{{"p.png", PaginaDeColor(3, QSize(200, 100))}};
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath("s.cbz"), pequena));
    AbrirListado(tmp.filePath("s.cbz"));
    EXPECT_EQ(Vista().PorcentajeZoom(), 100);
    EXPECT_EQ(En(299, 249), QColor(Qt::black));
    EXPECT_EQ(En(301, 251), Colores[2]);
    for (int i = 0; i < 10; ++i)
        Vista().AplicaZoom(10);
    EXPECT_EQ(Vista().PorcentajeZoom(), 260); // 1.1^10, step by step

    EXPECT_NEAR(Vista().Imagen().Left + Vista().Imagen().Width / 2.0, 400 * 15, 20);
    EXPECT_EQ(En(150, 300), Colores[2]); // 518 px wide about the centre
    EXPECT_EQ(En(130, 300), QColor(Qt::black));
}
