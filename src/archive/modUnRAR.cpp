#include "archive/modUnRAR.h"

#include "archive/Archivo.h"

namespace modUnRAR {

namespace {

bool EsRar(const QString &archivo)
{
    const archivo::Formato f = archivo::FormatoDe(archivo);
    return f == archivo::Formato::Rar4 || f == archivo::Formato::Rar5;
}

std::uint32_t Bajo(std::uint64_t v)
{
    return static_cast<std::uint32_t>(v);
}

} // namespace

void ListarRAR(const QString &archivo, EntradasRar &entradas)
{
    if (!EsRar(archivo))
        return;
    EntradasRar lista;
    for (const archivo::Entrada &e : archivo::ListarEntradas(archivo)) {
        EntradaRar r;
        r.PackSize = Bajo(e.Empaquetado);
        r.UnpSize = Bajo(e.Tamano);
        r.FileCRC = e.Crc;
        r.UnpVer = e.VersionUnp;
        r.Method = e.Metodo;
        r.Flags = e.Banderas;
        r.HostOS = e.SistemaOrigen;
        r.FileTime = e.FechaDos;
        r.FileAttr = e.Atributos;
        r.FileName = e.Nombre;
        lista.push_back(std::move(r));
    }
    entradas = std::move(lista);
}

} // namespace modUnRAR
