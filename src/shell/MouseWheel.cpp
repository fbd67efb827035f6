#include "shell/MouseWheel.h"

#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

namespace {
constexpr int Muesca = 120; // one notch of a classic wheel
}

MouseWheel::MouseWheel(QWidget *padre) : QObject(padre)
{
    setObjectName(QStringLiteral("MouseWheel1"));
    padre->installEventFilter(this);
}

int MouseWheel::Acumular(int delta)
{
    acumulado_ += delta;
    const int muescas = acumulado_ / Muesca; // truncates towards zero
    acumulado_ -= muescas * Muesca;
    return muescas;
}

bool MouseWheel::eventFilter(QObject *objeto, QEvent *evento)
{
    if (objeto != parent())
        return QObject::eventFilter(objeto, evento);
    switch (evento->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        pulsados_ |= static_cast<QMouseEvent *>(evento)->button();
        return false;
    case QEvent::MouseButtonRelease:
        pulsados_ &= ~static_cast<QMouseEvent *>(evento)->button();
        return false;
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
    case QEvent::WindowDeactivate:
        // Another window takes the mouse: a release may never come here.
        pulsados_ = Qt::NoButton;
        return false;
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    const auto *rueda = static_cast<QWheelEvent *>(evento);
    // With Shift, Ctrl or a button held the wheel means something else.
    if ((rueda->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) || (rueda->buttons() & pulsados_)) {
        acumulado_ = 0;
        return false;
    }
    const int muescas = Acumular(rueda->angleDelta().y());
    if (muescas != 0) {
        // After the window has handled the event itself.
        QPointer<MouseWheel> yo(this);
        QTimer::singleShot(0, this, [yo, muescas] {
            for (int i = 0; yo && i < std::abs(muescas); ++i)
                emit yo->WheelMove(muescas < 0);
        });
    }
    return false;
}
