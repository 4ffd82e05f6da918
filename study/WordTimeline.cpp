#include "study/WordTimeline.h"

#include <algorithm>
#include <utility>

namespace {

// The study days from `first` on, read off by binary search over their starts instead of a
// local time conversion for each of thousands of moments.
class DayIndex
{
public:
    DayIndex(const QDate& first, qsizetype days)
    {
        for (qsizetype i = 0; i <= days; ++i)
            starts_.append(MemoryPolicy::dayStart(first.addDays(i)).toMSecsSinceEpoch());
    }
    // The day's index from first, clamped to the days covered.
    qsizetype operator()(const QDateTime& at) const
    {
        const auto next =
            std::upper_bound(starts_.cbegin(), starts_.cend(), at.toMSecsSinceEpoch());
        return std::clamp<qsizetype>(next - starts_.cbegin() - 1, 0, starts_.size() - 2);
    }

private:
    QList<qint64> starts_;
};

} // namespace

WordTimeline wordTimeline(const QMap<int, QStringList>& lists,
                          const QHash<QString, WordMemory>& states, const MemoryPolicy& policy,
                          const QDateTime& now, int dueDays)
{
    WordTimeline timeline;
    timeline.today = MemoryPolicy::studyDay(now);
    QList<std::pair<int, const WordMemory*>> seen; // by length
    QDateTime earliest = now;
    for (auto list = lists.cbegin(); list != lists.cend(); ++list) {
        for (const QString& word : list.value()) {
            const auto it = states.constFind(word);
            if (it == states.constEnd() || it->isNew())
                continue;
            seen.append({list.key(), &*it});
            earliest = std::min(earliest, it->firstReview);
        }
    }
    timeline.first = std::min(timeline.today, MemoryPolicy::studyDay(earliest));
    const qsizetype days = timeline.first.daysTo(timeline.today) + 1;
    for (auto it = lists.cbegin(); it != lists.cend(); ++it)
        timeline.known[it.key()].fill(0, days);
    timeline.due.fill(0, std::max(dueDays, 0));
    const DayIndex index(timeline.first, days + timeline.due.size());
    for (const auto& [length, memory] : seen) {
        const qsizetype due = std::max<qsizetype>(0, index(memory->due) - (days - 1));
        if (due < timeline.due.size())
            ++timeline.due[due];
        if (policy.isKnown(*memory))
            ++timeline.known[length][std::min(index(memory->lastReview), days - 1)];
    }
    for (QList<int>& counts : timeline.known)
        for (qsizetype i = 1; i < counts.size(); ++i)
            counts[i] += counts[i - 1];
    return timeline;
}
