#pragma once
// Document state shared by every window: what is open, its pages, the
// bookmarks and the collection root.
#include "archive/ccZip.h"
#include "archive/modUnRAR.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace modDocumento {

struct RegistroMarcador {
    QString Ruta;
    QString Marcador; // page number as text
};

extern QString RutaActual;      // path of the open document ("" when none)
extern QString NombreActual;    // its name
extern QString ExtActual;       // extension of the opened path, upper case
extern bool EsComprimido;       // the document is an archive
extern QStringList Paginas;     // 1-based; element 0 holds no page
extern QList<RegistroMarcador> Marcadores; // element 0: the resume record
extern QString RutaColeccion;   // collection root folder
extern std::unique_ptr<ccZip> ZipActual;       // reader of the open ZIP document
extern modUnRAR::EntradasRar EntradasRar;     // entries of the open RAR document

// Start values: no document, one empty element in Paginas and Marcadores.
void Reiniciar();

} // namespace modDocumento
