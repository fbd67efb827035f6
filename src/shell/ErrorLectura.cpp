#include "shell/ErrorLectura.h"

#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

int MensajeDe(Motivo m)
{
    switch (m) {
    case Motivo::Ninguno:
        return 0;
    case Motivo::NoEsta:
        return 1220;
    case Motivo::NoEsComic:
        return 1221;
    case Motivo::Roto:
        return 1222;
    case Motivo::Vacio:
        return 1223;
    case Motivo::SinPaginas:
        return 1224;
    case Motivo::CifradoRar:
        return 1225;
    case Motivo::PideClave:
        return 1226;
    case Motivo::ClaveIncorrecta:
        return 1227;
    case Motivo::NoDecodificable:
        return 1228;
    case Motivo::DemasiadoGrande:
        return 1229;
    }
    return 0;
}

ErrorLectura::ErrorLectura(Motivo motivo, QString archivo, QString entrada)
    : std::runtime_error("the file could not be read"), Razon(motivo), Archivo(std::move(archivo)),
      Entrada(std::move(entrada))
{
}

QString TextoDe(const ErrorLectura &f)
{
    const QString nombre = modGeneral::NombreDeRuta(f.Archivo);
    return modIdioma::TextoIdioma(MensajeDe(f.Razon)).arg(nombre.isEmpty() ? f.Archivo : nombre);
}
