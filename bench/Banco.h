#pragma once
// What the benchmarks share: the drawn comic pages (2480 x 3508, JPEG at
// quality 90, each with its own flat colour), medians and memory figures, the
// screen read back from the X server, child processes that report
// "= key values" lines, and the run under Xvfb.
#include "constructores/Constructores.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QPoint>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace banco {

inline constexpr QSize Pantalla(1920, 1080);
inline constexpr QSize TamanoJpeg(2480, 3508);
inline constexpr QSize TamanoPng(1600, 2400);

// Page n's own flat colour, in the sky of its first panel.
QColor ColorPagina(int n);
// A coloured comic page as a 300-dpi scan gives it.
QImage DibujarPagina(int n, QSize tamano);
QByteArray Codificar(const QImage &i, const char *formato, int calidad);

using Paginas = std::vector<constructores::EntradaNueva>;
// Drawn and encoded on every core: set-up, not measured.
Paginas Generar(int n, QSize tamano, const char *formato, int calidad, const char *extension);
bool EscribirZip(const QString &ruta, const Paginas &paginas, bool deflate);

double Mediana(std::vector<double> v);
double Ms(const std::function<void()> &f);
// The peak and the current resident size of this process, MB.
long PicoMb();
long ActualMb();
// Event-loop time, sleeping rather than spinning.
void Esperar(int ms);

// What the screen shows: a few pixels read back from the X server (or, off
// it, from the window's backing store).
class Pantallazo {
public:
    explicit Pantallazo(QWidget &w);
    // The mean colour of the 4 x 4 pixels at `p`, window coordinates.
    QColor Leer(QPoint p) const;

private:
    static constexpr int Lado = 4;
    QWidget &w_;
    void *x_ = nullptr; // the X connection, when there is one
};

// The whole X screen, through a connection of its own: what a program started
// as a process shows. Leer gives no colour without an X server.
class PantallaX {
public:
    PantallaX();
    ~PantallaX();
    PantallaX(const PantallaX &) = delete;
    PantallaX &operator=(const PantallaX &) = delete;
    bool Abierta() const { return x_ != nullptr; }
    QColor Leer(QPoint p) const; // 4 x 4 pixels at p, screen coordinates

private:
    void *x_ = nullptr;
    unsigned raiz_ = 0;
};

// Milliseconds from starting `programa` with `argumento` until the screen
// shows `color` at `p`; -1 when it did not within `topeMs`. The program is
// killed afterwards.
double Arranque(const QString &programa, const QString &argumento, QPoint p, const QColor &color,
                const QProcessEnvironment &entorno, const PantallaX &x, int topeMs);

// Within what JPEG and scaling do to a flat colour.
bool Parecido(const QColor &a, const QColor &b);

// A child's report line: "= clave median valid failed", or "= clave value".
void Resultado(const char *clave, const std::vector<double> &tiempos);
void Resultado(const char *clave, long valor);

// The window over the whole virtual screen, exposed, with every modal window
// turned down at once; false when it never was exposed.
bool Mostrar(QWidget &f);

struct Medidas {
    QMap<QString, std::vector<double>> valores;
    bool ok = false;

    double operator()(const char *clave, int i = 0) const
    {
        const auto v = valores.value(QString::fromLatin1(clave));
        return i < int(v.size()) ? v[size_t(i)] : 0;
    }
};
// Runs this program again with `argumentos` and gathers its report lines.
Medidas Hijo(const QStringList &argumentos, const QProcessEnvironment &entorno);

// Re-runs this program under a virtual X server when there is no display.
void BajoXvfb(int argc, char **argv);

// The parent's start: under Xvfb unless `offscreen`; the parent itself only
// draws, offscreen, with `runtime` as its runtime folder when it has none.
// Returns the platform the children show their windows on.
QString PlataformaDeHijos(int argc, char **argv, bool offscreen, const QString &runtime);

// A child's environment: that platform, and settings and temporary folders
// of its own, made afresh under `carpeta`.
QProcessEnvironment EntornoHijo(const QString &carpeta, const QString &plataforma);

// Progress lines on stderr, with the seconds since the start.
class Avance {
public:
    Avance();
    void operator()(const QString &texto) const;
    double Segundos() const;

private:
    qint64 inicio_;
};

} // namespace banco
