// The mini pages on the real main window: the grid's geometry, the loading
// in page order with Escape and reload, choosing a page, the cache files and
// when they are used, and the pages that cannot be shown.
#include "FuentesDePrueba.h"
#include "PruebaVentanas.h"
#include "documento/CacheMini.h"
#include "views/FormMini.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QToolButton>

namespace {

constexpr int F10 = Qt::Key_F1 + 9;

using mini::Rejilla;
using diseno::Rect;

class Mini : public prueba::PruebaVentanas {
protected:
    void SetUp() override
    {
        PruebaVentanas::SetUp();
        // Grids cached by earlier tests of the same names.
        QDir temporal(modGeneral::CarpetaTemporal());
        for (const QString &n : temporal.entryList({"x*"}, QDir::Files))
            temporal.remove(n);
    }
    // A comic of `n` pages of that size (page 1 the given shape, the rest
    // upright), shown at page 1.
    void Comic(int n, QSize tamano = {60, 80}, const QString &nombre = "c.cbz")
    {
        ASSERT_TRUE(prueba::EscribirZip(tmp.filePath(nombre), prueba::PaginasNumeradas(n, [&](int i) {
            return prueba::PaginaNumero(i, i == 1 ? tamano : QSize(60, 80));
        }, "jpg", 2)));
        AbrirListado(tmp.filePath(nombre));
        ASSERT_EQ(Vista().Doc().NumeroPaginas(), n);
    }
    // F10; `accion` runs once the grid is complete (or comes from the cache).
    bool ConMini(const std::function<void(FormMini &)> &accion, bool esperar = true)
    {
        return ConVentana<FormMini>(F10, [&](FormMini &v) {
            if (esperar) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return v.CargaCompleta || v.DesdeCache; }, 20000));
            }
            accion(v);
        });
    }
    static QPoint Centro(const Rect &r)
    {
        return {(r.Left + r.Width / 2) / 15, (r.Top + r.Height / 2) / 15};
    }
    QString Base() { return cacheMini::RutaCacheMini(f->Doc()); }
};

} // namespace

TEST(MiniGeometria, TheGridSideFramesAndBoxes)
{
    EXPECT_EQ((std::vector{mini::Lado(0), mini::Lado(1), mini::Lado(7), mini::Lado(9), mini::Lado(10)}),
              (std::vector{0, 1, 3, 3, 4}));
    // 800 x 600: 12000 x 9000 twips.
    const Rejilla diez = mini::CalcularRejilla(10, {12000, 9000});
    EXPECT_EQ(diez.Lado, 4);
    EXPECT_EQ(mini::Ficha(diez, 1), (Rect{240, 360, 2840, 2060}));
    EXPECT_EQ(mini::Ficha(diez, 10), (Rect{3180, 4680, 2840, 2060}));
    // Right to left each row starts on the right.
    EXPECT_EQ(mini::Ficha(diez, 1, true), mini::Ficha(diez, 4));
    EXPECT_EQ(mini::Ficha(diez, 10, true), mini::Ficha(diez, 11));
    EXPECT_EQ(mini::CalcularRejilla(0, {12000, 9000}).Lado, 0);

    const Rect ficha{240, 360, 11660, 8540};
    // The band for the page number: 300 under the box, 60 above the frame's bottom.
    EXPECT_EQ(mini::CajaVacia(ficha), (Rect{285, 405, 11540, 8120}));
    EXPECT_EQ(mini::Numero(ficha), (Rect{240, 8540, 11660, 300}));
    EXPECT_EQ(mini::Banda(692), 210); // a small frame keeps a readable band
    // Upright: the box height, centred across.
    EXPECT_EQ(mini::Caja(ficha, {60, 80}), (Rect{3025, 405, 6090, 8120}));
    // Square: the upright branch, as wide as high.
    EXPECT_EQ(mini::Caja(ficha, {500, 500}), (Rect{2010, 405, 8120, 8120}));
    // Wide, wider than the box: the height reduced, centred down above the band.
    EXPECT_EQ(mini::Caja(ficha, {200, 100}), (Rect{285, 1595, 11540, 5770}));
    // Wide in a box wider still: the whole box height, stretched.
    EXPECT_EQ(mini::Caja(ficha, {120, 100}), (Rect{285, 420, 11540, 8120}));
    // An upright page in a box narrower than it (a tall window) stays inside.
    const Rect alta{240, 360, 2000, 8000};
    const Rect caja = mini::Caja(alta, {60, 80});
    EXPECT_EQ(caja.Width, 1880);
    EXPECT_EQ(caja.Height, 2507);
    EXPECT_LE(caja.Top + caja.Height, mini::Numero(alta).Top);
    // Device pixels, as the frames are drawn.
    EXPECT_EQ(mini::EnPixeles({240, 360, 11660, 8540}, 2.0), QRect(32, 48, 1555, 1139));
}

TEST_F(Mini, TenPagesFillTheGridInPageOrderWithAHoverFrame)
{
    Comic(10);
    Vista().IrAPagina(6);
    std::vector<int> orden;
    ASSERT_TRUE(ConVentana<FormMini>(F10, [&](FormMini &v) {
        v.AlColocar = [&](int i) { orden.push_back(i); };
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.CargaCompleta; }, 20000));
        EXPECT_EQ(orden, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        for (int i = 1; i <= 10; ++i)
            EXPECT_TRUE(v.PBI[std::size_t(i)].Visible) << i;
        const QImage pantalla = v.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // Each thumbnail made at exactly its box's pixels, in its page's colour.
        EXPECT_EQ(v.PBI[10].Imagen.size(), mini::EnPixeles(v.PBI[10].Rect, 1.0).size());
        EXPECT_TRUE(prueba::Cerca(pantalla.pixelColor(Centro(v.PBI[10].Rect)), QColor::fromHsv(140, 200, 230)));
        // Under each thumbnail its number, readable.
        for (std::size_t i = 1; i <= 10; ++i) {
            // Within the frame's side lines.
            const QRect banda = mini::EnPixeles(mini::Numero(v.Shficha[i].Rect), 1.0).adjusted(2, 0, -2, 0);
            EXPECT_GE(prueba::ColoresDeTexto(pantalla, banda).Razon(), contraste::Minima) << i;
        }
        // The current page, 6, ringed outside its frame, plainly; page 5 not.
        const QRect seis = mini::EnPixeles(v.Shficha[6].Rect, 1.0), cinco = mini::EnPixeles(v.Shficha[5].Rect, 1.0);
        const QColor anillo = pantalla.pixelColor(seis.center().x(), seis.top() - 3);
        EXPECT_GE(contraste::Razon(anillo, pantalla.pixelColor(seis.center().x(), seis.top() - 5)), contraste::Minima);
        EXPECT_NE(pantalla.pixelColor(cinco.center().x(), cinco.top() - 3), anillo);
        // The pointer over a thumbnail frames it; over the background the frame goes.
        QTest::mouseMove(&v, Centro(v.PBI[3].Rect));
        EXPECT_EQ(v.Shape1.Rect, v.Shficha[3].Rect);
        QTest::mouseMove(&v, {400, 590});
        EXPECT_FALSE(v.Shape1.Visible);
    }));
}

TEST_F(Mini, EscapeStopsTheLoadingAndOnlyThenReloadStartsAgainFromPageOne)
{
    Comic(10);
    std::vector<int> orden;
    bool escapado = false;
    ASSERT_TRUE(ConVentana<FormMini>(F10, [&](FormMini &v) {
        v.AlColocar = [&](int i) {
            orden.push_back(i);
            if (i == 3 && !escapado) {
                escapado = true;
                QTest::keyClick(&v, Qt::Key_Escape);
            }
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.Cancelado; }, 20000));
        EXPECT_FALSE(v.isHidden()); // Escape does not close the window
        EXPECT_EQ(v.LBInfo->text(), "Pages loaded: 3 of 10");
        EXPECT_TRUE(v.PBI[3].Visible);
        EXPECT_FALSE(v.Shficha[4].Visible);
        QCoreApplication::processEvents(); // whatever the workers had still ready
        EXPECT_EQ(orden.size(), 3u);

        orden.clear();
        QTest::keyClick(&v, Qt::Key_F5);
        EXPECT_FALSE(v.Cancelado);
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.CargaCompleta; }, 20000));
        EXPECT_EQ(orden.front(), 1);
        EXPECT_EQ(orden.size(), 10u);
        EXPECT_EQ(v.LBInfo->text(), "Total pages: 10");
        // Complete: F5 changes nothing; Escape closes, as the close button does.
        QTest::keyClick(&v, Qt::Key_F5);
        EXPECT_EQ(orden.size(), 10u);
        QTest::keyClick(&v, Qt::Key_Escape);
        EXPECT_TRUE(v.isHidden());
        EXPECT_EQ(v.PaginaElegida, -1);
    }));
    EXPECT_EQ(salidas, 0); // nor does the main window end
    EXPECT_TRUE(QFile::exists(Base() + ".tvl"));
}

TEST_F(Mini, ClosingAFreshGridWritesTheCacheWhichTheSameArchiveUsesUntilTouched)
{
    Comic(7);
    f->Form_KeyUp(' ', 0);
    ASSERT_EQ(Vista().PaginaActual(), 2);
    std::vector<Rect> fichas;
    ASSERT_TRUE(ConMini([&](FormMini &v) {
        for (std::size_t i = 1; i < v.Shficha.size(); ++i)
            fichas.push_back(v.Shficha[i].Rect);
        v.ImCerrar->click();
    }));
    // The close button: the current page stays.
    EXPECT_EQ(Vista().PaginaActual(), 2);
    EXPECT_FALSE(Vista().Imagen().Picture.isNull());
    EXPECT_EQ(QImage(Base() + ".jpg").size(), QSize(800, 600));

    // Unchanged: the cached grid with its hot spots, and a double click shows page 5.
    ASSERT_TRUE(ConMini([&](FormMini &v) {
        EXPECT_TRUE(v.DesdeCache);
        EXPECT_FALSE(v.CargaCompleta);
        ASSERT_EQ(v.LBI.size(), 8u);
        for (std::size_t i = 1; i < v.LBI.size(); ++i)
            EXPECT_EQ(v.LBI[i], fichas[i - 1]);
        EXPECT_EQ(v.PBI.size(), 1u);
        EXPECT_EQ(v.LBInfo->text(), "Total pages: 7");
        QTest::mouseDClick(&v, Qt::LeftButton, {}, Centro(v.LBI[5]));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, Centro(v.LBI[5]));
    }));
    EXPECT_EQ(Vista().PaginaActual(), 5);
    EXPECT_FALSE(Vista().Imagen().Picture.isNull());

    // Touched: built afresh; reload over a cached grid does the same.
    QFile archivo(tmp.filePath("c.cbz"));
    ASSERT_TRUE(archivo.open(QIODevice::ReadWrite));
    ASSERT_TRUE(archivo.setFileTime(archivo.fileTime(QFileDevice::FileModificationTime).addSecs(-3600),
                                    QFileDevice::FileModificationTime));
    archivo.close();
    ASSERT_TRUE(ConMini([&](FormMini &v) {
        EXPECT_FALSE(v.DesdeCache);
        EXPECT_TRUE(v.CargaCompleta);
        v.ImCerrar->click();
    }));
    ASSERT_TRUE(ConMini([&](FormMini &v) {
        ASSERT_TRUE(v.DesdeCache);
        QTest::keyClick(&v, Qt::Key_F5);
        EXPECT_FALSE(v.DesdeCache);
        EXPECT_EQ(v.LBI.size(), 1u);
        EXPECT_TRUE(QTest::qWaitFor([&] { return v.CargaCompleta; }, 20000));
    }, false));
}

TEST_F(Mini, AFolderWithOneMorePictureIsBuiltAfresh)
{
    const auto pagina = [&](int i) {
        prueba::EscribirBytes(tmp.filePath(QStringLiteral("Vol1/p%1.jpg").arg(i)), prueba::PaginaNumero(i, {60, 80}));
    };
    for (int i = 1; i <= 3; ++i)
        pagina(i);
    AbrirListado(tmp.filePath("Vol1/p1.jpg"));
    ASSERT_EQ(f->Doc().NumeroPaginas(), 3);
    ASSERT_TRUE(ConMini([](FormMini &v) { v.ImCerrar->click(); }));
    EXPECT_TRUE(QFile::exists(Base() + ".tvl"));
    ASSERT_TRUE(ConMini([](FormMini &v) { EXPECT_TRUE(v.DesdeCache); }));
    pagina(4);
    AbrirListado(tmp.filePath("Vol1/p1.jpg"));
    ASSERT_TRUE(ConMini([](FormMini &v) {
        EXPECT_FALSE(v.DesdeCache);
        EXPECT_EQ(v.Shficha.size(), 5u);
    }));
}

TEST_F(Mini, TwoSameNamedComicsInTwoFoldersKeepTheirOwnGrids)
{
    QDir().mkpath(tmp.filePath("a"));
    QDir().mkpath(tmp.filePath("b"));
    Comic(3, {60, 80}, "a/c.cbz");
    ASSERT_TRUE(ConMini([](FormMini &v) { v.ImCerrar->click(); }));
    const QString base = Base();
    Comic(3, {80, 60}, "b/c.cbz"); // the same name, pages and date
    QFile b(tmp.filePath("b/c.cbz"));
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    ASSERT_TRUE(b.setFileTime(QFileInfo(tmp.filePath("a/c.cbz")).lastModified(), QFileDevice::FileModificationTime));
    b.close();
    ASSERT_EQ(Base(), base);
    ASSERT_TRUE(ConMini([](FormMini &v) { EXPECT_FALSE(v.DesdeCache); }));
}

TEST_F(Mini, ADamagedPageKeepsAnEmptyFrameAndNoPageFileIsLeft)
{
    ASSERT_TRUE(prueba::EscribirZip(tmp.filePath("d.cbz"), {{"p1.jpg", prueba::PaginaNumero(1, {60, 80})},
                                                            {"p2.jpg", "not a picture"},
                                                            {"p3.png", prueba::PaginaNumero(3, {90, 60}, "PNG")}}));
    AbrirListado(tmp.filePath("d.cbz"));
    ASSERT_TRUE(ConMini([](FormMini &v) {
        EXPECT_TRUE(v.CargaCompleta);
        EXPECT_TRUE(v.Shficha[2].Visible);
        EXPECT_FALSE(v.PBI[2].Visible);
        EXPECT_TRUE(v.PBI[3].Visible);
        EXPECT_EQ(v.PaginaEn(v.Shficha[2].Rect.Left + 500, v.Shficha[2].Rect.Top + 500), 0);
        EXPECT_EQ(v.LBInfo->text(), "Total pages: 3");
    }));
    for (const QString &archivo : prueba::ArchivosTemporales())
        EXPECT_TRUE(QFileInfo(archivo).fileName().startsWith('x')) << archivo.toStdString();
}

TEST_F(Mini, ADoubleClickWhileLoadingChoosesThePageAndWritesNoCache)
{
    Comic(10);
    ASSERT_TRUE(ConVentana<FormMini>(F10, [&](FormMini &v) {
        v.AlColocar = [&](int i) {
            if (i == 2) {
                QTest::mouseDClick(&v, Qt::LeftButton, {}, Centro(v.PBI[1].Rect));
                QTest::mouseRelease(&v, Qt::LeftButton, {}, Centro(v.PBI[1].Rect));
            }
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.PaginaElegida != -1; }, 20000));
        EXPECT_TRUE(v.Cancelado);
        EXPECT_EQ(v.result(), QDialog::Accepted);
    }));
    EXPECT_EQ(Vista().PaginaActual(), 1);
    EXPECT_FALSE(QFile::exists(Base() + ".tvl"));
    EXPECT_FALSE(QFile::exists(Base() + ".jpg"));
}

TEST_F(Mini, ClosingDuringASlowWalkReturnsAtOnce)
{
    Comic(20);
    const auto fuente =
        std::make_shared<prueba::FuenteDePrueba>(tmp.filePath("c.cbz"), "CBZ", std::chrono::milliseconds(300));
    ASSERT_EQ(f->Doc().Adoptar(prueba::Listado(fuente)).Razon, Motivo::Ninguno);
    QElapsedTimer reloj;
    ASSERT_TRUE(ConMini([&](FormMini &v) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return fuente->Leidas > 0; }));
        reloj.start();
        v.reject();
    }, false));
    EXPECT_LT(reloj.elapsed(), 100); // closed, and the page shown again
    f->Doc().Obreros().EsperarInactiva();
    EXPECT_LT(fuente->Leidas, 20); // the walk stopped at its next page
}
