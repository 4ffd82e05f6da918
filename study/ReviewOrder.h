#pragma once

#include "study/MemoryPolicy.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The order in which the due words of one length are asked: the one due first, and of those due
// the same day, the one answered longest ago, so that a player a little behind goes round them
// all instead of the same ones each day.
//
// A player behind (more words due than BehindDays of their answering) cannot go round them all:
// a word then comes back only after its recall has gone, and every answer is a lapse. The words
// first met in the last YoungWordDays come first then, newest first: those need their early
// reviews most and are still held, and the older words wait until the player catches up.
// Measured on simulated learners over 60 days (two- and three-letter words, six seeds), a
// learner who forgets fast holds about a third more words by day 60 this way. Calling a player
// behind at half a day's answering rather than two days' kept 3.0 points more of the list for
// the fast forgetter, 1.9 for the average learner and for the one whose eye for fakes ignores
// their look, 1.4 for the slow learner. A learner far ahead (the quick one) is never behind and
// saw no change. The average learner is behind by this line at the start of nearly every day
// from its second week (300 to 800 words due): the young words come first then too, as a day's
// wait costs their recall most.
class ReviewOrder
{
public:
    static constexpr double BehindDays = 0.5;
    static constexpr int YoungWordDays = 14;
    // A player back after a break has answered nothing lately: count at least this many a day.
    static constexpr qsizetype LeastWordsADay = 50;

    // due: the words due now; answeredLastDay: the words answered in the last 24 hours. The
    // Leitner baseline keeps its plain order: by due day, then alphabetical.
    ReviewOrder(const MemoryPolicy& policy, const QDateTime& now, qsizetype due,
                qsizetype answeredLastDay);

    void sort(QList<const WordMemory*>& words) const;

    // What the order looks at of a word, its moments in milliseconds: quicker to compare than
    // dates, for pools of tens of thousands.
    struct Key
    {
        qint64 due = 0;
        qint64 lastReview = 0;
        qint64 firstReview = 0;
        const QString* word = nullptr;
    };
    static Key keyOf(const WordMemory& m);
    // Milliseconds since the epoch; an invalid moment before every valid one, as QDateTime has it.
    static qint64 msOf(const QDateTime& at);
    bool before(const Key& a, const Key& b) const
    {
        if (behind_) {
            const bool youngA = a.firstReview >= youngSince_;
            const bool youngB = b.firstReview >= youngSince_;
            if (youngA != youngB)
                return youngA;
            if (youngA && a.firstReview != b.firstReview)
                return a.firstReview > b.firstReview;
        }
        if (a.due != b.due)
            return a.due < b.due;
        if (byLastReview_ && a.lastReview != b.lastReview)
            return a.lastReview < b.lastReview;
        return *a.word < *b.word;
    }

private:
    bool byLastReview_;
    bool behind_;
    qint64 youngSince_;
};
