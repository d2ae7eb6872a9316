// The toolbar's buttons call the menu's handlers; the toolbar adds only the
// pointer, which over the board shows the tool in use.
#include "app/form1.h"
#include "app/icons.h"
#include "model/puzzle.h"
#include "platform/toolbar.h"

void Form1::tb_ButtonClick(int16_t index) {
    tensCell = 0;  // a click comes between a 1 and the next digit
    switch (index) {
    case 1:
        setMousePointer(0);
        MNU_PREV_Click();
        break;
    case 3:
        setMousePointer(0);
        MNU_NEXT_Click();
        break;
    case 4:
        setMousePointer(0);
        MNU_RST_Click();
        break;
    case 6:
        setMousePointer(99);
        setMouseIcon(tbImgPicture(5));
        MNU_PEN_Click(2);
        break;
    case 7:
        setMousePointer(99);
        setMouseIcon(tbImgPicture(6));
        MNU_PEN_Click(1);
        break;
    case 9:
        setMousePointer(0);
        MNU_CHK_ALL_Click();
        break;
    default:  // the placeholder and the separators
        break;
    }
}

void Form1::setGridPointer() {
    if (tb_->Value(6) == 1) {
        setMousePointer(99);
        setMouseIcon(tbImgPicture(13));
    }
    if (tb_->Value(7) == 1) {
        setMousePointer(99);
        setMouseIcon(tbImgPicture(14));
    }
}

void Form1::pbGrid_MouseMove() { setGridPointer(); }
void Form1::tb_MouseMove() { setMousePointer(0); }
void Form1::Form_MouseMove() { tb_MouseMove(); }
