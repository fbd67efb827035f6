#include "shell/VentanaHerramienta.h"

#include "shell/modIdioma.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace modFormTrans {

void HacerTransparente(QWidget *ventana, double opacidad)
{
    ventana->setWindowOpacity(opacidad);
}

} // namespace modFormTrans

namespace {

// Waits, child of the window that asked, for the end of the press.
class EsperaSoltar : public QObject {
public:
    EsperaSoltar(QObject *contexto, std::function<void()> accion) : QObject(contexto), accion_(std::move(accion))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *evento) override
    {
        const auto tipo = evento->type();
        // A move with no button held also says the release went elsewhere.
        if (accion_
            && (tipo == QEvent::MouseButtonRelease
                || (tipo == QEvent::MouseMove && QGuiApplication::mouseButtons() == Qt::NoButton))) {
            qApp->removeEventFilter(this);
            deleteLater();
            // The release still reaches its widget: a hidden window takes it.
            const auto accion = std::exchange(accion_, nullptr);
            accion();
        }
        return false;
    }

private:
    std::function<void()> accion_;
};

} // namespace

void TrasSoltarBoton(QObject *contexto, std::function<void()> accion)
{
    if (QGuiApplication::mouseButtons() == Qt::NoButton || !contexto) {
        accion();
        return;
    }
    new EsperaSoltar(contexto, std::move(accion));
}

VentanaHerramienta::VentanaHerramienta(QWidget *dueno, const QString &nombre, int mensajeTitulo)
    : QDialog(dueno, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(nombre);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral(
        "VentanaHerramienta, QDialog { background: #202226; color: #f2f2f2; border: 1px solid #50545c; }"
        // Children take no colour from the rule above: without their own,
        // texts would be black on the dark body.
        "QLabel, QRadioButton, QCheckBox, QToolButton { color: #f2f2f2; }"
        // A light ring, a light dot when chosen: the platform's would draw
        // the dot in the text's colour on a white disc.
        "QRadioButton::indicator { width: 10px; height: 10px; border-radius: 7px; border: 2px solid #c8cacf;"
        " background: #2a2c31; }"
        "QRadioButton::indicator:checked { background: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5,"
        " fx: 0.5, fy: 0.5, stop: 0 #9cc4ff, stop: 0.55 #9cc4ff, stop: 0.65 #2a2c31, stop: 1 #2a2c31); }"
        "QLabel#LBTitulo { background: #30333a; color: #f2f2f2; font-weight: bold; padding: 6px 10px; }"
        "QToolButton#ImCerrar { background: #30333a; color: #f2f2f2; border: none; padding: 4px 10px; }"
        "QToolButton#ImCerrar:hover { background: #b03030; }"
        "QListWidget { background: #2a2c31; color: #f2f2f2; border: none; }"
        "QListWidget::item:selected { background: #3a5a8c; }"));
    auto *todo = new QVBoxLayout(this);
    todo->setContentsMargins(0, 0, 0, 0);
    todo->setSpacing(0);
    auto *barra = new QHBoxLayout;
    barra->setSpacing(0);
    LBTitulo = new QLabel(modIdioma::TextoIdioma(mensajeTitulo), this);
    LBTitulo->setObjectName(QStringLiteral("LBTitulo"));
    LBTitulo->setCursor(Qt::SizeAllCursor);
    LBTitulo->installEventFilter(this);
    ImCerrar = new QToolButton(this);
    ImCerrar->setObjectName(QStringLiteral("ImCerrar"));
    ImCerrar->setText(QStringLiteral("✕"));
    ImCerrar->setToolTip(modIdioma::TextoIdioma(400));
    connect(ImCerrar, &QToolButton::clicked, this, &QDialog::reject);
    barra->addWidget(LBTitulo, 1);
    barra->addWidget(ImCerrar);
    todo->addLayout(barra);
    cuerpo_ = new QVBoxLayout;
    cuerpo_->setContentsMargins(8, 8, 8, 8);
    todo->addLayout(cuerpo_, 1);
    modFormTrans::HacerTransparente(this, 0.9);
}

void VentanaHerramienta::done(int resultado)
{
    TrasSoltarBoton(this, [this, resultado] { QDialog::done(resultado); });
}

bool VentanaHerramienta::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto == LBTitulo) {
        switch (evento->type()) {
        case QEvent::MouseButtonPress: {
            const auto *raton = static_cast<QMouseEvent *>(evento);
            if (raton->button() == Qt::LeftButton) {
                arrastrando_ = true;
                agarre_ = raton->globalPosition().toPoint() - frameGeometry().topLeft();
            }
            return true;
        }
        case QEvent::MouseMove:
            if (arrastrando_)
                move(static_cast<QMouseEvent *>(evento)->globalPosition().toPoint() - agarre_);
            return true;
        case QEvent::MouseButtonRelease:
            arrastrando_ = false;
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}
