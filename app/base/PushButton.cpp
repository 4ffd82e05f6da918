#include "PushButton.h"

#include "Appearance.h"

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setFont(Fonts::pushButton());
    setAutoDefault(false);
    setDefault(false);
}
