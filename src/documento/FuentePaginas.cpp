#include "documento/FuentePaginas.h"

#include "archive/IndiceZip.h"
#include "imaging/DocumentoPdf.h"
#include "shell/modGeneral.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

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

class FuenteRar final : public FuenteArchivo {
public:
    explicit FuenteRar(const QString &ruta) : FuenteArchivo(ruta, ClaseDocumento::Rar) {}

private:
    bool Acepta(archivo::Formato f) const override
    {
        return f == archivo::Formato::Rar4 || f == archivo::Formato::Rar5;
    }
};

// 7-Zip and tar comics, read by the general reader. A solid 7z unpacks
// every entry before the one asked for, so one pass is kept going through
// the archive, in its own order, and the pages it passes stay in memory
// while they fit the budget: each page is then unpacked once. A page behind
// the pass and not kept starts a new pass.
class FuenteLibre final : public FuenteArchivo {
public:
    FuenteLibre(const QString &ruta, std::size_t presupuesto)
        : FuenteArchivo(ruta, ClaseDocumento::Libre), presupuesto_(presupuesto)
    {
    }

    Motivo Leer(const QString &nombre, QByteArray &datos) const override
    {
        if (!paginas_.contains(nombre))
            return FuenteArchivo::Leer(nombre, datos);
        if (tamanos_.value(nombre) > archivo::TamanoMaximoEntrada)
            return Motivo::DemasiadoGrande;
        const std::lock_guard l(pasada_);
        if (const auto i = guardadas_.constFind(nombre); i != guardadas_.constEnd()) {
            datos = *i;
            return Motivo::Ninguno;
        }
        const int buscada = ultimas_.value(nombre);
        if (!lector_ || buscada <= posicion_) {
            lector_ = std::make_unique<archivo::LectorEnOrden>(Ruta(), archivo::PedirClave{}, Clave());
            posicion_ = -1;
        }
        const auto esPagina = [this](const QString &n) { return paginas_.contains(n); };
        archivo::LectorEnOrden::Leida e;
        while (lector_->Siguiente(esPagina, e)) {
            posicion_ = e.Indice;
            const bool ultima = e.Indice == ultimas_.value(e.Nombre);
            if (e.Entera && ultima && bytes_ + std::size_t(e.Datos.size()) <= presupuesto_) {
                guardadas_.insert(e.Nombre, e.Datos);
                bytes_ += std::size_t(e.Datos.size());
            }
            if (e.Indice < buscada)
                continue;
            if (e.Entera && e.Indice == buscada) {
                datos = e.Datos;
                return Motivo::Ninguno;
            }
            break;
        }
        const bool cifrada = e.Cifrada;
        lector_.reset();
        // libarchive decrypts no 7z: said as the archive's encryption.
        return cifrada ? Motivo::CifradoRar : Motivo::Roto;
    }

    void LeerVarias(const QStringList &nombres, const Recibir &recibir,
                    const std::atomic<bool> *cancelar) const override
    {
        // What the pass kept, then the rest in one pass of its own.
        QStringList resto;
        QList<int> lugares;
        for (int i = 0; i < nombres.size(); ++i) {
            QByteArray datos;
            {
                const std::lock_guard l(pasada_);
                datos = guardadas_.value(nombres[i]);
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

private:
    bool Acepta(archivo::Formato f) const override
    {
        return f == archivo::Formato::SieteZip || f == archivo::Formato::Tar;
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
    }

    const std::size_t presupuesto_;
    QSet<QString> paginas_; // what the pass reads
    QHash<QString, int> ultimas_; // the place of a name's last entry in the listing
    mutable std::mutex pasada_;
    mutable std::unique_ptr<archivo::LectorEnOrden> lector_;
    mutable int posicion_ = -1; // the place of the last entry the pass read
    mutable QHash<QString, QByteArray> guardadas_;
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
        return std::make_shared<FuenteRar>(ruta);
    case ClaseDocumento::Zip:
        return std::make_shared<FuenteZip>(ruta);
    case ClaseDocumento::Libre:
        return std::make_shared<FuenteLibre>(ruta, presupuesto);
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
        return std::make_shared<FuenteRar>(ruta);
    case archivo::Formato::Zip:
        return std::make_shared<FuenteZip>(ruta);
    case archivo::Formato::SieteZip:
    case archivo::Formato::Tar:
        return std::make_shared<FuenteLibre>(ruta, PresupuestoPasada);
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
