#pragma once
// The effects component: one working picture in memory, transformed in place
// by each operation (so effects add up), read back whole by Resultado. No
// widgets and no files: the page and its archive are never touched.
//
// Arguments keep the steps the effects panel passes: brightness, contrast and
// saturation by 10 on a 0 to 255 scale, gamma by 50 (a visible brightening).
// The pixel work is split in bands of rows over every core.
#include "imaging/ControlImagen.h"

#include <QImage>

#include <cstdint>

class ccEfectos {
public:
    // Binds the component to a picture box: Cargar() takes its picture.
    void AsignarCaja(const ControlImagen &caja);

    // The working picture becomes the bound box's picture at its natural
    // size (a page held reduced is decoded whole again; the box keeps what it
    // holds). False, and no working picture, when there is none to take.
    bool Cargar();
    bool Cargar(const QImage &picture);

    void Suavizar();          // smooth: a light 3 x 3 mean
    void Desenfocar();        // out of focus: a wide blur, stronger than Difuminar
    void ContrastarBordes();  // edge contrast: unsharp mask
    void Difuminar();         // blur
    void Perfilar();          // outline, first step: edges, light on black
    void EscalaGrises();      // grey by luminance
    void PerfilarFin();       // outline, last step: dark lines on white
    void Gamma(std::int32_t valor);           // 50: gamma 1.5, brighter
    void BrilloMas(std::int32_t valor);       // adds valor to every channel
    void BrilloMenos(std::int32_t valor);     // takes |valor| away
    void ContrasteMas(std::int32_t valor);    // spreads the tones from the middle grey
    void ContrasteMenos(std::int32_t valor);  // draws them in
    void SaturacionMas(std::int32_t valor);   // HSL saturation, up by valor %
    void SaturacionMenos(std::int32_t valor); // down by valor %

    // The working picture after the last operation, at its full size; null
    // when nothing was loaded.
    QImage Resultado() const { return trabajo_; }

private:
    void AplicarTabla(const std::uint8_t (&tabla)[256]);
    void Contraste(std::int32_t valor);
    void Saturacion(double factor);
    void CajaRepetida(int radio, int pasadas);

    const ControlImagen *caja_ = nullptr; // the panel owns the box and this component
    QImage trabajo_;                // RGB32, or ARGB32 when the picture has alpha
};
