#pragma once

#include "quiz/QuestionForm.h"
#include "quiz/TrainerContext.h"

#include <QString>

#include <functional>

class QWidget;

// Runs one test: resets the test-run state, reads the question count once, shows the question
// window modally once per question until the count is reached or a window is closed unanswered,
// and always ends with the results window. Every step is a numbered line of the calling button's
// handler (handlerName, e.g. "PushButton1_Click" on "Form1").
class TestDriver
{
public:
    // countText reads the main window's question-count box; the results window reads it again.
    TestDriver(TrainerContext& context, std::function<QString()> countText);

    void run(const QString& handlerName, const QuestionForm& form);

private:
    TrainerContext& context_;
    std::function<QString()> countText_;
};
