// Fitting the memory model to the player's answers and rebuilding the states, on the history's
// background thread, and taking up what it finished.

#include "study/Calibration.h"
#include "study/History.h"
#include "study/HistoryImpl.h"
#include "study/HistorySchema.h"

namespace {

std::optional<Fsrs::Weights> fitByCalibration(const History::AnswerFeed& answers,
                                              const MemoryPolicy& policy,
                                              const History::Checkpoint& checkpoint)
{
    // Read as a stream: a long history is never held in memory at once.
    const std::optional<Calibration::Result> result =
        Calibration::fit(answers, policy, Calibration::MinimumReviews, checkpoint);
    if (!result)
        return std::nullopt;
    return result->weights;
}

} // namespace

HistoryRebuild::Order History::Impl::order(bool rulesChanged, const QDate& fitDay) const
{
    return {policy, rulesChanged, fitDay, owner.fitter_ ? owner.fitter_ : fitByCalibration, {}};
}

bool History::Impl::startBackground(HistoryRebuild::Order order)
{
    {
        std::lock_guard lock(mailbox.mutex);
        if (mailbox.outcome && mailbox.outcome->any())
            return false; // to be taken up first: the order must start from its weights
        if (mailbox.outcome) {
            // A pace figure alone changes no weights or states: taken up here.
            if (mailbox.outcome->pace)
                pace = mailbox.outcome->pace;
            mailbox.outcome.reset();
        }
    }
    return worker.start(
        path, [this, order = std::move(order)](HistoryDb& db, WorkControl& control) {
            HistoryRebuild::Outcome outcome = HistoryRebuild::run(db, order, control);
            {
                std::lock_guard lock(mailbox.mutex);
                mailbox.outcome = std::move(outcome);
            }
            workerNews.post(); // the worker is joined before the inbox goes
        });
}

void History::Impl::backgroundFinished()
{
    if (isCurrent() && owner.backgroundDone_)
        owner.backgroundDone_();
}

void History::Impl::stopBackground()
{
    worker.stop();
    std::lock_guard lock(mailbox.mutex);
    mailbox.outcome.reset();
}

bool History::Impl::adopt(HistoryRebuild::Outcome outcome)
{
    if (outcome.newWeights || outcome.newFakeSpotting || outcome.rebuilt)
        ++owner.statesRevision_;
    if (outcome.pace)
        pace = outcome.pace;
    if (outcome.newWeights)
        policy.model = Fsrs::Model(*outcome.newWeights);
    if (outcome.newFakeSpotting)
        policy.fakeSpotting = *outcome.newFakeSpotting;
    const bool rebuilt = outcome.rebuilt;
    if (keepsFile(mode) && outcome.any()) {
        if (rebuilt) {
            // Shown at once, with the answers still waiting; the writer's report corrects them
            // for answers it wrote meanwhile.
            states.reset(outcome.states, policy, log.queuedAnswers());
        }
        // The writer stores the weights and states and brings the states up to the file's end:
        // the answers written since applied again with the new weights, the words of those
        // taken back replayed. Its report puts them in place, the answers still waiting applied
        // on top.
        writes().push({.kind = WriteJob::Kind::Adopt,
                       .seq = log.number(),
                       .policy = policy,
                       .outcome = std::make_shared<HistoryRebuild::Outcome>(std::move(outcome))});
        return rebuilt;
    }
    if (!rebuilt)
        return false;
    lastSeenId = outcome.throughId;
    states.reset(std::move(outcome.states), policy, log.queuedAnswers());
    return true;
}

QHash<QString, WordMemory> History::Impl::replay()
{
    lastSeenId = HistorySchema::lastAnswerId(db);
    Uninterrupted control;
    return HistoryRebuild::replay(db, policy, lastSeenId, control);
}

void History::Impl::rebuildStored()
{
    Uninterrupted control;
    adopt(HistoryRebuild::run(db, order(true, QDate()), control));
}

void History::setFitter(Fitter fitter)
{
    fitter_ = std::move(fitter);
}

bool History::recalibrate(const QDate& today)
{
    d_->open();
    d_->flush(HistoryDb::BusyTimeoutMs);
    const bool fit = d_->fitAskedOn != today;
    if (!isSaving() || (!fit && !takePace(today, false).isValid()))
        return false;
    while (!d_->worker.wait(std::chrono::seconds(1))) {
    }
    takeUpBackgroundWork();
    if (fit)
        d_->fitAskedOn = today;
    try {
        Uninterrupted control;
        HistoryRebuild::Order order = d_->order(false, fit ? today : QDate());
        order.paceAt = takePace(today);
        HistoryRebuild::Outcome outcome = HistoryRebuild::run(d_->db, order, control);
        const bool changed = outcome.newWeights.has_value();
        d_->adopt(std::move(outcome));
        d_->flush(HistoryDb::BusyTimeoutMs); // the in-line fit's states are in place on return
        return changed;
    } catch (const DbError& e) {
        d_->tellNotSaving(e.text);
        return false;
    }
}

void History::recalibrateInBackground(const QDate& today)
{
    d_->open();
    if (!isSaving() || d_->policy.leitner)
        return;
    QDate fitDay = d_->fitAskedOn == today ? QDate() : today;
    try {
        if (fitDay.isValid() && HistoryRebuild::fittedOn(d_->db, today)) {
            d_->fitAskedOn = today;
            fitDay = QDate();
        }
    } catch (const DbError&) {
        return; // the next answer's write finds out what is wrong
    }
    if (!fitDay.isValid() && !takePace(today, false).isValid())
        return;
    HistoryRebuild::Order order = d_->order(false, fitDay);
    order.paceAt = takePace(today, false);
    if (!d_->startBackground(std::move(order)))
        return;
    if (fitDay.isValid())
        d_->fitAskedOn = today;
    takePace(today); // asked
}

void History::readPaceInBackground(const QDateTime& now)
{
    askPace(now);
    d_->open();
    const QDate today = MemoryPolicy::studyDay(now);
    if (!isSaving() || !takePace(today, false).isValid())
        return;
    HistoryRebuild::Order order = d_->order(false, QDate());
    order.paceAt = now;
    if (d_->startBackground(std::move(order)))
        takePace(today); // asked
}

void History::askPace(const QDateTime& now)
{
    paceAsked_ = now;
}

std::optional<PaceFigure> History::paceFigure() const
{
    return d_->pace;
}

QDateTime History::takePace(const QDate& today, bool asked)
{
    if (!paceAsked_.isValid() || d_->policy.leitner || d_->paceAskedOn == today)
        return {};
    if (asked)
        d_->paceAskedOn = today;
    return paceAsked_;
}

bool History::takeUpBackgroundWork()
{
    std::optional<HistoryRebuild::Outcome> outcome;
    {
        std::lock_guard lock(d_->mailbox.mutex);
        outcome.swap(d_->mailbox.outcome);
    }
    if (!outcome)
        return false;
    return d_->adopt(std::move(*outcome));
}

void History::betweenQuestions(const QDate& today, bool firstOfSession, bool inLine)
{
    if (inLine) {
        recalibrate(today);
        return;
    }
    if (!firstOfSession)
        takeUpBackgroundWork();
    recalibrateInBackground(today);
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
    backgroundDone_ = std::move(done);
}
