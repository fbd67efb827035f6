#include "documento/Documento.h"

#include "shell/modGeneral.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

Documento::Documento(std::size_t presupuesto) : preparador_(presupuesto) {}

Documento::~Documento() = default;

int Documento::PaginaVecina(int pagina, int paso) const
{
    const int n = NumeroPaginas();
    if (n < 1)
        return 1;
    return int(paginas::PosicionVecina(pagina - 1, paso, n) + 1);
}

Documento::Apertura Documento::Abrir(const QString &ruta, const QString &leerComo)
{
    RutaActual = ruta;
    ExtActual = modGeneral::ExtensionDeRuta(ruta).toUpper();
    Paginas = QStringList{QString()};
    FuentePaginas::Listado l;
    if (std::optional<Adelanto> a = std::exchange(adelanto_, std::nullopt);
        a && a->Ruta == ruta && leerComo.isEmpty()) {
        fuente_ = std::move(a->Fuente);
        l = std::move(a->Listado);
    } else {
        preparador_.Olvidar();
        fuente_ = FuentePaginas::Para(ruta, leerComo.isEmpty() ? ExtActual : leerComo.toUpper());
        l = fuente_->Listar();
    }
    EsComprimido = fuente_->EsComprimido();

    Paginas << l.Paginas;
    Apertura a;
    a.SinEntradas = l.SinEntradas;
    a.Inicial = int(l.Inicial);
    if (!EsComprimido) {
        CarpetaFileList = l.Carpeta;
        FileList = l.Paginas;
        RutaActual = CarpetaFileList;
    } else if (!l.SinEntradas && HayDocumento()) {
        CarpetaFileList = l.Carpeta;
        FileList = ComicsDeCarpeta(CarpetaFileList);
    }
    preparador_.Abrir({fuente_, Paginas});
    emit Abierto();
    return a;
}

void Documento::Adelantar(const QString &ruta, const std::function<PedidoPagina(int)> &pedido)
{
    Adelanto a{ruta, FuentePaginas::Para(ruta, modGeneral::ExtensionDeRuta(ruta).toUpper()), {}};
    a.Listado = a.Fuente->Listar();
    if (a.Listado.Paginas.isEmpty())
        return; // Abrir lists it again and says what is wrong
    preparador_.Abrir({a.Fuente, QStringList{QString()} + a.Listado.Paginas});
    preparador_.Anticipar({pedido(int(a.Listado.Inicial))});
    adelanto_ = std::move(a);
}

bool Documento::ExtraerPagina(const QString &nombre, const QString &carpeta,
                              const archivo::PedirClave &pedirClave) const
{
    return fuente_ && fuente_->Extraer(nombre, carpeta, pedirClave);
}

QString Documento::ComicVecino(int paso) const
{
    if (!EsComprimido || FileList.size() < 2)
        return {};
    const QString buscado = NombreActual.toUpper();
    for (int i = 0; i < FileList.size(); ++i)
        if (FileList[i].toUpper() == buscado)
            return CarpetaFileList + FileList[paginas::PosicionVecina(i, paso, int(FileList.size()))];
    return {};
}

int Documento::BuscarMarcador(const QString &ruta) const
{
    for (int i = 1; i < Marcadores.size(); ++i)
        if (Marcadores[i].Ruta.compare(ruta, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString Documento::MarcadorDe(const QString &ruta) const
{
    const int i = BuscarMarcador(ruta);
    return i < 0 ? QString() : Marcadores[i].Marcador;
}

void Documento::PonerMarcador(const QString &ruta, const QString &pagina)
{
    const int i = BuscarMarcador(ruta);
    if (i < 0)
        Marcadores << RegistroMarcador{ruta, pagina};
    else
        Marcadores[i].Marcador = pagina;
}

void Documento::QuitarMarcador(const QString &ruta)
{
    const int i = BuscarMarcador(ruta);
    if (i >= 0)
        Marcadores[i].Marcador.clear();
}

void Documento::CargarMarcadores()
{
    QFile f(marcadores::RutaArchivo());
    if (!f.open(QIODevice::ReadOnly))
        return;
    for (const RegistroMarcador &r : marcadores::Leer(f.readAll()))
        if (marcadores::Vigente(r.Ruta))
            Marcadores << r;
}

bool Documento::GuardarMarcadores() const
{
    // A new file renamed over the old one: a crash or a full disk never
    // leaves the bookmarks half written.
    QSaveFile f(marcadores::RutaArchivo());
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray texto = marcadores::Escribir(Marcadores.mid(1));
    return f.write(texto) == texto.size() && f.commit();
}

QString ExtensionSegunContenido(const QString &ruta, const QString &ext)
{
    if (ext == QLatin1String("CBR")) {
        ccZip zip;
        zip.Init(ruta);
        if (zip.Count() > 0)
            return QStringLiteral("cbz");
    } else if (ext == QLatin1String("CBZ")) {
        modUnRAR::EntradasRar entradas;
        modUnRAR::ListarRAR(ruta, entradas);
        if (!entradas.empty())
            return QStringLiteral("cbr");
    }
    return {};
}

void BorrarCarpetaPagina(const QString &rutaPagina)
{
    if (rutaPagina.isEmpty())
        return;
    const QString candidata = modGeneral::RutaLarga(modGeneral::CarpetaDeRuta(rutaPagina));
    if (candidata.isEmpty())
        return;
    // Only a folder strictly inside our temporary folder, links resolved.
    const QString temporal = QFileInfo(modGeneral::CarpetaTemporal()).canonicalFilePath();
    const QString real = QFileInfo(candidata).canonicalFilePath();
    if (temporal.isEmpty() || real.isEmpty() || real == temporal
        || !real.startsWith(temporal + modGeneral::Separador))
        return;
    QDir().rmdir(real); // removes it only when empty
}
