#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

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

// Places the window in the middle of its screen's free area.
void CentreOnScreen(QWidget* window);

// True when the file's modification time can be read. Never fails.
bool FileExists(const QString& path);

// Gives the window and its frames, labels, check boxes and option buttons the desktop's
// button-face colour. Other controls keep theirs.
void SetSystemBackColors(QWidget* window);

// Gives the window and the same controls a plain white background (the main window's look when
// no skin is installed).
void SetWhiteBackColors(QWidget* window);

// Switches the main window to the desktop colours when the skin file "x/o.cjs" lies in the program
// folder. There is no skin engine on this platform, so nothing further is loaded.
void ApplySkin(QWidget* mainWindow, const QString& programFolder);

// The application title made from the product name: the last word is dropped, and further words
// while the title is longer than 40 characters. Throws when no blank is left to cut at.
QString AppTitleFor(const QString& productName);
void SetAppTitle(QString& appTitle);

// The one program icon, shared by every window: its 32 and 48 px images, which title bars and
// task switchers draw. The 128 and 256 px images are installed in the desktop's icon theme, where
// menus and docks take them from; handing them to every window would cost each window's first
// showing over 10 ms of image conversion.
QIcon ProgramIcon();
// The decoded images behind ProgramIcon(); may be called from any thread, e.g. to decode them
// ahead of time.
const QList<QImage>& ProgramIconImages();

// Loads a Windows cursor file with its hotspot. Throws "Invalid picture" when it cannot be read.
QCursor LoadHandCursor(const QString& path);

// Shows the hand over the window's push buttons and the arrow everywhere else. Without a cursor
// the buttons show the arrow too.
void ApplyHandPointer(QWidget* window, const std::optional<QCursor>& hand);
