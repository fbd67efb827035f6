// Draws a sample comic: numbered, coloured pages written as a folder of
// pictures and packed into a CBZ, for running and testing the viewer.
//   tavelo-muestra CARPETA [PAGINAS]
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <memory>

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

struct CerrarArchivo {
    void operator()(archive *a) const { archive_write_free(a); }
};

bool EmpaquetarCbz(const QString &cbz, const QDir &carpeta, const QStringList &nombres)
{
    const QString parcial = cbz + ".part";
    std::unique_ptr<archive, CerrarArchivo> a(archive_write_new());
    archive_write_set_format_zip(a.get());
    if (archive_write_open_filename(a.get(), QFile::encodeName(parcial).constData()) != ARCHIVE_OK)
        return false;
    for (const QString &nombre : nombres) {
        QFile f(carpeta.filePath(nombre));
        if (!f.open(QIODevice::ReadOnly))
            return false;
        const QByteArray datos = f.readAll();
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> e(archive_entry_new(),
                                                                         archive_entry_free);
        archive_entry_set_pathname_utf8(e.get(), nombre.toUtf8().constData());
        archive_entry_set_size(e.get(), datos.size());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK
            || archive_write_data(a.get(), datos.constData(), datos.size()) != datos.size())
            return false;
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        return false;
    QFile::remove(cbz);
    return QFile::rename(parcial, cbz);
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
    QStringList nombres;
    for (int i = 1; i <= total; ++i) {
        const QString nombre = QStringLiteral("pagina%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        if (!DibujarPagina(i, total).save(paginas.filePath(nombre), "JPG", 90))
            return 1;
        nombres << nombre;
    }
    if (!EmpaquetarCbz(salida.filePath(QStringLiteral("Muestra.cbz")), paginas, nombres))
        return 1;
    std::printf("%s\n", qPrintable(salida.filePath(QStringLiteral("Muestra.cbz"))));
    return 0;
}
