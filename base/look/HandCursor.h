#pragma once

#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <optional>

class QWidget;

// A cursor file larger than this is damaged; it is refused without being read.
constexpr qint64 MaxCursorFileBytes = 1024 * 1024;

// A decoded cursor file: its picture and the point of it that clicks.
struct CursorPicture
{
    QImage image;
    QPoint hotSpot;
};

// Decodes the bytes of a Windows cursor file; nullopt when they hold no picture. Needs no
// application object and no screen.
std::optional<CursorPicture> DecodeCursorFile(const QByteArray& bytes);

// Reads and decodes the cursor file. Each file is read once per program run (again only when it
// changes), whichever window or thread asks first; later calls give the same outcome. Throws
// "File not found: <path>" when it is missing or no regular file, "Invalid picture" when it is
// damaged or larger than MaxCursorFileBytes.
CursorPicture ReadCursorPicture(const QString& path);

// The cursor of that file with its hotspot, throwing as ReadCursorPicture does.
QCursor LoadHandCursor(const QString& path);

// Shows the hand over the window's push buttons and the arrow everywhere else. Without a cursor
// the buttons show the arrow too.
void ApplyHandPointer(QWidget* window, const std::optional<QCursor>& hand);
