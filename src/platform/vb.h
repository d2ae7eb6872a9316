// Number rules of the platform the program was first written for.
#pragma once

#include <cmath>
#include <string>

// Nearest integer, halves to the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
// (The default floating-point rounding mode does exactly that.)
inline double roundHalfEven(double v) { return std::nearbyint(v); }

// Reads the longest leading part of text that forms a number (spaces skipped
// first; an optional sign, digits, a decimal point, an exponent) as a double;
// text that does not start with a number reads as 0.
double Val(const std::string& text);
