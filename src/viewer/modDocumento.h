#pragma once
// Document state shared by every window: what is open, its pages, the
// bookmarks and the collection root.
#include <QString>
#include <QStringList>

namespace modDocumento {

struct RegistroMarcador {
    QString Ruta;
    QString Marcador; // page number as text
};

extern QString RutaActual;      // path of the open document ("" when none)
extern QString NombreActual;    // its name
extern QString ExtActual;       // its extension, lower case
extern bool EsComprimido;       // the document is an archive
extern QStringList Paginas;     // 1-based; element 0 holds no page
extern QList<RegistroMarcador> Marcadores; // element 0: the resume record
extern QString RutaColeccion;   // collection root folder

// Start values: no document, one empty element in Paginas and Marcadores.
void Reiniciar();

} // namespace modDocumento
