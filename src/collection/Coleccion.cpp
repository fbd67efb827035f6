#include "collection/Coleccion.h"

#include "collection/Portada.h"
#include "documento/ArchivoMarcadores.h"
#include "documento/Paginas.h"
#include "shell/modGeneral.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

namespace coleccion {

QString RutaEstados()
{
    return modGeneral::CarpetaPrograma() + modGeneral::Separador + QStringLiteral("tvlcol.tvl");
}

int ValorEstado(const QString &estado)
{
    const QString t = estado.trimmed();
    qsizetype fin = 0;
    if (fin < t.size() && (t[fin] == u'-' || t[fin] == u'+'))
        ++fin;
    while (fin < t.size() && t[fin] >= u'0' && t[fin] <= u'9' && fin < 10)
        ++fin;
    bool ok = false;
    const int valor = t.left(fin).toInt(&ok);
    return ok ? valor : 0;
}

QList<ItemComic> LeerEstados(const QByteArray &texto)
{
    QList<ItemComic> estados;
    for (const marcadores::Registro &r : marcadores::Leer(texto))
        estados << ItemComic{r.Ruta, r.Marcador, {}};
    return estados;
}

QByteArray EscribirEstados(const QList<ItemComic> &estados)
{
    QList<marcadores::Registro> registros;
    for (const ItemComic &e : estados)
        if (ValorEstado(e.Estado) > 0)
            registros << marcadores::Registro{e.Nombre, QString::number(ValorEstado(e.Estado))};
    return marcadores::Escribir(registros);
}

Lectura LeerArchivoEstados(const QString &ruta, QList<ItemComic> &estados)
{
    QFile f(ruta);
    if (!f.exists())
        return Lectura::Leido;
    if (!f.open(QIODevice::ReadOnly))
        return Lectura::Ilegible;
    const QByteArray texto = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return Lectura::Ilegible;
    estados << LeerEstados(texto);
    return Lectura::Leido;
}

bool GuardarArchivoEstados(const QString &ruta, const QList<ItemComic> &estados)
{
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray texto = EscribirEstados(estados);
    if (f.write(texto) != texto.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QString ClaveNombre(const QString &nombre)
{
    return nombre.toCaseFolded();
}

void CambiarEstado(QList<ItemComic> &estados, const QString &nombre, int estado)
{
    const QString clave = ClaveNombre(nombre);
    bool hallado = false;
    // Every record of the name: a file may hold the same name twice in
    // different cases, and the last one is the one read back.
    for (ItemComic &e : estados) {
        if (ClaveNombre(e.Nombre) == clave) {
            e.Estado = QString::number(estado);
            hallado = true;
        }
    }
    if (!hallado)
        estados << ItemComic{nombre.toLower(), QString::number(estado), {}};
}

void AplicarEstados(QList<ItemComic> &lista, const QList<ItemComic> &estados)
{
    QHash<QString, QString> porNombre;
    porNombre.reserve(estados.size());
    for (const ItemComic &s : estados)
        porNombre.insert(ClaveNombre(s.Nombre), s.Estado);
    if (porNombre.isEmpty())
        return;
    for (ItemComic &e : lista) {
        const auto i = porNombre.constFind(ClaveNombre(e.Nombre));
        if (i != porNombre.constEnd())
            e.Estado = *i;
    }
}

QString UnirRuta(const QString &carpeta, const QString &nombre)
{
    if (carpeta.endsWith(modGeneral::Separador))
        return carpeta + nombre;
    return carpeta + modGeneral::Separador + nombre;
}

QStringList ComicsDe(const QString &carpeta)
{
    if (carpeta.isEmpty())
        return {};
    QStringList nombres = paginas::ListarCarpeta(carpeta, QStringLiteral("*.cbr;*.cbz;*.cb7;*.cbt;*.pdf"));
    // A macOS copy leaves a "._" twin beside every comic: it is no comic.
    nombres.removeIf([](const QString &n) { return paginas::EsRestoMac(n); });
    return nombres;
}

QStringList SubcarpetasDe(const QString &carpeta)
{
    if (carpeta.isEmpty())
        return {};
    QStringList nombres = QDir(carpeta).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    nombres.removeIf([](const QString &n) { return paginas::EsRestoMac(n + u'/'); });
    paginas::Ordenar(nombres);
    return nombres;
}

QList<ItemComic> ListarComics(const QString &carpeta)
{
    QList<ItemComic> lista;
    const auto agregar = [&](const QString &dir) {
        for (const QString &f : ComicsDe(dir))
            lista << ItemComic{f, QStringLiteral("0"), UnirRuta(dir, f)};
    };
    agregar(carpeta);
    for (const QString &d : SubcarpetasDe(carpeta))
        agregar(UnirRuta(carpeta, d));
    return lista;
}

std::optional<QString> RutaDelFiltro(const QString &raiz, const QString &actual, int linea,
                                     const QString &texto)
{
    if (linea == 0) {
        if (QDir::cleanPath(actual).toUpper() == QDir::cleanPath(raiz).toUpper())
            return std::nullopt;
        return raiz;
    }
    return UnirRuta(raiz, texto);
}

} // namespace coleccion
