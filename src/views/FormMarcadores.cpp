#include "views/FormMarcadores.h"

#include "shell/modGeneral.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

FormMarcadores::FormMarcadores(QWidget *dueno, const QList<RegistroMarcador> &marcadores)
    : VentanaHerramienta(dueno, QStringLiteral("FormMarcadores"), 330)
{
    Lista = new QListWidget(this);
    Lista->setObjectName(QStringLiteral("Lista"));
    for (int i = 1; i < marcadores.size(); ++i) {
        auto *item = new QListWidgetItem(TextoDe(marcadores[i].Ruta), Lista);
        item->setToolTip(marcadores[i].Ruta);
    }
    if (Lista->count() > 0)
        Lista->setCurrentRow(0);
    Lista->installEventFilter(this);
    connect(Lista, &QListWidget::itemDoubleClicked, this, &FormMarcadores::Elegir);
    Cuerpo()->addWidget(Lista);
    resize(420, 320);
}

QString FormMarcadores::TextoDe(const QString &ruta)
{
    const QString nombre = modGeneral::NombreDeRuta(ruta);
    return nombre.isEmpty() ? ruta : nombre;
}

void FormMarcadores::Elegir()
{
    if (Lista->currentRow() < 0)
        return;
    Elegido = Lista->currentRow();
    accept();
}

bool FormMarcadores::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == Lista && evento->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(evento)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            Elegir();
            return true; // the key is consumed
        }
    }
    return VentanaHerramienta::eventFilter(objeto, evento);
}

void FormMarcadores::showEvent(QShowEvent *evento)
{
    VentanaHerramienta::showEvent(evento);
    // The list takes the keys at once, window manager or not.
    activateWindow();
    Lista->setFocus();
}
