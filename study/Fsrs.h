#pragma once

#include <array>
#include <optional>

// The FSRS-6 memory model: how a word's stability S (days until recall falls to 90%) and
// difficulty D (1 to 10) move with each rating, and how recall fades between reviews. Pure
// functions of the parameters; no clock, no randomness, no scheduling policy.
namespace Fsrs {

enum class Rating
{
    Again = 1,
    Hard = 2,
    Good = 3,
    Easy = 4
};

struct MemoryState
{
    double stability = 0.0;
    double difficulty = 0.0;
};

using Weights = std::array<double, 21>;

// The published default weights w0..w20.
const Weights& defaultWeights();

constexpr double MinStability = 0.001;
constexpr double MaxStability = 36500.0;
constexpr int MaxIntervalDays = 36500;

class Model
{
public:
    explicit Model(const Weights& w = defaultWeights());

    const Weights& weights() const { return w_; }
    double decay() const { return w_[20]; }
    // F in R(t, S) = (1 + F t / S)^-decay, chosen so that R(S, S) = 0.9.
    double factor() const { return factor_; }

    // Probability of recall after elapsedDays (fractional days allowed).
    double retrievability(double elapsedDays, double stability) const;
    // Days until recall falls to desiredRetention, unrounded.
    double interval(double stability, double desiredRetention) const;
    // The interval rounded to whole days, at least 1 and at most MaxIntervalDays.
    int intervalDays(double stability, double desiredRetention) const;

    // The state after the first rating of a new item.
    MemoryState initial(Rating rating) const;
    // The state after a rating elapsedDays whole days after the previous review (0: same day).
    MemoryState next(const MemoryState& state, Rating rating, int elapsedDays) const;
    // Either of the above.
    MemoryState review(const std::optional<MemoryState>& state, Rating rating,
                       int elapsedDays) const;

private:
    double initialDifficulty(Rating rating) const;

    Weights w_;
    double factor_;
    // Terms of the formulas that depend on the weights alone, worked out once.
    double recallGrowth_;   // e^w8
    double sameDayLapse_;   // e^(w17 w18)
    double easyDifficulty_; // D0(Easy), unclamped: where difficulty reverts to
};

} // namespace Fsrs
