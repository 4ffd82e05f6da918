#include "study/ReviewOrder.h"

#include <algorithm>

ReviewOrder::ReviewOrder(const MemoryPolicy& policy, const QDateTime& now, qsizetype due,
                         qsizetype answeredLastDay)
    : byLastReview_(!policy.leitner),
      behind_(!policy.leitner && due > BehindDays * std::max(answeredLastDay, LeastWordsADay)),
      youngSince_(now.addDays(-YoungWordDays))
{}

bool ReviewOrder::before(const WordMemory* a, const WordMemory* b) const
{
    if (behind_) {
        const bool youngA = a->firstReview >= youngSince_;
        const bool youngB = b->firstReview >= youngSince_;
        if (youngA != youngB)
            return youngA;
        if (youngA && a->firstReview != b->firstReview)
            return a->firstReview > b->firstReview;
    }
    if (a->due != b->due)
        return a->due < b->due;
    if (byLastReview_ && a->lastReview != b->lastReview)
        return a->lastReview < b->lastReview;
    return a->word < b->word;
}

void ReviewOrder::sort(QList<const WordMemory*>& words) const
{
    std::sort(words.begin(), words.end(),
              [this](const WordMemory* a, const WordMemory* b) { return before(a, b); });
}
