// 7z and tar archives made by 7-Zip, GNU tar and bsdtar, and our own RAR 5: signatures, lists,
// blocks, the reader in archive order, damage and passwords; and what a
// ComicInfo.xml says, from real tagged comics and from hostile ones.
#include "Constructores.h"
#include "archive/Archivo.h"
#include "archive/ComicInfo.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using archivo::Formato;
using prueba::EntradaNueva;

namespace {

const QByteArray Info = R"(<?xml version="1.0"?>
<ComicInfo><Title> El principio </Title><Series>Capitán</Series><Number>1.5</Number>
<Count>7</Count><Volume>2</Volume><Year>1950</Year><Month>13</Month><Writer>Ana</Writer>
<Penciller>Luis</Penciller><Summary>Uno
dos</Summary><Manga>YesAndRightToLeft</Manga>
<Pages><Page Image="0" Type="InnerCover"/><Page Image="2" Type="Story FrontCover" DoublePage="true"/>
<Page Image="2" Type="BackCover"/><Page Image="-1" Type="FrontCover"/></Pages></ComicInfo>)";

std::vector<EntradaNueva> Comic()
{
    return {{"p1.jpg", prueba::PaginaMarcada(1)}, {"dentro/p2.jpg", prueba::PaginaMarcada(2)},
            {"p3.jpg", prueba::PaginaMarcada(3)}, {"ComicInfo.xml", Info}};
}

struct Formatos : ::testing::Test {
    QTemporaryDir tmp;
    QString Ruta(const QString &n) const { return tmp.filePath(n); }
};

// Every regular entry as the reader in archive order gives it: name -> bytes,
// "!" for one that does not come out whole.
std::map<QString, QByteArray> Todo(const QString &ruta)
{
    std::map<QString, QByteArray> r;
    archivo::LectorEnOrden lector(ruta);
    archivo::LectorEnOrden::Leida l;
    while (lector.Siguiente([](const QString &) { return true; }, l))
        r[l.Nombre] = l.Entera ? l.Datos : QByteArray("!");
    return r;
}

} // namespace

TEST_F(Formatos, ArchivesOfTheRealToolsListAndReadLikeZip)
{
    struct Caso {
        const char *nombre;
        std::function<bool(const QString &, const std::vector<EntradaNueva> &)> escribir;
        Formato formato;
        bool solido;
    };
    using namespace constructores;
    const std::vector<Caso> casos{
        {"solido.cbz", [](auto &r, auto &e) { return Escribir7z(r, e); }, Formato::SieteZip, true},
        {"suelto.cb7", [](auto &r, auto &e) { return Escribir7z(r, e, {"-ms=off", "-mhc=off"}); }, Formato::SieteZip, false},
        {"gnu.cbt", [](auto &r, auto &e) { return EscribirTar(r, e); }, Formato::Tar, false},
        {"v7.cbr", [](auto &r, auto &e) { return EscribirTar(r, e, "tar", {"--format=v7"}); }, Formato::Tar, false},
        {"bsd.tar", [](auto &r, auto &e) { return EscribirTar(r, e, "bsdtar"); }, Formato::Tar, false},
        {"r5.cbr", [](auto &r, auto &e) { return EscribirRar5(r, e); }, Formato::Rar5, false},
        {"r5s.cbr", [](auto &r, auto &e) { return EscribirRar5(r, e, true); }, Formato::Rar5, true},
    };
    for (const Caso &c : casos) {
        const QString ruta = Ruta(c.nombre);
        ASSERT_TRUE(c.escribir(ruta, Comic())) << c.nombre;
        EXPECT_EQ(archivo::FormatoDe(ruta), c.formato) << c.nombre;
        const archivo::Descripcion d = archivo::Describir(ruta);
        EXPECT_EQ(d.Solido, c.solido) << c.nombre;
        std::map<QString, QByteArray> esperado;
        std::set<int> bloques;
        for (const EntradaNueva &e : Comic())
            esperado[e.Nombre] = e.Datos;
        for (const archivo::Entrada &e : d.Entradas)
            if (e.Regular)
                bloques.insert(e.Bloque);
        EXPECT_EQ(Todo(ruta), esperado) << c.nombre;
        EXPECT_EQ(bloques.size(), c.solido ? 1u : esperado.size()) << c.nombre;
        EXPECT_FALSE(d.ClaveInutil) << c.nombre;
    }
}

TEST_F(Formatos, TheReaderInOrderSkipsPausesAndCountsLikeTheList)
{
    // 7z blocks of two files: reading p3 unpacks only its own block.
    std::vector<EntradaNueva> e;
    for (int i = 1; i <= 5; ++i)
        e.push_back({QString("p%1.jpg").arg(i), prueba::PaginaMarcada(i)});
    const QString ruta = Ruta("dos.cb7");
    ASSERT_TRUE(constructores::Escribir7z(ruta, e, {"-ms=2f"}));
    const archivo::Descripcion d = archivo::Describir(ruta);
    ASSERT_EQ(d.Entradas.size(), 5u);
    std::vector<int> bloques;
    for (const auto &x : d.Entradas)
        bloques.push_back(x.Bloque);
    EXPECT_EQ(bloques, (std::vector<int>{0, 0, 1, 1, 2}));

    archivo::LectorEnOrden lector(ruta);
    archivo::LectorEnOrden::Leida l;
    const auto es = [](const char *n) { return [n](const QString &x) { return x == n; }; };
    ASSERT_TRUE(lector.Siguiente(es("p3.jpg"), l));
    EXPECT_EQ(l.Indice, 2);
    EXPECT_EQ(l.Datos, e[2].Datos);
    ASSERT_TRUE(lector.Siguiente(es("p5.jpg"), l, std::uint64_t(e[4].Datos.size() - 1)));
    EXPECT_FALSE(l.Entera); // over the caller's bound
    EXPECT_FALSE(lector.Siguiente(es("p1.jpg"), l)); // behind: the pass is over
}

TEST_F(Formatos, DamagedArchivesGiveWhatIsWholeAndMarkTheRest)
{
    const QByteArray grande = prueba::PaginaDeColor(Qt::red, {400, 300}, "BMP"); // packs, so damage shows
    std::vector<EntradaNueva> e{{"a.bmp", grande}, {"b.bmp", grande + "b"}, {"c.bmp", grande + "c"}};
    const auto danar = [&](const QString &ruta, qint64 pos) {
        QByteArray b = prueba::LeerBytes(ruta);
        b[pos] = char(b[pos] ^ 0x55);
        prueba::EscribirBytes(ruta, b);
    };
    // Non-solid 7z: only the entry whose data is hit; tar: a hit header
    // loses its entry, and a cut file its last one.
    ASSERT_TRUE(constructores::Escribir7z(Ruta("a.cb7"), e, {"-ms=off"}));
    danar(Ruta("a.cb7"), 40);
    ASSERT_TRUE(constructores::EscribirTar(Ruta("b.cbt"), e));
    danar(Ruta("b.cbt"), prueba::LeerBytes(Ruta("b.cbt")).indexOf("b.bmp") + 2);
    ASSERT_TRUE(constructores::EscribirTar(Ruta("c.cbt"), e));
    const QByteArray entero = prueba::LeerBytes(Ruta("c.cbt"));
    prueba::EscribirBytes(Ruta("c.cbt"), entero.left(entero.indexOf("c.bmp") + 512 + 1000));
    const std::map<QString, QByteArray> a = Todo(Ruta("a.cb7")), b = Todo(Ruta("b.cbt")), c = Todo(Ruta("c.cbt"));
    EXPECT_EQ(a, (std::map<QString, QByteArray>{{"a.bmp", "!"}, {"b.bmp", e[1].Datos}, {"c.bmp", e[2].Datos}}));
    EXPECT_EQ(b, (std::map<QString, QByteArray>{{"a.bmp", e[0].Datos}, {"c.bmp", e[2].Datos}}));
    EXPECT_EQ(c, (std::map<QString, QByteArray>{{"a.bmp", e[0].Datos}, {"b.bmp", e[1].Datos}, {"c.bmp", "!"}}));

    // A solid 7z hit in its stream, and one cut before its header (at the end).
    ASSERT_TRUE(constructores::Escribir7z(Ruta("s.cb7"), e));
    danar(Ruta("s.cb7"), 40);
    for (const auto &[n, datos] : Todo(Ruta("s.cb7")))
        EXPECT_EQ(datos, "!") << n;
    prueba::EscribirBytes(Ruta("t.cb7"), prueba::LeerBytes(Ruta("s.cb7")).left(200));
    EXPECT_EQ(archivo::FormatoDe(Ruta("t.cb7")), Formato::SieteZip);
    EXPECT_TRUE(archivo::ListarEntradas(Ruta("t.cb7")).empty());
    EXPECT_TRUE(Todo(Ruta("t.cb7")).empty());
}

TEST_F(Formatos, Encrypted7zIsKnownAndNoPasswordIsAsked)
{
    const std::vector<EntradaNueva> e{{"p1.jpg", prueba::PaginaMarcada(1)}};
    ASSERT_TRUE(constructores::Escribir7z(Ruta("c.cb7"), e, {"-pclave"}));
    ASSERT_TRUE(constructores::Escribir7z(Ruta("n.cb7"), e, {"-pclave", "-mhe=on"}));
    const archivo::Descripcion datos = archivo::Describir(Ruta("c.cb7"));
    ASSERT_EQ(datos.Entradas.size(), 1u);
    EXPECT_TRUE(datos.Entradas[0].Cifrada);
    EXPECT_TRUE(datos.ClaveInutil);
    const archivo::Descripcion nombres = archivo::Describir(Ruta("n.cb7"));
    EXPECT_TRUE(nombres.Entradas.empty());
    EXPECT_TRUE(nombres.NombresCifrados);
    EXPECT_TRUE(nombres.ClaveInutil);
    int pedidas = 0;
    const archivo::Lectura l = archivo::LeerEntradas(
        Ruta("c.cb7"), [](const QString &) { return true; }, [](const QString &, const QByteArray &) {},
        [&] { ++pedidas; return QString("clave"); });
    EXPECT_EQ(std::vector<int>({l.Encontradas, l.Cifradas, l.Entregadas, pedidas}), std::vector<int>({1, 1, 0, 0}));
}

TEST(FormatoTar, KnownByItsHeaderChecksumNotByChance)
{
    QByteArray cabecera(512, '\0');
    cabecera.replace(0, 5, "a.jpg");
    cabecera.replace(124, 11, "00000000000");
    cabecera[156] = '0';
    const auto sellar = [](QByteArray b) {
        b.replace(148, 8, "        ");
        int suma = 0;
        for (char c : b)
            suma += static_cast<unsigned char>(c);
        b.replace(148, 7, QByteArray::number(suma, 8).rightJustified(6, '0') + '\0');
        return b;
    };
    QByteArray enlace = cabecera;
    enlace[156] = 'x'; // an unknown type without the mark
    QByteArray mal = sellar(cabecera);
    mal[0] = 'b';
    EXPECT_EQ(archivo::FormatoDeDatos(sellar(cabecera)), Formato::Tar);
    EXPECT_EQ(archivo::FormatoDeDatos(sellar(enlace)), Formato::Ninguno);
    EXPECT_EQ(archivo::FormatoDeDatos(mal), Formato::Ninguno);
    EXPECT_EQ(archivo::FormatoDeDatos(sellar(cabecera).left(511)), Formato::Ninguno);
    EXPECT_EQ(archivo::FormatoDeDatos(QByteArray(10240, '\0')), Formato::Ninguno);
}

TEST(ComicInfo, FieldsAreReadCheckedAndCut)
{
    const archivo::InfoComic i = archivo::LeerComicInfo(Info);
    EXPECT_TRUE(i.Leida);
    EXPECT_EQ(QStringList({i.Titulo, i.Serie, i.Numero, i.Guionista, i.Dibujante, i.Resumen}),
              QStringList({"El principio", "Capitán", "1.5", "Ana", "Luis", "Uno\ndos"}));
    EXPECT_EQ(std::vector<int>({i.Cantidad, i.Volumen, i.Ano, i.Mes}), std::vector<int>({7, 2, 1950, -1}));
    EXPECT_EQ(i.EsManga, archivo::Manga::SiDerechaAIzquierda);
    ASSERT_EQ(i.Paginas.size(), 2u); // a repeated and a negative Image are dropped
    EXPECT_EQ(i.Portada(), 2);
    EXPECT_TRUE(i.Paginas[1].Doble && i.Paginas[1].Es(archivo::TipoPagina::Historia));
    EXPECT_FALSE(i.Paginas[0].Doble || i.Paginas[0].Es(archivo::TipoPagina::Historia));

    QByteArray largo = Info;
    largo.replace("Ana", QByteArray(5000, 'x'));
    EXPECT_EQ(archivo::LeerComicInfo(largo).Guionista.size(), archivo::LargoMaximoCampo);
    // Fields before a fault in the XML stay; after it, nothing.
    const archivo::InfoComic roto = archivo::LeerComicInfo("<ComicInfo><Series>S</Series><Title>A & B</Title>"
                                                           "<Number>3</Number></ComicInfo>");
    EXPECT_EQ(roto.Serie, "S");
    EXPECT_TRUE(roto.Numero.isEmpty());
    EXPECT_FALSE(archivo::LeerComicInfo("<Comic><Title>T</Title></Comic>").Leida);
}

TEST(ComicInfo, EntityBombsAndHugeFilesAreIgnoredAtOnce)
{
    QByteArray bomba = "<?xml version=\"1.0\"?>\n<!DOCTYPE ComicInfo [\n<!ENTITY a0 \"jajajajaja\">\n";
    for (int i = 1; i < 10; ++i)
        bomba += QString("<!ENTITY a%1 \"&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;\">\n").arg(i).arg(i - 1).toUtf8();
    bomba += "]>\n<ComicInfo><Title>&a9;</Title><Series>S</Series></ComicInfo>";
    QByteArray enorme = Info;
    enorme.insert(enorme.indexOf("<Title>"), "<Notes>" + QByteArray(archivo::TamanoMaximoComicInfo, 'n') + "</Notes>");
    QElapsedTimer reloj;
    reloj.start();
    EXPECT_FALSE(archivo::LeerComicInfo(bomba).Leida);
    EXPECT_FALSE(archivo::LeerComicInfo(enorme).Leida);
    EXPECT_LT(reloj.elapsed(), 5000);
}

TEST_F(Formatos, TheComicInfoEntryIsFoundAtTheTopFirst)
{
    using E = archivo::Entrada;
    const auto entrada = [](const char *n, bool regular = true) {
        E e;
        e.Nombre = n;
        e.Regular = regular;
        return e;
    };
    EXPECT_EQ(archivo::EntradaComicInfo({entrada("a/b/ComicInfo.xml"), entrada("x/comicinfo.XML"),
                                         entrada("ComicInfo.xml", false), entrada("ComicInfo.xml.bak")}),
              1);
    EXPECT_EQ(archivo::EntradaComicInfo({entrada("x/ComicInfo.xml"), entrada("COMICINFO.xml")}), 1);

    std::vector<EntradaNueva> e = Comic();
    e.insert(e.begin(), {"dentro/ComicInfo.xml", "<ComicInfo><Title>Otro</Title></ComicInfo>"});
    ASSERT_TRUE(constructores::Escribir7z(Ruta("c.cb7"), e));
    EXPECT_EQ(archivo::LeerComicInfoDe(Ruta("c.cb7")).Titulo, "El principio");
    e.back().Datos = QByteArray(archivo::TamanoMaximoComicInfo + 1, ' ');
    ASSERT_TRUE(constructores::EscribirTar(Ruta("c.cbt"), e));
    EXPECT_FALSE(archivo::LeerComicInfoDe(Ruta("c.cbt")).Leida);

    // Comics tagged by a real tagger: a ZIP with one in its folder and one
    // at the top, and a RAR 5.
    const QString fixtures = prueba::CarpetaFixtures();
    if (fixtures.isEmpty())
        GTEST_SKIP() << "no shared archive fixtures in this checkout";
    for (const char *f : {"/comicbox/Captain Science #001.cbz", "/comicbox/Captain Science #001-cix-cbi.cbr"}) {
        const archivo::InfoComic i = archivo::LeerComicInfoDe(fixtures + f);
        EXPECT_EQ(QStringList({i.Titulo, i.Serie, i.Numero, i.Guionista, i.Dibujante}),
                  QStringList({"The Beginning; The End", "Captain Science", "1", "Joe Orlando", "Wally Wood"}))
            << f;
        EXPECT_EQ(std::vector<int>({i.Cantidad, i.Volumen, i.Ano, i.Mes, i.Portada()}),
                  std::vector<int>({7, 1950, 1950, 11, 0}))
            << f;
    }
}
