// The window reading with the page pipeline: fast keys, every mode, reduced
// pages, and no page file ever written.
#include "PruebaForm1.h"
#include "documento/PreparadorPaginas.h"

#include <QKeyEvent>

#include <thread>

using prueba::ArchivosTemporales;
using prueba::EntradaNueva;

namespace {

constexpr int Paginas = 12;

QColor ColorDe(int n) { return QColor::fromHsv((n * 29) % 360, 220, 230); }

std::vector<EntradaNueva> Comic(QSize tamano = {900, 1300})
{
    std::vector<EntradaNueva> e;
    for (int n = 1; n <= Paginas; ++n)
        e.push_back({QString("p%1.jpg").arg(n, 2, 10, QChar('0')), prueba::PaginaDeColor(ColorDe(n), tamano)});
    return e;
}

// Which page a picture shows, by its colour; 0 for none.
int PaginaDe(const QColor &c)
{
    for (int n = 1; n <= Paginas; ++n)
        if (std::abs(c.hue() - ColorDe(n).hue()) <= 4 && c.saturation() > 150)
            return n;
    return 0;
}

} // namespace

class LecturaRapida : public prueba::PruebaForm1 {
protected:
    void AbrirComic(QSize tamano = {900, 1300})
    {
        ruta = dir.filePath("comic.cbz");
        ASSERT_TRUE(prueba::EscribirZip(ruta, Comic(tamano)));
        f->show();
        AbrirListado(ruta);
        Vista();
    }
    int PaginaEnPantalla() const { return PaginaDe(f->Superficie().pixelColor(f->Superficie().width() / 2, 20)); }
    QTemporaryDir dir;
    QString ruta;
};

// Fifty page keys queued at once, every paint of the window recorded with
// the page it shows where `muestra` reads it.
std::vector<int> CincuentaTeclas(Form1 &f, const std::function<int()> &muestra)
{
    std::vector<int> pintadas;
    struct Observador : QObject {
        std::function<void()> alPintar;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                alPintar();
            return false;
        }
    } observador;
    observador.alPintar = [&] { pintadas.push_back(muestra()); };
    f.installEventFilter(&observador);
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::postEvent(&f, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
        QCoreApplication::postEvent(&f, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " "));
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.Vista().PaginaCargada(); }, 30000));
    f.repaint();
    f.removeEventFilter(&observador);
    return pintadas;
}

TEST_F(LecturaRapida, FiftyQuickSpreadsEndOnTheRightPairPaintedLast)
{
    // Both halves of every spread are made at once, one of them on a worker.
    AbrirComic();
    ASSERT_EQ(f->Doc().Preparador().Obreros(), int(std::min(2u, std::max(1u, std::thread::hardware_concurrency()))));
    f->Form_KeyUp('8', 0);
    ASSERT_EQ(Vista().PaginaActual(), 2);
    const auto izquierda = [&] {
        return PaginaDe(f->Superficie().pixelColor(f->Superficie().width() / 4, f->Superficie().height() / 2));
    };
    const std::vector<int> pintadas = CincuentaTeclas(*f, izquierda);
    const int primera = (2 * 50 % Paginas) + 1;
    EXPECT_EQ(Vista().PaginaActual(), primera + 1);
    EXPECT_EQ(PaginaDe(Vista().Imagen().Picture.pixelColor(5, 5)), primera);
    EXPECT_EQ(PaginaDe(Vista().Imagen2().Picture.pixelColor(5, 5)), primera + 1);
    EXPECT_EQ(izquierda(), primera);
    EXPECT_EQ(PaginaDe(f->Superficie().pixelColor(f->Superficie().width() * 3 / 4, f->Superficie().height() / 2)),
              primera + 1);
    ASSERT_FALSE(pintadas.empty());
    EXPECT_EQ(pintadas.back(), primera);
}

TEST_F(LecturaRapida, ReadingAheadWritesNoPageFileAndEveryModeShowsTheRightPage)
{
    AbrirComic();
    for (int modo : {1, 2, 3, 5, 8, 1}) {
        f->Form_KeyUp('0' + modo, 0);
        for (int i = 0; i < 5; ++i) {
            f->Form_KeyUp(' ', 0);
            QTest::qWait(20); // the worker reads ahead meanwhile
            EXPECT_TRUE(ArchivosTemporales().isEmpty()) << ArchivosTemporales().join(' ');
            const int pagina = modo == 8 ? Vista().PaginaActual() - 1 : Vista().PaginaActual();
            EXPECT_EQ(PaginaDe(Vista().Imagen().Picture.pixelColor(5, 5)), pagina) << modo;
        }
    }
    f->Doc().Preparador().EsperarInactivo();
    EXPECT_TRUE(ArchivosTemporales().isEmpty());
    // The next pages are ready before they are asked for.
    PedidoPagina siguiente;
    siguiente.Pagina = int(Vista().PaginaActual() % Paginas + 1);
    siguiente.Ventana = Vista().Escala();
    siguiente.PixelesPorTwip = f->devicePixelRatioF() / 15;
    EXPECT_TRUE(f->Doc().Preparador().Buscar(siguiente));
    EXPECT_LE(f->Doc().Preparador().BytesEnCache(), PreparadorPaginas::PresupuestoPorDefecto);
}

TEST_F(LecturaRapida, AReducedPageGivesEveryPixelToZoomAndTurns)
{
    AbrirComic({1800, 2600});
    ASSERT_FALSE(Vista().Imagen().Natural.isEmpty()); // held at its shown size
    EXPECT_EQ(Vista().Imagen().Picture.height(), 600);
    EXPECT_EQ(Vista().PorcentajeZoom(), 23); // of the page's own size
    for (int i = 0; i < 12; ++i)
        f->Form_KeyUp('Z', 0);
    EXPECT_TRUE(Vista().Imagen().Natural.isEmpty());
    EXPECT_EQ(Vista().Imagen().Picture.size(), QSize(1800, 2600));
    f->Form_KeyUp(' ', 0);
    ASSERT_FALSE(Vista().Imagen().Natural.isEmpty());
    f->Form_KeyUp('R', 0);
    EXPECT_EQ(Vista().Imagen().Picture.size(), QSize(2600, 1800));
    EXPECT_EQ(PaginaDe(Vista().Imagen().Picture.pixelColor(5, 5)), 2);
}
