#pragma once
// The bookmarks file "tavelo.tvl": one record per line, CR LF, the path and
// the page each in double quotes, separated by a comma. A double quote inside
// a field is written twice, so paths holding quotes or commas survive; files
// written without that (no path had a quote) read the same.
#include <QByteArray>
#include <QList>
#include <QString>

struct RegistroMarcador {
    QString Ruta;
    QString Marcador; // page number as text; empty: removed this run
};

namespace marcadores {

using Registro = RegistroMarcador;

QString RutaArchivo(); // in the program's folder

// Every record of the text, in order. Unquoted fields end at the next comma
// or line end and lose their outer blanks.
QList<Registro> Leer(const QByteArray &texto);

// Records with an empty page (removed this run) are left out.
QByteArray Escribir(const QList<Registro> &registros);

// Whether a read record is kept: its file exists, or its folder holds a picture.
bool Vigente(const QString &ruta);

} // namespace marcadores
