#include "documento/FuentePaginas.h"

#include "archive/IndiceZip.h"
#include "shell/modGeneral.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

using paginas::ClaseDocumento;

// Archive pages are read by the name the page list shows them under; of
// several entries of one name, the last one, as unpacking the archive would
// leave it.
class FuenteArchivo : public FuentePaginas {
public:
    using FuentePaginas::FuentePaginas;

    Listado Listar() override
    {
        Listado l;
        l.Carpeta = modGeneral::CarpetaDeRuta(Ruta());
        l.SinEntradas = true;
        const QFileInfo info(Ruta());
        if (!info.isFile()) {
            l.Razon = Motivo::NoEsta;
            return l;
        }
        const archivo::Formato formato = archivo::FormatoDe(Ruta());
        if (!Acepta(formato)) {
            l.Razon = info.size() == 0 ? Motivo::Vacio : Motivo::NoEsComic;
            return l;
        }
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

// 7-Zip and tar comics: the page rules of ZIP, every page read by the
// general reader.
class FuenteLibre final : public FuenteArchivo {
public:
    explicit FuenteLibre(const QString &ruta) : FuenteArchivo(ruta, ClaseDocumento::Zip) {}

private:
    bool Acepta(archivo::Formato f) const override
    {
        return f == archivo::Formato::SieteZip || f == archivo::Formato::Tar;
    }
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

std::shared_ptr<FuentePaginas> FuentePaginas::Para(const QString &ruta, const QString &extMayusculas)
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
        return std::make_shared<FuenteLibre>(ruta);
    case archivo::Formato::Ninguno:
        break;
    }
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
