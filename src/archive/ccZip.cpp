#include "archive/ccZip.h"

#include "archive/Archivo.h"

void ccZip::Init(const QString &archivo)
{
    nombres_.clear();
    ruta_ = archivo;
    if (archivo::FormatoDe(archivo) != archivo::Formato::Zip)
        return;
    for (const archivo::Entrada &e : archivo::ListarEntradas(archivo))
        nombres_ << e.Nombre;
}

int ccZip::Count() const
{
    return static_cast<int>(nombres_.size());
}

QString ccZip::GetFile(int i) const
{
    if (i < 1 || i > nombres_.size())
        return {};
    return nombres_[i - 1];
}
