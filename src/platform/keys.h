// Virtual-key codes: the numbers a key press carries to the board.
#pragma once

#include <cstdint>

constexpr int16_t vbKeyBack = 8;
constexpr int16_t vbKeyShift = 16;
constexpr int16_t vbKeyControl = 17;
constexpr int16_t vbKeyMenu = 18;  // Alt
constexpr int16_t vbKeyEscape = 27;
constexpr int16_t vbKeySpace = 32;
constexpr int16_t vbKeyDelete = 46;
constexpr int16_t vbKey0 = 48;
constexpr int16_t vbKey1 = 49;
constexpr int16_t vbKey9 = 57;
constexpr int16_t vbKeyNumpad0 = 96;
constexpr int16_t vbKeyNumpad1 = 97;
constexpr int16_t vbKeyNumpad9 = 105;

// The virtual-key code of a key press (Qt's key and modifiers); 0 for a key
// the board does nothing with. Shift, Ctrl and Alt pressed on their own have
// codes of their own too.
int16_t virtualKeyCode(int qtKey, int qtModifiers);

// The shift state of a key press or mouse event: 1 Shift, 2 Ctrl, 4 Alt, added together.
int16_t shiftState(int qtModifiers);
