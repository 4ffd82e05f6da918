#pragma once

#include "study/Fsrs.h"

#include <QDateTime>
#include <QString>

#include <optional>

// What the history knows about one word or non-word, derived from the answers that showed it.
struct WordMemory
{
    QString word;
    bool valid = true; // a real word, or a non-word shown as a decoy
    // Valid words: the FSRS state once the word has been graded at least once.
    std::optional<Fsrs::MemoryState> memory;
    QDateTime firstReview;   // the first graded answer (UTC)
    QDateTime lastReview;    // the last graded answer (UTC)
    QDateTime due;           // when it should be asked again
    int step = 0;            // learning step reached; graduated once it passes the last step
    int reviews = 0;         // graded answers
    int lapses = 0;          // graded answers that were wrong
    bool missedLast = false; // the last graded answer was wrong: asked first when due again
    // Non-words: how often the player took this one for a real word, and when last.
    int confusions = 0;
    QDateTime lastConfused;
    int resisted = 0; // times shown since then without being taken for a word

    // A non-word that keeps coming back until the player has seen through it twice.
    bool isDecoy() const { return !valid && confusions > 0 && resisted < 2; }
    bool isNew() const { return !memory.has_value(); }
};
