#include "study/ProgressFromHistory.h"

#include "study/History.h"
#include "study/ProgressFigures.h"
#include "study/WordCounts.h"
#include "study/WordTimeline.h"
#include "words/Meanings.h"
#include "words/WordStore.h"

#include <QMap>

namespace ProgressFigures {

ProgressData fromHistory(const WordStore& store, const History& history, const QDateTime& now)
{
    ProgressData data;
    QMap<int, QStringList> lists;
    try {
        for (int length = 2; length <= 4; ++length) {
            lists.insert(length, store.words(length));
            const LengthCounts l =
                countWords(length, lists[length], history.words(), history.policy());
            data.lengths.append({l.length, l.newWords, l.learning, l.known});
        }
    } catch (const std::exception&) {
        // no word list: no words to count
    }
    addTimeline(data, wordTimeline(lists, history.words(), history.policy(), now, DueDays));
    for (const History::DayProgress& d : history.lastDays(30, now))
        data.days.append({d.day, d.answers, d.right});
    // The words first, each kind in a list of its own: the non-words missed outnumber the
    // words after a while, and would bury them. Words a replaced list no longer holds keep their
    // answers but are no longer words here: they are left out.
    constexpr int MostMissed = 100;
    const QSet<QString>& gone = store.wordsGone();
    for (const bool valid : {true, false}) {
        int shown = 0;
        const int asked = MostMissed + (valid ? int(gone.size()) : 0);
        for (const History::MissedWord& m : history.mostMissed(asked, valid)) {
            if (shown == MostMissed || (m.valid && gone.contains(m.word)))
                continue;
            data.missed.append(
                {m.word, m.misses, m.valid, m.valid ? Meanings::of(store, m.word) : QString()});
            ++shown;
        }
    }
    describe(data);
    return data;
}

} // namespace ProgressFigures
