#include "viewer/Configuracion.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace configuracion;

TEST(Configuracion, LanguageNamesMapToCodes)
{
    const std::pair<const char *, const char *> casos[] = {
        {"Spanish", "esp"}, {"ENGLISH", "ing"}, {"Portuguese", "por"}, {"Latvian", "lat"}, {"Danish", "dan"},
        {"Dutch", "dut"},   {"German", "deu"},  {"French", "esp"},     {"", "esp"}};
    for (const auto &[nombre, codigo] : casos)
        EXPECT_EQ(CodigoDeNombreIdioma(nombre), codigo) << nombre;
}

TEST(Configuracion, LanguageCycleWrapsAndIgnoresUnknownCodes)
{
    QString c = "esp";
    QStringList vistos;
    for (int i = 0; i < 7; ++i)
        vistos << (c = SiguienteIdioma(c));
    EXPECT_EQ(vistos, (QStringList{"ing", "por", "lat", "dan", "dut", "deu", "esp"}));
    EXPECT_EQ(SiguienteIdioma("xyz"), "xyz");
}

TEST(Configuracion, NumbersBooleansAndPages)
{
    EXPECT_EQ(Entero32(" 2.5 "), 2); // ties to even
    EXPECT_EQ(Entero32("3.5"), 4);
    EXPECT_EQ(Entero32("99999999999"), std::nullopt);
    EXPECT_EQ(Booleano("false"), false);
    EXPECT_EQ(Booleano("-1"), true);
    EXPECT_EQ(Booleano("quizas"), std::nullopt);
    EXPECT_EQ(NumeroDePagina("doce"), 1);
    EXPECT_EQ(NumeroDePagina("70000"), 70000);
    EXPECT_EQ(NumeroDePagina("99999999999"), 1);
    EXPECT_EQ(ColorABgr(0, 0, 255), 0xff0000);
}
