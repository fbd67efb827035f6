#pragma once
// A seam tests replace: the one object of an interface in use, the system's
// own until something else is put in its place.
#include <memory>

template <class T, std::unique_ptr<T> (*DelSistema)()>
class Costura {
public:
    static T &Actual() { return *Sitio(); }

    // Puts `nuevo` in use (the system's own again when null) and hands back
    // the one it replaces.
    static std::unique_ptr<T> Establecer(std::unique_ptr<T> nuevo)
    {
        auto anterior = std::move(Sitio());
        Sitio() = nuevo ? std::move(nuevo) : DelSistema();
        return anterior;
    }

private:
    static std::unique_ptr<T> &Sitio()
    {
        static std::unique_ptr<T> sitio = DelSistema();
        return sitio;
    }
};
