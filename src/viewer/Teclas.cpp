#include "viewer/Teclas.h"

#include <QKeyEvent>

namespace teclas {

namespace {

int CodigoDeTecla(int k, bool teclado)
{
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return teclado ? VK_NUMPAD0 + (k - Qt::Key_0) : '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return VK_F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
    }
}

} // namespace

Tecla CodigoVirtual(const QKeyEvent &evento)
{
    const auto mods = evento.modifiers();
    Tecla t;
    t.codigo = CodigoDeTecla(evento.key(), mods.testFlag(Qt::KeypadModifier));
    // The digit row is the digit whatever Shift or the layout make of it
    // (Shift+9 and Shift+0 are commands; French digits need Shift).
    const quint32 nativa = evento.nativeVirtualKey();
    const quint32 fisica = evento.nativeScanCode();
    if (!mods.testFlag(Qt::KeypadModifier)) {
#ifdef Q_OS_WIN
        Q_UNUSED(fisica);
        if (nativa >= '0' && nativa <= '9')
            t.codigo = int(nativa);
#else
        Q_UNUSED(nativa);
        if (fisica >= 10 && fisica <= 19) // X11/evdev key codes of the digit row 1..9, 0
            t.codigo = fisica == 19 ? '0' : int('1' + (fisica - 10));
#endif
    }
    if (mods.testFlag(Qt::ShiftModifier)) t.mayusculas |= ShiftMask;
    if (mods.testFlag(Qt::ControlModifier)) t.mayusculas |= CtrlMask;
    if (mods.testFlag(Qt::AltModifier)) t.mayusculas |= AltMask;
    return t;
}

} // namespace teclas
