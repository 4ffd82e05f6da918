#include "base/look/PushButton.h"

#include "base/look/DesignUnits.h"

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setFont(Fonts::pushButton());
    setAutoDefault(false);
    setDefault(false);
}

PushButton* PushButton::place(QWidget* container, const char* name, const QString& caption,
                              const QRect& geometry)
{
    auto* b = new PushButton(caption, container);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    return b;
}
