#include "documento/modDocumento.h"

namespace modDocumento {

QString RutaActual;
QString NombreActual;
QString ExtActual;
bool EsComprimido = false;
QStringList Paginas{QString()};
QList<RegistroMarcador> Marcadores{RegistroMarcador{}};
QString RutaColeccion;
std::unique_ptr<ccZip> ZipActual;
modUnRAR::EntradasRar EntradasRar;

void Reiniciar()
{
    RutaActual.clear();
    NombreActual.clear();
    ExtActual.clear();
    EsComprimido = false;
    Paginas = QStringList{QString()};
    Marcadores = {RegistroMarcador{}};
    RutaColeccion.clear();
    ZipActual.reset();
    EntradasRar.clear();
}

} // namespace modDocumento
