#pragma once

#include "study/MemoryPolicy.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>

// The player's words over time, from the states the history derived: how many words of each
// length were known on each day since the first answer, and how many fall due on each of the
// coming days. Read from the states alone, so it costs one pass over the word lists however long
// the history is.
struct WordTimeline
{
    QDate first; // the day of the first answer (today for a new player)
    QDate today;
    // Known words of each length (the map's key), one count per day from first to today. A word
    // known today counts from the day of its last answer, the latest day it can have become
    // known; a word known once and since forgotten does not count.
    QMap<int, QList<int>> known;
    QList<int> due; // words falling due on each of the coming days, today's including overdue
};

// The timeline of the words of each list (by length) under these states, as of now.
WordTimeline wordTimeline(const QMap<int, QStringList>& lists,
                          const QHash<QString, WordMemory>& states, const MemoryPolicy& policy,
                          const QDateTime& now, int dueDays);
