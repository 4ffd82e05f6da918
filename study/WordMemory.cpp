#include "study/MemoryPolicy.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 DayMs = 86'400'000;
constexpr int DayStartHour = 4;

WordMemory& entry(QHash<QString, WordMemory>& words, const QString& word, bool valid)
{
    auto it = words.find(word);
    if (it == words.end()) {
        it = words.insert(word, WordMemory());
        it->word = word;
    }
    it->valid = valid;
    return *it;
}

// A non-word chosen as a word is confused once more (it becomes a decoy); one the player saw
// through, having been confused before, resisted once more.
void markNonWords(QHash<QString, WordMemory>& words, const AnswerRecord& answer)
{
    const QDateTime& at = answer.at;
    const bool right = answer.chosenIndex == answer.rightIndex;
    auto confuse = [&](const QString& word) {
        WordMemory& m = entry(words, word, false);
        ++m.confusions;
        m.lastConfused = at;
        m.resisted = 0;
    };
    auto resist = [&](const QString& word) {
        auto it = words.find(word);
        if (it != words.end() && !it->valid && it->confusions > 0)
            ++it->resisted;
    };

    if (answer.validKind) {
        for (int i = 0; i < 4; ++i) {
            if (i == answer.rightIndex)
                continue;
            if (i == answer.chosenIndex)
                confuse(answer.candidates.at(i));
            else if (right)
                resist(answer.candidates.at(i));
        }
    } else {
        const QString& nonWord = answer.candidates.at(answer.rightIndex);
        if (right)
            resist(nonWord);
        else
            confuse(nonWord); // the fake passed for real
    }
}

} // namespace

QDate MemoryPolicy::studyDay(const QDateTime& at)
{
    // By the clock on the wall: on the days the clocks change, 4 am is not four hours after
    // midnight.
    const QDateTime local = at.toLocalTime();
    return local.time().hour() < DayStartHour ? local.date().addDays(-1) : local.date();
}

QDateTime MemoryPolicy::dayStart(const QDate& day)
{
    return QDateTime(day, QTime(DayStartHour, 0)).toUTC();
}

int MemoryPolicy::daysBetween(const QDateTime& earlier, const QDateTime& later)
{
    return int(std::max<qint64>(0, studyDay(earlier).daysTo(studyDay(later))));
}

double MemoryPolicy::recall(const WordMemory& memory, const QDateTime& at) const
{
    if (!memory.memory)
        return 0.0;
    const double days = double(memory.lastReview.msecsTo(at)) / double(DayMs);
    return model.retrievability(days, memory.memory->stability);
}

double MemoryPolicy::guessChanceChosen() const
{
    // Each of the three non-words is missed with m = 1 - fakeSpotting; with k of them missed the
    // pick lands on the word 1 time in k + 1.
    const double m = std::clamp(1.0 - fakeSpotting, 0.0, 1.0);
    const double s = 1.0 - m;
    return s * s * s + 3.0 * m * s * s / 2.0 + 3.0 * m * m * s / 3.0 + m * m * m / 4.0;
}

bool MemoryPolicy::isKnown(const WordMemory& memory) const
{
    return isGraduated(memory) && !memory.missedLast &&
           memory.memory->stability >= KnownStabilityDays;
}

QStringList MemoryPolicy::touchedWords(const AnswerRecord& answer)
{
    // Every candidate: the graded words, and the non-words whose decoy standing may change.
    return answer.candidates;
}

QList<MemoryPolicy::Grading> MemoryPolicy::gradings(const AnswerRecord& answer) const
{
    QList<Grading> list;
    const bool right = answer.chosenIndex == answer.rightIndex;
    if (answer.validKind) {
        list.append({answer.candidates.at(answer.rightIndex), right, guessChanceChosen()});
    } else if (right) {
        for (int i = 0; i < 4; ++i)
            if (i != answer.rightIndex)
                list.append({answer.candidates.at(i), true, guessChanceAmongThree()});
    } else {
        // The real word taken for a fake is a lapse; nothing is learnt of the other two.
        list.append({answer.candidates.at(answer.chosenIndex), false, 0.0});
    }
    return list;
}

// A wrong answer is a lapse (Again). A right one is a pass (Good) only as far as it proves
// recall: with prior recall p and a chance g of guessing right without it, the player knew the
// word with probability q = p / (p + (1 - p) g), and the new state is the q-weighted mean of the
// pass and lapse states (stability on a log scale).
Fsrs::MemoryState MemoryPolicy::graded(const Fsrs::Model& model,
                                       const std::optional<Fsrs::MemoryState>& state,
                                       double priorRecall, bool right, double guessChance,
                                       int elapsedDays)
{
    if (!right)
        return model.review(state, Fsrs::Rating::Again, elapsedDays);
    const double p = priorRecall;
    const double g = guessChance;
    const double q = p + (1.0 - p) * g > 0.0 ? p / (p + (1.0 - p) * g) : 1.0;
    Fsrs::MemoryState next = model.review(state, Fsrs::Rating::Good, elapsedDays);
    if (q < 1.0) {
        const Fsrs::MemoryState lapse = model.review(state, Fsrs::Rating::Again, elapsedDays);
        next = {std::exp(q * std::log(next.stability) + (1.0 - q) * std::log(lapse.stability)),
                q * next.difficulty + (1.0 - q) * lapse.difficulty};
    }
    // One answer, or a likely guess, proves too little to call a word known.
    const bool belowLine = !state || state->stability < KnownStabilityDays;
    if (belowLine && (!state || q < 0.5))
        next.stability = std::min(next.stability, std::nextafter(KnownStabilityDays, 0.0));
    return next;
}

void MemoryPolicy::apply(QHash<QString, WordMemory>& words, const AnswerRecord& answer) const
{
    if (answer.candidates.size() != 4 || answer.rightIndex < 0 || answer.rightIndex > 3 ||
        answer.chosenIndex < 0 || answer.chosenIndex > 3)
        return;
    for (const Grading& grading : gradings(answer))
        grade(entry(words, grading.word, true), grading, answer.at);
    markNonWords(words, answer);
}

void MemoryPolicy::grade(WordMemory& m, const Grading& grading, const QDateTime& at) const
{
    const int steps = int(learningStepsMinutes.size());
    if (leitner) {
        const int box = grading.right && m.memory ? std::min(6, int(m.memory->difficulty) + 1) : 1;
        const int days = 1 << (box - 1);
        if (!m.memory)
            m.firstReview = at;
        m.memory = Fsrs::MemoryState{double(days), double(box)};
        m.lastReview = at;
        ++m.reviews;
        m.lapses += grading.right ? 0 : 1;
        m.missedLast = !grading.right;
        m.step = steps;
        m.due = dayStart(studyDay(at).addDays(days));
        return;
    }
    const int elapsed = m.memory ? daysBetween(m.lastReview, at) : 0;
    const double prior = m.memory ? recall(m, at) : priorRecallOfNewWord;
    const Fsrs::MemoryState next =
        graded(model, m.memory, prior, grading.right, grading.guessChance, elapsed);
    if (!m.memory)
        m.firstReview = at;
    m.memory = next;
    m.lastReview = at;
    ++m.reviews;
    m.missedLast = !grading.right;
    if (!grading.right) {
        ++m.lapses;
        m.step = 0;
    } else if (m.step < steps) {
        ++m.step;
    }
    if (m.step < steps) {
        m.due = at.addSecs(qint64(learningStepsMinutes.at(m.step)) * 60);
    } else {
        const int days = model.intervalDays(next.stability, desiredRetention);
        m.due = dayStart(studyDay(at).addDays(days));
    }
}
