#pragma once
// Why a document, an archive or a page could not be read: the one error
// type of the reading path, with a reason a message can show and the file
// it is about. Thrown by the picture loaders, returned by the page sources.
#include <QString>

#include <stdexcept>

// Each reason but Ninguno has its message, in this order from 1220.
enum class Motivo {
    Ninguno,          // no failure
    NoEsta,           // the file, or the page in it, is not there
    NoEsComic,        // not an archive of its kind, nor a picture
    Roto,             // damaged: its data fails its checks or cannot be unpacked
    Vacio,            // an archive without a single entry
    SinPaginas,       // entries, none of them a page
    CifradoRar,       // RAR encryption: our libraries cannot decrypt it
    PideClave,        // behind a password, none given yet
    ClaveIncorrecta,  // behind a password, and the one given was wrong
    NoDecodificable,  // page bytes that no loader turns into a picture
    DemasiadoGrande,  // over the limits a page may take
};

// The catalogue message that says the reason, "%1" standing for the file's
// name; 0 for Ninguno.
int MensajeDe(Motivo m);

// Whether only a password stands between the reader and the page.
inline bool FaltaClave(Motivo m)
{
    return m == Motivo::PideClave || m == Motivo::ClaveIncorrecta;
}

struct ErrorLectura : std::runtime_error {
    ErrorLectura(Motivo motivo, QString archivo, QString entrada = {});
    Motivo Razon;
    QString Archivo;  // the document or the picture file
    QString Entrada;  // the page inside it, when there is one
};

// The reason in the current language, naming the file (and the page in it).
QString TextoDe(const ErrorLectura &f);
// What the viewer shows for a failure: the loading error, and below it the
// reason naming the file.
QString AvisoDe(const ErrorLectura &f);
