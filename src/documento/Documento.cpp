#include "documento/Documento.h"

#include "archive/Archivo.h"
#include "shell/modGeneral.h"

#include <QFile>
#include <QSaveFile>

#include <utility>

namespace {

// Read-ahead and thumbnails yield to the interface thread and the display
// server painting the page the reader waits for.
constexpr int CortesiaObreros = 5;

} // namespace

Documento::Documento(std::size_t presupuesto)
    : buzon_(std::make_shared<Buzon>()), cuadrilla_(0, CortesiaObreros), preparador_(cuadrilla_, presupuesto)
{
}

Documento::~Documento()
{
    buzon_->Cerrar();
    cuadrilla_.Retirar(listado_);
}

int Documento::PaginaVecina(int pagina, int paso) const
{
    const int n = NumeroPaginas();
    if (n < 1)
        return 1;
    return int(paginas::PosicionVecina(pagina - 1, paso, n) + 1);
}

Candidato Documento::Listar(const QString &ruta, const QString &leerComo, const QString &clave)
{
    Candidato c;
    c.Ruta = ruta;
    c.LeerComo = leerComo;
    try {
        c.Fuente = FuentePaginas::Para(
            ruta, leerComo.isEmpty() ? modGeneral::ExtensionDeRuta(ruta).toUpper() : leerComo.toUpper());
        if (!clave.isEmpty())
            c.Fuente->PonerClave(clave);
        c.Listado = c.Fuente->Listar();
        c.DerechaAIzquierda = c.Listado.Info.EsManga == archivo::Manga::SiDerechaAIzquierda;
    } catch (...) {
        // Out of memory listing a hostile archive: it says it is damaged.
        c.Fuente.reset();
        c.Listado = {};
        c.Listado.Razon = Motivo::Roto;
        c.Listado.SinEntradas = true;
    }
    return c;
}

int Documento::OlvidarListados()
{
    cuadrilla_.Retirar(listado_);
    return ++listados_;
}

std::optional<Candidato> Documento::TomarAdelanto(const QString &ruta, const QString &leerComo,
                                                  const QString &clave)
{
    std::optional<Candidato> a = std::exchange(adelanto_, std::nullopt);
    if (a && (a->Ruta != ruta || !leerComo.isEmpty() || !clave.isEmpty()))
        a.reset();
    return a;
}

void Documento::PedirListado(const QString &ruta, const QString &leerComo, const QString &clave)
{
    const int serie = OlvidarListados();
    Documento *yo = this; // only inside what the mailbox delivers
    const auto entregar = [yo, serie](const Candidato &c) {
        if (serie == yo->listados_)
            emit yo->ListadoHecho(c);
    };
    if (std::optional<Candidato> a = TomarAdelanto(ruta, leerComo, clave)) {
        buzon_->Enviar([entregar, c = std::move(*a)] { entregar(c); }); // a turn later, like any listing
        return;
    }
    listado_ = cuadrilla_.Encargar(Cuadrilla::Prioridad::Esperada,
                                   [buzon = buzon_, entregar, ruta, leerComo, clave](Cuadrilla::Trabajo &) {
                                       Candidato c = Listar(ruta, leerComo, clave);
                                       buzon->Enviar([entregar, c = std::move(c)] { entregar(c); });
                                   });
}

Documento::Apertura Documento::Adoptar(const Candidato &c)
{
    if (!c.Abrible()) {
        Apertura a;
        a.SinEntradas = c.Listado.SinEntradas;
        a.Razon = c.Fuente ? c.Listado.Razon : Motivo::Roto;
        return a;
    }
    return Tomar(c);
}

Documento::Apertura Documento::Abrir(const QString &ruta, const QString &leerComo, const QString &clave)
{
    OlvidarListados();
    if (std::optional<Candidato> a = TomarAdelanto(ruta, leerComo, clave))
        return Adoptar(*a);
    return Adoptar(Listar(ruta, leerComo, clave));
}

Documento::Apertura Documento::Tomar(const Candidato &c)
{
    RutaActual = c.Ruta;
    ExtActual = modGeneral::ExtensionDeRuta(c.Ruta).toUpper();
    Paginas = QStringList{QString()} + c.Listado.Paginas;
    fuente_ = c.Fuente;
    info_ = c.Listado.Info;
    portada_ = c.Listado.Portada;
    EsComprimido = fuente_ && fuente_->EsComprimido();
    MangaDerechaAIzquierda = c.DerechaAIzquierda;
    Apertura a;
    a.SinEntradas = c.Listado.SinEntradas;
    a.Inicial = c.Listado.Inicial;
    a.Razon = c.Listado.Razon;
    if (!EsComprimido) {
        CarpetaFileList = c.Listado.Carpeta;
        FileList = c.Listado.Paginas;
        RutaActual = CarpetaFileList;
    } else if (!c.Listado.SinEntradas && HayDocumento()) {
        CarpetaFileList = c.Listado.Carpeta;
        FileList = ComicsDeCarpeta(CarpetaFileList);
    }
    preparador_.Abrir({fuente_, Paginas});
    emit Abierto();
    return a;
}

void Documento::Adelantar(const QString &ruta, const std::function<PedidoPagina(int)> &pedido)
{
    // Listed here, before the window exists and takes any input: the pool
    // then makes the first page while the window is being built, which a
    // listing that came back through the event loop would only start after.
    Candidato c = Listar(ruta);
    if (!c.Abrible())
        return; // listed again when asked for, and says what is wrong
    preparador_.Abrir({c.Fuente, QStringList{QString()} + c.Listado.Paginas});
    preparador_.Anticipar({pedido(c.Listado.Inicial)});
    adelanto_ = std::move(c);
}

void Documento::PonerClave(const QString &clave)
{
    if (!fuente_)
        return;
    fuente_->PonerClave(clave);
    preparador_.OlvidarSinClave();
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
    if (!paginas::EsExtensionComic(ext))
        return {};
    const QString nueva = archivo::ExtensionComic(archivo::FormatoDe(ruta));
    if (nueva.isEmpty() || paginas::ClaseDe(nueva.toUpper()) == paginas::ClaseDe(ext)
        || archivo::ListarEntradas(ruta).empty())
        return {};
    return nueva;
}

std::shared_ptr<SeriesComics> Documento::Series()
{
    if (!series_)
        series_ = std::make_shared<SeriesComics>(SeriesComics::RutaPorDefecto());
    return series_;
}

MemoriaComics &Documento::Memoria()
{
    if (!memoria_)
        memoria_ = std::make_unique<MemoriaComics>(MemoriaComics::RutaPorDefecto());
    return *memoria_;
}
