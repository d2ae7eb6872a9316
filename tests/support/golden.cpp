#include "support/golden.h"
#include <QtGui>
#include <cstdlib>

namespace {

QString reference(const std::string& name) { return QString(SUMGRID_GOLDEN_DIR "/%1.png").arg(name.c_str()); }

// Each channel within tolerance of the other's.
bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The picture faded, with every differing pixel in full magenta.
QImage differences(const QImage& actual, const QImage& expected, int tolerance, int& count, QPoint& first) {
    QImage diff(actual.size(), QImage::Format_RGB32);
    diff.fill(Qt::white);
    QPainter(&diff).drawImage(0, 0, actual);
    for (int y = 0; y < diff.height(); ++y)
        for (int x = 0; x < diff.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const bool same = expected.valid(x, y) && near(expected.pixel(x, y), a, tolerance);
            if (!same && count++ == 0)
                first = QPoint(x, y);
            diff.setPixel(x, y, same ? qRgb(128 + qRed(a) / 2, 128 + qGreen(a) / 2, 128 + qBlue(a) / 2)
                                     : qRgb(255, 0, 255));
        }
    return diff;
}

std::string compareWithReference(const QImage& actual, const std::string& name, int tolerance) {
    const QImage expected = QImage(reference(name)).convertToFormat(QImage::Format_RGB32);
    if (expected.isNull())
        return "no reference " + reference(name).toStdString() + " (make golden writes it)";
    if (expected == actual)
        return "";

    int count = 0;
    QPoint first;
    const QImage diff = differences(actual, expected, tolerance, count, first);
    if (count == 0 && expected.size() == actual.size())
        return "";
    QDir().mkpath("golden-failures");
    actual.save(QString("golden-failures/%1.actual.png").arg(name.c_str()));
    diff.save(QString("golden-failures/%1.diff.png").arg(name.c_str()));
    return QString("%1: %2 pixels differ, the first at (%3, %4); size %5x%6 against %7x%8; see %9/golden-failures/")
        .arg(name.c_str()).arg(count).arg(first.x()).arg(first.y()).arg(actual.width()).arg(actual.height())
        .arg(expected.width()).arg(expected.height()).arg(QDir::currentPath()).toStdString();
}

}  // namespace

// A reference that still matches is kept byte for byte: `make golden` writes only what changed.
std::string goldenMismatch(const QImage& image, const std::string& name, int tolerance) {
    const QImage actual = image.convertToFormat(QImage::Format_RGB32);
    const std::string mismatch = compareWithReference(actual, name, tolerance);
    if (mismatch.empty() || !qEnvironmentVariableIsSet("SUMGRID_UPDATE_GOLDEN"))
        return mismatch;
    return actual.save(reference(name)) ? "" : "cannot write " + reference(name).toStdString();
}
