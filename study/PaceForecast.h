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
    double held = 0.0;  // the player's mean recall over the words seen, now
    double scale = 1.0; // the player's stability as a share of the model's (memoryScale)
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
constexpr int CheckDays = 3; // simulated to weigh the model against the player's right answers

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
    double rightShare = -1.0;   // of those answers, the share right; below 0: not known
    double newPerDay = 0.0;     // words the player met for the first time a day, lately
    int cap = 0;
};

// A day of answers, of the history's last days.
struct Day
{
    QDate day;
    int answers = 0;
    int right = 0;
};

// The seen words of these lengths and the fresh ones left, from the states at `now`.
Inputs inputs(const QHash<QString, WordMemory>& states, const PaceRequest& request,
              double answersPerDay);

// The days (by index into `answersByDay`, oldest first, today last) that stand for the player's
// recent answers: the last (at most) seven with answers before today, newest first; today alone
// when no earlier day has any.
QList<qsizetype> recentDays(const QList<int>& answersByDay);

// The player's recent answers a day: the mean over the recentDays.
double recentAnswersPerDay(const QList<int>& answersByDay);

// Over the recent days of `days` (oldest first, today last): the answers a day, the share right
// and the words of these lengths first met a day, into `in`.
void takeRecent(Inputs& in, const QList<Day>& days, const QHash<QString, WordMemory>& states,
                const QList<int>& lengths);

// How much of the model's stability the player's recent answers bear out. The fit credits every
// word of a right answer, and a player who spots fakes by their look answers right on words they
// no longer hold: the model then thinks they hold more than they do. So the first CheckDays days
// are simulated at the player's recent pace; when they give more right answers than the player
// gave lately, the stabilities are scaled down (by halving, 1 to 0.02) until they give as many.
// 1 while the player answers at least as well as the model expects, or nothing is known.
double memoryScale(const Inputs& in, const MemoryPolicy& policy, quint64 seed);

// The expected number of words recalled at the end of the Days at this pace (memoryScale'd).
double recalledAtEnd(const Inputs& in, const MemoryPolicy& policy, int pace, quint64 seed);

// The pace that leaves the most words recalled at the end (the lowest of those within a word in
// a thousand of the best: once the fresh words run out, faster paces differ only by chance), never
// over the cap, and never over what today's answers (three words each) leave after the words due
// now: a player behind with reviews gets fewer new words, none while the due words fill the day.
PaceFigure choose(const Inputs& in, const MemoryPolicy& policy, quint64 seed);

// The mean recall over the seen words now, their stabilities scaled (1 with none seen).
double held(const Inputs& in, const MemoryPolicy& policy, double scale = 1.0);

} // namespace PaceForecast
