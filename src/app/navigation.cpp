// Choosing the puzzle: previous, next, restart, a typed number, another book.
#include "app/form1.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/app_info.h"
#include "platform/msgbox.h"
#include "platform/picturebox.h"
#include "platform/vb.h"
#include "render/grid.h"

#include <QFileDialog>
#include <QLineEdit>

// (Re)starts the current puzzle: reads it again and clears the player's work.
void Form1::startGame() {
    loadPuzzle(bookPath, puzzleNumber);
    resetPlayer();
    layOutForGridSize();
    updateGrid();
    showPuzzleNumber();
}

// The box is written only when its text changes, so that a screen reader hears of it once.
void Form1::showPuzzleNumber() {
    if (txtGN_->text() != QString::number(puzzleNumber))
        txtGN_->setText(QString::number(puzzleNumber));
}

void Form1::MNU_PREV_Click() {
    if (puzzleNumber >= 2) {
        --puzzleNumber;
        startGame();
    }
}

void Form1::MNU_NEXT_Click() {
    if (puzzleNumber <= puzzleCount - 1) {
        ++puzzleNumber;
        startGame();
    }
}

void Form1::MNU_RST_Click() { startGame(); }

// Enter in the puzzle-number box goes to the number typed, once the player
// confirms; a number outside the book puts the current one back.
void Form1::txtGN_KeyPress(int16_t KeyAscii) {
    if (KeyAscii != 13)
        return;
    const double typed = Val(txtGN_->text().trimmed().toStdString());
    if (typed > puzzleCount || typed < 1) {
        showPuzzleNumber();
        return;
    }
    if (MsgBox("Are you sure to change the puzzle?", vbYesNo + vbDefaultButton1, App::Title() + " - Alert") == vbNo)
        return;
    puzzleNumber = int16_t(roundHalfEven(Val(txtGN_->text().trimmed().toStdString())));
    startGame();
}

void Form1::MNU_LOAD_PUZZLE_Click() {
    QFileDialog commDiag(this, "Load Puzzle Book", QString::fromStdString(App::Path()),
                         "PLIX files (*.plix);;Puzzle books (*.wobe);;All files (*)");
    commDiag.setFileMode(QFileDialog::ExistingFile);
    commDiag.setAcceptMode(QFileDialog::AcceptOpen);
    if (commDiag.exec() != QDialog::Accepted || commDiag.selectedFiles().isEmpty())
        return;
    const std::string chosen = commDiag.selectedFiles().first().toStdString();
    if (chosen.size() < 3)
        return;
    openBook(chosen);
    loadPuzzle(bookPath, 1);
    puzzleNumber = 1;
    showPuzzleNumber();
    layOutForGridSize();
    updateGrid();
    pbGrid_->Refresh();
}
