#pragma once

#include "study/MemoryPolicy.h"
#include "study/WordMemory.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// What the scheduler asks of the day's forecast under an automatic pace: the lengths it studies,
// how many words of those lengths the list holds, the highest pace it may name, and the seed of
// its draws (the same seed, the same figure).
struct PaceRequest
{
    QList<int> lengths;
    int listWords = 0;
    int cap = 0;
    quint64 seed = 1;
    QDateTime now;
};

// The day's pace under Auto, and how much of what they have seen the player holds.
struct PaceFigure
{
    int pace = 0;
    double held = 0.0; // the model's mean recall over the words seen, now
    QDate day;         // the study day it was worked out for
};

// The forecast behind an automatic pace: the fitted model run forward over the next Days days at
// the player's recent answers a day, once for each candidate pace (0 to the cap, Step apart).
// Each simulated day the player gives their answers a day: the due words, most overdue
// first, three a question as in the drill (each recalled as the model says, or its fake spotted or
// guessed around it; a wrong answer grades only the word missed, and costs the question), new
// words at the candidate pace every other question, as the engine brings them in. The pace that
// leaves the most words recalled at the end wins. Pure: no clock, no threads; the draws come from
// the seed, the same for every candidate, so that candidates differ only by their pace.
namespace PaceForecast {

constexpr int Days = 30;
constexpr int Step = 5;

// A seen word as the model sees it now.
struct Word
{
    double stability = 0.0;
    double difficulty = 0.0;
    double sinceDays = 0.0; // since its last review
    int dueInDays = 0;      // 0: due today
};

struct Inputs
{
    std::vector<Word> seen;
    int freshLeft = 0;          // words of the list never seen
    double answersPerDay = 0.0; // the player's recent answers a day
    int cap = 0;
};

// The seen words of these lengths and the fresh ones left, from the states at `now`.
Inputs inputs(const QHash<QString, WordMemory>& states, const PaceRequest& request,
              double answersPerDay);

// The player's recent answers a day: the mean of the last (at most) seven days with answers
// before today, newest last in `answersByDay` (today's count last of all); today's alone when
// no earlier day has any.
double recentAnswersPerDay(const QList<int>& answersByDay);

// The expected number of words recalled at the end of the Days at this pace.
double recalledAtEnd(const Inputs& in, const MemoryPolicy& policy, int pace, quint64 seed);

// The pace that leaves the most words recalled at the end (the lowest of those within a word in
// a thousand of the best: once the fresh words run out, faster paces differ only by chance), never
// over the cap, and never over what today's answers (three words each) leave after the words due
// now: a player behind with reviews gets fewer new words, none while the due words fill the day.
PaceFigure choose(const Inputs& in, const MemoryPolicy& policy, quint64 seed);

// The model's mean recall over the seen words now (1 with none seen).
double held(const Inputs& in, const MemoryPolicy& policy);

} // namespace PaceForecast
