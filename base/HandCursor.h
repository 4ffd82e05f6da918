#pragma once

#include <QCursor>
#include <QString>

#include <optional>

class QWidget;

// Loads a Windows cursor file with its hotspot. Throws "Invalid picture" when it cannot be read.
QCursor LoadHandCursor(const QString& path);

// Shows the hand over the window's push buttons and the arrow everywhere else. Without a cursor
// the buttons show the arrow too.
void ApplyHandPointer(QWidget* window, const std::optional<QCursor>& hand);
