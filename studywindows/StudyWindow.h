#pragma once

#include "quiz/AnswerFrame.h"
#include "quiz/QuizDialog.h"
#include "quiz/TrainerContext.h"
#include "study/StudySession.h"

#include <QTimer>

#include <optional>

class PushButton;
class QLabel;

// The study drill: a round of the session's questions one after another in one window. The keys 1
// to 4 answer (each button shows its number), as do Tab and Space and the mouse. After an answer
// the right button turns green and a wrong choice red, the cue plays, the outcome is announced to
// screen readers on the status line, and the next question follows after a pause, or at once on
// any key or click. Ctrl+Z or Backspace during that pause takes the answer back and asks the
// same question again; once the next question shows, the answer stays. The line at the bottom shows
// due words left, new words left today, answers and the share of right ones. The session ends when
// today's due and new words are done (when practising, when no word is left at all), or when the
// player presses Escape or closes the window.
class StudyWindow : public QuizDialog
{
    Q_OBJECT
public:
    static constexpr int DefaultPauseMs = 1200;

    // The session outlives the window: its figures and what follows the round are its own.
    StudyWindow(TrainerContext& context, StudySession& session, int pauseMs = DefaultPauseMs,
                QWidget* parent = nullptr);

    // Asks the round's first question; false when there is none (today's work is already done,
    // or when practising, there is no word at all).
    bool start();
    const StudySessionResult& sessionResult() const { return session_.result(); }
    // Why study leaves lengths out: "The word list in use has no three-letter words" (or "no
    // two-letter or three-letter"), "... too few two-letter non-words", or both joined by
    // "and"; empty when it leaves none out.
    static QString missingLengthsText(const QList<int>& empty, const QList<int>& full);
    bool showingOutcome() const { return outcomeShown_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ask(const StudyQuestion& question);
    void choose(int k); // 1 to 4
    void advance();
    void takeBack();
    void paintButton(int k, std::optional<bool> right);
    void updateLine();
    // Coloured for a right or wrong outcome; plain otherwise.
    void announce(const QString& text, std::optional<bool> right);
    PushButton* button(int k) const { return answers_->button(k); }

    TrainerContext& context_;
    StudySession& session_;
    bool outcomeShown_ = false;
    QTimer pause_;

    AnswerFrame* answers_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* line_ = nullptr;
};

// The summary after a study session: answers, share right, the words missed and when the next
// review is due. Close by its button, Enter, Escape or the close box; "Keep practising" ends it
// with KeepPractising.
class StudySummaryWindow : public QuizDialog
{
    Q_OBJECT
public:
    static constexpr int KeepPractising = 2;

    StudySummaryWindow(const StudySessionResult& result, QWidget* parent = nullptr);
    // "now", "today at 18:30", "tomorrow at 09:15", "Fri 12 Mar at 09:15" (local time), or
    // "nothing scheduled"; never a promise while answers are not saved.
    static QString nextReviewText(const QDateTime& nextReview, const QDateTime& now,
                                  bool saved = true);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
