#pragma once
// The desktop for tests: no file manager is ever reached. Each request is
// recorded and answered at once with `atiende`.
#include "shell/modPropiedades.h"

#include <QStringList>

struct EscritorioDePrueba final : modPropiedades::Escritorio {
    bool atiende = false;  // whether a file manager "answers"
    QStringList llamadas;  // "Propiedades:<path>", "Carpeta:<folder>"

    void PedirPropiedades(const QString &ruta, std::function<void(bool)> respuesta) override
    {
        llamadas << "Propiedades:" + ruta;
        respuesta(atiende);
    }
    bool AbrirCarpeta(const QString &carpeta) override
    {
        llamadas << "Carpeta:" + carpeta;
        return true;
    }

    // The instance the test main installed.
    static EscritorioDePrueba &Actual()
    {
        return dynamic_cast<EscritorioDePrueba &>(modPropiedades::EscritorioActual());
    }
};
