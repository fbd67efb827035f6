#include "imaging/Miniatura.h"

#include "imaging/DecodificadorJpeg.h"
#include "imaging/DocumentoPdf.h"
#include "imaging/modPNG.h"

#include <QImageReader>
#include <QPainter>

namespace miniatura {

namespace {

bool Seguro(QSize s)
{
    return s.isValid() && std::uint64_t(s.width()) * std::uint64_t(s.height()) * 4 <= modPNG::BytesMaximosPicture;
}

QSize Pedido(const std::function<QSize(QSize)> &tamano, QSize natural)
{
    const QSize t = tamano ? tamano(natural) : QSize();
    return t.isEmpty() ? natural : t;
}

// Exactly `t`, in a format that paints without conversion.
QImage AlTamano(QImage i, QSize t)
{
    if (i.isNull())
        return i;
    if (i.size() != t)
        i = i.scaled(t, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return i.convertToFormat(i.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QImage SobreBlanco(const QImage &i)
{
    if (i.isNull() || !i.hasAlphaChannel())
        return i;
    QImage r(i.size(), QImage::Format_RGB32);
    r.fill(Qt::white);
    QPainter p(&r);
    p.drawImage(0, 0, i);
    return r;
}

// Through Qt's readers, scaled while decoding where the reader can. False
// when no reader knows the bytes.
bool ConLector(const QByteArray &datos, const std::function<QSize(QSize)> &tamano, Resultado &r)
{
    modPNG::LectorPagina pagina(datos);
    QImageReader &lector = pagina.Lector;
    if (!lector.canRead() || !modPNG::FormatoDePagina(lector.format()))
        return false;
    const QSize crudo = lector.size(); // before any turn
    if (crudo.isValid() && !Seguro(crudo))
        return true;
    const bool girada = lector.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    QSize t;
    if (crudo.isValid() && lector.supportsOption(QImageIOHandler::ScaledSize)) {
        r.Natural = girada ? crudo.transposed() : crudo;
        t = Pedido(tamano, r.Natural);
        if (t.width() < r.Natural.width() && t.height() < r.Natural.height())
            lector.setScaledSize(girada ? t.transposed() : t);
    }
    const QImage i = lector.read();
    if (i.isNull() || !Seguro(i.size()))
        return true;
    if (t.isEmpty()) {
        r.Natural = i.size();
        t = Pedido(tamano, r.Natural);
    }
    r.Imagen = AlTamano(i, t);
    return true;
}

} // namespace

Resultado Decodificar(const std::shared_ptr<const OrigenPicture> &origen, const std::function<QSize(QSize)> &tamano,
                      const std::atomic<bool> *cancelar)
{
    Resultado r;
    if (!origen)
        return r;
    if (origen->Pdf) {
        r.Natural = pdf::TamanoNatural(origen->Pdf->TamanoPuntos(origen->PaginaPdf));
        QImage dibujo;
        switch (origen->Pdf->Dibujar(origen->PaginaPdf, Pedido(tamano, r.Natural), cancelar, dibujo)) {
        case pdf::DocumentoPdf::Resultado::Hecho:
            r.Imagen = AlTamano(std::move(dibujo), Pedido(tamano, r.Natural));
            break;
        case pdf::DocumentoPdf::Resultado::Cancelado:
            r.Cancelado = true;
            break;
        case pdf::DocumentoPdf::Resultado::Error:
            break;
        }
        return r;
    }
    decodificadorJpeg::Salida s;
    switch (decodificadorJpeg::Decodificar(origen->Datos, tamano, modPNG::BytesMaximosPicture, Plazo(cancelar), s)) {
    case decodificadorJpeg::Resultado::Hecho:
        r.Natural = s.Natural;
        r.Imagen = AlTamano(std::move(s.Imagen), Pedido(tamano, s.Natural));
        return r;
    case decodificadorJpeg::Resultado::Cancelado:
        r.Cancelado = true;
        return r;
    case decodificadorJpeg::Resultado::Error:
        return r;
    case decodificadorJpeg::Resultado::Otro:
        break;
    }
    if (cancelar && cancelar->load(std::memory_order_relaxed)) {
        r.Cancelado = true;
        return r;
    }
    if (!ConLector(origen->Datos, tamano, r) || r.Imagen.isNull()) {
        // Metafiles, and whatever the page loader reads that no reader
        // here does.
        r = {};
        ControlImagen c;
        try {
            if (!modPNG::CargarPagina(origen, {}, c, cancelar)) {
                r.Cancelado = true;
                return r;
            }
        } catch (const ErrorLectura &) {
            return r;
        }
        r.Natural = TamanoNatural(c);
        r.Imagen = AlTamano(c.Picture, Pedido(tamano, r.Natural));
    }
    if (modPNG::EsPng(origen->Nombre))
        r.Imagen = SobreBlanco(r.Imagen);
    return r;
}

} // namespace miniatura
