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

DueCount countDue(const DueTally& tally, const StudySettings& settings)
{
    DueCount count;
    DayPace pace;
    // New words came in today whatever their length; the earlier ones count for the lengths
    // studied.
    for (int length = 0; length <= DueTally::LongestWord; ++length)
        pace.introduced += tally.introduced[size_t(length)];
    for (int length : settings.lengths) {
        if (length < 0 || length > DueTally::LongestWord)
            continue;
        count.due += tally.due[size_t(length)];
        pace.seenBefore = pace.seenBefore || tally.earlier[size_t(length)] > 0;
    }
    if (settings.mode == StudySettings::Mode::Study)
        count.newLeftToday = newWordsLeft(pace, settings.newPerDay, StudyEngine::FirstDayPace);
    return count;
}
