#include "WordTimeline.h"

#include <algorithm>
#include <utility>

WordTimeline wordTimeline(const QMap<int, QStringList>& lists,
                          const QHash<QString, WordMemory>& states, const MemoryPolicy& policy,
                          const QDateTime& now, int dueDays)
{
    WordTimeline timeline;
    timeline.today = MemoryPolicy::studyDay(now);
    timeline.first = timeline.today;
    timeline.due.fill(0, std::max(dueDays, 0));
    QList<std::pair<int, const WordMemory*>> seen; // by length
    for (auto list = lists.cbegin(); list != lists.cend(); ++list) {
        for (const QString& word : list.value()) {
            const auto it = states.constFind(word);
            if (it == states.constEnd() || it->isNew())
                continue;
            seen.append({list.key(), &*it});
            timeline.first = std::min(timeline.first, MemoryPolicy::studyDay(it->firstReview));
            const qint64 day =
                std::max<qint64>(0, timeline.today.daysTo(MemoryPolicy::studyDay(it->due)));
            if (day < timeline.due.size())
                ++timeline.due[day];
        }
    }
    const qsizetype days = timeline.first.daysTo(timeline.today) + 1;
    for (auto it = lists.cbegin(); it != lists.cend(); ++it)
        timeline.known[it.key()].fill(0, days);
    for (const auto& [length, memory] : seen) {
        if (!policy.isKnown(*memory))
            continue;
        const qint64 since = timeline.first.daysTo(MemoryPolicy::studyDay(memory->lastReview));
        ++timeline.known[length][std::clamp<qint64>(since, 0, days - 1)];
    }
    for (QList<int>& counts : timeline.known)
        for (qsizetype i = 1; i < counts.size(); ++i)
            counts[i] += counts[i - 1];
    return timeline;
}
