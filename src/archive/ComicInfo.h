#pragma once
// What a comic's ComicInfo.xml says about it, in the schema the common
// taggers write. Its bytes come from the archive and are never trusted: over
// a size they are not read, a document type that declares entities is
// ignored whole, numbers out of range count as not given and texts are cut.
#include "archive/Archivo.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace archivo {

inline constexpr qsizetype TamanoMaximoComicInfo = 1024 * 1024;
inline constexpr qsizetype LargoMaximoCampo = 1000;     // every text but the summary
inline constexpr qsizetype LargoMaximoResumen = 20000;
inline constexpr int MaximoPaginasComicInfo = 100000;

enum class Manga { Desconocido, No, Si, SiDerechaAIzquierda };

// The schema's page types, in its order (FrontCover, InnerCover, Roundup,
// Story, Advertisement, Editorial, Letters, Preview, BackCover, Other,
// Deleted).
enum class TipoPagina {
    Portada,
    PortadaInterior,
    Resumen,
    Historia,
    Anuncio,
    Editorial,
    Cartas,
    Avance,
    Contraportada,
    Otra,
    Borrada,
};

struct PaginaComic {
    int Imagen = -1;                 // the page's place in page order, from 0
    std::uint32_t Tipos = 1u << int(TipoPagina::Historia); // a page may be of several
    bool Doble = false;              // DoublePage: one picture across two pages
    bool Es(TipoPagina t) const { return Tipos & (1u << int(t)); }
};

struct InfoComic {
    bool Leida = false;              // there was a ComicInfo and it was read
    QString Titulo;
    QString Serie;
    QString Numero;                  // as written: "1", "1.5", "½"...
    QString Guionista;               // Writer, as written (may list several)
    QString Dibujante;               // Penciller, likewise
    QString Resumen;
    int Volumen = -1;                // -1: not given
    int Cantidad = -1;               // Count: issues in the series
    int Ano = -1;
    int Mes = -1;
    Manga EsManga = Manga::Desconocido;
    std::vector<PaginaComic> Paginas; // each Image once, as first given

    // The Image of the first page marked FrontCover; -1 for none.
    int Portada() const;
};

// Reads a ComicInfo.xml from its bytes. Fields read before a fault in the
// XML are kept; nothing is read from bytes over TamanoMaximoComicInfo, from
// a root other than ComicInfo, or from a document type declaring entities.
InfoComic LeerComicInfo(const QByteArray &xml);

// Whether an entry is a ComicInfo.xml, in any folder and any case.
bool EsComicInfo(const QString &nombre);

// The ComicInfo.xml of an archive's entries: the one at the top level, or
// else the least deep one, the first in archive order among equals. -1 for
// none.
int EntradaComicInfo(const std::vector<Entrada> &entradas);

// The ComicInfo of the archive at `ruta`, its entry read whole only when
// it is not larger than TamanoMaximoComicInfo. Leida is false when there is
// none or it could not be read.
InfoComic LeerComicInfoDe(const QString &ruta);

} // namespace archivo
