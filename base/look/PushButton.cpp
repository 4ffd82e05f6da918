#include "PushButton.h"

#include "DesignUnits.h"

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setFont(Fonts::pushButton());
    setAutoDefault(false);
    setDefault(false);
}
