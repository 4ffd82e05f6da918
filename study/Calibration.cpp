#include "Calibration.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Calibration {

namespace {

struct Event
{
    int word;
    double atDays;
    qint64 day;
    bool right;
    double guessChance;
};

// The graded answers, flattened once so that each trial replays quickly.
struct Replay
{
    std::vector<Event> events;
    int words = 0;

    Replay(const QList<AnswerRecord>& answers, const MemoryPolicy& policy)
    {
        QHash<QString, int> ids;
        const qint64 origin = answers.isEmpty() ? 0 : answers.first().at.toMSecsSinceEpoch();
        for (const AnswerRecord& a : answers) {
            if (a.candidates.size() != 4 || a.rightIndex < 0 || a.rightIndex > 3 ||
                a.chosenIndex < 0 || a.chosenIndex > 3)
                continue;
            const double atDays = double(a.at.toMSecsSinceEpoch() - origin) / 86'400'000.0;
            const qint64 day = MemoryPolicy::studyDay(a.at).toJulianDay();
            for (const MemoryPolicy::Grading& g : policy.gradings(a)) {
                auto it = ids.find(g.word);
                if (it == ids.end())
                    it = ids.insert(g.word, words++);
                events.push_back({*it, atDays, day, g.right, g.guessChance});
            }
        }
    }

    // Total log loss of the scored events, and how many there were.
    double run(const Fsrs::Weights& w, const MemoryPolicy& policy, int* scored) const
    {
        const Fsrs::Model model(w);
        struct State
        {
            std::optional<Fsrs::MemoryState> memory;
            double atDays = 0.0;
            qint64 day = 0;
        };
        std::vector<State> states(static_cast<std::size_t>(words));
        double total = 0.0;
        int n = 0;
        for (const Event& e : events) {
            State& s = states[std::size_t(e.word)];
            double prior = policy.priorRecallOfNewWord;
            int elapsed = 0;
            if (s.memory) {
                elapsed = int(std::max<qint64>(0, e.day - s.day));
                prior = model.retrievability(e.atDays - s.atDays, s.memory->stability);
                if (elapsed >= 1) {
                    const double p = e.right ? prior + (1.0 - prior) * e.guessChance
                                             : (1.0 - prior) * (1.0 - e.guessChance);
                    total -= std::log(std::clamp(p, 1e-6, 1.0));
                    ++n;
                }
            }
            s.memory =
                MemoryPolicy::graded(model, s.memory, prior, e.right, e.guessChance, elapsed);
            s.atDays = e.atDays;
            s.day = e.day;
        }
        if (scored)
            *scored = n;
        return total;
    }
};

// The weights fitted, with the range each may take and how far from the default it may stray
// before the pull back is felt.
struct Fitted
{
    std::size_t index;
    double low;
    double high;
    double spread;
};
constexpr std::array<Fitted, 9> FittedWeights{{
    {0, 0.001, 100.0, 0.2}, // first stability after a wrong answer
    {2, 0.001, 100.0, 1.2}, // first stability after a right one
    {6, 0.001, 4.0, 1.5},   // how much a lapse raises difficulty
    {8, 0.0, 4.5, 0.9},     // growth of stability after a recall
    {9, 0.0, 0.8, 0.2},     // how growth slows as stability rises
    {10, 0.001, 3.5, 0.4},  // how growth rises as recall falls
    {11, 0.001, 5.0, 0.7},  // stability after a lapse
    {17, 0.0, 2.0, 0.3},    // same-day reviews
    {20, 0.1, 0.8, 0.15},   // shape of the forgetting curve
}};

double penalty(const Fsrs::Weights& w, const Fsrs::Weights& start)
{
    double sum = 0.0;
    for (const Fitted& f : FittedWeights) {
        const double z = (w[f.index] - start[f.index]) / f.spread;
        sum += 0.5 * z * z;
    }
    return sum;
}

} // namespace

double loss(const QList<AnswerRecord>& answers, const MemoryPolicy& policy, int* reviews)
{
    int n = 0;
    const double total = Replay(answers, policy).run(policy.model.weights(), policy, &n);
    if (reviews)
        *reviews = n;
    return n ? total / n : 0.0;
}

std::optional<Result> fit(const QList<AnswerRecord>& answers, const MemoryPolicy& policy,
                          int minimumReviews)
{
    const Replay replay(answers, policy);
    const Fsrs::Weights start = Fsrs::defaultWeights();
    Fsrs::Weights best = policy.model.weights();
    int n = 0;
    const double before = replay.run(best, policy, &n);
    if (n < minimumReviews)
        return std::nullopt;
    auto objective = [&](const Fsrs::Weights& w) {
        return replay.run(w, policy, nullptr) + penalty(w, start);
    };
    double bestValue = objective(best);

    // Pattern search: try a step up and down on each weight, keep what helps, and halve the
    // steps when nothing does.
    // A fit that starts from an earlier fit starts with finer steps.
    const double firstStep = best == start ? 2.0 : 8.0;
    std::array<double, FittedWeights.size()> steps{};
    for (std::size_t i = 0; i < FittedWeights.size(); ++i)
        steps[i] = FittedWeights[i].spread / firstStep;
    for (int round = 0; round < 25; ++round) {
        bool improved = false;
        for (std::size_t i = 0; i < FittedWeights.size(); ++i) {
            const Fitted& f = FittedWeights[i];
            for (double direction : {1.0, -1.0}) {
                Fsrs::Weights trial = best;
                trial[f.index] = std::clamp(best[f.index] + direction * steps[i], f.low, f.high);
                if (trial[f.index] == best[f.index])
                    continue;
                const double value = objective(trial);
                if (value < bestValue) {
                    best = trial;
                    bestValue = value;
                    improved = true;
                    break;
                }
            }
        }
        if (!improved) {
            for (double& step : steps)
                step /= 2.0;
            if (steps[0] < FittedWeights[0].spread / 32.0)
                break;
        }
    }

    Result result;
    result.weights = best;
    result.reviews = n;
    result.lossBefore = before / n;
    result.lossAfter = replay.run(best, policy, nullptr) / n;
    return result;
}

} // namespace Calibration
