#pragma once
// Gives a window a wheel event: one WheelMove per notch, raised after the
// window's own handling of the wheel and without taking the event from it.
#include <QObject>

class QWidget;

class MouseWheel : public QObject {
    Q_OBJECT
public:
    // Watches `padre` and is owned by it.
    explicit MouseWheel(QWidget *padre);

    // Adds a wheel step; returns the notches it completes (negative: towards
    // the user). High-resolution wheels and touchpads send small steps.
    int Acumular(int delta);

signals:
    void WheelMove(bool abajo);

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    int acumulado_ = 0;
    // Buttons whose press this window had and whose release it has not: the
    // application's own record keeps a button held when its release went to
    // a window that had closed.
    Qt::MouseButtons pulsados_;
};
