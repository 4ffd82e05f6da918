#include "study/ReviewOrder.h"

#include <algorithm>
#include <limits>

ReviewOrder::ReviewOrder(const MemoryPolicy& policy, const QDateTime& now, qsizetype due,
                         qsizetype answeredLastDay)
    : byLastReview_(!policy.leitner),
      behind_(!policy.leitner &&
              double(due) > BehindDays * double(std::max(answeredLastDay, LeastWordsADay))),
      youngSince_(msOf(now.addDays(-YoungWordDays)))
{}

qint64 ReviewOrder::msOf(const QDateTime& at)
{
    return at.isValid() ? at.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

ReviewOrder::Key ReviewOrder::keyOf(const WordMemory& m)
{
    return {msOf(m.due), msOf(m.lastReview), msOf(m.firstReview), &m.word};
}

void ReviewOrder::sort(QList<const WordMemory*>& words) const
{
    std::sort(words.begin(), words.end(), [this](const WordMemory* a, const WordMemory* b) {
        return before(keyOf(*a), keyOf(*b));
    });
}
