#include "StudyEngine.h"

#include "ErrorReporting.h"
#include "Random.h"
#include "WordSchema.h"
#include "WordStore.h"

#include <algorithm>

namespace {

constexpr int MaxNonWordDraws = 10000;

bool containsVowel(const QString& text)
{
    for (QChar vowel : {u'A', u'E', u'I', u'O', u'U'})
        if (text.contains(vowel))
            return true;
    return false;
}

} // namespace

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
        for (const QString& word : list)
            wordSet_.insert(word);
    }
    settings_.lengths.clear();
    for (auto it = words_.cbegin(); it != words_.cend(); ++it)
        if (!it.value().isEmpty())
            settings_.lengths.append(it.key());
    std::sort(settings_.lengths.begin(), settings_.lengths.end());
}

// A random string of the given length that is not a word: two different letters, or three or
// four letters holding a vowel, the same rules as the written tests' wrong answers.
QString StudyEngine::nonWord(int length, const QStringList& avoid)
{
    for (int draw = 0; draw < MaxNonWordDraws; ++draw) {
        QString word;
        for (int i = 0; i < length; ++i)
            word.append(QChar(RandomBetween(random_, 'A', 'Z')));
        if (length == 2 ? word.at(0) == word.at(1) : !containsVowel(word))
            continue;
        if (!wordSet_.contains(word) && !avoid.contains(word))
            return word;
    }
    throw AppError(QStringLiteral("No %1-letter non-word can be made").arg(length));
}

QString StudyEngine::randomWord(int length)
{
    const QStringList& list = words_.value(length);
    return list.at(RandomBetween(random_, 0, qint16(std::min<qsizetype>(list.size(), 32767) - 1)));
}

// The non-words of a question: decoys the player once took for words first, in random order,
// then fresh ones.
QStringList StudyEngine::nonWords(int length, int count, const QStringList& avoid)
{
    QStringList decoys;
    for (const WordMemory& m : history_.words())
        if (m.isDecoy() && m.word.size() == length && !wordSet_.contains(m.word))
            decoys.append(m.word);
    std::sort(decoys.begin(), decoys.end());
    QStringList chosen;
    while (chosen.size() < count && !decoys.isEmpty())
        chosen.append(decoys.takeAt(RandomBetween(random_, 0, qint16(decoys.size() - 1))));
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

int StudyEngine::introducedToday() const
{
    const QDate today = MemoryPolicy::studyDay(clock_.nowUtc());
    int count = 0;
    for (const WordMemory& m : history_.words())
        if (!m.isNew() && m.valid && wordSet_.contains(m.word) &&
            MemoryPolicy::studyDay(m.firstReview) == today)
            ++count;
    return count;
}

std::optional<StudyQuestion> StudyEngine::build(bool practice)
{
    const QDateTime now = clock_.nowUtc();
    if (settings_.lengths.isEmpty())
        return std::nullopt;

    if (settings_.mode == StudySettings::Mode::Uniform) {
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

    const MemoryPolicy& policy = history_.policy();
    const QHash<QString, WordMemory>& all = history_.words();

    // What is due, and what could be reviewed ahead, among the words of the studied lengths.
    const WordMemory* learningDue = nullptr;
    QHash<int, QList<const WordMemory*>> reviewDue;
    QHash<int, QList<const WordMemory*>> graduated;
    QList<const WordMemory*> learningLater;
    QHash<int, QStringList> fresh;
    for (int length : std::as_const(settings_.lengths)) {
        for (const QString& word : words_.value(length)) {
            const auto it = all.constFind(word);
            if (it == all.constEnd() || it->isNew()) {
                fresh[length].append(word);
                continue;
            }
            const WordMemory& m = *it;
            if (!policy.isGraduated(m)) {
                if (m.due <= now) {
                    if (!learningDue || m.due < learningDue->due)
                        learningDue = &m;
                } else {
                    learningLater.append(&m);
                }
            } else if (m.due <= now) {
                reviewDue[length].append(&m);
            } else {
                graduated[length].append(&m);
            }
        }
    }

    // A word still in its learning steps: show it as the one word to find, so the answer
    // teaches it.
    if (learningDue)
        return assemble(true, learningDue->word.size(), {learningDue->word},
                        nonWords(learningDue->word.size(), 3, {}));

    // Words due for review: three at a time in a choose-the-invalid question, topped up with
    // the words of that length that have faded most.
    int bestLength = 0;
    for (auto it = reviewDue.cbegin(); it != reviewDue.cend(); ++it)
        if (!bestLength || it.value().size() > reviewDue.value(bestLength).size() ||
            (it.value().size() == reviewDue.value(bestLength).size() && it.key() < bestLength))
            bestLength = it.key();
    auto byRecall = [&](QList<const WordMemory*>& list) {
        std::sort(list.begin(), list.end(), [&](const WordMemory* a, const WordMemory* b) {
            const double ra = policy.recall(*a, now);
            const double rb = policy.recall(*b, now);
            return ra != rb ? ra < rb : a->word < b->word;
        });
    };
    auto reviewQuestion = [&](int length, QList<const WordMemory*> due) {
        std::sort(due.begin(), due.end(), [](const WordMemory* a, const WordMemory* b) {
            return a->due != b->due ? a->due < b->due : a->word < b->word;
        });
        QList<const WordMemory*> ahead = graduated.value(length);
        byRecall(ahead);
        QStringList words;
        for (const WordMemory* m : std::as_const(due))
            if (words.size() < 3)
                words.append(m->word);
        for (const WordMemory* m : std::as_const(ahead))
            if (words.size() < 3)
                words.append(m->word);
        if (words.size() < 3)
            return assemble(true, length, {words.first()}, nonWords(length, 3, {}));
        return assemble(false, length, nonWords(length, 1, words), words);
    };
    if (bestLength)
        return reviewQuestion(bestLength, reviewDue.value(bestLength));

    // New words at the day's pace (beyond it when the player goes on practising).
    if (practice || introducedToday() < settings_.newPerDay) {
        qsizetype freshCount = 0;
        for (const QStringList& list : std::as_const(fresh))
            freshCount += list.size();
        if (freshCount > 0) {
            int pick =
                RandomBetween(random_, 0, qint16(std::min<qsizetype>(freshCount, 32767) - 1));
            for (int length : std::as_const(settings_.lengths)) {
                const QStringList& list = fresh.value(length);
                if (pick < list.size())
                    return assemble(true, length, {list.at(pick)}, nonWords(length, 3, {}));
                pick -= int(list.size());
            }
        }
    }
    if (!practice)
        return std::nullopt;

    // Practice once everything is new-free and nothing is due: the learning words waiting for
    // their next step, then the graduated words that have faded most.
    if (!learningLater.isEmpty()) {
        const WordMemory* first = *std::min_element(
            learningLater.cbegin(), learningLater.cend(),
            [](const WordMemory* a, const WordMemory* b) { return a->due < b->due; });
        return assemble(true, first->word.size(), {first->word},
                        nonWords(first->word.size(), 3, {}));
    }
    int fadedLength = 0;
    double lowest = 2.0;
    for (auto it = graduated.cbegin(); it != graduated.cend(); ++it)
        for (const WordMemory* m : it.value())
            if (const double r = policy.recall(*m, now); r < lowest) {
                lowest = r;
                fadedLength = it.key();
            }
    if (fadedLength)
        return reviewQuestion(fadedLength, {});
    return std::nullopt;
}

std::optional<StudyQuestion> StudyEngine::next()
{
    current_ = build(false);
    shownAt_ = clock_.nowUtc();
    return current_;
}

StudyQuestion StudyEngine::nextPractice()
{
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
    current_.reset();
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
    return outcome;
}

StudyStats StudyEngine::stats() const
{
    const QDateTime now = clock_.nowUtc();
    const MemoryPolicy& policy = history_.policy();
    StudyStats s;
    for (const WordMemory& m : history_.words()) {
        if (m.isNew() || !m.valid || !wordSet_.contains(m.word))
            continue;
        ++s.seen;
        if (m.due <= now)
            ++s.due;
        if (policy.isKnown(m, now))
            ++s.learned;
    }
    if (settings_.mode == StudySettings::Mode::Study) {
        const int unseen = int(wordSet_.size()) - s.seen;
        s.newLeftToday = std::clamp(settings_.newPerDay - introducedToday(), 0, unseen);
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
