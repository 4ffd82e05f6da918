#include "base/look/PushButton.h"

#include "base/look/DesignUnits.h"

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setFont(Fonts::pushButton());
    setAutoDefault(false);
    setDefault(false);
}
