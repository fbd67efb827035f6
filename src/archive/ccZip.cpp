#include "archive/ccZip.h"

#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"

#include <QFileInfo>

void ccZip::Init(const QString &archivo)
{
    nombres_.clear();
    regulares_.clear();
    ruta_ = archivo;
    if (archivo::FormatoDe(archivo) != archivo::Formato::Zip)
        return;
    for (const archivo::Entrada &e : archivo::ListarEntradas(archivo)) {
        nombres_ << e.Nombre;
        if (e.Regular)
            regulares_ << e.Nombre;
    }
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

int ccZip::Decompress(const QString &carpeta, const QString &entrada,
                      const archivo::PedirClave &pedirClave) const
{
    if (carpeta.isEmpty())
        return ModZIP::ZipSinCarpeta;
    if (archivo::FormatoDe(ruta_) != archivo::Formato::Zip)
        return ModZIP::ZipNoEsZip;
    int escritas = 0;
    int fallidas = 0;
    const archivo::Lectura lectura = archivo::LeerEntradas(
        ruta_, [&](const QString &nombre) { return nombre == entrada; },
        [&](const QString &, const QByteArray &datos) {
            if (archivo::EscribirEntrada(carpeta, entrada, datos))
                ++escritas;
            else
                ++fallidas;
        },
        pedirClave);
    if (lectura.Encontradas == 0)
        return ModZIP::ZipNoEncontrada;
    if (fallidas > 0)
        return ModZIP::ZipDisco;
    return escritas == lectura.Encontradas ? ModZIP::ZipBien : ModZIP::ZipError;
}
