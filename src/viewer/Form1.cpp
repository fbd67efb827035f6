#include "viewer/Form1.h"

#include "archive/ccZip.h"
#include "archive/modUnRAR.h"
#include "imaging/modImagen.h"
#include "imaging/modPNG.h"
#include "shell/MouseWheel.h"
#include "shell/modAnsi.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "documento/ArchivoMarcadores.h"
#include "viewer/Configuracion.h"
#include "viewer/FormMarcadores.h"
#include "viewer/Form1Comun.h"
#include "documento/Paginas.h"
#include "documento/PreparadorPaginas.h"
#include "viewer/Teclas.h"
#include "documento/modDocumento.h"
#include "viewer/modIni.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QSaveFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QLocale>
#include <QMouseEvent>
#include <QStyle>

#include <cstdio>
#include <cstdlib>

using modIdioma::TextoIdioma;
using form1::ProcesarEventos;
using form1::PunteroOcupado;
namespace doc = modDocumento;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;

QLabel *Etiqueta(QWidget *padre, const QString &nombre)
{
    auto *l = new QLabel(padre);
    l->setObjectName(nombre);
    return l;
}

} // namespace

std::function<void()> &Form1::FinDelProceso()
{
    static std::function<void()> fin = [] {
        std::fflush(nullptr);
        std::_Exit(0);
    };
    return fin;
}

Form1::Form1(const QString &lineaComandos, QWidget *parent)
    : QWidget(parent), LineaComandos(lineaComandos.trimmed()),
      preparador_(std::make_unique<PreparadorPaginas>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tavelo"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    PBZ = Etiqueta(this, QStringLiteral("PBZ"));
    PBZ->setScaledContents(true);
    PBZ->setAttribute(Qt::WA_TransparentForMouseEvents);
    PBZ->hide(); // shown only while a page is dragged

    PBRef = Etiqueta(this, QStringLiteral("PBRef"));
    PBRef->hide();

    LBInfo = Etiqueta(this, QStringLiteral("LBInfo"));
    LBInfo->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 190); color: #f2f2f2; border-radius: 8px; padding: 8px 16px; }"));
    LBInfo->hide();

    const int icono = 32;
    ImAbrir = Etiqueta(this, QStringLiteral("ImAbrir"));
    ImAbrir->setPixmap(style()->standardIcon(QStyle::SP_DialogOpenButton).pixmap(icono, icono));
    ImCerrar = Etiqueta(this, QStringLiteral("ImCerrar"));
    ImCerrar->setPixmap(Icono(IconoBarra::Cerrar, icono, devicePixelRatioF()));
    for (QLabel *b : {ImAbrir, ImCerrar}) {
        b->setFixedSize(icono + 8, icono + 8);
        b->setAlignment(Qt::AlignCenter);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("QLabel { background: rgba(20, 20, 20, 150); border-radius: 6px; }"));
        b->installEventFilter(this);
    }

    const QString estiloTexto = QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 150); color: #f2f2f2; border-radius: 6px; padding: 4px 10px; }");
    LBPag = Etiqueta(this, QStringLiteral("LBPag"));
    LBPag->setStyleSheet(estiloTexto);
    LBMarcador = Etiqueta(this, QStringLiteral("LBMarcador"));
    LBMarcador->setStyleSheet(estiloTexto);
    LBMarcador->setCursor(Qt::PointingHandCursor);
    LBMarcador->installEventFilter(this);
    LBMarcador->hide();
    SHMarcador = Etiqueta(this, QStringLiteral("SHMarcador"));
    {
        // A ribbon beside the label: the document has a bookmark.
        QPixmap cinta(QSize(18, 26) * devicePixelRatioF());
        cinta.setDevicePixelRatio(devicePixelRatioF());
        cinta.fill(Qt::transparent);
        QPainter p(&cinta);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 50, 50));
        p.drawPolygon(QPolygonF{QPointF(1, 0), QPointF(17, 0), QPointF(17, 26), QPointF(9, 19), QPointF(1, 26)});
        SHMarcador->setPixmap(cinta);
    }
    SHMarcador->hide();
    LBAbriendo = Etiqueta(this, QStringLiteral("LBAbriendo"));
    LBAbriendo->setStyleSheet(estiloTexto);
    LBAbriendo->hide();
    setAcceptDrops(true);

    CrearBarra();
    TB->installEventFilter(this);
    LBPag->installEventFilter(this);
    MouseWheel1 = new MouseWheel(this);
    connect(MouseWheel1, &MouseWheel::WheelMove, this, &Form1::RuedaMovida);

    tmrInfo.setInterval(1000);
    connect(&tmrInfo, &QTimer::timeout, this, &Form1::tmrInfo_Timer);
    tmrPaseFotos.setInterval(5000);
    connect(&tmrPaseFotos, &QTimer::timeout, this, &Form1::tmrPaseFotos_Timer);
    tmrDinamico.setInterval(10);
    connect(&tmrDinamico, &QTimer::timeout, this, &Form1::tmrDinamico_Timer);
    tmrMovH.setInterval(10);
    connect(&tmrMovH, &QTimer::timeout, this, &Form1::tmrMovH_Timer);

    // Load handling. The single-instance check has already run in main.
    PaginaActual = 1;
    ModoAjuste = 1;
    bAvanzando = true;
    modIdioma::Idioma = QStringLiteral("esp");
    doc::Paginas = QStringList{QString()};
    doc::Marcadores = {doc::RegistroMarcador{}};
    LBPag->clear();
    LBPag->hide();
    PonerColorFondo(0);
    CargarMarcadores();
    LeerConfiguracion();
    TraduceForm();
    PBBarra->setVisible(BarraVisible);
    PBRef->move(300 / Twips, 300 / Twips);
    if (LineaComandos.isEmpty())
        MostrarMensaje(TextoIdioma(9));
}

Form1::~Form1() = default;

std::int32_t Form1::ColorFondo() const
{
    const QColor c = palette().color(QPalette::Window);
    return configuracion::ColorABgr(c.red(), c.green(), c.blue());
}

void Form1::PonerColorFondo(std::int32_t bgr)
{
    const QColor c(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
    for (QWidget *w : {static_cast<QWidget *>(this)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, c);
        w->setPalette(p);
    }
}

void Form1::LeerConfiguracion()
{
    const QString ini = configuracion::RutaIni();
    const QString idioma = modIni::LeerIni(ini, "Config", "Idioma", "");
    if (idioma.isEmpty())
        IdiomaDelSistema();
    else
        modIdioma::Idioma = idioma;

    // A value that cannot be converted ends the reading, as a type error would.
    const QString color = modIni::LeerIni(ini, "Config", "Color", "0");
    if (const auto bgr = configuracion::Entero32(color))
        PonerColorFondo(*bgr);
    const auto barra = configuracion::Booleano(modIni::LeerIni(ini, "Config", "Barra", "False"));
    if (!barra)
        return;
    BarraVisible = *barra;
    doc::RutaActual = modIni::LeerIni(ini, "Config", "uPath", "");
    doc::Marcadores[0].Ruta = modIni::LeerIni(ini, "Ultimo", "Ruta", "");
    doc::Marcadores[0].Marcador = modIni::LeerIni(ini, "Ultimo", "Marcador", "");
    doc::RutaColeccion = modIni::LeerIni(ini, "Coleccion", "Ruta", "");
}

void Form1::GuardarConfiguracion()
{
    const QString ini = configuracion::RutaIni();
    modIni::EscribirIni(ini, "Config", "Idioma", modIdioma::Idioma);
    modIni::EscribirIni(ini, "Config", "Color", QString::number(ColorFondo()));
    modIni::EscribirIni(ini, "Config", "Barra", PBBarra->isVisible() ? "True" : "False");
    modIni::EscribirIni(ini, "Config", "uPath", doc::RutaActual);
    if (!doc::RutaActual.isEmpty()) {
        modIni::EscribirIni(ini, "Ultimo", "Ruta", doc::RutaActual);
        modIni::EscribirIni(ini, "Ultimo", "Marcador", QString::number(PaginaActual));
    }
    if (!doc::RutaColeccion.isEmpty())
        modIni::EscribirIni(ini, "Coleccion", "Ruta", doc::RutaColeccion);
}

void Form1::IdiomaDelSistema()
{
    // QLocale() is the system locale unless a default was set.
    const QString nombre = QLocale::languageToString(QLocale().language());
    modIdioma::Idioma = configuracion::CodigoDeNombreIdioma(nombre);
}

void Form1::TraduceForm()
{
    ImAbrir->setToolTip(TextoIdioma(1));
    ImCerrar->setToolTip(TextoIdioma(16));
    LBPag->setToolTip(TextoIdioma(3));
    LBMarcador->setToolTip(TextoIdioma(4));
    TraduceBarra();
}

QString Form1::sCambiarIdioma()
{
    modIdioma::Idioma = configuracion::SiguienteIdioma(modIdioma::Idioma);
    TraduceForm();
    return TextoIdioma(7);
}

bool Form1::AbrirUltimo(bool anunciar)
{
    const doc::RegistroMarcador ultimo = doc::Marcadores.value(0);
    if (ultimo.Ruta.isEmpty())
        return false;
    const bool abierto = bAbrirMarcador(ultimo.Ruta, configuracion::NumeroDePagina(ultimo.Marcador));
    if (abierto && anunciar)
        MostrarMensaje(TextoIdioma(8));
    return abierto;
}

void Form1::Salir()
{
    GuardarConfiguracion();
    GuardarMarcadores();
    BorrarCarpetaPagina();
    FinDelProceso()();
}

void Form1::BorrarCarpetaPagina()
{
    if (!doc::EsComprimido || RutaPagina.isEmpty())
        return;
    const QString candidata = modGeneral::RutaLarga(modGeneral::CarpetaDeRuta(RutaPagina));
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

void Form1::OcultarMarcador()
{
    LBMarcador->hide();
    SHMarcador->hide();
}

void Form1::AbrirArchivo(const QString &ruta, bool mostrar)
{
    namespace pg = paginas;
    LBInfo->setText(TextoIdioma(0));
    LBAbriendo->setText(TextoIdioma(0));
    LBAbriendo->adjustSize();
    ColocarControles();
    LBAbriendo->show();
    LBAbriendo->raise();
    GuardarMarcadores();

    if (ruta.isEmpty()) {
        const QString anterior = doc::RutaActual;
        if (doc::RutaActual.isEmpty())
            doc::RutaActual = QDir::homePath();
        const QString elegida = modComDlg::DialogoAbrir(
            this, modGeneral::CarpetaDeRuta(doc::RutaActual), TextoIdioma(5),
            pg::FiltroAbrir(TextoIdioma(6)));
        if (elegida.isEmpty()) {
            LBAbriendo->hide();
            doc::RutaActual = anterior;
            return;
        }
        doc::RutaActual = elegida;
    } else {
        doc::RutaActual = ruta;
    }
    doc::ExtActual = modGeneral::ExtensionDeRuta(doc::RutaActual).toUpper();

    doc::Paginas = QStringList{QString()};
    preparador_->Olvidar();
    const pg::ClaseDocumento clase = pg::ClaseDe(doc::ExtActual);
    bool sinEntradas = false;
    if (clase == pg::ClaseDocumento::Rar) {
        doc::EntradasRar.clear();
        modUnRAR::ListarRAR(doc::RutaActual, doc::EntradasRar);
        QStringList lista;
        for (modUnRAR::EntradaRar &e : doc::EntradasRar) {
            e.FileName = modAnsi::OemAAnsi(e.FileName);
            lista << e.FileName;
        }
        pg::Ordenar(lista);
        for (const QString &n : lista)
            if (pg::EsPagina(n, clase))
                doc::Paginas << n;
        PaginaActual = 1;
        sinEntradas = doc::EntradasRar.empty();
    } else if (clase == pg::ClaseDocumento::Zip) {
        doc::ZipActual = std::make_unique<ccZip>();
        doc::ZipActual->Init(doc::RutaActual);
        QStringList lista;
        for (int i = 1; i <= doc::ZipActual->Count(); ++i)
            if (pg::EsPagina(doc::ZipActual->GetFile(i), clase))
                lista << doc::ZipActual->GetFile(i);
        pg::Ordenar(lista);
        doc::Paginas << lista;
        PaginaActual = 1;
        sinEntradas = doc::ZipActual->Count() == 0;
    } else {
        CarpetaFileList = modGeneral::CarpetaDeRuta(doc::RutaActual);
        FileList = pg::ListarCarpeta(CarpetaFileList, pg::PatronImagenes());
        const QString nombre = modGeneral::NombreDeRuta(doc::RutaActual);
        PaginaActual = 1;
        for (const QString &n : FileList) {
            if (!pg::EsPagina(n, clase))
                continue;
            doc::Paginas << n;
            if (n == nombre)
                PaginaActual = std::int16_t(doc::Paginas.size() - 1);
        }
        doc::RutaActual = CarpetaFileList;
    }

    if (sinEntradas) {
        MostrarMensaje(TextoIdioma(200));
        LBAbriendo->hide();
        if (doc::ExtActual == QLatin1String("CBR") || doc::ExtActual == QLatin1String("CBZ"))
            RepararExtension(doc::ExtActual);
        return;
    }
    if (doc::Paginas.size() <= 1) {
        LBAbriendo->hide();
        return;
    }
    if (clase != pg::ClaseDocumento::Imagenes) {
        CarpetaFileList = modGeneral::CarpetaDeRuta(doc::RutaActual);
        FileList = pg::ListarCarpeta(CarpetaFileList, pg::PatronComprimidos());
    }

    for (int i = 1; i < doc::Marcadores.size(); ++i) {
        if (doc::Marcadores[i].Ruta.compare(doc::RutaActual, Qt::CaseInsensitive) != 0)
            continue;
        if (!doc::Marcadores[i].Marcador.isEmpty()) {
            PonerMarcador(doc::Marcadores[i].Marcador);
        }
        break;
    }

    LBPag->clear();
    LBPag->hide();
    if (mostrar)
        VerImagen(PaginaActual);
    Imagen.Tag = QString::number(PaginaActual);
    ProcesarEventos();
    doc::NombreActual = modGeneral::NombreDeRuta(doc::RutaActual);
    MostrarMensaje(doc::NombreActual.isEmpty() ? doc::RutaActual : doc::NombreActual);
    LBAbriendo->hide();
}

bool Form1::CargarPaginaEn(std::int16_t pagina, ControlImagen &destino)
{
    if (pagina < 1 || pagina >= doc::Paginas.size())
        return false;
    doc::EsComprimido = paginas::EsArchivoComprimido(doc::ExtActual);
    const paginas::ClaseDocumento clase = paginas::ClaseDe(doc::ExtActual);
    if (clase == paginas::ClaseDocumento::Zip && !doc::ZipActual)
        return false;
    const QString nombre = doc::Paginas[pagina];
    if (doc::EsComprimido) {
        RutaPagina = modGeneral::CarpetaTemporal();
    } else {
        RutaPagina = doc::RutaActual;
        if (!RutaPagina.endsWith(modGeneral::Separador))
            RutaPagina += modGeneral::Separador;
    }
    RutaPagina += nombre;
    // Pages come read into memory; only a page whose data would not come
    // out that way (a password to ask) goes through the temporary folder.
    preparador_->Abrir({doc::RutaActual, clase, doc::Paginas});
    const auto preparada = preparador_->Obtener(PedidoPara(pagina, destino));
    if (!preparada)
        return false;
    switch (preparada->Estado) {
    case PaginaPreparada::Estado::Lista:
        CopiarPicture(destino, preparada->Imagen);
        return true;
    case PaginaPreparada::Estado::Error:
        return false;
    case PaginaPreparada::Estado::Extraer:
        break;
    }
    return ExtraerYCargar(nombre, destino);
}

bool Form1::ExtraerYCargar(const QString &nombre, ControlImagen &destino)
{
    const QString carpeta = modGeneral::CarpetaTemporal();
    if (paginas::ClaseDe(doc::ExtActual) == paginas::ClaseDocumento::Rar)
        modUnRAR::ExtraerRAR(doc::RutaActual, carpeta, nombre, QString());
    else
        doc::ZipActual->Decompress(carpeta, nombre);
    bool cargada = true;
    try {
        modPNG::CargarSegunExtension(RutaPagina, destino);
    } catch (const ErrorImagen &) {
        cargada = false;
    }
    // Only the decoded picture stays: the extracted file goes at once.
    QFile::setPermissions(RutaPagina, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(RutaPagina);
    return cargada;
}

PedidoPagina Form1::PedidoPara(std::int16_t pagina, const ControlImagen &destino) const
{
    PedidoPagina p;
    p.Pagina = pagina;
    p.Modo = ModoAjuste;
    p.Ventana = Escala();
    p.PixelesPorTwip = devicePixelRatioF() / Twips;
    if (destino.Stretch) {
        p.EstirarW = destino.Width;
        p.EstirarH = destino.Height;
    }
    return p;
}

void Form1::AnticiparVecinas(std::int16_t desde)
{
    const int n = int(doc::Paginas.size()) - 1;
    if (n < 2)
        return;
    // The next pages in the direction of reading (the next two spreads in
    // two-page mode), then the one behind for a reader who turns back.
    const int adelante = ModoAjuste == 8 ? 4 : 3;
    const int paso = bAvanzando ? 1 : -1;
    std::vector<PedidoPagina> pedidos;
    for (int k = 1; k <= adelante; ++k)
        pedidos.push_back(PedidoPara(std::int16_t(paginas::PosicionVecina(desde - 1, paso * k, n) + 1), Imagen));
    pedidos.push_back(PedidoPara(std::int16_t(paginas::PosicionVecina(desde - 1, -paso, n) + 1), Imagen));
    preparador_->Anticipar(pedidos);
}

void Form1::VerImagen(std::int16_t pagina)
{
    if (pagina < 1 || pagina >= doc::Paginas.size())
        return;
    if (paginas::ClaseDe(doc::ExtActual) == paginas::ClaseDocumento::Zip && !doc::ZipActual)
        return;
    const PunteroOcupado ocupado;
    PaginaCargada = false;
    if (!CargarPaginaEn(pagina, Imagen)) {
        // A broken page leaves an empty screen and the reader free to go on.
        VaciarPicture(Imagen);
        MostrarMensaje(TextoIdioma(200));
    }
    if (ModoAjuste == 8)
        VerDosPaginas(pagina);
    else
        AplicaLayout(ModoAjuste);
    LBPag->setText(QStringLiteral("%1/%2").arg(pagina).arg(doc::Paginas.size() - 1));
    LBPag->adjustSize();
    LBPag->setVisible(ModoOSD == 1);
    ColocarControles();
    Partes.DesplazParteX = 0;
    Partes.DesplazParteY = 0;
    PaginaCargada = true;
    // A spread ends on its second page, when there is one.
    const bool segunda = ModoAjuste == 8 && PaginaActual >= 1 && PaginaActual < doc::Paginas.size();
    AnticiparVecinas(segunda ? PaginaActual : pagina);
}

bool Form1::bAbrirMarcador(const QString &ruta, std::int16_t pagina)
{
    if (!modGeneral::ExisteRuta(ruta))
        return false;
    OcultarMarcador();
    AbrirArchivo(ruta, false);
    ProcesarEventos();
    // A record from when the document had more pages opens it at the start.
    if (pagina < 1 || pagina >= doc::Paginas.size())
        pagina = 1;
    VerImagen(pagina);
    ProcesarEventos();
    PaginaActual = pagina;
    Imagen.Tag = QString::number(PaginaActual);
    return true;
}

void Form1::SiguienteComic(int paso)
{
    if (!doc::EsComprimido || FileList.size() < 2)
        return;
    const QString buscado = doc::NombreActual.toUpper();
    int i = -1;
    for (int k = 0; k < FileList.size(); ++k)
        if (FileList[k].toUpper() == buscado) {
            i = k;
            break;
        }
    if (i < 0)
        return;
    const int j = paginas::PosicionVecina(i, paso, int(FileList.size()));
    AbrirArchivo(CarpetaFileList + FileList[j], true);
}

void Form1::RepararExtension(const QString &extension)
{
    if (bReparando) {
        bReparando = false;
        return;
    }
    QString nueva;
    if (extension == QLatin1String("CBR")) {
        ccZip zip;
        zip.Init(doc::RutaActual);
        if (zip.Count() > 0)
            nueva = QStringLiteral("cbz");
    } else if (extension == QLatin1String("CBZ")) {
        modUnRAR::EntradasRar entradas;
        modUnRAR::ListarRAR(doc::RutaActual, entradas);
        if (!entradas.empty())
            nueva = QStringLiteral("cbr");
    }
    if (nueva.isEmpty())
        return;
    const QString destino = doc::RutaActual.left(doc::RutaActual.size() - 3) + nueva;
    // Like a move, a rename never replaces a file already there.
    if (!QFile::rename(doc::RutaActual, destino))
        return;
    bReparando = true;
    AbrirArchivo(destino, true);
    MostrarMensaje(TextoIdioma(201));
    bReparando = false;
}

void Form1::CargarMarcadores()
{
    QFile f(marcadores::RutaArchivo());
    if (!f.open(QIODevice::ReadOnly))
        return;
    for (const doc::RegistroMarcador &r : marcadores::Leer(f.readAll()))
        if (marcadores::Vigente(r.Ruta))
            doc::Marcadores << r;
}

void Form1::GuardarMarcadores()
{
    // A new file renamed over the old one: a crash or a full disk never
    // leaves the bookmarks half written.
    QSaveFile f(marcadores::RutaArchivo());
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(marcadores::Escribir(doc::Marcadores.mid(1)));
    f.commit();
}

void Form1::PonerMarcador(const QString &pagina)
{
    LBMarcador->setProperty("Tag", pagina);
    if (pagina.isEmpty()) {
        LBMarcador->hide();
        SHMarcador->hide();
        return;
    }
    LBMarcador->setText(TextoIdioma(163) + pagina);
    LBMarcador->adjustSize();
    ColocarControles();
    LBMarcador->show();
    SHMarcador->show();
    LBMarcador->raise();
    SHMarcador->raise();
}

void Form1::AgregarMarcador()
{
    const QString pagina = QString::number(PaginaActual);
    bool hallado = false;
    for (int i = 1; i < doc::Marcadores.size(); ++i) {
        if (doc::Marcadores[i].Ruta.compare(doc::RutaActual, Qt::CaseInsensitive) == 0) {
            doc::Marcadores[i].Marcador = pagina;
            hallado = true;
            break;
        }
    }
    if (!hallado)
        doc::Marcadores << doc::RegistroMarcador{doc::RutaActual, pagina};
    PonerMarcador(pagina);
    MostrarMensaje(TextoIdioma(163) + pagina);
}

void Form1::QuitarMarcador()
{
    LBMarcador->hide();
    SHMarcador->hide();
    if (doc::Marcadores.size() <= 1)
        return;
    for (int i = 1; i < doc::Marcadores.size(); ++i) {
        if (doc::Marcadores[i].Ruta.compare(doc::RutaActual, Qt::CaseInsensitive) == 0) {
            doc::Marcadores[i].Marcador.clear();
            break;
        }
    }
    LBMarcador->setProperty("Tag", QString());
    MostrarMensaje(TextoIdioma(164));
}

void Form1::IrAlMarcador()
{
    const QString pagina = LBMarcador->property("Tag").toString();
    if (pagina.isEmpty())
        return;
    std::int16_t n = configuracion::NumeroDePagina(pagina);
    if (n < 1 || n >= doc::Paginas.size())
        n = 1;
    VerImagen(n);
    ProcesarEventos();
    PaginaActual = n;
    if (ModoAjuste == 7) {
        // Continuous mode is rebuilt on the same mode under it.
        Imagen.Tag = pagina;
        ActivaContinuo();
    }
    MostrarMensaje(TextoIdioma(163) + QString::number(n));
}

void Form1::ListaDeMarcadores()
{
    FormMarcadores lista(this, doc::Marcadores);
    const int resultado = modComDlg::MostrarModal(lista);
    if (resultado != QDialog::Accepted)
        return;
    const int p = lista.Elegido >= 0 ? lista.Elegido : lista.Lista->currentRow();
    if (p < 0 || p + 1 >= doc::Marcadores.size())
        return;
    const doc::RegistroMarcador r = doc::Marcadores[p + 1];
    // A bookmark removed this run has no page: its document opens at page 1.
    bAbrirMarcador(r.Ruta, configuracion::NumeroDePagina(r.Marcador));
}

void Form1::MostrarMensaje(const QString &texto)
{
    UltimoMensaje = texto;
    LBInfo->setText(UltimoMensaje);
    LBInfo->adjustSize();
    ColocarControles();
    LBInfo->show();
    LBInfo->raise();
    SegundosInfo = 0;
    tmrInfo.start();
}

void Form1::ColocarControles()
{
    const int margen = 12;
    ImAbrir->move(margen, margen);
    ImCerrar->move(width() - ImCerrar->width() - margen, margen);
    LBPag->adjustSize();
    LBPag->move(width() - LBPag->width() - margen, height() - LBPag->height() - margen);
    PBBarra->adjustSize();
    PBBarra->move((width() - PBBarra->width()) / 2, height() - PBBarra->height());
    LBMarcador->adjustSize();
    SHMarcador->adjustSize();
    SHMarcador->move(margen, height() - SHMarcador->height() - margen);
    LBMarcador->move(margen + SHMarcador->width() + 6, height() - LBMarcador->height() - margen);
    LBAbriendo->adjustSize();
    LBAbriendo->move((width() - LBAbriendo->width()) / 2, (height() - LBAbriendo->height()) / 2);
    // Messages sit centred near the bottom, sized for the screen.
    QFont f = LBInfo->font();
    f.setPixelSize(std::max(14, height() / 40));
    LBInfo->setFont(f);
    LBInfo->adjustSize();
    LBInfo->move((width() - LBInfo->width()) / 2, height() - LBInfo->height() - height() / 12);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ColocarControles();
    RehacerDiseno();
    if (!bInicioHecho && isVisible()) {
        bInicioHecho = true;
        AbrirDocumentoInicial();
    }
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Some platforms give a hidden window its full size before showing it,
    // so no resize follows the show: start from the event loop instead.
    QTimer::singleShot(0, this, [this] {
        if (!bInicioHecho && isVisible()) {
            bInicioHecho = true;
            AbrirDocumentoInicial();
        }
    });
}

void Form1::AbrirDocumentoInicial()
{
    if (!LineaComandos.isEmpty()) {
        QString ruta = LineaComandos;
        if (ruta.size() >= 2 && ruta.front() == u'"' && ruta.back() == u'"')
            ruta = ruta.mid(1, ruta.size() - 2);
        // Kept as an absolute path so the resume record works from anywhere.
        if (QFileInfo::exists(ruta))
            ruta = QFileInfo(ruta).absoluteFilePath();
        AbrirArchivo(ruta, true);
        return;
    }
    if (!AbrirUltimo(true))
        emit InformacionPedida();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        TeclasPulsadas.insert(event->key());
    QWidget::keyPressEvent(event);
}

void Form1::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    // Only a key pressed here: the Enter that closed a list must not turn
    // the page when its release reaches this window.
    if (!TeclasPulsadas.remove(event->key()))
        return;
    const auto tecla = teclas::CodigoVirtual(*event);
    if (tecla.codigo != 0)
        Form_KeyUp(tecla.codigo, tecla.mayusculas);
}

namespace {

diseno::Natural NaturalDe(const ControlImagen &c)
{
    const QSize n = TamanoNatural(c);
    return diseno::NaturalDePixeles(n.width(), n.height());
}

diseno::Rect RectDe(const ControlImagen &c)
{
    return {c.Left, c.Top, c.Width, c.Height};
}

void PonerRect(ControlImagen &c, const diseno::Rect &r)
{
    c.Left = r.Left;
    c.Top = r.Top;
    c.Width = r.Width;
    c.Height = r.Height;
}

} // namespace

diseno::Ventana Form1::Escala() const
{
    return {width() * Twips, height() * Twips};
}

void Form1::PrepararSuperficie()
{
    const qreal escala = devicePixelRatioF();
    const QSize tamano = (QSizeF(size()) * escala).toSize();
    if (superficie_.size() != tamano || superficie_.devicePixelRatio() != escala) {
        superficie_ = QImage(tamano, QImage::Format_RGB32);
        superficie_.setDevicePixelRatio(escala);
        superficie_.fill(palette().color(QPalette::Window));
    }
}

void Form1::Pintar(ControlImagen &c, bool borrar)
{
    PrepararSuperficie();
    std::int32_t x = c.Left, y = c.Top, w = c.Width, h = c.Height;
    // A page held at the size it was laid out at needs all of itself when
    // it is shown larger (zoom, a new layout).
    const double pixeles = devicePixelRatioF() / Twips;
    if (!c.Natural.isEmpty()
        && (diseno::Entero(w * pixeles) > c.Picture.width() || diseno::Entero(h * pixeles) > c.Picture.height()))
        modPNG::Completar(c);
    // Twips to the screen's real pixels: a dense screen gets the page at its
    // own resolution.
    modImagen::CopiarEscalado(c.Picture, c.Tipo, superficie_, x, y, w, h, borrar,
                              palette().color(QPalette::Window), devicePixelRatioF() / Twips);
}

void Form1::DibujaForm()
{
    Pintar(Imagen, true);
    update();
}

void Form1::DibujaDosPaginas()
{
    if (Imagen.Picture.isNull() || Imagen2.Picture.isNull())
        return;
    Pintar(Imagen, true);
    Pintar(Imagen2, false);
    update();
}

void Form1::AplicaLayout(int modo)
{
    PonerRect(Imagen, diseno::SegunModo(modo, NaturalDe(Imagen), Escala()));
    DibujaForm();
}

void Form1::AplicaEfecto()
{
    AplicaLayout((ModoAjuste == 7 || ModoAjuste == 8) ? 1 : ModoAjuste);
}

void Form1::VerDosPaginas(std::int16_t pagina)
{
    const std::int16_t segunda = bAvanzando ? pagina + 1 : pagina - 1;
    // Past either end there is no second page: the right half stays empty.
    if (!CargarPaginaEn(segunda, Imagen2)) {
        VaciarPicture(Imagen2);
    }
    const diseno::Ventana v = Escala();
    PonerRect(Imagen, diseno::AjustaMitad(NaturalDe(Imagen), v, 0));
    PonerRect(Imagen2, diseno::AjustaMitad(NaturalDe(Imagen2), v, v.SW / 2));
    if (Imagen2.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
    PaginaActual = segunda;
    bAvanzandoAntes = bAvanzando;
}

void Form1::ActivaContinuo()
{
    const diseno::Rect actual = RectDe(Imagen);
    CopiarPicture(Imagen2, Imagen);
    Imagen.Tag = QString::number(PaginaActual);
    const int n = int(doc::Paginas.size()) - 1;
    const std::int16_t siguiente = PaginaActual >= n ? 1 : PaginaActual + 1;
    VerImagen(siguiente);
    Imagen2.Left = Imagen.Left;
    Imagen2.Width = Imagen.Width;
    Imagen2.Height = Imagen.Height;
    IntercambiarPicture(Imagen, Imagen2);
    PonerRect(Imagen, actual);
    Imagen2.Top = Imagen.Top + Imagen.Height + 300;
    DibujaDosPaginas();
}

void Form1::RehacerDiseno()
{
    // A new client area: the surface is remade and the page laid out again.
    superficie_ = QImage();
    PrepararSuperficie();
    if (Imagen.Picture.isNull())
        return;
    const diseno::Ventana v = Escala();
    if (ModoAjuste == 8) {
        PonerRect(Imagen, diseno::AjustaMitad(NaturalDe(Imagen), v, 0));
        PonerRect(Imagen2, diseno::AjustaMitad(NaturalDe(Imagen2), v, v.SW / 2));
    } else if (ModoAjuste == 7) {
        PonerRect(Imagen, diseno::AjustaPantalla(NaturalDe(Imagen), v, true));
        const diseno::Rect siguiente = diseno::AjustaPantalla(NaturalDe(Imagen2), v, true);
        Imagen2.Left = siguiente.Left;
        Imagen2.Width = siguiente.Width;
        Imagen2.Height = siguiente.Height;
        Imagen2.Top = Imagen.Top + Imagen.Height + 300;
    } else {
        AplicaLayout(ModoAjuste);
        return;
    }
    if (Imagen2.Picture.isNull())
        DibujaForm();
    else
        DibujaDosPaginas();
}

void Form1::AplicaZoom(int paso)
{
    PonerRect(Imagen, diseno::AplicaZoom(RectDe(Imagen), paso));
    if (ModoAjuste == 7 || ModoAjuste == 8) {
        PonerRect(Imagen2, diseno::AplicaZoom(RectDe(Imagen2), paso));
        if (ModoAjuste == 7)
            Imagen2.Top = Imagen.Top + Imagen.Height + 300;
        else
            Imagen2.Left = Imagen.Left + Imagen.Width;
        DibujaDosPaginas();
    } else {
        DibujaForm();
    }
}

int Form1::PorcentajeZoom() const
{
    return diseno::PorcentajeZoom(NaturalDe(Imagen), RectDe(Imagen));
}

void Form1::MueveParte(int direccion)
{
    const int m = ModoAjuste == 7 ? ModoAnterior : ModoAjuste;
    diseno::Rect r = RectDe(Imagen);
    if (!diseno::ParteAplicable(m, r, Escala()))
        return;
    diseno::PasaParte(r, Partes, Escala(), direccion);
    PonerRect(Imagen, r);
    DibujaForm();
}

void Form1::ReiniciaParte()
{
    diseno::Rect r = RectDe(Imagen);
    diseno::ReiniciaParte(r, Escala());
    PonerRect(Imagen, r);
    DibujaForm();
}

bool Form1::SigueRaton(std::int32_t x, std::int32_t y)
{
    diseno::Rect r = RectDe(Imagen);
    const diseno::PasoRaton paso = diseno::SigueRaton(r, Escala(), x, y);
    if (paso.Cambio) {
        PonerRect(Imagen, r);
        DibujaForm();
        repaint();
    }
    return !paso.Detener;
}

void Form1::ActualizaReferencia(bool mostrar)
{
    const diseno::Referencia ref = diseno::ActualizaReferencia(NaturalDe(Imagen), RectDe(Imagen), Escala());
    if (ref.RW <= 0 || ref.RH <= 0)
        return;
    const qreal escala = devicePixelRatioF();
    const QSize tamano(diseno::Entero(ref.RW / double(Twips)), diseno::Entero(ref.RH / double(Twips)));
    // The thumbnail is made once per picture and size; drags only move the frame.
    const QSize pixeles = (QSizeF(tamano) * escala).toSize();
    if (miniaturaDe_ != Imagen.Picture.cacheKey() || miniatura_.size() != pixeles) {
        miniatura_ = modImagen::PintarEscaladoForm(Imagen.Picture, pixeles);
        miniaturaDe_ = Imagen.Picture.cacheKey();
    }
    QImage miniatura = miniatura_;
    miniatura.setDevicePixelRatio(escala);
    {
        QPainter p(&miniatura);
        p.setPen(QPen(QColor(230, 40, 40), 2));
        p.setBrush(Qt::NoBrush);
        const QRectF marco(ref.Marco.Left / double(Twips), ref.Marco.Top / double(Twips),
                           ref.Marco.Width / double(Twips), ref.Marco.Height / double(Twips));
        p.drawRect(marco.adjusted(1, 1, -1, -1));
    }
    PBRef->setFixedSize(tamano);
    PBRef->setPixmap(QPixmap::fromImage(miniatura));
    if (mostrar) {
        PBRef->show();
        PBRef->raise();
    }
}

QString Form1::InfoPagina() const
{
    return diseno::InfoPagina(ModoAjuste, ModoAnterior, Partes.bPartesAbajo, NaturalDe(Imagen),
                              RectDe(Imagen), doc::Paginas.value(PaginaActual));
}

void Form1::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (superficie_.isNull())
        return;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), superficie_);
}

QString Form1::ArchivoSoltado(const QMimeData *datos) const
{
    if (!datos || !datos->hasUrls() || datos->urls().isEmpty())
        return {};
    const QUrl url = datos->urls().first();
    if (!url.isLocalFile())
        return {};
    const QString ruta = url.toLocalFile();
    return paginas::EsAbrible(ruta) ? ruta : QString();
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!ArchivoSoltado(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString ruta = ArchivoSoltado(event->mimeData());
    if (ruta.isEmpty())
        return;
    event->acceptProposedAction();
    OcultarMarcador();
    AbrirArchivo(ruta, true);
}

bool Form1::eventFilter(QObject *objeto, QEvent *event)
{
    if (objeto == TB && event->type() == QEvent::KeyPress)
        return TeclaEnCaja(static_cast<QKeyEvent *>(event));
    if (objeto == LBMarcador && event->type() == QEvent::MouseButtonRelease) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        if (raton->button() == Qt::LeftButton)
            IrAlMarcador();
        else if (raton->button() == Qt::RightButton)
            QuitarMarcador();
        return true;
    }
    if (objeto == LBPag && event->type() == QEvent::MouseButtonDblClick) {
        AbrirCajaPagina();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && objeto == ImCerrar) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        if (raton->button() == Qt::LeftButton)
            Salir();
        else if (raton->button() == Qt::RightButton)
            Form_KeyUp('Q', 0);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && objeto == ImAbrir) {
        const auto *raton = static_cast<QMouseEvent *>(event);
        Form_KeyUp(raton->button() == Qt::LeftButton ? teclas::VK_F1 + 1 : teclas::VK_F1 + 4, 0);
        return true;
    }
    return QWidget::eventFilter(objeto, event);
}
