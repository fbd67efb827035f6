#pragma once
// Page sources for tests: a real one, listed, made slow or made to throw.
#include "documento/Documento.h"
#include "documento/FuentePaginas.h"

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

namespace prueba {

class FuenteDePrueba final : public FuentePaginas {
public:
    // Over the source of `ruta` read as `ext`. Its one-pass walk takes
    // `porPagina` for each page and looks at the cancel flag between pages
    // only, as an archive walk does; the page named `lanza` throws
    // bad_alloc when read.
    FuenteDePrueba(const QString &ruta, const QString &ext, std::chrono::milliseconds porPagina = {},
                   QString lanza = {})
        : FuentePaginas(ruta, paginas::ClaseDe(ext)), real_(FuentePaginas::Para(ruta, ext)), porPagina_(porPagina),
          lanza_(std::move(lanza))
    {
    }
    Listado Listar() override { return real_->Listar(); }
    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        if (nombre == lanza_)
            throw std::bad_alloc();
        return real_->Leer(nombre, datos);
    }
    void LeerVarias(const QStringList &nombres, const Recibir &recibir,
                    const std::atomic<bool> *cancelar) const override
    {
        for (int i = 0; i < nombres.size(); ++i) {
            if (cancelar && cancelar->load())
                return;
            std::this_thread::sleep_for(porPagina_);
            ++Leidas;
            QByteArray datos;
            if (Leer(nombres[i], datos) == Motivo::Ninguno)
                recibir(i, datos);
        }
    }
    mutable std::atomic<int> Leidas{0}; // pages the walk has read

private:
    std::shared_ptr<FuentePaginas> real_;
    std::chrono::milliseconds porPagina_;
    QString lanza_;
};

// A candidate of a source made here, listed.
inline Candidato Listado(std::shared_ptr<FuentePaginas> fuente)
{
    Candidato c;
    c.Ruta = fuente->Ruta();
    c.Listado = fuente->Listar();
    c.Fuente = std::move(fuente);
    return c;
}

} // namespace prueba
