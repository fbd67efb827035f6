// The layout arithmetic, held to its rules in twips.
#include "shell/modIdioma.h"
#include "imaging/Diseno.h"

#include <gtest/gtest.h>

using namespace diseno;

namespace {

const Ventana Pantalla{1024 * 15, 768 * 15};

Natural Px(int w, int h)
{
    return NaturalDePixeles(w, h);
}

} // namespace

TEST(Diseno, PanoramaInModes3And4AndTheOtherFits)
{
    const Natural panorama = Px(4000, 1000);
    const Rect ancho = SegunModo(Modo(3), panorama, Pantalla);
    EXPECT_EQ(ancho.Width, Pantalla.SW);
    EXPECT_EQ(ancho.Height, 3840);
    EXPECT_EQ(ancho.Top, (11520 - 3840) / 2); // centred vertically
    EXPECT_EQ(ancho.Left, 0);
    const Rect alto = SegunModo(Modo(4), panorama, Pantalla);
    EXPECT_EQ(alto.Height, Pantalla.SH);
    EXPECT_EQ(alto.Width, 46080);
    EXPECT_EQ(alto.Left, 0); // starts at the left edge
    EXPECT_EQ(alto.Top, 0);
    EXPECT_EQ(SegunModo(Modo(5), panorama, Pantalla), (Rect{0, 0, Pantalla.SW, Pantalla.SH}));
    // 100%: larger in both directions shows the top-left corner; in one only,
    // centred along the other.
    EXPECT_EQ(SegunModo(Modo(2), Px(2000, 2000), Pantalla), (Rect{0, 0, 30000, 30000}));
    EXPECT_EQ(SegunModo(Modo(2), Px(2000, 500), Pantalla), (Rect{0, (11520 - 7500) / 2, 30000, 7500}));
    EXPECT_EQ(AjustaReal(Px(2000, 2000), Pantalla, true), (Rect{7680 - 15000, 5760 - 15000, 30000, 30000}));
}

TEST(Diseno, AWidePageInItsHalfOfASpread)
{
    // An upright page fills its half's height (the window's test); a wide
    // one the half's width, centred vertically.
    EXPECT_EQ(AjustaMitad(Px(3000, 1000), Pantalla, Pantalla.SW / 2), (Rect{7680, 4480, 7680, 2560}));
}

TEST(Diseno, PartsOfAPageOneWindowWide)
{
    const Ventana v{1000, 800};
    Rect r{0, 0, 1000, 2000};
    Partes p;
    std::vector<std::int32_t> tops;
    for (int i = 0; i < 4; ++i) {
        PasaParte(r, p, v, 0);
        EXPECT_EQ(r.Left, 0);
        tops.push_back(r.Top);
    }
    // Straight down, the last part aligned to the bottom, then the top again.
    EXPECT_EQ(tops, (std::vector<std::int32_t>{-800, -1200, 0, -800}));
}

TEST(Diseno, PartsInBothOrdersOverTwoByThreeWindows)
{
    const Ventana v{1000, 800};
    const std::vector<std::pair<int, int>> derechaAbajo{{-1000, 0}, {0, -800}, {-1000, -800}, {0, -1600},
                                                        {-1000, -1600}, {0, 0}};
    const std::vector<std::pair<int, int>> abajoDerecha{{0, -800}, {0, -1600}, {-1000, 0}, {-1000, -800},
                                                        {-1000, -1600}, {0, 0}};
    for (bool abajo : {false, true}) {
        Rect r{0, 0, 2000, 2400};
        Partes p;
        p.bPartesAbajo = abajo;
        std::vector<std::pair<int, int>> visto;
        for (int i = 0; i < 6; ++i) {
            PasaParte(r, p, v, 0);
            visto.emplace_back(r.Left, r.Top);
        }
        EXPECT_EQ(visto, abajo ? abajoDerecha : derechaAbajo);
        // Backwards from the last part walks the same parts in reverse.
        r.Left = visto[4].first;
        r.Top = visto[4].second;
        std::vector<std::pair<int, int>> atras;
        for (int i = 0; i < 5; ++i) {
            PasaParte(r, p, v, 1);
            atras.emplace_back(r.Left, r.Top);
        }
        EXPECT_EQ(atras, (std::vector<std::pair<int, int>>{visto[3], visto[2], visto[1], visto[0], {0, 0}}))
            << (abajo ? "down-right" : "right-down");
        // On the first part the previous part changes nothing.
        const Rect antes = r;
        PasaParte(r, p, v, 1);
        EXPECT_EQ(r, antes);
    }
    EXPECT_TRUE(ParteAplicable(3, Rect{0, 0, 1000, 900}, v));
    EXPECT_FALSE(ParteAplicable(3, Rect{0, 0, 1000, 800}, v));
    EXPECT_FALSE(ParteAplicable(6, Rect{0, 0, 5000, 5000}, v));
}

TEST(Diseno, ResetPartCyclesCentreCornerStart)
{
    const Ventana v{1000, 800};
    Rect r{0, 0, 3000, 2000};
    ReiniciaParte(r, v);
    EXPECT_EQ(std::pair(r.Left, r.Top), std::pair(-1000, -600));
    ReiniciaParte(r, v);
    EXPECT_EQ(std::pair(r.Left, r.Top), std::pair(-2000, -1200));
    ReiniciaParte(r, v);
    EXPECT_EQ(std::pair(r.Left, r.Top), std::pair(0, 0));
}

TEST(Diseno, DynamicViewDriftsAndRestsAtTheCentre)
{
    const Ventana v{10000, 8000};
    Rect r{0, 0, 20000, 9000};
    PasoRaton paso = SigueRaton(r, v, 10000, 4000); // right edge, middle height
    EXPECT_TRUE(paso.Cambio);
    EXPECT_EQ(r.Left, -500);
    EXPECT_EQ(r.Top, 0);
    EXPECT_FALSE(paso.Detener);
    for (int i = 0; i < 100; ++i)
        SigueRaton(r, v, 10000, 8000);
    EXPECT_EQ(r.Left, -10000); // clamped at the far edge
    EXPECT_EQ(r.Top, -1000);
    paso = SigueRaton(r, v, 5300, 4400);
    EXPECT_TRUE(paso.Detener);
    Rect pequena{100, 100, 5000, 5000};
    EXPECT_FALSE(SigueRaton(pequena, v, 0, 0).Cambio);
}

TEST(Diseno, NavigatorFrameAndPageInformation)
{
    const Ventana v{16000, 12000};
    const Referencia ref = ActualizaReferencia(Px(1000, 2000), Rect{-8000, -12000, 32000, 48000}, v);
    EXPECT_EQ(ref.RW, 2000);
    EXPECT_EQ(ref.RH, 4000);
    EXPECT_EQ(ref.Marco, (Rect{500, 1000, 1000, 1000}));
    EXPECT_EQ(PorcentajeZoom(Natural{}, Rect{0, 0, 600 * 15, 900 * 15}), 0);

    modIdioma::Idioma = "ing";
    const Rect mitad{0, 0, 600 * 15, 900 * 15};
    EXPECT_EQ(InfoPagina(Modo(1), Modo(1), false, Px(1200, 1800), mitad, "p01.jpg"),
              " | Mode: 1 | Pass parts: Right - Down | Image Real: 1200x1800px | Image Actual: 600x900px"
              " | Zoom: 50% | Name: p01.jpg | ");
    modIdioma::Idioma = "esp";
}
