// The mini pages benchmark: on a real Form1 of 1920 x 1080 under Xvfb, F10
// over the drawn comic (100 pages of 2480 x 3508, JPEG at quality 90, in a
// deflated CBZ, or a stored one with --stored), timed until the thumbnails' own colours are read back from
// the X server: the first row, the whole grid, and the cached grid of the
// next opening; and the resident memory while the grid is made, above what
// the viewer held before F10. Against the floor, measured in the same run:
// libjpeg-turbo alone decoding the same pages from memory at the thumbnails'
// DCT scale, split over every core.
//
//   tavelo-bench-mini [runs=5] [--pages N] [--stored] [--offscreen] [--dir FOLDER]
//
// Each run is a child process of its own (--hijo): a fresh viewer, so the
// memory figures belong to one grid. --dir keeps the drawn comic there and
// reuses it next time.
#include "Banco.h"
#include "archive/Archivo.h"
#include "documento/CargaMiniaturas.h"
#include "documento/Documento.h"
#include "imaging/DecodificadorJpeg.h"
#include "imaging/Miniatura.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "app/Form1.h"
#include "views/FormMini.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace banco;
using banco::Pantalla; // not the main window's interface of that name

constexpr int TopeMs = 20000; // a grid not on the screen by then counts as failed
constexpr int F10 = Qt::Key_F10;

// Resident size now, KB.
long ResidenteKb()
{
    std::ifstream statm("/proc/self/statm");
    long total = 0, residente = 0;
    statm >> total >> residente;
    return residente * (sysconf(_SC_PAGESIZE) / 1024);
}

// Where page n's own colour is in its thumbnail box (window pixels), for the
// 4 x 4 readback.
QPoint MarcaEn(const QRect &caja)
{
    return {caja.left() + int(0.20 * caja.width()) - 2, caja.top() + int(0.09 * caja.height()) - 2};
}

// The box of page `i` of `n` on the screen, at one device pixel per pixel.
QRect CajaDe(int n, int i, QSize natural)
{
    const mini::Rejilla g = mini::CalcularRejilla(n, {Pantalla.width() * 15, Pantalla.height() * 15});
    return mini::EnPixeles(mini::Caja(mini::Ficha(g, i), natural), 1.0);
}

// The floor: libjpeg-turbo from memory, at scale `escala`/8, into a buffer.
void Decodificar(const QByteArray &datos, unsigned escala, std::vector<unsigned char> &buffer)
{
    jpeg_decompress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char *>(datos.constData()), static_cast<unsigned long>(datos.size()));
    jpeg_read_header(&c, TRUE);
    c.out_color_space = JCS_EXT_BGRX;
    c.scale_num = escala;
    c.scale_denom = 8;
    jpeg_start_decompress(&c);
    const size_t fila = size_t(c.output_width) * 4;
    buffer.resize(fila * c.output_height);
    std::vector<JSAMPROW> filas(c.output_height);
    for (size_t y = 0; y < filas.size(); ++y)
        filas[y] = buffer.data() + y * fila;
    while (c.output_scanline < c.output_height)
        jpeg_read_scanlines(&c, filas.data() + c.output_scanline, c.output_height - c.output_scanline);
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
}

// Every page decoded once, the pages dealt out over `hilos` threads; ms.
double Suelo(const Paginas &paginas, unsigned escala, unsigned hilos)
{
    return Ms([&] {
        std::vector<std::jthread> trabajo;
        for (unsigned h = 0; h < hilos; ++h)
            trabajo.emplace_back([&, h] {
                std::vector<unsigned char> buffer;
                for (size_t i = h; i < paginas.size(); i += hilos)
                    Decodificar(paginas[i].Datos, escala, buffer);
            });
    });
}

// The dialog seam of the child: the mini pages run in their own modal loop
// while `medir` watches them; nothing else is expected.
struct Dialogos final : modComDlg::Dialogos {
    std::function<void(FormMini &)> medir;
    QString ElegirCarpeta(QWidget *, const QString &) override { return {}; }
    QString DialogoAbrir(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    int ElegirColor(QWidget *) override { return -1; }
    QString DialogoGuardar(const QString &, const QString &, const QString &) override { return {}; }
    QString PedirTexto(QWidget *, const QString &, bool) override { return {}; }
    int MostrarModal(QDialog &ventana) override
    {
        if (auto *v = dynamic_cast<FormMini *>(&ventana); v && medir)
            medir(*v);
        return ventana.exec();
    }
};

// Runs `paso` every millisecond while the window is open, until it says the
// measurement is done or the cap is reached; then closes the window (which
// writes the cache of a fresh grid), timing that into `cierre`.
void Sondear(FormMini &v, const QElapsedTimer &reloj, std::function<bool()> paso, double *cierre = nullptr)
{
    auto *sondeo = new QTimer(&v);
    sondeo->setTimerType(Qt::PreciseTimer);
    sondeo->setInterval(1);
    QObject::connect(sondeo, &QTimer::timeout, &v, [&v, &reloj, sondeo, cierre, paso = std::move(paso)] {
        if (!paso() && reloj.elapsed() <= TopeMs)
            return;
        sondeo->stop();
        QElapsedTimer t;
        t.start();
        v.ImCerrar->click();
        if (cierre)
            *cierre = double(t.nsecsElapsed()) / 1e6;
    });
    sondeo->start();
}

// One child: the comic opened and settled, then F10 on a cold cache, the
// grid closed (written to the cache), and F10 again.
int Medir(const QString &ruta)
{
    Form1 f;
    if (!Mostrar(f))
        return 1;
    // After Mostrar, which puts in its own seam that turns every window down.
    auto propios = std::make_unique<Dialogos>();
    Dialogos &dialogos = *propios;
    modComDlg::EstablecerDialogos(std::move(propios));
    f.AbrirArchivo(ruta, true);
    Esperar(1500); // the page pipeline's look-ahead done
    const int n = f.Doc().NumeroPaginas();
    const int lado = mini::Lado(n);
    QDir temporal(modGeneral::CarpetaTemporal());
    for (const QString &x : temporal.entryList({"x*"}, QDir::Files))
        temporal.remove(x);

    struct Medida {
        double fila = -1, completa = -1;
        long maximoKb = 0;
        int vistas = 0;
    } m;
    QElapsedTimer reloj;
    double cierre = -1;
    const long antesKb = ResidenteKb();
    // Polled between events: the state says when a thumbnail is placed, the
    // X server when it is on the screen.
    dialogos.medir = [&](FormMini &v) {
        const Pantallazo x(v);
        const auto enPantalla = [&v, x](int i) {
            const auto k = std::size_t(i);
            return k < v.PBI.size() && v.PBI[k].Visible
                   && Parecido(x.Leer(MarcaEn(mini::EnPixeles(v.PBI[k].Rect, 1.0))), ColorPagina(i));
        };
        Sondear(v, reloj, [&, enPantalla] {
            m.maximoKb = std::max(m.maximoKb, ResidenteKb() - antesKb);
            if (m.fila < 0 && enPantalla(lado))
                m.fila = double(reloj.nsecsElapsed()) / 1e6;
            if (m.fila < 0 || !v.CargaCompleta || !enPantalla(n))
                return false;
            m.completa = double(reloj.nsecsElapsed()) / 1e6;
            for (std::size_t i = 1; i < v.PBI.size(); ++i)
                m.vistas += v.PBI[i].Visible;
            return true;
        }, &cierre);
    };
    reloj.start();
    f.Form_KeyUp(F10, 0);
    Resultado("fila", std::vector<double>{m.fila});
    Resultado("completa", std::vector<double>{m.completa});
    Resultado("cerrar", std::vector<double>{cierre});
    Resultado("memoria", m.maximoKb / 1024);
    Resultado("antes", antesKb / 1024);
    Resultado("vistas", long(m.vistas));
    Esperar(300);

    double cache = -1;
    bool desdeCache = false;
    dialogos.medir = [&](FormMini &v) {
        const Pantallazo x(v);
        const QRect ultima = CajaDe(n, n, TamanoJpeg);
        Sondear(v, reloj, [&, x, ultima] {
            if (!v.DesdeCache || v.LBI.size() != std::size_t(n) + 1 || !Parecido(x.Leer(MarcaEn(ultima)), ColorPagina(n)))
                return false;
            cache = double(reloj.nsecsElapsed()) / 1e6;
            desdeCache = true;
            return true;
        });
    };
    reloj.start();
    f.Form_KeyUp(F10, 0);
    Resultado("cache", std::vector<double>{desdeCache ? cache : -1});
    return 0;
}

QString Lista(const std::vector<double> &v)
{
    QStringList l;
    for (double x : v)
        l << QString::number(x, 'f', 2);
    return l.join(' ');
}

// One thread, per page (the best of two passes over every page): libjpeg-turbo
// at the floor's scale, inflating the entry, and the thumbnail's own decode
// (the same, reduced to its box).
struct PorPagina {
    double decodificar = 0, inflar = 0, miniatura = 0;
};
PorPagina UnHilo(const QString &comic, const Paginas &paginas, unsigned escala, QSize caja)
{
    PorPagina r{1e9, 1e9, 1e9};
    const double n = double(paginas.size());
    std::vector<unsigned char> buffer;
    for (int pasada = 0; pasada < 2; ++pasada) {
        r.decodificar = std::min(r.decodificar, Ms([&] {
                                     for (const auto &p : paginas)
                                         Decodificar(p.Datos, escala, buffer);
                                 }) / n);
        r.inflar = std::min(r.inflar, Ms([&] {
                                archivo::LeerEntradas(comic, [](const QString &) { return true; },
                                                      [](const QString &, const QByteArray &) {});
                            }) / n);
        r.miniatura = std::min(r.miniatura, Ms([&] {
                                   for (const auto &p : paginas) {
                                       auto o = std::make_shared<OrigenPicture>();
                                       o->Datos = p.Datos;
                                       o->Nombre = p.Nombre;
                                       miniatura::Decodificar(o, [&](QSize) { return caja; });
                                   }
                               }) / n);
    }
    return r;
}

// The reading alone: one pass over the archive, every entry in memory; ms.
double Lectura(const QString &comic)
{
    return Ms([&] {
        archivo::LeerEntradas(comic, [](const QString &) { return true; }, [](const QString &, const QByteArray &) {});
    });
}

// The thumbnails made without a window (reading, decoding, reducing); ms.
double SinVentana(const QString &comic)
{
    Documento d;
    d.Abrir(comic);
    const int n = d.NumeroPaginas();
    return Ms([&] {
        CargaMiniaturas carga(d.Obreros(), d.Fuente(), d.Paginas,
                              [n](int i, QSize natural) { return CajaDe(n, i, natural).size(); });
        QEventLoop bucle;
        QObject::connect(&carga, &CargaMiniaturas::Listas, &bucle, [&] {
            carga.Tomar();
            if (carga.Terminada())
                bucle.quit();
        });
        bucle.exec();
    });
}

int Padre(int argc, char **argv)
{
    int corridas = 5, n = 100;
    bool offscreen = false, guardado = false;
    QString dir;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--offscreen")
            offscreen = true;
        else if (a == "--dir" && i + 1 < argc)
            dir = QFile::decodeName(argv[++i]);
        else if (a == "--stored")
            guardado = true;
        else if (a == "--pages" && i + 1 < argc)
            n = std::max(4, std::atoi(argv[++i]));
        else if (a.toInt() > 0)
            corridas = a.toInt();
        else {
            std::fprintf(stderr, "usage: tavelo-bench-mini [runs=5] [--pages N] [--stored] [--offscreen] [--dir FOLDER]\n");
            return 2;
        }
    }
    QTemporaryDir temporal;
    const QString plataforma = PlataformaDeHijos(argc, argv, offscreen, temporal.filePath("runtime"));
    QGuiApplication app(argc, argv);
    const Avance avance;

    const QString raiz = dir.isEmpty() ? temporal.path() : QDir(dir).absolutePath();
    QDir().mkpath(raiz);
    const QString comic = raiz + QStringLiteral("/mini%1%2.cbz").arg(n).arg(guardado ? "-stored" : "");
    Paginas paginas;
    if (QFile::exists(comic)) {
        avance("reading the comic drawn before: " + comic);
        archivo::LeerEntradas(comic, [](const QString &) { return true; },
                              [&](const QString &nombre, const QByteArray &datos) { paginas.push_back({nombre, datos}); });
    }
    if (int(paginas.size()) != n) {
        avance(QStringLiteral("drawing %1 pages of 2480 x 3508 (JPEG q90)").arg(n));
        paginas = Generar(n, TamanoJpeg, "JPG", 90, "jpg");
        if (!EscribirZip(comic, paginas, !guardado)) {
            std::fprintf(stderr, "tavelo-bench-mini: cannot write %s\n", qPrintable(comic));
            return 1;
        }
    }
    qint64 bytes = 0;
    for (const auto &p : paginas)
        bytes += p.Datos.size();

    // The thumbnails' DCT scale: what a box of the grid needs.
    const QSize caja = CajaDe(n, 1, TamanoJpeg).size();
    const unsigned escala = unsigned(decodificadorJpeg::EscalaDct(TamanoJpeg, caja));
    const unsigned hilos = std::max(1u, std::thread::hardware_concurrency());

    const auto entorno = [&](int k) { return EntornoHijo(raiz + QStringLiteral("/hijos/%1").arg(k), plataforma); };
    // The first row alone: its pages decoded the same way.
    const Paginas primeraFila(paginas.begin(), paginas.begin() + std::min<int>(n, mini::Lado(n)));
    std::vector<double> razones, razonesFila;
    std::vector<double> lecturas, solas, suelos, suelosFila, filas, completas, caches, cierres, memorias, antes;
    int fallos = 0;
    for (int k = 0; k < corridas; ++k) {
        avance(QStringLiteral("run %1 of %2: the floor, then F10 twice").arg(k + 1).arg(corridas));
        // The floor just before and just after each F10 run, so that a
        // change of load between runs moves both alike.
        std::vector<double> suelo, sueloFila;
        const auto medirSuelo = [&] {
            for (int s = 0; s < 2; ++s) {
                suelo.push_back(Suelo(paginas, escala, hilos));
                sueloFila.push_back(Suelo(primeraFila, escala, hilos));
            }
        };
        lecturas.push_back(Lectura(comic));
        solas.push_back(SinVentana(comic));
        medirSuelo();
        const Medidas m = Hijo({"--hijo", comic}, entorno(k));
        medirSuelo();
        suelos.insert(suelos.end(), suelo.begin(), suelo.end());
        suelosFila.insert(suelosFila.end(), sueloFila.begin(), sueloFila.end());
        if (!m.ok || m("completa") < 0 || m("fila") < 0 || m("cache") < 0 || m("vistas") != n) {
            ++fallos;
            continue;
        }
        filas.push_back(m("fila"));
        completas.push_back(m("completa"));
        razones.push_back(m("completa") / Mediana(suelo));
        razonesFila.push_back(m("fila") / Mediana(sueloFila));
        caches.push_back(m("cache"));
        cierres.push_back(m("cerrar"));
        memorias.push_back(m("memoria"));
        antes.push_back(m("antes"));
    }

    avance("one thread, page by page");
    const PorPagina unHilo = UnHilo(comic, paginas, escala, caja);
    const double suelo = Mediana(suelos);
    double cargaMedia[3] = {0, 0, 0};
    if (std::FILE *carga = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(carga, "%lf %lf %lf", &cargaMedia[0], &cargaMedia[1], &cargaMedia[2]) != 3)
            cargaMedia[0] = 0;
        std::fclose(carga);
    }
    std::printf("Tavelo mini pages: %d JPEG pages of 2480 x 3508 at q90 (%.2f MB on average), deflated CBZ;\n"
                "window %d x %d on %s; %u cores; load average at the end %.1f\n\n",
                n, bytes / double(n) / 1e6, Pantalla.width(), Pantalla.height(),
                plataforma == "xcb" ? qPrintable("X server " + qEnvironmentVariable("DISPLAY")) : "no X server (offscreen)",
                hilos, cargaMedia[0]);
    std::printf("floor: libjpeg-turbo from memory, DCT-scaled %u/8 for boxes of %d x %d, %u threads\n", escala,
                caja.width(), caja.height(), hilos);
    std::printf("  all %d pages                 %8.1f ms (median of %zu, best %.1f)\n", n, suelo, suelos.size(),
                suelos.empty() ? 0.0 : *std::min_element(suelos.begin(), suelos.end()));
    std::printf("  the first row's %zu pages        %8.1f ms\n", primeraFila.size(), Mediana(suelosFila));
    std::printf("beside it, on the same pages\n");
    std::printf("  %-30s %8.1f ms   (one thread: inflating every entry)\n", "reading the CBZ alone", Mediana(lecturas));
    std::printf("  %-30s %8.1f ms   (reading, decoding, reducing; no window)\n", "thumbnails without a window",
                Mediana(solas));
    std::printf("one page on one thread (best of two passes over all)\n");
    std::printf("  %-30s %8.2f ms\n", "libjpeg-turbo at the floor's scale", unHilo.decodificar);
    std::printf("  %-30s %8.2f ms\n", "inflating its entry", unHilo.inflar);
    std::printf("  %-30s %8.2f ms   (DCT-scaled and reduced to its box)\n", "the thumbnail's decode", unHilo.miniatura);
    std::printf("  so no schedule over %u cores makes the grid in less than %.2f x the floor\n\n", hilos,
                (unHilo.miniatura + unHilo.inflar) / unHilo.decodificar);
    const auto linea = [&](const char *que, const std::vector<double> &v, double objetivo, bool sobreSuelo) {
        if (v.empty()) {
            std::printf("  %-30s   failed\n", que);
            return;
        }
        const double med = Mediana(v);
        const double lim = sobreSuelo ? objetivo * suelo : objetivo;
        std::printf("  %-30s %8.1f ms   (%.1f to %.1f)   target %7.1f ms%s   %s\n", que, med,
                    *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()), lim,
                    sobreSuelo ? QStringLiteral(" = %1 x floor").arg(objetivo).toLatin1().constData() : "",
                    med <= lim ? "ok" : "MISSED");
    };
    std::printf("F10, medians of %zu runs (each a fresh viewer)\n", completas.size());
    linea("first row on the screen", filas, 150, false);
    if (!filas.empty())
        std::printf("  %-30s %8.2f x its floor   (median of each run's ratio)\n", "first row / its floor",
                    Mediana(razonesFila));
    linea("whole grid on the screen", completas, 1.25, true);
    if (!completas.empty())
        std::printf("  %-30s %8.2f x floor   (median of each run's ratio: %s)   %s\n", "whole grid / floor",
                    Mediana(razones), qPrintable(Lista(razones)), Mediana(razones) <= 1.25 ? "ok" : "MISSED");
    linea("cached grid on the screen", caches, 100, false);
    std::printf("  %-30s %8.1f ms   (writing the cache at close)\n\n",
                "close", cierres.empty() ? 0.0 : Mediana(cierres));
    std::printf("memory while the grid is made, above the viewer's before F10 (%0.f MB)\n", Mediana(antes));
    if (!memorias.empty())
        std::printf("  %-30s %8.0f MB   (worst %.0f)   target 60 MB   %s\n", "resident, peak", Mediana(memorias),
                    *std::max_element(memorias.begin(), memorias.end()),
                    *std::max_element(memorias.begin(), memorias.end()) <= 60 ? "ok" : "MISSED");
    std::printf("\nruns failed: %d. Times from the F10 key until the thumbnails' own colours are read back\n"
                "from the X server (first row: page %d; whole grid: page %d); the cached grid: page %d's\n"
                "colour in the cached picture with every hot spot in place. Total %.0f s.\n",
                fallos, mini::Lado(n), n, n, avance.Segundos());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && argv[1] == std::string("--hijo")) {
        QApplication app(argc, argv);
        Comandos::FinDelProceso() = [] {};
        const int r = Medir(QFile::decodeName(argv[2]));
        std::fflush(stdout);
        return r;
    }
    return Padre(argc, argv);
}
