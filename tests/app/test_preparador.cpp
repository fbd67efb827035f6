// Pages prepared ahead of the reader: the cache, its budget, the worker, and
// the window reading with them (fast keys, the temporary folder, passwords).
#include "Constructores.h"
#include "DialogosDePrueba.h"
#include "PruebaForm1.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "documento/Documento.h"
#include "documento/FuentePaginas.h"
#include "documento/PreparadorPaginas.h"

#include <QDirIterator>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

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

PreparadorPaginas::Contenido ZipDe(const QString &ruta, const QStringList &paginas)
{
    return {FuentePaginas::Para(ruta, "CBZ"), QStringList{QString()} + paginas};
}

PreparadorPaginas::Contenido DocumentoDe(const QString &ruta, int n = Paginas)
{
    QStringList nombres;
    for (int i = 1; i <= n; ++i)
        nombres << QString("p%1.jpg").arg(i, 2, 10, QChar('0'));
    return ZipDe(ruta, nombres);
}

PedidoPagina Pedido(int pagina, int modo = 1)
{
    PedidoPagina p;
    p.Pagina = int(pagina);
    p.Modo = diseno::Modo(modo);
    p.Ventana = {800 * 15, 600 * 15};
    return p;
}

} // namespace

TEST(Preparador, PagesComeReducedToTheirLayoutAndTheCacheKeepsItsBudget)
{
    QTemporaryDir d;
    const QString zip = d.filePath("c.cbz");
    ASSERT_TRUE(prueba::EscribirZip(zip, Comic()));
    PreparadorPaginas p(3u * 1024 * 1024);
    p.Abrir(DocumentoDe(zip));
    EXPECT_EQ(p.Obtener(Pedido(0)), nullptr);
    EXPECT_EQ(p.Obtener(Pedido(Paginas + 1)), nullptr);

    const auto uno = p.Obtener(Pedido(1));
    ASSERT_EQ(uno->Estado, PaginaPreparada::Estado::Lista);
    EXPECT_EQ(TamanoNatural(uno->Imagen), QSize(900, 1300));
    EXPECT_EQ(uno->Imagen.Picture.size(), TamanoMostrado(Pedido(1), {900, 1300}));
    EXPECT_EQ(uno->Imagen.Picture.height(), 600); // fitted to the window
    EXPECT_EQ(PaginaDe(uno->Imagen.Picture.pixelColor(10, 10)), 1);
    EXPECT_EQ(p.Obtener(Pedido(1)), uno); // from the cache
    // Another layout of the same page is another picture, from the same bytes.
    const auto mitad = p.Obtener(Pedido(1, 8));
    EXPECT_NE(mitad, uno);
    EXPECT_EQ(mitad->Datos, uno->Datos);

    // Reading on: the worker prepares what is wished, nearest first, and the
    // pages farthest from the one being read leave first.
    for (int pagina = 2; pagina <= Paginas; ++pagina) {
        p.Obtener(Pedido(pagina - 1));
        p.Anticipar({Pedido(pagina), Pedido(pagina + 1)});
        p.EsperarInactivo();
        EXPECT_TRUE(p.EnCache(Pedido(pagina))) << pagina;
        EXPECT_LE(p.BytesEnCache(), 3u * 1024 * 1024) << pagina;
    }
    EXPECT_TRUE(p.EnCache(Pedido(Paginas - 1)));
    EXPECT_FALSE(p.EnCache(Pedido(2)));

    // Another document forgets them all.
    p.Abrir(DocumentoDe(zip, 3));
    EXPECT_EQ(p.BytesEnCache(), 0u);
    EXPECT_FALSE(p.EnCache(Pedido(Paginas - 1)));
    EXPECT_EQ(p.Obtener(Pedido(4)), nullptr);
}

TEST(Preparador, OverBudgetTheFarthestPageGoesCountingAcrossTheEnds)
{
    QTemporaryDir d;
    const QString zip = d.filePath("c.cbz");
    ASSERT_TRUE(prueba::EscribirZip(zip, Comic()));
    std::size_t unaPagina = 0;
    {
        PreparadorPaginas medida;
        medida.Abrir(DocumentoDe(zip));
        medida.Obtener(Pedido(1));
        unaPagina = medida.BytesEnCache();
    }
    // Room for three pages.
    PreparadorPaginas p(unaPagina * 7 / 2);
    p.Abrir(DocumentoDe(zip));
    p.Obtener(Pedido(Paginas)); // reading the last page
    p.Anticipar({Pedido(1), Pedido(6)});
    p.EsperarInactivo();
    ASSERT_TRUE(p.EnCache(Pedido(1)) && p.EnCache(Pedido(6)));
    p.Anticipar({Pedido(Paginas - 1)});
    p.EsperarInactivo();
    // Page 1 is next to the last one, page 6 is six pages away.
    EXPECT_TRUE(p.EnCache(Pedido(Paginas)));
    EXPECT_TRUE(p.EnCache(Pedido(Paginas - 1)));
    EXPECT_TRUE(p.EnCache(Pedido(1)));
    EXPECT_FALSE(p.EnCache(Pedido(6)));
}

TEST(Preparador, BrokenHostileAndLockedPagesSayWhatToDo)
{
    QTemporaryDir d;
    const QString zip = d.filePath("c.cbz");
    ASSERT_TRUE(prueba::EscribirZip(zip, {{"p01.jpg", "not a picture"}, {"../p02.jpg", prueba::PaginaNumero(2, {50, 50})}}));
    const QString cifrado = d.filePath("k.cbz");
    ASSERT_TRUE(prueba::EscribirZip(cifrado, {{"p01.jpg", prueba::PaginaNumero(1, {50, 50})}}, "zipcrypt", "x"));
    DialogosDePrueba::Actuales().llamadas.clear();
    PreparadorPaginas p;
    p.Abrir(ZipDe(zip, {"p01.jpg", "../p02.jpg", "p03.jpg"}));
    EXPECT_EQ(p.Obtener(Pedido(1))->Estado, PaginaPreparada::Estado::Error);
    EXPECT_EQ(p.Obtener(Pedido(2))->Estado, PaginaPreparada::Estado::Error); // never written, never shown
    EXPECT_EQ(p.Obtener(Pedido(3))->Estado, PaginaPreparada::Estado::Error);
    p.Abrir(ZipDe(cifrado, {"p01.jpg"}));
    EXPECT_EQ(p.Obtener(Pedido(1))->Estado, PaginaPreparada::Estado::Extraer);
    EXPECT_TRUE(DialogosDePrueba::Actuales().llamadas.isEmpty()); // nothing asked from here
}

class LecturaRapida : public prueba::PruebaForm1 {
protected:
    void AbrirComic(QSize tamano = {900, 1300})
    {
        ruta = dir.filePath("comic.cbz");
        ASSERT_TRUE(prueba::EscribirZip(ruta, Comic(tamano)));
        f->show();
        f->AbrirArchivo(ruta, true);
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
    f.repaint();
    f.removeEventFilter(&observador);
    return pintadas;
}

// Never a page from before the one painted last: pages only go forward,
// `paso` at a time.
void SoloAdelante(const std::vector<int> &pintadas, int paso)
{
    for (std::size_t i = 1; i < pintadas.size(); ++i)
        EXPECT_TRUE(pintadas[i] == pintadas[i - 1] || pintadas[i] == (pintadas[i - 1] + paso - 1) % Paginas + 1)
            << i << ": " << pintadas[i - 1] << " then " << pintadas[i];
}

TEST_F(LecturaRapida, FiftyQuickKeysEndOnTheRightPageAndPaintInOrder)
{
    AbrirComic();
    ASSERT_EQ(PaginaEnPantalla(), 1);
    ASSERT_EQ(f->Doc().Preparador().Obreros(), int(std::min(2u, std::max(1u, std::thread::hardware_concurrency()))));
    const std::vector<int> pintadas = CincuentaTeclas(*f, [&] { return PaginaEnPantalla(); });
    const int esperada = (50 % Paginas) + 1; // wrapping after the last page
    EXPECT_EQ(f->Vista().PaginaActual(), esperada);
    EXPECT_EQ(f->LBPag->text(), QString("%1/%2").arg(esperada).arg(Paginas));
    EXPECT_EQ(PaginaEnPantalla(), esperada);
    EXPECT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), esperada);
    ASSERT_FALSE(pintadas.empty());
    EXPECT_EQ(pintadas.back(), esperada);
    SoloAdelante(pintadas, 1);
}

TEST_F(LecturaRapida, FiftyQuickSpreadsEndOnTheRightPairAndPaintInOrder)
{
    // Both halves of every spread are made at once, one of them on a worker.
    AbrirComic();
    f->Form_KeyUp('8', 0);
    ASSERT_EQ(f->Vista().PaginaActual(), 2);
    const auto izquierda = [&] {
        return PaginaDe(f->Superficie().pixelColor(f->Superficie().width() / 4, f->Superficie().height() / 2));
    };
    const std::vector<int> pintadas = CincuentaTeclas(*f, izquierda);
    const int primera = (2 * 50 % Paginas) + 1;
    EXPECT_EQ(f->Vista().PaginaActual(), primera + 1);
    EXPECT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), primera);
    EXPECT_EQ(PaginaDe(f->Vista().Imagen2().Picture.pixelColor(5, 5)), primera + 1);
    EXPECT_EQ(izquierda(), primera);
    EXPECT_EQ(PaginaDe(f->Superficie().pixelColor(f->Superficie().width() * 3 / 4, f->Superficie().height() / 2)),
              primera + 1);
    ASSERT_FALSE(pintadas.empty());
    EXPECT_EQ(pintadas.back(), primera);
    SoloAdelante(pintadas, 2);
}

TEST_F(LecturaRapida, APageWhoseEntryFailsItsCheckShowsTheLoadingErrorAndWritesNothing)
{
    // A stored entry with one byte changed inside its picture data: the
    // picture itself would still decode.
    ruta = dir.filePath("crc.cbz");
    std::vector<EntradaNueva> paginas = Comic();
    ASSERT_TRUE(prueba::EscribirZip(ruta, paginas, {}, {}, false));
    QFile z(ruta);
    ASSERT_TRUE(z.open(QIODevice::ReadWrite));
    QByteArray bytes = z.readAll();
    const qsizetype inicio = bytes.indexOf(paginas[1].Datos);
    ASSERT_GT(inicio, 0);
    const qsizetype dentro = inicio + paginas[1].Datos.size() / 2;
    bytes[dentro] = char(bytes[dentro] ^ 0x10);
    ASSERT_TRUE(z.seek(0));
    ASSERT_EQ(z.write(bytes), bytes.size());
    z.close();
    f->show();
    f->AbrirArchivo(ruta, true);
    ASSERT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), 1);
    f->Form_KeyUp(' ', 0);
    EXPECT_EQ(f->Vista().PaginaActual(), 2);
    EXPECT_EQ(f->Vista().UltimoMensaje(), modIdioma::TextoIdioma(200));
    EXPECT_TRUE(f->Vista().Imagen().Picture.isNull());
    f->Doc().Preparador().EsperarInactivo();
    EXPECT_TRUE(ArchivosTemporales().isEmpty()) << ArchivosTemporales().join(' ');
    f->Form_KeyUp(' ', 0);
    EXPECT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), 3);
}

TEST(Preparador, TheStartingDocumentIsReadAheadAndTakenOverByItsOpening)
{
    QTemporaryDir d;
    const QString zip = d.filePath("c.cbz"), otro = d.filePath("o.cbz");
    ASSERT_TRUE(prueba::EscribirZip(zip, Comic()));
    ASSERT_TRUE(prueba::EscribirZip(otro, {{"a.jpg", prueba::PaginaNumero(1, {60, 90})}}));
    const auto pedido = [](int p) { return Pedido(p); };
    Documento doc;
    doc.Adelantar(zip, pedido);
    doc.Preparador().EsperarInactivo();
    EXPECT_TRUE(doc.Preparador().EnCache(Pedido(1)));
    EXPECT_FALSE(doc.HayDocumento()); // nothing of it shows yet
    EXPECT_FALSE(doc.Preparador().EnCache(Pedido(2)));

    doc.Abrir(zip);
    EXPECT_EQ(doc.NumeroPaginas(), Paginas);
    EXPECT_TRUE(doc.Preparador().EnCache(Pedido(1))); // not made again
    EXPECT_EQ(PaginaDe(doc.Preparador().Obtener(Pedido(1))->Imagen.Picture.pixelColor(5, 5)), 1);

    // Opening something else drops the head start.
    doc.Adelantar(zip, pedido);
    doc.Abrir(otro);
    EXPECT_EQ(doc.NumeroPaginas(), 1);
    EXPECT_EQ(doc.Preparador().BytesEnCache(), 0u);
    EXPECT_EQ(doc.Preparador().Obtener(Pedido(1))->Datos->Nombre, "a.jpg");
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
            const int pagina = modo == 8 ? f->Vista().PaginaActual() - 1 : f->Vista().PaginaActual();
            EXPECT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), pagina) << modo;
        }
    }
    f->Doc().Preparador().EsperarInactivo();
    EXPECT_TRUE(ArchivosTemporales().isEmpty());
    // The next pages are ready before they are asked for.
    PedidoPagina siguiente;
    siguiente.Pagina = int(f->Vista().PaginaActual() % Paginas + 1);
    siguiente.Ventana = f->Vista().Escala();
    siguiente.PixelesPorTwip = f->devicePixelRatioF() / 15;
    EXPECT_TRUE(f->Doc().Preparador().EnCache(siguiente));
    EXPECT_LE(f->Doc().Preparador().BytesEnCache(), PreparadorPaginas::PresupuestoPorDefecto);
}

TEST_F(LecturaRapida, AReducedPageGivesEveryPixelToZoomAndTurns)
{
    AbrirComic({1800, 2600});
    ASSERT_FALSE(f->Vista().Imagen().Natural.isEmpty()); // held at its shown size
    EXPECT_EQ(f->Vista().Imagen().Picture.height(), 600);
    EXPECT_EQ(f->Vista().PorcentajeZoom(), 23); // of the page's own size
    for (int i = 0; i < 12; ++i)
        f->Form_KeyUp('Z', 0);
    EXPECT_TRUE(f->Vista().Imagen().Natural.isEmpty());
    EXPECT_EQ(f->Vista().Imagen().Picture.size(), QSize(1800, 2600));
    f->Form_KeyUp(' ', 0);
    ASSERT_FALSE(f->Vista().Imagen().Natural.isEmpty());
    f->Form_KeyUp('R', 0);
    EXPECT_EQ(f->Vista().Imagen().Picture.size(), QSize(2600, 1800));
    EXPECT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), 2);
}

TEST_F(LecturaRapida, ALockedPageStillAsksOnceAndLeavesNoFile)
{
    ruta = dir.filePath("k.cbz");
    ASSERT_TRUE(prueba::EscribirZip(ruta, {{"p01.jpg", prueba::PaginaDeColor(ColorDe(1), {90, 130})}}, "zipcrypt", "x"));
    auto &dialogos = DialogosDePrueba::Actuales();
    dialogos.respuestasTexto = {"x"};
    f->show();
    f->AbrirArchivo(ruta, true);
    EXPECT_EQ(dialogos.llamadas.filter("PedirTexto").size(), 1) << dialogos.llamadas.join(" | ").toStdString();
    EXPECT_EQ(PaginaDe(f->Vista().Imagen().Picture.pixelColor(5, 5)), 1);
    EXPECT_TRUE(ArchivosTemporales().isEmpty());
}
