#include "collection/Numeracion.h"

#include <gtest/gtest.h>

using namespace numeracion;

namespace {

const QString Falta = " - I haven't got this one";

QStringList Lineas(const QStringList &archivos, const QString &nombre, Seleccion sel, Opcion o)
{
    const auto l = GenerarLista(archivos, nombre, sel, o, Falta);
    return l ? l->Lineas : QStringList{"(nada)"};
}

} // namespace

TEST(Numeracion, MissingNumbersFromOneOrZeroWithTheSelectionsDigits)
{
    // The lines expected, "~" for the missing one's text.
    const struct {
        QStringList archivos;
        Seleccion seleccion;
        Opcion opcion;
        const char *lineas;
    } casos[] = {
        {{"S 00.cbz", "S 02.cbz"}, {2, 2}, Opcion::Faltan, "01~"}, // from zero only when the series starts there
        {{"S 03.cbz", "S 05.cbz"}, {2, 2}, Opcion::Faltan, "01~|02~|04~"},
        {{"Hero 007.cbr", "Hero 010.cbr"}, {5, 3}, Opcion::Faltan, "001~|002~|003~|004~|005~|006~|008~|009~"},
        // A name without the number is skipped and the list still built.
        {{"Hero 01.cbr", "Hero.cbr", "Hero 99999.cbr", "Hero 03.cbr", "ab"}, {5, 2}, Opcion::Todos,
         "Hero 01.cbr|02~|Hero 03.cbr"},
    };
    for (const auto &c : casos)
        EXPECT_EQ(Lineas(c.archivos, c.archivos[0], c.seleccion, c.opcion).join('|'),
                  QString(c.lineas).replace("~", Falta));
}

TEST(Numeracion, RepeatedNumbersListTheFirstAndEndWithTheLast)
{
    const QStringList f{"X 01 a.cbz", "X 01 b.cbz", "X 02 a.cbz", "X 02 b.cbz"};
    const auto l = GenerarLista(f, f[0], {2, 2}, Opcion::Todos, Falta);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Lineas, (QStringList{"X 01 a.cbz", "X 02 a.cbz"}));
    EXPECT_EQ(l->Primero, "X 01 b.cbz");
    EXPECT_EQ(l->Ultimo, "X 02 b.cbz");
}

TEST(Numeracion, TheSelectedWordCountsNotTheFirstHoldingItsDigits)
{
    // "19" also lies inside the year: the third word is the number.
    const QStringList f{"X 1991 19.cbz", "X 1991 21.cbz"};
    EXPECT_EQ(PalabraNumerica("X 1991 19.cbz"), (Seleccion{2, 4}));
    EXPECT_EQ(Lineas(f, f[0], {7, 2}, Opcion::Faltan).size(), 19); // 1 to 21 but 19 and 21
    // The pre-selection is where the word is, not the first place its text appears.
    EXPECT_EQ(PalabraNumerica("Hero2 2.cbr"), (Seleccion{6, 1}));
    EXPECT_EQ(PalabraNumerica("Sin numero.cbz"), std::nullopt);
}

TEST(Numeracion, NumbersUpTo32767AndNoListWithoutOne)
{
    EXPECT_EQ(NumeroDe("Hero 32767.cbr", 1), 32767);
    EXPECT_EQ(NumeroDe("Hero 32768.cbr", 1), std::nullopt);
    EXPECT_EQ(NumeroDe("ab", 0), std::nullopt);
    EXPECT_EQ(SinExtension("a.c"), "");
    for (const Seleccion sel : {Seleccion{0, 4}, Seleccion{5, 0}, Seleccion{-1, 0}})
        EXPECT_FALSE(GenerarLista({"Hero 01.cbr"}, "Hero 01.cbr", sel, Opcion::Todos, Falta)) << sel.Inicio;
}

TEST(Numeracion, ALowestNumberAbove10000LeavesTheFirstEmpty)
{
    const QStringList f{"S 10001.cbz", "S 10002.cbz"};
    auto l = GenerarLista(f, f[0], {2, 5}, Opcion::Tengo, Falta);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Primero, "");
    EXPECT_EQ(l->Ultimo, "S 10002.cbz");
    l = GenerarLista(QStringList{"S 10000.cbz"} + f, f[0], {2, 5}, Opcion::Tengo, Falta);
    EXPECT_EQ(l->Primero, "S 10000.cbz");
}

TEST(Numeracion, TheTextForTheEditor)
{
    const DatosBloc d{"Control of the collection", "/c/Hero", QDate(2026, 3, 7), "First one:", "Hero 01.cbr",
                      "Last one:", "Hero 04.cbz", "List of comics that I need (1) :", {"03" + Falta}, "0.1.0",
                      "List made with Tavelo, the comic viewer"};
    const QString regla(49, '_');
    const QString fecha = QLocale().toString(d.Fecha, "dd MMMM yyyy");
    EXPECT_EQ(TextoBloc(d), regla + "\n\nControl of the collection\n/c/Hero\n\n" + fecha + "\n" + regla
                                + "\n\nFirst one: Hero 01.cbr\nLast one: Hero 04.cbz\n\n"
                                  "List of comics that I need (1) :\n\n03"
                                + Falta + " \n" + regla
                                + "\nTavelo v0.1.0\nList made with Tavelo, the comic viewer\n");
}
