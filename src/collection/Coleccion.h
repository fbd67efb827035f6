#pragma once
// The collection as files: which comics a folder holds and in what order, and
// the read states kept in "tvlcol.tvl" beside the program. Plain functions;
// the browser only applies them.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace coleccion {

struct ItemComic {
    QString Nombre; // file name, without folder
    QString Estado; // read state as decimal text; 0 = not read
    QString Ruta;   // full path (list entries only)
    bool operator==(const ItemComic &) const = default;
};

// ---- "tvlcol.tvl": one record per line, the name and the state each in
// double quotes, as the bookmarks file writes them.

QString RutaEstados(); // in the program's folder

// The state as a number: its leading integer, 0 when it has none.
int ValorEstado(const QString &estado);

// Every record of the text, in order (only Nombre and Estado).
QList<ItemComic> LeerEstados(const QByteArray &texto);

// The records whose state is above 0, in order.
QByteArray EscribirEstados(const QList<ItemComic> &estados);

enum class Lectura {
    Leido,      // read, or there is no file yet
    Ilegible,   // a file is there but could not be read: it must not be replaced
};

Lectura LeerArchivoEstados(const QString &ruta, QList<ItemComic> &estados);

// A new file renamed over the old one; false when nothing was written.
bool GuardarArchivoEstados(const QString &ruta, const QList<ItemComic> &estados);

// The comparison key of a comic's name: states go by name alone, in any
// folder, without regard to case.
QString ClaveNombre(const QString &nombre);

// The new state of the comic `nombre`: every record of that name takes it;
// without one, a record (lower-cased name) is appended.
void CambiarEstado(QList<ItemComic> &estados, const QString &nombre, int estado);

// Each comic of the list takes the state of the last record of its name.
void AplicarEstados(QList<ItemComic> &lista, const QList<ItemComic> &estados);

// ---- The folders.

// "carpeta/nombre", with exactly one separator between them.
QString UnirRuta(const QString &carpeta, const QString &nombre);

// The ".cbr", ".cbz", ".cb7", ".cbt" and ".pdf" files of a folder (extension in any case), by name.
QStringList ComicsDe(const QString &carpeta);

// The immediate sub-folders of a folder, by name; hidden ones are left out.
QStringList SubcarpetasDe(const QString &carpeta);

// The comics of the folder, then those of each immediate sub-folder in
// turn; deeper folders are not visited. Every state "0".
QList<ItemComic> ListarComics(const QString &carpeta);

// The folder a line of the directory filter leads to: line 0 the root,
// line n > 0 the root's sub-folder `texto`. Nothing when line 0 is chosen
// while the root is already shown (the filter is only hidden then).
std::optional<QString> RutaDelFiltro(const QString &raiz, const QString &actual, int linea,
                                     const QString &texto);

} // namespace coleccion
