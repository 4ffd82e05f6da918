#pragma once

#include "study/CalibrationReplay.h"

#include <array>
#include <cstddef>
#include <vector>

namespace Calibration {

// Finds the weights that minimise the mean log loss of the scored answers before `end`, plus
// the pull towards the defaults, within the fitted weights' bounds. Works in standard units:
// each fitted weight's distance from its default in spreads (of its logarithm, for the first
// stabilities), so that the prior is a plain sum of squares.
class Solver
{
public:
    using Point = std::array<double, FittedWeights.size()>;

    // The pull counts as much as priorReviews answers plus one more set of the defaults.
    Solver(const Replay& replay, std::size_t end, const Fsrs::Weights& unfitted,
           double priorReviews);

    // Starts from these weights (brought within the bounds) and returns the best found.
    Fsrs::Weights solve(const Fsrs::Weights& start) const;

private:
    struct Slope
    {
        Point gradient;
        std::array<Point, FittedWeights.size()> fisher;
    };

    Fsrs::Weights weightsAt(const Point& z) const;
    static Point pointOf(const Fsrs::Weights& weights);
    double objectiveAt(const Point& z, std::vector<double>& predictions) const;
    Slope slope(const Point& z, const std::vector<double>& predictions) const;
    bool step(Point& z, double& value, std::vector<double>& predictions, double& damping) const;

    const Replay& replay_;
    std::size_t end_;
    Fsrs::Weights unfitted_;
    std::vector<char> outcomes_;
    double priorWeight_;
    Point low_{};
    Point high_{};
};

// Mean log loss of predictions P(right) against the outcomes.
double meanLogLoss(const std::vector<double>& predictions, const std::vector<char>& outcomes);
// One answer's log loss.
double logLoss(double predicted, bool right);

} // namespace Calibration
