// Fitting the memory model to the player's answers and rebuilding the states, on the history's
// background thread, and taking up what it finished.

#include "Calibration.h"
#include "History.h"
#include "HistoryImpl.h"
#include "HistorySchema.h"

namespace {

std::optional<Fsrs::Weights> fitByCalibration(const History::AnswerFeed& answers,
                                              const MemoryPolicy& policy)
{
    // Read as a stream: a long history is never held in memory at once.
    const std::optional<Calibration::Result> result = Calibration::fit(answers, policy);
    if (!result)
        return std::nullopt;
    return result->weights;
}

} // namespace

HistoryRebuild::Order History::Impl::order(bool rulesChanged, const QDate& fitDay) const
{
    return {owner.policy_, rulesChanged, fitDay, fitter ? fitter : fitByCalibration};
}

bool History::Impl::startBackground(HistoryRebuild::Order order)
{
    {
        std::lock_guard lock(handoff->mutex);
        if (handoff->outcome)
            return false; // to be taken up first: the order must start from its weights
    }
    return worker.start(owner.path_, [order = std::move(order),
                                      handoff = handoff](HistoryDb& db, WorkControl& control) {
        HistoryRebuild::Outcome outcome = HistoryRebuild::run(db, order, control);
        std::lock_guard lock(handoff->mutex);
        handoff->outcome = std::move(outcome);
        if (handoff->done)
            handoff->done();
    });
}

void History::Impl::stopBackground()
{
    worker.stop();
    std::lock_guard lock(handoff->mutex);
    handoff->outcome.reset();
}

bool History::Impl::adopt(HistoryRebuild::Outcome outcome)
{
    if (outcome.newWeights)
        owner.policy_.model = Fsrs::Model(*outcome.newWeights);
    if (outcome.newFakeSpotting)
        owner.policy_.fakeSpotting = *outcome.newFakeSpotting;
    if (!outcome.rebuilt)
        return false;
    cache = std::move(outcome.states);
    cacheLoaded = true;
    lastSeenId = outcome.throughId;
    try {
        // Answers written since were applied to the new states with the old weights: again; and
        // the words of answers taken back since are replayed without them.
        if (saving && (HistorySchema::lastAnswerId(db) != lastSeenId ||
                       HistorySchema::lastUndoId(db) != outcome.throughUndoId))
            db.transaction([&] {
                lastSeenId = HistoryRebuild::applyLater(db, owner.policy_, cache, lastSeenId);
                HistoryRebuild::applyUndosAfter(db, owner.policy_, cache, outcome.throughUndoId);
            });
    } catch (const DbError&) {
        cacheLoaded = false; // read them all again
        return true;
    }
    // And the answers and undo entries still waiting to be written.
    applyWaiting();
    return true;
}

void History::setFitter(Fitter fitter)
{
    d_->fitter = std::move(fitter);
}

bool History::recalibrate(const QDate& today)
{
    d_->open();
    if (!d_->saving || d_->fitAskedOn == today)
        return false;
    while (!d_->worker.wait(std::chrono::seconds(1))) {
    }
    takeUpBackgroundWork();
    d_->fitAskedOn = today;
    try {
        Uninterrupted control;
        HistoryRebuild::Outcome outcome =
            HistoryRebuild::run(d_->db, d_->order(false, today), control);
        const bool changed = outcome.newWeights.has_value();
        d_->adopt(std::move(outcome));
        return changed;
    } catch (const DbError& e) {
        d_->tellNotSaving(e.text);
        return false;
    }
}

void History::recalibrateInBackground(const QDate& today)
{
    d_->open();
    if (!d_->saving || policy_.leitner || d_->fitAskedOn == today)
        return;
    try {
        if (HistoryRebuild::fittedOn(d_->db, today)) {
            d_->fitAskedOn = today;
            return;
        }
    } catch (const DbError&) {
        return; // the next answer's write finds out what is wrong
    }
    if (d_->startBackground(d_->order(false, today)))
        d_->fitAskedOn = today;
}

bool History::takeUpBackgroundWork()
{
    std::optional<HistoryRebuild::Outcome> outcome;
    {
        std::lock_guard lock(d_->handoff->mutex);
        outcome.swap(d_->handoff->outcome);
    }
    return outcome && d_->adopt(std::move(*outcome));
}

bool History::backgroundBusy() const
{
    return d_->worker.busy();
}

bool History::waitForBackgroundWork(int ms) const
{
    return d_->worker.wait(std::chrono::milliseconds(ms));
}

void History::setBackgroundDone(std::function<void()> done)
{
    std::lock_guard lock(d_->handoff->mutex);
    d_->handoff->done = std::move(done);
}
