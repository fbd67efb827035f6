#pragma once
// The move-by-parts window: the page in a large overlay with the order in
// which move by parts walks it drawn over it ("Down - Right": an N-shaped
// path; "Right - Down": a Z). D switches the order; any other key, a mouse
// press or four seconds alone close it.
#include "imaging/Diseno.h"
#include "views/VentanaModal.h"

#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QSize>
#include <QTimer>

class Comandos;
class EstadoVista;

namespace partes {

inline constexpr int IntervaloTempo = 1000;       // ms
inline constexpr int UltimaCuenta = 3;   // closes on the tick after it
inline constexpr std::int32_t LargoFlecha = 750;  // twips (50 pixels)
inline constexpr std::int32_t AnchoFlecha = 105;  // twips (7 pixels)

// The largest size: 3/4 of the screen each way, twips.
diseno::Ventana MaximoPartes(const diseno::Ventana &pantalla);

// The window's size for a picture of that natural size: its proportions,
// as large as fits in `maximo`.
diseno::Ventana AjustarPartes(QSize natural, const diseno::Ventana &maximo);

// The three path segments and the arrow on the first move, twips in a
// window W x H.
struct Recorrido {
    QLineF Lineas[3];
    QRectF Flecha;
    bool FlechaVertical = false;
};
Recorrido CoordenadasRecorrido(float W, float H, bool abajo);

} // namespace partes

class FormPartes : public VentanaModal {
    Q_OBJECT
public:
    explicit FormPartes(Comandos &comandos);

    std::int32_t anchoMaxPartes = 0;
    std::int32_t altoMaxPartes = 0;
    int cuentaPartes = 0;
    QWidget *PB = nullptr;          // the page and its path
    QTimer tmrTempo;
    partes::Recorrido Recorrido;

    // The page's area, twips.
    diseno::Ventana Tamano() const;
    void AjustarPartes();
    void DibujarRecorrido();
    void tmrTempo_Timer();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void TeclaSoltada(QKeyEvent &evento) override;
    void mousePressEvent(QMouseEvent *evento) override;

private:
    void PintarPB();

    EstadoVista &vista_;
    QImage fondo_;        // the page stretched over the area, device pixels
};
