// The history's progress figures, for the windows.

#include "History.h"
#include "HistoryImpl.h"
#include "WordCounts.h"
#include "WordStore.h"

#include <algorithm>

QList<History::LengthProgress> History::progressByLength(const WordStore& store) const
{
    QList<LengthProgress> result;
    for (int length = 2; length <= 4; ++length)
        result.append(countWords(length, store.words(length), words(), policy()));
    return result;
}

QList<History::DayProgress> History::lastDays(int days, const QDateTime& now) const
{
    QList<DayProgress> result;
    if (days <= 0)
        return result;
    const QDate today = MemoryPolicy::studyDay(now);
    const QDate first = today.addDays(-(days - 1));
    for (QDate day = first; day <= today; day = day.addDays(1))
        result.append({day, 0, 0});
    d_->open();
    if (!d_->dbOpen)
        return result;
    // Counted by quarter hour in SQL, then by day here: every day starts on a quarter hour after
    // the first one, daylight saving time or not, and a history of 100,000 answers is summed in
    // a few milliseconds instead of converting each answer's time.
    constexpr qint64 QuarterMs = 15 * 60 * 1000;
    QList<qint64> starts; // the start of each day, and the end of the last
    for (QDate day = first; day <= today.addDays(1); day = day.addDays(1))
        starts.append(MemoryPolicy::dayStart(day).toMSecsSinceEpoch());
    // The answers taken back are counted apart and subtracted: the count of all answers stays
    // one pass over the table with nothing to look up for each row.
    const auto add = [&](const QString& which, int sign) {
        QSqlQuery q = d_->db.run(
            QStringLiteral("SELECT (at_ms - ?) / ?, count(*), sum(right_index = chosen_index) "
                           "FROM answers WHERE %1 AND at_ms >= ? AND at_ms < ? GROUP BY 1")
                .arg(which),
            {starts.first(), QuarterMs, starts.first(), starts.last()});
        while (q.next()) {
            const qint64 at = starts.first() + q.value(0).toLongLong() * QuarterMs;
            const auto next = std::upper_bound(starts.cbegin(), starts.cend(), at);
            const qsizetype index = next - starts.cbegin() - 1;
            if (index < 0 || index >= result.size())
                continue;
            result[index].answers += sign * q.value(1).toInt();
            result[index].right += sign * q.value(2).toInt();
        }
    };
    try {
        d_->db.transaction(
            [&] {
                add(QStringLiteral("1"), 1);
                add(QStringLiteral("id IN (SELECT answer_id FROM undone)"), -1);
            },
            HistoryDb::Lock::Late);
    } catch (const DbError&) {
    }
    return result;
}

QList<History::MissedWord> History::mostMissed(int limit) const
{
    QList<MissedWord> missed;
    for (const WordMemory& m : words()) {
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
