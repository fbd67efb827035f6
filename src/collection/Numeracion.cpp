#include "collection/Numeracion.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <limits>
#include <vector>

namespace numeracion {

namespace {

constexpr int PrimeroMaximo = 10000; // the lowest number is looked for from here down
const QString Regla(49, u'_');

struct Palabra {
    int Inicio;
    QString Texto;
};

// The words of the name without its extension, split at each blank (two
// blanks make an empty word), with where each starts.
std::vector<Palabra> Palabras(const QString &nombre)
{
    const QString s = SinExtension(nombre);
    std::vector<Palabra> palabras;
    int inicio = 0;
    for (const QString &p : s.split(u' ')) {
        palabras.push_back({inicio, p});
        inicio += int(p.size()) + 1;
    }
    return palabras;
}

} // namespace

QString SinExtension(const QString &nombre)
{
    return nombre.size() < 4 ? QString() : nombre.chopped(4);
}

bool EsNumerico(const QString &palabra)
{
    return !palabra.isEmpty()
        && std::all_of(palabra.begin(), palabra.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<Seleccion> PalabraNumerica(const QString &nombre)
{
    for (const Palabra &p : Palabras(nombre))
        if (EsNumerico(p.Texto))
            return Seleccion{p.Inicio, int(p.Texto.size())};
    return std::nullopt;
}

std::optional<int> PalabraEn(const QString &nombre, int posicion)
{
    const std::vector<Palabra> palabras = Palabras(nombre);
    for (int i = 0; i < int(palabras.size()); ++i) {
        const Palabra &p = palabras[i];
        if (posicion >= p.Inicio && posicion < p.Inicio + p.Texto.size())
            return i;
    }
    return std::nullopt;
}

std::optional<int> NumeroDe(const QString &nombre, int palabra)
{
    const std::vector<Palabra> palabras = Palabras(nombre);
    if (palabra < 0 || palabra >= int(palabras.size()) || !EsNumerico(palabras[palabra].Texto))
        return std::nullopt;
    bool ok = false;
    const qlonglong n = palabras[palabra].Texto.toLongLong(&ok);
    if (!ok || n > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return int(n);
}

std::optional<Lista> GenerarLista(const QStringList &archivos, const QString &nombre, Seleccion sel,
                                  Opcion opcion, const QString &falta)
{
    const QString texto = nombre.mid(sel.Inicio, sel.Largo);
    if (!EsNumerico(texto))
        return std::nullopt;
    // The word under the selection, not the first one that holds its digits:
    // "X 1991 19" with 19 selected reads the third word.
    const std::optional<int> w = PalabraEn(nombre, sel.Inicio);
    if (!w)
        return std::nullopt;

    std::vector<std::pair<int, QString>> numeros;
    int ultimo = 0;
    int primero = PrimeroMaximo;
    for (const QString &f : archivos) {
        if (const auto n = NumeroDe(f, *w)) {
            numeros.emplace_back(*n, f);
            ultimo = std::max<int>(ultimo, *n);
            primero = std::min<int>(primero, *n);
        }
    }
    Lista lista;
    QHash<int, QString> primeroDe; // the first comic of each number, in folder order
    for (const auto &[n, f] : numeros) {
        if (n == primero)
            lista.Primero = f;
        if (n == ultimo)
            lista.Ultimo = f;
        if (!primeroDe.contains(n))
            primeroDe.insert(n, f);
    }
    for (int n = primero == 0 ? 0 : 1; n <= ultimo; ++n) {
        const QString hallado = primeroDe.value(n);
        const QString faltante = QString::number(n).rightJustified(texto.size(), u'0') + falta;
        switch (opcion) {
        case Opcion::Tengo:
            if (!hallado.isEmpty())
                lista.Lineas << hallado;
            break;
        case Opcion::Todos:
            lista.Lineas << (hallado.isEmpty() ? faltante : hallado);
            break;
        case Opcion::Faltan:
            if (hallado.isEmpty())
                lista.Lineas << faltante;
            break;
        }
    }
    return lista;
}

QString TextoBloc(const DatosBloc &d)
{
    QStringList l;
    l << Regla << QString() << d.Titulo << d.Carpeta << QString()
      << QLocale().toString(d.Fecha, QStringLiteral("dd MMMM yyyy")) << Regla << QString()
      << d.TextoPrimero + u' ' + d.Primero << d.TextoUltimo + u' ' + d.Ultimo << QString()
      << d.TituloLista << QString();
    for (const QString &linea : d.Lineas)
        l << linea + u' ';
    l << Regla << QStringLiteral("Tavelo v") + d.Version << d.Cierre;
    return l.join(u'\n') + u'\n';
}

} // namespace numeracion
