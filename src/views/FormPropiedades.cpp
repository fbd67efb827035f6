#include "views/FormPropiedades.h"

#include "collection/Coleccion.h"
#include "collection/Iconos.h"
#include "documento/Documento.h"
#include "imaging/modImagen.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"
#include "shell/modPropiedades.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"
#include "views/Rotulos.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using modIdioma::TextoIdioma;
using namespace propiedades;

namespace {

constexpr int Twips = modGeneral::TwipsPorPixel;
constexpr int MensajeTitulo = 107;   // "Properties"
constexpr int MensajeBoton = 102;    // "Open file properties"
constexpr double Opacidad = 0.9;
constexpr int LadoIcono = 48;        // pixels
const QSize CajaPrevia(200, 260);    // pixels
constexpr int AnchoTextos = 420;     // a longer folder wraps

// The extension of a file name, lower case; "" when it has none.
QString ExtensionDe(const QString &nombre)
{
    const auto punto = nombre.lastIndexOf(u'.');
    return punto > 0 ? nombre.mid(punto + 1).toLower() : QString();
}

QString LineaFecha(int mensaje, const QDateTime &fecha)
{
    return QStringLiteral("· ") + TextoIdioma(int(mensaje)) + QStringLiteral(": ") + TextoFecha(fecha);
}

} // namespace

namespace propiedades {

QString ArchivoDescrito(const Documento &doc, int pagina)
{
    if (doc.EsComprimido || !doc.EsPagina(pagina))
        return doc.RutaActual;
    QString carpeta = doc.RutaActual;
    if (!carpeta.endsWith(modGeneral::Separador))
        carpeta += modGeneral::Separador;
    return carpeta + doc.Paginas[pagina];
}

QString NombreSinExtension(const QString &nombre)
{
    const auto punto = nombre.lastIndexOf(u'.');
    return punto > 0 ? nombre.left(punto) : nombre;
}

QString TextoFecha(const QDateTime &fecha)
{
    if (!fecha.isValid())
        return {};
    return QLocale().toString(fecha.toLocalTime(), QStringLiteral("ddMMMyy - HH.mm"));
}

int EstadoLectura(const QString &nombre, const QList<coleccion::ItemComic> &estados)
{
    // The browser's own rule for which record a comic takes.
    QList<coleccion::ItemComic> uno{{nombre, QStringLiteral("0"), QString()}};
    coleccion::AplicarEstados(uno, estados);
    return coleccion::ValorEstado(uno.constFirst().Estado);
}

Ficha Rellenar(const Documento &doc, int pagina, QSize dimensiones, const QList<coleccion::ItemComic> &estados)
{
    Ficha f;
    f.Ruta = ArchivoDescrito(doc, pagina);
    const bool comic = doc.EsComprimido;
    const QString nombre = modGeneral::NombreDeRuta(f.Ruta);
    // Everything about the file comes from its real path.
    const QFileInfo archivo(f.Ruta);
    f.Texto[Tipo] = ExtensionDe(nombre);
    f.Texto[Tamano] = archivo.exists() ? modGeneral::TextoTamano(archivo.size()) : QString();
    if (!dimensiones.isEmpty())
        f.Texto[Dimensiones] = QStringLiteral("%1 x %2 pixels").arg(dimensiones.width()).arg(dimensiones.height());
    f.Texto[Nombre] = NombreSinExtension(nombre);
    f.Texto[Carpeta] = modGeneral::CarpetaDeRuta(doc.RutaActual);

    int posicion = 0;
    for (int i = 0; i < doc.FileList.size(); ++i)
        if (doc.FileList[i].compare(nombre, Qt::CaseInsensitive) == 0) {
            posicion = i + 1;
            break;
        }
    f.Texto[Posicion] = TextoIdioma(comic ? 94 : 95) + QString::number(posicion) + TextoIdioma(90)
                        + QString::number(doc.FileList.size());
    f.Texto[Paginas] = QString::number(doc.NumeroPaginas()) + TextoIdioma(comic ? 96 : 97);

    const QString marcador = doc.MarcadorDe(doc.RutaActual);
    f.Texto[Marcador] = marcador.isEmpty() ? TextoIdioma(98)
                                           : TextoIdioma(99) + TextoIdioma(comic ? 100 : 101) + marcador;

    f.Texto[Creado] = LineaFecha(104, archivo.birthTime());
    f.Texto[Modificado] = LineaFecha(105, archivo.lastModified());
    f.Texto[Accedido] = LineaFecha(106, archivo.lastRead());

    const archivo::InfoComic &info = doc.Info();
    if (comic && info.Leida) {
        f.Texto[Serie] = archivo::Encabezado(info);
        if (info.Ano > 0)
            f.Texto[Ano] = TextoIdioma(1280) + QStringLiteral(": ") + QString::number(info.Ano);
        QStringList creditos;
        if (!info.Guionista.isEmpty())
            creditos << TextoIdioma(1281) + QStringLiteral(": ") + info.Guionista;
        if (!info.Dibujante.isEmpty())
            creditos << TextoIdioma(1282) + QStringLiteral(": ") + info.Dibujante;
        f.Texto[Creditos] = creditos.join(QStringLiteral(" \u00b7 "));
    }

    f.EstadoLectura = EstadoLectura(nombre, estados);
    f.Texto[Estado] = TextoIdioma(f.EstadoLectura == 1 ? 69 : f.EstadoLectura == 2 ? 70 : 103);
    return f;
}

} // namespace propiedades

FormPropiedades::FormPropiedades(Comandos &comandos)
    : VentanaModal(comandos.Dueno(), QStringLiteral("FormPropiedades"), MensajeTitulo), comandos_(comandos)
{
    // Its own style on a body of its own: the window's sheet is set once, by the base.
    auto *contenido = new QWidget(this);
    contenido->setObjectName(QStringLiteral("Contenido"));
    contenido->setStyleSheet(QStringLiteral(
        "QLabel { color: #e4e6ea; }"
        "QLabel#Nombre { font-weight: bold; font-size: 15px; color: #ffffff; }"
        "QWidget#Frame1 { background: #2a2c31; border: 1px solid #50545c; }"
        "QToolButton#ImPropiedades { background: #3c5f94; color: #ffffff;"
        "  border: none; border-radius: 4px; padding: 5px 10px; }"
        "QToolButton#ImPropiedades:hover { background: #4a74b4; }"));
    auto *todo = new QHBoxLayout(contenido);
    todo->setContentsMargins(0, 0, 0, 0);
    todo->setSpacing(16);
    Cuerpo()->setContentsMargins(14, 12, 14, 12);
    Cuerpo()->addWidget(contenido);

    Frame1 = new QWidget(contenido);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAttribute(Qt::WA_StyledBackground);
    Frame1->setFixedSize(CajaPrevia + QSize(12, 12));
    PB = new QLabel(Frame1);
    PB->setObjectName(QStringLiteral("PB"));
    todo->addWidget(Frame1, 0, Qt::AlignTop);

    auto *textos = new QVBoxLayout;
    textos->setSpacing(3);
    todo->addLayout(textos, 1);
    auto *cabecera = new QHBoxLayout;
    cabecera->setSpacing(10);
    PBIcono = new QLabel(contenido);
    PBIcono->setObjectName(QStringLiteral("PBIcono"));
    PBIcono->setFixedSize(LadoIcono, LadoIcono);
    cabecera->addWidget(PBIcono, 0, Qt::AlignTop);
    for (int i = 0; i < NumeroLineas; ++i) {
        LBTit[i] = new QLabel(contenido);
        LBTit[i]->setObjectName(i == Nombre ? QStringLiteral("Nombre") : QStringLiteral("LBTit"));
        LBTit[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto *nombre = new QVBoxLayout;
    nombre->setSpacing(2);
    nombre->addWidget(LBTit[Nombre]);
    nombre->addWidget(LBTit[Tipo]);
    cabecera->addLayout(nombre, 1);
    textos->addLayout(cabecera);
    textos->addSpacing(6);
    for (int i : {Serie, Ano, Creditos, Tamano, Dimensiones, Carpeta, Posicion, Paginas, Marcador})
        textos->addWidget(LBTit[i]);
    textos->addSpacing(6);
    for (int i : {Creado, Modificado, Accedido})
        textos->addWidget(LBTit[i]);
    textos->addSpacing(6);
    auto *estado = new QHBoxLayout;
    estado->setSpacing(6);
    Im = new QLabel(contenido);
    Im->setObjectName(QStringLiteral("Im"));
    estado->addWidget(Im);
    estado->addWidget(LBTit[Estado], 1);
    textos->addLayout(estado);
    textos->addStretch(1);

    ImPropiedades = new QToolButton(contenido);
    ImPropiedades->setObjectName(QStringLiteral("ImPropiedades"));
    ImPropiedades->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ImPropiedades->setIcon(QIcon::fromTheme(QStringLiteral("document-properties"),
                                            style()->standardIcon(QStyle::SP_FileDialogInfoView)));
    ImPropiedades->setText(TextoIdioma(MensajeBoton));
    ImPropiedades->setToolTip(TextoIdioma(MensajeBoton));
    ImPropiedades->setCursor(Qt::PointingHandCursor);
    ImPropiedades->setFocusPolicy(Qt::NoFocus); // every key closes the card
    connect(ImPropiedades, &QToolButton::clicked, this,
            [this] { modPropiedades::MostrarPropiedades(Ficha.Ruta); });
    textos->addWidget(ImPropiedades, 0, Qt::AlignLeft);

    modFormTrans::HacerTransparente(this, Opacidad);
}

void FormPropiedades::PonerPagina(int pagina)
{
    QList<coleccion::ItemComic> estados;
    coleccion::LeerArchivoEstados(coleccion::RutaEstados(), estados); // a missing file: none read
    Ficha = propiedades::Rellenar(comandos_.Doc(), pagina, TamanoNatural(comandos_.Vista().Imagen()), estados);
    ensurePolished();
    for (int i = 0; i < NumeroLineas; ++i) {
        LBTit[i]->setText(Ficha.Texto[i]);
        rotulos::LimitarAncho(LBTit[i], AnchoTextos); // a long name or folder wraps
    }
    for (int i : {Dimensiones, Serie, Ano, Creditos})
        LBTit[i]->setVisible(!Ficha.Texto[i].isEmpty());
    const qreal escala = devicePixelRatioF();
    Im->setPixmap(iconos::Marcador(Ficha.EstadoLectura, escala));
    const QIcon icono = QFileIconProvider().icon(QFileInfo(Ficha.Ruta));
    PBIcono->setPixmap(icono.pixmap(QSize(LadoIcono, LadoIcono), escala));
    PonerPrevia(pagina);
    adjustSize();
    if (const QScreen *s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }
}

void FormPropiedades::PonerPrevia(int pagina)
{
    const qreal escala = devicePixelRatioF();
    // Decoded again at the preview's size on the pool.
    PedidoPagina p;
    p.Pagina = pagina;
    p.Modo = diseno::Modo::Pantalla;
    p.Ventana = {CajaPrevia.width() * Twips, CajaPrevia.height() * Twips};
    p.PixelesPorTwip = escala / Twips;
    const auto preparada = comandos_.Doc().Preparador().Buscar(p);
    if (preparada && preparada->Lista()) {
        PintarPrevia(preparada->Imagen);
        return;
    }
    // Until it is made (or when it cannot be), the main window's picture.
    PintarPrevia(comandos_.Vista().Imagen());
    if (!preparada)
        comandos_.Vista().PedirAparte(p, this, [this](const std::shared_ptr<const PaginaPreparada> &e) {
            if (e && e->Lista())
                PintarPrevia(e->Imagen);
        });
}

void FormPropiedades::PintarPrevia(const ControlImagen &c)
{
    const qreal escala = devicePixelRatioF();
    const QImage picture = c.Picture;
    const QSize natural = TamanoNatural(c);
    if (picture.isNull() || natural.isEmpty()) {
        PB->clear();
        return;
    }
    const QSize caja = natural.scaled(CajaPrevia, Qt::KeepAspectRatio);
    QPixmap previa = QPixmap::fromImage(modImagen::PintarEscaladoForm(picture, (QSizeF(caja) * escala).toSize()));
    previa.setDevicePixelRatio(escala);
    PB->setPixmap(previa);
    PB->setGeometry((Frame1->width() - caja.width()) / 2, (Frame1->height() - caja.height()) / 2, caja.width(),
                    caja.height());
}

void FormPropiedades::TeclaSoltada(QKeyEvent &)
{
    reject();
}
