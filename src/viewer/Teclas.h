#pragma once
// Commands speak in virtual-key codes with a shift mask (1 Shift, 2 Ctrl,
// 4 Alt); this is the one place Qt key events become them.
class QKeyEvent;

namespace teclas {

enum : int {
    VK_BACK = 0x08, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70,
};

enum : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

struct Tecla {
    int codigo = 0;     // 0: no command key
    int mayusculas = 0; // shift mask
};

Tecla CodigoVirtual(const QKeyEvent &evento);

} // namespace teclas
