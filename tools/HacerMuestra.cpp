// Draws a sample comic: numbered, coloured pages written as a folder of
// pictures and packed into a CBZ, for running and testing the viewer.
//   tavelo-muestra CARPETA [PAGINAS]
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "constructores/Constructores.h"

#include <cstdio>

namespace {

QImage DibujarPagina(int numero, int total)
{
    QImage pagina(1200, 1800, QImage::Format_RGB32);
    const QColor fondo = QColor::fromHsv((numero * 360 / total) % 360, 90, 235);
    pagina.fill(fondo);
    QPainter p(&pagina);
    p.setRenderHint(QPainter::Antialiasing);
    // Panels, so the page reads like a comic page.
    p.setPen(QPen(Qt::black, 8));
    const int m = 60, g = 40, w = 1200 - 2 * m, h = (1800 - 2 * m - 2 * g) / 3;
    for (int fila = 0; fila < 3; ++fila) {
        const int y = m + fila * (h + g);
        if (fila == 1) {
            p.setBrush(fondo.lighter(125));
            p.drawRect(m, y, (w - g) / 2, h);
            p.drawRect(m + (w + g) / 2, y, (w - g) / 2, h);
        } else {
            p.setBrush(fondo.lighter(115 + 10 * fila));
            p.drawRect(m, y, w, h);
        }
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(420);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pagina.rect(), Qt::AlignCenter, QString::number(numero));
    f.setPixelSize(48);
    p.setFont(f);
    p.drawText(QRect(0, 1800 - m, 1200, m), Qt::AlignCenter,
               QStringLiteral("Tavelo sample - page %1 of %2").arg(numero).arg(total));
    return pagina;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tavelo-muestra FOLDER [PAGES]\n");
        return 2;
    }
    const int total = args.size() > 2 ? args[2].toInt() : 12;
    if (total < 1 || total > 999) {
        std::fprintf(stderr, "PAGES must be 1 to 999\n");
        return 2;
    }
    QDir salida(args[1]);
    const QString nombreCarpeta = QStringLiteral("Muestra");
    if (!salida.mkpath(nombreCarpeta))
        return 1;
    QDir paginas(salida.filePath(nombreCarpeta));
    std::vector<constructores::EntradaNueva> entradas;
    for (int i = 1; i <= total; ++i) {
        const QString nombre = QStringLiteral("pagina%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        QFile f(paginas.filePath(nombre));
        if (!DibujarPagina(i, total).save(paginas.filePath(nombre), "JPG", 90) || !f.open(QIODevice::ReadOnly))
            return 1;
        entradas.push_back({nombre, f.readAll()});
    }
    if (!constructores::EscribirZip(salida.filePath(QStringLiteral("Muestra.cbz")), entradas))
        return 1;
    std::printf("%s\n", qPrintable(salida.filePath(QStringLiteral("Muestra.cbz"))));
    return 0;
}
