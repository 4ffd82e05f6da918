#include "study/DueCount.h"

#include "study/NewWordPace.h"

DueCount countDue(const WordStateView& states, const StudySettings& settings, const QDateTime& now,
                  const QSet<QString>& gone)
{
    DueCount count;
    DayPaceTally tally(now);
    for (const WordMemory& m : states.words()) {
        if (m.isNew() || gone.contains(m.word))
            continue;
        if (!settings.lengths.contains(int(m.word.size()))) {
            tally.addElsewhere(m);
            continue;
        }
        tally.add(m);
        count.due += m.due <= now ? 1 : 0;
    }
    if (settings.mode == StudySettings::Mode::Study)
        count.newLeftToday =
            newWordsLeft(tally.pace(), settings.newPerDay, StudyEngine::FirstDayPace);
    return count;
}
