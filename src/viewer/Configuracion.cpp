#include "viewer/Configuracion.h"

#include "documento/Documento.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "viewer/EstadoVista.h"
#include "viewer/modIni.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace configuracion {

QString RutaIni()
{
    return modGeneral::CarpetaPrograma() + modGeneral::Separador + QStringLiteral("tavelo.ini");
}

QString CodigoDeNombreIdioma(const QString &nombreIngles)
{
    const QString n = nombreIngles.toLower();
    if (n == u"english") return QStringLiteral("ing");
    if (n == u"portuguese") return QStringLiteral("por");
    if (n == u"latvian") return QStringLiteral("lat");
    if (n == u"danish") return QStringLiteral("dan");
    if (n == u"dutch") return QStringLiteral("dut");
    if (n == u"german") return QStringLiteral("deu");
    return QStringLiteral("esp");
}

QString SiguienteIdioma(const QString &codigo)
{
    const QStringList &ciclo = modIdioma::CodigosIdioma();
    const auto i = ciclo.indexOf(codigo);
    return i < 0 ? codigo : ciclo[(i + 1) % ciclo.size()];
}

std::optional<std::int32_t> Entero32(const QString &texto)
{
    bool ok = false;
    const double v = texto.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<bool> Booleano(const QString &texto)
{
    const QString t = texto.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok)
        return v != 0;
    return std::nullopt;
}

int NumeroDePagina(const QString &texto)
{
    const auto n = Entero32(texto);
    return n ? int(*n) : 1;
}

std::int32_t ColorABgr(int rojo, int verde, int azul)
{
    return (rojo & 0xff) | ((verde & 0xff) << 8) | ((azul & 0xff) << 16);
}

QString IdiomaDelSistema()
{
    // QLocale() is the system locale unless a default was set.
    return CodigoDeNombreIdioma(QLocale::languageToString(QLocale().language()));
}

void Leer(EstadoVista &vista, Documento &documento)
{
    const QString ini = RutaIni();
    const QString idioma = modIni::LeerIni(ini, "Config", "Idioma", "");
    modIdioma::Idioma = idioma.isEmpty() ? IdiomaDelSistema() : idioma;
    if (const auto bgr = Entero32(modIni::LeerIni(ini, "Config", "Color", "0")))
        vista.PonerColorFondo(*bgr);
    const auto barra = Booleano(modIni::LeerIni(ini, "Config", "Barra", "False"));
    if (!barra)
        return;
    vista.PonerBarraVisible(*barra);
    documento.RutaActual = modIni::LeerIni(ini, "Config", "uPath", "");
    documento.Marcadores[0].Ruta = modIni::LeerIni(ini, "Ultimo", "Ruta", "");
    documento.Marcadores[0].Marcador = modIni::LeerIni(ini, "Ultimo", "Marcador", "");
    documento.RutaColeccion = modIni::LeerIni(ini, "Coleccion", "Ruta", "");
}

bool Guardar(const EstadoVista &vista, const Documento &documento, bool barraEnPantalla)
{
    const QString ini = RutaIni();
    auto escribir = [&](const char *seccion, const char *clave, const QString &valor) {
        return modIni::EscribirIni(ini, seccion, clave, valor);
    };
    // A path with a line break cannot be one line of the file: it is kept as
    // if there were none, and the file keeps its lines.
    auto guardable = [](const QString &ruta) { return modIni::Escribible(ruta) ? ruta : QString(); };
    const QString ruta = guardable(documento.RutaActual);
    const QString coleccion = guardable(documento.RutaColeccion);
    if (!escribir("Config", "Idioma", modIdioma::Idioma)
        || !escribir("Config", "Color", QString::number(vista.ColorFondo()))
        || !escribir("Config", "Barra", barraEnPantalla ? "True" : "False")
        || !escribir("Config", "uPath", ruta))
        return false;
    // Nothing open (a start on a file that failed): the last document and
    // its page stay as they were.
    if (!ruta.isEmpty() && documento.HayDocumento()
        && (!escribir("Ultimo", "Ruta", ruta)
            || !escribir("Ultimo", "Marcador", QString::number(vista.PaginaActual()))))
        return false;
    return coleccion.isEmpty() || escribir("Coleccion", "Ruta", coleccion);
}

} // namespace configuracion
