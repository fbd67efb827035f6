#include "documento/FuentePaginas.h"

#include "archive/EscrituraSegura.h"
#include "archive/IndiceZip.h"
#include "shell/modAnsi.h"
#include "shell/modGeneral.h"

#include <QFile>
#include <QFileInfo>

namespace {

using paginas::ClaseDocumento;

// Archive pages are read by the name the page list shows them under.
class FuenteArchivo : public FuentePaginas {
public:
    using FuentePaginas::FuentePaginas;

    Leida Leer(const QString &nombre, QByteArray &datos) const override
    {
        if (!Admitido(nombre))
            return Leida::NoEsta;
        bool recibida = false;
        const archivo::Lectura l = archivo::LeerEntradas(
            Ruta(), [&](const QString &n) { return modAnsi::OemAAnsi(n) == nombre; },
            [&](const QString &, const QByteArray &b) {
                datos = b; // same-named entries: the last one wins, as on disk
                recibida = true;
            });
        if (recibida)
            return Leida::Bien;
        if (l.Cifradas > 0)
            return Leida::NoSalio;
        return l.Encontradas > 0 ? Leida::Rota : Leida::NoEsta;
    }

protected:
    // A name the extraction path refuses to write is no page either.
    static bool Admitido(const QString &nombre)
    {
        return !archivo::RutaDentroDe(QStringLiteral("/"), modAnsi::AnsiAOem(nombre)).isEmpty();
    }
};

class FuenteRar final : public FuenteArchivo {
public:
    explicit FuenteRar(const QString &ruta) : FuenteArchivo(ruta, ClaseDocumento::Rar) {}

    Listado Listar() override
    {
        Listado l;
        l.Carpeta = modGeneral::CarpetaDeRuta(Ruta());
        EntradasRar.clear();
        modUnRAR::ListarRAR(Ruta(), EntradasRar);
        QStringList nombres;
        for (modUnRAR::EntradaRar &e : EntradasRar) {
            e.FileName = modAnsi::OemAAnsi(e.FileName);
            if (paginas::EsPagina(e.FileName, Clase()))
                nombres << e.FileName;
        }
        paginas::Ordenar(nombres);
        l.Paginas = nombres;
        l.SinEntradas = EntradasRar.empty();
        return l;
    }

    bool Extraer(const QString &nombre, const QString &carpeta, const archivo::PedirClave &) const override
    {
        return modUnRAR::ExtraerRAR(Ruta(), carpeta, nombre, QString());
    }

    modUnRAR::EntradasRar EntradasRar;
};

class FuenteZip final : public FuenteArchivo {
public:
    explicit FuenteZip(const QString &ruta) : FuenteArchivo(ruta, ClaseDocumento::Zip) {}

    Listado Listar() override
    {
        Listado l;
        l.Carpeta = modGeneral::CarpetaDeRuta(Ruta());
        ZipActual.Init(Ruta());
        for (int i = 1; i <= ZipActual.Count(); ++i)
            if (paginas::EsPagina(ZipActual.GetFile(i), Clase()))
                l.Paginas << ZipActual.GetFile(i);
        paginas::Ordenar(l.Paginas);
        l.SinEntradas = ZipActual.Count() == 0;
        // Pages are then read through the archive kept open, by the name
        // the reader gives each entry (the last of a name wins, as on disk).
        indice_ = archivo::IndiceZip::Abrir(Ruta(), ZipActual.Regulares());
        claves_.clear();
        for (const QString &n : ZipActual.Regulares())
            claves_.insert(modAnsi::OemAAnsi(n), n);
        return l;
    }

    Leida Leer(const QString &nombre, QByteArray &datos) const override
    {
        const auto clave = claves_.constFind(nombre);
        if (indice_ && clave != claves_.cend() && Admitido(nombre)) {
            switch (indice_->Leer(*clave, datos)) {
            case archivo::IndiceZip::Resultado::Bien:
                return Leida::Bien;
            case archivo::IndiceZip::Resultado::Rota:
                return Leida::Rota;
            case archivo::IndiceZip::Resultado::NoEsta:
                return Leida::NoEsta;
            case archivo::IndiceZip::Resultado::Otro:
                break; // encrypted, or packed another way: the general reader
            }
        }
        return FuenteArchivo::Leer(nombre, datos);
    }

    bool Extraer(const QString &nombre, const QString &carpeta,
                 const archivo::PedirClave &pedirClave) const override
    {
        return ZipActual.Decompress(carpeta, nombre, pedirClave) == ModZIP::ZipBien;
    }

    ccZip ZipActual;

private:
    std::unique_ptr<archivo::IndiceZip> indice_;
    QHash<QString, QString> claves_; // page name -> the reader's name
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
        for (const QString &n : paginas::ListarCarpeta(Ruta(), paginas::PatronImagenes())) {
            if (!paginas::EsPagina(n, Clase()))
                continue;
            l.Paginas << n;
            if (n == imagen_)
                l.Inicial = int(l.Paginas.size());
        }
        return l;
    }

    Leida Leer(const QString &nombre, QByteArray &datos) const override
    {
        const QFileInfo info(RutaDe(nombre));
        if (!info.exists())
            return Leida::NoEsta;
        // There but not a file, too large to be a page, or not read whole:
        // a damaged page, as an archive's would be.
        datos.clear();
        QFile f(info.filePath());
        if (!info.isFile() || quint64(info.size()) > archivo::TamanoMaximoEntrada || !f.open(QIODevice::ReadOnly))
            return Leida::Rota;
        datos = f.readAll();
        if (f.error() != QFileDevice::NoError || datos.size() != info.size()) {
            datos.clear();
            return Leida::Rota;
        }
        return Leida::Bien;
    }

    bool Extraer(const QString &, const QString &, const archivo::PedirClave &) const override
    {
        return false; // the pages are files already
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
};

} // namespace

std::unique_ptr<FuentePaginas> FuentePaginas::Para(const QString &ruta, const QString &extMayusculas)
{
    // A folder is read as if its first picture had been given.
    if (QFileInfo(ruta).isDir()) {
        QString carpeta = ruta;
        if (!carpeta.endsWith(modGeneral::Separador))
            carpeta += modGeneral::Separador;
        return std::make_unique<FuenteCarpeta>(carpeta);
    }
    switch (paginas::ClaseDe(extMayusculas)) {
    case ClaseDocumento::Rar:
        return std::make_unique<FuenteRar>(ruta);
    case ClaseDocumento::Zip:
        return std::make_unique<FuenteZip>(ruta);
    case ClaseDocumento::Imagenes:
        break;
    }
    return std::make_unique<FuenteCarpeta>(ruta);
}

QStringList ComicsDeCarpeta(const QString &carpeta)
{
    return paginas::ListarCarpeta(carpeta, paginas::PatronComprimidos());
}
