#pragma once
// The rules that turn a document into its ordered page list, and the folder
// listings beside it. Plain functions: the window only applies them.
#include "archive/Archivo.h"

#include <QString>
#include <QStringList>

#include <vector>

class QMimeData;

namespace paginas {

enum class ClaseDocumento { Rar, Zip, Imagenes };

// By the upper-cased extension alone: CBR/RAR, CBZ/ZIP, anything else.
ClaseDocumento ClaseDe(const QString &extMayusculas);
bool EsArchivoComprimido(const QString &extMayusculas);

// Whether a name is a page of a document of that class, by its extension.
// JPEG, WebP, AVIF and JPEG XL pages count as pages everywhere; what a Mac
// leaves beside the files ("__MACOSX/", "._name") never does.
bool EsPagina(const QString &nombre, ClaseDocumento clase);

// The pages among an archive's entries, in page order: the regular files
// that are pages by their name and whose name stays inside the folder it
// would be written to. The one rule every reader of a document follows.
QStringList PaginasDeEntradas(const std::vector<archivo::Entrada> &entradas, ClaseDocumento clase);

// What archivers on a Mac add beside the real files: anything in a "__MACOSX"
// folder and the "._name" AppleDouble twins. Never a page, nor a comic.
bool EsRestoMac(const QString &nombre);

// The patterns of a picture folder's listing and of the archives beside one.
QString PatronImagenes();
QString PatronComprimidos();

// Case-insensitive, character by character in the user's locale; digits are
// characters (p10 before p2). Equal names keep their order.
void Ordenar(QStringList &nombres);

// The files of `carpeta` matching any of the ";"-separated patterns (case
// ignored), in page order; folders never.
QStringList ListarCarpeta(const QString &carpeta, const QString &patrones);

// The position `paso` away from `i` among `n`, wrapping at both ends.
int PosicionVecina(int i, int paso, int n);

// The open dialog's filter: the catalogue's, with the JPEG, WebP, AVIF and
// JPEG XL extensions beside every "*.jpg".
QString FiltroAbrir(const QString &filtroCatalogo);

// A file the open dialog offers, or a folder (what a drop from the desktop
// may bring).
bool EsAbrible(const QString &ruta);

// What a drop opens: the first of the dropped files when it is one the
// viewer opens, "" otherwise.
QString ArchivoSoltado(const QMimeData *datos);

} // namespace paginas
