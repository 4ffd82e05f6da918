#include "study/NewWordPace.h"

DayPace dayPace(const QHash<QString, WordMemory>& words, const QSet<QString>& list,
                const QDateTime& now)
{
    const QDate today = MemoryPolicy::studyDay(now);
    const QDateTime from = MemoryPolicy::dayStart(today);
    const QDateTime to = MemoryPolicy::dayStart(today.addDays(1));
    DayPace pace;
    for (const WordMemory& m : words) {
        if (m.isNew() || !m.valid || !list.contains(m.word))
            continue;
        if (m.firstReview < from)
            pace.seenBefore = true;
        else if (m.firstReview < to)
            ++pace.introduced;
        if (m.lastReview >= from && m.lastReview < to) {
            ++pace.graded;
            pace.missed += m.missedLast ? 1 : 0;
        }
    }
    return pace;
}

bool DayPace::takesMore(const MemoryPolicy& policy, double lowestRecall) const
{
    if (policy.leitner || !seenBefore)
        return false;
    const double target = policy.desiredRetention;
    // Strictly fewer than the share, whatever the rounding: 1 - 0.9 is a hair under a tenth in
    // floating point, so that the share itself never passes.
    constexpr double Rounding = 1e-9;
    return lowestRecall >= target &&
           (missed == 0 || double(missed) < (1.0 - target) * double(graded) - Rounding);
}
