#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

// The units the windows are designed in: colour numbers, twips and the two fonts.

// Colours travel through the program as 24-bit numbers blue * 65536 + green * 256 + red.
namespace Colors {
constexpr qint32 Black = 0;
constexpr qint32 DarkGreen = 25600; // red 0, green 100, blue 0
constexpr qint32 Red = 255;
constexpr qint32 White = 0xFFFFFF;
QColor fromNumber(qint32 value);
} // namespace Colors

// Layouts are designed in twips; 15 twips make one pixel at 96 dpi. Qt scales pixels for the
// screen.
namespace Twips {
constexpr int PerPixel = 15;
constexpr int toPixels(int twips)
{
    return (twips + PerPixel / 2) / PerPixel;
}
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
} // namespace Twips

namespace Fonts {
QFont window();     // Arial 9 pt bold
QFont pushButton(); // Arial 11.25 pt bold
} // namespace Fonts
