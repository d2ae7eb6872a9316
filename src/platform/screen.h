// The screen as the program measures it: a fixed 96 dots per inch, which is
// 15 twips to a pixel and makes an 8-point font 11 pixels high.
#pragma once

#include <cmath>

constexpr int screenDotsPerInch = 96;
constexpr int pointsPerInch = 72;
constexpr int twipsPerInch = 1440;

// A font's height in points, to the nearest pixel.
inline int pointsToPixels(int points) { return int(std::lround(double(points) * screenDotsPerInch / pointsPerInch)); }
// A length in twips, in whole pixels: a part of a pixel is dropped.
inline int twipsToPixels(int twips) { return twips * screenDotsPerInch / twipsPerInch; }
