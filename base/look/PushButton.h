#pragma once

#include <QPushButton>

// The push button every window uses: a settable caption, its own font (Arial 11.25 pt bold), one
// clicked() per mouse click or Space press, and no default-button behaviour, so Enter in another
// control never presses it. Its accessible name is its caption.
class PushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit PushButton(const QString& caption, QWidget* parent = nullptr);
    // A new button in the container, named for tests and the accessibility tree, at geometry.
    static PushButton* place(QWidget* container, const char* name, const QString& caption,
                             const QRect& geometry);
};
