// A GDI-like canvas over a persistent QImage: the handful of drawing calls the
// board's painters make, with GDI's pixel rules (right and bottom edges
// exclusive, a line's end point left out). Coordinates and widths are logical
// pixels; the image may hold more device pixels to each of them (its device
// pixel ratio), and every drawing call maps onto those.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>

using COLORREF = uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
    return COLORREF(r & 0xff) | COLORREF(g & 0xff) << 8 | COLORREF(b & 0xff) << 16;
}

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The pen styles and the one brush style the board uses.
constexpr int32_t PS_SOLID = 0;
constexpr int32_t PS_DASHDOTDOT = 4;
constexpr uint32_t BS_SOLID = 0;

// DrawTextA formats.
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_SINGLELINE = 0x20;

struct LOGBRUSH {
    uint32_t lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    intptr_t lbHatch = 0;
};

struct GdiPen {
    int32_t style;
    int32_t width;
    COLORREF color;
};

struct GdiBrush {
    COLORREF color;
};

using HPEN = const GdiPen*;
using HBRUSH = const GdiBrush*;

// The drawing state of one image: what SelectObject, SetTextColor and MoveToEx
// leave behind, and the font of the picture box that owns the image.
struct DeviceContext {
    QImage* image = nullptr;
    HPEN pen = nullptr;
    COLORREF textColor = 0;
    POINT current;
    QFont font;
};
using HDC = DeviceContext*;

// Pens and brushes live until the process ends, as GDI objects that are never deleted.
HPEN CreatePen(int32_t style, int32_t width, COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH& brush);

HPEN SelectObject(HDC dc, HPEN pen);

int FillRect(HDC dc, const RECT& rect, HBRUSH brush);
bool Rectangle(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
bool MoveToEx(HDC dc, int32_t x, int32_t y, POINT* previous);
bool LineTo(HDC dc, int32_t x, int32_t y);
bool Polyline(HDC dc, const POINT* points, int32_t count);
COLORREF SetTextColor(HDC dc, COLORREF color);
// The area that can be drawn on: the whole image, in logical pixels.
int GetClipBox(HDC dc, RECT* rect);
int DrawTextA(HDC dc, const char* text, int32_t length, RECT* rect, uint32_t format);

// Sets the size, in points, of the font the device context writes with.
void setFontSize(HDC dc, int points);

QColor toQColor(COLORREF color);
