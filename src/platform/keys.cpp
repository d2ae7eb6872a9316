#include "platform/keys.h"

#include <Qt>
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

// The keys the board acts on get their virtual-key codes; any other key, 0.
int16_t virtualKeyCode(int key, int qtModifiers) {
    const bool keypad = qtModifiers & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return int16_t((keypad ? vbKeyNumpad0 : vbKey0) + (key - Qt::Key_0));
    if (const int digit = digitUnderSymbol(key); digit > 0)
        return int16_t(vbKey0 + digit);
    switch (key) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Shift: return vbKeyShift;
    case Qt::Key_Control: return vbKeyControl;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return vbKeyMenu;
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
