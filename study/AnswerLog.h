#pragma once

#include "study/AnswerRecorder.h"
#include "study/PaceForecast.h"

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
    // Under an automatic pace, before betweenQuestions: the forecast of the day's pace to run
    // with the day's fit (or alone, once the model has been fitted to the player), once a study
    // day, or once more when asked `again`.
    virtual void askPace(const PaceRequest& request, bool again) = 0;
    // The figure of the last forecast taken up; nothing before the model's first fit.
    virtual std::optional<PaceFigure> paceFigure() const = 0;
};
