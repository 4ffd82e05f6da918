// How the study engine chooses its next question: the length, then the words, then their kind.

#include "study/StudyEngine.h"

#include "base/Random.h"
#include "study/FreshWords.h"
#include "study/NewWordPace.h"

#include <algorithm>
#include <limits>

QHash<int, StudyEngine::Pools> StudyEngine::pools() const
{
    pools_.advance(clock_.nowUtc());
    QHash<int, Pools> all;
    for (int length : std::as_const(settings_.lengths)) {
        Pools& p = all[length];
        p.missedCount = pools_.count(length, StudyPools::Missed);
        p.dueCount = p.missedCount + pools_.count(length, StudyPools::Learning) +
                     pools_.count(length, StudyPools::Review);
        p.freshCount = words_.value(length).size() - qsizetype(pools_.graded(length).size());
    }
    return all;
}

bool StudyEngine::takesNewWords(int length, const QHash<int, Pools>& pools) const
{
    if (pools.value(length).freshCount == 0)
        return false;
    if (settings_.order == StudyOrder::Mixed)
        return true;
    return std::none_of(settings_.lengths.cbegin(), settings_.lengths.cend(),
                        [&](int l) { return l < length && pools.value(l).freshCount > 0; });
}

// A length with new words: the shortest in the shortest-first order, else each as likely as its
// share of them; 0 when none has any.
int StudyEngine::lengthWithNewWords(const QHash<int, Pools>& pools)
{
    if (settings_.order == StudyOrder::Shortest) {
        for (int l : std::as_const(settings_.lengths)) // ascending
            if (pools.value(l).freshCount > 0)
                return l;
        return 0;
    }
    return drawLength(pools, &Pools::freshCount);
}

// A length drawn with a chance in proportion to its count, whatever the sum of the counts; 0
// when every count is 0.
int StudyEngine::drawLength(const QHash<int, Pools>& pools, qsizetype Pools::*count)
{
    qsizetype total = 0;
    for (int l : std::as_const(settings_.lengths))
        total += pools.value(l).*count;
    if (total == 0)
        return 0;
    qsizetype pick = RandomIndex(random_, total);
    for (int l : std::as_const(settings_.lengths)) {
        if (pick < pools.value(l).*count)
            return l;
        pick -= pools.value(l).*count;
    }
    return 0;
}

// A length with words due, drawn in proportion to its missed words due while any length has
// some, else to its words due. (Always taking the length with the most would leave a short
// length waiting for good behind a long one: a learner behind on its three-letter words would
// never see its two-letter words again.) Else, at the day's pace, one with new words; else, when
// practising, one with new words beyond the day's pace if the player holds today's words
// (DayPace::takesMore) or nothing seen has faded at all; else the length whose seen words have
// faded most.
int StudyEngine::chooseLength(const QHash<int, Pools>& pools, int& newLeft, bool practice,
                              bool& freshOnly)
{
    const bool missedDue =
        std::any_of(pools.cbegin(), pools.cend(), [](const Pools& p) { return p.missedCount > 0; });
    if (newTurn_ && !missedDue && newLeft > 0 && !states_.policy().leitner) {
        const int fresh = lengthWithNewWords(pools);
        if (fresh) {
            freshOnly = true;
            return fresh;
        }
    }
    int length = drawLength(pools, missedDue ? &Pools::missedCount : &Pools::dueCount);
    if (!length && newLeft > 0)
        length = lengthWithNewWords(pools);
    if (length || !practice)
        return length;
    double lowest = 1.0; // a word answered this very moment has not faded
    int faded = 0;
    for (int l : std::as_const(settings_.lengths)) {
        double recall = 1.0;
        pools_.faded(l, 0, &recall);
        if (recall < lowest) {
            lowest = recall;
            faded = l;
        }
    }
    if (!faded || pools_.dayPace().takesMore(states_.policy(), lowest)) {
        const int fresh = lengthWithNewWords(pools);
        if (fresh) {
            newLeft = std::numeric_limits<int>::max();
            return fresh;
        }
    }
    return faded;
}

// Up to three words of the length for a question: the missed, learning and review words due,
// in order; then new words while the day's pace allows; then the most faded of the others as
// company. The words the feedback has just shown come last, only to fill the question.
QStringList StudyEngine::chooseWords(int length, const QStringList& held,
                                     const QHash<int, Pools>& all, int newLeft, bool freshOnly)
{
    QStringList chosen;
    QStringList waiting;
    auto offer = [&](const WordMemory* m) {
        if (held.contains(m->word))
            waiting.append(m->word);
        else if (chosen.size() < 3)
            chosen.append(m->word);
    };
    // Missed, learning and review words due, in order, as far as a question may look.
    for (StudyPools::Kind kind : {StudyPools::Missed, StudyPools::Learning, StudyPools::Review})
        for (const WordMemory* m :
             freshOnly ? QList<const WordMemory*>() : pools_.first(length, kind, held.size() + 3))
            offer(m);
    if (chosen.size() < 3 && newLeft > 0 && takesNewWords(length, all)) {
        FreshWords fresh(&*words_.constFind(length), pools_.graded(length));
        while (chosen.size() < 3 && newLeft > 0 && !fresh.isEmpty()) {
            chosen.append(fresh.takeAt(
                RandomBetween(random_, 0, qint16(std::min<qsizetype>(fresh.size(), 32767) - 1))));
            --newLeft;
        }
    }
    // The most faded of the others keep company, when there is room (held ones only wait).
    if (chosen.size() < 3)
        for (const WordMemory* m : pools_.faded(length, held.size() + 3, nullptr))
            offer(m);
    while (chosen.size() < 3 && !waiting.isEmpty())
        chosen.append(waiting.takeFirst());
    return chosen;
}

std::optional<StudyQuestion> StudyEngine::build(bool practice)
{
    if (focus_)
        return focused();
    if (settings_.lengths.isEmpty())
        return std::nullopt;
    if (settings_.mode == StudySettings::Mode::Uniform)
        return uniform();

    // A word the feedback has just shown waits its turn (see HoldBackQuestions): a question
    // passes over at most those and takes three.
    const QStringList held = heldBack();
    const QHash<int, Pools> all = pools();
    int newLeft = newLeftToday();
    bool freshOnly = false;
    const int length = chooseLength(all, newLeft, practice, freshOnly);
    newTurn_ = !freshOnly;
    if (!length)
        return std::nullopt;

    // The kind follows what the words need. A word missed last time and often before
    // (AloneAfterMisses) is asked alone, as the one word to find among three phonies: the player
    // must tell it from its near misses, and a right answer is hard to guess, so it proves the word
    // relearnt. Otherwise three words of that length (missed and due reviews, then new words at the
    // day's pace, then the most faded of the others as company) make a choose-the-invalid question
    // that reviews them all at once; new words come in threes too, as a first sighting teaches the
    // word while its answer proves little either way. Fewer than three: a choose-the-valid question
    // on the first.
    if (!freshOnly) {
        const QList<const WordMemory*> alone =
            pools_.first(length, StudyPools::Missed, 1, [&](const WordMemory& m) {
                return m.lapses >= AloneAfterMisses && !held.contains(m.word);
            });
        if (!alone.isEmpty()) {
            const QString word = alone.first()->word;
            return assemble(true, length, {word}, nonWords(length, 3, {}));
        }
    }
    const QStringList chosen = chooseWords(length, held, all, newLeft, freshOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    if (chosen.size() < 3)
        return assemble(true, length, {chosen.first()}, nonWords(length, 3, {}));
    // The non-word is the answer here: none the feedback just showed.
    return assemble(false, length, nonWords(length, 1, chosen + held), chosen);
}
