#include "views/FormListaPag.h"

#include "documento/Documento.h"
#include "shell/modGeneral.h"
#include "viewer/Comandos.h"
#include "viewer/EstadoVista.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int MensajeTitulo = 325; // "Pages"
// Half see-through, no text can stand out from every page behind it.
constexpr double Opacidad = 0.85;
constexpr int AnchoMinimo = 220;   // pixels
} // namespace

FormListaPag::FormListaPag(Comandos &comandos)
    : VentanaHerramienta(comandos.Dueno(), QStringLiteral("FormListaPag"), MensajeTitulo), comandos_(comandos)
{
    Lista = new QListWidget(this);
    Lista->setObjectName(QStringLiteral("Lista"));
    // Every line padded alike: a rule with no background of its own leaves the
    // lines that are not selected unpadded.
    Lista->setStyleSheet(QStringLiteral("QListWidget::item { padding: 3px 8px; background: transparent; }"
                                        "QListWidget::item:selected { background: #3a5a8c; }"));
    Lista->installEventFilter(this);
    Cuerpo()->setContentsMargins(0, 0, 0, 0);
    Cuerpo()->addWidget(Lista);
    // Arrow keys walk the pages as clicks do.
    connect(Lista, &QListWidget::currentRowChanged, this, &FormListaPag::Lista_Click);
    connect(Lista, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    modFormTrans::HacerTransparente(this, Opacidad);
}

void FormListaPag::Cargar()
{
    const Documento &doc = comandos_.Doc();
    Lista->clear();
    for (int k = 1; k <= doc.NumeroPaginas(); ++k)
        Lista->addItem(modGeneral::NombreDeRuta(doc.Paginas[k]));

    // Down the left edge, as tall as the main window; wide enough for the
    // names up to a third of the screen.
    const QWidget *dueno = parentWidget();
    const QScreen *s = dueno ? dueno->screen() : QGuiApplication::primaryScreen();
    const QRect pantalla = s ? s->geometry() : QRect(0, 0, 800, 600);
    const QRect principal = dueno ? dueno->geometry() : pantalla;
    const int ancho = std::clamp(Lista->sizeHintForColumn(0) + 40, AnchoMinimo, std::max(AnchoMinimo, pantalla.width() / 3));
    setGeometry(principal.left(), principal.top(), ancho, principal.height());

    // Selecting the line is handled as a click: the page is shown again.
    Lista->setCurrentRow(IndiceLista);
}

void FormListaPag::Lista_Click(int fila)
{
    if (fila < 0)
        return;
    comandos_.Vista().IrAPagina(fila + 1);
}

bool FormListaPag::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == Lista && evento->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(evento)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return VentanaHerramienta::eventFilter(objeto, evento);
}

void FormListaPag::showEvent(QShowEvent *evento)
{
    VentanaHerramienta::showEvent(evento);
    activateWindow();
    Lista->setFocus();
    if (QListWidgetItem *item = Lista->currentItem())
        Lista->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}
