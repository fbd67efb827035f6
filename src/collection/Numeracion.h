#pragma once
// The numbering of a series: the user marks the issue number in one comic's
// name; the same word of every name in the folder gives that comic's number,
// and the lists of what is there and what is missing follow from them.
#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace numeracion {

enum class Opcion { Tengo = 0, Todos = 1, Faltan = 2 };

// A name without its last 4 characters (the extension and its dot); "" when
// it is shorter.
QString SinExtension(const QString &nombre);

// Whether a word is an issue number: digits only.
bool EsNumerico(const QString &palabra);

struct Seleccion {
    int Inicio = 0; // in characters from the start of the name
    int Largo = 0;
    bool operator==(const Seleccion &) const = default;
};

// The first numeric word of the name, where it really is.
std::optional<Seleccion> PalabraNumerica(const QString &nombre);

// The index of the word that holds the character at `posicion`; nothing
// outside the name without its extension.
std::optional<int> PalabraEn(const QString &nombre, int posicion);

// The number in word `palabra` of the name; nothing when that word is
// missing, not numeric or beyond 16 bits.
std::optional<int> NumeroDe(const QString &nombre, int palabra);

struct Lista {
    QString Primero;     // the comic with the lowest number (at most 10000)
    QString Ultimo;      // the comic with the highest number
    QStringList Lineas;
};

// The list of `opcion` for the comics `archivos` (in folder order), the
// number being the word of `nombre` under the selection `sel`. Nothing when
// the selected text is empty or not numeric. A name whose word is missing,
// not numeric or beyond 16 bits gives no number. Numbers
// run from 0 when the series starts at 0, else from 1, to the highest;
// a missing one is written with as many digits as the selection has,
// followed by `falta`.
std::optional<Lista> GenerarLista(const QStringList &archivos, const QString &nombre, Seleccion sel,
                                  Opcion opcion, const QString &falta);

struct DatosBloc {
    QString Titulo;      // the window's title
    QString Carpeta;
    QDate Fecha;
    QString TextoPrimero, Primero; // caption and name
    QString TextoUltimo, Ultimo;
    QString TituloLista;
    QStringList Lineas;
    QString Version;     // "major.minor.revision"
    QString Cierre;      // the closing line
};

// The list as text for an editor: every line ended by a line feed.
QString TextoBloc(const DatosBloc &d);

} // namespace numeracion
