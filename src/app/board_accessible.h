// The board as assistive technology meets it: a table of gridSize x gridSize
// cells, each named by its row, column, cage and entry, selected when it is
// the selected cell, and with one action, "select", which is a mouse click on
// it. What changes on the board is told once, when the board is described anew.
#pragma once

class PictureBox;
class QAccessibleInterface;
class QObject;
class QString;

// Makes the accessible table of the picture box named "pbGrid"; for
// QAccessible::installFactory.
QAccessibleInterface* boardAccessible(const QString& className, QObject* object);
// Tells assistive technology, while one listens, which cells changed their
// name or their selection since it was last told; a board of another side is
// told as a new table.
void announceBoardChanges(PictureBox* board);
