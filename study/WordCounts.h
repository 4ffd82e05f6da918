#pragma once

#include "study/MemoryPolicy.h"

#include <QHash>
#include <QString>
#include <QStringList>

// How far the player has come with the words of one length: never answered (new), seen but not
// yet known (learning), and known (see MemoryPolicy::isKnown). The one count behind the progress
// window, the study drill's figures and lexitor-drill's STATS.
struct LengthCounts
{
    int length = 0;
    int newWords = 0;
    int learning = 0;
    int known = 0;

    int seen() const { return learning + known; }
};

// Counts the words of one length's list by the states the history derived for them.
LengthCounts countWords(int length, const QStringList& words,
                        const QHash<QString, WordMemory>& states, const MemoryPolicy& policy);
