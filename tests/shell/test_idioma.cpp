#include "shell/modIdioma.h"

#include <QRegularExpression>

#include <algorithm>
#include <gtest/gtest.h>

using modIdioma::TextoIdioma;

namespace {

struct IdiomaTemporal {
    explicit IdiomaTemporal(const QString &codigo) : anterior(modIdioma::Idioma) { modIdioma::Idioma = codigo; }
    ~IdiomaTemporal() { modIdioma::Idioma = anterior; }
    QString anterior;
};

// Pattern lists of a "|" filter: every second part.
QStringList Patrones(const QString &filtro, QChar sep)
{
    const QStringList partes = filtro.split(sep);
    QStringList patrones;
    for (qsizetype i = 1; i < partes.size(); i += 2)
        patrones << partes[i];
    return patrones;
}

} // namespace

TEST(Catalogo, EveryLanguageDefinesTheSameNumbers)
{
    // 218 numbers of our first catalogue, then the texts added from 1000 on.
    const auto ingles = modIdioma::NumerosIdioma("ing");
    ASSERT_EQ(std::count_if(ingles.begin(), ingles.end(), [](auto n) { return n < 1000; }), 218);
    EXPECT_TRUE(std::is_sorted(ingles.begin(), ingles.end()));
    EXPECT_EQ(std::adjacent_find(ingles.begin(), ingles.end()), ingles.end());
    for (const QString &codigo : modIdioma::CodigosIdioma())
        EXPECT_EQ(modIdioma::NumerosIdioma(codigo), ingles) << codigo;
}

TEST(Catalogo, LookupKeepsBlanksHasNoFallbackAndNamesEachLanguage)
{
    IdiomaTemporal ing("ing");
    EXPECT_EQ(TextoIdioma(89), "Page ");
    EXPECT_EQ(TextoIdioma(-1), "");
    for (const char *codigo : {"ING", "xyz", "", "es"})
        EXPECT_EQ(TextoIdioma(codigo, 89), "") << codigo;
    // A language's own name in it, and the credits of a translated one.
    EXPECT_EQ(TextoIdioma("lat", 7), QString::fromUtf8("Valoda: Latviešu"));
    EXPECT_FALSE(TextoIdioma("deu", 999).isEmpty());
}

TEST(Catalogo, FiltersKeepTheirStructureInEveryLanguage)
{
    for (const QString &codigo : modIdioma::CodigosIdioma()) {
        SCOPED_TRACE(codigo.toStdString());
        const QString abrir = TextoIdioma(codigo, 6);
        EXPECT_TRUE(abrir.endsWith(u'|'));
        EXPECT_EQ(TextoIdioma(codigo, 362).count(u'|'), 1);
        EXPECT_EQ(Patrones(TextoIdioma(codigo, 362), u'|'), QStringList{"*.cbr;*.cbz"});
        const QString guardar = TextoIdioma(codigo, 396);
        EXPECT_TRUE(guardar.endsWith(QChar(u'\0')));
        EXPECT_EQ(Patrones(guardar, QChar(u'\0')), (QStringList{"*.jpg", "*.bmp", "*.png", "*.gif"}));
    }
    // The open filter's pattern lists match the English ones.
    for (const char *codigo : {"esp", "por", "lat", "dan", "dut", "deu"})
        EXPECT_EQ(Patrones(TextoIdioma(codigo, 6), u'|'), Patrones(TextoIdioma("ing", 6), u'|'))
            << codigo;
}

TEST(Catalogo, TranslatedTextsAreWhole)
{
    // Pieces that callers join keep their outer blanks in every language, and
    // no language leaves a number empty that English fills.
    for (const QString &codigo : modIdioma::CodigosIdioma()) {
        SCOPED_TRACE(codigo.toStdString());
        for (auto n : modIdioma::NumerosIdioma("ing")) {
            const QString en = TextoIdioma("ing", n);
            const QString es = TextoIdioma("esp", n);
            const QString t = TextoIdioma(codigo, n);
            if (n == 999 || en.isEmpty())
                continue;
            EXPECT_FALSE(t.isEmpty()) << n;
            // Where the two original languages agree on an outer blank, it
            // belongs to the piece, not to the wording.
            if (en.startsWith(u' ') == es.startsWith(u' ')) {
                EXPECT_EQ(t.startsWith(u' '), en.startsWith(u' ')) << n << " " << t;
            }
            if (en.endsWith(u' ') == es.endsWith(u' ')) {
                EXPECT_EQ(t.endsWith(u' '), en.endsWith(u' ')) << n << " " << t;
            }
            EXPECT_FALSE(t.contains(QChar::ReplacementCharacter)) << n;
        }
    }
}
