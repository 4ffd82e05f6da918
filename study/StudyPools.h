#pragma once

#include "study/NewWordPace.h"
#include "study/ReviewOrder.h"
#include "study/WordPlaces.h"
#include "study/WordStateView.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <vector>

// The graded words of the studied lists sorted into what they need now (missed, learning and
// review words due; the others, not yet due), with the decoys of each length and the day's
// pace. Kept up to date word by word as answers come and are taken back (update()), and as time
// passes (advance()); read in full again only when the states were replaced wholesale (the
// view's revision) or the clock went back. Each word's state is copied in, so that what it was
// can be counted out when it changes.
class StudyPools
{
public:
    enum Kind
    {
        Missed,   // due, and answered wrongly the last time
        Learning, // in their learning steps and due
        Review,   // graduated and due
        Ahead,    // seen and not due
        Kinds
    };

    // Words first graded after the pools were read in that fit without reading them again.
    static constexpr qsizetype DefaultRoom = 1024;

    // lists: the studied lengths' words; positions: their places in them.
    StudyPools(const WordStateView& states, const QHash<int, QStringList>& lists,
               const WordPlaces& positions, qsizetype room = DefaultRoom);

    // Brings the pools to `now`: the words fallen due since move over.
    void advance(const QDateTime& now);
    // Right after an answer or its taking back (the view's revision one on): the words whose
    // states it changed.
    void update(const QStringList& words);

    qsizetype count(int length, Kind kind) const;
    qsizetype dueCount() const;
    // Graded words last answered within the day before now.
    qsizetype answeredLastDay() const;
    // The order of the due words now (see ReviewOrder).
    ReviewOrder order() const;
    // The first `count` words of a kind of due words, in the order they are asked; only those
    // `keep` accepts when given.
    template <typename Keep>
    QList<const WordMemory*> first(int length, Kind kind, qsizetype count, Keep keep) const;
    QList<const WordMemory*> first(int length, Kind kind, qsizetype count) const
    {
        return first(length, kind, count, [](const WordMemory&) { return true; });
    }
    // The first `count` of the words not due, most faded first (lowest recall now, then by
    // word), and the lowest recall (1 when there is none).
    QList<const WordMemory*> faded(int length, qsizetype count, double* lowestRecall) const;

    // Positions in the length's list of its graded words, ascending.
    const std::vector<qsizetype>& graded(int length) const;
    int known(int length) const;
    // Non-words of the length the player took for words and has not yet seen through, sorted.
    QStringList decoys(int length) const;
    DayPace dayPace() const { return tally_.pace(); }

private:
    struct Entry
    {
        WordMemory state;
        ReviewOrder::Key key; // its moments in milliseconds
        Kind kind = Ahead;
        qsizetype slot = 0;  // in its kind's pool
        bool placed = false; // in a pool; false once taken out until it is added again
    };
    struct Length
    {
        std::array<std::vector<Entry*>, Kinds> pools;
        std::vector<qsizetype> graded;
        int known = 0;
        qint64 nextDueMs = std::numeric_limits<qint64>::max(); // at most the first due of Ahead
        std::set<QString> decoys;
        std::vector<qint32> entryAt; // by place in the list: its graded word's entry, or -1
    };

    const WordStateView& states_;
    const QHash<int, QStringList>& lists_;
    const WordPlaces& positions_;
    const qsizetype room_;
    bool built_ = false;
    quint64 revision_ = 0;
    QDateTime now_;
    qint64 nowMs_ = 0;
    // The graded words of the studied lengths. The pools point into it, so it never grows past
    // what was reserved when it was read in: a word graded for the first time once the room_ left
    // is taken has the pools read in full again.
    std::vector<Entry> entries_;
    QHash<int, Length> lengths_;
    // The last answers of the graded words, ascending, of those within a day of when the pools
    // were read in: those before can never count again, as the clock going back reads them anew.
    std::vector<qint64> lastReviews_;
    qint64 reviewsAfterMs_ = 0;
    DayPaceTally tally_;
    // Words of the lengths not studied now that came in today: they count against the pace.
    QHash<QString, WordMemory> elsewhere_;

    void rebuild(const QDateTime& now);
    void add(const WordMemory& m, bool inOrder);
    void remove(const QString& word);
    void place(Length& length, Entry& e, Kind kind);
    void unplace(Length& length, Entry& e);
    Kind kindOf(const Entry& e) const;
    void fallDue(Length& length);
};

template <typename Keep>
QList<const WordMemory*> StudyPools::first(int length, Kind kind, qsizetype count, Keep keep) const
{
    // One pass keeping the first `count` in order: most words lose to the last of them at once.
    std::vector<const Entry*> best;
    const auto it = lengths_.constFind(length);
    if (it != lengths_.constEnd() && count > 0) {
        const ReviewOrder order = this->order();
        const auto before = [&](const Entry* a, const Entry* b) {
            return order.before(a->key, b->key);
        };
        for (const Entry* e : it->pools[kind]) {
            if (qsizetype(best.size()) == count && !before(e, best.back()))
                continue;
            if (!keep(e->state))
                continue;
            best.insert(std::upper_bound(best.begin(), best.end(), e, before), e);
            if (qsizetype(best.size()) > count)
                best.pop_back();
        }
    }
    QList<const WordMemory*> words;
    for (const Entry* e : best)
        words.append(&e->state);
    return words;
}
