#pragma once
// The navigator: a thumbnail of the page with a red frame around the part on
// screen. It follows the view by itself; the window only hides it.
#include <QImage>
#include <QLabel>

class EstadoVista;

class Navegador : public QLabel {
    Q_OBJECT
public:
    Navegador(QWidget *ventana, EstadoVista &vista);

    // Remade from the view; shown when `mostrar`.
    void ActualizaReferencia(bool mostrar);

private:
    EstadoVista &vista_;
    QImage miniatura_;      // the thumbnail, without its frame
    qint64 miniaturaDe_ = 0;
};
