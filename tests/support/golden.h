// Whole pictures compared pixel for pixel with reference images kept under
// tests/golden/. With SUMGRID_UPDATE_GOLDEN set in the environment a
// reference that differs is written anew (`make golden`). On a mismatch the picture
// and a difference image are left in golden-failures/ in the build folder.
#pragma once

#include <QImage>
#include <string>

// Empty when the image equals the reference name.png; otherwise what differs.
// Antialiased pictures are compared with a tolerance: their edges may differ
// by a level or two of a colour from one processor to another.
std::string goldenMismatch(const QImage& image, const std::string& name, int tolerance = 0);
// The same as a Qt Test check, for the tests of the main window.
#define QCOMPARE_GOLDEN(image, ...) QCOMPARE(QString::fromStdString(goldenMismatch(image, __VA_ARGS__)), QString())
