// The check: wrong entries are crossed out for half a second and then marked;
// otherwise the player hears that nothing is wrong so far, or that the
// puzzle is done.
#include "app/form1.h"
#include "model/puzzle.h"
#include "platform/msgbox.h"
#include "platform/picturebox.h"
#include "platform/sleep.h"
#include "render/cross.h"
#include "render/grid.h"
#include "render/resources.h"

namespace {

// Marks in wrong every cell whose entry is there and differs from the solution.
int16_t markWrongEntries(const CellArray& entries, CellArray& wrong) {
    int16_t count = 0;
    for (int16_t i = 1; i <= cellCount; ++i) {
        if (entries[i] != 0 && entries[i] != solution[i]) {
            wrong[i] = 1;
            ++count;
        }
    }
    return count;
}

}  // namespace

void Form1::MNU_CHK_ALL_Click() {
    CellArray wrong(size_t(cellCount) + 1, 0);
    const int16_t n = int16_t(markWrongEntries(penDigits, wrong) + markWrongEntries(pencilDigits, wrong));
    if (n < 1) {
        checkOutcome = IsPuzzleCompleted() ? " Congrats : puzzle completed successfully" : " No error found so far";
        MsgBox(checkOutcome, vbOKOnly);
        updateGrid();
        return;
    }
    for (int16_t i = 1; i <= cellCount; ++i)
        if (wrong[i] == 1)
            drawCross(gridInfo, colOf(i), rowOf(i), hpenMistake);
    pbGrid_->Refresh();
    Sleep(500);
    for (int16_t i = 1; i <= cellCount; ++i)
        if (wrong[i] == 1)
            errorMarks[i] = 1;
    pbGrid_->Refresh();
    checkOutcome = "Check: " + std::to_string(n) + (n == 1 ? " cell wrong" : " cells wrong");
    updateGrid();
}

// True when every cell holds its solution digit, in pen or in pencil; with no
// puzzle read there is nothing to complete.
bool Form1::IsPuzzleCompleted() {
    if (cellCount < 1)
        return false;
    for (int16_t i = 1; i <= cellCount; ++i) {
        const uint8_t digit = penDigits[i] != 0 ? penDigits[i] : pencilDigits[i];
        if (digit == 0 || digit != solution[i])
            return false;
    }
    MsgBox("Great work - There are no mistakes. Continue...", vbOKOnly);
    return true;
}
