#pragma once

#include "study/MemoryPolicy.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

// Where the player stands with today's words: how many new ones came in, and how today's answers
// went. The set pace counts the first; whether more new words may come in once the day's work is
// done depends on the second and on the memory model fitted to the player.
struct DayPace
{
    int introduced = 0;      // words of the list first graded today
    bool seenBefore = false; // some word of the list was first graded on an earlier day
    int graded = 0;          // words of the list graded today
    int missed = 0;          // of those, the ones whose last answer was wrong

    // Today's words missed, as a share, under which more new words may come in: well under the
    // one in ten the retention the schedule aims at leaves. The model's belief that the player
    // holds every word can rest on right answers that seeing through the fake gave; today's
    // misses can't. On simulated learners over 60 days (two- and three-letter words, six seeds),
    // 0.06 against one in ten kept 6 points more of the list for a learner who sees through fakes
    // whatever their look, 2.5 more for the average learner, and cost the slow learner 1.
    static constexpr double MissedShareForMore = 0.06;

    // More new words than the set pace, once the day's due words and paced new words are done:
    // only from the second day on (the model has seen the player keep words overnight), while
    // none of today's words is missed or fewer are than MissedShareForMore (1 missed of 17 is, 3
    // of 50 are not), and the model predicts every seen word still recalled at least as well as
    // the schedule aims for (lowestRecall).
    // Never under the Leitner baseline, which has no model of the player.
    bool takesMore(const MemoryPolicy& policy, double lowestRecall) const;
};

DayPace dayPace(const QHash<QString, WordMemory>& words, const QSet<QString>& list,
                const QDateTime& now);

// The day's pace kept as words come and go: each graded word of the list counted in once with
// add(), and out again (sign -1) before its state changes.
class DayPaceTally
{
public:
    explicit DayPaceTally(const QDateTime& now = QDateTime());
    const QDate& day() const { return day_; }
    void add(const WordMemory& m, int sign = 1);
    // A graded word of a length not studied now: only its coming in counts, as the day's pace
    // is the player's whatever lengths they study. False when it came in on another day.
    bool addElsewhere(const WordMemory& m, int sign = 1);
    DayPace pace() const;

private:
    QDate day_;
    QDateTime from_;
    QDateTime to_;
    int earlier_ = 0; // words first graded on an earlier day
    DayPace pace_;
};

// New words still allowed today at `newPerDay` a day: firstDayTimes as many on the player's
// first day.
int newWordsLeft(const DayPace& pace, int newPerDay, int firstDayTimes);
