#include "documento/CacheMini.h"

#include "documento/Documento.h"
#include "imaging/modGrafConv.h"
#include "shell/modGeneral.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QSaveFile>

namespace cacheMini {

namespace {

constexpr char FinDeLinea[] = "\r\n";

QString Indice(const QString &base)
{
    return base + QStringLiteral(".tvl");
}

QString Imagen(const QString &base)
{
    return base + QStringLiteral(".jpg");
}

bool Blanco(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A reasonable grid index is far below this; a damaged one may be anything.
constexpr qint64 BytesMaximosIndice = 4 * 1024 * 1024;

} // namespace

QString RutaCacheMini(const Documento &d)
{
    QString nombre = (d.EsComprimido ? d.NombreActual : d.RutaActual).toLower();
    nombre.remove(u'\\');
    nombre.remove(u':');
    nombre.remove(modGeneral::Separador);
    return modGeneral::CarpetaTemporal() + u'x' + nombre;
}

QString TextoFechaHora(const QDateTime &t)
{
    const QLocale l = QLocale::system();
    const QDateTime local = t.toLocalTime();
    return l.toString(local.date(), QLocale::ShortFormat) + u' '
           + local.time().toString(QStringLiteral("HH:mm:ss"));
}

QString ClaveCacheMini(const Documento &d)
{
    if (d.EsComprimido)
        return TextoFechaHora(QFileInfo(d.RutaActual).lastModified()) + u' ' + d.RutaActual;
    QString carpeta = d.RutaActual;
    if (!carpeta.endsWith(modGeneral::Separador))
        carpeta += modGeneral::Separador;
    QDateTime ultima = QFileInfo(carpeta).lastModified();
    for (int i = 1; i <= d.NumeroPaginas(); ++i) {
        const QDateTime t = QFileInfo(carpeta + d.Paginas[i]).lastModified();
        if (t.isValid() && (!ultima.isValid() || t > ultima))
            ultima = t;
    }
    return TextoFechaHora(ultima) + u' ' + QString::number(d.NumeroPaginas()) + u' ' + carpeta;
}

QByteArray TextoIndice(const QString &clave, const std::vector<diseno::Rect> &fichas)
{
    QByteArray texto = clave.toUtf8() + FinDeLinea;
    for (const diseno::Rect &r : fichas)
        texto += QStringLiteral(" %1  %2  %3  %4 ").arg(r.Left).arg(r.Top).arg(r.Width).arg(r.Height).toLatin1()
                 + FinDeLinea;
    return texto;
}

std::optional<std::vector<diseno::Rect>> LeerIndice(const QByteArray &texto, const QString &clave, int paginas)
{
    const qsizetype fin = texto.indexOf(FinDeLinea);
    if (fin < 0 || QString::fromUtf8(texto.left(fin)) != clave)
        return std::nullopt;
    // Read in place, number by number: a long damaged file costs no string
    // for each of its lines.
    std::vector<diseno::Rect> fichas;
    const QByteArrayView resto = QByteArrayView(texto).sliced(fin + 2);
    for (qsizetype inicio = 0; inicio < resto.size();) {
        const qsizetype salto = resto.indexOf('\n', inicio);
        const QByteArrayView linea = resto.sliced(inicio, (salto < 0 ? resto.size() : salto) - inicio);
        inicio = salto < 0 ? resto.size() : salto + 1;
        std::int32_t v[4] = {};
        int n = 0;
        for (qsizetype p = 0; p < linea.size();) {
            if (Blanco(linea[p])) {
                ++p;
                continue;
            }
            qsizetype q = p;
            while (q < linea.size() && !Blanco(linea[q]))
                ++q;
            bool ok = false;
            if (n < 4)
                v[n] = linea.sliced(p, q - p).toInt(&ok);
            if (!ok || int(fichas.size()) >= paginas)
                return std::nullopt; // not four whole numbers, or more lines than pages
            ++n;
            p = q;
        }
        if (n == 0)
            continue; // the end of the file
        if (n != 4 || v[2] <= 0 || v[3] <= 0)
            return std::nullopt;
        fichas.push_back({v[0], v[1], v[2], v[3]});
    }
    if (int(fichas.size()) != paginas)
        return std::nullopt;
    return fichas;
}

std::optional<Cache> LeerCache(const QString &base, const QString &clave, int paginas)
{
    QFile f(Indice(base));
    if (!modGeneral::ExisteRuta(Imagen(base)) || !f.open(QIODevice::ReadOnly) || f.size() > BytesMaximosIndice)
        return std::nullopt;
    auto fichas = LeerIndice(f.readAll(), clave, paginas);
    if (!fichas)
        return std::nullopt;
    QImageReader lector(Imagen(base), "jpeg");
    Cache c{lector.read(), std::move(*fichas)};
    if (c.Imagen.isNull())
        return std::nullopt;
    return c;
}

bool EscribirCache(const QString &base, const QString &clave, const std::vector<diseno::Rect> &fichas,
                   const QImage &imagen)
{
    if (QFile::exists(Indice(base)) && !QFile::remove(Indice(base)))
        return false;
    if (!modGrafConv::Escribir(imagen, Imagen(base), {QStringLiteral("image/jpeg"), QByteArrayLiteral("jpeg")},
                               CalidadJpeg))
        return false;
    QSaveFile f(Indice(base));
    const QByteArray texto = TextoIndice(clave, fichas);
    if (!f.open(QIODevice::WriteOnly) || f.write(texto) != texto.size())
        return false;
    return f.commit();
}

} // namespace cacheMini
