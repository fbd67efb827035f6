#include "viewer/modIni.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace modIni {

namespace {

// Lines are kept as bytes so that anything we do not touch is written back
// exactly as it was read, whatever its encoding.
struct Lineas {
    QByteArray todo;              // the file: lines read point into it
    QList<QByteArray> lineas;
    QByteArray finDeLinea = "\n";
    bool terminaEnSalto = true;
};

Lineas Leer(const QString &archivo)
{
    Lineas r;
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    r.todo = f.readAll();
    const QByteArray &todo = r.todo;
    if (todo.contains("\r\n"))
        r.finDeLinea = "\r\n";
    r.terminaEnSalto = todo.isEmpty() || todo.endsWith('\n');
    // Every read walks the whole file: its lines cost no copy each.
    r.lineas.reserve(todo.count('\n') + 1);
    for (qsizetype inicio = 0; inicio <= todo.size();) {
        const qsizetype salto = todo.indexOf('\n', inicio);
        const qsizetype fin = salto < 0 ? todo.size() : salto;
        if (salto < 0 && r.terminaEnSalto)
            break; // nothing after the last line end
        const qsizetype largo = fin - inicio - (fin > inicio && todo[fin - 1] == '\r' ? 1 : 0);
        r.lineas << QByteArray::fromRawData(todo.constData() + inicio, largo);
        inicio = fin + 1;
    }
    return r;
}

QString Texto(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).trimmed();
}

// Section name of a "[name]" line, if it is one; a view into the line.
std::optional<QByteArrayView> Seccion(QByteArrayView linea)
{
    const QByteArrayView t = linea.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const auto fin = t.indexOf(']');
    return fin < 0 ? t.sliced(1) : t.sliced(1, fin - 1);
}

// Key of a "key=value" line, if it is one (comments are not keys).
std::optional<QByteArrayView> Clave(QByteArrayView linea)
{
    const QByteArrayView t = linea.trimmed();
    if (t.startsWith(';') || t.startsWith('['))
        return std::nullopt;
    const auto igual = t.indexOf('=');
    if (igual < 0)
        return std::nullopt;
    return t.first(igual);
}

// A name as a line writes it against a wanted one, without regard to case
// or outer blanks. Plain ASCII lines, nearly all of them, cost no string:
// every read walks the whole file, which may be long.
bool Igual(QByteArrayView nombre, const QString &b)
{
    const QByteArrayView t = nombre.trimmed();
    if (std::all_of(t.begin(), t.end(), [](char c) { return uchar(c) < 0x80; }))
        return QLatin1String(t.data(), t.size()).compare(b, Qt::CaseInsensitive) == 0;
    return Texto(nombre.toByteArray()).compare(b, Qt::CaseInsensitive) == 0;
}

struct Posicion {
    qsizetype seccion = -1; // line of the section header
    qsizetype clave = -1;   // line of the key
    qsizetype ultima = -1;  // last non-blank line of the section
};

Posicion Buscar(const Lineas &l, const QString &seccion, const QString &clave)
{
    Posicion p;
    bool dentro = false;
    for (qsizetype i = 0; i < l.lineas.size(); ++i) {
        if (const auto s = Seccion(l.lineas[i])) {
            if (dentro)
                break; // only the first section of that name counts
            dentro = Igual(*s, seccion);
            if (dentro)
                p.seccion = p.ultima = i;
            continue;
        }
        if (!dentro)
            continue;
        if (!QByteArrayView(l.lineas[i]).trimmed().isEmpty())
            p.ultima = i;
        if (const auto k = Clave(l.lineas[i]); k && Igual(*k, clave)) {
            p.clave = i;
            break;
        }
    }
    return p;
}

QString QuitarComillas(QString v)
{
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

QString Valor(const QByteArray &linea)
{
    return QuitarComillas(Texto(linea.mid(linea.indexOf('=') + 1)));
}

} // namespace

QString LeerIni(const QString &archivo, const QString &seccion, const QString &clave,
                const QString &porDefecto)
{
    const Lineas l = Leer(archivo);
    const Posicion p = Buscar(l, seccion, clave);
    if (p.clave < 0)
        return porDefecto;
    const QString valor = Valor(l.lineas[p.clave]);
    return valor.isEmpty() ? porDefecto : valor;
}

std::vector<std::pair<QString, QString>> LeerSeccion(const QString &archivo, const QString &seccion)
{
    const Lineas l = Leer(archivo);
    std::vector<std::pair<QString, QString>> claves;
    bool dentro = false;
    for (const QByteArray &linea : l.lineas) {
        if (const auto s = Seccion(linea)) {
            if (dentro)
                break; // only the first section of that name counts
            dentro = Igual(*s, seccion);
        } else if (const auto k = Clave(linea); dentro && k) {
            claves.emplace_back(Texto(k->toByteArray()), Valor(linea));
        }
    }
    return claves;
}

bool Escribible(const QString &texto)
{
    return !texto.contains(u'\n') && !texto.contains(u'\r') && !texto.contains(QChar(0));
}

bool EscribirIni(const QString &archivo, const QString &seccion, const QString &clave,
                 const QString &valor)
{
    // A key or section that would read back as another (or not at all) is
    // refused like a value with a line break.
    if (seccion.isEmpty() || clave.isEmpty() || !Escribible(seccion) || !Escribible(clave) || !Escribible(valor)
        || seccion.contains(u']') || clave.contains(u'=') || clave.startsWith(u'[') || clave.startsWith(u';'))
        return false;
    Lineas l = Leer(archivo);
    const Posicion p = Buscar(l, seccion, clave);
    const QByteArray nueva = clave.toUtf8() + '=' + valor.toUtf8();
    if (p.clave >= 0) {
        l.lineas[p.clave] = nueva;
    } else if (p.seccion >= 0) {
        l.lineas.insert(p.ultima + 1, nueva);
    } else {
        if (!l.lineas.isEmpty() && !l.lineas.last().trimmed().isEmpty())
            l.lineas.append(QByteArray());
        l.lineas.append('[' + seccion.toUtf8() + ']');
        l.lineas.append(nueva);
    }
    QByteArray todo = l.lineas.join(l.finDeLinea);
    if (l.terminaEnSalto || p.clave < 0)
        todo += l.finDeLinea;
    QSaveFile f(archivo);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(todo) != todo.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace modIni
