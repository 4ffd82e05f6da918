#include "study/WordCounts.h"

LengthCounts countWords(int length, const QStringList& words,
                        const QHash<QString, WordMemory>& states, const MemoryPolicy& policy)
{
    LengthCounts counts;
    counts.length = length;
    for (const QString& word : words) {
        const auto it = states.constFind(word);
        if (it == states.constEnd() || it->isNew())
            ++counts.newWords;
        else if (policy.isKnown(*it))
            ++counts.known;
        else
            ++counts.learning;
    }
    return counts;
}
