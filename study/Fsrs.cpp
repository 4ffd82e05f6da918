#include "study/Fsrs.h"

#include <algorithm>
#include <cmath>

namespace Fsrs {

const Weights& defaultWeights()
{
    static const Weights w{0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                           0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                           1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
    return w;
}

namespace {

double clampStability(double s)
{
    return std::clamp(s, MinStability, MaxStability);
}

double clampDifficulty(double d)
{
    return std::clamp(d, 1.0, 10.0);
}

int grade(Rating rating)
{
    return int(rating);
}

} // namespace

Model::Model(const Weights& w)
    : w_(w), factor_(std::pow(0.9, -1.0 / w[20]) - 1.0), recallGrowth_(std::exp(w[8])),
      sameDayLapse_(std::exp(w[17] * w[18])), easyDifficulty_(initialDifficulty(Rating::Easy))
{}

double Model::retrievability(double elapsedDays, double stability) const
{
    const double s = clampStability(stability);
    return std::pow(1.0 + factor_ * std::max(0.0, elapsedDays) / s, -w_[20]);
}

double Model::interval(double stability, double desiredRetention) const
{
    return stability / factor_ * (std::pow(desiredRetention, -1.0 / w_[20]) - 1.0);
}

int Model::intervalDays(double stability, double desiredRetention) const
{
    const double days = std::round(interval(stability, desiredRetention));
    return int(std::clamp(days, 1.0, double(MaxIntervalDays)));
}

double Model::initialDifficulty(Rating rating) const
{
    return w_[4] - std::exp(w_[5] * (grade(rating) - 1)) + 1.0;
}

MemoryState Model::initial(Rating rating) const
{
    return {clampStability(w_[std::size_t(grade(rating) - 1)]),
            clampDifficulty(initialDifficulty(rating))};
}

MemoryState Model::next(const MemoryState& state, Rating rating, int elapsedDays) const
{
    const double s = clampStability(state.stability);
    const double d = state.difficulty;
    const int g = grade(rating);
    double next = s;
    if (elapsedDays <= 0) {
        double f = std::exp(w_[17] * (g - 3 + w_[18])) * std::pow(s, -w_[19]);
        if (g >= 2)
            f = std::max(f, 1.0);
        next = s * f;
    } else {
        const double r = retrievability(elapsedDays, s);
        if (rating == Rating::Again) {
            const double lapse = w_[11] * std::pow(d, -w_[12]) * (std::pow(s + 1.0, w_[13]) - 1.0) *
                                 std::exp(w_[14] * (1.0 - r));
            next = std::min(lapse, s / sameDayLapse_);
        } else {
            const double hard = rating == Rating::Hard ? w_[15] : 1.0;
            const double easy = rating == Rating::Easy ? w_[16] : 1.0;
            next = s * (1.0 + recallGrowth_ * (11.0 - d) * std::pow(s, -w_[9]) *
                                  (std::exp(w_[10] * (1.0 - r)) - 1.0) * hard * easy);
        }
    }
    const double delta = -w_[6] * (g - 3);
    const double reverted =
        w_[7] * easyDifficulty_ + (1.0 - w_[7]) * (d + delta * (10.0 - d) / 9.0);
    return {clampStability(next), clampDifficulty(reverted)};
}

MemoryState Model::review(const std::optional<MemoryState>& state, Rating rating,
                          int elapsedDays) const
{
    return state ? next(*state, rating, elapsedDays) : initial(rating);
}

} // namespace Fsrs
