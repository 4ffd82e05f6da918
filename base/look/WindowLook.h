#pragma once

#include <QString>

class QWidget;

// How a window sits on the desktop: its background colours, the optional skin and its place on
// the screen.

// Gives the window and its frames, labels, check boxes and option buttons the desktop's
// button-face colour. Other controls keep theirs.
void SetSystemBackColors(QWidget* window);

// Gives the window and the same controls a plain white background (the main window's look when
// no skin is installed).
void SetWhiteBackColors(QWidget* window);

// Switches the main window to the desktop colours when the skin file "x/o.cjs" lies in the program
// folder. There is no skin engine on this platform, so nothing further is loaded.
void ApplySkin(QWidget* mainWindow, const QString& programFolder);

// Places the window in the middle of its screen's free area.
void CentreOnScreen(QWidget* window);
