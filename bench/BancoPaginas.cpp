// The page pipeline benchmark: how long a reader waits on a real Form1 of
// 1920 x 1080 (offscreen) to open a comic and to turn its pages, and how much
// memory it takes, against two references on the same pages: the
// straightforward path (extract to a file, decode it whole, scale it) and the
// floor (libjpeg-turbo alone decoding the bytes from memory at the size the
// screen needs). Medians over every page, so figures hold on a noisy machine.
//
//   tavelo-bench [pages=60]
#include "archive/Archivo.h"
#include "archive/ccZip.h"
#include "shell/modGeneral.h"
#include "viewer/Form1.h"
#include "viewer/modDocumento.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>
#include <jpeglib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr QSize Pantalla(1920, 1080);

// A scanned-looking page: paper grain, panels, hatching and lettering, so
// that JPEG at quality 90 lands near 1.5 MB as real 300-dpi scans do.
QImage DibujarPagina(int n, QSize tamano)
{
    QImage i(tamano, QImage::Format_RGB32);
    QRandomGenerator g(n * 7919u);
    auto *bits = reinterpret_cast<quint32 *>(i.bits());
    const qsizetype total = qsizetype(tamano.width()) * tamano.height();
    for (qsizetype k = 0; k < total; ++k) {
        const int v = 225 + int(g.bounded(14));
        bits[k] = qRgb(v, v - 6, v - 18);
    }
    QPainter p(&i);
    p.setRenderHint(QPainter::Antialiasing);
    for (int panel = 0; panel < 6; ++panel) {
        const QRect r(120 + (panel % 2) * 1140, 140 + (panel / 2) * 1100, 1100, 1040);
        p.setPen(QPen(Qt::black, 10));
        p.setBrush(QColor::fromHsv((n * 37 + panel * 50) % 360, 90, 235));
        p.drawRect(r.intersected(i.rect()));
        p.setPen(QPen(QColor(30, 30, 30), 2));
        for (int l = 0; l < 160; ++l)
            p.drawLine(r.left() + int(g.bounded(r.width())), r.top() + int(g.bounded(r.height())),
                       r.left() + int(g.bounded(r.width())), r.top() + int(g.bounded(r.height())));
    }
    QFont f("DejaVu Sans");
    f.setPixelSize(36);
    p.setFont(f);
    p.setPen(Qt::black);
    for (int linea = 0; linea < 40; ++linea)
        p.drawText(160, 200 + linea * 80, QStringLiteral("Page %1 - a line of lettering to read, %2").arg(n).arg(linea));
    return i;
}

QByteArray Codificar(const QImage &i, const char *formato, int calidad)
{
    QByteArray d;
    QBuffer b(&d);
    b.open(QIODevice::WriteOnly);
    i.save(&b, formato, calidad);
    return d;
}

bool EscribirZip(const QString &ruta, const std::vector<std::pair<QString, QByteArray>> &paginas, bool deflate)
{
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    if (!deflate)
        archive_write_set_options(a, "zip:compression=store");
    bool ok = archive_write_open_filename(a, QFile::encodeName(ruta).constData()) == ARCHIVE_OK;
    for (const auto &[nombre, datos] : paginas) {
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname_utf8(e, nombre.toUtf8().constData());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, datos.size());
        ok = ok && archive_write_header(a, e) == ARCHIVE_OK
             && archive_write_data(a, datos.constData(), size_t(datos.size())) == datos.size();
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

double Mediana(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Ms(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

long PicoMemoriaMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

void Esperar(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, ms - int(t.elapsed()));
}

// The straightforward path: extract to a file, decode it whole, scale it.
QImage Directo(ccZip &zip, const QString &nombre, const QString &carpeta)
{
    zip.Decompress(carpeta, nombre);
    QImage i(carpeta + nombre);
    QFile::remove(carpeta + nombre);
    return i.scaled(Pantalla, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The floor: libjpeg-turbo from memory, DCT-scaled to the smallest size that
// still covers the screen.
int Suelo(const QByteArray &datos)
{
    jpeg_decompress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char *>(datos.constData()), static_cast<unsigned long>(datos.size()));
    jpeg_read_header(&c, TRUE);
    unsigned num = 8;
    while (num > 1 && c.image_height * (num - 1) / 8 >= unsigned(Pantalla.height())
           && c.image_width * (num - 1) / 8 >= unsigned(Pantalla.width()) / 2)
        --num;
    c.scale_num = num;
    c.scale_denom = 8;
    c.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&c);
    std::vector<unsigned char> fila(size_t(c.output_width) * 4);
    while (c.output_scanline < c.output_height) {
        unsigned char *p = fila.data();
        jpeg_read_scanlines(&c, &p, 1);
    }
    const int alto = int(c.output_height);
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return alto;
}

struct Resultado {
    double abrir = 0, frio = 0, lectura = 0;
    long memoriaLeyendo = 0, memoriaSaltando = 0;
};

Resultado MedirVisor(const QString &ruta, int paginas)
{
    Resultado r;
    Form1 f;
    f.resize(Pantalla);
    f.show();
    Esperar(200);
    r.abrir = Ms([&] {
        f.AbrirArchivo(ruta, true);
        f.repaint();
    });
    std::vector<double> frios, lecturas;
    for (int i = 1; i < paginas; ++i) {
        const bool leer = i % 2 == 0;
        if (leer)
            Esperar(300); // the reader looks at the page
        const double t = Ms([&] {
            f.Form_KeyUp(' ', 0);
            f.repaint();
        });
        (leer ? lecturas : frios).push_back(t);
    }
    r.frio = Mediana(frios);
    r.lectura = Mediana(lecturas);
    r.memoriaLeyendo = PicoMemoriaMb();
    QRandomGenerator g(42);
    for (int i = 0; i < 20; ++i) {
        f.VerImagen(std::int16_t(1 + g.bounded(paginas)));
        f.repaint();
    }
    r.memoriaSaltando = PicoMemoriaMb();
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir raiz;
    qputenv("TAVELO_HOME", QFile::encodeName(raiz.filePath("home")));
    qputenv("TMPDIR", QFile::encodeName(raiz.filePath("tmp")));
    QDir().mkpath(raiz.filePath("home"));
    QDir().mkpath(raiz.filePath("tmp"));
    QApplication app(argc, argv);
    Form1::FinDelProceso() = [] {};
    const int n = argc > 1 ? std::max(4, atoi(argv[1])) : 60;

    std::printf("Drawing %d pages of 2480 x 3508 (JPEG q90) and %d of 1600 x 2400 (PNG)...\n", n, std::max(3, n / 6));
    std::vector<std::pair<QString, QByteArray>> jpg, png;
    qint64 bytes = 0;
    for (int i = 1; i <= n; ++i) {
        jpg.emplace_back(QString("p%1.jpg").arg(i, 3, 10, QChar('0')), Codificar(DibujarPagina(i, {2480, 3508}), "JPG", 90));
        bytes += jpg.back().second.size();
    }
    const int nPng = std::max(3, n / 6);
    for (int i = 1; i <= nPng; ++i)
        png.emplace_back(QString("p%1.png").arg(i, 3, 10, QChar('0')),
                         Codificar(DibujarPagina(i, {1600, 2400}), "PNG", -1));
    std::printf("JPEG pages: %.2f MB on average\n", bytes / double(n) / 1e6);
    const QString deflate = raiz.filePath("deflate.cbz"), stored = raiz.filePath("stored.cbz");
    const QString pngs = raiz.filePath("png.cbz"), carpeta = raiz.filePath("carpeta/");
    EscribirZip(deflate, jpg, true);
    EscribirZip(stored, jpg, false);
    EscribirZip(pngs, png, true);
    QDir().mkpath(carpeta);
    for (const auto &[nombre, datos] : jpg) {
        QFile f(carpeta + nombre);
        f.open(QIODevice::WriteOnly);
        f.write(datos);
    }

    // References on the same pages.
    ccZip zip;
    zip.Init(deflate);
    std::vector<double> directo, suelo;
    for (const auto &[nombre, datos] : jpg) {
        directo.push_back(Ms([&] { Directo(zip, nombre, modGeneral::CarpetaTemporal()); }));
        suelo.push_back(Ms([&] { Suelo(datos); }));
    }
    const double refDirecto = Mediana(directo), refSuelo = Mediana(suelo);
    std::printf("\nreference, straightforward path (deflated CBZ): %8.1f ms per page\n", refDirecto);
    std::printf("reference, floor (libjpeg-turbo from memory):  %8.1f ms per page\n\n", refSuelo);

    std::printf("%-16s %10s %22s %22s %10s %10s\n", "document", "open ms", "cold turn ms (x ref)",
                "reading turn ms (x ref)", "peak MB", "jumps MB");
    for (const auto &[nombre, ruta, paginas] :
         {std::tuple{"deflated CBZ", deflate, n}, std::tuple{"stored CBZ", stored, n},
          std::tuple{"folder", carpeta + "p001.jpg", n}, std::tuple{"PNG CBZ", pngs, nPng}}) {
        modDocumento::Reiniciar();
        const Resultado r = MedirVisor(ruta, paginas);
        std::printf("%-16s %10.1f %9.1f (%4.2f/%5.1f) %9.1f (%4.2f/%5.1f) %10ld %10ld\n", nombre, r.abrir, r.frio,
                    r.frio / refDirecto, r.frio / refSuelo, r.lectura, r.lectura / refDirecto,
                    r.lectura / refSuelo, r.memoriaLeyendo, r.memoriaSaltando);
    }
    std::printf("\n(x ref: the time divided by the straightforward path / by the floor)\n");
    return 0;
}
