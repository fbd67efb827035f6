#include "collection/Listado.h"

#include <gtest/gtest.h>

using namespace listado;

TEST(Scroll, SeventyThousandHiddenItemsGiveFactorThree)
{
    // 2950 twips show 10 rows: the last index 70010 leaves 70000 hidden.
    const Scroll s = ConfigurarScroll(70010, 2950);
    EXPECT_EQ(s.Factor, 3);
    EXPECT_EQ(s.Maximo, 23334); // 70001 / 3, nearest
    EXPECT_EQ(ConfigurarScroll(32767 + 10, 2950).Factor, 1);
    EXPECT_EQ(ConfigurarScroll(32768 + 10, 2950).Factor, 2);
    EXPECT_EQ(ConfigurarScroll(14, 2950), (Scroll{1, 5, 10}));
}

TEST(Scroll, ManualScrollClampsAtBothEndsAndMovesOneItemAtAnyFactor)
{
    const Scroll s{1, 5, 10};
    EXPECT_EQ(ScrollManual(0, s, -1), (Posicion{0, 0}));
    EXPECT_EQ(ScrollManual(5, s, 1), (Posicion{5, 5}));
    EXPECT_EQ(ScrollManual(2, s, 1), (Posicion{3, 3}));
    EXPECT_EQ(ScrollManual(4, s, 10), (Posicion{5, 5}));

    const Scroll grande = ConfigurarScroll(70010, 2950);
    Posicion p = ScrollManual(0, grande, 1);
    EXPECT_EQ(p, (Posicion{1, 0})); // one item on, the bar at its nearest step
    p = ScrollManual(p.PrimeraFila, grande, 1);
    EXPECT_EQ(p, (Posicion{2, 1}));
    EXPECT_EQ(PrimeraFilaDe(1, grande), 3);
    const int fondo = grande.Maximo * grande.Factor;
    EXPECT_EQ(ScrollManual(fondo, grande, 1), (Posicion{fondo, grande.Maximo}));
}

TEST(EstadosLectura, AnUnknownStateIsNotRead)
{
    EXPECT_EQ(SiguienteEstado(7), NoLeido);
    EXPECT_EQ(EstadoMostrado(-1), NoLeido);
    EXPECT_EQ(EstadoMostrado(2), Leyendo);
}
