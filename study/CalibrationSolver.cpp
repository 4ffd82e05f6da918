#include "study/CalibrationSolver.h"

#include <algorithm>
#include <cmath>

namespace Calibration {

namespace {

constexpr std::size_t Count = FittedWeights.size();
constexpr double Step = 1e-4;      // finite-difference step, in spreads
constexpr double Converged = 2e-5; // a gain in mean loss per answer too small to go on for
constexpr int MaxIterations = 12;
constexpr double Edge = 1e-9;

double clampedChance(double p)
{
    return std::clamp(p, 1e-6, 1.0 - 1e-6);
}

// Solves a x = b for the first n unknowns by elimination with partial pivoting; false when a
// is singular.
bool solveLinear(std::array<Solver::Point, Count> a, Solver::Point& b, std::size_t n)
{
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c]))
                pivot = r;
        if (std::abs(a[pivot][c]) < 1e-300)
            return false;
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (std::size_t r = c + 1; r < n; ++r) {
            const double f = a[r][c] / a[c][c];
            for (std::size_t k = c; k < n; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (std::size_t c = n; c-- > 0;) {
        for (std::size_t k = c + 1; k < n; ++k)
            b[c] -= a[c][k] * b[k];
        b[c] /= a[c][c];
    }
    return true;
}

} // namespace

double logLoss(double predicted, bool right)
{
    const double p = clampedChance(predicted);
    return -std::log(right ? p : 1.0 - p);
}

double meanLogLoss(const std::vector<double>& predictions, const std::vector<char>& outcomes)
{
    double total = 0.0;
    for (std::size_t i = 0; i < predictions.size(); ++i)
        total += logLoss(predictions[i], outcomes[i]);
    return predictions.empty() ? 0.0 : total / double(predictions.size());
}

Solver::Solver(const Replay& replay, std::size_t end, const Fsrs::Weights& unfitted,
               double priorReviews)
    : replay_(replay), end_(end), unfitted_(unfitted), outcomes_(replay.outcomes(0, end))
{
    // The published optimizers' pull, sum of squares over the number of answers, fades as the
    // history grows; the second term keeps it as strong as priorReviews answers would make it.
    const double n = double(std::max<std::size_t>(1, outcomes_.size()));
    priorWeight_ = 1.0 / n + 1.0 / priorReviews;
    Fsrs::Weights lowest = unfitted;
    Fsrs::Weights highest = unfitted;
    for (const FittedWeight& f : FittedWeights) {
        lowest[f.index] = f.low;
        highest[f.index] = f.high;
    }
    low_ = pointOf(lowest);
    high_ = pointOf(highest);
}

Fsrs::Weights Solver::weightsAt(const Point& z) const
{
    Fsrs::Weights w = unfitted_;
    for (std::size_t j = 0; j < Count; ++j) {
        const FittedWeight& f = FittedWeights[j];
        const double d = Fsrs::defaultWeights()[f.index];
        const double value = f.logScale ? d * std::exp(f.spread * z[j]) : d + f.spread * z[j];
        w[f.index] = std::clamp(value, f.low, f.high);
    }
    return w;
}

Solver::Point Solver::pointOf(const Fsrs::Weights& weights)
{
    Point z{};
    for (std::size_t j = 0; j < Count; ++j) {
        const FittedWeight& f = FittedWeights[j];
        const double d = Fsrs::defaultWeights()[f.index];
        const double w = std::clamp(weights[f.index], f.low, f.high);
        z[j] = f.logScale ? std::log(w / d) / f.spread : (w - d) / f.spread;
    }
    return z;
}

double Solver::objectiveAt(const Point& z, std::vector<double>& predictions) const
{
    predictions = replay_.predict(weightsAt(z), 0, end_);
    double prior = 0.0;
    for (double x : z)
        prior += x * x;
    return meanLogLoss(predictions, outcomes_) + priorWeight_ * prior;
}

// The gradient and the Fisher information of the objective: the slope of each prediction by
// finite differences, one replay per weight, then the log loss's exact dependence on them.
Solver::Slope Solver::slope(const Point& z, const std::vector<double>& predictions) const
{
    const std::size_t n = predictions.size();
    std::vector<double> jacobian(n * Count);
    for (std::size_t j = 0; j < Count; ++j) {
        Point moved = z;
        const double h = z[j] + Step <= high_[j] ? Step : -Step;
        moved[j] += h;
        const std::vector<double> p = replay_.predict(weightsAt(moved), 0, end_);
        for (std::size_t i = 0; i < n; ++i)
            jacobian[i * Count + j] = (p[i] - predictions[i]) / h;
    }
    Slope s{};
    for (std::size_t i = 0; i < n; ++i) {
        const double p = clampedChance(predictions[i]);
        const double information = 1.0 / (p * (1.0 - p)) / double(n);
        const double residual = (p - double(outcomes_[i])) * information;
        const double* row = &jacobian[i * Count];
        for (std::size_t j = 0; j < Count; ++j) {
            s.gradient[j] += residual * row[j];
            for (std::size_t k = 0; k <= j; ++k)
                s.fisher[j][k] += information * row[j] * row[k];
        }
    }
    for (std::size_t j = 0; j < Count; ++j) {
        s.gradient[j] += 2.0 * priorWeight_ * z[j];
        s.fisher[j][j] += 2.0 * priorWeight_;
        for (std::size_t k = 0; k < j; ++k)
            s.fisher[k][j] = s.fisher[j][k];
    }
    return s;
}

// One damped Fisher-scoring step (Levenberg-Marquardt), weights held at a bound they press
// against left out. False when no step lowers the objective.
bool Solver::step(Point& z, double& value, std::vector<double>& predictions, double& damping) const
{
    const Slope s = slope(z, predictions);
    std::array<std::size_t, Count> free{};
    std::size_t n = 0;
    for (std::size_t j = 0; j < Count; ++j) {
        const bool pressedLow = z[j] <= low_[j] + Edge && s.gradient[j] > 0.0;
        const bool pressedHigh = z[j] >= high_[j] - Edge && s.gradient[j] < 0.0;
        if (!pressedLow && !pressedHigh)
            free[n++] = j;
    }
    for (int attempt = 0; attempt < 8; ++attempt, damping *= 8.0) {
        std::array<Point, Count> a{};
        Point b{};
        for (std::size_t r = 0; r < n; ++r) {
            for (std::size_t c = 0; c < n; ++c)
                a[r][c] = s.fisher[free[r]][free[c]];
            a[r][r] *= 1.0 + damping;
            b[r] = -s.gradient[free[r]];
        }
        if (!solveLinear(a, b, n))
            continue;
        Point trial = z;
        for (std::size_t r = 0; r < n; ++r)
            trial[free[r]] = std::clamp(z[free[r]] + b[r], low_[free[r]], high_[free[r]]);
        std::vector<double> p;
        const double v = objectiveAt(trial, p);
        if (v < value) {
            const bool progress = value - v > Converged;
            z = trial;
            value = v;
            predictions = std::move(p);
            damping = std::max(damping / 8.0, 1e-6);
            return progress;
        }
    }
    return false;
}

Fsrs::Weights Solver::solve(const Fsrs::Weights& start) const
{
    Point z = pointOf(start);
    std::vector<double> predictions;
    double value = objectiveAt(z, predictions);
    double damping = 1e-3;
    for (int i = 0; i < MaxIterations && step(z, value, predictions, damping); ++i) {
    }
    return weightsAt(z);
}

} // namespace Calibration
