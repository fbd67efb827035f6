#include "imaging/modPNG.h"

#include "imaging/ReproductorWmf.h"
#include "shell/modGeneral.h"

#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace modPNG {

namespace {

bool TamanoSeguro(const QSize &s)
{
    if (!s.isValid())
        return true; // unknown until decoded; Qt's own allocation limit still applies
    return std::uint64_t(s.width()) * std::uint64_t(s.height()) * 4 <= BytesMaximosPicture;
}

// Decodes the whole file, or returns a null image.
QImage Decodificar(const QString &ruta, QByteArray *formato = nullptr)
{
    QImageReader::setAllocationLimit(int(BytesMaximosPicture / (1024 * 1024)));
    QImageReader lector(ruta);
    lector.setDecideFormatFromContent(true);
    lector.setAutoTransform(true); // camera pictures carry their orientation
    if (!TamanoSeguro(lector.size()))
        return {};
    if (formato)
        *formato = QImageReader::imageFormat(ruta);
    QImage imagen = lector.read();
    if (!imagen.isNull() && !TamanoSeguro(imagen.size()))
        return {};
    return imagen;
}

} // namespace

void CargarImagen(const QString &ruta, ControlImagen &destino)
{
    const QImage original = Decodificar(ruta);
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
    destino.Picture = std::move(resultado);
    destino.Tipo = TipoPicture::Bitmap;
}

void CargarPicture(const QString &ruta, ControlImagen &destino)
{
    QImage imagen;
    TipoPicture tipo = TipoPicture::Bitmap;
    if (ReproductorWmf::EsWmf(ruta)) {
        imagen = ReproductorWmf::Dibujar(ruta);
        tipo = TipoPicture::Metafile;
    } else {
        QByteArray formato;
        imagen = Decodificar(ruta, &formato);
        if (formato == "ico" || formato == "cur")
            tipo = TipoPicture::Icono;
    }
    if (imagen.isNull())
        throw ErrorImagen(481, QStringLiteral("Tavelo"), QStringLiteral("Invalid picture"));
    // A stretching holder scales this one when it is drawn.
    destino.Picture = std::move(imagen);
    destino.Tipo = tipo;
}

void CargarSegunExtension(const QString &ruta, ControlImagen &destino)
{
    if (modGeneral::ExtensionDeRuta(ruta).toUpper() == QLatin1String("PNG"))
        CargarImagen(ruta, destino);
    else
        CargarPicture(ruta, destino);
}

} // namespace modPNG
