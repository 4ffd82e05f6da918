#include "study/StudyEngine.h"

#include "base/Random.h"
#include "words/NonWordRules.h"
#include "words/WordSchema.h"
#include "words/WordStore.h"

#include <algorithm>
#include <utility>

StudyEngine::StudyEngine(const WordStore& store, StudyHistory& history, const WallClock& clock,
                         RandomSource& random, StudySettings settings)
    : StudyEngine(store, history, history, clock, random, std::move(settings))
{}

StudyEngine::StudyEngine(const WordStore& store, const WordStateView& states, AnswerLog& answers,
                         const WallClock& clock, RandomSource& random, StudySettings settings)
    : store_(store), states_(states), log_(answers), clock_(clock), random_(random),
      settings_(std::move(settings))
{
    for (int length : settings_.lengths)
        if (WordSchema::isWordLength(length) && !words_.contains(length))
            words_.insert(length, store_.words(length));
    position_ = WordPlaces(words_);
    settings_.lengths.clear();
    for (auto it = words_.cbegin(); it != words_.cend(); ++it) {
        if (it.value().isEmpty())
            emptyLengths_.append(it.key());
        else if (!phonies_.canMake(it.key(), NonWordsAQuestion))
            fullLengths_.append(it.key());
        else
            settings_.lengths.append(it.key());
    }
    std::sort(settings_.lengths.begin(), settings_.lengths.end());
    std::sort(emptyLengths_.begin(), emptyLengths_.end());
    std::sort(fullLengths_.begin(), fullLengths_.end());
}

// A random string of the given length that is not a word, by the written tests' letter rules,
// except that two alike letters are dropped together and both drawn again: seeded draws stay as
// they have always been. A list that takes nearly every string those rules allow (every
// three-letter string with a vowel, say) leaves the draw nothing to find: a phony stands in, as
// the length was kept only if it has non-words enough.
QString StudyEngine::nonWord(int length, const QStringList& avoid)
{
    const auto taken = [&](const QString& word) {
        return position_.contains(word) || avoid.contains(word);
    };
    if (auto word = DrawNonWord(length, random_, taken, AlikePair::RedrawBoth))
        return *word;
    return phonies_.make(length, 1, avoid, random_).constFirst();
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
    QStringList decoys = pools_.decoys(length);
    decoys.removeIf([&](const QString& word) { return held.contains(word); });
    QStringList chosen;
    while (chosen.size() < count && !decoys.isEmpty())
        chosen.append(decoys.takeAt(RandomBetween(random_, 0, qint16(decoys.size() - 1))));
    if (settings_.mode == StudySettings::Mode::Study && chosen.size() < count) {
        if (!std::exchange(phoniesRemembered_, true))
            phonies_.remember(log_.recentNonWords());
        return chosen + phonies_.make(length, int(count - chosen.size()), avoid + chosen, random_);
    }
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

std::optional<StudyQuestion> StudyEngine::uniform()
{
    pools_.advance(clock_.nowUtc()); // for the decoys
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

void StudyEngine::focusOn(const QStringList& words)
{
    QStringList listed;
    for (const QString& word : words)
        if (position_.contains(word) && settings_.lengths.contains(int(word.size())))
            listed.append(word);
    focus_.emplace(listed);
}

std::optional<int> StudyEngine::focusLeft() const
{
    return focus_ ? std::optional<int>(focus_->left()) : std::nullopt;
}

std::optional<StudyQuestion> StudyEngine::focused()
{
    const QStringList words = focus_->take();
    if (words.isEmpty())
        return std::nullopt;
    const int length = int(words.first().size());
    if (words.size() < 3)
        return assemble(true, length, words, nonWords(length, 3, {}));
    return assemble(false, length, nonWords(length, 1, words), words);
}

// Between questions: takes up the weights and states the history's background work finished,
// and asks for the day's fit (the history runs it at most once a day). Never before the first
// question of a session, so that its first count of due words is the one shown before it.
void StudyEngine::calibrateOncePerDay()
{
    if (settings_.mode != StudySettings::Mode::Study)
        return;
    if (settings_.autoPace && !states_.policy().leitner)
        log_.askPace(clock_.nowUtc());
    log_.betweenQuestions(MemoryPolicy::studyDay(clock_.nowUtc()), !asked_,
                          !settings_.backgroundFits);
    asked_ = true;
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
    if (!q.validKind)
        outcome.leastKnown = leastKnown(q);

    AnswerRecord record;
    record.at = clock_.nowUtc();
    record.testKind = QStringLiteral("study");
    record.validKind = q.validKind;
    record.length = q.length;
    record.candidates = q.candidates;
    record.rightIndex = q.rightIndex;
    record.chosenIndex = chosenIndex;
    record.responseMs = std::max<qint64>(0, shownAt_.msecsTo(record.at));
    log_.record(record);
    pools_.update(MemoryPolicy::touchedWords(record));
    revealed_.append({record.at, {outcome.rightWord, q.candidates.value(chosenIndex)}});
    return outcome;
}

QString StudyEngine::leastKnown(const StudyQuestion& q) const
{
    const QDateTime now = clock_.nowUtc();
    QString least;
    double lowest = 2.0;
    for (qsizetype i = 0; i < q.candidates.size(); ++i) {
        if (i == q.rightIndex)
            continue;
        const WordMemory* m = states_.find(q.candidates[i]);
        const double recall = m ? states_.policy().recall(*m, now) : 0.0;
        if (recall < lowest) {
            lowest = recall;
            least = q.candidates[i];
        }
    }
    return least;
}

std::optional<StudyQuestion> StudyEngine::takeBack()
{
    if (!answered_ || !log_.takeBack(clock_.nowUtc()))
        return std::nullopt;
    pools_.update(answered_->candidates);
    revealed_.removeLast();
    current_ = std::exchange(answered_, std::nullopt);
    shownAt_ = clock_.nowUtc();
    return current_;
}

StudyStats StudyEngine::stats() const
{
    pools_.advance(clock_.nowUtc());
    StudyStats s;
    for (int length : settings_.lengths) {
        s.seen += int(pools_.graded(length).size());
        s.learned += pools_.known(length);
    }
    s.due = int(pools_.dueCount());
    if (settings_.mode == StudySettings::Mode::Study) {
        const int unseen = int(position_.size()) - s.seen;
        s.newLeftToday = std::min(newLeftToday(), unseen);
        s.pace = autoFigure();
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
    for (const WordMemory& m : states_.words())
        if (!m.isNew() && m.valid && position_.contains(m.word) && m.due.isValid() &&
            (!first.isValid() || m.due < first))
            first = m.due;
    return first;
}
