#pragma once

#include "study/AnswerRecorder.h"
#include "study/AutoPace.h"

#include <QDate>
#include <QDateTime>

// Where the study drill's answers go: each answer recorded, the last one taken back, and between
// questions the upkeep of the states (the day's fit of the memory model, and background work
// that has finished since).
class AnswerLog : public AnswerRecorder
{
public:
    // False when there is nothing to take back.
    virtual bool takeBack(const QDateTime& at) = 0;
    // Before a question of the day `today`. inLine: the day's fit runs here and now, so that a
    // scripted run repeats exactly; else it runs in the background and what it finished is taken
    // up here, except before a session's first question (whose count of due words is then the
    // one shown before it).
    virtual void betweenQuestions(const QDate& today, bool firstOfSession, bool inLine) = 0;
    // Under an automatic pace, before betweenQuestions: the day's figure (the player's recent
    // answers a day) to read with the day's fit, or alone, once a study day.
    virtual void askPace(const QDateTime& now) = 0;
    // The last figure taken up; nothing before it was read, or with no answers before today.
    virtual std::optional<PaceFigure> paceFigure() const = 0;
    // The non-words the last questions showed (at most RecentNonWords), the latest last, so that
    // phonies shown in earlier sessions wait their turn too.
    virtual QStringList recentNonWords() const = 0;
    static constexpr int RecentNonWords = 3000;
};
