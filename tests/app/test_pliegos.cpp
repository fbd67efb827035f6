// Pairing pages by their shape: each case read forwards, backwards and
// reached by a jump to each of its pages.
#include "viewer/Pliegos.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <cstring>

using namespace pliegos;

namespace {

// "P" a single page, "D" a double page (wider than high), "M" a single page
// marked double, "?" not known yet.
std::vector<QSize> Tamanos(const char *formas)
{
    std::vector<QSize> t;
    for (const char *c = formas; *c; ++c)
        t.push_back(*c == 'D' ? QSize(2400, 1800) : *c == 'P' || *c == 'M' ? QSize(1200, 1800) : QSize());
    return t;
}

std::vector<bool> Marcadas(const char *formas)
{
    std::vector<bool> m;
    for (const char *c = formas; *c; ++c)
        m.push_back(*c == 'M');
    return m;
}

QString Nombre(const Pliego &p)
{
    return p.Segunda ? QStringLiteral("%1-%2").arg(p.Primera).arg(p.Segunda) : QString::number(p.Primera);
}

} // namespace

TEST(Pliegos, PairsFollowTheShapeOfThePages)
{
    const struct {
        const char *formas;
        bool portada, desplazado;
        const char *esperado;
    } casos[] = {
        {"PPPPPP", true, false, "1 2-3 4-5 6"},       // all single, lone last page
        {"PPPPPPP", true, false, "1 2-3 4-5 6-7"},
        {"PPPPPPP", false, false, "1-2 3-4 5-6 7"},
        {"PPPDPPPPPPP", true, false, "1 2-3 4 5-6 7-8 9-10 11"}, // a double page at an even place
        {"PPPPDPPP", true, false, "1 2-3 4 5 6-7 8"}, // at an odd place: the page before it alone
        {"PPDDPPP", true, false, "1 2 3 4 5-6 7"},    // two in a row
        {"DPPPP", true, false, "1 2-3 4-5"},          // a double page first
        {"DPPPP", false, false, "1 2-3 4-5"},
        {"PPPPPPP", true, true, "1 2 3-4 5-6 7"},     // shifted
        {"PPPPPP", false, true, "1 2-3 4-5 6"},
        {"PDPPPP", true, true, "1 2 3 4-5 6"},        // the shift passes over a double page
        {"PPP?PP", true, false, "1 2-3 4-5 6"},       // not known yet: single
        {"P", true, false, "1"},
        {"PPPMPPP", true, false, "1 2-3 4 5-6 7"},    // marked double though not wider
        {"PMPPPP", true, true, "1 2 3 4-5 6"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.formas);
        const std::vector<Pliego> todos = Emparejar(Tamanos(c.formas), {c.portada, c.desplazado}, Marcadas(c.formas));
        QStringList leidos;
        for (const Pliego &p : todos)
            leidos << Nombre(p);
        EXPECT_EQ(leidos.join(' '), c.esperado);
        const int n = int(std::strlen(c.formas));
        // Forwards from the first and backwards from the last, round to the start.
        Pliego adelante = PliegoDe(todos, 1), atras = PliegoDe(todos, n);
        for (std::size_t k = 0; k < todos.size(); ++k) {
            EXPECT_EQ(adelante, todos[k]);
            EXPECT_EQ(atras, todos[todos.size() - 1 - k]);
            adelante = PliegoVecino(todos, adelante, 1);
            atras = PliegoVecino(todos, atras, -1);
        }
        EXPECT_EQ(adelante, todos.front());
        EXPECT_EQ(atras, todos.back());
        for (int p = 1; p <= n; ++p)
            EXPECT_TRUE(PliegoDe(todos, p).Contiene(p)) << p;
    }
}

TEST(Pliegos, TheComicInfoMarksItsDoublePagesByTheirPlace)
{
    archivo::InfoComic info;
    for (int imagen : {1, 3, 9, -1})
        info.Paginas.push_back({imagen, 1, imagen != 3});
    EXPECT_EQ(MarcadasDobles(info, 4), std::vector<bool>({false, true, false, false}));
    EXPECT_TRUE(MarcadasDobles(info, 0).empty());
}

TEST(Pliegos, TwoPagesMeetAtTheSpineAndAreCentredTogether)
{
    const diseno::Ventana v{1600 * 15, 600 * 15};
    const diseno::Natural alta = diseno::NaturalDePixeles(400, 600), doble = diseno::NaturalDePixeles(2400, 1800);
    const auto [i, d] = Colocar(alta, alta, v);
    EXPECT_EQ(i, (diseno::Rect{400 * 15, 0, 400 * 15, 600 * 15}));
    EXPECT_EQ(d.Left, i.Left + i.Width);
    EXPECT_EQ(d.Width, i.Width);
    // Alone: the whole window, centred.
    EXPECT_EQ(Colocar(alta, {}, v).first, (diseno::Rect{600 * 15, 0, 400 * 15, 600 * 15}));
    EXPECT_EQ(Colocar(doble, {}, v).first, (diseno::Rect{400 * 15, 0, 800 * 15, 600 * 15}));
    const auto [a, b] = Colocar(doble, {}, {1000 * 15, 1000 * 15});
    EXPECT_EQ(a, (diseno::Rect{0, 125 * 15, 1000 * 15, 750 * 15}));
    EXPECT_EQ(b.Width, 0);
}
