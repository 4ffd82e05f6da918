#include "study/HistoryRebuild.h"

#include "study/Calibration.h"
#include "study/FakeSpotting.h"
#include "study/HistoryDb.h"
#include "study/HistoryProgress.h"
#include "study/HistorySchema.h"
#include "study/HistoryWorker.h"

#include <QSet>

#include <algorithm>

namespace HistoryRebuild {

namespace {

constexpr int RowsBetweenCheckpoints = 1024;

// Whether the weights are to be fitted now: not yet on this study day, and enough answers have
// come in since the last fit.
bool fitDue(const HistoryDb& db, const Order& order, int* answerCount)
{
    if (!order.fitDay.isValid() || !order.fitter || order.policy.leitner ||
        fittedOn(db, order.fitDay))
        return false;
    *answerCount = HistorySchema::answerCount(db);
    const int fitted = HistorySchema::meta(db, QStringLiteral("fitted_answers")).toInt();
    return *answerCount >= fitted + std::max(Calibration::MinimumReviews, fitted / 3);
}

// Every answer through throughId, to the fitter, stopping when asked to.
History::AnswerFeed feed(const HistoryDb& db, qint64 throughId, WorkControl& control)
{
    return [&db, throughId, &control](const History::AnswerSink& sink) {
        int rows = 0;
        HistorySchema::forEachAnswer(
            db,
            [&](const AnswerRecord& a) {
                if (++rows % RowsBetweenCheckpoints == 0)
                    control.checkpoint();
                sink(a);
            },
            0, throughId);
    };
}

// The day's automatic pace at the player's recent answers a day.
std::optional<PaceFigure> dayPace(const HistoryDb& db, const QDateTime& now)
{
    constexpr int DaysLookedAt = 30;
    QList<int> byDay;
    for (const History::DayProgress& day : HistoryProgress::lastDays(db, DaysLookedAt, now))
        byDay.append(day.answers);
    return AutoPace::figure(byDay, now);
}

} // namespace

bool fittedOn(const HistoryDb& db, const QDate& day)
{
    return HistorySchema::meta(db, QStringLiteral("fitted_on")).toString() ==
           day.toString(Qt::ISODate);
}

QHash<QString, WordMemory> replay(const HistoryDb& db, const MemoryPolicy& policy, qint64 throughId,
                                  WorkControl& control)
{
    QHash<QString, WordMemory> states;
    feed(db, throughId, control)([&](const AnswerRecord& a) { policy.apply(states, a); });
    return states;
}

qint64 applyLater(const HistoryDb& db, const MemoryPolicy& policy,
                  QHash<QString, WordMemory>& states, qint64 afterId)
{
    QSet<QString> touched;
    const qint64 last = HistorySchema::forEachAnswer(
        db,
        [&](const AnswerRecord& a) {
            policy.apply(states, a);
            for (const QString& word : MemoryPolicy::touchedWords(a))
                touched.insert(word);
        },
        afterId);
    for (const QString& word : std::as_const(touched))
        if (const auto it = states.constFind(word); it != states.constEnd())
            HistorySchema::writeState(db, *it);
    return last;
}

QHash<QString, WordMemory> replayWords(const HistoryDb& db, const MemoryPolicy& policy,
                                       const QStringList& words, const QList<qint64>& skipping)
{
    QHash<QString, WordMemory> replayed;
    HistorySchema::forEachAnswerShowing(db, words, skipping,
                                        [&](const AnswerRecord& a) { policy.apply(replayed, a); });
    QHash<QString, WordMemory> states;
    for (const QString& word : words)
        if (const auto it = replayed.constFind(word); it != replayed.constEnd())
            states.insert(word, *it);
    return states;
}

void replayWordsInto(const HistoryDb& db, const MemoryPolicy& policy,
                     QHash<QString, WordMemory>& states, const QStringList& words)
{
    const QHash<QString, WordMemory> replayed = replayWords(db, policy, words);
    for (const QString& word : words) {
        if (const auto it = replayed.constFind(word); it != replayed.constEnd()) {
            HistorySchema::writeState(db, *it);
            states.insert(word, *it);
        } else {
            HistorySchema::deleteState(db, word);
            states.remove(word);
        }
    }
}

qint64 applyUndosAfter(const HistoryDb& db, const MemoryPolicy& policy,
                       QHash<QString, WordMemory>& states, qint64 afterUndoId)
{
    const qint64 last = HistorySchema::lastUndoId(db);
    if (last != afterUndoId)
        replayWordsInto(db, policy, states, HistorySchema::wordsTakenBackAfter(db, afterUndoId));
    return last;
}

Outcome run(const HistoryDb& db, const Order& order, WorkControl& control)
{
    Outcome out;
    // An answer taken back while the states are replayed may still be in them: its words are
    // replayed again at the end.
    const qint64 undoSnapshot = HistorySchema::lastUndoId(db);
    const qint64 snapshot = HistorySchema::lastAnswerId(db);
    MemoryPolicy policy = order.policy;
    int answerCount = 0;
    const bool fitting = fitDue(db, order, &answerCount);
    if (fitting) {
        const std::optional<Fsrs::Weights> weights =
            order.fitter(feed(db, snapshot, control), policy, [&control] { control.checkpoint(); });
        control.checkpoint();
        if (weights && *weights != policy.model.weights()) {
            out.newWeights = weights;
            policy.model = Fsrs::Model(*weights);
        }
        FakeSpotting spotting(policy.priorRecallOfNewWord, MemoryPolicy().fakeSpotting);
        feed(db, snapshot, control)([&](const AnswerRecord& a) { spotting.add(a); });
        if (spotting.estimate() != policy.fakeSpotting) {
            out.newFakeSpotting = spotting.estimate();
            policy.fakeSpotting = spotting.estimate();
        }
    }
    out.rebuilt = order.rulesChanged || out.newWeights || out.newFakeSpotting;
    if (out.rebuilt)
        out.states = replay(db, policy, snapshot, control);
    control.checkpoint();
    if (order.paceAt.isValid() && !order.policy.leitner)
        out.pace = dayPace(db, order.paceAt);
    out.throughId = snapshot;
    out.throughUndoId = undoSnapshot;
    if (fitting) {
        out.fittedOn = order.fitDay;
        out.fittedAnswers = answerCount;
    }
    return out;
}

void store(const HistoryDb& db, const MemoryPolicy& policy, Outcome& outcome)
{
    if (outcome.rebuilt) {
        HistorySchema::replaceStates(db, outcome.states);
        outcome.throughId = applyLater(db, policy, outcome.states, outcome.throughId);
        outcome.throughUndoId = applyUndosAfter(db, policy, outcome.states, outcome.throughUndoId);
        HistorySchema::setMeta(db, QStringLiteral("grading"), policy.rulesVersion());
    }
    if (outcome.newWeights)
        HistorySchema::storeWeights(db, *outcome.newWeights);
    if (outcome.newFakeSpotting)
        HistorySchema::setMeta(db, QStringLiteral("fake_spotting"), *outcome.newFakeSpotting);
    if (outcome.fittedOn.isValid()) {
        HistorySchema::setMeta(db, QStringLiteral("fitted_on"),
                               outcome.fittedOn.toString(Qt::ISODate));
        HistorySchema::setMeta(db, QStringLiteral("fitted_answers"), outcome.fittedAnswers);
    }
}

} // namespace HistoryRebuild
