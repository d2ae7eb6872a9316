// The pens, brushes and text colours of the board, created once at start-up
// and kept until the program ends.
#pragma once

#include "platform/gdi.h"

extern HBRUSH hbrWhite;        // the board's background
extern HBRUSH hbrHighlight;    // the selected cell
extern HPEN hpenThin;          // the frame and the thin grid lines
extern HPEN hpenThick;         // the grid lines on the borders of the boxes
extern HPEN hpenCage;          // cage outlines
extern HPEN hpenMistake;       // crosses over wrong entries
extern COLORREF clrPenDigit;
extern COLORREF clrPencilDigit;
extern COLORREF clrLabel;      // cage sums and the credit line

void initGdiObjects();
