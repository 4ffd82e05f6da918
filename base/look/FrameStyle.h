#pragma once

#include <QProxyStyle>

// The desktop's style with classic frames: a group box's caption sits in the frame's top line,
// and the frame encloses its controls with room to spare. Installed once for the application.
class FrameStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};
