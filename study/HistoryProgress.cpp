// The history's progress figures, for the windows.

#include "study/HistoryProgress.h"

#include "study/HistoryImpl.h"
#include "study/HistorySchema.h"
#include "study/WordCounts.h"
#include "words/WordStore.h"

#include <algorithm>

QList<History::LengthProgress> History::progressByLength(const WordStore& store) const
{
    QList<LengthProgress> result;
    for (int length = 2; length <= 4; ++length)
        result.append(countWords(length, store.words(length), words(), policy()));
    return result;
}

namespace HistoryProgress {

QList<History::DayProgress> lastDays(const HistoryDb& db, int days, const QDateTime& now)
{
    QList<History::DayProgress> result;
    if (days <= 0)
        return result;
    const QDate today = MemoryPolicy::studyDay(now);
    const QDate first = today.addDays(-(days - 1));
    QList<qint64> starts; // the start of each day, and the end of the last
    for (QDate day = first; day <= today.addDays(1); day = day.addDays(1))
        starts.append(MemoryPolicy::dayStart(day).toMSecsSinceEpoch());
    for (qsizetype i = 0; i + 1 < starts.size(); ++i)
        result.append({first.addDays(i), 0, 0});
    if (!db.isOpen())
        return result;
    // Each day read off its own stretch of the index by time, which reads the days' answers only
    // (a file read-only since before it had that index is read whole, a day at a time); answers
    // taken back count nowhere. One read transaction, so the days agree with each other.
    const QString oneDay =
        QStringLiteral("SELECT count(*), total(right_index = chosen_index) FROM answers "
                       "WHERE at_ms >= ? AND at_ms < ? AND %1")
            .arg(HistorySchema::countsOnly());
    const auto readDays = [&] {
        for (qsizetype i = 0; i < result.size(); ++i) {
            QSqlQuery q = db.run(oneDay, {starts[i], starts[i + 1]});
            if (q.next()) {
                result[i].answers = q.value(0).toInt();
                result[i].right = q.value(1).toInt();
            }
        }
    };
    try {
        db.transaction(readDays, HistoryDb::Lock::Late);
    } catch (const DbError&) {
    }
    return result;
}

QList<History::MissedWord> mostMissed(const QHash<QString, WordMemory>& states, int limit,
                                      bool valid)
{
    using MissedWord = History::MissedWord;
    QList<MissedWord> missed;
    for (const WordMemory& m : states) {
        if (m.valid != valid)
            continue;
        const int misses = m.valid ? m.lapses : m.confusions;
        if (misses > 0)
            missed.append({m.word, misses, m.valid});
    }
    std::sort(missed.begin(), missed.end(), [](const MissedWord& a, const MissedWord& b) {
        return a.misses != b.misses ? a.misses > b.misses : a.word < b.word;
    });
    if (limit >= 0 && missed.size() > limit)
        missed.resize(limit);
    return missed;
}

} // namespace HistoryProgress

QList<History::DayProgress> History::lastDays(int days, const QDateTime& now) const
{
    return HistoryProgress::lastDays(d_->db, days, now);
}

QList<History::MissedWord> History::mostMissed(int limit, bool valid) const
{
    return HistoryProgress::mostMissed(words(), limit, valid);
}
