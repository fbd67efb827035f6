#include "shell/ErrorLectura.h"

#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

namespace {

// The reasons' texts are numbered in the order of the reasons, from NoEsta.
constexpr int PrimerMensaje = 1220;
static_assert(int(Motivo::DemasiadoGrande) - int(Motivo::NoEsta) == 1229 - PrimerMensaje);

} // namespace

int MensajeDe(Motivo m)
{
    return m == Motivo::Ninguno ? 0 : PrimerMensaje + int(m) - int(Motivo::NoEsta);
}

ErrorLectura::ErrorLectura(Motivo motivo, QString archivo, QString entrada)
    : std::runtime_error("the file could not be read"), Razon(motivo), Archivo(std::move(archivo)),
      Entrada(std::move(entrada))
{
}

QString TextoDe(const ErrorLectura &f)
{
    QString nombre = modGeneral::NombreDeRuta(f.Archivo);
    if (nombre.isEmpty())
        nombre = f.Archivo;
    if (!f.Entrada.isEmpty())
        nombre += QStringLiteral(" (") + f.Entrada + u')';
    return modIdioma::TextoIdioma(MensajeDe(f.Razon)).arg(nombre);
}

QString AvisoDe(const ErrorLectura &f)
{
    constexpr int ErrorDeCarga = 200; // "Loading error"
    return modIdioma::TextoIdioma(ErrorDeCarga) + u'\n' + TextoDe(f);
}
