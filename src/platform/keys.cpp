#include "platform/keys.h"

#include <QKeyEvent>
#include <cstring>

namespace {

// With Shift held, the main row's digit keys report the symbol above the
// digit; the key is still the digit key.
int digitUnderSymbol(int key) {
    static const char symbols[] = "!@#$%^&*(";
    if (key <= 0 || key > 0x7f)
        return -1;
    const char* at = std::strchr(symbols, key);
    return at ? int(at - symbols) + 1 : -1;
}

}  // namespace

int16_t virtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return int16_t((keypad ? vbKeyNumpad0 : vbKey0) + (key - Qt::Key_0));
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return int16_t(65 + (key - Qt::Key_A));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return int16_t(112 + (key - Qt::Key_F1));
    if (const int digit = digitUnderSymbol(key); digit > 0)
        return int16_t(vbKey0 + digit);
    switch (key) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vbKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Asterisk: return keypad ? 106 : 0;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: return 0;
    }
}

int16_t shiftState(int qtModifiers) {
    int16_t state = 0;
    if (qtModifiers & Qt::ShiftModifier)
        state |= 1;
    if (qtModifiers & Qt::ControlModifier)
        state |= 2;
    if (qtModifiers & Qt::AltModifier)
        state |= 4;
    return state;
}
