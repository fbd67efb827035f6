// The decode pool and the page pipeline over it, without a window: the
// order of the work, making room for a page waited for, workers that never
// die, the cache and its budget, the read-ahead, and the non-blocking API.
#include "Constructores.h"
#include "FuentesDePrueba.h"
#include "documento/Cuadrilla.h"
#include "documento/Documento.h"
#include "documento/PreparadorPaginas.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <thread>

using Prioridad = Cuadrilla::Prioridad;

namespace {

constexpr int Paginas = 12;

// Jobs that record the order they ran in.
struct Registro {
    std::mutex m;
    std::vector<int> orden;
    void Anotar(int i)
    {
        std::lock_guard l(m);
        orden.push_back(i);
    }
};

// A job that holds its worker until `soltar`, or until told to stop.
Cuadrilla::Tarea Retener(std::atomic<bool> &empezado, std::atomic<bool> &soltar, std::atomic<int> *veces = nullptr)
{
    return [&empezado, &soltar, veces](Cuadrilla::Trabajo &t) {
        if (veces)
            ++*veces;
        empezado = true;
        while (!soltar && !t.Detener())
            std::this_thread::yield();
    };
}

PedidoPagina Pedido(int pagina, int modo = 1)
{
    PedidoPagina p;
    p.Pagina = pagina;
    p.Modo = diseno::Modo(modo);
    p.Ventana = {800 * 15, 600 * 15};
    return p;
}

QColor ColorDe(int n) { return QColor::fromHsv((n * 29) % 360, 220, 230); }

// Which page a picture shows, by its colour; 0 for none.
int PaginaDe(const ControlImagen &c)
{
    if (c.Picture.isNull())
        return 0;
    const QColor color = c.Picture.pixelColor(5, 5);
    for (int n = 1; n <= Paginas; ++n)
        if (std::abs(color.hue() - ColorDe(n).hue()) <= 4 && color.saturation() > 150)
            return n;
    return 0;
}

class Tuberia : public ::testing::Test {
protected:
    // A comic of `n` coloured pages p01.jpg ... of that size, listed.
    PreparadorPaginas::Contenido Comic(int n = Paginas, QSize tamano = {900, 1300}, const QString &nombre = "c.cbz")
    {
        std::vector<prueba::EntradaNueva> e;
        for (int i = 1; i <= n; ++i)
            e.push_back({QString("p%1.jpg").arg(i, 2, 10, QChar('0')), prueba::PaginaDeColor(ColorDe(i), tamano)});
        EXPECT_TRUE(prueba::EscribirZip(tmp.filePath(nombre), e));
        return De(FuentePaginas::Para(tmp.filePath(nombre), "CBZ"));
    }
    static PreparadorPaginas::Contenido De(const std::shared_ptr<FuentePaginas> &f)
    {
        return {f, QStringList{QString()} + f->Listar().Paginas};
    }
    QTemporaryDir tmp;
    Cuadrilla cuadrilla{2};
};

} // namespace

TEST(Cuadrilla, WorkWaitsByPriorityAndAPageWaitedForNeverWaitsBehindLowerWork)
{
    Registro r;
    std::atomic<bool> empezado{false}, soltar{false};
    {
        Cuadrilla c(1);
        EXPECT_EQ(c.Obreros(), 1);
        c.Encargar(Prioridad::Portada, Retener(empezado, soltar));
        ASSERT_TRUE(QTest::qWaitFor([&] { return empezado.load(); }));
        int i = 0;
        for (Prioridad p : {Prioridad::Portada, Prioridad::Miniatura, Prioridad::Anticipo, Prioridad::Miniatura,
                            Prioridad::Esperada})
            c.Encargar(p, [&r, n = i++](Cuadrilla::Trabajo &) { r.Anotar(n); });
        soltar = true;
        c.EsperarInactiva();
    }
    EXPECT_EQ(r.orden, (std::vector<int>{4, 2, 1, 3, 0}));

    // Both workers on thumbnails, more of them waiting: a page waited for
    // stops one of them (which runs again later) and goes before the rest.
    Cuadrilla c(2);
    std::atomic<bool> a{false}, b{false}, nunca{false};
    std::atomic<int> vecesA{0}, vecesB{0};
    Cuadrilla::Opciones cede;
    cede.Cedible = cede.Reanudable = true;
    c.Encargar(Prioridad::Miniatura, Retener(a, nunca, &vecesA), cede);
    c.Encargar(Prioridad::Miniatura, Retener(b, nunca, &vecesB), cede);
    ASSERT_TRUE(QTest::qWaitFor([&] { return a && b; }));
    r.orden.clear();
    for (int i = 0; i < 3; ++i)
        c.Encargar(Prioridad::Miniatura, [&r, i](Cuadrilla::Trabajo &) { r.Anotar(i); });
    std::atomic<bool> hecha{false};
    c.Encargar(Prioridad::Esperada, [&](Cuadrilla::Trabajo &) {
        r.Anotar(9);
        hecha = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return hecha && vecesA + vecesB == 3; })); // the one stopped starts again
    EXPECT_EQ(r.orden, std::vector<int>{9});
    nunca = true;
    c.EsperarInactiva();
    EXPECT_EQ(r.orden.size(), 4u);
}

TEST(Cuadrilla, AJobThatThrowsEndsAloneAndOneWaitingCanBeWithdrawnOrMadeHere)
{
    Cuadrilla c(1);
    std::atomic<int> fallidos{0}, hechos{0};
    for (int i = 0; i < 2; ++i) {
        Cuadrilla::Opciones o;
        o.AlFallar = [&] { ++fallidos; };
        c.Encargar(Prioridad::Esperada, [i](Cuadrilla::Trabajo &) {
            if (i == 0)
                throw std::bad_alloc();
            throw std::runtime_error("a reader's exception");
        }, std::move(o));
    }
    std::atomic<bool> empezado{false}, soltar{false};
    c.Encargar(Prioridad::Esperada, Retener(empezado, soltar)); // on the same worker, alive
    ASSERT_TRUE(QTest::qWaitFor([&] { return empezado.load(); }));
    EXPECT_EQ(fallidos, 2);
    std::thread::id donde;
    const auto fuera = c.Encargar(Prioridad::Esperada, [&](Cuadrilla::Trabajo &) { ++hechos; });
    const auto aqui = c.Encargar(Prioridad::Esperada, [&](Cuadrilla::Trabajo &) { donde = std::this_thread::get_id(); });
    EXPECT_TRUE(c.Retirar(fuera));
    EXPECT_TRUE(c.HacerAqui(aqui));
    EXPECT_EQ(donde, std::this_thread::get_id());
    EXPECT_FALSE(c.HacerAqui(aqui)); // done already
    soltar = true;
    c.EsperarInactiva();
    EXPECT_EQ(hechos, 0);
}

TEST_F(Tuberia, PagesComeReducedToTheirLayoutAndTheCacheKeepsItsBudget)
{
    const auto comic = Comic();
    PreparadorPaginas p(cuadrilla, 3u * 1024 * 1024);
    p.Abrir(comic);
    EXPECT_EQ(p.Obtener(Pedido(0)), nullptr);
    EXPECT_EQ(p.Obtener(Pedido(Paginas + 1)), nullptr);
    const auto uno = p.Obtener(Pedido(1));
    ASSERT_TRUE(uno->Lista());
    EXPECT_EQ(TamanoNatural(uno->Imagen), QSize(900, 1300));
    EXPECT_EQ(uno->Imagen.Picture.height(), 600); // fitted to the window
    EXPECT_EQ(PaginaDe(uno->Imagen), 1);
    EXPECT_EQ(p.Obtener(Pedido(1)), uno); // from the cache
    // Another layout of the same page is another picture, from the same bytes.
    const auto mitad = p.Obtener(Pedido(1, 8));
    EXPECT_NE(mitad, uno);
    EXPECT_EQ(mitad->Datos, uno->Datos);

    // Reading on: the workers prepare what is wished, nearest first, and the
    // pages farthest from the one being read leave first.
    for (int pagina = 2; pagina <= Paginas; ++pagina) {
        p.Obtener(Pedido(pagina - 1));
        p.Anticipar({Pedido(pagina), Pedido(pagina + 1)});
        p.EsperarInactivo();
        EXPECT_TRUE(p.Buscar(Pedido(pagina))) << pagina;
        EXPECT_LE(p.BytesEnCache(), 3u * 1024 * 1024) << pagina;
    }
    EXPECT_TRUE(p.Buscar(Pedido(Paginas - 1)));
    EXPECT_FALSE(p.Buscar(Pedido(2)));

    // Another document forgets them all.
    p.Abrir(Comic(3, {900, 1300}, "d.cbz"));
    EXPECT_EQ(p.BytesEnCache(), 0u);
    EXPECT_EQ(p.Obtener(Pedido(4)), nullptr);
}

TEST_F(Tuberia, OverBudgetTheFarthestPageGoesCountingAcrossTheEnds)
{
    const auto comic = Comic();
    std::size_t unaPagina = 0;
    {
        PreparadorPaginas medida(cuadrilla);
        medida.Abrir(comic);
        medida.Obtener(Pedido(1));
        unaPagina = medida.BytesEnCache();
    }
    PreparadorPaginas p(cuadrilla, unaPagina * 7 / 2); // room for three pages
    p.Abrir(comic);
    p.Obtener(Pedido(Paginas)); // reading the last page
    p.Anticipar({Pedido(1), Pedido(6)});
    p.EsperarInactivo();
    ASSERT_TRUE(p.Buscar(Pedido(1)) && p.Buscar(Pedido(6)));
    p.Anticipar({Pedido(Paginas - 1)});
    p.EsperarInactivo();
    // Page 1 is next to the last one, page 6 is six pages away.
    for (int pagina : {Paginas, Paginas - 1, 1})
        EXPECT_TRUE(p.Buscar(Pedido(pagina))) << pagina;
    EXPECT_FALSE(p.Buscar(Pedido(6)));
}

TEST_F(Tuberia, PagesThatCannotBeShownSayWhyAndAThrowingReaderLeavesTheWorkersAlive)
{
    const QString zip = tmp.filePath("c.cbz");
    ASSERT_TRUE(prueba::EscribirZip(zip, {{"p01.jpg", "not a picture"},
                                          {"p02.jpg", prueba::PaginaDeColor(ColorDe(2), {50, 50})},
                                          {"p03.jpg", prueba::PaginaDeColor(ColorDe(3), {50, 50})}}));
    PreparadorPaginas p(cuadrilla);
    auto fuente = std::make_shared<prueba::FuenteDePrueba>(zip, "CBZ", std::chrono::milliseconds(0), "p02.jpg");
    p.Abrir(De(fuente));
    EXPECT_EQ(p.Obtener(Pedido(1))->Razon, Motivo::NoDecodificable);
    EXPECT_EQ(p.Obtener(Pedido(2))->Razon, Motivo::NoDecodificable); // bad_alloc on a worker
    for (int i = 0; i < 4; ++i) // every worker still takes pages
        EXPECT_EQ(PaginaDe(p.Obtener(Pedido(3, i + 1))->Imagen), 3) << i;
}

TEST_F(Tuberia, AskingWithoutWaitingDeliversOnTheInterfaceThreadAndNeverForAClosedDocument)
{
    PreparadorPaginas p(cuadrilla);
    p.Abrir(Comic());
    std::vector<std::pair<int, Motivo>> llegadas;
    QObject::connect(&p, &PreparadorPaginas::PaginaLista, [&](const PedidoPagina &q, const PreparadorPaginas::Entrada &e) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        llegadas.push_back({q.Pagina, e->Razon});
    });
    p.Pedir({Pedido(3), Pedido(4, 8)});
    EXPECT_TRUE(llegadas.empty()); // never inside the call
    ASSERT_TRUE(QTest::qWaitFor([&] { return llegadas.size() == 2; }));
    EXPECT_TRUE(p.Buscar(Pedido(3)) && p.Buscar(Pedido(4, 8)));
    // From the cache: still at the next turn of the event loop.
    p.Pedir({Pedido(3)});
    EXPECT_EQ(llegadas.size(), 2u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return llegadas.size() == 3; }));
    EXPECT_EQ(llegadas.back(), (std::pair{3, Motivo::Ninguno}));
    // Asked, then the document changes: nothing of the old one arrives.
    p.Pedir({Pedido(7)});
    p.Abrir(Comic(2, {90, 130}, "d.cbz"));
    p.Pedir({Pedido(2)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return llegadas.size() == 4; }));
    QTest::qWait(50);
    EXPECT_EQ(llegadas.size(), 4u);
    EXPECT_EQ(llegadas.back().first, 2);
}

TEST_F(Tuberia, TheStartingDocumentIsReadAheadAndTakenOverByItsOpening)
{
    Comic();
    const QString zip = tmp.filePath("c.cbz"), otro = tmp.filePath("o.cbz");
    ASSERT_TRUE(prueba::EscribirZip(otro, {{"a.jpg", prueba::PaginaNumero(1, {60, 90})}}));
    const auto pedido = [](int p) { return Pedido(p); };
    Documento doc;
    std::vector<Candidato> listados;
    QObject::connect(&doc, &Documento::ListadoHecho, [&](const Candidato &c) { listados.push_back(c); });
    const auto listado = [&](const QString &ruta) {
        doc.PedirListado(ruta);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !listados.empty(); }));
        doc.Adoptar(listados.back());
        listados.clear();
    };
    doc.Adelantar(zip, pedido);
    doc.Preparador().EsperarInactivo();
    EXPECT_TRUE(doc.Preparador().Buscar(Pedido(1)));
    EXPECT_FALSE(doc.HayDocumento()); // nothing of it shows yet
    EXPECT_FALSE(doc.Preparador().Buscar(Pedido(2)));
    listado(zip);
    EXPECT_EQ(doc.NumeroPaginas(), Paginas);
    EXPECT_TRUE(doc.Preparador().Buscar(Pedido(1))); // not made again
    EXPECT_EQ(PaginaDe(doc.Preparador().Obtener(Pedido(1))->Imagen), 1);

    // Opening something else drops the head start.
    doc.Adelantar(zip, pedido);
    listado(otro);
    EXPECT_EQ(doc.NumeroPaginas(), 1);
    EXPECT_EQ(doc.Preparador().BytesEnCache(), 0u);
    EXPECT_EQ(doc.Preparador().Obtener(Pedido(1))->Datos->Nombre, "a.jpg");
}
