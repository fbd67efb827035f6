#include "viewer/modDocumento.h"

namespace modDocumento {

QString RutaActual;
QString NombreActual;
QString ExtActual;
bool EsComprimido = false;
QStringList Paginas{QString()};
QList<RegistroMarcador> Marcadores{RegistroMarcador{}};
QString RutaColeccion;

void Reiniciar()
{
    RutaActual.clear();
    NombreActual.clear();
    ExtActual.clear();
    EsComprimido = false;
    Paginas = QStringList{QString()};
    Marcadores = {RegistroMarcador{}};
    RutaColeccion.clear();
}

} // namespace modDocumento
