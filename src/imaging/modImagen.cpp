#include "imaging/modImagen.h"

#include <cmath>

namespace modImagen {

namespace {

std::int32_t Entero(double v)
{
    return static_cast<std::int32_t>(std::lrint(v));
}

} // namespace

int DibujarRotado(QPainter &dc, std::int32_t x, std::int32_t y, float angulo, const QImage &picture,
                  TipoPicture tipo)
{
    if (picture.isNull() || tipo != TipoPicture::Bitmap)
        return 0;
    const int W = picture.width();
    const int H = picture.height();
    const float hw = W / 2.0f;
    const float hh = H / 2.0f;
    const float t = angulo / 180.0f * 3.14159f;
    const float t2 = t + 1.570795f;
    const QPoint A(Entero(std::cos(t) * hw), Entero(std::sin(t) * hw));
    const QPoint B(Entero(std::cos(t2) * hh), Entero(std::sin(t2) * hh));
    const float cx = hw + float(x);
    const float cy = hh + float(y);
    const QPoint ul(Entero(cx - A.x() - B.x()), Entero(cy - A.y() - B.y()));
    const QPoint ur(Entero(cx + A.x() - B.x()), Entero(cy + A.y() - B.y()));
    const QPoint ll(Entero(cx - A.x() + B.x()), Entero(cy - A.y() + B.y()));
    // The parallelogram transfer: source corners to the three points.
    const QTransform plg(double(ur.x() - ul.x()) / W, double(ur.y() - ul.y()) / W,
                         double(ll.x() - ul.x()) / H, double(ll.y() - ul.y()) / H, ul.x(), ul.y());
    dc.save();
    dc.setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc.setTransform(plg, true);
    dc.drawImage(0, 0, picture);
    dc.restore();
    return 1;
}

bool RotarImagen(const CajaImagen &origen, CajaImagen &destino, std::int32_t x, std::int32_t y,
                 float angulo)
{
    std::int64_t desplazamiento = 0;
    if (std::fabs(angulo) == 90.0f) {
        destino.Ancho = origen.Alto;
        destino.Alto = origen.Ancho;
        const std::int32_t d = Entero(std::abs(origen.Alto - origen.Ancho) / 2.0);
        desplazamiento = origen.Alto > origen.Ancho ? d : -d;
    } else {
        destino.Ancho = origen.Ancho;
        destino.Alto = origen.Alto;
    }
    const std::int64_t xx = std::int64_t(x) + desplazamiento;
    const std::int64_t yy = std::int64_t(y) - desplazamiento;
    if (xx != std::int32_t(xx) || yy != std::int32_t(yy) || destino.Ancho <= 0 || destino.Alto <= 0)
        return false;
    destino.Image = QImage(destino.Ancho, destino.Alto, QImage::Format_ARGB32_Premultiplied);
    destino.Image.fill(Qt::white);
    QPainter p(&destino.Image);
    if (std::fabs(angulo) == 90.0f && origen.Tipo == TipoPicture::Bitmap && !origen.Picture.isNull()) {
        // Half-pixel corners of odd sides would shrink the picture by one
        // pixel: a quarter turn is placed exactly instead.
        p.drawImage(x, y, origen.Picture.transformed(QTransform().rotate(angulo)));
        return true;
    }
    DibujarRotado(p, std::int32_t(xx), std::int32_t(yy), angulo, origen.Picture, origen.Tipo);
    return true;
}

void ReflejarImagen(const CajaImagen &origen, CajaImagen &destino, bool vertical)
{
    destino.Ancho = origen.Ancho;
    destino.Alto = origen.Alto;
    destino.Image = vertical ? origen.Image.mirrored(false, true) : origen.Image.mirrored(true, false);
}

void DibujarEstirado(QPainter &p, const QRect &rect, const QImage &picture, const QRect &visible)
{
    if (picture.isNull() || rect.isEmpty())
        return;
    const QRect parte = rect.intersected(visible);
    if (parte.isEmpty())
        return;
    if (rect.size() == picture.size()) {
        p.drawImage(parte.topLeft(), picture, parte.translated(-rect.topLeft()));
        return;
    }
    // Only the source pixels that land on screen are scaled: a page zoomed
    // far in never becomes a giant intermediate picture.
    const double fx = double(picture.width()) / rect.width();
    const double fy = double(picture.height()) / rect.height();
    const int sx0 = std::max(0, int(std::floor((parte.left() - rect.left()) * fx)));
    const int sy0 = std::max(0, int(std::floor((parte.top() - rect.top()) * fy)));
    const int sx1 = std::min(picture.width(), int(std::ceil((parte.right() + 1 - rect.left()) * fx)));
    const int sy1 = std::min(picture.height(), int(std::ceil((parte.bottom() + 1 - rect.top()) * fy)));
    if (sx1 <= sx0 || sy1 <= sy0)
        return;
    const QRectF destino(rect.left() + sx0 / fx, rect.top() + sy0 / fy, (sx1 - sx0) / fx,
                         (sy1 - sy0) / fy);
    const QRect entero = destino.toAlignedRect();
    const QImage trozo = picture.copy(sx0, sy0, sx1 - sx0, sy1 - sy0)
                             .scaled(entero.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.save();
    p.setClipRect(parte);
    p.drawImage(entero.topLeft(), trozo);
    p.restore();
}

void CopiarEscalado(const QImage &picture, TipoPicture tipo, QImage &destino, std::int32_t &x,
                    std::int32_t &y, std::int32_t &w, std::int32_t &h, bool borrar,
                    const QColor &fondo, double pixelesPorUnidad)
{
    if (borrar)
        destino.fill(fondo);
    x = Entero(x * pixelesPorUnidad);
    y = Entero(y * pixelesPorUnidad);
    w = Entero(w * pixelesPorUnidad);
    h = Entero(h * pixelesPorUnidad);
    if (picture.isNull() || destino.isNull())
        return;
    // The rectangle is in the surface's own pixels: a painter on a surface
    // that carries a device pixel ratio would scale it a second time.
    const qreal razon = destino.devicePixelRatio();
    destino.setDevicePixelRatio(1);
    {
        QPainter p(&destino);
        const QRect visible(QPoint(0, 0), destino.size());
        if (tipo == TipoPicture::Icono) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRect(x, y, w, h), picture);
        } else {
            DibujarEstirado(p, QRect(x, y, w, h), picture, visible);
        }
    }
    destino.setDevicePixelRatio(razon);
}

void PintarEscalado(CajaImagen &caja)
{
    caja.Image = PintarEscaladoForm(caja.Picture, QSize(caja.Ancho, caja.Alto));
}

QImage PintarEscaladoForm(const QImage &picture, const QSize &tamano)
{
    if (tamano.isEmpty())
        return {};
    QImage imagen(tamano, QImage::Format_ARGB32_Premultiplied);
    imagen.fill(Qt::white);
    if (!picture.isNull()) {
        QPainter p(&imagen);
        p.drawImage(0, 0, picture.scaled(tamano, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return imagen;
}

} // namespace modImagen
