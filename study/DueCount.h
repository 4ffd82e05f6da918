#pragma once

#include "study/DueTally.h"
#include "study/StudyEngine.h"
#include "study/WordStateView.h"

#include <QDateTime>
#include <QSet>
#include <QString>

// The study button's figures from the word states alone, without reading the word list or
// building an engine: the graded words of the studied lengths due now, and the new words still
// allowed today. The same as the engine's, as every graded word of a history is a word of its
// list but those it no longer holds (gone: WordStore::wordsGone), which count nowhere; the new
// words are not capped by how many the list has left unseen.
struct DueCount
{
    int due = 0;
    int newLeftToday = 0;
};

DueCount countDue(const WordStateView& states, const StudySettings& settings, const QDateTime& now,
                  const QSet<QString>& gone = {});
// The same figures from the states tallied by length at tally.at, for a list with no words gone.
DueCount countDue(const DueTally& tally, const StudySettings& settings);
