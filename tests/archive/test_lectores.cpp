// The readers over archives the tests write: where entries are written, the
// kept-open ZIP index, and hostile or damaged input.
#include "Constructores.h"
#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"
#include "archive/IndiceZip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <map>
#include <thread>

using prueba::EntradaNueva;

namespace {

using prueba::EscribirBytes;
using prueba::LeerBytes;

// Files below `carpeta`, relative, sorted; links listed as "name->".
QStringList Contenido(const QString &carpeta)
{
    QStringList lista;
    QDirIterator it(carpeta, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo fi(it.next());
        if (fi.isSymLink() || !fi.isDir())
            lista << QDir(carpeta).relativeFilePath(fi.filePath()) + (fi.isSymLink() ? "->" : "");
    }
    lista.sort();
    return lista;
}

struct Carpetas : ::testing::Test {
    QTemporaryDir tmp;
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    QString destino() const { return tmp.path() + "/destino/"; }
    void SetUp() override { QDir().mkpath(destino()); }
};

} // namespace

using Zip = Carpetas;
using Hostil = Carpetas;

TEST_F(Hostil, NamesNeverLeaveTheDestinationNorFollowItsLinks)
{
    // Climbing names are refused, absolute ones land inside.
    for (const char *n : {"../escape.jpg", "img/../../escape2.jpg", "/abs/page.jpg", "ok.jpg"})
        archivo::EscribirEntrada(destino(), n, "x");
    EXPECT_EQ(Contenido(destino()), QStringList({"abs/page.jpg", "ok.jpg"}));
    EXPECT_EQ(Contenido(tmp.path()).filter("escape").size(), 0);

    const QString fuera = Ruta("fuera");
    QDir().mkpath(fuera);
    EscribirBytes(fuera + "/victima.jpg", "intacta");
    ASSERT_TRUE(QFile::link(fuera, destino() + "img"));
    ASSERT_TRUE(QFile::link(fuera + "/victima.jpg", destino() + "p.jpg"));
    EXPECT_FALSE(archivo::EscribirEntrada(destino(), "img/victima.jpg", "x"));
    EXPECT_TRUE(archivo::EscribirEntrada(destino(), "p.jpg", "nueva"));
    EXPECT_EQ(LeerBytes(fuera + "/victima.jpg"), "intacta");
    EXPECT_EQ(LeerBytes(destino() + "p.jpg"), "nueva");
    EXPECT_FALSE(QFileInfo(destino() + "p.jpg").isSymLink());
}

TEST_F(Hostil, DamagedAndTruncatedArchivesEndCleanly)
{
    std::vector<EntradaNueva> paginas;
    for (int i = 0; i < 8; ++i)
        paginas.push_back({QString("p%1.jpg").arg(i), QByteArray(5000 + i, char('a' + i))});
    ASSERT_TRUE(prueba::EscribirZip(Ruta("z.cbz"), paginas));
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("r.cbr"), paginas));
    // Every page out of `roto`: whatever comes out is whole.
    auto leer = [&](const QString &roto, const QString &caso) {
        int salidos = 0;
        archivo::LeerEntradas(roto, [](const QString &) { return true; }, [&](const QString &n, const QByteArray &d) {
            EXPECT_EQ(d, paginas[size_t(n.mid(1, 1).toInt())].Datos) << caso;
            ++salidos;
        });
        return salidos;
    };
    for (const QString &nombre : {QString("z.cbz"), QString("r.cbr")}) {
        const QByteArray entero = LeerBytes(Ruta(nombre));
        // Cut at many points, and with bytes flipped in the middle of the data.
        for (qsizetype corte : {qsizetype(4), qsizetype(30), entero.size() / 3, entero.size() / 2,
                                entero.size() - 30}) {
            EscribirBytes(Ruta("roto-" + nombre), entero.left(corte));
            leer(Ruta("roto-" + nombre), nombre + " cut " + QString::number(corte));
        }
        QByteArray danado = entero;
        for (qsizetype i = entero.size() / 3; i < entero.size() / 3 + 40; ++i)
            danado[i] = char(danado[i] ^ 0x5A);
        EscribirBytes(Ruta("danado-" + nombre), danado);
        EXPECT_LT(leer(Ruta("danado-" + nombre), nombre), int(paginas.size())) << nombre;
    }
}

TEST(Rar4Hostil, SizesFromTheFileAreCheckedBeforeTheyMoveTheWalk)
{
    using prueba::BloqueRar4;
    const QByteArray inicio = prueba::InicioRar4();
    const qint64 cabecera = BloqueRar4("p.jpg", {}, 0, 0).size();
    // Packed sizes that would stand still, go back, or overflow the position:
    // the entry is listed and the walk ends there.
    for (const std::uint64_t empaquetado :
         {std::uint64_t(-cabecera), std::uint64_t(-1), std::uint64_t(0x7FFFFFFFFFFFFFF0), std::uint64_t(1) << 62}) {
        const QByteArray rar = inicio + BloqueRar4("p.jpg", {}, empaquetado, 10) + BloqueRar4("q.jpg", "abcd", 4, 4);
        const auto lista = archivo::ListarEntradasDatos(rar);
        ASSERT_EQ(lista.size(), 1u) << empaquetado;
        EXPECT_EQ(lista[0].Nombre, "p.jpg");
        const archivo::Lectura l = archivo::LeerEntradasDatos(rar, [](const QString &) { return true; },
                                                              [](const QString &, const QByteArray &) {});
        EXPECT_EQ(l.Entregadas, 0);
    }
    // A stored entry declaring far more than the file holds gives nothing,
    // and the entries around it still come out.
    const QByteArray rar = inicio + BloqueRar4("a.jpg", "abcd", 4, 4)
                           + BloqueRar4("b.jpg", "efgh", 4, 200u * 1024 * 1024) + BloqueRar4("c.jpg", "ijkl", 4, 4);
    QStringList salidas;
    const archivo::Lectura l = archivo::LeerEntradasDatos(
        rar, [](const QString &) { return true; },
        [&](const QString &n, const QByteArray &d) { salidas << n + "=" + QString::fromLatin1(d); });
    EXPECT_EQ(l.Encontradas, 3);
    EXPECT_EQ(salidas, QStringList({"a.jpg=abcd", "c.jpg=ijkl"}));
}

TEST(EscrituraSegura, PathsBelowTheDestination)
{
#ifdef _WIN32
    const char *barraInversa = "";
#else
    const char *barraInversa = "/t/..\\b"; // not a separator here
#endif
    const std::tuple<const char *, const char *, const char *> casos[] = {
        {"/t/", "img/01.jpg", "/t/img/01.jpg"}, {"/t", "./a//b.jpg", "/t/a/b.jpg"},
        {"/t/", "/etc/passwd", "/t/etc/passwd"}, {"/t/", "C:/x/y.jpg", "/t/x/y.jpg"},
        {"/t/", "..\\b", barraInversa},          {"/t/", "a/..b/c..d", "/t/a/..b/c..d"},
        {"/t/", "/", ""},                        {"", "a", ""}};
    for (const auto &[destino, nombre, ruta] : casos)
        EXPECT_EQ(archivo::RutaDentroDe(destino, nombre), ruta) << destino << " " << nombre;
}

TEST_F(Zip, TheKeptOpenIndexChecksEveryEntryAndStandsAsideWhenUnsure)
{
    // Bytes that do not compress, so the packed entry is as long as the page.
    QByteArray ruido(70000, Qt::Uninitialized);
    std::uint32_t x = 12345;
    for (char &c : ruido)
        c = char((x = x * 1103515245u + 12345u) >> 24);
    const std::vector<EntradaNueva> paginas{{"a/p1.jpg", ruido}, {"p2.jpg", "dos"}};
    for (bool comprimir : {true, false}) {
        const QString cbz = Ruta(comprimir ? "d.cbz" : "s.cbz");
        ASSERT_TRUE(prueba::EscribirZip(cbz, paginas, {}, {}, comprimir));
        const QStringList regulares{"a/p1.jpg", "p2.jpg"};
        auto indice = archivo::IndiceZip::Abrir(cbz, regulares);
        ASSERT_TRUE(indice) << comprimir;
        QByteArray d;
        EXPECT_EQ(indice->Leer("a/p1.jpg", d), archivo::IndiceZip::Resultado::Bien);
        EXPECT_EQ(d, paginas[0].Datos);
        EXPECT_EQ(indice->Leer("a", d), archivo::IndiceZip::Resultado::NoEsta);
        // Names that are not the general reader's: no index.
        EXPECT_FALSE(archivo::IndiceZip::Abrir(cbz, {"p2.jpg"}));
        EXPECT_FALSE(archivo::IndiceZip::Abrir(cbz, {"a/p1.jpg", "p2.JPG"}));

        // One byte changed inside the first entry's data: its CRC fails.
        QByteArray bytes = LeerBytes(cbz);
        const qsizetype dentro = bytes.indexOf("a/p1.jpg") + 1000;
        bytes[dentro] = char(bytes[dentro] ^ 0x01);
        EscribirBytes(cbz, bytes);
        indice = archivo::IndiceZip::Abrir(cbz, regulares);
        ASSERT_TRUE(indice);
        EXPECT_EQ(indice->Leer("a/p1.jpg", d), archivo::IndiceZip::Resultado::Rota) << comprimir;
        EXPECT_EQ(indice->Leer("p2.jpg", d), archivo::IndiceZip::Resultado::Bien);
        EXPECT_EQ(d, "dos");
        // Cut short: no end record, no index.
        EscribirBytes(cbz, bytes.left(bytes.size() - 10));
        EXPECT_FALSE(archivo::IndiceZip::Abrir(cbz, regulares));
    }
    const QString cifrado = Ruta("k.cbz");
    ASSERT_TRUE(prueba::EscribirZip(cifrado, paginas, "zipcrypt", "x"));
    const auto indice = archivo::IndiceZip::Abrir(cifrado, {"a/p1.jpg", "p2.jpg"});
    ASSERT_TRUE(indice);
    QByteArray d;
    EXPECT_EQ(indice->Leer("p2.jpg", d), archivo::IndiceZip::Resultado::Otro);
    EXPECT_FALSE(archivo::IndiceZip::Abrir(Ruta("no-existe.cbz"), {}));
}

TEST(Archivo, NamesReadOnAnyThreadAreUnicodeAndTheProcessLocaleIsLeftAlone)
{
    QTemporaryDir t;
    const QString cbz = t.filePath("c.cbz");
    ASSERT_TRUE(prueba::EscribirZip(cbz, {{"ñandú/página.jpg", "x"}}));
    const std::string antes = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C"); // as in a program without our main
    QString nombre;
    std::thread([&] { nombre = archivo::ListarEntradas(cbz).at(0).Nombre; }).join();
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    std::setlocale(LC_CTYPE, antes.c_str());
    EXPECT_EQ(nombre, "ñandú/página.jpg");
}
