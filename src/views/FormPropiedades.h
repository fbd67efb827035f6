#pragma once
// The properties card of the open document and its current page: kind,
// size, dimensions, name, folder, place in the folder, pages, bookmark, the
// three file dates, the read state in the collection, the file's icon and a
// preview of the page. A button asks the desktop for its own properties
// dialog of the file. Any key closes it.
#include "imaging/ControlImagen.h"
#include "views/VentanaModal.h"

#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>

#include <cstdint>

class Comandos;
class Documento;
class QLabel;
class QToolButton;

namespace coleccion { struct ItemComic; }

namespace propiedades {

// The lines of the card, in order.
enum Linea { Tipo, Tamano, Dimensiones, Nombre, Carpeta, Posicion, Paginas, Marcador,
             Creado, Modificado, Accedido, Estado,
             Serie, Ano, Creditos, // from the comic's ComicInfo.xml: empty without one
             NumeroLineas };

// The file the card is about: the archive, or the current page's picture
// in a picture folder.
QString ArchivoDescrito(const Documento &doc, int pagina);

// The name without its extension, whatever the extension's length.
QString NombreSinExtension(const QString &nombre);

// "ddMMMyy - hh.mm" in the local time zone; "" for an unknown date.
QString TextoFecha(const QDateTime &fecha);

// The read state the collection records for a comic of that file name
// (0 not read, 1 read, 2 reading).
int EstadoLectura(const QString &nombre, const QList<coleccion::ItemComic> &estados);

struct Ficha {
    QString Ruta;                  // the described file
    QString Texto[NumeroLineas];
    int EstadoLectura = 0;
};

// The card for page `pagina` of the document, the main window's picture being
// `dimensiones` pixels and the collection's states `estados`.
Ficha Rellenar(const Documento &doc, int pagina, QSize dimensiones,
               const QList<coleccion::ItemComic> &estados);

} // namespace propiedades

class FormPropiedades : public VentanaModal {
    Q_OBJECT
public:
    explicit FormPropiedades(Comandos &comandos);

    QLabel *LBTit[propiedades::NumeroLineas] = {};
    QLabel *PBIcono = nullptr;
    QLabel *PB = nullptr;          // the preview
    QWidget *Frame1 = nullptr;
    QLabel *Im = nullptr;          // the read state's marker
    QToolButton *ImPropiedades = nullptr;
    propiedades::Ficha Ficha;

    // Fills the card and the preview for that page of the open document.
    void PonerPagina(int pagina);

protected:
    void TeclaSoltada(QKeyEvent &evento) override;

private:
    void PonerPrevia(int pagina);
    void PintarPrevia(const ControlImagen &c);

    Comandos &comandos_;
};
