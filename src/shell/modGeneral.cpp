#include "shell/modGeneral.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QStandardPaths>
#include <QWidget>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace modGeneral {

QString NombreDeRuta(const QString &ruta)
{
    const auto i = ruta.lastIndexOf(Separador);
    return i < 0 ? ruta : ruta.mid(i + 1);
}

QString CarpetaDeRuta(const QString &ruta)
{
    const auto i = ruta.lastIndexOf(Separador);
    return i < 0 ? QString() : ruta.left(i + 1);
}

QString ExtensionDeRuta(const QString &ruta)
{
    const auto i = ruta.lastIndexOf(u'.');
    return i < 0 ? ruta : ruta.mid(i + 1);
}

QString RutaLarga(const QString &ruta)
{
    return ExisteRuta(ruta) ? ruta : QString();
}

bool ExisteRuta(const QString &ruta)
{
    if (ruta.isEmpty())
        return false;
    const QFileInfo info(ruta);
    return info.exists() || info.isSymLink();
}

namespace {

// A folder we may keep pages in: a real folder (not a link), ours, private.
bool CarpetaPrivada(const QString &carpeta)
{
    struct stat st {};
    const QByteArray nativo = QFile::encodeName(carpeta);
    if (::lstat(nativo.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 0777) != 0700)
        return ::chmod(nativo.constData(), 0700) == 0;
    return true;
}

QString CrearCarpetaTemporal()
{
    const QString base = QDir::tempPath();
    const QString nombre = QStringLiteral("tavelo-%1").arg(::getuid());
    // Somebody else may own the usual name; try a few others before giving up.
    for (int intento = 0; intento < 16; ++intento) {
        QString carpeta = base + Separador + nombre;
        if (intento > 0)
            carpeta += QStringLiteral("-%1").arg(intento);
        const QByteArray nativo = QFile::encodeName(carpeta);
        if (::mkdir(nativo.constData(), 0700) != 0 && errno != EEXIST)
            continue;
        if (CarpetaPrivada(carpeta))
            return carpeta + Separador;
    }
    return base.endsWith(Separador) ? base : base + Separador;
}

} // namespace

QString CarpetaTemporal()
{
    // Cached per TMPDIR so tests that move it get their own folder.
    static QHash<QString, QString> cache;
    const QString base = QDir::tempPath();
    auto it = cache.find(base);
    if (it == cache.end() || !CarpetaPrivada(it->chopped(1)))
        it = cache.insert(base, CrearCarpetaTemporal());
    return *it;
}

bool EsInstalado(const QString &carpetaPrograma)
{
    return QFileInfo::exists(carpetaPrograma + QStringLiteral("/../share/applications/" TAVELO_ID ".desktop"));
}

QString CarpetaPrograma()
{
    const QString home = qEnvironmentVariable("TAVELO_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QDir::cleanPath(QDir(home).absolutePath());
    }
    const QString exe = QCoreApplication::applicationDirPath();
    if (!exe.isEmpty() && !EsInstalado(exe) && ::access(QFile::encodeName(exe).constData(), W_OK) == 0)
        return exe;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return config;
}

QString UnDecimal(double valor)
{
    const double decimas = std::nearbyint(valor * 10.0);
    const double entero = std::trunc(decimas / 10.0);
    const int resto = static_cast<int>(std::fabs(decimas - entero * 10.0));
    QString texto = QString::number(static_cast<qint64>(entero));
    if (entero == 0 && decimas < 0)
        texto.prepend(u'-');
    if (resto != 0)
        texto += QLocale::system().decimalPoint() + QString::number(resto);
    return texto;
}

QString TextoTamano(std::int64_t bytes)
{
    constexpr double K = 1024.0;
    const double b = double(bytes);
    if (b < K)
        return QString::number(bytes) + QStringLiteral(" bytes");
    if (b < K * K)
        return UnDecimal(b / K) + QStringLiteral(" Kb");
    if (b < K * K * K)
        return UnDecimal(b / (K * K)) + QStringLiteral(" Mb");
    return UnDecimal(b / (K * K * K)) + QStringLiteral(" Gb");
}

bool RatonSobreControl(const QWidget *control, int x, int y)
{
    if (!control)
        return false;
    constexpr int margen = 300;
    const QRect g = control->geometry();
    const int izq = g.left() * TwipsPorPixel - margen;
    const int arr = g.top() * TwipsPorPixel - margen;
    const int der = (g.left() + g.width()) * TwipsPorPixel + margen;
    const int aba = (g.top() + g.height()) * TwipsPorPixel + margen;
    return x >= izq && x <= der && y >= arr && y <= aba;
}

bool ClicFuera(const QWidget *ventana, Qt::MouseButton boton)
{
    static Qt::MouseButtons anteriores;
    const bool abajo = QGuiApplication::mouseButtons().testFlag(boton);
    const bool nuevo = abajo && !anteriores.testFlag(boton);
    anteriores.setFlag(boton, abajo);
    if (!nuevo || !ventana)
        return false;
    const QPoint p = QCursor::pos();
    const QRect g = ventana->frameGeometry();
    return p.x() < g.left() || p.x() > g.left() + g.width() || p.y() < g.top()
        || p.y() > g.top() + g.height();
}

} // namespace modGeneral
