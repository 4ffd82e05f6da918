#include "study/Calibration.h"

#include "study/CalibrationReplay.h"
#include "study/CalibrationSolver.h"

#include <cmath>

namespace Calibration {

namespace {

// The later share of the scored answers the new weights are checked on.
constexpr double LaterShare = 0.25;
// The prior counts as much as this many answers, however long the history.
constexpr double PriorReviews = 1000.0;
// How many standard errors the fitted weights must gain on the later answers to be adopted.
constexpr double Confidence = 2.0;

AnswerStream streamOf(const QList<AnswerRecord>& answers)
{
    return [&answers](const AnswerSink& sink) {
        for (const AnswerRecord& a : answers)
            sink(a);
    };
}

struct Comparison
{
    double before = 0.0;
    double after = 0.0;
    bool better = false;
};

// The log loss of both sets of weights on the same later answers, and whether the second is
// lower by more than Confidence standard errors of the paired difference.
Comparison compare(const Replay& replay, std::size_t later, const Fsrs::Weights& current,
                   const Fsrs::Weights& fitted)
{
    const std::vector<char> outcomes = replay.outcomes(later, replay.size());
    const std::vector<double> before = replay.predict(current, later, replay.size());
    const std::vector<double> after = replay.predict(fitted, later, replay.size());
    const double n = double(outcomes.size());
    double sum = 0.0;
    double squares = 0.0;
    Comparison c;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const double lb = logLoss(before[i], outcomes[i]);
        const double la = logLoss(after[i], outcomes[i]);
        c.before += lb / n;
        c.after += la / n;
        sum += lb - la;
        squares += (lb - la) * (lb - la);
    }
    const double mean = sum / n;
    const double spread = std::sqrt(std::max(0.0, squares / n - mean * mean) / n);
    c.better = mean > 0.0 && mean > Confidence * spread;
    return c;
}

} // namespace

std::optional<Result> fit(const AnswerStream& answers, const MemoryPolicy& current,
                          int minimumReviews, Checkpoint checkpoint)
{
    const Replay replay(answers, current, MaxEvents, std::move(checkpoint));
    const int total = replay.scored(0, replay.size());
    if (total < std::max(minimumReviews, 2))
        return std::nullopt;
    const std::size_t later = replay.laterPart(LaterShare);
    const Fsrs::Weights& inUse = current.model.weights();
    const Solver solver(replay, later, inUse, PriorReviews);
    const Fsrs::Weights fitted = solver.solve(inUse);
    const Comparison c = compare(replay, later, inUse, fitted);
    if (!c.better)
        return std::nullopt;
    Result result;
    result.weights = fitted;
    result.reviews = replay.scored(0, later);
    result.heldOut = total - result.reviews;
    result.lossBefore = c.before;
    result.lossAfter = c.after;
    return result;
}

std::optional<Result> fit(const QList<AnswerRecord>& answers, const MemoryPolicy& current,
                          int minimumReviews)
{
    return fit(streamOf(answers), current, minimumReviews);
}

double loss(const AnswerStream& answers, const MemoryPolicy& policy, int* reviews)
{
    const Replay replay(answers, policy, std::numeric_limits<std::size_t>::max());
    const std::vector<double> p = replay.predict(policy.model.weights(), 0, replay.size());
    if (reviews)
        *reviews = int(p.size());
    return meanLogLoss(p, replay.outcomes(0, replay.size()));
}

double loss(const QList<AnswerRecord>& answers, const MemoryPolicy& policy, int* reviews)
{
    return loss(streamOf(answers), policy, reviews);
}

} // namespace Calibration
