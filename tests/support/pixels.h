#pragma once
// Small helpers for tests that look at pixels.

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <string>

namespace testing_support {

inline QImage Filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// Each colour channel within Tolerance.
inline bool Near(const QColor& a, const QColor& b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

inline std::string ColourText(const QColor& c)
{
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue());
}

} // namespace testing_support
