#include "documento/ArchivoMarcadores.h"

#include "shell/modGeneral.h"
#include "documento/Paginas.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace marcadores {

namespace {

// One field from `pos`; leaves `pos` after its comma, or at the line end.
QString Campo(const QString &linea, qsizetype &pos)
{
    while (pos < linea.size() && linea[pos] == u' ')
        ++pos;
    QString valor;
    if (pos < linea.size() && linea[pos] == u'"') {
        ++pos;
        while (pos < linea.size()) {
            if (linea[pos] == u'"') {
                if (pos + 1 < linea.size() && linea[pos + 1] == u'"') {
                    valor += u'"';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            valor += linea[pos++];
        }
        // Anything up to the separator after a closing quote is ignored.
        while (pos < linea.size() && linea[pos] != u',')
            ++pos;
    } else {
        const qsizetype coma = linea.indexOf(u',', pos);
        const qsizetype fin = coma < 0 ? linea.size() : coma;
        valor = linea.mid(pos, fin - pos).trimmed();
        pos = fin;
    }
    if (pos < linea.size() && linea[pos] == u',')
        ++pos;
    return valor;
}

QString Citado(QString texto)
{
    return u'"' + texto.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QString RutaArchivo()
{
    return modGeneral::CarpetaPrograma() + modGeneral::Separador + QStringLiteral("tavelo.tvl");
}

QList<Registro> Leer(const QByteArray &bytes)
{
    // Written as UTF-8; a file from an older system in its 8-bit code page
    // is read as Latin-1 rather than lost.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString texto = utf8(bytes);
    if (utf8.hasError())
        texto = QString::fromLatin1(bytes);
    QList<Registro> lista;
    const QStringList lineas = texto.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (const QString &linea : lineas) {
        if (linea.trimmed().isEmpty())
            continue;
        qsizetype pos = 0;
        Registro r;
        r.Ruta = Campo(linea, pos);
        r.Marcador = Campo(linea, pos);
        lista << r;
        if (lista.size() >= 32767)
            break;
    }
    return lista;
}

QByteArray Escribir(const QList<Registro> &registros)
{
    QString texto;
    for (const Registro &r : registros) {
        if (r.Marcador.isEmpty())
            continue;
        texto += Citado(r.Ruta) + u',' + Citado(r.Marcador) + QStringLiteral("\r\n");
    }
    return texto.toUtf8();
}

bool Vigente(const QString &ruta)
{
    const QFileInfo fi(ruta);
    if (fi.isFile())
        return true;
    if (!fi.isDir())
        return false;
    return !paginas::ListarCarpeta(ruta, paginas::PatronImagenes()).isEmpty();
}

} // namespace marcadores
