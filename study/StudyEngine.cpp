#include "study/StudyEngine.h"

#include "base/ErrorReporting.h"
#include "base/Random.h"
#include "study/NewWordPace.h"
#include "study/ReviewOrder.h"
#include "study/WordCounts.h"
#include "words/NonWordRules.h"
#include "words/WordSchema.h"
#include "words/WordStore.h"

#include <algorithm>
#include <limits>
#include <utility>

StudyEngine::StudyEngine(const WordStore& store, History& history, const WallClock& clock,
                         RandomSource& random, StudySettings settings)
    : store_(store), history_(history), clock_(clock), random_(random),
      settings_(std::move(settings))
{
    for (int length : settings_.lengths) {
        if (!WordSchema::isWordLength(length) || words_.contains(length))
            continue;
        const QStringList list = store_.words(length);
        words_.insert(length, list);
        for (qsizetype i = 0; i < list.size(); ++i) {
            wordSet_.insert(list[i]);
            position_.insert(list[i], i);
        }
    }
    settings_.lengths.clear();
    for (auto it = words_.cbegin(); it != words_.cend(); ++it)
        (it.value().isEmpty() ? emptyLengths_ : settings_.lengths).append(it.key());
    std::sort(settings_.lengths.begin(), settings_.lengths.end());
    std::sort(emptyLengths_.begin(), emptyLengths_.end());
}

// A random string of the given length that is not a word, by the written tests' letter rules,
// except that two alike letters are dropped together and both drawn again: seeded draws stay as
// they have always been.
QString StudyEngine::nonWord(int length, const QStringList& avoid)
{
    const auto taken = [&](const QString& word) {
        return wordSet_.contains(word) || avoid.contains(word);
    };
    if (auto word = DrawNonWord(length, random_, taken, AlikePair::RedrawBoth))
        return *word;
    throw AppError(QStringLiteral("No %1-letter non-word can be made").arg(length));
}

QString StudyEngine::randomWord(int length)
{
    const QStringList& list = words_.value(length);
    return list.at(RandomBetween(random_, 0, qint16(std::min<qsizetype>(list.size(), 32767) - 1)));
}

// The words the feedback showed lately (see HoldBackQuestions); none in uniform mode.
QStringList StudyEngine::heldBack() const
{
    QStringList held;
    if (settings_.mode != StudySettings::Mode::Study)
        return held;
    const QDateTime since = clock_.nowUtc().addSecs(-60 * HoldBackMinutes);
    for (const auto& [at, shown] : revealed_)
        if (at > since)
            held += shown;
    return held;
}

// The non-words of a question: decoys the player once took for words first, in random order,
// then fresh ones: phonies in study mode, random strings like the written tests' in uniform mode.
// A decoy the feedback has just shown waits: ruled out from memory of that line, it would prove
// nothing, and counting it as seen through would retire it unlearnt.
QStringList StudyEngine::nonWords(int length, int count, const QStringList& avoid)
{
    const QStringList held = heldBack();
    QStringList decoys;
    for (const WordMemory& m : history_.words())
        if (m.isDecoy() && m.word.size() == length && !wordSet_.contains(m.word) &&
            !held.contains(m.word))
            decoys.append(m.word);
    std::sort(decoys.begin(), decoys.end());
    QStringList chosen;
    while (chosen.size() < count && !decoys.isEmpty())
        chosen.append(decoys.takeAt(RandomBetween(random_, 0, qint16(decoys.size() - 1))));
    if (settings_.mode == StudySettings::Mode::Study && chosen.size() < count)
        return chosen + phonies_.make(length, int(count - chosen.size()), avoid + chosen, random_);
    while (chosen.size() < count)
        chosen.append(nonWord(length, avoid + chosen));
    return chosen;
}

StudyQuestion StudyEngine::assemble(bool validKind, int length, const QStringList& answers,
                                    const QStringList& others)
{
    StudyQuestion q;
    q.validKind = validKind;
    q.length = length;
    q.rightIndex = RandomBetween(random_, 0, 3);
    // validKind: one word among three non-words; otherwise one non-word among three words.
    QStringList fill = others;
    for (int i = 0; i < 4; ++i)
        q.candidates.append(i == q.rightIndex ? answers.value(0) : fill.takeFirst());
    return q;
}

int StudyEngine::newLeftToday() const
{
    const DayPace pace = dayPace(history_.words(), wordSet_, clock_.nowUtc());
    const int allowance =
        pace.seenBefore ? settings_.newPerDay : settings_.newPerDay * FirstDayPace;
    return std::max(0, allowance - pace.introduced);
}

std::optional<StudyQuestion> StudyEngine::uniform()
{
    const bool valid = RandomBetween(random_, 0, 1) == 0;
    const int length =
        settings_.lengths.at(RandomBetween(random_, 0, qint16(settings_.lengths.size() - 1)));
    if (valid) {
        const QString word = randomWord(length);
        return assemble(true, length, {word}, nonWords(length, 3, {}));
    }
    QStringList words;
    for (int i = 0; i < 3; ++i)
        words.append(randomWord(length));
    return assemble(false, length, nonWords(length, 1, words), words);
}

QHash<int, StudyEngine::Pools> StudyEngine::pools(const QDateTime& now) const
{
    const MemoryPolicy& policy = history_.policy();
    const QHash<QString, WordMemory>& all = history_.words();
    QHash<int, Pools> pools;
    QHash<int, std::vector<qsizetype>> graded; // positions in each length's list
    qsizetype due = 0;
    qsizetype answeredLastDay = 0;
    const QDateTime dayAgo = now.addDays(-1);
    for (int length : std::as_const(settings_.lengths))
        pools[length];
    // The graded words of the lists, from the history (the fresh ones are the rest of each list).
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const auto at = position_.constFind(it.key());
        const auto p = pools.find(int(it.key().size()));
        if (at == position_.constEnd() || p == pools.end() || it->isNew())
            continue;
        graded[p.key()].push_back(*at);
        answeredLastDay += it->lastReview > dayAgo ? 1 : 0;
        if (it->due > now) {
            p->ahead.append(&*it);
            continue;
        }
        ++due;
        if (it->missedLast && it->valid)
            p->missed.append(&*it);
        else if (policy.isGraduated(*it))
            p->review.append(&*it);
        else
            p->learning.append(&*it);
    }
    const ReviewOrder order(policy, now, due, answeredLastDay);
    for (int length : std::as_const(settings_.lengths)) {
        Pools& p = pools[length];
        p.fresh = FreshWords(&*words_.constFind(length), std::move(graded[length]));
        order.sort(p.missed);
        order.sort(p.learning);
        order.sort(p.review);
        QList<std::pair<double, const WordMemory*>> faded;
        for (const WordMemory* m : std::as_const(p.ahead))
            faded.append({policy.recall(*m, now), m});
        std::sort(faded.begin(), faded.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : a.second->word < b.second->word;
        });
        p.ahead.clear();
        p.lowestRecall = faded.isEmpty() ? 1.0 : faded.first().first;
        for (const auto& f : std::as_const(faded))
            p.ahead.append(f.second);
    }
    return pools;
}

// A length with new words, each as likely as its share of them; 0 when none has any.
int StudyEngine::lengthWithNewWords(const QHash<int, Pools>& pools)
{
    qsizetype freshCount = 0;
    for (int l : std::as_const(settings_.lengths))
        freshCount += pools.value(l).fresh.size();
    if (freshCount == 0)
        return 0;
    qsizetype pick = RandomBetween(random_, 0, qint16(std::min<qsizetype>(freshCount, 32767) - 1));
    for (int l : std::as_const(settings_.lengths)) {
        if (pick < pools.value(l).fresh.size())
            return l;
        pick -= pools.value(l).fresh.size();
    }
    return 0;
}

// The length with the most missed words due, then the most words due; else, at the day's pace,
// one with new words; else, when practising, one with new words beyond the day's pace if the
// player holds today's words (DayPace::takesMore) or nothing seen has faded at all; else the
// length whose seen words have faded most.
int StudyEngine::chooseLength(const QHash<int, Pools>& pools, int& newLeft, bool practice,
                              bool& freshOnly)
{
    const bool missedDue = std::any_of(pools.cbegin(), pools.cend(),
                                       [](const Pools& p) { return !p.missed.isEmpty(); });
    if (newTurn_ && !missedDue && newLeft > 0 && !history_.policy().leitner) {
        const int fresh = lengthWithNewWords(pools);
        if (fresh) {
            freshOnly = true;
            return fresh;
        }
    }
    int length = 0;
    std::pair<qsizetype, qsizetype> mostDue{0, 0};
    for (int l : std::as_const(settings_.lengths)) {
        const Pools& p = pools[l];
        const std::pair<qsizetype, qsizetype> due{
            p.missed.size(), p.missed.size() + p.learning.size() + p.review.size()};
        if (due.second > 0 && due > mostDue) {
            mostDue = due;
            length = l;
        }
    }
    if (!length && newLeft > 0)
        length = lengthWithNewWords(pools);
    if (length || !practice)
        return length;
    double lowest = 1.0; // a word answered this very moment has not faded
    int faded = 0;
    for (int l : std::as_const(settings_.lengths))
        if (pools[l].lowestRecall < lowest) {
            lowest = pools[l].lowestRecall;
            faded = l;
        }
    if (!faded ||
        dayPace(history_.words(), wordSet_, clock_.nowUtc()).takesMore(history_.policy(), lowest)) {
        const int fresh = lengthWithNewWords(pools);
        if (fresh) {
            newLeft = std::numeric_limits<int>::max();
            return fresh;
        }
    }
    return faded;
}

std::optional<StudyQuestion> StudyEngine::build(bool practice)
{
    if (settings_.lengths.isEmpty())
        return std::nullopt;
    if (settings_.mode == StudySettings::Mode::Uniform)
        return uniform();

    QHash<int, Pools> all = pools(clock_.nowUtc());
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
    Pools& p = all[length];
    if (freshOnly) {
        p.missed.clear();
        p.learning.clear();
        p.review.clear();
    }
    // A word the feedback has just shown waits its turn (see HoldBackQuestions).
    const QStringList held = heldBack();
    const auto missed = std::find_if(p.missed.cbegin(), p.missed.cend(), [&](const WordMemory* m) {
        return m->lapses >= AloneAfterMisses && !held.contains(m->word);
    });
    if (missed != p.missed.cend())
        return assemble(true, length, {(*missed)->word}, nonWords(length, 3, {}));
    QStringList chosen;
    QStringList waiting;
    auto offer = [&](const WordMemory* m) {
        if (held.contains(m->word))
            waiting.append(m->word);
        else if (chosen.size() < 3)
            chosen.append(m->word);
    };
    for (const QList<const WordMemory*>* pool : {&p.missed, &p.learning, &p.review})
        for (const WordMemory* m : *pool)
            offer(m);
    while (chosen.size() < 3 && newLeft > 0 && !p.fresh.isEmpty()) {
        chosen.append(p.fresh.takeAt(
            RandomBetween(random_, 0, qint16(std::min<qsizetype>(p.fresh.size(), 32767) - 1))));
        --newLeft;
    }
    for (const WordMemory* m : std::as_const(p.ahead))
        offer(m);
    while (chosen.size() < 3 && !waiting.isEmpty())
        chosen.append(waiting.takeFirst());
    if (chosen.isEmpty())
        return std::nullopt;
    if (chosen.size() < 3)
        return assemble(true, length, {chosen.first()}, nonWords(length, 3, {}));
    // The non-word is the answer here: none the feedback just showed.
    return assemble(false, length, nonWords(length, 1, chosen + held), chosen);
}

// Between questions: takes up the weights and states the history's background work finished,
// and asks for the day's fit (the history runs it at most once a day). Never before the first
// question of a session, so that its first count of due words is the one shown before it.
void StudyEngine::calibrateOncePerDay()
{
    if (settings_.mode != StudySettings::Mode::Study)
        return;
    const QDate today = MemoryPolicy::studyDay(clock_.nowUtc());
    if (!settings_.backgroundFits) {
        history_.recalibrate(today);
        return;
    }
    if (asked_)
        history_.takeUpBackgroundWork();
    asked_ = true;
    history_.recalibrateInBackground(today);
}

// Before a new question: the last answer stays for good, and its feedback joins those held back.
void StudyEngine::moveOn()
{
    answered_.reset();
    while (revealed_.size() > HoldBackQuestions)
        revealed_.removeFirst();
    calibrateOncePerDay();
}

std::optional<StudyQuestion> StudyEngine::next()
{
    moveOn();
    current_ = build(false);
    shownAt_ = clock_.nowUtc();
    return current_;
}

StudyQuestion StudyEngine::nextPractice()
{
    moveOn();
    current_ = build(false);
    if (!current_)
        current_ = build(true);
    shownAt_ = clock_.nowUtc();
    return current_.value_or(StudyQuestion());
}

StudyOutcome StudyEngine::answer(int chosenIndex)
{
    StudyOutcome outcome;
    if (!current_)
        return outcome;
    const StudyQuestion q = *current_;
    answered_ = std::exchange(current_, std::nullopt);
    outcome.rightIndex = q.rightIndex;
    outcome.right = chosenIndex == q.rightIndex;
    outcome.rightWord = q.candidates.value(q.rightIndex);

    AnswerRecord record;
    record.at = clock_.nowUtc();
    record.testKind = QStringLiteral("study");
    record.validKind = q.validKind;
    record.length = q.length;
    record.candidates = q.candidates;
    record.rightIndex = q.rightIndex;
    record.chosenIndex = chosenIndex;
    record.responseMs = std::max<qint64>(0, shownAt_.msecsTo(record.at));
    history_.record(record);
    revealed_.append({record.at, {outcome.rightWord, q.candidates.value(chosenIndex)}});
    return outcome;
}

std::optional<StudyQuestion> StudyEngine::takeBack()
{
    if (!answered_ || !history_.takeBack(clock_.nowUtc()))
        return std::nullopt;
    revealed_.removeLast();
    current_ = std::exchange(answered_, std::nullopt);
    shownAt_ = clock_.nowUtc();
    return current_;
}

StudyStats StudyEngine::stats() const
{
    const QDateTime now = clock_.nowUtc();
    const QHash<QString, WordMemory>& all = history_.words();
    StudyStats s;
    for (int length : settings_.lengths) {
        const LengthCounts counts =
            countWords(length, words_.value(length), all, history_.policy());
        s.seen += counts.seen();
        s.learned += counts.known;
    }
    for (const WordMemory& m : all)
        if (!m.isNew() && wordSet_.contains(m.word) && m.due <= now)
            ++s.due;
    if (settings_.mode == StudySettings::Mode::Study) {
        const int unseen = int(wordSet_.size()) - s.seen;
        s.newLeftToday = std::min(newLeftToday(), unseen);
    }
    return s;
}

int StudyEngine::dueNow() const
{
    return stats().due;
}

QDateTime StudyEngine::nextReviewAfterSession() const
{
    QDateTime first;
    for (const WordMemory& m : history_.words())
        if (!m.isNew() && m.valid && wordSet_.contains(m.word) && m.due.isValid() &&
            (!first.isValid() || m.due < first))
            first = m.due;
    return first;
}
