#include "PruebaColeccion.h"

#include "collection/Coleccion.h"

#include <QFile>

using coleccion::ItemComic;

namespace {

QStringList Nombres(const QList<ItemComic> &l, QString ItemComic::*campo = &ItemComic::Nombre)
{
    QStringList r;
    for (const ItemComic &i : l)
        r << i.*campo;
    return r;
}

} // namespace

TEST(ListarComics, RootThenEachSubfolderByNameDeeperFoldersNot)
{
    QTemporaryDir t;
    const QString r = t.path();
    for (const char *n : {"b.cbz", "A.CBR", "c.zip", "notas.txt", "._A.CBR", "alfa/x.cbz", "alfa/W.cbr",
                          "Beta/y.cbz", "alfa/hondo/z.cbz", ".oculta/v.cbz", "__MACOSX/u.cbz"})
        prueba::Vacio(r + "/" + n);
    QDir(r).mkpath("carpeta.cbz"); // a folder is no comic

    const QList<ItemComic> l = coleccion::ListarComics(r);
    EXPECT_EQ(Nombres(l), (QStringList{"A.CBR", "b.cbz", "W.cbr", "x.cbz", "y.cbz"}));
    EXPECT_EQ(Nombres(l, &ItemComic::Ruta), QStringList({r + "/A.CBR", r + "/b.cbz", r + "/alfa/W.cbr", r + "/alfa/x.cbz", r + "/Beta/y.cbz"}));
    EXPECT_EQ(Nombres(l, &ItemComic::Estado), QStringList(5, "0"));
    // A root given with its separator joins without doubling it.
    EXPECT_EQ(coleccion::ListarComics(r + "/").constFirst().Ruta, r + "/A.CBR");
    EXPECT_TRUE(coleccion::ListarComics(r + "/nada").isEmpty());
    EXPECT_EQ(coleccion::SubcarpetasDe(r), (QStringList{"alfa", "Beta", "carpeta.cbz"}));
}

TEST(EstadosColeccion, MatchedByNameInAnyFolderWithoutRegardToCaseAndChangedOnEveryRecordOfTheName)
{
    QList<ItemComic> lista{{"Hero 01.cbr", "0", "/c/Hero 01.cbr"},
                           {"hero 01.CBR", "0", "/c/otra/hero 01.CBR"},
                           {"Hero 02.cbz", "0", "/c/Hero 02.cbz"},
                           {"Ñandú.cbz", "0", "/c/Ñandú.cbz"}};
    QList<ItemComic> estados{{"HERO 01.cbr", "2", {}}, {"hero 01.cbr", "1", {}}, {"ñANDÚ.CBZ", "2", {}}};
    coleccion::AplicarEstados(lista, estados);
    // The same name in two folders shares one state; the last record wins.
    EXPECT_EQ(Nombres(lista, &ItemComic::Estado), QStringList({"1", "1", "0", "2"}));
    coleccion::CambiarEstado(estados, "Hero 01.CBR", 0);
    EXPECT_EQ(Nombres(estados, &ItemComic::Estado), QStringList({"0", "0", "2"}));
    coleccion::CambiarEstado(estados, "Nuevo, \"El\".CBZ", 2);
    ASSERT_EQ(estados.size(), 4);
    EXPECT_EQ(estados[3], (ItemComic{"nuevo, \"el\".cbz", "2", {}}));
}

TEST(ArchivoEstados, RecordsAboveZeroWrittenQuotedAndReadBack)
{
    const QList<ItemComic> estados{{"hero 01.cbr", "1", {}},
                                   {"cero.cbr", "0", {}},
                                   {"", "-1", {}},
                                   {"raro.cbr", "x", {}},
                                   {"Coma, y \"comillas\".cbz", "2", {}}};
    const QByteArray texto = coleccion::EscribirEstados(estados);
    EXPECT_EQ(texto, QByteArray("\"hero 01.cbr\",\"1\"\r\n\"Coma, y \"\"comillas\"\".cbz\",\"2\"\r\n"));
    const QList<ItemComic> leidos = coleccion::LeerEstados(texto);
    ASSERT_EQ(leidos.size(), 2);
    EXPECT_EQ(leidos[1].Nombre, "Coma, y \"comillas\".cbz");
    EXPECT_EQ(leidos[1].Estado, "2");
    EXPECT_EQ(std::vector({coleccion::ValorEstado(" 2 "), coleccion::ValorEstado("1x"), coleccion::ValorEstado("")}),
              std::vector({2, 1, 0}));
    // More records than a 16-bit count holds are read whole.
    QList<ItemComic> muchos;
    for (int i = 0; i < 40000; ++i)
        muchos << ItemComic{QStringLiteral("comic %1.cbz").arg(i), "1", {}};
    EXPECT_EQ(coleccion::LeerEstados(coleccion::EscribirEstados(muchos)), muchos);
}

TEST(ArchivoEstados, SavedOverTheOldFileAndAnUnreadableOneIsReported)
{
    QTemporaryDir t;
    const QString ruta = t.filePath("tvlcol.tvl");
    QList<ItemComic> leidos;
    EXPECT_EQ(coleccion::LeerArchivoEstados(ruta, leidos), coleccion::Lectura::Leido);
    EXPECT_TRUE(leidos.isEmpty());
    prueba::EscribirBytes(ruta, "\"viejo.cbr\",\"1\"\r\n");
    ASSERT_TRUE(coleccion::GuardarArchivoEstados(ruta, {{"nuevo.cbr", "2", {}}}));
    EXPECT_EQ(prueba::LeerTexto(ruta), "\"nuevo.cbr\",\"2\"\r\n");
    EXPECT_EQ(QDir(t.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tvlcol.tvl"}); // no temporary left behind
    ASSERT_EQ(coleccion::LeerArchivoEstados(ruta, leidos), coleccion::Lectura::Leido);
    EXPECT_EQ(leidos, (QList<ItemComic>{{"nuevo.cbr", "2", {}}}));

    EXPECT_FALSE(coleccion::GuardarArchivoEstados(t.filePath("no/existe/tvlcol.tvl"), leidos));
    QDir(t.path()).mkpath("carpeta.tvl");
    EXPECT_EQ(coleccion::LeerArchivoEstados(t.filePath("carpeta.tvl"), leidos), coleccion::Lectura::Ilegible);
    QFile::setPermissions(ruta, {});
    QFile prueba(ruta);
    if (!prueba.open(QIODevice::ReadOnly)) { // root reads anything
        EXPECT_EQ(coleccion::LeerArchivoEstados(ruta, leidos), coleccion::Lectura::Ilegible);
    }
}

TEST(FiltroCarpetas, LineZeroAtTheRootOnlyHides)
{
    EXPECT_EQ(coleccion::RutaDelFiltro("/c/Comics", "/c/comics/", 0, "todas"), std::nullopt);
    EXPECT_EQ(coleccion::RutaDelFiltro("/c/Comics", "/c/Comics/Marvel", 0, "todas"), "/c/Comics");
    EXPECT_EQ(coleccion::RutaDelFiltro("/c/Comics", "/c/Comics", 2, "Marvel"), "/c/Comics/Marvel");
    EXPECT_EQ(coleccion::RutaDelFiltro("/c/Comics/", "/c/Comics", 1, "DC"), "/c/Comics/DC");
}
