#include "documento/CargaMiniaturas.h"

#include "archive/Archivo.h"
#include "archive/EscrituraSegura.h"
#include "archive/Nombres.h"
#include "documento/FuentePaginas.h"
#include "imaging/Miniatura.h"

#include <QHash>

#include <algorithm>

CargaMiniaturas::CargaMiniaturas(const FuentePaginas &fuente, const QStringList &paginas, Tamano tamano,
                                 int hilos, QObject *parent)
    : QObject(parent), fuente_(fuente), paginas_(paginas), tamano_(std::move(tamano)),
      estados_(std::size_t(std::max<qsizetype>(1, paginas.size())))
{
    archivo::AsegurarLocaleUtf8(); // here, once: the threads must never change it
    taller_ = std::make_unique<TallerDecodificacion>(
        [this](const TallerDecodificacion::Trabajo &t, const std::atomic<bool> &c) { Decodificar(t, c); }, hilos,
        Cortesia);
    lector_ = std::thread([this] {
        TallerDecodificacion::BajarPrioridad(Cortesia);
        Leer();
    });
}

CargaMiniaturas::~CargaMiniaturas()
{
    Cancelar();
    lector_.join();
    taller_.reset();
}

void CargaMiniaturas::Cancelar()
{
    cancelado_ = true;
    taller_->Cancelar();
}

void CargaMiniaturas::Leer()
{
    if (fuente_.EsComprimido()) {
        // One pass over the archive: a solid archive is unpacked once, not
        // once per page. Names are matched as the page source matches them.
        QHash<QString, QList<int>> porNombre;
        for (int i = 1; i < paginas_.size(); ++i)
            if (!archivo::RutaDentroDe(QStringLiteral("/"), paginas_[i]).isEmpty())
                porNombre[paginas_[i]].append(i);
        archivo::LeerEntradas(
            fuente_.Ruta(),
            [&](const QString &n) { return !cancelado_ && porNombre.contains(n); },
            [&](const QString &n, const QByteArray &datos) {
                for (int i : porNombre.value(n))
                    Enviar(i, datos);
            });
    } else {
        for (int i = 1; i < paginas_.size() && !cancelado_; ++i) {
            QByteArray datos;
            if (fuente_.Leer(paginas_[i], datos) == FuentePaginas::Leida::Bien)
                Enviar(i, datos);
        }
    }
    std::lock_guard l(m_);
    leida_ = true;
    Avisar();
}

void CargaMiniaturas::Enviar(int pagina, const QByteArray &datos)
{
    if (cancelado_)
        return;
    auto origen = std::make_shared<OrigenPicture>();
    origen->Datos = datos;
    origen->Nombre = paginas_[pagina];
    {
        std::lock_guard l(m_);
        estados_[std::size_t(pagina)].Enviada = true;
        ++enVuelo_;
    }
    if (!taller_->Poner({pagina, std::move(origen)})) {
        std::lock_guard l(m_);
        --enVuelo_;
    }
}

void CargaMiniaturas::Decodificar(const TallerDecodificacion::Trabajo &t, const std::atomic<bool> &cancelar)
{
    const int pagina = t.Indice;
    miniatura::Resultado r =
        miniatura::Decodificar(t.Datos, [&](QSize natural) { return tamano_(pagina, natural); }, &cancelar);
    std::lock_guard l(m_);
    --enVuelo_;
    if (r.Cancelado || cancelado_)
        return;
    Estado &e = estados_[std::size_t(t.Indice)];
    Miniatura m{t.Indice, std::move(r.Imagen), r.Natural};
    if (t.Indice < siguiente_) {
        // Handed back already: a later entry of the same name wins, as it
        // does when the page is shown.
        if (!m.Imagen.isNull())
            reemplazos_.push_back(std::move(m));
    } else if (!e.Hecha || !m.Imagen.isNull()) {
        e.Resultado = std::move(m);
        e.Hecha = true;
    }
    Avisar();
}

void CargaMiniaturas::Avisar()
{
    if (avisado_ || cancelado_)
        return;
    avisado_ = true;
    QMetaObject::invokeMethod(this, [this] { emit Listas(); }, Qt::QueuedConnection);
}

std::vector<CargaMiniaturas::Miniatura> CargaMiniaturas::Tomar()
{
    std::vector<Miniatura> listas;
    std::lock_guard l(m_);
    avisado_ = false;
    if (cancelado_)
        return listas;
    const int n = int(estados_.size()) - 1;
    while (siguiente_ <= n) {
        Estado &e = estados_[std::size_t(siguiente_)];
        // A page never sent once the reading is over is not in the document.
        if (!e.Hecha && (e.Enviada || !leida_))
            break;
        e.Resultado.Pagina = siguiente_;
        listas.push_back(std::move(e.Resultado));
        e.Resultado = {};
        ++siguiente_;
    }
    for (Miniatura &m : reemplazos_)
        listas.push_back(std::move(m));
    reemplazos_.clear();
    return listas;
}

bool CargaMiniaturas::Terminada() const
{
    std::lock_guard l(m_);
    return leida_ && enVuelo_ == 0 && siguiente_ >= int(estados_.size()) && reemplazos_.empty();
}
