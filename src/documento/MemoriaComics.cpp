#include "documento/MemoriaComics.h"

#include "shell/modGeneral.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <utility>

namespace memoria {

namespace {

const QByteArray Cabecera = "Tavelo comics 1";

} // namespace

// One comic a line: size, direction, chosen, pairing, shift, page, pages,
// then the name (the only field that may hold a tab; never a line break).
std::optional<std::vector<RecuerdoComic>> Leer(const QByteArray &datos)
{
    QList<QByteArray> lineas = datos.split('\n');
    if (lineas.isEmpty() || lineas.takeFirst() != Cabecera)
        return std::nullopt;
    if (!lineas.isEmpty() && lineas.back().isEmpty())
        lineas.removeLast();
    std::vector<RecuerdoComic> r;
    for (const QByteArray &linea : lineas) {
        const QList<QByteArray> c = linea.split('\t');
        if (c.size() < 8)
            return std::nullopt;
        bool ok[4] = {};
        RecuerdoComic m;
        m.Tamano = c[0].toLongLong(&ok[0]);
        m.Pagina = c[5].toInt(&ok[1]);
        m.Paginas = c[6].toInt(&ok[2]);
        ok[3] = true;
        for (int i = 1; i <= 4; ++i)
            ok[3] = ok[3] && (c[i] == "0" || c[i] == "1");
        if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) || m.Tamano < 0 || m.Pagina < 0
            || m.Paginas < 0)
            return std::nullopt;
        m.DerechaAIzquierda = c[1] == "1";
        m.DireccionElegida = c[2] == "1";
        m.Emparejar = c[3] == "1";
        m.Desplazado = c[4] == "1";
        m.Nombre = QString::fromUtf8(c.mid(7).join('\t'));
        r.push_back(m);
    }
    return r;
}

QByteArray Escribir(const std::vector<RecuerdoComic> &recuerdos)
{
    QByteArray t = Cabecera + '\n';
    for (const RecuerdoComic &m : recuerdos) {
        QString nombre = m.Nombre;
        nombre.replace(u'\n', u' ').replace(u'\r', u' ');
        t += QByteArray::number(qlonglong(m.Tamano)) + '\t' + (m.DerechaAIzquierda ? "1" : "0") + '\t'
             + (m.DireccionElegida ? "1" : "0") + '\t' + (m.Emparejar ? "1" : "0") + '\t'
             + (m.Desplazado ? "1" : "0") + '\t' + QByteArray::number(m.Pagina) + '\t'
             + QByteArray::number(m.Paginas) + '\t' + nombre.toUtf8() + '\n';
    }
    return t;
}

} // namespace memoria

QString MemoriaComics::RutaPorDefecto()
{
    return modGeneral::CarpetaPrograma() + modGeneral::Separador + QStringLiteral("comics.tvm");
}

void MemoriaComics::Cargar()
{
    if (std::exchange(leida_, true))
        return;
    QFile f(ruta_);
    if (!f.exists())
        return;
    auto leidos = f.open(QIODevice::ReadOnly) ? memoria::Leer(f.readAll()) : std::nullopt;
    f.close();
    if (leidos) {
        recuerdos_ = std::move(*leidos);
        return;
    }
    // A damaged file is kept aside for whoever wants to look at it; a new one starts.
    apartado_ = ruta_ + QStringLiteral(".damaged");
    QFile::remove(apartado_);
    if (!QFile::rename(ruta_, apartado_))
        apartado_.clear();
    qWarning("tavelo: %s was damaged and has been set aside", qPrintable(ruta_));
}

void MemoriaComics::Indexar()
{
    Cargar();
    if (std::exchange(indexada_, true))
        return;
    porNombre_.clear();
    for (std::size_t i = 0; i < recuerdos_.size(); ++i)
        porNombre_.insert(recuerdos_[i].Nombre.toLower(), i);
}

bool MemoriaComics::Conoce(const QString &nombre)
{
    Indexar();
    return porNombre_.contains(nombre.toLower());
}

const RecuerdoComic *MemoriaComics::Buscar(const QString &nombre, std::int64_t tamano)
{
    Indexar();
    for (auto it = porNombre_.constFind(nombre.toLower()); it != porNombre_.cend() && it.key() == nombre.toLower(); ++it)
        if (recuerdos_[*it].Tamano == tamano)
            return &recuerdos_[*it];
    return nullptr;
}

void MemoriaComics::Poner(const RecuerdoComic &r)
{
    Cargar();
    std::erase_if(recuerdos_, [&](const RecuerdoComic &m) {
        return m.Tamano == r.Tamano && m.Nombre.compare(r.Nombre, Qt::CaseInsensitive) == 0;
    });
    recuerdos_.insert(recuerdos_.begin(), r);
    if (recuerdos_.size() > std::size_t(memoria::Limite))
        recuerdos_.resize(std::size_t(memoria::Limite));
    cambiada_ = true;
    indexada_ = false;
}

bool MemoriaComics::Guardar()
{
    if (!cambiada_)
        return true;
    QSaveFile f(ruta_);
    if (!f.open(QIODevice::WriteOnly) || f.write(memoria::Escribir(recuerdos_)) < 0 || !f.commit())
        return false;
    cambiada_ = false;
    return true;
}
