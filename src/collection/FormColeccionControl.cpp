#include "collection/FormColeccionControl.h"

#include "collection/Coleccion.h"
#include "collection/Iconos.h"
#include "collection/Numeracion.h"
#include "documento/Documento.h"
#include "shell/modComDlg.h"
#include "shell/modGeneral.h"
#include "shell/modIdioma.h"

#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSaveFile>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using modIdioma::TextoIdioma;

namespace {

constexpr int MensajeCierre = 1060;
constexpr int MensajeEnviado = 1062;
constexpr int MensajeNoEnviado = 1063;
constexpr int MensajeFalta = 361;
const QColor ColorFalta(0xe8, 0x8a, 0x80);

} // namespace

FormColeccionControl::FormColeccionControl(QWidget *dueno, const QString &rutaControl,
                                           const Documento &documento)
    : VentanaHerramienta(dueno, QStringLiteral("FormColeccionControl"), 350), RutaControl(rutaControl),
      doc_(documento)
{
    // The tool window's style sheet reaches only the children it had when it
    // was set: ours goes on a body of our own.
    auto *hoja = new QWidget(this);
    hoja->setObjectName(QStringLiteral("Contenido"));
    hoja->setStyleSheet(iconos::EstiloComun() + QStringLiteral(
        "QToolButton { background: #2a2c31; border: 1px solid #3a3d44; border-radius: 4px; padding: 4px; }"
        "QToolButton:hover { background: #3a3d44; border-color: #5a6070; }"
        "QToolButton:disabled { background: #24262a; border-color: #2c2e33; }"
        "QLineEdit { background: #2a2c31; color: #f2f2f2; border: 1px solid #50545c; border-radius: 4px;"
        " padding: 4px 6px; selection-background-color: #3a5a8c; selection-color: #ffffff; }"
        "QLabel#Label10 { color: #c8cacf; }"
        "QLabel#Label11, QLabel#Label12 { color: #9a9ca3; }"
        "QLabel#LBLista { color: #c8cacf; font-weight: bold; padding-top: 6px; }"
        "QLabel#LBAviso { color: #9a9ca3; }"
        "QListWidget { background: #2a2c31; color: #f2f2f2; border: none; }"
        "QListWidget::item { padding: 1px 4px; }"));
    auto *cuerpo = new QVBoxLayout(hoja);
    cuerpo->setContentsMargins(0, 0, 0, 0);
    cuerpo->setSpacing(8);
    Cuerpo()->addWidget(hoja, 1);

    for (int i = 0; i < int(Label1.size()); ++i) {
        Label1[i] = new QLabel(hoja);
        Label1[i]->setObjectName(QStringLiteral("Label1%1").arg(i));
    }
    cuerpo->addWidget(Label1[0]);

    auto *fila = new QHBoxLayout;
    TBEle = new QLineEdit(hoja);
    TBEle->setObjectName(QStringLiteral("TBEle"));
    TBEle->setReadOnly(true); // only selected with the mouse
    LBExaminar = new QToolButton(hoja);
    LBExaminar->setObjectName(QStringLiteral("LBExaminar"));
    LBExaminar->setText(QStringLiteral("..."));
    connect(LBExaminar, &QToolButton::clicked, this, &FormColeccionControl::ElegirComic);
    fila->addWidget(TBEle, 1);
    fila->addWidget(LBExaminar);
    cuerpo->addLayout(fila);

    auto *botones = new QHBoxLayout;
    for (int i = 0; i < int(ImOpcion.size()); ++i) {
        ImOpcion[i] = new QToolButton(hoja);
        ImOpcion[i]->setObjectName(QStringLiteral("ImOpcion%1").arg(i));
        ImOpcion[i]->setIcon(iconos::Opcion(i));
        ImOpcion[i]->setIconSize(QSize(24, 24));
        connect(ImOpcion[i], &QToolButton::clicked, this, [this, i] { ElegirOpcion(i); });
        botones->addWidget(ImOpcion[i]);
    }
    botones->addStretch(1);
    ImBlock = new QToolButton(hoja);
    ImBlock->setObjectName(QStringLiteral("ImBlock"));
    ImBlock->setIcon(iconos::Bloc());
    ImBlock->setIconSize(QSize(24, 24));
    QSizePolicy sitio = ImBlock->sizePolicy();
    sitio.setRetainSizeWhenHidden(true);
    ImBlock->setSizePolicy(sitio);
    ImBlock->hide();
    connect(ImBlock, &QToolButton::clicked, this, &FormColeccionControl::EnviarBlocNotas);
    botones->addWidget(ImBlock);
    cuerpo->addLayout(botones);

    auto *extremos = new QGridLayout;
    extremos->setHorizontalSpacing(8);
    for (int i = 0; i < int(LBEle.size()); ++i) {
        LBEle[i] = new QLabel(hoja);
        LBEle[i]->setObjectName(QStringLiteral("LBEle%1").arg(i));
        LBEle[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        extremos->addWidget(Label1[i + 1], i, 0);
        extremos->addWidget(LBEle[i], i, 1);
    }
    extremos->setColumnStretch(1, 1);
    cuerpo->addLayout(extremos);

    LBLista = new QLabel(hoja);
    LBLista->setObjectName(QStringLiteral("LBLista"));
    cuerpo->addWidget(LBLista);
    Lista = new QListWidget(hoja);
    Lista->setObjectName(QStringLiteral("Lista"));
    // The name box keeps the focus, and with it the user's selection.
    Lista->setFocusPolicy(Qt::NoFocus);
    cuerpo->addWidget(Lista, 1);
    LBAviso = new QLabel(hoja);
    LBAviso->setObjectName(QStringLiteral("LBAviso"));
    LBAviso->setWordWrap(true);
    cuerpo->addWidget(LBAviso);

    PonerTextosControl();
    PrepararElemento(QString());
    modFormTrans::HacerTransparente(this, 0.94);
    resize(560, 600);
}

void FormColeccionControl::PonerTextosControl()
{
    Label1[0]->setText(TextoIdioma(351));
    LBExaminar->setToolTip(TextoIdioma(352));
    for (int i = 0; i < int(ImOpcion.size()); ++i)
        ImOpcion[i]->setToolTip(TextoIdioma(int(353 + i)));
    ImBlock->setToolTip(TextoIdioma(356));
    Label1[1]->setText(TextoIdioma(357));
    Label1[2]->setText(TextoIdioma(358));
    LBLista->setText(TextoIdioma(359));
    ImCerrar->setToolTip(TextoIdioma(400));
}

void FormColeccionControl::HabilitarOpciones(bool si)
{
    for (QToolButton *b : ImOpcion)
        b->setEnabled(si);
    ImBlock->setEnabled(si);
}

void FormColeccionControl::PrepararElemento(const QString &nombre)
{
    FileList = coleccion::ComicsDe(RutaControl);
    if (FileList.isEmpty() && !doc_.RutaActual.isEmpty() && !doc_.NombreActual.isEmpty()) {
        // The folder of the open document.
        const QString carpeta = doc_.RutaActual.left(doc_.RutaActual.size() - doc_.NombreActual.size());
        FileList = coleccion::ComicsDe(carpeta);
        if (!FileList.isEmpty())
            RutaControl = carpeta;
    }
    if (FileList.isEmpty()) {
        TBEle->setText(TextoIdioma(360));
        HabilitarOpciones(false);
        return;
    }
    TBEle->setText(nombre.isEmpty() ? FileList.constFirst() : nombre);
    if (const auto sel = numeracion::PalabraNumerica(TBEle->text()))
        TBEle->setSelection(sel->Inicio, sel->Largo);
    else
        TBEle->deselect();
    TBEle->setFocus();
    HabilitarOpciones(true);
}

void FormColeccionControl::ElegirComic()
{
    const QString elegido =
        modComDlg::DialogoAbrir(this, RutaControl, TextoIdioma(5), TextoIdioma(362));
    if (elegido.isEmpty())
        return;
    RutaControl = modGeneral::CarpetaDeRuta(elegido);
    PrepararElemento(modGeneral::NombreDeRuta(elegido));
}

void FormColeccionControl::ElegirOpcion(int opcion)
{
    if (FileList.isEmpty())
        return;
    LBLista->setText(TextoIdioma(int(353 + opcion)));
    GenerarLista(opcion);
    ImBlock->setVisible(Lista->count() > 0);
}

bool FormColeccionControl::GenerarLista(int opcion)
{
    if (!TBEle->hasSelectedText())
        return false;
    const numeracion::Seleccion sel{TBEle->selectionStart(), int(TBEle->selectedText().size())};
    // The files there now: nothing is kept between two lists.
    FileList = coleccion::ComicsDe(RutaControl);
    const auto lista = numeracion::GenerarLista(FileList, TBEle->text(), sel,
                                                numeracion::Opcion(opcion), TextoIdioma(MensajeFalta));
    if (!lista)
        return false;
    LBEle[0]->setText(lista->Primero);
    LBEle[0]->setToolTip(lista->Primero);
    LBEle[1]->setText(lista->Ultimo);
    LBEle[1]->setToolTip(lista->Ultimo);
    Lista->clear();
    Lista->addItems(lista->Lineas);
    // The missing numbers stand out from the comics there.
    for (int i = 0; i < Lista->count(); ++i)
        if (!FileList.contains(Lista->item(i)->text()))
            Lista->item(i)->setForeground(ColorFalta);
    LBLista->setText(LBLista->text() + QStringLiteral(" (%1) :").arg(Lista->count()));
    LBAviso->clear();
    return true;
}

QString FormColeccionControl::TextoBloc(QDate fecha) const
{
    numeracion::DatosBloc d;
    d.Titulo = LBTitulo->text();
    d.Carpeta = RutaControl;
    d.Fecha = fecha;
    d.TextoPrimero = Label1[1]->text();
    d.Primero = LBEle[0]->text();
    d.TextoUltimo = Label1[2]->text();
    d.Ultimo = LBEle[1]->text();
    d.TituloLista = LBLista->text();
    for (int i = 0; i < Lista->count(); ++i)
        d.Lineas << Lista->item(i)->text();
    d.Version = QStringLiteral(TAVELO_VERSION);
    d.Cierre = TextoIdioma(MensajeCierre);
    return numeracion::TextoBloc(d);
}

bool FormColeccionControl::EnviarBlocNotas()
{
    if (Lista->count() == 0)
        return false;
    const QString texto = TextoBloc(QDate::currentDate());
    QGuiApplication::clipboard()->setText(texto);
    ArchivoBloc = modGeneral::CarpetaTemporal()
                  + QStringLiteral("Tavelo %1.txt").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")));
    QSaveFile f(ArchivoBloc);
    const QByteArray bytes = texto.toUtf8();
    const bool escrito = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
    const bool abierto = escrito && QDesktopServices::openUrl(QUrl::fromLocalFile(ArchivoBloc));
    if (escrito && !abierto)
        QFile::remove(ArchivoBloc); // nobody will read it
    LBAviso->setText(TextoIdioma(abierto ? MensajeEnviado : MensajeNoEnviado));
    return abierto;
}
