#include "Banco.h"

#include "shell/modComDlg.h"

#include <QBuffer>
#include <QDialog>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#ifdef TAVELO_BENCH_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace banco {

QColor ColorPagina(int n)
{
    // Neighbouring pages differ by 47 degrees of hue: far apart in RGB.
    return QColor::fromHsv((n * 47) % 360, 170, 225);
}

// ---------------------------------------------------------------- drawing

namespace {

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

} // namespace

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

// What the screen shows: a few pixels read back from the X server (or, with
// --offscreen, from the window's backing store).
Pantallazo::Pantallazo(QWidget &w) : w_(w)
{
#ifdef TAVELO_BENCH_XCB
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        x_ = x11->connection();
#endif
}

namespace {

#ifdef TAVELO_BENCH_XCB
// The mean colour of the Lado x Lado pixels at `p` of an X window.
QColor LeerX(xcb_connection_t *x, xcb_window_t ventana, QPoint p, int lado)
{
    const auto pedido = xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, ventana, int(p.x()), int(p.y()),
                                      std::uint16_t(lado), std::uint16_t(lado), ~0u);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> img(xcb_get_image_reply(x, pedido, nullptr), std::free);
    if (!img || xcb_get_image_data_length(img.get()) < lado * lado * 4)
        return {};
    int r = 0, g = 0, b = 0;
    const std::uint8_t *d = xcb_get_image_data(img.get());
    for (int k = 0; k < lado * lado; ++k, d += 4) {
        b += d[0];
        g += d[1];
        r += d[2];
    }
    return QColor(r / (lado * lado), g / (lado * lado), b / (lado * lado));
}
#endif

} // namespace

QColor Pantallazo::Leer(QPoint p) const
{
    p.setX(std::clamp(p.x(), 0, w_.width() - Lado));
    p.setY(std::clamp(p.y(), 0, w_.height() - Lado));
#ifdef TAVELO_BENCH_XCB
    if (auto *x = static_cast<xcb_connection_t *>(x_))
        return LeerX(x, xcb_window_t(w_.winId()), p, Lado);
#endif
    int r = 0, g = 0, b = 0;
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

PantallaX::PantallaX()
{
#ifdef TAVELO_BENCH_XCB
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return;
    }
    x_ = x;
    raiz_ = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
#endif
}

PantallaX::~PantallaX()
{
#ifdef TAVELO_BENCH_XCB
    if (x_)
        xcb_disconnect(static_cast<xcb_connection_t *>(x_));
#endif
}

QColor PantallaX::Leer(QPoint p) const
{
#ifdef TAVELO_BENCH_XCB
    if (x_)
        return LeerX(static_cast<xcb_connection_t *>(x_), xcb_window_t(raiz_), p, 4);
#endif
    (void)p;
    return {};
}

double Arranque(const QString &programa, const QString &argumento, QPoint p, const QColor &color,
                const QProcessEnvironment &entorno, const PantallaX &x, int topeMs)
{
    QProcess proc;
    proc.setProcessEnvironment(entorno);
    proc.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer t;
    t.start();
    proc.start(programa, {argumento});
    double ms = -1;
    while (t.elapsed() < topeMs) {
        if (Parecido(x.Leer(p), color)) {
            ms = double(t.nsecsElapsed()) / 1e6;
            break;
        }
        usleep(500);
    }
    proc.kill();
    proc.waitForFinished(-1);
    return ms;
}

bool Parecido(const QColor &a, const QColor &b)
{
    // JPEG and scaling move a flat colour by a few levels; neighbouring
    // pages differ by far more.
    return a.isValid() && std::abs(a.red() - b.red()) <= 28 && std::abs(a.green() - b.green()) <= 28
           && std::abs(a.blue() - b.blue()) <= 28;
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

namespace {

// A measured window must never wait for a person: the help window a first
// start brings up, or any other, is turned down at once.
class DialogosDelBanco final : public modComDlg::Dialogos {
public:
    QString ElegirCarpeta(QWidget *, const QString &) override { return {}; }
    QString DialogoAbrir(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    int ElegirColor(QWidget *) override { return -1; }
    QString DialogoGuardar(const QString &, const QString &, const QString &) override { return {}; }
    QString PedirTexto(QWidget *, const QString &, bool) override { return {}; }
    int MostrarModal(QDialog &) override { return QDialog::Rejected; }
};

} // namespace

bool Mostrar(QWidget &f)
{
    modComDlg::EstablecerDialogos(std::make_unique<DialogosDelBanco>());
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

QString PlataformaDeHijos(int argc, char **argv, bool offscreen, const QString &runtime)
{
    if (offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else
        BajoXvfb(argc, argv);
    const QString plataforma = qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    return plataforma;
}

QProcessEnvironment EntornoHijo(const QString &carpeta, const QString &plataforma)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("QT_QPA_PLATFORM", plataforma);
    for (const char *v : {"TAVELO_HOME", "TMPDIR", "XDG_RUNTIME_DIR"}) {
        const QString d = carpeta + "/" + v;
        QDir(d).removeRecursively();
        QDir().mkpath(d);
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        e.insert(v, d);
    }
    return e;
}

Avance::Avance() : inicio_(QDateTime::currentMSecsSinceEpoch()) {}

double Avance::Segundos() const
{
    return (QDateTime::currentMSecsSinceEpoch() - inicio_) / 1000.0;
}

void Avance::operator()(const QString &texto) const
{
    std::fprintf(stderr, "[%3.0f s] %s\n", std::floor(Segundos()), qPrintable(texto));
}

} // namespace banco
