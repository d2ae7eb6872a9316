// The toolbar's image list and the program's icon, drawn here, 32 x 32 each.
#pragma once

#include <QPixmap>

// Image index of the toolbar's image list: 1 Prev, 2 Next, 3 Restart,
// 5 Pencil, 6 Pen, 7 Check, 13 the pencil pointer, 14 the pen pointer.
QPixmap tbImgPicture(int index);

QPixmap programIcon();
