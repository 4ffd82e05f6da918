#include "study/NewWordPace.h"

#include <algorithm>

DayPace dayPace(const QHash<QString, WordMemory>& words, const QSet<QString>& list,
                const QDateTime& now)
{
    DayPaceTally tally(now);
    for (const WordMemory& m : words)
        if (list.contains(m.word))
            tally.add(m);
    return tally.pace();
}

DayPaceTally::DayPaceTally(const QDateTime& now)
    : day_(MemoryPolicy::studyDay(now)), from_(MemoryPolicy::dayStart(day_)),
      to_(MemoryPolicy::dayStart(day_.addDays(1)))
{}

void DayPaceTally::add(const WordMemory& m, int sign)
{
    if (m.isNew() || !m.valid)
        return;
    if (m.firstReview < from_)
        earlier_ += sign;
    else if (m.firstReview < to_)
        pace_.introduced += sign;
    if (m.lastReview >= from_ && m.lastReview < to_) {
        pace_.graded += sign;
        pace_.missed += m.missedLast ? sign : 0;
    }
}

bool DayPaceTally::addElsewhere(const WordMemory& m, int sign)
{
    if (m.isNew() || !m.valid || m.firstReview < from_ || m.firstReview >= to_)
        return false;
    pace_.introduced += sign;
    return true;
}

DayPace DayPaceTally::pace() const
{
    DayPace pace = pace_;
    pace.seenBefore = earlier_ > 0;
    return pace;
}

int newWordsLeft(const DayPace& pace, int newPerDay, int firstDayTimes)
{
    const int allowance = pace.seenBefore ? newPerDay : newPerDay * firstDayTimes;
    return std::max(0, allowance - pace.introduced);
}

bool DayPace::takesMore(const MemoryPolicy& policy, double lowestRecall) const
{
    if (policy.leitner || !seenBefore)
        return false;
    // Strictly fewer than the share, whatever the rounding: the share itself never passes.
    constexpr double Rounding = 1e-9;
    return lowestRecall >= policy.desiredRetention &&
           (missed == 0 || double(missed) < MissedShareForMore * double(graded) - Rounding);
}
