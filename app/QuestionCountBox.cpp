#include "app/QuestionCountBox.h"

#include "base/Numbers.h"

#include <QFocusEvent>
#include <QMouseEvent>

QuestionCountBox::QuestionCountBox(QWidget* parent) : QLineEdit(parent) {}

void QuestionCountBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Coming back from another window or from the box's own context menu is not entering the
    // box: keep the caret and whatever the player selected. The window's first showing is.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || (reason == Qt::ActiveWindowFocusReason && focusedBefore_))
        return;
    focusedBefore_ = true;
    selectAll();
    // A click places the cursor after the focus has arrived; select again once it is done.
    selectOnRelease_ = event->reason() == Qt::MouseFocusReason;
}

void QuestionCountBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (selectOnRelease_) {
        selectOnRelease_ = false;
        selectAll();
    }
}

void QuestionCountBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    selectOnRelease_ = false;
    // Only a move to another control of this window counts as leaving the box; another window
    // coming to the front (or the program closing) and the context menu do not.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (!Numbers::isNumeric(text()))
        setText(Fallback);
}
