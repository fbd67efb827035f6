#include "imaging/modPNG.h"

#include "imaging/ReproductorWmf.h"
#include "shell/modGeneral.h"

#include "imaging/DecodificadorJpeg.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <mutex>

namespace modPNG {

namespace {

bool TamanoSeguro(const QSize &s)
{
    if (!s.isValid())
        return true; // unknown until decoded; Qt's own allocation limit still applies
    return std::uint64_t(s.width()) * std::uint64_t(s.height()) * 4 <= BytesMaximosPicture;
}

// Decodes the whole picture, or returns a null image.
QImage Decodificar(QImageReader &lector, QByteArray *formato = nullptr)
{
    static std::once_flag limite;
    std::call_once(limite, [] { QImageReader::setAllocationLimit(int(BytesMaximosPicture / (1024 * 1024))); });
    lector.setDecideFormatFromContent(true);
    lector.setAutoTransform(true); // camera pictures carry their orientation
    if (!TamanoSeguro(lector.size()))
        return {};
    if (formato)
        *formato = lector.format();
    if (formato && formato->isEmpty() && !lector.fileName().isEmpty())
        *formato = QImageReader::imageFormat(lector.fileName());
    QImage imagen = lector.read();
    if (!imagen.isNull() && !TamanoSeguro(imagen.size()))
        return {};
    return imagen;
}

// Formats without a signature of their own (icons) go by the name.
QImage DecodificarDatos(const QByteArray &datos, const QString &nombre, QByteArray *formato = nullptr)
{
    QBuffer b;
    b.setData(datos);
    b.open(QIODevice::ReadOnly);
    QImageReader lector(&b);
    QImage imagen = Decodificar(lector, formato);
    if (formato && formato->isEmpty())
        *formato = modGeneral::ExtensionDeRuta(nombre).toLower().toLatin1();
    return imagen;
}

void PonerSobreBlanco(const QImage &original, const QString &ruta, ControlImagen &destino)
{
    if (original.isNull())
        throw ErrorImagen(999, QStringLiteral("GDI+ Module"),
                          QStringLiteral("Error loading picture ") + ruta);
    QSize tamano = original.size();
    if (destino.Stretch) {
        const double twips = modGeneral::TwipsPorPixel;
        tamano = QSize(int(std::nearbyint(destino.Width / twips)),
                       int(std::nearbyint(destino.Height / twips)));
        if (tamano.isEmpty())
            tamano = original.size();
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

void PonerPicture(QImage imagen, TipoPicture tipo, ControlImagen &destino)
{
    if (imagen.isNull())
        throw ErrorImagen(481, QStringLiteral("Tavelo"), QStringLiteral("Invalid picture"));
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

bool EsPng(const QString &ruta)
{
    return modGeneral::ExtensionDeRuta(ruta).toUpper() == QLatin1String("PNG");
}

void CargarImagen(const QString &ruta, ControlImagen &destino)
{
    QImageReader lector(ruta);
    PonerSobreBlanco(Decodificar(lector), ruta, destino);
}

void CargarPicture(const QString &ruta, ControlImagen &destino)
{
    if (ReproductorWmf::EsWmf(ruta)) {
        PonerPicture(ReproductorWmf::Dibujar(ruta), TipoPicture::Metafile, destino);
        return;
    }
    QByteArray formato;
    QImageReader lector(ruta);
    QImage imagen = Decodificar(lector, &formato);
    PonerPicture(std::move(imagen), TipoDeFormato(formato), destino);
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
    const QByteArray &datos = origen->Datos;
    if (EsPng(origen->Nombre)) {
        PonerSobreBlanco(DecodificarDatos(datos, origen->Nombre), origen->Nombre, destino);
        return true;
    }
    decodificadorJpeg::Salida salida;
    switch (decodificadorJpeg::Decodificar(datos, tamanoMostrado, BytesMaximosPicture, cancelar, salida)) {
    case decodificadorJpeg::Resultado::Cancelado:
        return false;
    case decodificadorJpeg::Resultado::Error:
        PonerPicture(QImage(), TipoPicture::Bitmap, destino);
        break;
    case decodificadorJpeg::Resultado::Hecho:
        PonerPicture(std::move(salida.Imagen), TipoPicture::Bitmap, destino);
        break;
    case decodificadorJpeg::Resultado::Otro:
        if (ReproductorWmf::EsWmfDatos(datos)) {
            PonerPicture(ReproductorWmf::DibujarDatos(datos), TipoPicture::Metafile, destino);
            return true;
        } else {
            QByteArray formato;
            QImage imagen = DecodificarDatos(datos, origen->Nombre, &formato);
            const TipoPicture tipo = TipoDeFormato(formato);
            salida.Natural = imagen.size();
            const QSize mostrado = tamanoMostrado && tipo == TipoPicture::Bitmap && !imagen.isNull()
                                       ? tamanoMostrado(imagen.size()) : QSize();
            if (!mostrado.isEmpty() && mostrado.width() <= imagen.width()
                && mostrado.height() <= imagen.height() && mostrado != imagen.size())
                imagen = imagen.scaled(mostrado, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            PonerPicture(std::move(imagen), tipo, destino);
        }
        break;
    }
    if (destino.Picture.size() != salida.Natural) {
        destino.Natural = salida.Natural;
        destino.Origen = origen;
    }
    return true;
}

bool Completar(ControlImagen &c)
{
    if (c.Natural.isEmpty() || !c.Origen)
        return true;
    ControlImagen completa;
    try {
        CargarPagina(c.Origen, {}, completa, nullptr);
    } catch (const ErrorImagen &) {
        return false;
    }
    c.Picture = std::move(completa.Picture);
    c.Natural = QSize();
    c.Origen.reset();
    return true;
}

} // namespace modPNG
