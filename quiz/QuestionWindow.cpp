#include "quiz/QuestionWindow.h"

#include "base/Branding.h"
#include "base/ErrorReporting.h"
#include "base/Numbers.h"
#include "base/ProgramFiles.h"
#include "base/Random.h"
#include "base/look/DesignUnits.h"
#include "base/look/HandCursor.h"
#include "base/look/ProgramIcon.h"
#include "base/look/PushButton.h"
#include "base/look/WindowLook.h"
#include "quiz/AnswerKeys.h"
#include "quiz/NonWords.h"
#include "quiz/Sounds.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <optional>

namespace {

// Which button takes the right answer for each answer position x, and which buttons then take the
// other three words, in call order; each with the line it is reported under.
struct Placement
{
    int line;
    int button;
};
struct FillOrder
{
    Placement answer;
    std::array<Placement, 3> others;
};
constexpr std::array<FillOrder, 4> FillOrders{{
    {{124, 1}, {{{126, 2}, {128, 3}, {130, 4}}}},
    {{134, 2}, {{{136, 1}, {138, 3}, {140, 4}}}},
    {{144, 3}, {{{146, 2}, {148, 1}, {150, 4}}}},
    {{154, 4}, {{{156, 2}, {158, 3}, {160, 1}}}},
}};

// Form3 and Form7 were laid out a little taller than the other four windows.
bool isTallLayout(const QuestionForm& form)
{
    return form.kind == TestKind::ValidWord && form.length != 2;
}

} // namespace

QuestionWindow::QuestionWindow(TrainerContext& context, const QuestionForm& form, QWidget* parent)
    : QuizDialog(form.name, isTallLayout(form) ? 3540 : 3525, parent), context_(context),
      form_(form)
{
    createControls();
    formLoad();
}

void QuestionWindow::createControls()
{
    const bool tall = isTallLayout(form_);
    setWindowTitle(QStringLiteral("Choose %1 Letter Word")
                       .arg(form_.kind == TestKind::ValidWord ? QStringLiteral("Valid")
                                                              : QStringLiteral("Invalid")));

    // Text1 lies below the client area, where it is never seen. It comes first in the tab order,
    // so it holds the focus when the window opens and Enter or Space answers nothing.
    hiddenText_ = new QLineEdit(QStringLiteral("Text1"), this);
    hiddenText_->setObjectName(QStringLiteral("Text1"));
    hiddenText_->setGeometry(tall ? Twips::rect(240, 3810, 2175, 735)
                                  : Twips::rect(240, 3870, 1935, 525));
    hiddenText_->setAccessibleName(form_.question);

    answers_ = new AnswerFrame(form_.question, this);
    connect(answers_, &AnswerFrame::chosen, this, &QuestionWindow::answer);
    status_ = addStatusFrame(QStringLiteral("Label1"));
    status_->setText(QStringLiteral("Status Bar"));

    // Text1 would take the digits as text; they answer instead.
    hiddenText_->installEventFilter(this);

    setTabOrder(hiddenText_, button(1));
    hiddenText_->setFocus();
}

void QuestionWindow::formLoad()
{
    Environment& env = context_.env;
    TestRunState& state = context_.state;
    Procedure p(env.errors, form_.name, QStringLiteral("Form_Load"));

    p.line(100, [&] { SetSystemBackColors(this); });
    p.line(102, [&] {
        setWindowTitle(Branding::ProductName);
        setWindowIcon(ProgramIcon());
    });
    std::optional<QCursor> hand;
    if (p.test(104, [&] { return FileExists(env.path(QStringLiteral("HAND-M.CUR"))); }))
        p.line(106, [&] { hand = LoadHandCursor(env.path(QStringLiteral("HAND-M.CUR"))); });
    ApplyHandPointer(this, hand);

    for (int k = 1; k <= 4; ++k)
        p.line(106 + 2 * k, [&] { button(k)->setText(QString()); });

    qint16 x = 0;
    p.line(116, [&] { x = RandomBetween(env.random, 0, 3); });
    p.line(118, [&] { correctIndex_ = x; });

    const bool valid = form_.kind == TestKind::ValidWord;
    p.line(120, [&] {
        state.correctAnswer = valid ? context_.store.GetRandomDbWord(form_.length)
                                    : GenerateWordNotInDb(form_.length, context_.store, env.random);
    });

    const FillOrder* order = nullptr;
    p.line(122, [&] {
        if (x >= 0 && x < qint16(FillOrders.size()))
            order = &FillOrders[std::size_t(x)];
    });
    if (order) {
        p.line(order->answer.line,
               [&] { button(order->answer.button)->setText(state.correctAnswer); });
        for (const Placement& other : order->others)
            p.line(other.line, [&] { button(other.button)->setText(otherWord()); });
    }

    p.line(162, [&] {
        QPalette palette = status_->palette();
        palette.setColor(QPalette::Window, Colors::fromNumber(Colors::White));
        status_->setPalette(palette);
        status_->setAutoFillBackground(true);
    });
    p.line(164, [&] {
        QPalette palette = status_->palette();
        palette.setColor(QPalette::WindowText,
                         Colors::fromNumber(Numbers::toInt32(state.statusColor)));
        status_->setPalette(palette);
    });
    p.line(166, [&] {
        status_->setText(state.statusText);
        status_->setAccessibleDescription(state.statusText);
    });
    if (context_.recorder && context_.clock)
        shownAt_ = context_.clock->nowUtc();
}

// The words that are not the answer: non-words in a valid-word test, stored words in an
// invalid-word test.
QString QuestionWindow::otherWord()
{
    if (form_.kind == TestKind::ValidWord)
        return GenerateWordNotInDb(form_.length, context_.store, context_.env.random);
    return context_.store.GetRandomDbWord(form_.length);
}

void QuestionWindow::answer(int k)
{
    Environment& env = context_.env;
    TestRunState& state = context_.state;
    Procedure p(env.errors, form_.name, QStringLiteral("PushButton%1_Click").arg(k));
    const QString caption = button(k)->text();

    if (p.test(100, [&] { return correctIndex_ == k - 1; })) {
        p.line(102, [&] { state.statusText = QStringLiteral("Correct with ") + caption; });
        p.line(104, [&] { Numbers::increment(state.correctCount); });
        p.line(106, [&] { state.correctWords.append(caption); });
        p.line(108, [&] {
            PlaySoundFile(env.sounds, env.path(QStringLiteral("sounds/correct.wav")), false);
        });
        p.line(110, [&] { state.statusColor = QString::number(Colors::DarkGreen); });
    } else {
        p.line(112, [&] {
            state.statusText = QStringLiteral("Wrong. Correct answer was ") + state.correctAnswer;
        });
        p.line(114, [&] { Numbers::increment(state.wrongCount); });
        p.line(116, [&] { state.wrongWords.append(caption); });
        p.line(118, [&] {
            PlaySoundFile(env.sounds, env.path(QStringLiteral("sounds/wrong.wav")), false);
        });
        p.line(120, [&] { state.statusColor = QString::number(Colors::Red); });
    }
    recordAnswer(k);
    p.line(122, [&] { state.answerPending = false; });
    p.line(124, [&] { accept(); });
}

bool QuestionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == hiddenText_ && event->type() == QEvent::KeyPress) {
        if (const int k = answerKeyNumber(static_cast<QKeyEvent*>(event))) {
            button(k)->click();
            return true;
        }
    }
    return QuizDialog::eventFilter(watched, event);
}

void QuestionWindow::keyPressEvent(QKeyEvent* event)
{
    if (const int k = answerKeyNumber(event)) {
        event->accept();
        button(k)->click();
        return;
    }
    QuizDialog::keyPressEvent(event);
}

// Hands the scored answer to the context's recorder, if any. It adds nothing the player sees,
// and a recorder that fails reports through its own channel, never through this window.
void QuestionWindow::recordAnswer(int k)
{
    if (!context_.recorder || !context_.clock)
        return;
    AnswerRecord record;
    record.at = context_.clock->nowUtc();
    record.testKind = form_.name;
    record.validKind = form_.kind == TestKind::ValidWord;
    record.length = form_.length;
    for (int i = 1; i <= 4; ++i)
        record.candidates.append(button(i)->text());
    record.rightIndex = correctIndex_;
    record.chosenIndex = k - 1;
    record.responseMs = shownAt_.isValid() ? std::max<qint64>(0, shownAt_.msecsTo(record.at)) : 0;
    try {
        context_.recorder->record(record);
    } catch (...) {
        // The history keeps its own troubles to itself; a test never stops for it.
    }
}
