#include "documento/FuentePaginas.h"

#include "archive/IndiceZip.h"
#include "documento/Cuadrilla.h"
#include "imaging/DocumentoPdf.h"
#include "shell/modGeneral.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <map>

namespace {

using paginas::ClaseDocumento;

// A document file's listing before its content is read: not there, or (when
// `esDeSuClase` says the content is not of its kind) empty or no comic.
// Razon stays Ninguno when the content may be listed.
FuentePaginas::Listado ListadoInicial(const QString &ruta, const std::function<bool()> &esDeSuClase)
{
    FuentePaginas::Listado l;
    l.Carpeta = modGeneral::CarpetaDeRuta(ruta);
    l.SinEntradas = true;
    const QFileInfo info(ruta);
    if (!info.isFile())
        l.Razon = Motivo::NoEsta;
    else if (!esDeSuClase())
        l.Razon = info.size() == 0 ? Motivo::Vacio : Motivo::NoEsComic;
    return l;
}

// Archive pages are read by the name the page list shows them under; of
// several entries of one name, the last one, as unpacking the archive would
// leave it.
class FuenteArchivo : public FuentePaginas {
public:
    using FuentePaginas::FuentePaginas;

    Listado Listar() override
    {
        Listado l = ListadoInicial(Ruta(), [&] { return Acepta(archivo::FormatoDe(Ruta())); });
        if (l.Razon != Motivo::Ninguno)
            return l;
        const archivo::Descripcion a = archivo::Describir(Ruta());
        ocurrencias_.clear();
        tamanos_.clear();
        for (const archivo::Entrada &e : a.Entradas)
            if (e.Regular) {
                ++ocurrencias_[e.Nombre];
                tamanos_[e.Nombre] = e.Tamano;
            }
        l.Paginas = paginas::PaginasDeEntradas(a.Entradas, Clase());
        l.SinEntradas = a.Entradas.empty();
        if (a.NombresCifrados)
            l.Razon = Motivo::CifradoRar;
        else if (l.Paginas.isEmpty() && !a.Completo)
            l.Razon = Motivo::Roto;
        else if (a.Entradas.empty())
            l.Razon = Motivo::Vacio;
        else if (l.Paginas.isEmpty())
            l.Razon = Motivo::SinPaginas;
        Indexar(a);
        LeerInfo(a, l);
        return l;
    }

    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        const int ocurrencias = ocurrencias_.value(nombre);
        if (ocurrencias == 0)
            return Motivo::NoEsta;
        if (tamanos_.value(nombre) > archivo::TamanoMaximoEntrada)
            return Motivo::DemasiadoGrande;
        int vistas = 0;
        bool recibida = false;
        std::atomic<bool> basta{false}; // the rest of the archive is not walked
        const QString clave = Clave();
        ContarApertura();
        const archivo::Lectura l = archivo::LeerEntradas(
            Ruta(), [&](const QString &n) { return n == nombre && ++vistas == ocurrencias; },
            [&](const QString &, const QByteArray &b) {
                datos = b;
                recibida = true;
                basta = true;
            },
            {}, clave, &basta);
        if (recibida)
            return Motivo::Ninguno;
        if (l.Encontradas == 0)
            return Motivo::NoEsta;
        if (l.Cifradas > 0)
            return Clase() == ClaseDocumento::Rar ? Motivo::CifradoRar
                   : clave.isEmpty()              ? Motivo::PideClave
                                                  : Motivo::ClaveIncorrecta;
        return Motivo::Roto;
    }

    void LeerVarias(const QStringList &nombres, const Recibir &recibir,
                    const std::atomic<bool> *cancelar) const override
    {
        QHash<QString, QList<int>> porNombre;
        for (int i = 0; i < nombres.size(); ++i)
            if (ocurrencias_.contains(nombres[i]) && tamanos_.value(nombres[i]) <= archivo::TamanoMaximoEntrada)
                porNombre[nombres[i]].append(i);
        if (porNombre.isEmpty())
            return;
        QHash<QString, int> vistas;
        ContarApertura();
        archivo::LeerEntradas(
            Ruta(), [&](const QString &n) { return porNombre.contains(n) && ++vistas[n] == ocurrencias_.value(n); },
            [&](const QString &n, const QByteArray &datos) {
                for (int i : porNombre.value(n))
                    recibir(i, datos);
            },
            {}, Clave(), cancelar);
    }

protected:
    // The ComicInfo.xml, when there is one small enough, and the cover it names.
    void LeerInfo(const archivo::Descripcion &a, Listado &l) const
    {
        const int i = archivo::EntradaComicInfo(a.Entradas);
        if (i < 0 || l.Razon != Motivo::Ninguno
            || a.Entradas[std::size_t(i)].Tamano > quint64(archivo::TamanoMaximoComicInfo))
            return;
        QByteArray xml;
        if (Leer(a.Entradas[std::size_t(i)].Nombre, xml) != Motivo::Ninguno)
            return;
        l.Info = archivo::LeerComicInfo(xml);
        const int portada = l.Info.Portada();
        if (portada >= 0 && portada < l.Paginas.size())
            l.Portada = portada + 1;
    }

    virtual bool Acepta(archivo::Formato f) const = 0;
    // The listing, for what a kind keeps of it.
    virtual void Indexar(const archivo::Descripcion &) {}

    QHash<QString, int> ocurrencias_;  // regular entries of each name
    QHash<QString, quint64> tamanos_;  // the unpacked size of a name's last entry
};

// RAR, 7-Zip and tar comics, read through passes kept going through the
// archive in its own order: a page after a pass's place continues it, one
// before it starts a new pass, unless the reader can jump there (a
// non-solid RAR 4). A solid archive unpacks every entry before the one
// asked for, so its one pass keeps the pages it goes by, those nearest the
// reader first, within the budget: a page is unpacked once while it is
// kept, and one that is not costs one forward pass, never a pass per page.
// A 7z or tar keeps pages the same way. Another RAR keeps no page and a pass
// for each worker of the pool, so two pages are read at once. RAR 5 entries
// stored as they are, solid or not, are read where they lie.
class FuentePasadas final : public FuenteArchivo {
public:
    FuentePasadas(const QString &ruta, ClaseDocumento clase, std::size_t presupuesto)
        : FuenteArchivo(ruta, clase), presupuesto_(presupuesto)
    {
    }

    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        const auto u = ultimas_.constFind(nombre);
        if (u == ultimas_.constEnd())
            return Motivo::NoEsta;
        if (tamanos_.value(nombre) > archivo::TamanoMaximoEntrada)
            return Motivo::DemasiadoGrande;
        const int buscada = *u;
        if (directas_) {
            switch (directas_->Leer(buscada, datos)) {
            case archivo::DirectasRar5::Resultado::Bien:
                return Motivo::Ninguno;
            case archivo::DirectasRar5::Resultado::Rota:
                return Motivo::Roto;
            case archivo::DirectasRar5::Resultado::Otra:
                break;
            }
        }
        std::unique_lock l(m_);
        if (buscada != centro_)
            atras_ = buscada < centro_;
        centro_ = buscada;
        ++esperando_;
        Pase *p = nullptr;
        for (;;) {
            if (const auto g = guardadas_.find(buscada); g != guardadas_.end()) {
                --esperando_;
                datos = g->second;
                return Motivo::Ninguno;
            }
            if ((p = Libre(buscada)))
                break;
            cv_.wait(l);
        }
        --esperando_;
        p->Ocupado = true;
        l.unlock();
        const Motivo m = Avanzar(*p, buscada, nombre, datos);
        l.lock();
        p->Ocupado = false;
        cv_.notify_all();
        return m;
    }

    void LeerVarias(const QStringList &nombres, const Recibir &recibir,
                    const std::atomic<bool> *cancelar) const override
    {
        // Without a solid block to unpack each page is read where it is.
        if (!guardar_ || (directas_ && !adelantar_)) {
            FuentePaginas::LeerVarias(nombres, recibir, cancelar);
            return;
        }
        // What the pass kept, then the rest in one pass of its own.
        QStringList resto;
        QList<int> lugares;
        for (int i = 0; i < nombres.size(); ++i) {
            QByteArray datos;
            {
                const std::lock_guard l(m_);
                const auto g = guardadas_.find(ultimas_.value(nombres[i], -1));
                if (g != guardadas_.end())
                    datos = g->second;
            }
            if (!datos.isEmpty()) {
                recibir(i, datos);
            } else {
                resto << nombres[i];
                lugares << i;
            }
        }
        if (!resto.isEmpty())
            FuenteArchivo::LeerVarias(resto, [&](int i, const QByteArray &d) { recibir(lugares[i], d); }, cancelar);
    }

    void Adelantar(const std::atomic<bool> &detener) const override
    {
        if (!adelantar_ || pases_.empty())
            return;
        std::unique_lock l(m_);
        Pase &p = pases_.front();
        for (;;) {
            // A page asked for goes first.
            cv_.wait(l, [&] { return detener || (!p.Ocupado && esperando_ == 0); });
            if (detener)
                return;
            const auto siguiente = std::upper_bound(enOrden_.begin(), enOrden_.end(), p.Posicion);
            if (siguiente == enOrden_.end() || guardadas_.count(*siguiente) || !Cabe(*siguiente))
                return;
            p.Ocupado = true;
            l.unlock();
            if (!p.Lector)
                Abrir(p);
            archivo::LectorEnOrden::Leida e;
            const bool paso = p.Lector->Siguiente(
                [this](const QString &n) { return paginas_.contains(n); }, e);
            l.lock();
            p.Ocupado = false;
            cv_.notify_all();
            if (!paso) {
                p.Lector.reset();
                return;
            }
            p.Posicion = e.Indice;
            if (e.Entera && ultimas_.value(e.Nombre) == e.Indice)
                Guardar(e.Indice, e.Datos);
        }
    }

private:
    struct Pase {
        std::unique_ptr<archivo::LectorEnOrden> Lector;
        int Posicion = -1; // the place of the last entry it read
        bool Ocupado = false;
    };

    bool Acepta(archivo::Formato f) const override
    {
        const bool rar = f == archivo::Formato::Rar4 || f == archivo::Formato::Rar5;
        return Clase() == ClaseDocumento::Rar ? rar : f == archivo::Formato::SieteZip || f == archivo::Formato::Tar;
    }

    void Indexar(const archivo::Descripcion &a) override
    {
        // The pages, and the ComicInfo.xml read with them.
        const QStringList p = paginas::PaginasDeEntradas(a.Entradas, Clase());
        paginas_ = QSet<QString>(p.begin(), p.end());
        if (const int i = archivo::EntradaComicInfo(a.Entradas); i >= 0)
            paginas_.insert(a.Entradas[std::size_t(i)].Nombre);
        ultimas_.clear();
        for (int i = 0; i < int(a.Entradas.size()); ++i)
            if (a.Entradas[std::size_t(i)].Regular)
                ultimas_[a.Entradas[std::size_t(i)].Nombre] = i;
        enOrden_.clear();
        tamanoDe_.clear();
        for (auto i = ultimas_.constBegin(); i != ultimas_.constEnd(); ++i)
            if (paginas_.contains(i.key())) {
                enOrden_.push_back(i.value());
                tamanoDe_[i.value()] = a.Entradas[std::size_t(i.value())].Tamano;
            }
        std::sort(enOrden_.begin(), enOrden_.end());
        guardar_ = Clase() != ClaseDocumento::Rar || a.Solido;
        directas_.reset();
        if (a.Tipo == archivo::Formato::Rar5)
            directas_ = archivo::DirectasRar5::Abrir(Ruta(), a.Entradas.size());
        adelantar_ = a.Solido && std::any_of(enOrden_.begin(), enOrden_.end(), [&](int i) {
                         return !directas_ || !directas_->Directa(i);
                     });
        pases_ = std::vector<Pase>(guardar_ ? 1 : Cuadrilla::ObrerosMaximos);
    }

    // With the lock held: a free pass to read entry `buscada` with, the
    // one nearest before it first; else the one furthest behind, which
    // starts again. Null while every pass is busy.
    Pase *Libre(int buscada) const
    {
        Pase *antes = nullptr, *otro = nullptr;
        for (Pase &p : pases_) {
            if (p.Ocupado)
                continue;
            if (p.Lector && p.Posicion < buscada && (!antes || p.Posicion > antes->Posicion))
                antes = &p;
            if (!otro || p.Posicion < otro->Posicion)
                otro = &p;
        }
        return antes ? antes : otro;
    }

    void Abrir(Pase &p) const
    {
        p.Lector = std::make_unique<archivo::LectorEnOrden>(Ruta(), archivo::PedirClave{}, Clave());
        p.Posicion = -1;
        ContarApertura();
    }

    // The pass, held by this thread alone, taken on to entry `buscada`.
    Motivo Avanzar(Pase &p, int buscada, const QString &nombre, QByteArray &datos) const
    {
        if (p.Lector && p.Posicion >= buscada && p.Lector->Saltar(buscada))
            p.Posicion = buscada - 1;
        else if (!p.Lector || p.Posicion >= buscada)
            Abrir(p);
        const auto coincide = [&](const QString &n) { return n == nombre || (guardar_ && paginas_.contains(n)); };
        archivo::LectorEnOrden::Leida e;
        while (p.Lector->Siguiente(coincide, e)) {
            p.Posicion = e.Indice;
            if (guardar_ && e.Entera && ultimas_.value(e.Nombre) == e.Indice) {
                const std::lock_guard l(m_);
                Guardar(e.Indice, e.Datos);
            }
            if (e.Indice < buscada)
                continue;
            if (e.Entera && e.Indice == buscada) {
                datos = std::move(e.Datos);
                return Motivo::Ninguno;
            }
            break;
        }
        const bool cifrada = e.Cifrada;
        p.Lector.reset();
        p.Posicion = -1;
        // No RAR reading takes a password, and libarchive decrypts no 7z:
        // either is said as the archive's encryption.
        return cifrada ? Motivo::CifradoRar : Motivo::Roto;
    }

    // With the lock held: how far an entry is from the page last asked for,
    // those behind the way the reader goes counting twice.
    int Lejos(int indice) const
    {
        const int d = std::abs(indice - centro_);
        return (atras_ ? indice > centro_ : indice < centro_) ? 2 * d + 1 : d;
    }

    // With the lock held: whether the entry would be kept, in the room left
    // or in that of pages further from the reader.
    bool Cabe(int indice) const
    {
        const std::size_t n = std::size_t(tamanoDe_.value(indice));
        if (n > presupuesto_)
            return false;
        return bytes_ + n <= presupuesto_ || (!guardadas_.empty() && Lejano() > Lejos(indice));
    }

    int Lejano() const
    {
        return std::max(Lejos(guardadas_.begin()->first), Lejos(std::prev(guardadas_.end())->first));
    }

    // With the lock held: keeps a page the pass went by, making room by
    // letting go the pages further from the reader than it.
    void Guardar(int indice, const QByteArray &d) const
    {
        const std::size_t n = std::size_t(d.size());
        if (n > presupuesto_ || guardadas_.count(indice))
            return;
        while (bytes_ + n > presupuesto_) {
            if (guardadas_.empty() || Lejano() <= Lejos(indice))
                return;
            // Of two as far, the later goes: a pass comes from the start.
            const auto f = Lejos(guardadas_.begin()->first) > Lejos(std::prev(guardadas_.end())->first)
                               ? guardadas_.begin()
                               : std::prev(guardadas_.end());
            bytes_ -= std::size_t(f->second.size());
            guardadas_.erase(f);
        }
        guardadas_.emplace(indice, d);
        bytes_ += n;
    }

    const std::size_t presupuesto_;
    QSet<QString> paginas_;        // what a keeping pass reads
    QHash<QString, int> ultimas_;  // the place of a name's last entry in the listing
    std::vector<int> enOrden_;     // the places of the pages' entries, in archive order
    QHash<int, quint64> tamanoDe_; // their unpacked sizes
    std::unique_ptr<archivo::DirectasRar5> directas_; // RAR 5 entries read where they lie
    bool guardar_ = true;          // passes keep the pages they go by
    bool adelantar_ = false;       // one block for all: worth unpacking ahead
    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    mutable std::vector<Pase> pases_;
    mutable int esperando_ = 0;    // pages waiting for a pass
    mutable int centro_ = 0;       // the place of the page last asked for
    mutable bool atras_ = false;   // it came before the one asked for earlier
    mutable std::map<int, QByteArray> guardadas_; // by place
    mutable std::size_t bytes_ = 0;
};

class FuenteZip final : public FuenteArchivo {
public:
    explicit FuenteZip(const QString &ruta) : FuenteArchivo(ruta, ClaseDocumento::Zip) {}

    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        if (indice_ && ocurrencias_.contains(nombre)) {
            switch (indice_->Leer(nombre, datos)) {
            case archivo::IndiceZip::Resultado::Bien:
                return Motivo::Ninguno;
            case archivo::IndiceZip::Resultado::Rota:
                return Motivo::Roto;
            case archivo::IndiceZip::Resultado::NoEsta:
                return Motivo::NoEsta;
            case archivo::IndiceZip::Resultado::Otro:
                break; // encrypted, or packed another way: the general reader
            }
        }
        return FuenteArchivo::Leer(nombre, datos);
    }

    void LeerVarias(const QStringList &nombres, const Recibir &recibir,
                    const std::atomic<bool> *cancelar) const override
    {
        // Through the index every page is one positioned read: no walk.
        if (indice_)
            FuentePaginas::LeerVarias(nombres, recibir, cancelar);
        else
            FuenteArchivo::LeerVarias(nombres, recibir, cancelar);
    }

private:
    bool Acepta(archivo::Formato f) const override { return f == archivo::Formato::Zip; }

    void Indexar(const archivo::Descripcion &a) override
    {
        // Pages are then read through the archive kept open, by the name
        // the general reader gives each entry.
        QStringList regulares;
        for (const archivo::Entrada &e : a.Entradas)
            if (e.Regular)
                regulares << e.Nombre;
        indice_ = archivo::IndiceZip::Abrir(Ruta(), regulares);
    }

    std::unique_ptr<archivo::IndiceZip> indice_;
};

// Each page of a PDF is a page, drawn by the picture loaders at the size it
// is shown at: its "bytes" are none, the document goes with the page.
class FuentePdf final : public FuentePaginas {
public:
    explicit FuentePdf(const QString &ruta) : FuentePaginas(ruta, ClaseDocumento::Pdf) {}

    Listado Listar() override
    {
        Listado l = ListadoInicial(Ruta(), [&] { return pdf::EsPdf(Ruta()); });
        if (l.Razon != Motivo::Ninguno)
            return l;
        pdf::Apertura a = pdf::Apertura::Danado;
        std::unique_ptr<pdf::DocumentoPdf> d = pdf::DocumentoPdf::Abrir(Ruta(), Clave(), a);
        switch (a) {
        case pdf::Apertura::NecesitaClave:
            l.Razon = Motivo::PideClave;
            return l;
        case pdf::Apertura::ClaveErronea:
            l.Razon = Motivo::ClaveIncorrecta;
            return l;
        case pdf::Apertura::Danado:
            l.Razon = Motivo::Roto;
            return l;
        case pdf::Apertura::Abierto:
            break;
        }
        l.SinEntradas = false;
        const int n = d->Paginas();
        const int cifras = int(QString::number(n).size());
        indices_.clear();
        for (int i = 0; i < n; ++i) {
            l.Paginas << QStringLiteral("%1.pdf").arg(i + 1, cifras, 10, QLatin1Char('0'));
            indices_.insert(l.Paginas.constLast(), i);
        }
        doc_ = std::move(d);
        return l;
    }

    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        datos.clear();
        return indices_.contains(nombre) ? Motivo::Ninguno : Motivo::NoEsta;
    }

    void Anotar(OrigenPicture &o) const override
    {
        o.Pdf = doc_;
        o.PaginaPdf = indices_.value(o.Nombre, -1);
    }

private:
    std::shared_ptr<const pdf::DocumentoPdf> doc_;
    QHash<QString, int> indices_;
};

// A picture stands for every picture of its folder.
class FuenteCarpeta final : public FuentePaginas {
public:
    explicit FuenteCarpeta(const QString &imagen)
        : FuentePaginas(modGeneral::CarpetaDeRuta(imagen), ClaseDocumento::Imagenes),
          imagen_(modGeneral::NombreDeRuta(imagen))
    {
    }

    Listado Listar() override
    {
        Listado l;
        l.Carpeta = Ruta();
        if (!QFileInfo(Ruta()).isDir()) {
            l.Razon = Motivo::NoEsta;
            return l;
        }
        for (const QString &n : paginas::ListarCarpeta(Ruta(), paginas::PatronImagenes())) {
            if (!paginas::EsPagina(n, Clase()))
                continue;
            l.Paginas << n;
            if (n == imagen_)
                l.Inicial = int(l.Paginas.size());
        }
        if (l.Paginas.isEmpty())
            l.Razon = Motivo::SinPaginas;
        paginas_ = QSet<QString>(l.Paginas.begin(), l.Paginas.end());
        return l;
    }

    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        const QFileInfo info(RutaDe(nombre));
        if (!paginas_.contains(nombre) || !info.exists())
            return Motivo::NoEsta;
        // There but not a file, or not read whole: a damaged page, as an
        // archive's would be.
        datos.clear();
        QFile f(info.filePath());
        if (!info.isFile() || !f.open(QIODevice::ReadOnly))
            return Motivo::Roto;
        if (quint64(info.size()) > archivo::TamanoMaximoEntrada)
            return Motivo::DemasiadoGrande;
        datos = f.readAll();
        if (f.error() != QFileDevice::NoError || datos.size() != info.size()) {
            datos.clear();
            return Motivo::Roto;
        }
        return Motivo::Ninguno;
    }

private:
    QString RutaDe(const QString &nombre) const
    {
        QString ruta = Ruta();
        if (!ruta.endsWith(modGeneral::Separador))
            ruta += modGeneral::Separador;
        return ruta + nombre;
    }

    QString imagen_;
    QSet<QString> paginas_;
};

} // namespace

std::shared_ptr<FuentePaginas> FuentePaginas::Para(const QString &ruta, const QString &extMayusculas,
                                                   std::size_t presupuesto)
{
    // A folder is read as if its first picture had been given.
    if (QFileInfo(ruta).isDir()) {
        QString carpeta = ruta;
        if (!carpeta.endsWith(modGeneral::Separador))
            carpeta += modGeneral::Separador;
        return std::make_shared<FuenteCarpeta>(carpeta);
    }
    switch (paginas::ClaseDe(extMayusculas)) {
    case ClaseDocumento::Rar:
        return std::make_shared<FuentePasadas>(ruta, ClaseDocumento::Rar, presupuesto);
    case ClaseDocumento::Zip:
        return std::make_shared<FuenteZip>(ruta);
    case ClaseDocumento::Libre:
        return std::make_shared<FuentePasadas>(ruta, ClaseDocumento::Libre, presupuesto);
    case ClaseDocumento::Pdf:
        return std::make_shared<FuentePdf>(ruta);
    case ClaseDocumento::Imagenes:
        break;
    }
    return std::make_shared<FuenteCarpeta>(ruta);
}

std::shared_ptr<FuentePaginas> FuentePaginas::ParaContenido(const QString &ruta)
{
    switch (archivo::FormatoDe(ruta)) {
    case archivo::Formato::Rar4:
    case archivo::Formato::Rar5:
        return std::make_shared<FuentePasadas>(ruta, ClaseDocumento::Rar, PresupuestoPasada);
    case archivo::Formato::Zip:
        return std::make_shared<FuenteZip>(ruta);
    case archivo::Formato::SieteZip:
    case archivo::Formato::Tar:
        return std::make_shared<FuentePasadas>(ruta, ClaseDocumento::Libre, PresupuestoPasada);
    case archivo::Formato::Ninguno:
        break;
    }
    if (pdf::EsPdf(ruta))
        return std::make_shared<FuentePdf>(ruta);
    return nullptr;
}

void FuentePaginas::LeerVarias(const QStringList &nombres, const Recibir &recibir,
                               const std::atomic<bool> *cancelar) const
{
    for (int i = 0; i < nombres.size(); ++i) {
        if (cancelar && cancelar->load(std::memory_order_relaxed))
            return;
        QByteArray datos;
        if (Leer(nombres[i], datos) == Motivo::Ninguno)
            recibir(i, datos);
    }
}

Motivo FuentePaginas::LeerOrigen(const QString &nombre, OrigenPicture &origen) const
{
    origen.Nombre = nombre;
    const Motivo m = Leer(nombre, origen.Datos);
    Anotar(origen);
    return m;
}

void FuentePaginas::PonerClave(const QString &clave)
{
    std::lock_guard l(m_);
    clave_ = clave;
}

QString FuentePaginas::Clave() const
{
    std::lock_guard l(m_);
    return clave_;
}

QStringList ComicsDeCarpeta(const QString &carpeta)
{
    return paginas::ListarCarpeta(carpeta, paginas::PatronComprimidos());
}
