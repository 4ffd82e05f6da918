#pragma once

#include "study/History.h"

class HistoryDb;

// The progress queries over a history's file and its word states. They only read: a history not
// opened yet has nothing to show.
namespace HistoryProgress {

// The answers and right answers of each of the last `days` local days up to the one holding
// now, oldest first; zeros without a file.
QList<History::DayProgress> lastDays(const HistoryDb& db, int days, const QDateTime& now);
// The words missed most, or the non-words, most first, at most limit of them (all when negative).
QList<History::MissedWord> mostMissed(const QHash<QString, WordMemory>& states, int limit,
                                      bool valid);

} // namespace HistoryProgress
