#pragma once
// The thumbnails of a whole document, made off the interface thread: the
// pages are read once, in memory (an archive in one pass in its own order,
// a folder file by file), decoded on the decode workers straight to their
// thumbnail size, and handed back in page order. Nothing is written to disk.
#include "documento/TallerDecodificacion.h"

#include <QImage>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FuentePaginas;

class CargaMiniaturas : public QObject {
    Q_OBJECT
public:
    struct Miniatura {
        int Pagina = 0;
        QImage Imagen;   // null: the page could not be read or decoded
        QSize Natural;   // the page's own size
    };
    // For page `pagina` of natural size `natural`, its thumbnail's size in
    // pixels; called on the workers.
    using Tamano = std::function<QSize(int pagina, QSize natural)>;
    static constexpr int Cortesia = 4;

    // `paginas` is 1-based (element 0 unused). The source must outlive this.
    // The reading and the decoding run a few steps below the interface
    // thread, which then always has a core to place thumbnails and take keys.
    CargaMiniaturas(const FuentePaginas &fuente, const QStringList &paginas, Tamano tamano, int hilos = 0,
                    QObject *parent = nullptr);
    ~CargaMiniaturas() override; // cancels, and waits for the threads
    CargaMiniaturas(const CargaMiniaturas &) = delete;
    CargaMiniaturas &operator=(const CargaMiniaturas &) = delete;

    // At once: nothing more is read, decoded or handed back.
    void Cancelar();
    // The pages ready since the last call, in page order, and then any page
    // already handed back that a later entry of the same name replaced.
    std::vector<Miniatura> Tomar();
    // Every page handed back, nothing more to come.
    bool Terminada() const;

signals:
    // There is something to take; sent once until Tomar is called.
    void Listas();

private:
    struct Estado {
        bool Enviada = false;  // its bytes went to the workers
        bool Hecha = false;
        Miniatura Resultado;
    };
    void Leer();
    void Enviar(int pagina, const QByteArray &datos);
    void Decodificar(const TallerDecodificacion::Trabajo &t, const std::atomic<bool> &cancelar);
    void Avisar(); // with the lock held

    const FuentePaginas &fuente_;
    const QStringList paginas_;
    const Tamano tamano_;
    mutable std::mutex m_;
    std::vector<Estado> estados_;        // by page number
    std::vector<Miniatura> reemplazos_;
    int siguiente_ = 1;                  // the next page to hand back
    int enVuelo_ = 0;                    // sent and not yet decoded
    bool leida_ = false;                 // the reading is over
    bool avisado_ = false;
    std::atomic<bool> cancelado_{false};
    std::unique_ptr<TallerDecodificacion> taller_;
    std::thread lector_;
};
