#include "base/look/DesignUnits.h"

QColor Colors::fromNumber(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

static QFont arialBold(qreal pointSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

QFont Fonts::window()
{
    return arialBold(9);
}

QFont Fonts::pushButton()
{
    return arialBold(11.25);
}
