#include "views/Navegador.h"

#include "imaging/modImagen.h"
#include "shell/modGeneral.h"
#include "viewer/EstadoVista.h"

#include <QPainter>

namespace {
constexpr double Twips = modGeneral::TwipsPorPixel;
constexpr int Margen = 300; // twips from the window's top left corner
} // namespace

Navegador::Navegador(QWidget *ventana, EstadoVista &vista) : QLabel(ventana), vista_(vista)
{
    setObjectName(QStringLiteral("PBRef"));
    hide();
    move(int(Margen / Twips), int(Margen / Twips));
    connect(&vista_, &EstadoVista::ReferenciaPedida, this,
            [this](bool mostrar, bool) { ActualizaReferencia(mostrar); });
}

void Navegador::ActualizaReferencia(bool mostrar)
{
    const ControlImagen &imagen = vista_.Imagen();
    const diseno::Referencia ref = diseno::ActualizaReferencia(NaturalDe(imagen), RectDe(imagen), vista_.Escala());
    if (ref.RW <= 0 || ref.RH <= 0)
        return;
    const qreal escala = devicePixelRatioF();
    const QSize tamano(diseno::Entero(ref.RW / Twips), diseno::Entero(ref.RH / Twips));
    // The thumbnail is made once per picture and size; drags only move the frame.
    const QSize pixeles = (QSizeF(tamano) * escala).toSize();
    if (miniaturaDe_ != imagen.Picture.cacheKey() || miniatura_.size() != pixeles) {
        miniatura_ = modImagen::PintarEscaladoForm(imagen.Picture, pixeles);
        miniaturaDe_ = imagen.Picture.cacheKey();
    }
    QImage miniatura = miniatura_;
    miniatura.setDevicePixelRatio(escala);
    {
        QPainter p(&miniatura);
        p.setPen(QPen(QColor(230, 40, 40), 2));
        p.setBrush(Qt::NoBrush);
        const QRectF marco(ref.Marco.Left / Twips, ref.Marco.Top / Twips, ref.Marco.Width / Twips,
                           ref.Marco.Height / Twips);
        p.drawRect(marco.adjusted(1, 1, -1, -1));
    }
    setFixedSize(tamano);
    setPixmap(QPixmap::fromImage(miniatura));
    if (mostrar) {
        show();
        raise();
    }
}
