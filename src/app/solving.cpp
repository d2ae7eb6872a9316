// The board's own input: a click selects a cell, a key writes or erases its
// digit; and the choice between pen and pencil.
#include "app/form1.h"
#include "model/puzzle.h"
#include "platform/keys.h"
#include "platform/toolbar.h"
#include "platform/vb.h"
#include "render/grid.h"

#include <QAction>

namespace {

bool isValidCell(int16_t col, int16_t row) { return col >= 1 && col <= gridSize && row >= 1 && row <= gridSize; }

}  // namespace

// Any button selects the cell under the pointer; a click in the margin clears the selection.
void Form1::pbGrid_MouseDown(int16_t, int16_t, float X, float Y) {
    tensCell = 0;
    const int16_t col = int16_t(int32_t(roundHalfEven(X)) / gridInfo.cellSize);
    const int16_t row = int16_t(int32_t(roundHalfEven(Y)) / gridInfo.cellSize);
    if (col >= 1 && col <= gridSize && row >= 1 && row <= gridSize) {
        if (col == selCol && row == selRow)
            return;
        selCol = col;
        selRow = row;
    } else {
        selCol = 0;
        selRow = 0;
    }
    updateGrid();
}

// A digit key writes its digit; on a grid of side 10 or more, a digit key
// right after the key that wrote a 1 in the cell makes the two one number
// (1 then 2 writes 12) when that number fits the grid. A key held down and
// repeating never does: holding 1 keeps writing 1. Shift, Ctrl or Alt on its
// own comes before the key it goes with and leaves the pair as it is.
// 0 alone writes nothing.
void Form1::pbGrid_KeyDown(int16_t KeyCode, int16_t) {
    if (KeyCode == vbKeyShift || KeyCode == vbKeyControl || KeyCode == vbKeyMenu)
        return;
    const int16_t afterOne = keyRepeats_ ? 0 : tensCell;
    tensCell = 0;
    if (KeyCode == vbKeyEscape)
        setWindowState(windowState() | Qt::WindowMinimized);
    if (!isValidCell(selCol, selRow))
        return;
    const int16_t i = cellAt(selCol, selRow);
    if (i > cellCount)  // no puzzle has been read
        return;

    int digit = -1;  // not a digit key
    if (KeyCode >= vbKey0 && KeyCode <= vbKey9)
        digit = KeyCode - vbKey0;
    else if (KeyCode >= vbKeyNumpad0 && KeyCode <= vbKeyNumpad9)
        digit = KeyCode - vbKeyNumpad0;
    if (digit >= 0 && afterOne == i && 10 + digit <= gridSize)
        digit += 10;

    if (digit > 0) {
        if (pencilMode) {
            pencilDigits[i] = uint8_t(digit);
            penDigits[i] = 0;
        } else if (penMode) {
            penDigits[i] = uint8_t(digit);
            pencilDigits[i] = 0;
        } else {
            return;
        }
        if (digit == 1 && gridSize >= 10)
            tensCell = i;
        updateGrid();
    } else if (KeyCode == vbKeyDelete || KeyCode == vbKeyBack || KeyCode == vbKeySpace) {
        pencilDigits[i] = 0;
        penDigits[i] = 0;
        updateGrid();
    }
}

// Keeps the mode, the menu's check marks and the toolbar's buttons in step.
void Form1::MNU_PEN_Click(int16_t Index) {
    tensCell = 0;
    MNU_PEN(Index)->setChecked(true);
    if (Index != 1) {
        MNU_PEN(1)->setChecked(false);
        pencilMode = true;
        tb_->setValue(7, 0);
        tb_->setValue(6, 1);
    } else {
        MNU_PEN(2)->setChecked(false);
        pencilMode = false;
        tb_->setValue(7, 1);
        tb_->setValue(6, 0);
    }
}
