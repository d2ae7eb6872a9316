// The screen as the program measures it: a fixed 96 dots per inch, which is
// 15 twips to a pixel and makes an 8-point font 11 pixels high.
#pragma once

constexpr int screenDotsPerInch = 96;
constexpr int twipsPerPixel = 1440 / screenDotsPerInch;

inline int pointsToPixels(int points) { return (points * screenDotsPerInch + 36) / 72; }
inline int twipsToPixels(int twips) { return twips / twipsPerPixel; }
