#include "base/look/FrameStyle.h"

#include <QPainter>
#include <QStyleOptionGroupBox>

namespace {
constexpr int CaptionIndent = 7;  // from the frame's left edge to the caption
constexpr int CaptionPadding = 2; // gap in the frame line on each side of the caption
} // namespace

QRect FrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl subControl, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || box->text.isEmpty() ||
        (box->subControls & SC_GroupBoxCheckBox))
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    const QFontMetrics& metrics = option->fontMetrics;
    const QRect& r = option->rect;
    switch (subControl) {
    case SC_GroupBoxFrame:
        return r.adjusted(0, metrics.height() / 2, 0, 0);
    case SC_GroupBoxLabel:
        return QRect(r.left() + CaptionIndent, r.top(),
                     metrics.horizontalAdvance(box->text) + 2 * CaptionPadding, metrics.height());
    case SC_GroupBoxContents:
        return r.adjusted(1, metrics.height(), -1, -1);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || box->text.isEmpty() ||
        (box->subControls & SC_GroupBoxCheckBox)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QRegion outsideCaption(option->rect);
    outsideCaption -= caption;
    painter->setClipRegion(outsideCaption);
    painter->setPen(option->palette.color(QPalette::Mid));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter->restore();

    drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, option->palette,
                 option->state & State_Enabled, box->text, QPalette::WindowText);
}
