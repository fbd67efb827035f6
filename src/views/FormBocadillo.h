#pragma once
// The balloon shown while the viewer is hidden (Q): a shaped window of our
// own artwork that slides, faster and faster, into the top right corner of
// the screen. A double click brings the viewer back as it was; a document
// dropped on it reopens the viewer with that document.
#include "imaging/Diseno.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

class Comandos;

namespace bocadillo {

inline constexpr int Intervalo = 20;                 // ms per step
inline constexpr std::int32_t AumentoH = 40;         // twips added to the steps each tick
inline constexpr std::int32_t AumentoV = 30;
inline constexpr std::int32_t MargenDerecho = 100;   // twips from the screen's right edge
inline constexpr int Ancho = 150;                    // pixels
inline constexpr int Alto = 118;

// Where the balloon is and how far it moves on the next tick, twips.
struct Movimiento {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t PasoH = 0;
    std::int32_t PasoV = 0;
};

// One tick of the slide in a screen of `pantalla` for a window `ventana`
// big; true when it has come to rest in the corner.
bool Paso(Movimiento &m, const diseno::Ventana &pantalla, const diseno::Ventana &ventana);

} // namespace bocadillo

class FormBocadillo : public QWidget {
    Q_OBJECT
public:
    explicit FormBocadillo(Comandos &comandos);

    QLabel *LBInv = nullptr;   // over the whole balloon: mouse and drops
    QTimer tmrmov;
    bocadillo::Movimiento Movimiento;

    // Shown centred on the screen of the main window, then sliding away.
    void Mostrar();
    void tmrmov_Timer();

signals:
    void Cerrado();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    void paintEvent(QPaintEvent *evento) override;
    void resizeEvent(QResizeEvent *evento) override;

private:
    void MostrarPrincipal();
    void Volver();
    void Abrir(const QString &ruta);
    void Cerrar();
    diseno::Ventana Pantalla() const;

    Comandos &comandos_;
    QPoint agarre_;
    bool arrastrando_ = false;
    QPoint puesta_;    // where the slide last put it, pixels
};
