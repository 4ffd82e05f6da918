#include "quiz/TestDriver.h"

#include "base/ErrorReporting.h"
#include "base/Numbers.h"
#include "quiz/QuestionWindow.h"
#include "quiz/ResultsWindow.h"

#include <utility>

TestDriver::TestDriver(TrainerContext& context, std::function<QString()> countText)
    : context_(context), countText_(std::move(countText))
{}

void TestDriver::run(const QString& handlerName, const QuestionForm& form)
{
    TestRunState& state = context_.state;
    Procedure p(context_.env.errors, QStringLiteral("Form1"), handlerName);

    p.line(100, [&] { state.correctCount = 0; });
    p.line(102, [&] { state.wrongCount = 0; });
    p.line(104, [&] { state.statusText = TestRunState::WaitingForAnswer; });
    p.line(106, [&] { state.statusColor = QStringLiteral("0"); });
    p.line(108, [&] { state.correctWords = QStringList(); });
    p.line(110, [&] { state.wrongWords = QStringList(); });

    // The loop "for i = 1 to N": i is 32-bit so that it can step past N = 32767. Line 112 reads
    // the count once and sets up the loop.
    qint32 i = 0;
    qint32 n = 0;
    qint32 step = 0;
    p.line(112, [&] {
        n = Numbers::toInt16(countText_());
        i = 1;
        step = 1;
    });

    // When line 112 fails (a count that is no number, or one out of range such as 40000), the
    // run carries on with the statement after it, the first statement of the loop body, with i,
    // N and the step all still 0. Entering there or at the test makes no difference, as 0 > 0
    // does not hold either. Each answered question then adds 0 to i, so the questions go on
    // until the player closes one unanswered.
    while (i <= n) {
        p.line(114, [&] { state.answerPending = true; });
        // One window per showing, gone once it has closed. An answer clears answerPending; the
        // close box, or a window that could not be shown, leaves it set.
        p.line(116, [&] {
            QuestionWindow window(context_, form);
            window.setWindowModality(Qt::ApplicationModal);
            window.exec();
        });
        if (p.test(118, [&] { return state.answerPending; }))
            break;
        p.line(120, [&] { i += step; });
    }

    p.line(122, [&] {
        ResultsWindow window(context_, countText_());
        window.setWindowModality(Qt::ApplicationModal);
        window.exec();
    });
}
