#pragma once

#include <QGroupBox>

#include <array>

class PushButton;

// The answer frame of the question and study windows, "Frame1": the question as its title and the
// four answer buttons PushButton1 to PushButton4 one under another, in that tab order. A click on
// button k (or Space on it) reports chosen(k).
class AnswerFrame : public QGroupBox
{
    Q_OBJECT
public:
    AnswerFrame(const QString& question, QWidget* window);

    PushButton* button(int k) const { return buttons_[std::size_t(k - 1)]; } // k: 1 to 4

signals:
    void chosen(int k);

private:
    std::array<PushButton*, 4> buttons_{};
};
