#pragma once

#include "quiz/AnswerFrame.h"
#include "quiz/QuestionForm.h"
#include "quiz/QuizDialog.h"
#include "quiz/TrainerContext.h"

#include <QDateTime>

class PushButton;
class QLabel;
class QLineEdit;

// One question of a test, for all six question windows (Form2, Form3, Form7: choose the valid word;
// Form5, Form6, Form8: choose the invalid word). Building the window builds the question; the first
// click on an answer button scores it into the context's test-run state, plays the answer's sound
// and closes the window with accept(). The keys 1 to 4 click the button at that position. Closing
// it any other way records nothing, so answerPending stays true. Made for one showing: create,
// exec(), destroy.
class QuestionWindow : public QuizDialog
{
    Q_OBJECT
public:
    QuestionWindow(TrainerContext& context, const QuestionForm& form, QWidget* parent = nullptr);

    // 0 to 3: the answer button that holds the right answer (0 is PushButton1).
    qint16 correctIndex() const { return correctIndex_; }

protected:
    // The keys 1 to 4 answer as a click on the button at that position, wherever the focus is.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void formLoad();    // Form_Load
    void answer(int k); // PushButton1_Click .. PushButton4_Click
    QString otherWord();
    void recordAnswer(int k);
    PushButton* button(int k) const { return answers_->button(k); }

    TrainerContext& context_;
    const QuestionForm form_;
    qint16 correctIndex_ = 0;
    QDateTime shownAt_; // for the answer's response time, when answers are recorded

    QLineEdit* hiddenText_ = nullptr; // Text1
    AnswerFrame* answers_ = nullptr;
    QLabel* status_ = nullptr;
};
