// The page pipeline benchmark: how long a reader waits on a real Form1 of
// 1920 x 1080 to open a comic and to turn its pages (reading, skimming: each
// key as soon as the previous page shows, and cold after a jump), timed from
// the call to the new page's own colour read back from the X server, and how
// much memory it takes; the program itself started on the comic against the
// same on a 100 x 100 picture; against two references on the same pages: the
// straightforward path (extract to a file, decode it whole, scale it) and the
// floor (libjpeg-turbo alone decoding the bytes from memory at the size the
// screen needs). Medians over every turn, so figures hold on a noisy machine.
//
//   tavelo-bench [pages=60] [--offscreen] [--dir FOLDER]
//
// Without DISPLAY it runs itself again under xvfb-run; --offscreen reads the
// window's backing store instead. --dir keeps the drawn comic there. Each
// measurement runs in a child process of its own (--hijo), so peak memory
// belongs to one document.
#include "Banco.h"
#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"
#include "constructores/Constructores.h"
#include "imaging/DecodificadorAvifJxl.h"
#include "imaging/DocumentoPdf.h"
#include "imaging/modPNG.h"
#include "shell/modGeneral.h"
#include "app/Form1.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#ifdef TAVELO_BENCH_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace banco;
using banco::Pantalla; // not the main window's interface of that name

// Where each page carries its own flat colour, as a fraction of the page:
// in the sky of the first panel, on screen in every display mode.
constexpr double MarcaX = 0.20, MarcaY = 0.09;
constexpr int TopeMs = 2000;   // a page not on the screen by then counts as failed
constexpr int Lectura = 300;   // how long the reader looks at a page
constexpr int Reposo = 200;    // for the viewer's background work to end before a new start
constexpr int Saltos = 12;
constexpr int Hojeadas = 30;   // page keys in a row while skimming
constexpr int Arranques = 5;   // program starts per document
constexpr int TopeArranqueMs = 10000;

const char *const NombresModo[] = {"", "fit to screen", "real size", "fit to width", "fit to height",
                                   "stretched to screen", "real size, following pointer", "continuous",
                                   "two pages"};

// The straightforward path: extract to a file, decode it whole, scale it.
QImage Directo(const QString &zip, const QString &nombre, const QString &carpeta)
{
    archivo::LeerEntradas(zip, [&](const QString &n) { return n == nombre; },
                          [&](const QString &, const QByteArray &d) { archivo::EscribirEntrada(carpeta, nombre, d); });
    QImage i(carpeta + nombre);
    QFile::remove(carpeta + nombre);
    return i.scaled(i.size().scaled(Pantalla, Qt::KeepAspectRatio), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

struct Decodificada {
    std::unique_ptr<unsigned char[]> pixeles;   // not zeroed first: a decoder does not
    QSize tamano;
    unsigned escala = 8;   // of 8
};

// The floor: libjpeg-turbo from memory into a buffer, DCT-scaled to the
// smallest size that still covers the page as it is shown fitted to the
// screen (for a portrait page, 1080 tall).
Decodificada Suelo(const QByteArray &datos)
{
    jpeg_decompress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char *>(datos.constData()), static_cast<unsigned long>(datos.size()));
    jpeg_read_header(&c, TRUE);
    const QSize visto = QSize(int(c.image_width), int(c.image_height)).scaled(Pantalla, Qt::KeepAspectRatio);
    Decodificada d;
    c.out_color_space = JCS_EXT_BGRX;
    c.scale_denom = 8;
    for (d.escala = 1; d.escala < 8; ++d.escala) {
        c.scale_num = d.escala;
        jpeg_calc_output_dimensions(&c);
        if (int(c.output_width) >= visto.width() && int(c.output_height) >= visto.height())
            break;
    }
    c.scale_num = d.escala;
    jpeg_start_decompress(&c);
    d.tamano = QSize(int(c.output_width), int(c.output_height));
    const size_t fila = size_t(c.output_width) * 4;
    d.pixeles = std::make_unique_for_overwrite<unsigned char[]>(fila * c.output_height);
    std::vector<JSAMPROW> filas(c.output_height);
    for (size_t y = 0; y < filas.size(); ++y)
        filas[y] = d.pixeles.get() + y * fila;
    while (c.output_scanline < c.output_height)
        jpeg_read_scanlines(&c, filas.data() + c.output_scanline, c.output_height - c.output_scanline);
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return d;
}

// Where the current page's own colour is on the screen, whatever its layout.
QPoint Marca(Form1 &f)
{
    constexpr int tw = modGeneral::TwipsPorPixel;
    const ControlImagen &i = f.Vista().Imagen();
    return QPoint(int((i.Left + MarcaX * i.Width) / tw), int((i.Top + MarcaY * i.Height) / tw));
}

// Milliseconds from `accion` (a key release, an open) until the screen shows
// page `pagina`'s colour; negative when it did not within the cap. Between
// readbacks the event loop runs as after a real key, so whatever the viewer
// leaves for later (update requests, finished background work) counts.
double HastaVerla(Form1 &f, const Pantallazo &x, const std::function<void()> &accion, int pagina)
{
    const QColor esperado = ColorPagina(pagina);
    QElapsedTimer t;
    t.start();
    accion();
    QTimer despertar;   // keeps the cap even if nothing else wakes the loop
    despertar.start(20);
    for (;;) {
        if (Parecido(x.Leer(Marca(f)), esperado))
            return double(t.nsecsElapsed()) / 1e6;
        if (t.elapsed() > TopeMs)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

// A child: five opens of `ruta`, each after another document was shown, so
// that nothing of the previous open is on the screen or at hand.
int HijoAbrir(const QString &ruta, const QString &otro)
{
    Form1 f;
    if (!Mostrar(f))
        return 1;
    const Pantallazo x(f);
    std::vector<double> tiempos;
    for (int i = 0; i < 5; ++i) {
        f.AbrirArchivo(otro, true);
        Esperar(Reposo);
        tiempos.push_back(HastaVerla(f, x, [&] { f.AbrirArchivo(ruta, true); }, 1));
        Esperar(Reposo);
    }
    Resultado("abrir", tiempos);
    return 0;
}

// A child, in display mode `modo`. Jumps first, each to a page not seen
// before (every page made so far is forgotten first), and the cold turn: a
// key straight after the jump, while nothing but the viewer's own work on
// the jump can have made its page ready. Then the
// document read forward, the whole of it with `entero`, else 24 turns: every
// other turn after the reader has looked at the page (reading), the rest
// straight after the previous turn (quick). With `entero`, jumps around last.
// From page `desde` on when it is given (a long comic read from its middle).
int HijoLeer(const QString &ruta, int modo, bool entero, int desde)
{
    Form1 f;
    if (!Mostrar(f))
        return 1;
    const Pantallazo x(f);
    if (HastaVerla(f, x, [&] { f.AbrirArchivo(ruta, true); }, 1) < 0) {
        std::fprintf(stderr, "tavelo-bench: the first page never showed on the screen\n");
        return 1;
    }
    Esperar(Lectura);
    if (modo != 1 && HastaVerla(f, x, [&] { f.Form_KeyUp('0' + modo, 0); }, 1) < 0) {
        std::fprintf(stderr, "tavelo-bench: mode %d does not show the first page\n", modo);
        return 1;
    }
    Esperar(Lectura);
    const int paginas = int(f.Doc().Paginas.size()) - 1;
    const int paso = modo == 8 ? 2 : 1;   // a spread turns two pages

    // What no page pipeline can remove: painting the window and reading it back.
    std::vector<double> repintar, leer;
    for (int i = 0; i < 30; ++i) {
        repintar.push_back(Ms([&] {
            f.repaint();
            x.Leer(Marca(f));
        }));
        leer.push_back(Ms([&] { x.Leer(Marca(f)); }));
    }
    Resultado("repintar", repintar);
    Resultado("leer", leer);

    // As the page box jumps.
    const auto saltarA = [&](int p) { f.Vista().IrAPagina(p); };
    std::vector<double> saltos, frios;
    for (int c = desde + 2; c + paso < paginas && int(saltos.size()) < Saltos; c += 2 * paso) {
        // Nothing made ahead before may serve the jump; the turn's own
        // read-ahead starts after its frame is shown, so it is let start first.
        Esperar(Reposo);
        f.Doc().Preparador().Olvidar();
        Esperar(Reposo);
        saltos.push_back(HastaVerla(f, x, [&] { saltarA(c); }, c));
        frios.push_back(saltos.back() < 0 ? -1 : HastaVerla(f, x, [&] { f.Form_KeyUp(' ', 0); }, c + paso));
    }
    Resultado("salto", saltos);
    Resultado("frio", frios);
    Esperar(Lectura);
    HastaVerla(f, x, [&] { saltarA(desde); }, desde);

    std::vector<double> lecturas, rapidos;
    int pagina = desde;
    for (int i = 1; pagina + paso <= paginas && (entero || i <= 24); ++i) {
        const bool leyendo = i % 2 == 1;
        if (leyendo)
            Esperar(Lectura);
        pagina += paso;
        (leyendo ? lecturas : rapidos).push_back(HastaVerla(f, x, [&] { f.Form_KeyUp(' ', 0); }, pagina));
    }
    Resultado("lectura", lecturas);
    Resultado("rapido", rapidos);
    Resultado("pico_adelante", PicoMb());
    Resultado("actual_adelante", ActualMb());
    if (!entero)
        return 0;

    QRandomGenerator g(42);
    for (int i = 0; i < Saltos; ++i) {
        saltarA(1 + int(g.bounded(paginas)));
        Esperar(Lectura);
    }
    Resultado("actual_saltos", ActualMb());
    for (int i = 0; i < Saltos; ++i)
        saltarA(1 + int(g.bounded(paginas)));
    Resultado("actual_rafaga", ActualMb());
    Esperar(Lectura);
    Resultado("pico_final", PicoMb());
    return 0;
}

// A child skimming in display mode `modo`: just after the open, page keys
// one after another, each as soon as the previous page is on the screen.
int HijoHojear(const QString &ruta, int modo, int desde)
{
    Form1 f;
    if (!Mostrar(f))
        return 1;
    const Pantallazo x(f);
    if (HastaVerla(f, x, [&] { f.AbrirArchivo(ruta, true); }, 1) < 0)
        return 1;
    Esperar(Lectura);
    if (modo != 1 && HastaVerla(f, x, [&] { f.Form_KeyUp('0' + modo, 0); }, 1) < 0)
        return 1;
    Esperar(Lectura);
    if (desde > 1) {
        if (HastaVerla(f, x, [&] { f.Vista().IrAPagina(desde); }, desde) < 0)
            return 1;
        Esperar(Lectura);
    }
    const int paginas = int(f.Doc().Paginas.size()) - 1;
    const int paso = modo == 8 ? 2 : 1;
    std::vector<double> tiempos;
    rusage antes{}, despues{};
    getrusage(RUSAGE_SELF, &antes);
    for (int i = 0, pagina = desde; i < Hojeadas && pagina + paso <= paginas; ++i) {
        pagina += paso;
        tiempos.push_back(HastaVerla(f, x, [&] { f.Form_KeyUp(' ', 0); }, pagina));
    }
    getrusage(RUSAGE_SELF, &despues);
    // Fresh memory touched per turn shows as page faults (4 KiB each).
    Resultado("fallos_hojear", tiempos.empty() ? 0L : long((despues.ru_minflt - antes.ru_minflt) / long(tiempos.size())));
    Resultado("hojear", tiempos);
    Resultado("hojear_peor", std::vector<double>{tiempos.empty() ? 0.0 : *std::max_element(tiempos.begin(), tiempos.end())});
    Resultado("pico_hojear", PicoMb());
    return 0;
}

// A child: the last page straight after the first one shows, as a reader
// jumping to the end of a comic just opened; five opens, each reading the
// archive afresh.
int HijoUltima(const QString &ruta)
{
    Form1 f;
    if (!Mostrar(f))
        return 1;
    const Pantallazo x(f);
    std::vector<double> tiempos;
    for (int i = 0; i < 5; ++i) {
        if (HastaVerla(f, x, [&] { f.AbrirArchivo(ruta, true); }, 1) < 0)
            return 1;
        const int ultima = int(f.Doc().Paginas.size()) - 1;
        tiempos.push_back(HastaVerla(f, x, [&] { f.Vista().IrAPagina(ultima); }, ultima));
        Esperar(Reposo);
    }
    Resultado("ultima", tiempos);
    return 0;
}

// A PDF of the drawn pages, each filling a page of its shape, as a scanned
// comic's PDF holds them.
bool EscribirPdf(const QString &ruta, const Paginas &paginas, QSize tamano)
{
    const QSizeF puntos(tamano.width() * 72.0 / 300, tamano.height() * 72.0 / 300);
    QPdfWriter pdf(ruta);
    pdf.setResolution(72);
    pdf.setPageSize(QPageSize(puntos, QPageSize::Point));
    pdf.setPageMargins(QMarginsF());
    QPainter p;
    for (std::size_t i = 0; i < paginas.size(); ++i) {
        if (i == 0 ? !p.begin(&pdf) : !pdf.newPage())
            return false;
        p.drawImage(QRectF(QPointF(), puntos), QImage::fromData(paginas[i].Datos));
    }
    return p.end();
}

// ---------------------------------------------------------------- the run

// A median with its ratios to the two references.
std::string Tiempo(const Medidas &m, const char *clave, double directo, double suelo)
{
    char t[64];
    if (!m.ok || m(clave, 1) == 0)
        std::snprintf(t, sizeof t, "%20s", m.ok && m(clave, 2) == 0 ? "-" : "failed");
    else
        std::snprintf(t, sizeof t, "%7.1f (%4.2f/%5.2f)", m(clave), m(clave) / directo, m(clave) / suelo);
    return t;
}

// A solid archive unpacked once, in order (median of three): what a jump to
// its end may cost besides a turn.
double Desempaquetar(const QString &ruta)
{
    std::vector<double> pasadas;
    for (int i = 0; i < 3; ++i)
        pasadas.push_back(Ms([&] {
            archivo::LeerEntradas(ruta, [](const QString &) { return true; }, [](const QString &, const QByteArray &) {});
        }));
    return Mediana(pasadas);
}

// A long comic as CBZ and CBR read from its middle: pages of 1654 x 2339 (A4
// at 200 dpi, as many scans come), the stored CBZ against RAR 5 copies of the
// same bytes (with CRCs, without, solid) and a solid CB7 packed with Deflate,
// which stands for a packed solid CBR (no RAR packer is among our tools): cold
// turn, reading, quick turn, skimming and the last page after the open, each
// over the CBZ's.
int CompararCbr(int n, const QString &raiz, const QString &plataforma, const Avance &avance)
{
    constexpr QSize Tamano(1654, 2339);
    avance(QStringLiteral("drawing %1 pages of %2 x %3 (JPEG q90)").arg(n).arg(Tamano.width()).arg(Tamano.height()));
    const Paginas jpg = Generar(n, Tamano, "JPG", 90, "jpg");
    const QString cbz = raiz + "/largo.cbz", cbr = raiz + "/largo.cbr", sinCrc = raiz + "/largo-nocrc.cbr",
                  solido = raiz + "/largo-solid.cbr", cb7 = raiz + "/largo-solid.cb7";
    // One solid block for every page, as a RAR's solid flag makes.
    const QStringList unBloque = {"-m0=Deflate", "-mx=1", "-mmt=1", "-ms=1000f10g"};
    if (!(EscribirZip(cbz, jpg, false) && constructores::EscribirRar5(cbr, jpg)
          && constructores::EscribirRar5(sinCrc, jpg, false, true) && constructores::EscribirRar5(solido, jpg, true, true)
          && constructores::Escribir7z(cb7, jpg, unBloque))) {
        std::fprintf(stderr, "tavelo-bench: cannot write the comics under %s\n", qPrintable(raiz));
        return 1;
    }
    std::vector<double> suelo;
    for (std::size_t i = 0; i < jpg.size(); i += std::max<std::size_t>(1, jpg.size() / 30))
        suelo.push_back(Ms([&] { Suelo(jpg[i].Datos); }));
    const QString desde = QString::number(n / 2);
    struct Copia {
        const char *nombre;
        QString ruta;
        Medidas leer, hojear, ultima;
    };
    std::vector<Copia> copias = {{"stored CBZ", cbz, {}, {}, {}},
                                 {"stored CBR", cbr, {}, {}, {}},
                                 {"CBR, no CRC", sinCrc, {}, {}, {}},
                                 {"solid CBR", solido, {}, {}, {}},
                                 {"solid CB7, Deflate", cb7, {}, {}, {}}};
    const std::size_t solidas = 3; // the copies from here on are solid
    for (Copia &c : copias) {
        avance(QStringLiteral("%1: reading and skimming from page %2").arg(c.nombre, desde));
        const QProcessEnvironment entorno = EntornoHijo(raiz + "/hijos/largo", plataforma);
        c.leer = Hijo({"--hijo", "leer", c.ruta, "1", "0", desde}, entorno);
        c.hojear = Hijo({"--hijo", "hojear", c.ruta, "1", desde}, entorno);
        c.ultima = Hijo({"--hijo", "ultima", c.ruta, "1"}, entorno);
    }
    qint64 bytes = 0;
    for (const auto &pg : jpg)
        bytes += pg.Datos.size();
    std::printf("Tavelo, a long comic as CBZ and CBR: %d JPEG pages of %d x %d at q90 (%.2f MB on average),\n"
                "read from page %s on; floor %.1f ms (libjpeg-turbo DCT-scaled from memory)\n\n",
                n, Tamano.width(), Tamano.height(), bytes / double(n) / 1e6, qPrintable(desde), Mediana(suelo));
    const Copia &zip = copias.front();
    const std::pair<const char *, const char *> medidas[] = {
        {"cold turn", "frio"}, {"reading turn", "lectura"}, {"quick turn", "rapido"}, {"skimming", "hojear"},
        {"last page", "ultima"}};
    std::printf("ms (x CBZ; target 1.10)");
    for (const auto &[que, clave] : medidas)
        std::printf(" %20s", que);
    std::printf("\n");
    for (const Copia &c : copias) {
        std::printf("  %-20s", c.nombre);
        for (const auto &[que, clave] : medidas) {
            const auto de = [](const Copia &x, const char *k) -> const Medidas & {
                return std::strcmp(k, "hojear") == 0 ? x.hojear : std::strcmp(k, "ultima") == 0 ? x.ultima : x.leer;
            };
            const double v = de(c, clave)(clave), ref = de(zip, clave)(clave);
            // A solid copy's last page has a target of its own, below.
            const bool suyo = &c >= &copias[solidas] && std::strcmp(clave, "ultima") == 0;
            std::printf("   %6.1f (%4.2f x) %s", v, ref > 0 ? v / ref : 0.0,
                        &c == &zip || suyo || v <= 1.1 * ref ? "  " : " !");
        }
        std::printf("\n");
    }
    // A jump to the end of a solid comic may cost its one unpacking in order and
    // a turn (the CBZ's jump to its last page).
    std::printf("\n");
    for (std::size_t i = solidas; i < copias.size(); ++i) {
        const double pasada = Desempaquetar(copias[i].ruta), ultima = copias[i].ultima("ultima"),
                     tope = pasada + zip.ultima("ultima");
        std::printf("%s, the last page after the open: %.1f ms = %.2f x (unpacking %.1f + CBZ's last page "
                    "%.1f)   target 1.00 %s\n",
                    copias[i].nombre, ultima, ultima / tope, pasada, zip.ultima("ultima"),
                    ultima <= tope ? "ok" : "MISSED");
    }
    std::printf("\n! over 1.10 x the CBZ's. Medians of 12 cold turns (a key straight after a jump to a page\n"
                "not made before), 12 reading and 12 quick turns, %d skimming keys, 5 opens each followed by\n"
                "a jump to the last page. Total %.0f s.\n",
                Hojeadas, avance.Segundos());
    return 0;
}

int Padre(int argc, char **argv)
{
    int n = 60;
    bool offscreen = false, largo = false;
    QString dir;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--offscreen")
            offscreen = true;
        else if (a == "--cbr")
            largo = true;
        else if (a == "--dir" && i + 1 < argc)
            dir = QFile::decodeName(argv[++i]);
        else if (a.toInt() > 0)
            n = std::max(4, a.toInt());
        else {
            std::fprintf(stderr, "usage: tavelo-bench [pages=60] [--offscreen] [--dir FOLDER] [--cbr]\n");
            return 2;
        }
    }
    QTemporaryDir temporal;
    // The parent only draws; the children show the window.
    const QString plataforma = PlataformaDeHijos(argc, argv, offscreen, temporal.filePath("runtime"));
    QGuiApplication app(argc, argv);
    const Avance avance;

    const QString raiz = dir.isEmpty() ? temporal.path() : QDir(dir).absolutePath();
    QDir().mkpath(raiz);
    if (largo)
        return CompararCbr(n, raiz, plataforma, avance);
    // PNG and WebP comics long enough for every skimming key, so that the
    // reader outruns the read-ahead; PDF and JPEG XL a quarter of the JPEG
    // pages.
    const int nPng = std::max(3, n / 4), nImagen = std::max(Hojeadas + 1, n / 4);
    avance(QStringLiteral("drawing %1 pages of 2480 x 3508 (JPEG q90) and %2 of 1600 x 2400 (PNG, WebP)")
               .arg(n).arg(nImagen));
    const Paginas jpg = Generar(n, TamanoJpeg, "JPG", 90, "jpg");
    const Paginas png = Generar(nImagen, TamanoPng, "PNG", -1, "png");
    const Paginas webp = Generar(nImagen, TamanoPng, "WEBP", 90, "webp");
    if (webp.front().Datos.isEmpty()) {
        std::fprintf(stderr, "tavelo-bench: Qt cannot write WebP (qt6-image-formats-plugins)\n");
        return 1;
    }
    qint64 bytes = 0, menor = jpg.front().Datos.size(), mayor = 0;
    for (const auto &pg : jpg) {
        bytes += pg.Datos.size();
        menor = std::min(menor, pg.Datos.size());
        mayor = std::max(mayor, pg.Datos.size());
    }
    avance(QStringLiteral("JPEG pages: %1 MB on average").arg(bytes / double(n) / 1e6, 0, 'f', 2));
    const QString deflate = raiz + "/deflate.cbz", stored = raiz + "/stored.cbz", pngs = raiz + "/png.cbz",
                  webps = raiz + "/webp.cbz";
    const QString carpeta = raiz + "/carpeta/", otro = raiz + "/otro.cbz";
    // The same pages as RAR 5 comics: stored with their CRCs (read where
    // they lie), and without (left to libarchive, as packed pages are),
    // solid and not.
    const QString cbr = raiz + "/stored.cbr", sinCrc = raiz + "/nocrc.cbr", solido = raiz + "/solid.cbr";
    bool escrito = EscribirZip(deflate, jpg, true) && EscribirZip(stored, jpg, false) && EscribirZip(pngs, png, true)
                   && EscribirZip(webps, webp, false)
                   && constructores::EscribirRar5(cbr, jpg) && constructores::EscribirRar5(sinCrc, jpg, false, true)
                   && constructores::EscribirRar5(solido, jpg, true, true);
    // The document shown between opens: plain grey pages, no page's colour.
    QImage gris(600, 850, QImage::Format_RGB32);
    gris.fill(QColor(128, 128, 128));
    escrito = EscribirZip(otro, {{"a.jpg", Codificar(gris, "JPG", 90)}, {"b.jpg", Codificar(gris, "JPG", 90)}}, true)
              && escrito;
    QDir().mkpath(carpeta);
    for (const auto &[nombre, datos, tipo] : jpg) {
        QFile f(carpeta + nombre);
        escrito = f.open(QIODevice::WriteOnly) && f.write(datos) == datos.size() && escrito;
    }
    if (!escrito) {
        std::fprintf(stderr, "tavelo-bench: cannot write the comic under %s\n", qPrintable(raiz));
        return 1;
    }

    avance(QStringLiteral("references"));
    const QString extraer = raiz + "/extraer/";
    QDir().mkpath(extraer);
    const auto referencias = [&](const QString &zipRuta, const Paginas &paginas, bool esJpeg) {
        std::vector<double> directo, suelo;
        for (const auto &[nombre, datos, tipo] : paginas) {
            directo.push_back(Ms([&] { Directo(zipRuta, nombre, extraer); }));
            suelo.push_back(Ms([&] {
                if (esJpeg) {
                    Suelo(datos);
                    return;
                }
                // Its own decoder (libpng, libwebp, through Qt's reader as
                // the viewer uses it) at full size, then scaled to the screen.
                const QImage i = QImage::fromData(datos);
                const QImage vista = i.scaled(i.size().scaled(Pantalla, Qt::KeepAspectRatio),
                                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                (void)vista;
            }));
        }
        return std::pair{Mediana(directo), Mediana(suelo)};
    };
    const auto [refDirecto, refSuelo] = referencias(deflate, jpg, true);
    const auto [refDirectoPng, refSueloPng] = referencias(pngs, png, false);
    const auto [refDirectoWebp, refSueloWebp] = referencias(webps, webp, false);

    // PDF and JPEG XL pages, each against its own library alone: Poppler
    // drawing the page at the size the screen shows it, libjxl decoding it
    // whole from memory (it has no reduced decode).
    avance(QStringLiteral("PDF and JPEG XL pages"));
    const QSize visto = TamanoJpeg.scaled(Pantalla, Qt::KeepAspectRatio);
    const QString pdfRuta = raiz + "/paginas.pdf", jxlRuta = raiz + "/jxl.cbz";
    escrito = EscribirPdf(pdfRuta, Paginas(jpg.begin(), jpg.begin() + nPng), TamanoJpeg) && escrito;
    Paginas jxl(static_cast<std::size_t>(nPng));
    for (int i = 0; i < nPng; ++i)
        jxl[std::size_t(i)] = {QStringLiteral("p%1.jxl").arg(i + 1, 3, 10, QChar('0')),
                               constructores::CodificarJxl({DibujarPagina(i + 1, TamanoPng)}, true)};
    escrito = EscribirZip(jxlRuta, jxl, false) && escrito;
    std::vector<double> sueloPdf, sueloJxl;
    pdf::Apertura apertura{};
    if (const auto doc = pdf::DocumentoPdf::Abrir(pdfRuta, {}, apertura))
        for (int i = 0; i < doc->Paginas(); ++i)
            sueloPdf.push_back(Ms([&] {
                QImage dibujo;
                doc->Dibujar(i, visto, nullptr, dibujo);
            }));
    for (const auto &[nombre, datos, tipo] : jxl)
        sueloJxl.push_back(Ms([&] {
            QImage i;
            decodificadorAvifJxl::Decodificar(datos, modPNG::BytesMaximosPicture, Plazo(), i);
        }));
    const double refPdf = Mediana(sueloPdf), refJxl = Mediana(sueloJxl);
    const double pasada = Desempaquetar(solido);
    const Decodificada muestra = Suelo(jpg.front().Datos);

    // Each child has its own settings and temporary folders.
    const auto entornoHijo = [&](const QString &nombre) { return EntornoHijo(raiz + "/hijos/" + nombre, plataforma); };
    struct Documento {
        const char *nombre, *clave;
        QString ruta;
        double directo, suelo;
        Medidas abrir, leer;
    };
    std::vector<Documento> documentos = {{"deflated CBZ", "deflate", deflate, refDirecto, refSuelo, {}, {}},
                                         {"stored CBZ", "stored", stored, refDirecto, refSuelo, {}, {}},
                                         {"stored CBR", "cbr", cbr, refDirecto, refSuelo, {}, {}},
                                         {"CBR, no CRC", "nocrc", sinCrc, refDirecto, refSuelo, {}, {}},
                                         {"solid CBR", "solid", solido, refDirecto, refSuelo, {}, {}},
                                         {"folder", "folder", carpeta + "p001.jpg", refDirecto, refSuelo, {}, {}},
                                         {"PNG CBZ", "png", pngs, refDirectoPng, refSueloPng, {}, {}},
                                         {"WebP CBZ", "webp", webps, refDirectoWebp, refSueloWebp, {}, {}},
                                         {"PDF", "pdf", pdfRuta, refPdf, refPdf, {}, {}},
                                         {"JPEG XL CBZ", "jxl", jxlRuta, refJxl, refJxl, {}, {}}};
    for (Documento &d : documentos) {
        avance(QStringLiteral("%1: opening, reading, jumping").arg(d.nombre));
        d.abrir = Hijo({"--hijo", "abrir", d.ruta, otro}, entornoHijo(d.clave));
        d.leer = Hijo({"--hijo", "leer", d.ruta, "1", "1"}, entornoHijo(d.clave));
    }
    Medidas hojear[9];
    for (int m : {1, 8}) {
        avance(QStringLiteral("deflated CBZ: skimming in mode %1").arg(m));
        hojear[m] = Hijo({"--hijo", "hojear", deflate, QString::number(m)}, entornoHijo("hojear"));
    }
    // PNG and WebP pages skimmed in mode 1, each against its own decoder.
    Medidas hojearPng, hojearWebp;
    avance(QStringLiteral("PNG and WebP CBZ: skimming"));
    hojearPng = Hijo({"--hijo", "hojear", pngs, "1"}, entornoHijo("hojear"));
    hojearWebp = Hijo({"--hijo", "hojear", webps, "1"}, entornoHijo("hojear"));
    // CBRs against the stored CBZ of the same pages: skimming, and the last
    // page straight after the open.
    constexpr int Mismas = 4;
    Medidas hojearMismas[Mismas], ultima[Mismas];
    const QString mismas[Mismas] = {stored, cbr, sinCrc, solido};
    for (int i = 0; i < Mismas; ++i) {
        avance(QStringLiteral("%1: skimming, the last page").arg(mismas[i]));
        hojearMismas[i] = Hijo({"--hijo", "hojear", mismas[i], "1"}, entornoHijo("hojear"));
        ultima[i] = Hijo({"--hijo", "ultima", mismas[i], "1"}, entornoHijo("ultima"));
    }

    // The program itself started on the comic, against the same on a 100 x 100
    // picture: what the comic's first page adds to the start.
    const PantallaX pantallaX;
    const QString programa = QCoreApplication::applicationDirPath() + "/tavelo";
    const QColor colorCuadro(200, 40, 160);
    QImage cuadro(100, 100, QImage::Format_RGB32);
    cuadro.fill(colorCuadro);
    const QString cuadroRuta = raiz + "/cuadro/c.jpg";
    QDir().mkpath(raiz + "/cuadro");
    {
        QFile fc(cuadroRuta);
        escrito = fc.open(QIODevice::WriteOnly) && fc.write(Codificar(cuadro, "JPG", 95)) > 0;
    }
    const QPoint marcaInicio(int((Pantalla.width() - visto.width()) / 2 + MarcaX * visto.width()),
                             int((Pantalla.height() - visto.height()) / 2 + MarcaY * visto.height()));
    std::vector<double> arranqueComic, arranqueCuadro;
    if (plataforma == "xcb" && pantallaX.Abierta() && QFile::exists(programa) && escrito) {
        avance(QStringLiteral("starting %1 on the comic and on a 100 x 100 picture").arg(programa));
        for (int i = 0; i < Arranques; ++i) {
            arranqueCuadro.push_back(Arranque(programa, cuadroRuta, QPoint(Pantalla.width() / 2, Pantalla.height() / 2),
                                              colorCuadro, entornoHijo("arranque"), pantallaX, TopeArranqueMs));
            arranqueComic.push_back(Arranque(programa, deflate, marcaInicio, ColorPagina(1), entornoHijo("arranque"),
                                             pantallaX, TopeArranqueMs));
        }
    }
    const auto medianaValida = [](std::vector<double> v) {
        std::erase_if(v, [](double t) { return t < 0; });
        return Mediana(v);
    };
    const double tComic = medianaValida(arranqueComic), tCuadro = medianaValida(arranqueCuadro);

    Medidas modos[9];
    modos[1] = documentos.front().leer;
    for (int m = 2; m <= 8; ++m) {
        avance(QStringLiteral("deflated CBZ: mode %1").arg(m));
        modos[m] = Hijo({"--hijo", "leer", deflate, QString::number(m), "0"}, entornoHijo("modo"));
    }

    std::printf("Tavelo page pipeline: %d JPEG pages of 2480 x 3508 at q90 (%.2f MB on average, %.2f to %.2f),\n"
                "%d PNG and %d WebP (q90) pages of 1600 x 2400; window %d x %d on %s\n\n",
                n, bytes / double(n) / 1e6, menor / 1e6, mayor / 1e6, nImagen, nImagen, Pantalla.width(),
                Pantalla.height(),
                plataforma == "xcb" ? qPrintable("X server " + qEnvironmentVariable("DISPLAY")) : "no X server (offscreen)");
    const QString suelo = QStringLiteral("floor: from memory, JPEG DCT-scaled %1/8 (%2 x %3), others whole + scaled")
                              .arg(muestra.escala).arg(muestra.tamano.width()).arg(muestra.tamano.height());
    std::printf("%-62s %9s %9s %9s\n", "references, median per page", "JPEG", "PNG", "WebP");
    std::printf("  %-60s %6.1f ms %6.1f ms %6.1f ms\n", "straightforward: extract to a file, decode whole, scale",
                refDirecto, refDirectoPng, refDirectoWebp);
    std::printf("  %-60s %6.1f ms %6.1f ms %6.1f ms\n", qPrintable(suelo), refSuelo, refSueloPng,
                refSueloWebp);
    std::printf("  %-60s %6.1f ms\n", qPrintable(QStringLiteral("PDF (%1 pages): Poppler drawing a page at %2 x %3")
                                                   .arg(nPng).arg(visto.width()).arg(visto.height())), refPdf);
    std::printf("  %-60s %6.1f ms\n\n", qPrintable(QStringLiteral("JPEG XL (%1 pages of 1600 x 2400, d 1): libjxl decoding whole")
                                                     .arg(nPng)), refJxl);
    const Medidas &m1 = modos[1];
    std::printf("the screen alone (deflated CBZ, mode 1): repaint only %.2f ms, readback only %.2f ms\n\n",
                m1("repintar"), m1("leer"));

    const auto fallos = [](const Medidas &m) {
        return m("abrir", 2) + m("salto", 2) + m("frio", 2) + m("lectura", 2) + m("rapido", 2);
    };
    std::printf("%-13s %20s %20s %20s %20s %6s\n", "ms (x ref)", "open", "cold turn", "reading turn", "quick turn",
                "failed");
    for (const Documento &d : documentos)
        std::printf("%-13s %20s %20s %20s %20s %6.0f\n", d.nombre, Tiempo(d.abrir, "abrir", d.directo, d.suelo).c_str(),
                    Tiempo(d.leer, "frio", d.directo, d.suelo).c_str(),
                    Tiempo(d.leer, "lectura", d.directo, d.suelo).c_str(),
                    Tiempo(d.leer, "rapido", d.directo, d.suelo).c_str(), fallos(d.abrir) + fallos(d.leer));

    std::printf("\n%-13s %17s %14s %12s %12s %12s\n", "MB resident", "peak reading fwd", "after reading",
                "after jumps", "after burst", "peak of all");
    for (const Documento &d : documentos)
        std::printf("%-13s %17.0f %14.0f %12.0f %12.0f %12.0f\n", d.nombre, d.leer("pico_adelante"),
                    d.leer("actual_adelante"), d.leer("actual_saltos"), d.leer("actual_rafaga"), d.leer("pico_final"));

    std::printf("\n%-33s %20s %20s %20s %9s %6s %8s\n", "deflated CBZ, ms (x ref)", "cold turn", "reading turn",
                "quick turn", "turns", "failed", "repaint");
    for (int m = 1; m <= 8; ++m)
        std::printf("%d %-31s %20s %20s %20s %3.0f/%2.0f/%2.0f %6.0f %8.2f\n", m, NombresModo[m],
                    Tiempo(modos[m], "frio", refDirecto, refSuelo).c_str(),
                    Tiempo(modos[m], "lectura", refDirecto, refSuelo).c_str(),
                    Tiempo(modos[m], "rapido", refDirecto, refSuelo).c_str(), modos[m]("frio", 1),
                    modos[m]("lectura", 1), modos[m]("rapido", 1), fallos(modos[m]), modos[m]("repintar"));
    const auto veredicto = [](double v, double tope) { return v > 0 && v <= tope ? "ok" : "MISSED"; };
    std::printf("\nskimming: %d page keys in a row, each as soon as the previous page shows\n", Hojeadas);
    const auto lineaHojear = [&](const char *que, const Medidas &m) {
        std::printf("  %-20s median turn %6.1f ms, slowest %6.1f ms, %2.0f turns, %2.0f failed, peak %4.0f MB, "
                    "%5.0f page faults a turn\n", que, m("hojear"), m("hojear_peor"), m("hojear", 1), m("hojear", 2),
                    m("pico_hojear"), m("fallos_hojear"));
    };
    lineaHojear("deflated CBZ, mode 1", hojear[1]);
    lineaHojear("deflated CBZ, mode 8", hojear[8]);
    lineaHojear("PNG CBZ, mode 1", hojearPng);
    lineaHojear("WebP CBZ, mode 1", hojearWebp);
    std::printf("\nprogram start until the first page is on the screen (median of %d, each a fresh start)\n", Arranques);
    std::printf("  on the comic %.1f ms, on a 100 x 100 picture %.1f ms, difference %.1f ms\n", tComic, tCuadro,
                tComic - tCuadro);

    double peorLectura = 0;
    for (int m = 1; m <= 8; ++m)
        peorLectura = std::max(peorLectura, modos[m]("lectura"));
    // Peak resident of every child that read, jumped or skimmed.
    double pico = 0;
    const char *picoDe = "";
    const auto verPico = [&](const char *de, double mb) {
        if (mb > pico) {
            pico = mb;
            picoDe = de;
        }
    };
    for (const Documento &d : documentos)
        verPico(d.nombre, std::max(d.leer("pico_final"), d.leer("pico_adelante")));
    verPico("skimming, mode 1", hojear[1]("pico_hojear"));
    verPico("skimming, mode 8", hojear[8]("pico_hojear"));
    verPico("skimming PNG", hojearPng("pico_hojear"));
    verPico("skimming WebP", hojearWebp("pico_hojear"));
    const auto buscar = [&](const char *clave) -> const Documento & {
        return *std::find_if(documentos.begin(), documentos.end(),
                             [&](const Documento &d) { return std::strcmp(d.clave, clave) == 0; });
    };
    const Documento &docPng = buscar("png"), &docWebp = buscar("webp");

    std::printf("\ntargets, as ratios to this run's floor (JPEG %.1f ms, PNG %.1f ms, WebP %.1f ms)\n", refSuelo,
                refSueloPng, refSueloWebp);
    const auto linea = [&](const char *que, double v, double ref, double tope) {
        std::printf("  %-58s %7.1f ms = %5.2f x floor   target %4.2f   %s\n", que, v, v / ref, tope,
                    veredicto(v / ref, tope));
    };
    linea("skimming, mode 1 (median turn)", hojear[1]("hojear"), refSuelo, 0.75);
    linea("skimming, mode 8 (median spread)", hojear[8]("hojear"), refSuelo, 1.5);
    linea("reading turn, deflated CBZ", documentos[0].leer("lectura"), refSuelo, 0.35);
    linea("reading turn, slowest mode", peorLectura, refSuelo, 0.35);
    linea("open: program start on the comic - on a 100 x 100 picture", tComic - tCuadro, refSuelo, 1.5);
    linea("cold turn after a jump, deflated CBZ", documentos[0].leer("frio"), refSuelo, 1.25);
    linea("cold turn after a jump, stored CBZ", documentos[1].leer("frio"), refSuelo, 1.25);
    // Not a target of its own: the page nothing could have prepared.
    std::printf("  %-58s %7.1f ms = %5.2f x floor   (no target)\n", "the jump itself, deflated CBZ",
                documentos[0].leer("salto"), documentos[0].leer("salto") / refSuelo);
    std::printf("  %-58s %7.1f ms = %5.2f x floor   (no target)\n", "the jump itself, stored CBZ",
                documentos[1].leer("salto"), documentos[1].leer("salto") / refSuelo);
    linea("PNG CBZ: skimming, mode 1 (median turn; PNG floor)", hojearPng("hojear"), refSueloPng, 0.6);
    linea("PNG CBZ: reading turn (PNG floor)", docPng.leer("lectura"), refSueloPng, 0.35);
    linea("WebP CBZ: skimming, mode 1 (median turn; WebP floor)", hojearWebp("hojear"), refSueloWebp, 0.6);
    linea("WebP CBZ: reading turn (WebP floor)", docWebp.leer("lectura"), refSueloWebp, 0.35);
    const auto lineaMb = [&](const char *que, double mb) {
        std::printf("  %-58s %7.0f MB                   target 350 MB %s\n", que, mb, veredicto(mb, 350));
    };
    lineaMb("peak resident, PNG CBZ (reading, jumps, burst)", docPng.leer("pico_final"));
    lineaMb("peak resident, PNG CBZ skimming", hojearPng("pico_hojear"));
    lineaMb(qPrintable(QStringLiteral("peak resident, any child (%1)").arg(picoDe)), pico);

    // Same pages, same run: each CBR figure over the stored CBZ's.
    const Documento &zip = documentos[1];
    std::printf("\nCBR against the stored CBZ of the same pages (x CBZ; target 1.10)\n");
    std::printf("  %-12s %22s %22s %22s %22s\n", "", "cold turn", "reading turn", "skimming", "last page after open");
    for (int i = 1; i < Mismas; ++i) {
        const Documento &d = documentos[std::size_t(1 + i)];
        const auto par = [](double v, double ref) {
            char b[64];
            std::snprintf(b, sizeof b, "%6.1f ms (%5.2f x)", v, ref > 0 ? v / ref : 0.0);
            return std::string(b);
        };
        std::printf("  %-12s %22s %22s %22s %22s\n", d.nombre, par(d.leer("frio"), zip.leer("frio")).c_str(),
                    par(d.leer("lectura"), zip.leer("lectura")).c_str(),
                    par(hojearMismas[i]("hojear"), hojearMismas[0]("hojear")).c_str(),
                    par(ultima[i]("ultima"), ultima[0]("ultima")).c_str());
    }
    std::printf("  the solid CBR unpacked once by libarchive %.1f ms\n", pasada);
    std::printf("\ntargets for the CBRs, as ratios to this run's stored CBZ of the same pages\n");
    const auto lineaCbz = [&](const std::string &que, double v, double ref, double tope) {
        std::printf("  %-58s %7.1f ms = %5.2f x CBZ     target %4.2f   %s\n", que.c_str(), v, v / ref, tope,
                    veredicto(v / ref, tope));
    };
    for (int i = 1; i < Mismas; ++i) {
        const Documento &d = documentos[std::size_t(1 + i)];
        lineaCbz(std::string(d.nombre) + ": cold turn", d.leer("frio"), zip.leer("frio"), 1.1);
        lineaCbz(std::string(d.nombre) + ": reading turn", d.leer("lectura"), zip.leer("lectura"), 1.1);
        lineaCbz(std::string(d.nombre) + ": skimming (median turn)", hojearMismas[i]("hojear"),
                 hojearMismas[0]("hojear"), 1.1);
    }
    // A jump to the end of a solid comic may cost its one unpacking in order
    // and a turn (the CBZ's jump to its last page).
    const double tope = pasada + ultima[0]("ultima");
    std::printf("  %-58s %7.1f ms = %5.2f x (unpacking %.1f + CBZ's last page %.1f)   target 1.00   %s\n",
                "solid CBR: the last page after the open", ultima[3]("ultima"), ultima[3]("ultima") / tope, pasada,
                ultima[0]("ultima"), veredicto(ultima[3]("ultima") / tope, 1.0));
    linea("skimming, stored CBR (median turn)", hojearMismas[1]("hojear"), refSuelo, 0.75);
    linea("skimming, CBR without CRCs (median turn)", hojearMismas[2]("hojear"), refSuelo, 0.75);
    linea("skimming, solid CBR (median turn)", hojearMismas[3]("hojear"), refSuelo, 0.75);

    std::printf("\nMedians: of 5 opens, each after another document; of cold turns, a key straight after a\n"
                "jump to a page not seen before; of reading turns, after %d ms on the previous page; of quick\n"
                "turns, straight after a reading turn. x ref: over the straightforward path / over the floor.\n"
                "failed: the page never showed within %d s. repaint: the same page repainted and read back.\n"
                "Memory: after reading the whole document forward, after %d jumps with %d ms each and after\n"
                "%d more without waiting; each document in a process of its own. Total %.0f s.\n",
                Lectura, TopeMs / 1000, Saltos, Lectura, Saltos, avance.Segundos());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && argv[1] == std::string("--hijo")) {
        QApplication app(argc, argv);
        Comandos::FinDelProceso() = [] {};
        const QString ruta = QFile::decodeName(argv[3]);
        const auto desde = [&](int i) { return argc > i ? std::max(1, std::atoi(argv[i])) : 1; };
        const int r = argv[2] == std::string("abrir")    ? HijoAbrir(ruta, QFile::decodeName(argv[4]))
                      : argv[2] == std::string("hojear") ? HijoHojear(ruta, std::atoi(argv[4]), desde(5))
                      : argv[2] == std::string("ultima") ? HijoUltima(ruta)
                      : argc >= 6 ? HijoLeer(ruta, std::atoi(argv[4]), argv[5] == std::string("1"), desde(6))
                                  : 2;
        std::fflush(stdout);
        return r;
    }
    return Padre(argc, argv);
}
