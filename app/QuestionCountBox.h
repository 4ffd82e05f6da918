#pragma once

#include <QLineEdit>

// The question-count box. Entering it, by Tab or by a click, selects its whole text so that typing
// replaces the count; leaving it for another control of the program puts back "20" when the text
// is no number. Switching to another window or closing the program leaves the text alone.
class QuestionCountBox : public QLineEdit
{
public:
    explicit QuestionCountBox(QWidget* parent = nullptr);

    static inline const QString Fallback = QStringLiteral("20");

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool selectOnRelease_ = false;
    bool focusedBefore_ = false;
};
