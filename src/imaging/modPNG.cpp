#include "imaging/modPNG.h"

#include "imaging/ReproductorWmf.h"
#include "shell/modGeneral.h"

#include "imaging/DecodificadorAvifJxl.h"
#include "imaging/DecodificadorJpeg.h"
#include "imaging/DecodificadorPng.h"
#include "imaging/DocumentoPdf.h"
#include "imaging/Plazo.h"
#include "imaging/TrozosPng.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <mutex>
#include <optional>

namespace modPNG {

namespace {

bool Cabe(const QSize &s)
{
    return std::uint64_t(s.width()) * std::uint64_t(s.height()) * 4 <= BytesMaximosPicture;
}

enum class Resultado { Hecho, Error, Cancelado };

struct Decodificada {
    QImage imagen;
    QSize natural;     // its own size
    QSize tope;        // the largest it is ever decoded at: natural, or less over the limit
    QByteArray formato;
};

// AVIF and JPEG XL, by their signature, whatever the name says.
std::optional<Resultado> DecodificarAvifJxl(const QByteArray &datos, const Plazo &plazo, Decodificada &d)
{
    switch (decodificadorAvifJxl::Decodificar(datos, BytesMaximosPicture, plazo, d.imagen)) {
    case decodificadorAvifJxl::Resultado::Otro:
        return std::nullopt;
    case decodificadorAvifJxl::Resultado::Hecho:
        d.natural = d.tope = d.imagen.size();
        d.formato = decodificadorAvifJxl::FormatoDe(datos) == decodificadorAvifJxl::Formato::Avif ? "avif" : "jxl";
        return Resultado::Hecho;
    case decodificadorAvifJxl::Resultado::Cancelado:
        return Resultado::Cancelado;
    case decodificadorAvifJxl::Resultado::Error:
        break;
    }
    return Resultado::Error;
}

// A picture too large to hold whole comes reduced to fit when its reader can
// scale while it decodes (PNG row by row, JPEG by its DCT, and whatever
// other format's reader scales); any other is refused.
Resultado Decodificar(const QByteArray &datos, const QString &nombre, const Plazo &plazo, Decodificada &d)
{
    if (const std::optional<Resultado> r = DecodificarAvifJxl(datos, plazo, d))
        return *r;
    LectorPagina pagina(datos);
    QImageReader &lector = pagina.Lector;
    d.formato = lector.format();
    if (d.formato.isEmpty()) // formats without a signature of their own (icons) go by the name
        d.formato = modGeneral::ExtensionDeRuta(nombre).toLower().toLatin1();
    if (!FormatoDePagina(d.formato))
        return Resultado::Error;
    const QSize declarado = lector.size();
    if (declarado.isValid() && !Cabe(declarado)) {
        d.tope = decodificadorJpeg::AjustarAlLimite(declarado, BytesMaximosPicture);
        if (d.tope.isEmpty())
            return Resultado::Error;
        if (d.formato == "png") {
            switch (decodificadorPng::DecodificarReducido(datos, d.tope, plazo, d.imagen)) {
            case decodificadorPng::Resultado::Hecho:
                break;
            case decodificadorPng::Resultado::Cancelado:
                return Resultado::Cancelado;
            case decodificadorPng::Resultado::Error:
                return Resultado::Error;
            }
        } else if (lector.supportsOption(QImageIOHandler::ScaledSize)) {
            // Qt's allocation limit still refuses a reader that would decode
            // the whole picture first.
            lector.setScaledSize(d.tope);
            d.imagen = lector.read();
        } else {
            return Resultado::Error;
        }
        d.natural = declarado;
        if (lector.transformation() & QImageIOHandler::TransformationRotate90) {
            d.natural.transpose();
            d.tope.transpose();
        }
    } else {
        d.imagen = lector.read();
        d.natural = d.tope = d.imagen.size();
    }
    if (plazo.Cancelado())
        return Resultado::Cancelado;
    if (d.imagen.isNull() || !Cabe(d.imagen.size()))
        return Resultado::Error;
    return Resultado::Hecho;
}

QByteArray LeerArchivo(const QString &ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly) || std::uint64_t(f.size()) > BytesMaximosPicture)
        return {};
    return f.readAll();
}

void PonerSobreBlanco(QImage original, const QString &ruta, ControlImagen &destino)
{
    if (original.isNull())
        throw ErrorLectura(Motivo::NoDecodificable, ruta);
    QSize tamano = original.size();
    if (destino.Stretch) {
        const double twips = modGeneral::TwipsPorPixel;
        tamano = QSize(int(std::nearbyint(destino.Width / twips)),
                       int(std::nearbyint(destino.Height / twips)));
        if (tamano.isEmpty())
            tamano = original.size();
    }
    if (tamano == original.size() && original.depth() == 32) {
        // Made opaque in place: no second page-sized picture beside the
        // decoded one on each worker.
        if (original.hasAlphaChannel()) {
            QPainter p(&original);
            p.setCompositionMode(QPainter::CompositionMode_DestinationOver);
            p.fillRect(original.rect(), Qt::white);
        }
        original.convertTo(QImage::Format_RGB32);
        VaciarPicture(destino);
        destino.Picture = std::move(original);
        destino.Tipo = TipoPicture::Bitmap;
        return;
    }
    QImage resultado(tamano, QImage::Format_RGB32);
    resultado.fill(Qt::white); // transparent parts come out white
    {
        QPainter p(&resultado);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (tamano == original.size())
            p.drawImage(0, 0, original);
        else
            p.drawImage(QRect(QPoint(0, 0), tamano),
                        original.scaled(tamano, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    VaciarPicture(destino);
    destino.Picture = std::move(resultado);
    destino.Tipo = TipoPicture::Bitmap;
}

void PonerPicture(QImage imagen, TipoPicture tipo, const QString &nombre, ControlImagen &destino)
{
    if (imagen.isNull())
        throw ErrorLectura(Motivo::NoDecodificable, nombre);
    // A stretching holder scales this one when it is drawn.
    VaciarPicture(destino);
    destino.Picture = std::move(imagen);
    destino.Tipo = tipo;
}

TipoPicture TipoDeFormato(const QByteArray &formato)
{
    return formato == "ico" || formato == "cur" ? TipoPicture::Icono : TipoPicture::Bitmap;
}

} // namespace

LectorPagina::LectorPagina(const QByteArray &datos)
{
    static std::once_flag limite;
    std::call_once(limite, [] { QImageReader::setAllocationLimit(int(BytesMaximosPicture / (1024 * 1024))); });
    // A PNG whose chunks would take more memory than the page never reaches
    // the reader: it sees no bytes and fails as on a damaged page.
    if (trozosPng::Admisibles(datos))
        Buffer.setData(datos);
    Buffer.open(QIODevice::ReadOnly);
    Lector.setDevice(&Buffer);
    Lector.setDecideFormatFromContent(true);
    Lector.setAutoTransform(true); // camera pictures carry their orientation
}

bool FormatoDePagina(const QByteArray &formato)
{
    static const QByteArrayList formatos{"png", "jpeg", "jpg", "bmp", "dib", "gif", "ico", "cur", "webp"};
    return formatos.contains(formato);
}

bool EsPng(const QString &ruta)
{
    return modGeneral::ExtensionDeRuta(ruta).toUpper() == QLatin1String("PNG");
}

namespace {

// A picture held smaller than it is keeps its own size; the encoded page
// stays with it only while decoding it again would give more pixels.
void PonerNatural(const Decodificada &d, const std::shared_ptr<const OrigenPicture> &origen,
                  ControlImagen &destino)
{
    if (destino.Picture.isNull() || !d.natural.isValid() || destino.Picture.size() == d.natural)
        return;
    destino.Natural = d.natural;
    if (destino.Picture.size() != d.tope)
        destino.Origen = origen;
}

} // namespace

void CargarImagen(const QString &ruta, ControlImagen &destino)
{
    auto origen = std::make_shared<OrigenPicture>();
    origen->Datos = LeerArchivo(ruta);
    origen->Nombre = ruta;
    CargarPagina(origen, {}, destino);
}

void CargarPicture(const QString &ruta, ControlImagen &destino)
{
    if (ReproductorWmf::EsWmf(ruta)) {
        PonerPicture(ReproductorWmf::Dibujar(ruta), TipoPicture::Metafile, ruta, destino);
        return;
    }
    Decodificada d;
    if (Decodificar(LeerArchivo(ruta), ruta, Plazo(), d) != Resultado::Hecho)
        d.imagen = QImage();
    PonerPicture(std::move(d.imagen), TipoDeFormato(d.formato), ruta, destino);
    PonerNatural(d, nullptr, destino);
}

void CargarSegunExtension(const QString &ruta, ControlImagen &destino)
{
    if (EsPng(ruta))
        CargarImagen(ruta, destino);
    else
        CargarPicture(ruta, destino);
}

bool CargarPagina(const std::shared_ptr<const OrigenPicture> &origen,
                  const std::function<QSize(QSize)> &tamanoMostrado, ControlImagen &destino,
                  const std::atomic<bool> *cancelar)
{
    if (origen->Pdf) {
        // Drawn at the size it is shown at, never drawn small and enlarged.
        const QSize natural = pdf::TamanoNatural(origen->Pdf->TamanoPuntos(origen->PaginaPdf));
        QSize t = tamanoMostrado ? tamanoMostrado(natural) : QSize();
        if (t.isEmpty())
            t = natural;
        QImage dibujo;
        if (origen->Pdf->Dibujar(origen->PaginaPdf, t, cancelar, dibujo) == pdf::DocumentoPdf::Resultado::Cancelado)
            return false;
        PonerPicture(std::move(dibujo), TipoPicture::Bitmap, origen->Nombre, destino);
        if (destino.Picture.width() < natural.width() || destino.Picture.height() < natural.height()) {
            destino.Natural = natural;
            destino.Origen = origen;
        }
        return true;
    }
    const Plazo plazo(cancelar);
    const QByteArray &datos = origen->Datos;
    Decodificada d;
    if (EsPng(origen->Nombre)) {
        const Resultado r = Decodificar(datos, origen->Nombre, plazo, d);
        if (r == Resultado::Cancelado)
            return false;
        PonerSobreBlanco(r == Resultado::Hecho ? std::move(d.imagen) : QImage(), origen->Nombre, destino);
        if (destino.Stretch) {
            // Only a picture reduced to fit in memory is held smaller than
            // it is; decoding it again would give no more.
            if (d.natural != d.tope)
                destino.Natural = d.natural;
            return true;
        }
        // Held at the size it is shown at, as other pages are: a page-sized
        // picture per cached page was what filled the memory budget.
        const QSize mostrado = tamanoMostrado ? tamanoMostrado(d.natural) : QSize();
        const QSize tiene = destino.Picture.size();
        if (!mostrado.isEmpty() && mostrado.width() <= tiene.width() && mostrado.height() <= tiene.height()
            && mostrado != tiene)
            destino.Picture = destino.Picture.scaled(mostrado, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        PonerNatural(d, origen, destino);
        return true;
    }
    decodificadorJpeg::Salida salida;
    switch (decodificadorJpeg::Decodificar(datos, tamanoMostrado, BytesMaximosPicture, plazo, salida)) {
    case decodificadorJpeg::Resultado::Cancelado:
        return false;
    case decodificadorJpeg::Resultado::Error:
        PonerPicture(QImage(), TipoPicture::Bitmap, origen->Nombre, destino);
        break;
    case decodificadorJpeg::Resultado::Hecho:
        d.imagen = std::move(salida.Imagen);
        d.natural = salida.Natural;
        d.tope = salida.Tope;
        PonerPicture(std::move(d.imagen), TipoPicture::Bitmap, origen->Nombre, destino);
        break;
    case decodificadorJpeg::Resultado::Otro:
        if (ReproductorWmf::EsWmfDatos(datos)) {
            QImage dibujo = ReproductorWmf::DibujarDatos(datos, plazo);
            if (dibujo.isNull() && plazo.Cancelado())
                return false;
            PonerPicture(std::move(dibujo), TipoPicture::Metafile, origen->Nombre, destino);
            return true;
        }
        switch (Decodificar(datos, origen->Nombre, plazo, d)) {
        case Resultado::Cancelado:
            return false;
        case Resultado::Error:
            d.imagen = QImage();
            break;
        case Resultado::Hecho:
            break;
        }
        const TipoPicture tipo = TipoDeFormato(d.formato);
        const QSize mostrado = tamanoMostrado && tipo == TipoPicture::Bitmap && !d.imagen.isNull()
                                   ? tamanoMostrado(d.natural) : QSize();
        if (!mostrado.isEmpty() && mostrado.width() <= d.imagen.width()
            && mostrado.height() <= d.imagen.height() && mostrado != d.imagen.size())
            d.imagen = d.imagen.scaled(mostrado, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        PonerPicture(std::move(d.imagen), tipo, origen->Nombre, destino);
        break;
    }
    PonerNatural(d, origen, destino);
    return true;
}

bool Completar(ControlImagen &c)
{
    if (c.Natural.isEmpty() || !c.Origen)
        return true;
    ControlImagen completa;
    try {
        if (!CargarPagina(c.Origen, {}, completa, nullptr))
            return false;
    } catch (const ErrorLectura &) {
        return false;
    }
    c.Picture = std::move(completa.Picture);
    c.Natural = completa.Natural; // still set when it had to stay reduced to fit
    c.Origen.reset();
    return true;
}

} // namespace modPNG
