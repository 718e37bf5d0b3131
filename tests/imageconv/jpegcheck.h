#pragma once

#include <cstdlib>

#include <QColor>
#include <QString>

namespace corvale {

// Colours within this much per channel count as the same after JPEG.
inline constexpr int kJpegTolerance = 10;

inline bool closeTo(const QColor &actual, const QColor &expected)
{
    return std::abs(actual.red() - expected.red()) <= kJpegTolerance
        && std::abs(actual.green() - expected.green()) <= kJpegTolerance
        && std::abs(actual.blue() - expected.blue()) <= kJpegTolerance;
}

inline QString describe(const QColor &colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

} // namespace corvale
