#include "imaging/DocumentoPdf.h"

#include "imaging/DecodificadorJpeg.h"
#include "imaging/modPNG.h"

#include <QFile>
#include <QFileInfo>
#include <QVariant>

#include <poppler-qt6.h>

namespace pdf {

namespace {

std::unique_ptr<Poppler::Document> Cargar(const QString &ruta, const QByteArray &clave)
{
    static std::once_flag callar;
    // Poppler reports every fault of a damaged file on the console.
    std::call_once(callar, [] { Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, {}); });
    std::unique_ptr<Poppler::Document> d = Poppler::Document::load(ruta, clave, clave);
    if (d && !d->isLocked()) {
        d->setRenderHint(Poppler::Document::Antialiasing);
        d->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    return d;
}

// Poppler asks between the drawing operations of a page.
bool Abortar(const QVariant &plazo)
{
    return static_cast<const Plazo *>(plazo.value<const void *>())->Agotado();
}

// Poppler sets up its shared colour profiles, unguarded, when it first draws
// a page in the process (ThreadSanitizer saw two first drawings race there,
// never later ones): the first drawing is made alone.
std::mutex primera;
std::atomic<bool> preparado{false};

QImage Dibujo(const Poppler::Page &p, QSize tamano, const QSizeF &puntos, const Plazo &plazo)
{
    const auto dibujar = [&] {
        return p.renderToImage(72.0 * tamano.width() / puntos.width(), 72.0 * tamano.height() / puntos.height(), 0,
                               0, tamano.width(), tamano.height(), Poppler::Page::Rotate0, nullptr, nullptr,
                               Abortar, QVariant::fromValue(static_cast<const void *>(&plazo)));
    };
    if (preparado.load(std::memory_order_acquire))
        return dibujar();
    const std::lock_guard<std::mutex> l(primera);
    QImage i = dibujar();
    preparado.store(true, std::memory_order_release);
    return i;
}

} // namespace

bool EsPdf(const QByteArray &cabeza)
{
    return cabeza.left(1024).contains("%PDF-");
}

bool EsPdf(const QString &ruta)
{
    QFile f(ruta);
    return QFileInfo(ruta).isFile() && f.open(QIODevice::ReadOnly) && EsPdf(f.read(1024));
}

std::unique_ptr<DocumentoPdf> DocumentoPdf::Abrir(const QString &ruta, const QString &clave, Apertura &motivo)
{
    motivo = Apertura::Danado;
    if (!EsPdf(ruta))
        return nullptr;
    const QByteArray bytesClave = clave.toUtf8();
    std::unique_ptr<Poppler::Document> d = Cargar(ruta, bytesClave);
    if (!d)
        return nullptr;
    if (d->isLocked()) {
        motivo = clave.isEmpty() ? Apertura::NecesitaClave : Apertura::ClaveErronea;
        return nullptr;
    }
    if (d->numPages() <= 0)
        return nullptr;
    motivo = Apertura::Abierto;
    return std::make_unique<DocumentoPdf>(Clave(), ruta, bytesClave, std::move(d));
}

DocumentoPdf::DocumentoPdf(Clave, QString ruta, QByteArray clave, std::unique_ptr<Poppler::Document> primero)
    : ruta_(std::move(ruta)), clave_(std::move(clave))
{
    const int n = primero->numPages();
    tamanos_.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const std::unique_ptr<Poppler::Page> p = primero->page(i);
        tamanos_.push_back(p ? p->pageSizeF() : QSizeF());
    }
    libres_.push_back(std::move(primero));
}

DocumentoPdf::~DocumentoPdf() = default;

QSizeF DocumentoPdf::TamanoPuntos(int i) const
{
    return i >= 0 && i < Paginas() ? tamanos_[std::size_t(i)] : QSizeF();
}

std::unique_ptr<Poppler::Document> DocumentoPdf::Tomar() const
{
    {
        const std::lock_guard<std::mutex> l(m_);
        if (!libres_.empty()) {
            std::unique_ptr<Poppler::Document> d = std::move(libres_.back());
            libres_.pop_back();
            return d;
        }
    }
    std::unique_ptr<Poppler::Document> d = Cargar(ruta_, clave_);
    if (d && (d->isLocked() || d->numPages() != Paginas()))
        d.reset(); // not the document it was: changed on disk
    return d;
}

void DocumentoPdf::Devolver(std::unique_ptr<Poppler::Document> d) const
{
    const std::lock_guard<std::mutex> l(m_);
    libres_.push_back(std::move(d));
}

DocumentoPdf::Resultado DocumentoPdf::Dibujar(int i, QSize tamano, const std::atomic<bool> *cancelar,
                                            QImage &imagen) const
{
    const Plazo plazo(cancelar);
    const QSizeF puntos = TamanoPuntos(i);
    if (puntos.isEmpty() || tamano.isEmpty())
        return Resultado::Error;
    tamano = decodificadorJpeg::AjustarAlLimite(tamano, modPNG::BytesMaximosPicture);
    if (tamano.isEmpty())
        return Resultado::Error;
    std::unique_ptr<Poppler::Document> d = Tomar();
    if (!d)
        return Resultado::Error;
    QImage dibujo;
    if (const std::unique_ptr<Poppler::Page> p = d->page(i))
        dibujo = Dibujo(*p, tamano, puntos, plazo);
    Devolver(std::move(d));
    if (plazo.Cancelado())
        return Resultado::Cancelado;
    if (plazo.Vencido() || dibujo.size() != tamano)
        return Resultado::Error;
    dibujo.convertTo(QImage::Format_RGB32);
    imagen = std::move(dibujo);
    return Resultado::Hecho;
}

} // namespace pdf
