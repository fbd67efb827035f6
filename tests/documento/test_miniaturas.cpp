// The thumbnails without a window: the loading of a whole document's
// thumbnails on the decode pool, the small-picture decode and the cache files.
#include "Constructores.h"
#include "FuentesDePrueba.h"
#include "documento/CacheMini.h"
#include "documento/CargaMiniaturas.h"
#include "documento/Documento.h"
#include "imaging/Miniatura.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using prueba::Codificar;
using prueba::Origen;

// A thumbnail a fifth of the page, as the grid would ask.
QSize Quinto(int, QSize natural)
{
    return natural / 5;
}

// Every page handed back, in order of arrival.
std::vector<CargaMiniaturas::Miniatura> TodasLas(CargaMiniaturas &c)
{
    std::vector<CargaMiniaturas::Miniatura> todas;
    const bool acabada = QTest::qWaitFor([&] {
        for (auto &m : c.Tomar())
            todas.push_back(std::move(m));
        return c.Terminada();
    }, 20000);
    EXPECT_TRUE(acabada);
    return todas;
}

} // namespace

TEST(Miniatura, PicturesComeAtExactlyTheAskedSizeWithTheirNaturalSize)
{
    // Smaller than the page asks: made larger, still exactly that size; a PNG
    // with transparent parts over white, as the page loader gives it; BMP has
    // no scaled reading: decoded whole, reduced.
    QImage transparente(300, 200, QImage::Format_ARGB32);
    transparente.fill(Qt::transparent);
    const std::tuple<QByteArray, const char *, QSize, QSize> casos[] = {
        {prueba::PaginaNumero(1, {400, 600}, "JPG"), "p.jpg", {53, 79}, {400, 600}},
        {prueba::PaginaNumero(1, {400, 600}, "JPG"), "p.jpg", {500, 700}, {400, 600}},
        {Codificar(transparente, "PNG"), "p.PNG", {75, 50}, {300, 200}},
        {prueba::PaginaNumero(2, {120, 90}, "BMP"), "p.bmp", {40, 30}, {120, 90}}};
    for (const auto &[datos, nombre, pedido, natural] : casos) {
        const auto r = miniatura::Decodificar(Origen(datos, nombre), [&](QSize) { return pedido; });
        ASSERT_EQ(r.Imagen.size(), pedido) << nombre;
        EXPECT_EQ(r.Natural, natural) << nombre;
        EXPECT_TRUE(QString(nombre) != "p.PNG" || r.Imagen.pixelColor(30, 20) == QColor(Qt::white));
    }
}

TEST(Miniatura, DamagedBytesGiveNoPictureAndCancellingStops)
{
    QByteArray roto = prueba::PaginaNumero(1, {400, 600}, "JPG").left(300);
    EXPECT_TRUE(miniatura::Decodificar(Origen(roto, "p.jpg"), [](QSize n) { return n / 5; }).Imagen.isNull());
    std::atomic<bool> cancelar{true};
    const miniatura::Resultado r = miniatura::Decodificar(Origen(prueba::PaginaNumero(1, {400, 600}), "p.jpg"),
                                                          [](QSize n) { return n / 2; }, &cancelar);
    EXPECT_TRUE(r.Cancelado);
    EXPECT_TRUE(r.Imagen.isNull());
}

class Carga : public ::testing::Test {
protected:
    QString Ruta(const QString &n) const { return tmp.path() + '/' + n; }
    std::unique_ptr<CargaMiniaturas> Cargar()
    {
        return std::make_unique<CargaMiniaturas>(d.Obreros(), d.Fuente(), d.Paginas, Quinto);
    }
    QTemporaryDir tmp;
    Documento d;
};

TEST_F(Carga, EveryKindOfDocumentComesBackInPageOrderWithDamagedPagesEmpty)
{
    // Archive order 3, 1, 4, 2, 2: page 4 damaged, and two entries of one
    // name that both give their page the later picture, as the viewer does.
    const std::vector<prueba::EntradaNueva> entradas{{"p3.jpg", prueba::PaginaNumero(3, {60, 80})},
                                                     {"p1.jpg", prueba::PaginaNumero(1, {60, 80})},
                                                     {"p4.jpg", "damaged"},
                                                     {"p2.png", prueba::PaginaNumero(7, {70, 80}, "PNG")},
                                                     {"p2.png", prueba::PaginaNumero(2, {80, 60}, "PNG")}};
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), entradas));
    ASSERT_TRUE(prueba::EscribirRar4(Ruta("c.cbr"), entradas));
    for (const auto &e : {entradas[0], entradas[1], entradas[2], entradas[4]})
        prueba::EscribirBytes(Ruta("carpeta/" + e.Nombre), e.Datos);
    for (const char *n : {"c.cbz", "c.cbr", "carpeta/p1.jpg"}) {
        d.Abrir(Ruta(n));
        const auto todas = TodasLas(*Cargar());
        ASSERT_EQ(todas.size(), std::size_t(d.NumeroPaginas())) << n;
        for (std::size_t i = 0; i < todas.size(); ++i)
            EXPECT_EQ(todas[i].Pagina, int(i) + 1) << n;
        EXPECT_EQ(todas[0].Imagen.size(), QSize(12, 16)) << n;
        EXPECT_EQ(todas[1].Imagen.size(), QSize(16, 12)) << n;
        for (std::size_t i = 0; i < todas.size(); ++i) // every page of that name
            EXPECT_TRUE(d.Paginas[int(i) + 1] != "p2.png" || todas[i].Natural == QSize(80, 60)) << n << " " << i;
        EXPECT_TRUE(todas.back().Imagen.isNull()) << n;
        auto cancelada = Cargar();
        cancelada->Cancelar();
        EXPECT_TRUE(cancelada->Tomar().empty());
    }
}

TEST_F(Carga, AWalkThatThrowsEndsWithThePagesItDidNotReachEmpty)
{
    const auto pagina = [](int i) { return prueba::PaginaNumero(i, {60, 80}); };
    ASSERT_TRUE(prueba::EscribirZip(Ruta("c.cbz"), prueba::PaginasNumeradas(4, pagina)));
    const auto fuente = std::make_shared<prueba::FuenteDePrueba>(Ruta("c.cbz"), "CBZ", std::chrono::milliseconds(0),
                                                                 "p3.jpg");
    ASSERT_EQ(d.Adoptar(prueba::Listado(fuente)).Razon, Motivo::Ninguno);
    const auto todas = TodasLas(*Cargar());
    ASSERT_EQ(todas.size(), 4u);
    EXPECT_FALSE(todas[1].Imagen.isNull());
    EXPECT_TRUE(todas[2].Imagen.isNull());
    EXPECT_TRUE(todas[3].Imagen.isNull());
}

TEST(CacheMini, TheIndexHasTheKeyThenOneLineOfFourNumbersPerPage)
{
    const std::vector<diseno::Rect> fichas = {{240, 360, 2000, 1500}, {2340, 360, 2000, 1500}};
    const QByteArray texto = cacheMini::TextoIndice(QStringLiteral("7/12/26 10:11:12"), fichas);
    EXPECT_EQ(texto, QByteArray("7/12/26 10:11:12\r\n 240  360  2000  1500 \r\n 2340  360  2000  1500 \r\n"));
    EXPECT_EQ(cacheMini::LeerIndice(texto, QStringLiteral("7/12/26 10:11:12"), 2), fichas);
    // Another key, another number of pages, or a damaged line: no cache.
    EXPECT_FALSE(cacheMini::LeerIndice(texto, QStringLiteral("7/12/26 10:11:13"), 2));
    EXPECT_FALSE(cacheMini::LeerIndice(texto, QStringLiteral("7/12/26 10:11:12"), 3));
    EXPECT_FALSE(cacheMini::LeerIndice("k\r\n 1  2  x  4 \r\n", QStringLiteral("k"), 1));
}

TEST_F(Carga, AnyPictureOfAFolderChangesTheKey)
{
    QDir().mkpath(Ruta("Vol1"));
    const auto escribir = [&](const QString &n, const QDateTime &t) {
        QFile f(Ruta("Vol1/" + n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(prueba::PaginaNumero(1, {40, 40}));
        f.flush(); // before the time: a later write would move it
        ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
    };
    const QDateTime t0 = QDateTime::currentDateTime().addDays(-2);
    escribir("a.jpg", t0);
    escribir("b.jpg", t0);
    d.Abrir(Ruta("Vol1/a.jpg"));
    const QString claveCarpeta = cacheMini::ClaveCacheMini(d);
    escribir("b.jpg", QDateTime::currentDateTime().addDays(1)); // replaced by a newer picture
    EXPECT_NE(cacheMini::ClaveCacheMini(d), claveCarpeta);
}

TEST_F(Carga, TheCacheIsReadBackOnlyWhole)
{
    const QString base = Ruta("xcomic");
    QImage grid(200, 100, QImage::Format_RGB32);
    grid.fill(QColor(10, 200, 30));
    const std::vector<diseno::Rect> fichas = {{240, 360, 500, 400}};
    ASSERT_TRUE(cacheMini::EscribirCache(base, "k", fichas, grid));
    auto c = cacheMini::LeerCache(base, "k", 1);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Imagen.size(), QSize(200, 100));
    EXPECT_EQ(c->Fichas, fichas);
    EXPECT_FALSE(cacheMini::LeerCache(base, "other", 1));
    ASSERT_TRUE(QFile::remove(base + ".jpg"));
    EXPECT_FALSE(cacheMini::LeerCache(base, "k", 1));
    // A picture that cannot be written leaves no index behind either.
    EXPECT_FALSE(cacheMini::EscribirCache(base, "k", fichas, QImage()));
    EXPECT_FALSE(QFile::exists(base + ".tvl"));
}
