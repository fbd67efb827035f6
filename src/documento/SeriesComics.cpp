#include "documento/SeriesComics.h"

#include "documento/FuentePaginas.h"
#include "shell/modGeneral.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace series {

constexpr qint64 TamanoMaximoArchivo = 64 * 1024 * 1024; // a file beyond it is not ours

static bool CabeEnLinea(const QString &s)
{
    return !s.contains(u'\t') && !s.contains(u'\n') && !s.contains(u'\r');
}

Tabla Leer(const QByteArray &datos)
{
    Tabla t;
    for (QByteArray linea : datos.split('\n')) {
        if (t.size() >= Limite)
            break;
        if (linea.endsWith('\r'))
            linea.chop(1);
        const QList<QByteArray> c = linea.split('\t');
        if (c.size() != 4 || c[0].isEmpty())
            continue;
        bool bienTamano = false, bienFecha = false;
        const Conocida k{{c[1].toLongLong(&bienTamano), c[2].toLongLong(&bienFecha)}, QString::fromUtf8(c[3])};
        if (bienTamano && bienFecha && k.Del.Tamano >= 0)
            t.insert(QString::fromUtf8(c[0]), k);
    }
    return t;
}

QByteArray Escribir(const Tabla &tabla)
{
    QByteArray texto;
    int escritas = 0;
    for (auto i = tabla.cbegin(); i != tabla.cend() && escritas < Limite; ++i) {
        if (!CabeEnLinea(i.key()) || !CabeEnLinea(i->Serie))
            continue;
        texto += i.key().toUtf8() + '\t' + QByteArray::number(i->Del.Tamano) + '\t'
                 + QByteArray::number(i->Del.Fecha) + '\t' + i->Serie.toUtf8() + "\r\n";
        ++escritas;
    }
    return texto;
}

QString LeerDeComic(const QString &ruta)
{
    const auto fuente = FuentePaginas::ParaContenido(ruta);
    // A PDF has no ComicInfo.xml: it is not even opened.
    if (!fuente || fuente->Clase() == paginas::ClaseDocumento::Pdf)
        return {};
    return archivo::SerieYNumero(fuente->Listar().Info);
}

} // namespace series

QString SeriesComics::RutaPorDefecto()
{
    return modGeneral::CarpetaPrograma() + modGeneral::Separador + QStringLiteral("series.tvm");
}

void SeriesComics::Cargar()
{
    if (leida_)
        return;
    leida_ = true;
    QFile f(ruta_);
    if (f.size() <= series::TamanoMaximoArchivo && f.open(QIODevice::ReadOnly))
        tabla_ = series::Leer(f.readAll());
}

QString SeriesComics::De(const QString &ruta)
{
    const QFileInfo info(ruta);
    if (!info.isFile())
        return {};
    const series::Huella huella{info.size(), info.lastModified().toMSecsSinceEpoch()};
    {
        const std::lock_guard l(m_);
        Cargar();
        if (const auto i = tabla_.constFind(ruta); i != tabla_.cend() && i->Del == huella)
            return i->Serie;
    }
    // Read without the lock: the other worker may want a known one meanwhile.
    const QString serie = series::LeerDeComic(ruta);
    const std::lock_guard l(m_);
    if (tabla_.size() < series::Limite || tabla_.contains(ruta)) {
        tabla_.insert(ruta, {huella, serie});
        cambiada_ = true;
    }
    return serie;
}

bool SeriesComics::Guardar()
{
    series::Tabla tabla;
    {
        const std::lock_guard l(m_);
        if (!cambiada_)
            return true;
        tabla = tabla_;
        cambiada_ = false;
    }
    QSaveFile f(ruta_);
    if (f.open(QIODevice::WriteOnly) && f.write(series::Escribir(tabla)) >= 0 && f.commit())
        return true;
    const std::lock_guard l(m_);
    cambiada_ = true; // tried again on the next closing
    return false;
}
