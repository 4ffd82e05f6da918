#pragma once

#include "study/ProgressData.h"

class History;
class QDateTime;
class WordStore;

namespace ProgressFigures {

// The progress window's figures as they stand at `now`: the words of each length (none when no
// list can be read) counted by the history's states, the known words over time and the coming
// due days, the last 30 days' answers and the 100 most missed words, with their meanings; the
// texts and labels described.
ProgressData fromHistory(const WordStore& store, const History& history, const QDateTime& now);

} // namespace ProgressFigures
