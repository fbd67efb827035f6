#include "documento/ArchivoMarcadores.h"

#include "shell/modGeneral.h"
#include "documento/Paginas.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace marcadores {

namespace {

// One field from `pos`; leaves `pos` after its comma, or at the line end.
QString Campo(QStringView linea, qsizetype &pos)
{
    while (pos < linea.size() && linea[pos] == u' ')
        ++pos;
    QString valor;
    if (pos < linea.size() && linea[pos] == u'"') {
        for (++pos; pos < linea.size();) {
            const qsizetype comilla = linea.indexOf(u'"', pos);
            valor += linea.sliced(pos, (comilla < 0 ? linea.size() : comilla) - pos);
            pos = comilla < 0 ? linea.size() : comilla + 1;
            if (comilla < 0 || pos == linea.size() || linea[pos] != u'"')
                break;
            valor += u'"'; // a doubled quote
            ++pos;
        }
        // Anything up to the separator after a closing quote is ignored.
        const qsizetype coma = linea.indexOf(u',', pos);
        pos = coma < 0 ? linea.size() : coma;
    } else {
        const qsizetype coma = linea.indexOf(u',', pos);
        const qsizetype fin = coma < 0 ? linea.size() : coma;
        valor = linea.sliced(pos, fin - pos).trimmed().toString();
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
    // Lines are walked in place: a file of many short lines costs its
    // records, not a string and a match for every line end.
    QList<Registro> lista;
    const QStringView todo(texto);
    for (qsizetype inicio = 0; inicio < todo.size();) {
        qsizetype fin = inicio;
        while (fin < todo.size() && todo[fin] != u'\r' && todo[fin] != u'\n')
            ++fin;
        const QStringView linea = todo.sliced(inicio, fin - inicio);
        inicio = fin + (todo.sliced(fin).startsWith(u"\r\n") ? 2 : 1); // CR LF, LF or CR
        if (linea.trimmed().isEmpty())
            continue;
        qsizetype pos = 0;
        Registro r;
        r.Ruta = Campo(linea, pos);
        r.Marcador = Campo(linea, pos);
        lista << r; // every record: what is read is written back
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
