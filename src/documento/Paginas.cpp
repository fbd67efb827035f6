#include "documento/Paginas.h"

#include "archive/EscrituraSegura.h"
#include "shell/modGeneral.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace paginas {

namespace {

const QStringList TiposArchivo{"BMP", "JPG", "JPEG", "GIF", "PNG", "WEBP", "AVIF", "JXL"};
const QStringList TiposImagen{"BMP", "JPG", "JPEG", "GIF", "PNG", "WEBP", "AVIF", "JXL", "ICO", "DIB", "WMF"};
const QStringList TiposComprimidos{"RAR", "CBR", "ZIP", "CBZ", "7Z", "CB7", "TAR", "CBT", "PDF"};

QString ExtensionMayusculas(const QString &nombre)
{
    return modGeneral::ExtensionDeRuta(nombre).toUpper();
}

} // namespace

ClaseDocumento ClaseDe(const QString &ext)
{
    if (ext == QLatin1String("CBR") || ext == QLatin1String("RAR"))
        return ClaseDocumento::Rar;
    if (ext == QLatin1String("CBZ") || ext == QLatin1String("ZIP"))
        return ClaseDocumento::Zip;
    if (ext == QLatin1String("CB7") || ext == QLatin1String("7Z") || ext == QLatin1String("CBT")
        || ext == QLatin1String("TAR"))
        return ClaseDocumento::Libre;
    if (ext == QLatin1String("PDF"))
        return ClaseDocumento::Pdf;
    return ClaseDocumento::Imagenes;
}

bool EsExtensionComic(const QString &ext)
{
    return ext == QLatin1String("CBR") || ext == QLatin1String("CBZ") || ext == QLatin1String("CB7")
           || ext == QLatin1String("CBT");
}

// What archivers on a Mac add beside the real files: a "__MACOSX" folder
// and "._name" AppleDouble files holding resource forks.
bool EsRestoMac(const QString &nombre)
{
    static const QRegularExpression separadores(QStringLiteral("[/\\\\]"));
    const QStringList partes = nombre.split(separadores, Qt::SkipEmptyParts);
    if (partes.isEmpty())
        return false;
    if (partes.constLast().startsWith(QLatin1String("._")))
        return true;
    return std::any_of(partes.begin(), partes.end(), [](const QString &p) {
        return p.compare(QLatin1String("__MACOSX"), Qt::CaseInsensitive) == 0;
    });
}

bool EsArchivoComprimido(const QString &ext)
{
    return TiposComprimidos.contains(ext);
}

bool EsPagina(const QString &nombre, ClaseDocumento clase)
{
    // A name without a "." has the whole name as its extension.
    if (!nombre.contains(QLatin1Char('.')) || nombre.endsWith(QLatin1Char('/')) || EsRestoMac(nombre))
        return false;
    const QString ext = ExtensionMayusculas(nombre);
    return (clase == ClaseDocumento::Imagenes ? TiposImagen : TiposArchivo).contains(ext);
}

QStringList PaginasDeEntradas(const std::vector<archivo::Entrada> &entradas, ClaseDocumento clase)
{
    QStringList nombres;
    for (const archivo::Entrada &e : entradas)
        if (e.Regular && EsPagina(e.Nombre, clase) && !archivo::RutaDentroDe(QStringLiteral("/"), e.Nombre).isEmpty())
            nombres << e.Nombre;
    Ordenar(nombres);
    return nombres;
}

QString PatronImagenes()
{
    return QStringLiteral("*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.webp;*.avif;*.jxl;*.ico;*.dib;*.wmf");
}

QString PatronComprimidos()
{
    return QStringLiteral("*.cbr;*.cbz;*.cb7;*.cbt;*.pdf;*.rar;*.zip;*.7z;*.tar");
}

void Ordenar(QStringList &nombres)
{
    QCollator orden{QLocale()};
    orden.setCaseSensitivity(Qt::CaseInsensitive);
    orden.setNumericMode(false);
    orden.setIgnorePunctuation(false);
    std::stable_sort(nombres.begin(), nombres.end(), [&](const QString &a, const QString &b) {
        return orden.compare(a, b) < 0;
    });
}

QStringList ListarCarpeta(const QString &carpeta, const QString &patrones)
{
    const QStringList lista = patrones.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // "*.ext" patterns are matched by their ending: a name filter costs a
    // wildcard match per name and pattern, half of a large collection's
    // listing.
    QStringList finales;
    for (const QString &p : lista) {
        const QString fin = p.mid(1);
        if (!p.startsWith(u"*.") || fin.contains(u'*') || fin.contains(u'?') || fin.contains(u'[')) {
            finales.clear();
            break;
        }
        finales << fin;
    }
    QDir dir(carpeta);
    QStringList nombres;
    if (finales.isEmpty()) {
        nombres = dir.entryList(lista, QDir::Files | QDir::Hidden, QDir::NoSort);
    } else {
        nombres = dir.entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
        nombres.removeIf([&](const QString &n) {
            return std::none_of(finales.begin(), finales.end(),
                                [&](const QString &f) { return n.endsWith(f, Qt::CaseInsensitive); });
        });
    }
    Ordenar(nombres);
    return nombres;
}

int PosicionVecina(int i, int paso, int n)
{
    int j = i + paso;
    if (j >= n)
        j = 0;
    if (j < 0)
        j = n - 1;
    return j;
}

QString FiltroAbrir(const QString &filtro)
{
    QString resultado = filtro;
    resultado.replace(QRegularExpression(QStringLiteral("\\*\\.jpg(?![a-z])"), QRegularExpression::CaseInsensitiveOption),
                      QStringLiteral("*.jpg;*.jpeg;*.webp;*.avif;*.jxl"));
    resultado.replace(QRegularExpression(QStringLiteral("\\*\\.cbz(?![a-z])"), QRegularExpression::CaseInsensitiveOption),
                      QStringLiteral("*.cbz;*.cb7;*.cbt;*.pdf"));
    resultado.replace(QRegularExpression(QStringLiteral("\\*\\.zip(?![a-z])"), QRegularExpression::CaseInsensitiveOption),
                      QStringLiteral("*.zip;*.7z;*.tar"));
    return resultado;
}

bool EsAbrible(const QString &ruta)
{
    const QFileInfo fi(ruta);
    if (fi.isDir())
        return true; // read as its pictures
    if (!fi.isFile())
        return false;
    const QString ext = ExtensionMayusculas(ruta);
    return TiposComprimidos.contains(ext) || TiposImagen.contains(ext);
}

QString ArchivoSoltado(const QMimeData *datos)
{
    if (!datos || !datos->hasUrls() || datos->urls().isEmpty())
        return {};
    // Only the first of several.
    const QUrl url = datos->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QString ruta = url.toLocalFile();
    return EsAbrible(ruta) ? ruta : QString();
}

} // namespace paginas
