#include "archive/ComicInfo.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <set>

namespace archivo {

namespace {

// Element and value names as taggers write them, whatever their case.
bool Igual(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Texto(QXmlStreamReader &r, qsizetype maximo)
{
    return r.readElementText(QXmlStreamReader::SkipChildElements).trimmed().left(maximo);
}

int Numero(QXmlStreamReader &r, int minimo, int maximo)
{
    bool ok = false;
    const int n = r.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toInt(&ok);
    return ok && n >= minimo && n <= maximo ? n : -1;
}

QStringView Atributo(const QXmlStreamAttributes &atributos, QStringView nombre)
{
    for (const QXmlStreamAttribute &a : atributos)
        if (Igual(a.name(), nombre))
            return a.value();
    return {};
}

Manga MangaDe(const QString &v)
{
    if (Igual(v, u"Yes"))
        return Manga::Si;
    if (Igual(v, u"YesAndRightToLeft"))
        return Manga::SiDerechaAIzquierda;
    if (Igual(v, u"No"))
        return Manga::No;
    return Manga::Desconocido;
}

// The schema's names, in the order of TipoPagina.
constexpr std::array<const char16_t *, 11> NombresTipo{u"FrontCover", u"InnerCover", u"Roundup", u"Story",
                                                       u"Advertisement", u"Editorial", u"Letters", u"Preview",
                                                       u"BackCover", u"Other", u"Deleted"};

// A list of types separated by spaces; the default when none is known.
std::uint32_t TiposDe(QStringView v)
{
    std::uint32_t tipos = 0;
    for (const QStringView palabra : v.split(u' ', Qt::SkipEmptyParts))
        for (std::size_t i = 0; i < NombresTipo.size(); ++i)
            if (Igual(palabra, NombresTipo[i]))
                tipos |= 1u << i;
    return tipos ? tipos : PaginaComic{}.Tipos;
}

// Pages of every Pages element, each Image once.
void LeerPaginas(QXmlStreamReader &r, std::vector<PaginaComic> &paginas)
{
    std::set<int> vistas;
    for (const PaginaComic &p : paginas)
        vistas.insert(p.Imagen);
    while (r.readNextStartElement()) {
        if (Igual(r.name(), u"Page") && int(paginas.size()) < MaximoPaginasComicInfo) {
            const QXmlStreamAttributes a = r.attributes();
            bool ok = false;
            const int imagen = Atributo(a, u"Image").trimmed().toInt(&ok);
            if (ok && imagen >= 0 && imagen < MaximoPaginasComicInfo && vistas.insert(imagen).second) {
                PaginaComic p;
                p.Imagen = imagen;
                p.Tipos = TiposDe(Atributo(a, u"Type"));
                const QStringView doble = Atributo(a, u"DoublePage").trimmed();
                p.Doble = Igual(doble, u"true") || doble == u"1";
                paginas.push_back(p);
            }
        }
        r.skipCurrentElement();
    }
}

struct CampoTexto {
    const char16_t *nombre;
    QString InfoComic::*campo;
    qsizetype maximo;
};
const CampoTexto CamposTexto[] = {
    {u"Title", &InfoComic::Titulo, LargoMaximoCampo},     {u"Series", &InfoComic::Serie, LargoMaximoCampo},
    {u"Number", &InfoComic::Numero, LargoMaximoCampo},    {u"Writer", &InfoComic::Guionista, LargoMaximoCampo},
    {u"Penciller", &InfoComic::Dibujante, LargoMaximoCampo}, {u"Summary", &InfoComic::Resumen, LargoMaximoResumen},
};

struct CampoNumero {
    const char16_t *nombre;
    int InfoComic::*campo;
    int minimo, maximo;
};
const CampoNumero CamposNumero[] = {
    {u"Volume", &InfoComic::Volumen, 0, 99999}, {u"Count", &InfoComic::Cantidad, 0, 99999},
    {u"Year", &InfoComic::Ano, 1, 9999},        {u"Month", &InfoComic::Mes, 1, 12},
};

void LeerCampo(QXmlStreamReader &r, InfoComic &info)
{
    const QStringView n = r.name();
    for (const CampoTexto &c : CamposTexto)
        if (Igual(n, c.nombre)) {
            info.*c.campo = Texto(r, c.maximo);
            return;
        }
    for (const CampoNumero &c : CamposNumero)
        if (Igual(n, c.nombre)) {
            info.*c.campo = Numero(r, c.minimo, c.maximo);
            return;
        }
    if (Igual(n, u"Manga"))
        info.EsManga = MangaDe(Texto(r, LargoMaximoCampo));
    else if (Igual(n, u"Pages"))
        LeerPaginas(r, info.Paginas);
    else
        r.skipCurrentElement();
}

int Profundidad(const QString &nombre)
{
    return int(nombre.count(QLatin1Char('/')) + nombre.count(QLatin1Char('\\')));
}

} // namespace

int InfoComic::Portada() const
{
    for (const PaginaComic &p : Paginas)
        if (p.Es(TipoPagina::Portada))
            return p.Imagen;
    return -1;
}

InfoComic LeerComicInfo(const QByteArray &xml)
{
    InfoComic info;
    if (xml.size() > TamanoMaximoComicInfo)
        return info;
    QXmlStreamReader r(xml);
    // Entities a document type declares could expand without end: such a
    // file is no tagger's, and is not read at all.
    while (!r.atEnd() && !r.isStartElement()) {
        r.readNext();
        if (r.isDTD() && !r.entityDeclarations().isEmpty())
            return info;
    }
    if (!r.isStartElement() || !Igual(r.name(), u"ComicInfo"))
        return info;
    info.Leida = true;
    while (r.readNextStartElement())
        LeerCampo(r, info);
    return info;
}

bool EsComicInfo(const QString &nombre)
{
    const qsizetype barra = std::max(nombre.lastIndexOf(QLatin1Char('/')), nombre.lastIndexOf(QLatin1Char('\\')));
    return Igual(QStringView(nombre).mid(barra + 1), u"ComicInfo.xml");
}

int EntradaComicInfo(const std::vector<Entrada> &entradas)
{
    int mejor = -1;
    for (std::size_t i = 0; i < entradas.size(); ++i) {
        const Entrada &e = entradas[i];
        if (e.Regular && EsComicInfo(e.Nombre)
            && (mejor < 0 || Profundidad(e.Nombre) < Profundidad(entradas[std::size_t(mejor)].Nombre)))
            mejor = int(i);
    }
    return mejor;
}

InfoComic LeerComicInfoDe(const QString &ruta)
{
    const std::vector<Entrada> entradas = ListarEntradas(ruta);
    const int indice = EntradaComicInfo(entradas);
    if (indice < 0 || entradas[std::size_t(indice)].Tamano > std::uint64_t(TamanoMaximoComicInfo))
        return {};
    LectorEnOrden lector(ruta);
    LectorEnOrden::Leida leida;
    while (lector.Siguiente(EsComicInfo, leida, std::uint64_t(TamanoMaximoComicInfo)))
        if (leida.Indice == indice)
            return leida.Entera ? LeerComicInfo(leida.Datos) : InfoComic{};
    return {};
}

} // namespace archivo
