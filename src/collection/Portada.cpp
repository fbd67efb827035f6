#include "collection/Portada.h"

#include "documento/FuentePaginas.h"
#include "imaging/Diseno.h"
#include "imaging/modPNG.h"

#include <algorithm>

namespace portada {

QStringList PaginasDeArchivo(const QString &ruta)
{
    const auto fuente = FuentePaginas::ParaContenido(ruta);
    return fuente ? fuente->Listar().Paginas : QStringList();
}

QSize TamanoEnCaja(QSize natural, int lado)
{
    if (natural.isEmpty() || lado <= 0)
        return {};
    const double proporcion = double(natural.width()) / natural.height();
    if (natural.width() > natural.height())
        return {lado, std::max(1, diseno::Entero(lado / proporcion))};
    return {std::max(1, diseno::Entero(proporcion * lado)), lado};
}

std::optional<Portada> LeerPortada(const QString &ruta, const std::function<QSize(QSize)> &tamano,
                                   const std::atomic<bool> *cancelar, std::uint64_t maximo)
{
    const auto fuente = FuentePaginas::ParaContenido(ruta);
    if (!fuente)
        return std::nullopt;
    const FuentePaginas::Listado pags = fuente->Listar();
    if (pags.Paginas.isEmpty())
        return std::nullopt;
    auto origen = std::make_shared<OrigenPicture>();
    ControlImagen c;
    try {
        if (fuente->LeerOrigen(pags.Paginas.value(pags.Portada - 1, pags.Paginas.constFirst()), *origen)
                != Motivo::Ninguno
            || quint64(origen->Datos.size()) > maximo
            || !modPNG::CargarPagina(origen, tamano, c, cancelar))
            return std::nullopt;
    } catch (const std::exception &) {
        return std::nullopt; // not decodable, or out of memory
    }
    if (c.Picture.isNull())
        return std::nullopt;
    Portada p;
    p.Entrada = origen->Nombre;
    p.Paginas = int(pags.Paginas.size());
    p.Serie = archivo::SerieYNumero(pags.Info);
    p.Natural = TamanoNatural(c);
    p.Imagen = std::move(c.Picture);
    // PNG pages and metafiles come whole from their loaders.
    const QSize t = tamano ? tamano(p.Natural) : QSize();
    if (!t.isEmpty() && (p.Imagen.width() > t.width() || p.Imagen.height() > t.height()))
        p.Imagen = p.Imagen.scaled(t.boundedTo(p.Imagen.size()), Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation);
    return p;
}

std::optional<Portada> LeerPortada(const QString &ruta, int ladoPixeles, std::uint64_t maximo)
{
    return LeerPortada(ruta, [ladoPixeles](QSize n) { return TamanoEnCaja(n, ladoPixeles); }, nullptr, maximo);
}

} // namespace portada
