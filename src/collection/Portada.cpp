#include "collection/Portada.h"

#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"
#include "documento/Paginas.h"
#include "imaging/Diseno.h"
#include "imaging/modPNG.h"
#include "shell/modAnsi.h"

#include <algorithm>

namespace portada {

QStringList PaginasDeArchivo(const QString &ruta)
{
    const paginas::ClaseDocumento clase = archivo::FormatoDe(ruta) == archivo::Formato::Zip
                                              ? paginas::ClaseDocumento::Zip
                                              : paginas::ClaseDocumento::Rar;
    QStringList nombres;
    for (const archivo::Entrada &e : archivo::ListarEntradas(ruta)) {
        if (!e.Regular)
            continue;
        const QString n = modAnsi::OemAAnsi(e.Nombre);
        // A name the extraction path refuses is never shown either.
        if (!paginas::EsPagina(n, clase)
            || archivo::RutaDentroDe(QStringLiteral("/"), modAnsi::AnsiAOem(n)).isEmpty())
            continue;
        nombres << n;
    }
    paginas::Ordenar(nombres);
    return nombres;
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
                                   std::uint64_t maximo)
{
    const QStringList pags = PaginasDeArchivo(ruta);
    if (pags.isEmpty())
        return std::nullopt;
    auto origen = std::make_shared<OrigenPicture>();
    origen->Nombre = pags.constFirst();
    bool recibida = false;
    archivo::LeerEntradas(
        ruta, [&](const QString &n) { return modAnsi::OemAAnsi(n) == origen->Nombre; },
        [&](const QString &, const QByteArray &datos) {
            origen->Datos = datos; // same-named entries: the last one, as the viewer shows
            recibida = true;
        },
        {}, {}, maximo);
    if (!recibida)
        return std::nullopt;
    ControlImagen c;
    try {
        modPNG::CargarPagina(origen, tamano, c);
    } catch (const ErrorImagen &) {
        return std::nullopt;
    }
    if (c.Picture.isNull())
        return std::nullopt;
    Portada p;
    p.Entrada = origen->Nombre;
    p.Paginas = int(pags.size());
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
    return LeerPortada(ruta, [ladoPixeles](QSize n) { return TamanoEnCaja(n, ladoPixeles); }, maximo);
}

} // namespace portada
