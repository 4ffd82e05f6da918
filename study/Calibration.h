#pragma once

#include "study/AnswerRecorder.h"
#include "study/Fsrs.h"
#include "study/MemoryPolicy.h"

#include <QList>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

// Fits the FSRS weights to one player's answers. The published defaults describe the average
// flash-card user; a player of this drill may forget faster or slower, and a schedule built on
// the wrong forgetting curve asks too late or too early. The fit replays the answers with trial
// weights and scores how well each graded answer given a day or more after the previous one
// was predicted, the chance of guessing right included: P(right) = R + (1 - R) g.
//
// New weights are trusted only when they have shown it: they are fitted to the earlier three
// quarters of the scored answers, and adopted only when they predict the last quarter, which
// they never saw, better than the weights in use by more than chance. A pull towards the
// defaults that keeps its strength however long the history keeps the weights in a plausible
// range, and each weight stays within the published optimizers' bounds.
namespace Calibration {

using AnswerSink = std::function<void(const AnswerRecord&)>;
// Hands every answer to the sink, oldest first.
using AnswerStream = std::function<void(const AnswerSink&)>;
// Called every few milliseconds of a fit's work; throws to stop it.
using Checkpoint = std::function<void()>;

struct Result
{
    Fsrs::Weights weights;
    int reviews = 0;         // scored answers the weights were fitted to
    int heldOut = 0;         // later scored answers they were checked on
    double lossBefore = 0.0; // mean log loss on the later answers, with the weights in use
    double lossAfter = 0.0;  // and with the fitted ones
};

// Too few answers a day or more apart say little: below this, no fit.
constexpr int MinimumReviews = 300;
// Gradings kept for the fit: enough to pin nine shared weights down far more finely than the
// prior allows them to move, and few enough for a fit within seconds.
constexpr std::size_t MaxEvents = 60'000;

// A weight the fit moves: its bounds (those of the published FSRS optimizers) and the spread of
// the prior around the default, on a log scale for the first stabilities.
struct FittedWeight
{
    std::size_t index;
    double low;
    double high;
    double spread;
    bool logScale;
};
inline constexpr std::array<FittedWeight, 9> FittedWeights{{
    {0, 0.001, 100.0, 1.0, true},  // first stability after a wrong answer
    {2, 0.001, 100.0, 1.0, true},  // first stability after a right one
    {6, 0.001, 4.0, 0.6, false},   // how much a lapse raises difficulty
    {8, 0.0, 4.5, 0.39, false},    // growth of stability after a recall
    {9, 0.0, 0.8, 0.18, false},    // how growth slows as stability rises
    {10, 0.001, 3.5, 0.33, false}, // how growth rises as recall falls
    {11, 0.001, 5.0, 0.3, false},  // stability after a lapse
    {17, 0.0, 2.0, 0.31, false},   // same-day reviews
    {20, 0.1, 0.8, 0.27, false},   // shape of the forgetting curve
}};

// Weights fitted to these answers, starting from the policy's, when they predict the later
// answers better than the policy's; nothing otherwise, or with fewer than minimumReviews
// scored answers. The answers are read once.
std::optional<Result> fit(const AnswerStream& answers, const MemoryPolicy& current,
                          int minimumReviews = MinimumReviews, Checkpoint checkpoint = {});
std::optional<Result> fit(const QList<AnswerRecord>& answers, const MemoryPolicy& current,
                          int minimumReviews = MinimumReviews);

// The mean log loss of the policy's weights on these answers (0 when none are scored).
double loss(const AnswerStream& answers, const MemoryPolicy& policy, int* reviews = nullptr);
double loss(const QList<AnswerRecord>& answers, const MemoryPolicy& policy, int* reviews = nullptr);

} // namespace Calibration
