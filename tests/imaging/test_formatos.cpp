// AVIF and JPEG XL pages made by avifenc and cjxl, the first frame of every
// animated format, and PDF pages drawn by Poppler from files QPdfWriter and
// qpdf wrote.
#include "Constructores.h"
#include "imaging/DecodificadorAvifJxl.h"
#include "imaging/DocumentoPdf.h"
#include "imaging/modPNG.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace constructores;
namespace aj = decodificadorAvifJxl;

// 100 x 150, red above and blue below: its colours, its size and its turn.
QImage Pagina(QColor arriba = Qt::red, QColor abajo = Qt::blue)
{
    QImage i(100, 150, QImage::Format_RGB32);
    i.fill(abajo);
    QPainter(&i).fillRect(0, 0, 100, 75, arriba);
    return i;
}

bool Color(const QImage &i, QPoint p, QColor esperado, int tolerancia = 24)
{
    return prueba::Cerca(i.pixelColor(p), esperado, tolerancia);
}

ControlImagen Cargar(const QByteArray &datos, const QString &nombre, const std::function<QSize(QSize)> &mostrado = {})
{
    ControlImagen c;
    EXPECT_TRUE(modPNG::CargarPagina(prueba::Origen(datos, nombre), mostrado, c));
    return c;
}

struct Pdf : ::testing::Test {
    QTemporaryDir tmp;
    QString Ruta(const QString &n) const { return tmp.filePath(n); }
    std::unique_ptr<pdf::DocumentoPdf> Abrir(const QString &n, const QString &clave, pdf::Apertura esperada)
    {
        pdf::Apertura motivo = pdf::Apertura::Abierto;
        auto d = pdf::DocumentoPdf::Abrir(Ruta(n), clave, motivo);
        EXPECT_EQ(motivo, esperada) << n.toStdString();
        EXPECT_EQ(d != nullptr, esperada == pdf::Apertura::Abierto) << n.toStdString();
        return d;
    }
};

} // namespace

TEST(AvifJxl, PagesOfTheRealEncodersLoadUnderAnyNameAndReduced)
{
    struct Caso {
        const char *nombre;
        QByteArray datos;
    };
    const std::vector<Caso> casos{{"p.avif", CodificarAvif({Pagina()})}, {"p.jxl", CodificarJxl({Pagina()}, true)}};
    for (const Caso &c : casos) {
        ASSERT_FALSE(c.datos.isEmpty()) << c.nombre;
        for (const QString &nombre : {QString(c.nombre), QString("p.jpg"), QString("p.PNG")}) {
            const ControlImagen entera = Cargar(c.datos, nombre);
            ASSERT_EQ(entera.Picture.size(), QSize(100, 150)) << c.nombre << nombre;
            EXPECT_TRUE(Color(entera.Picture, {50, 20}, Qt::red)) << c.nombre << nombre;
            EXPECT_TRUE(Color(entera.Picture, {50, 130}, Qt::blue)) << c.nombre << nombre;
        }
        const ControlImagen reducida = Cargar(c.datos, c.nombre, [](QSize n) { return n / 2; });
        EXPECT_EQ(reducida.Picture.size(), QSize(50, 75)) << c.nombre;
        EXPECT_EQ(TamanoNatural(reducida), QSize(100, 150)) << c.nombre;
    }
    // Transparency kept.
    QImage alfa(100, 150, QImage::Format_ARGB32);
    alfa.fill(Qt::transparent);
    QPainter(&alfa).fillRect(0, 0, 100, 75, Qt::red);
    for (const QByteArray &d : {CodificarAvif({alfa}), CodificarJxl({alfa})}) {
        const QImage i = Cargar(d, "t.avif").Picture;
        EXPECT_EQ(qAlpha(i.pixel(50, 130)), 0);
        EXPECT_TRUE(Color(i, {50, 20}, Qt::red));
    }
    // The container's turn and mirror.
    const ControlImagen girada = Cargar(CodificarAvif({Pagina()}, {"-l", "--irot", "1"}), "g.avif");
    ASSERT_EQ(girada.Picture.size(), QSize(150, 100));
    EXPECT_TRUE(Color(girada.Picture, {20, 50}, Qt::red));
    const ControlImagen espejo = Cargar(CodificarAvif({Pagina()}, {"-l", "--imir", "0"}), "e.avif");
    EXPECT_TRUE(Color(espejo.Picture, {50, 20}, Qt::blue));
}

TEST(AvifJxl, SizeDeadlineCancelAndDamageStopThem)
{
    for (const QByteArray &datos : {CodificarAvif({Pagina()}), CodificarJxl({Pagina()})}) {
        ASSERT_FALSE(datos.isEmpty());
        const std::uint64_t justo = 100 * 150 * 4;
        QImage i;
        EXPECT_EQ(aj::Decodificar(datos, justo, Plazo(), i), aj::Resultado::Hecho);
        EXPECT_EQ(aj::Decodificar(datos, justo - 1, Plazo(), i), aj::Resultado::Error);
        const std::atomic<bool> cancelado{true};
        EXPECT_EQ(aj::Decodificar(datos, justo, Plazo(&cancelado), i), aj::Resultado::Cancelado);
        EXPECT_EQ(aj::Decodificar(datos, justo, Plazo(nullptr, std::chrono::milliseconds(-1)), i), aj::Resultado::Error);
        EXPECT_EQ(aj::Decodificar(datos.left(datos.size() / 2), justo, Plazo(), i), aj::Resultado::Error);
        ControlImagen c;
        EXPECT_THROW(modPNG::CargarPagina(prueba::Origen(datos.left(datos.size() / 2), "p.avif"), {}, c), ErrorLectura);
    }
    QImage i;
    EXPECT_EQ(aj::Decodificar(PaginaDeColor(Qt::red, {10, 10}, "PNG"), 1 << 20, Plazo(), i), aj::Resultado::Otro);
}

TEST(AvifJxl, AJxlPageCancelledAtAnyStageEndsCleanly)
{
    // Cut at points spread over a whole decode, some land in stages where
    // a failing runner used to abort the process.
    QImage grande(1600, 2400, QImage::Format_RGB32);
    for (int y = 0; y < grande.height(); ++y)
        for (int x = 0; x < grande.width(); ++x)
            grande.setPixel(x, y, qRgb(x * 7 % 256, y * 3 % 256, (x ^ y) % 256));
    const QByteArray datos = CodificarJxl({grande}, true);
    ASSERT_FALSE(datos.isEmpty());
    QImage i;
    const auto inicio = std::chrono::steady_clock::now();
    ASSERT_EQ(aj::Decodificar(datos, 1u << 30, Plazo(), i), aj::Resultado::Hecho);
    const auto entero = std::chrono::steady_clock::now() - inicio;
    for (int k = 0; k < 24; ++k) {
        std::atomic<bool> cancelado{false};
        std::thread cortar([&] {
            std::this_thread::sleep_for(entero * k / 24);
            cancelado = true;
        });
        const auto r = aj::Decodificar(datos, 1u << 30, Plazo(&cancelado), i);
        cortar.join();
        EXPECT_TRUE(r == aj::Resultado::Cancelado || r == aj::Resultado::Hecho) << k;
    }
}

TEST(Animaciones, EveryAnimatedFormatShowsItsFirstFrame)
{
    const std::vector<QImage> cuadros{Pagina(Qt::red, Qt::red), Pagina(Qt::blue, Qt::blue)};
    const std::pair<const char *, QByteArray> casos[]{{"a.gif", GifAnimado(cuadros)},
                                                      {"a.webp", WebpAnimado(cuadros)},
                                                      {"a.avif", CodificarAvif(cuadros)},
                                                      {"a.jxl", CodificarJxl(cuadros)}};
    for (const auto &[nombre, datos] : casos) {
        ASSERT_FALSE(datos.isEmpty()) << nombre;
        EXPECT_TRUE(Color(Cargar(datos, nombre).Picture, {50, 75}, Qt::red)) << nombre;
    }
}

TEST_F(Pdf, PagesComeAtTheSizeAskedDrawnAtThatResolution)
{
    ASSERT_TRUE(EscribirPdf(Ruta("c.pdf"), {{{600, 900}, Qt::red}, {{900, 600}, Qt::green}, {{100, 100}, Qt::white, Qt::black}}));
    const auto d = Abrir("c.pdf", {}, pdf::Apertura::Abierto);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->Paginas(), 3);
    EXPECT_EQ(d->TamanoPuntos(1), QSizeF(900, 600));
    EXPECT_TRUE(d->TamanoPuntos(3).isEmpty());
    QImage i;
    // 100 points at 800 pixels: the edge between the halves is sharp, as no
    // picture drawn at 72 dpi and enlarged could be.
    ASSERT_EQ(d->Dibujar(2, {800, 800}, nullptr, i), pdf::DocumentoPdf::Resultado::Hecho);
    EXPECT_TRUE(Color(i, {397, 400}, Qt::black, 2));
    EXPECT_TRUE(Color(i, {403, 400}, Qt::white, 2));
    EXPECT_EQ(d->Dibujar(3, {10, 10}, nullptr, i), pdf::DocumentoPdf::Resultado::Error);
}

TEST_F(Pdf, PasswordsAndDamagedFilesAreToldApart)
{
    ASSERT_TRUE(EscribirPdf(Ruta("cifrado.pdf"), {{{200, 300}, Qt::blue}}, "clave"));
    EXPECT_TRUE(prueba::LeerBytes(Ruta("cifrado.pdf")).contains("/Encrypt"));
    Abrir("cifrado.pdf", {}, pdf::Apertura::NecesitaClave);
    Abrir("cifrado.pdf", "mala", pdf::Apertura::ClaveErronea);
    const auto d = Abrir("cifrado.pdf", "clave", pdf::Apertura::Abierto);
    QImage i;
    ASSERT_TRUE(d);
    ASSERT_EQ(d->Dibujar(0, {20, 30}, nullptr, i), pdf::DocumentoPdf::Resultado::Hecho);
    EXPECT_TRUE(Color(i, {10, 15}, Qt::blue, 2));

    ASSERT_TRUE(EscribirPdf(Ruta("entero.pdf"), {{{200, 300}, Qt::blue}}));
    const QByteArray entero = prueba::LeerBytes(Ruta("entero.pdf"));
    prueba::EscribirBytes(Ruta("basura.pdf"), "%PDF-1.4\n" + QByteArray(3000, 'x'));
    prueba::EscribirBytes(Ruta("cortado.pdf"), entero.left(entero.indexOf("stream")));
    prueba::EscribirBytes(Ruta("jpeg.pdf"), PaginaDeColor(Qt::red, {10, 10}));
    for (const char *n : {"basura.pdf", "cortado.pdf", "jpeg.pdf", "ninguno.pdf"})
        Abrir(n, {}, pdf::Apertura::Danado);
}

TEST_F(Pdf, TwoThreadsDrawAtOnceAndACancelledPageStops)
{
    std::vector<PaginaPdf> paginas;
    for (int n = 0; n < 6; ++n)
        paginas.push_back({{300, 400}, QColor::fromHsv(n * 60, 255, 255)});
    ASSERT_TRUE(EscribirPdf(Ruta("h.pdf"), paginas));
    const auto d = Abrir("h.pdf", {}, pdf::Apertura::Abierto);
    ASSERT_TRUE(d);
    std::atomic<int> bien{0};
    const auto obrero = [&](int desde) {
        QImage i;
        for (int k = 0; k < 12; ++k) {
            const int n = (desde + k) % 6;
            bien += d->Dibujar(n, {150, 200}, nullptr, i) == pdf::DocumentoPdf::Resultado::Hecho
                    && Color(i, {75, 100}, paginas[std::size_t(n)].Color, 2);
        }
    };
    std::thread a(obrero, 0), b(obrero, 3);
    a.join();
    b.join();
    EXPECT_EQ(bien, 24);
    const std::atomic<bool> cancelado{true};
    QImage i;
    EXPECT_EQ(d->Dibujar(0, {150, 200}, &cancelado, i), pdf::DocumentoPdf::Resultado::Cancelado);
}
