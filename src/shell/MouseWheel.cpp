#include "shell/MouseWheel.h"

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
    if (evento->type() != QEvent::Wheel || objeto != parent())
        return QObject::eventFilter(objeto, evento);
    const auto *rueda = static_cast<QWheelEvent *>(evento);
    // With Shift, Ctrl or a button held the wheel means something else.
    if ((rueda->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) || rueda->buttons() != Qt::NoButton) {
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
