// The page pipeline benchmark: how long a reader waits on a real Form1 of
// 1920 x 1080 to open a comic and to turn its pages, timed from the call to
// the new page's own colour read back from the X server, and how much memory
// it takes; against two references on the same pages: the straightforward
// path (extract to a file, decode it whole, scale it) and the floor
// (libjpeg-turbo alone decoding the bytes from memory at the size the screen
// needs). Medians over every turn, so figures hold on a noisy machine.
//
//   tavelo-bench [pages=60] [--offscreen] [--dir FOLDER]
//
// Without DISPLAY it runs itself again under xvfb-run; --offscreen reads the
// window's backing store instead. --dir keeps the drawn comic there. Each
// measurement runs in a child process of its own (--hijo), so peak memory
// belongs to one document.
#include "archive/ccZip.h"
#include "constructores/Constructores.h"
#include "shell/modGeneral.h"
#include "viewer/Form1.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
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

constexpr QSize Pantalla(1920, 1080);
constexpr QSize TamanoJpeg(2480, 3508);
constexpr QSize TamanoPng(1600, 2400);
// Where each page carries its own flat colour, as a fraction of the page:
// in the sky of the first panel, on screen in every display mode.
constexpr double MarcaX = 0.20, MarcaY = 0.09;
constexpr int TopeMs = 2000;   // a page not on the screen by then counts as failed
constexpr int Lectura = 300;   // how long the reader looks at a page
constexpr int Reposo = 200;    // for the viewer's background work to end before a new start
constexpr int Saltos = 12;

const char *const NombresModo[] = {"", "fit to screen", "real size", "fit to width", "fit to height",
                                   "stretched to screen", "real size, following pointer", "continuous",
                                   "two pages"};

QColor ColorPagina(int n)
{
    // Neighbouring pages differ by 47 degrees of hue: far apart in RGB.
    return QColor::fromHsv((n * 47) % 360, 170, 225);
}

// ---------------------------------------------------------------- drawing

// One panel's drawing: flat and graded colour, figures in ink, hatching,
// loose strokes and a balloon of lettering, like a coloured comic page.
void DibujarVineta(QPainter &p, const QRectF &r, int n, int indice, double s, QRandomGenerator &g)
{
    const auto azar = [&](double a, double b) { return a + (b - a) * g.generateDouble(); };
    const auto punto = [&](const QRectF &z) { return QPointF(azar(z.left(), z.right()), azar(z.top(), z.bottom())); };
    const int tono = (n * 47 + indice * 61) % 360;
    p.save();
    p.setClipRect(r);
    if (indice == 0) {
        // The page's own colour, flat, over the top of the first panel.
        p.fillRect(r, QColor::fromHsv((tono + 30) % 360, 60, 200));
        p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() * 0.45), ColorPagina(n));
    } else {
        QLinearGradient fondo(r.topLeft(), r.bottomRight());
        fondo.setColorAt(0, QColor::fromHsv(tono, 80, 235));
        fondo.setColorAt(1, QColor::fromHsv((tono + 40) % 360, 120, 170));
        p.fillRect(r, fondo);
    }
    const QRectF suelo(r.left(), r.top() + r.height() * 0.5, r.width(), r.height() * 0.5);
    // Buildings or furniture: flat blocks with windows.
    p.setPen(QPen(Qt::black, 5 * s));
    for (int b = 0; b < 4; ++b) {
        const double w = azar(0.1, 0.22) * r.width(), h = azar(0.15, 0.4) * r.height();
        const QRectF caja(azar(r.left(), r.right() - w), suelo.bottom() - h - azar(0, 0.1) * r.height(), w, h);
        p.setBrush(QColor::fromHsv((tono + 180 + b * 20) % 360, 70, int(azar(120, 210))));
        p.drawRect(caja);
        p.setBrush(QColor(250, 235, 160));
        for (double y = caja.top() + 20 * s; y + 40 * s < caja.bottom(); y += 70 * s)
            for (double x = caja.left() + 18 * s; x + 30 * s < caja.right(); x += 55 * s)
                p.drawRect(QRectF(x, y, 28 * s, 36 * s));
    }
    // Hatched shadow on the ground.
    p.save();
    QPainterPath sombra;
    sombra.addEllipse(QRectF(suelo.left() + suelo.width() * 0.1, suelo.top() + suelo.height() * 0.55,
                             suelo.width() * 0.8, suelo.height() * 0.35));
    p.setClipPath(sombra, Qt::IntersectClip);
    p.setPen(QPen(QColor(25, 25, 35), 2.5 * s));
    for (double d = -r.height(); d < r.width(); d += 13 * s)
        p.drawLine(QPointF(r.left() + d, r.bottom()), QPointF(r.left() + d + r.height(), r.top()));
    p.restore();
    // Speed lines across the background.
    if (indice != 0) {
        p.setPen(QPen(QColor::fromHsv(tono, 90, 110), 2 * s));
        for (int l = 0; l < 40; ++l) {
            const double y = azar(r.top(), suelo.top()), x0 = azar(r.left(), r.right());
            p.drawLine(QPointF(x0, y), QPointF(x0 + azar(80, 400) * s, y));
        }
    }
    // Two figures: heads, bodies and arms, flat colours in ink.
    for (int f = 0; f < 2; ++f) {
        const double alto = r.height() * azar(0.45, 0.6);
        const QPointF pie(r.left() + r.width() * (0.3 + 0.4 * f) + azar(-0.05, 0.05) * r.width(),
                          r.bottom() - r.height() * 0.08);
        const double cabeza = alto * 0.17;
        QPainterPath cuerpo;
        cuerpo.moveTo(pie + QPointF(-alto * 0.16, 0));
        cuerpo.cubicTo(pie + QPointF(-alto * 0.2, -alto * 0.5), pie + QPointF(-alto * 0.14, -alto * 0.75),
                       pie + QPointF(0, -alto * 0.8));
        cuerpo.cubicTo(pie + QPointF(alto * 0.14, -alto * 0.75), pie + QPointF(alto * 0.2, -alto * 0.5),
                       pie + QPointF(alto * 0.16, 0));
        cuerpo.closeSubpath();
        QLinearGradient ropa(pie + QPointF(-alto * 0.2, 0), pie + QPointF(alto * 0.2, 0));
        ropa.setColorAt(0, QColor::fromHsv((tono + 120 + f * 90) % 360, 200, 210));
        ropa.setColorAt(1, QColor::fromHsv((tono + 120 + f * 90) % 360, 220, 120));
        p.setPen(QPen(Qt::black, 6 * s));
        p.setBrush(ropa);
        p.drawPath(cuerpo);
        // Cross-hatched shade down one side of the body.
        p.save();
        p.setClipPath(cuerpo, Qt::IntersectClip);
        p.setClipRect(QRectF(pie.x() + alto * 0.04, pie.y() - alto, alto * 0.2, alto), Qt::IntersectClip);
        p.setPen(QPen(QColor(15, 15, 25), 2 * s));
        for (double d = -alto; d < alto; d += 11 * s) {
            p.drawLine(pie + QPointF(d, 0), pie + QPointF(d + alto, -alto));
            p.drawLine(pie + QPointF(d, -alto), pie + QPointF(d + alto, 0));
        }
        p.restore();
        p.setPen(QPen(Qt::black, 6 * s));
        p.setBrush(QColor(240, 200, 165));
        const QPointF centro = pie + QPointF(0, -alto * 0.8 - cabeza);
        p.drawEllipse(centro, cabeza * 0.85, cabeza);
        p.setBrush(Qt::black);
        p.drawEllipse(centro + QPointF(-cabeza * 0.3, -cabeza * 0.1), 5 * s, 7 * s);
        p.drawEllipse(centro + QPointF(cabeza * 0.3, -cabeza * 0.1), 5 * s, 7 * s);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(centro.x() - cabeza * 0.4, centro.y(), cabeza * 0.8, cabeza * 0.5), 200 * 16, 140 * 16);
        p.setPen(QPen(Qt::black, 9 * s, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(pie + QPointF(-alto * 0.12, -alto * 0.65), pie + QPointF(-alto * 0.3, -alto * 0.35));
        p.drawLine(pie + QPointF(alto * 0.12, -alto * 0.65), pie + QPointF(alto * 0.32, -alto * 0.8));
    }
    // Loose ink strokes: speed lines, folds, grass.
    p.setPen(QPen(QColor(20, 20, 20), 3 * s, Qt::SolidLine, Qt::RoundCap));
    for (int l = 0; l < 18; ++l) {
        const QPointF a = punto(suelo), b = a + QPointF(azar(-120, 120) * s, azar(-120, 120) * s);
        QPainterPath trazo(a);
        trazo.quadTo(punto(QRectF(a, b).normalized().adjusted(-30 * s, -30 * s, 30 * s, 30 * s)), b);
        p.drawPath(trazo);
    }
    // A balloon with lettering, away from the first panel's sky.
    QFont letra(QStringLiteral("DejaVu Sans"));
    letra.setPixelSize(int(34 * s));
    letra.setBold(true);
    p.setFont(letra);
    const QRectF globo(r.left() + r.width() * (indice % 2 ? 0.08 : 0.45), r.top() + r.height() * (indice == 0 ? 0.5 : 0.06),
                       r.width() * 0.47, r.height() * 0.26);
    p.setPen(QPen(Qt::black, 5 * s));
    p.setBrush(Qt::white);
    p.drawEllipse(globo);
    p.setPen(Qt::black);
    p.drawText(globo.adjusted(globo.width() * 0.14, globo.height() * 0.16, -globo.width() * 0.14, -globo.height() * 0.16),
               Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("PAGE %1! WHERE DID THE SIGNAL GO? WE HAVE %2 MINUTES LEFT...").arg(n).arg(indice + 2));
    p.restore();
    p.setPen(QPen(Qt::black, 10 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// A coloured comic page as a 300-dpi scan gives it: a faint paper grain,
// six panels and a caption; JPEG at quality 90 lands near 1.5 MB.
QImage DibujarPagina(int n, QSize tamano)
{
    QImage i(tamano, QImage::Format_RGB32);
    QRandomGenerator g(n * 7919u + unsigned(tamano.width()));
    const double W = tamano.width(), H = tamano.height(), s = W / TamanoJpeg.width();
    auto *bits = reinterpret_cast<quint32 *>(i.bits());
    const qsizetype total = qsizetype(tamano.width()) * tamano.height();
    for (qsizetype k = 0; k < total; ++k) {
        const int v = 238 + int(g.bounded(6));
        bits[k] = qRgb(v, v - 4, v - 12);
    }
    QPainter p(&i);
    p.setRenderHint(QPainter::Antialiasing);
    const double margenX = 0.048 * W, margenY = 0.04 * H, hueco = 0.02 * H;
    const double ancho = (W - 2 * margenX - 0.03 * W) / 2, alto = (H - 2 * margenY - 2 * hueco) / 3;
    for (int v = 0; v < 6; ++v)
        DibujarVineta(p, QRectF(margenX + (v % 2) * (ancho + 0.03 * W), margenY + (v / 2) * (alto + hueco), ancho, alto),
                      n, v, s, g);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(30 * s));
    p.setFont(f);
    p.setPen(Qt::black);
    const QRectF rotulo(margenX + ancho + 0.03 * W + 20 * s, margenY + alto * 0.84 - 20 * s, ancho * 0.6, alto * 0.14);
    p.fillRect(rotulo, QColor(250, 230, 120));
    p.drawRect(rotulo);
    p.drawText(rotulo.adjusted(12 * s, 8 * s, -12 * s, -8 * s), Qt::TextWordWrap,
               QStringLiteral("Meanwhile, on the other side of the city, page %1 begins...").arg(n));
    p.drawText(QRectF(0, H - margenY + 10 * s, W, margenY - 20 * s), Qt::AlignCenter, QString::number(n));
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

using Paginas = std::vector<constructores::EntradaNueva>;

// Drawn and encoded on every core: this is set-up, not measured.
Paginas Generar(int n, QSize tamano, const char *formato, int calidad, const char *extension)
{
    Paginas paginas(static_cast<size_t>(n));
    const unsigned hilos = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::jthread> trabajo;
    for (unsigned h = 0; h < hilos; ++h)
        trabajo.emplace_back([&, h] {
            for (int i = int(h); i < n; i += int(hilos))
                paginas[size_t(i)] = {QStringLiteral("p%1.%2").arg(i + 1, 3, 10, QChar('0')).arg(extension),
                                      Codificar(DibujarPagina(i + 1, tamano), formato, calidad)};
        });
    trabajo.clear();
    return paginas;
}

bool EscribirZip(const QString &ruta, const Paginas &paginas, bool deflate)
{
    return constructores::EscribirZip(ruta, paginas, {}, {}, deflate);
}

// ---------------------------------------------------------------- measuring

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

// The peak resident size of this process image. Not getrusage's ru_maxrss:
// that keeps, across exec, the size of the parent this child was forked from.
long PicoMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string linea; std::getline(status, linea);)
        if (linea.rfind("VmHWM:", 0) == 0)
            return std::atol(linea.c_str() + 6) / 1024;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

long ActualMb()
{
    std::ifstream statm("/proc/self/statm");
    long total = 0, residente = 0;
    statm >> total >> residente;
    return residente * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

// Event-loop time for the viewer, sleeping rather than spinning so that its
// background work has the cores.
void Esperar(int ms)
{
    QEventLoop bucle;
    QTimer::singleShot(ms, Qt::PreciseTimer, &bucle, &QEventLoop::quit);
    bucle.exec();
}

// The straightforward path: extract to a file, decode it whole, scale it.
QImage Directo(ccZip &zip, const QString &nombre, const QString &carpeta)
{
    zip.Decompress(carpeta, nombre);
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

// What the screen shows: a few pixels read back from the X server (or, with
// --offscreen, from the window's backing store).
class Pantallazo {
public:
    explicit Pantallazo(QWidget &w) : w_(w)
    {
#ifdef TAVELO_BENCH_XCB
        if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            x_ = x11->connection();
#endif
    }
    // The mean colour of the 4 x 4 pixels at `p`, window coordinates.
    QColor Leer(QPoint p) const
    {
        p.setX(std::clamp(p.x(), 0, w_.width() - Lado));
        p.setY(std::clamp(p.y(), 0, w_.height() - Lado));
        int r = 0, g = 0, b = 0;
#ifdef TAVELO_BENCH_XCB
        if (x_) {
            const auto pedido = xcb_get_image(x_, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(w_.winId()), std::int16_t(p.x()),
                                              std::int16_t(p.y()), Lado, Lado, ~0u);
            std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> img(xcb_get_image_reply(x_, pedido, nullptr),
                                                                            std::free);
            if (!img || xcb_get_image_data_length(img.get()) < Lado * Lado * 4)
                return {};
            const std::uint8_t *d = xcb_get_image_data(img.get());
            for (int k = 0; k < Lado * Lado; ++k, d += 4) {
                b += d[0];
                g += d[1];
                r += d[2];
            }
            return QColor(r / (Lado * Lado), g / (Lado * Lado), b / (Lado * Lado));
        }
#endif
        const QImage img = w_.screen()->grabWindow(w_.winId(), p.x(), p.y(), Lado, Lado).toImage();
        if (img.width() < Lado || img.height() < Lado)
            return {};
        for (int y = 0; y < Lado; ++y)
            for (int x = 0; x < Lado; ++x) {
                const QRgb c = img.pixel(x, y);
                r += qRed(c);
                g += qGreen(c);
                b += qBlue(c);
            }
        return QColor(r / (Lado * Lado), g / (Lado * Lado), b / (Lado * Lado));
    }

private:
    static constexpr int Lado = 4;
    QWidget &w_;
#ifdef TAVELO_BENCH_XCB
    xcb_connection_t *x_ = nullptr;
#endif
};

bool Parecido(const QColor &a, const QColor &b)
{
    // JPEG and scaling move a flat colour by a few levels; neighbouring
    // pages differ by far more.
    return a.isValid() && std::abs(a.red() - b.red()) <= 28 && std::abs(a.green() - b.green()) <= 28
           && std::abs(a.blue() - b.blue()) <= 28;
}

// Where the current page's own colour is on the screen, whatever its layout.
QPoint Marca(Form1 &f)
{
    constexpr int tw = modGeneral::TwipsPorPixel;
    return QPoint(int((f.Vista().Imagen.Left + MarcaX * f.Vista().Imagen.Width) / tw), int((f.Vista().Imagen.Top + MarcaY * f.Vista().Imagen.Height) / tw));
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

void Resultado(const char *clave, const std::vector<double> &tiempos)
{
    std::vector<double> validos;
    std::copy_if(tiempos.begin(), tiempos.end(), std::back_inserter(validos), [](double t) { return t >= 0; });
    std::printf("= %s %.3f %zu %zu\n", clave, Mediana(validos), validos.size(), tiempos.size() - validos.size());
}

void Resultado(const char *clave, long valor)
{
    std::printf("= %s %ld\n", clave, valor);
}

bool Mostrar(Form1 &f)
{
    // Without a window manager this is the whole screen, as showFullScreen
    // gives it in the program.
    f.setGeometry(QRect(QPoint(0, 0), Pantalla));
    f.show();
    QElapsedTimer t;
    t.start();
    while (!(f.windowHandle() && f.windowHandle()->isExposed()) && t.elapsed() < 5000)
        Esperar(10);
    Esperar(200);
    if (f.size() != Pantalla)
        std::fprintf(stderr, "tavelo-bench: the window is %d x %d, not %d x %d\n", f.width(), f.height(),
                     Pantalla.width(), Pantalla.height());
    return f.windowHandle() && f.windowHandle()->isExposed();
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

// A child, in display mode `modo`. Cold turns first: a key straight after a
// jump to a page not seen before, so nothing ahead of it can be ready (the
// samples lie far enough apart for any look-ahead of a few pages). Then the
// document read forward, the whole of it with `entero`, else 24 turns: every
// other turn after the reader has looked at the page (reading), the rest
// straight after the previous turn (quick). With `entero`, jumps around last.
int HijoLeer(const QString &ruta, int modo, bool entero)
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
    const auto saltarA = [&](int p) {
        f.Vista().PaginaActual = std::int16_t(p);
        f.VerImagen(f.Vista().PaginaActual);
        QCoreApplication::processEvents();
        if (f.Vista().ModoAjuste == diseno::Modo::Continuo) {
            f.Vista().Imagen.Tag = QString::number(p);
            f.Vista().ActivaContinuo();
        }
    };
    std::vector<double> frios;
    // The open had the first pages and the last (one behind page 1) prepared.
    for (int c = 5; c + paso < paginas; c += 4 + 2 * paso) {
        Esperar(Reposo);
        frios.push_back(HastaVerla(f, x, [&] { saltarA(c); }, c) < 0
                            ? -1
                            : HastaVerla(f, x, [&] { f.Form_KeyUp(' ', 0); }, c + paso));
    }
    Resultado("frio", frios);
    Esperar(Lectura);
    HastaVerla(f, x, [&] { saltarA(1); }, 1);

    std::vector<double> lecturas, rapidos;
    int pagina = 1;
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

// ---------------------------------------------------------------- the run

struct Medidas {
    QMap<QString, std::vector<double>> valores;
    bool ok = false;

    double operator()(const char *clave, int i = 0) const
    {
        const auto v = valores.value(QString::fromLatin1(clave));
        return i < int(v.size()) ? v[size_t(i)] : 0;
    }
};

Medidas Hijo(const QStringList &argumentos, const QProcessEnvironment &entorno)
{
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), argumentos);
    p.waitForFinished(-1);
    Medidas m;
    m.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    for (const QByteArray &linea : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> partes = linea.simplified().split(' ');
        if (partes.size() < 3 || partes[0] != "=")
            continue;
        std::vector<double> &v = m.valores[QString::fromLatin1(partes[1])];
        for (qsizetype i = 2; i < partes.size(); ++i)
            v.push_back(partes[i].toDouble());
    }
    if (!m.ok)
        std::fprintf(stderr, "tavelo-bench: %s failed\n", qPrintable(argumentos.join(' ')));
    return m;
}

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

// Re-runs this program under a virtual X server when there is no display.
void BajoXvfb(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (qEnvironmentVariableIsSet("TAVELO_BENCH_XVFB")) {
        std::fprintf(stderr, "tavelo-bench: xvfb-run gave no display; try --offscreen\n");
        std::exit(1);
    }
    setenv("TAVELO_BENCH_XVFB", "1", 1);
    std::string yo = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> texto = {"xvfb-run", "-a", "-s", "-screen 0 1920x1080x24", yo};
    for (int i = 1; i < argc; ++i)
        texto.emplace_back(argv[i]);
    std::vector<char *> args;
    for (std::string &a : texto)
        args.push_back(a.data());
    args.push_back(nullptr);
    execvp("xvfb-run", args.data());
    std::fprintf(stderr, "tavelo-bench: no xvfb-run (%s); measuring offscreen\n", std::strerror(errno));
    unsetenv("TAVELO_BENCH_XVFB");
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

int Padre(int argc, char **argv)
{
    int n = 60;
    bool offscreen = false;
    QString dir;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--offscreen")
            offscreen = true;
        else if (a == "--dir" && i + 1 < argc)
            dir = QFile::decodeName(argv[++i]);
        else if (a.toInt() > 0)
            n = std::max(4, a.toInt());
        else {
            std::fprintf(stderr, "usage: tavelo-bench [pages=60] [--offscreen] [--dir FOLDER]\n");
            return 2;
        }
    }
    if (offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else
        BajoXvfb(argc, argv);
    const QString plataforma = qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb"));
    // The parent only draws; the children show the window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir temporal;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QDir().mkpath(temporal.filePath("runtime"));
        QFile::setPermissions(temporal.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temporal.filePath("runtime")));
    }
    QGuiApplication app(argc, argv);
    QElapsedTimer total;
    total.start();
    const auto avance = [&](const QString &texto) {
        std::fprintf(stderr, "[%3lld s] %s\n", total.elapsed() / 1000, qPrintable(texto));
    };

    const QString raiz = dir.isEmpty() ? temporal.path() : QDir(dir).absolutePath();
    QDir().mkpath(raiz);
    const int nPng = std::max(3, n / 4);
    avance(QStringLiteral("drawing %1 pages of 2480 x 3508 (JPEG q90) and %2 of 1600 x 2400 (PNG)").arg(n).arg(nPng));
    const Paginas jpg = Generar(n, TamanoJpeg, "JPG", 90, "jpg");
    const Paginas png = Generar(nPng, TamanoPng, "PNG", -1, "png");
    qint64 bytes = 0, menor = jpg.front().Datos.size(), mayor = 0;
    for (const auto &pg : jpg) {
        bytes += pg.Datos.size();
        menor = std::min(menor, pg.Datos.size());
        mayor = std::max(mayor, pg.Datos.size());
    }
    avance(QStringLiteral("JPEG pages: %1 MB on average").arg(bytes / double(n) / 1e6, 0, 'f', 2));
    const QString deflate = raiz + "/deflate.cbz", stored = raiz + "/stored.cbz", pngs = raiz + "/png.cbz";
    const QString carpeta = raiz + "/carpeta/", otro = raiz + "/otro.cbz";
    bool escrito = EscribirZip(deflate, jpg, true) && EscribirZip(stored, jpg, false) && EscribirZip(pngs, png, true);
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
        ccZip zip;
        zip.Init(zipRuta);
        std::vector<double> directo, suelo;
        for (const auto &[nombre, datos, tipo] : paginas) {
            directo.push_back(Ms([&] { Directo(zip, nombre, extraer); }));
            suelo.push_back(Ms([&] {
                if (esJpeg)
                    Suelo(datos);
                else
                    QImage::fromData(datos, "PNG");
            }));
        }
        return std::pair{Mediana(directo), Mediana(suelo)};
    };
    const auto [refDirecto, refSuelo] = referencias(deflate, jpg, true);
    const auto [refDirectoPng, refSueloPng] = referencias(pngs, png, false);
    const Decodificada muestra = Suelo(jpg.front().Datos);

    // Each child has its own settings and temporary folders.
    const auto entornoHijo = [&](const QString &nombre) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", plataforma);
        for (const char *v : {"TAVELO_HOME", "TMPDIR", "XDG_RUNTIME_DIR"}) {
            const QString d = raiz + "/hijos/" + nombre + "/" + v;
            QDir(d).removeRecursively();
            QDir().mkpath(d);
            QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            e.insert(v, d);
        }
        return e;
    };
    struct Documento {
        const char *nombre, *clave;
        QString ruta;
        double directo, suelo;
        Medidas abrir, leer;
    };
    std::vector<Documento> documentos = {{"deflated CBZ", "deflate", deflate, refDirecto, refSuelo, {}, {}},
                                         {"stored CBZ", "stored", stored, refDirecto, refSuelo, {}, {}},
                                         {"folder", "folder", carpeta + "p001.jpg", refDirecto, refSuelo, {}, {}},
                                         {"PNG CBZ", "png", pngs, refDirectoPng, refSueloPng, {}, {}}};
    for (Documento &d : documentos) {
        avance(QStringLiteral("%1: opening, reading, jumping").arg(d.nombre));
        d.abrir = Hijo({"--hijo", "abrir", d.ruta, otro}, entornoHijo(d.clave));
        d.leer = Hijo({"--hijo", "leer", d.ruta, "1", "1"}, entornoHijo(d.clave));
    }
    Medidas modos[9];
    modos[1] = documentos.front().leer;
    for (int m = 2; m <= 8; ++m) {
        avance(QStringLiteral("deflated CBZ: mode %1").arg(m));
        modos[m] = Hijo({"--hijo", "leer", deflate, QString::number(m), "0"}, entornoHijo("modo"));
    }

    std::printf("Tavelo page pipeline: %d JPEG pages of 2480 x 3508 at q90 (%.2f MB on average, %.2f to %.2f),\n"
                "%d PNG pages of 1600 x 2400; window %d x %d on %s\n\n",
                n, bytes / double(n) / 1e6, menor / 1e6, mayor / 1e6, nPng, Pantalla.width(), Pantalla.height(),
                plataforma == "xcb" ? qPrintable("X server " + qEnvironmentVariable("DISPLAY")) : "no X server (offscreen)");
    const QString suelo = QStringLiteral("floor: decode from memory (JPEG DCT-scaled %1/8, %2 x %3)")
                              .arg(muestra.escala).arg(muestra.tamano.width()).arg(muestra.tamano.height());
    std::printf("%-62s %9s %9s\n", "references, median per page", "JPEG", "PNG");
    std::printf("  %-60s %6.1f ms %6.1f ms\n", "straightforward: extract to a file, decode whole, scale", refDirecto,
                refDirectoPng);
    std::printf("  %-60s %6.1f ms %6.1f ms\n\n", qPrintable(suelo), refSuelo, refSueloPng);
    const Medidas &m1 = modos[1];
    std::printf("the screen alone (deflated CBZ, mode 1): repaint only %.2f ms, readback only %.2f ms\n\n",
                m1("repintar"), m1("leer"));

    const auto fallos = [](const Medidas &m) {
        return m("abrir", 2) + m("frio", 2) + m("lectura", 2) + m("rapido", 2);
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
    std::printf("\nMedians: of 5 opens, each after another document; of cold turns, a key straight after a\n"
                "jump to a page not seen before; of reading turns, after %d ms on the previous page; of quick\n"
                "turns, straight after a reading turn. x ref: over the straightforward path / over the floor.\n"
                "failed: the page never showed within %d s. repaint: the same page repainted and read back.\n"
                "Memory: after reading the whole document forward, after %d jumps with %d ms each and after\n"
                "%d more without waiting; each document in a process of its own. Total %.0f s.\n",
                Lectura, TopeMs / 1000, Saltos, Lectura, Saltos, total.elapsed() / 1000.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && argv[1] == std::string("--hijo")) {
        QApplication app(argc, argv);
        Comandos::FinDelProceso() = [] {};
        const QString ruta = QFile::decodeName(argv[3]);
        const int r = argv[2] == std::string("abrir") ? HijoAbrir(ruta, QFile::decodeName(argv[4]))
                      : argc >= 6                     ? HijoLeer(ruta, std::atoi(argv[4]), argv[5] == std::string("1"))
                                                      : 2;
        std::fflush(stdout);
        return r;
    }
    return Padre(argc, argv);
}
