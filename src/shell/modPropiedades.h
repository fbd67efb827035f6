#pragma once
// The desktop's own properties dialog of a file. The file manager is asked
// over D-Bus; where none answers, the file's folder is opened instead. What
// the desktop is asked goes through one replaceable object, so tests never
// reach a real file manager.
#include <QString>

#include <functional>
#include <memory>

namespace modPropiedades {

class Escritorio {
public:
    virtual ~Escritorio() = default;
    // Asks the file manager to show the properties of `ruta`; `respuesta`
    // runs later with whether one answered.
    virtual void PedirPropiedades(const QString &ruta, std::function<void(bool atendida)> respuesta) = 0;
    // Shows `carpeta` in whatever the desktop opens folders with.
    virtual bool AbrirCarpeta(const QString &carpeta) = 0;
};

// org.freedesktop.FileManager1 on the session bus, and QDesktopServices.
std::unique_ptr<Escritorio> EscritorioDelSistema();

// Replaces the desktop in force; returns the previous one.
std::unique_ptr<Escritorio> EstablecerEscritorio(std::unique_ptr<Escritorio> nuevo);
Escritorio &EscritorioActual();

// The properties of `ruta`, or its folder when no file manager answers.
void MostrarPropiedades(const QString &ruta);

} // namespace modPropiedades
