#include "study/StudyPools.h"

#include <algorithm>

namespace {

template <typename T> void insertSorted(std::vector<T>& into, T value)
{
    into.insert(std::lower_bound(into.begin(), into.end(), value), value);
}

template <typename T> void eraseSorted(std::vector<T>& from, T value)
{
    const auto at = std::lower_bound(from.begin(), from.end(), value);
    if (at != from.end() && *at == value)
        from.erase(at);
}

} // namespace

StudyPools::StudyPools(const WordStateView& states, const QHash<int, QStringList>& lists,
                       const WordPlaces& positions, qsizetype room)
    : states_(states), lists_(lists), positions_(positions), room_(room)
{}

void StudyPools::advance(const QDateTime& now)
{
    if (!built_ || states_.statesRevision() != revision_ || now < now_) {
        rebuild(now);
        return;
    }
    now_ = now;
    nowMs_ = ReviewOrder::msOf(now);
    if (MemoryPolicy::studyDay(now) != tally_.day()) {
        tally_ = DayPaceTally(now);
        for (const Entry& e : entries_)
            if (e.placed)
                tally_.add(e.state);
        for (const WordMemory& m : std::as_const(elsewhere_))
            tally_.addElsewhere(m);
    }
    for (Length& length : lengths_)
        fallDue(length);
}

void StudyPools::rebuild(const QDateTime& now)
{
    const QHash<QString, WordMemory>& all = states_.words(); // read first: it may load them
    revision_ = states_.statesRevision();
    built_ = true;
    now_ = now;
    nowMs_ = ReviewOrder::msOf(now);
    entries_.clear();
    entries_.reserve(std::size_t(all.size() + room_));
    lengths_.clear();
    for (auto it = lists_.cbegin(); it != lists_.cend(); ++it)
        lengths_[it.key()].entryAt.assign(std::size_t(it->size()), -1);
    lastReviews_.clear();
    reviewsAfterMs_ = ReviewOrder::msOf(now.addDays(-1));
    elsewhere_.clear();
    tally_ = DayPaceTally(now);
    for (const WordMemory& m : all)
        add(m, false);
    for (Length& length : lengths_) {
        for (std::size_t at = 0; at < length.entryAt.size(); ++at) {
            if (length.entryAt[at] >= 0)
                length.graded.push_back(qsizetype(at));
        }
    }
    std::sort(lastReviews_.begin(), lastReviews_.end());
}

void StudyPools::update(const QStringList& words)
{
    // One answer, or its taking back, moves the revision on by one; more is someone else's
    // change, and the states are read in full at the next advance().
    if (!built_ || states_.statesRevision() != revision_ + 1)
        return;
    revision_ = states_.statesRevision();
    for (const QString& word : words) {
        remove(word);
        if (const WordMemory* m = states_.find(word))
            add(*m, true);
    }
}

// inOrder: keeps the sorted lists sorted; else they are sorted once all are in.
void StudyPools::add(const WordMemory& m, bool inOrder)
{
    const auto length = lengths_.find(int(m.word.size()));
    if (length == lengths_.end()) {
        if (tally_.addElsewhere(m))
            elsewhere_.insert(m.word, m);
        return;
    }
    const qsizetype at = positions_.placeOf(m.word);
    if (at < 0) {
        if (m.isDecoy())
            length->decoys.insert(m.word);
        return;
    }
    if (m.isNew())
        return;
    qint32& index = length->entryAt[std::size_t(at)];
    if (index < 0) {
        if (entries_.size() == entries_.capacity()) {
            built_ = false; // no room left that keeps the pools' pointers: read all again
            return;
        }
        index = qint32(entries_.size());
        entries_.emplace_back();
    }
    Entry& e = entries_[std::size_t(index)];
    e.placed = true;
    e.state = m;
    e.key = ReviewOrder::keyOf(e.state);
    const qint64 last = e.key.lastReview;
    if (inOrder) {
        insertSorted(length->graded, at);
        if (last > reviewsAfterMs_)
            insertSorted(lastReviews_, last);
    } else if (last > reviewsAfterMs_) {
        lastReviews_.push_back(last);
    }
    length->known += states_.policy().isKnown(m) ? 1 : 0;
    tally_.add(m);
    place(*length, e, kindOf(e));
}

void StudyPools::remove(const QString& word)
{
    const auto length = lengths_.find(int(word.size()));
    if (length == lengths_.end()) {
        if (const auto it = elsewhere_.constFind(word); it != elsewhere_.constEnd()) {
            tally_.addElsewhere(*it, -1);
            elsewhere_.erase(it);
        }
        return;
    }
    length->decoys.erase(word);
    const qsizetype at = positions_.placeOf(word);
    if (at < 0)
        return;
    const qint32 index = length->entryAt[std::size_t(at)];
    if (index < 0 || !entries_[std::size_t(index)].placed)
        return;
    Entry& e = entries_[std::size_t(index)];
    e.placed = false; // its place is kept for the word
    unplace(*length, e);
    eraseSorted(length->graded, at);
    if (e.key.lastReview > reviewsAfterMs_)
        eraseSorted(lastReviews_, e.key.lastReview);
    length->known -= states_.policy().isKnown(e.state) ? 1 : 0;
    tally_.add(e.state, -1);
}

void StudyPools::place(Length& length, Entry& e, Kind kind)
{
    std::vector<Entry*>& pool = length.pools[kind];
    e.kind = kind;
    e.slot = qsizetype(pool.size());
    pool.push_back(&e);
    if (kind == Ahead)
        length.nextDueMs = std::min(length.nextDueMs, e.key.due);
}

void StudyPools::unplace(Length& length, Entry& e)
{
    std::vector<Entry*>& pool = length.pools[e.kind];
    Entry* moved = pool.back();
    pool[std::size_t(e.slot)] = moved;
    moved->slot = e.slot;
    pool.pop_back();
}

StudyPools::Kind StudyPools::kindOf(const Entry& e) const
{
    if (e.key.due > nowMs_)
        return Ahead;
    if (e.state.missedLast && e.state.valid)
        return Missed;
    return states_.policy().isGraduated(e.state) ? Review : Learning;
}

// Moves the words fallen due by now out of Ahead; the first due of those left is noted, so that
// nothing is looked at again until then.
void StudyPools::fallDue(Length& length)
{
    if (length.nextDueMs > nowMs_)
        return;
    std::vector<Entry*>& ahead = length.pools[Ahead];
    qint64 next = std::numeric_limits<qint64>::max();
    for (std::size_t i = 0; i < ahead.size();) {
        Entry* e = ahead[i];
        if (e->key.due > nowMs_) {
            next = std::min(next, e->key.due);
            ++i;
            continue;
        }
        unplace(length, *e); // the last one comes to i
        place(length, *e, kindOf(*e));
    }
    length.nextDueMs = next;
}

qsizetype StudyPools::count(int length, Kind kind) const
{
    const auto it = lengths_.constFind(length);
    return it == lengths_.constEnd() ? 0 : qsizetype(it->pools[kind].size());
}

qsizetype StudyPools::dueCount() const
{
    qsizetype due = 0;
    for (const Length& length : lengths_)
        due += qsizetype(length.pools[Missed].size() + length.pools[Learning].size() +
                         length.pools[Review].size());
    return due;
}

qsizetype StudyPools::answeredLastDay() const
{
    const auto dayAgo = std::upper_bound(lastReviews_.cbegin(), lastReviews_.cend(),
                                         ReviewOrder::msOf(now_.addDays(-1)));
    return lastReviews_.cend() - dayAgo;
}

ReviewOrder StudyPools::order() const
{
    return ReviewOrder(states_.policy(), now_, dueCount(), answeredLastDay());
}

// Recall falls as the time since the last answer grows against the stability, so the words are
// first ranked by that ratio, and only the first few get their recall worked out and the final
// order. Words with the same ratio have the same recall; Slack more than the count leaves room
// for the rare ratios that differ while their recalls round alike.
QList<const WordMemory*> StudyPools::faded(int length, qsizetype count, double* lowestRecall) const
{
    constexpr qsizetype Slack = 16;
    struct Faded
    {
        double ratio;
        const WordMemory* m;
    };
    std::vector<Faded> all;
    if (const auto it = lengths_.constFind(length); it != lengths_.constEnd()) {
        all.reserve(it->pools[Ahead].size());
        for (const Entry* e : it->pools[Ahead]) {
            const double s =
                std::clamp(e->state.memory->stability, Fsrs::MinStability, Fsrs::MaxStability);
            const qint64 since = std::max<qint64>(0, nowMs_ - e->key.lastReview);
            all.push_back({double(since) / s, &e->state});
        }
    }
    const auto first = all.begin() + std::min<qsizetype>(qsizetype(all.size()), count + Slack);
    std::partial_sort(all.begin(), first, all.end(), [](const Faded& a, const Faded& b) {
        return a.ratio != b.ratio ? a.ratio > b.ratio : a.m->word < b.m->word;
    });
    QList<std::pair<double, const WordMemory*>> ranked;
    for (auto it = all.begin(); it != first; ++it)
        ranked.append({states_.policy().recall(*it->m, now_), it->m});
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second->word < b.second->word;
    });
    if (lowestRecall)
        *lowestRecall = ranked.isEmpty() ? 1.0 : ranked.first().first;
    QList<const WordMemory*> words;
    for (qsizetype i = 0; i < std::min(count, ranked.size()); ++i)
        words.append(ranked[i].second);
    return words;
}

const std::vector<qsizetype>& StudyPools::graded(int length) const
{
    static const std::vector<qsizetype> none;
    const auto it = lengths_.constFind(length);
    return it == lengths_.constEnd() ? none : it->graded;
}

int StudyPools::known(int length) const
{
    const auto it = lengths_.constFind(length);
    return it == lengths_.constEnd() ? 0 : it->known;
}

QStringList StudyPools::decoys(int length) const
{
    QStringList words;
    if (const auto it = lengths_.constFind(length); it != lengths_.constEnd())
        for (const QString& word : it->decoys)
            words.append(word);
    return words;
}
