#pragma once

#include "AnswerRecorder.h"
#include "Fsrs.h"
#include "WordMemory.h"

#include <QList>

#include <optional>

// Fits the FSRS weights to one player's answers. The published defaults describe the average
// flash-card user; a player of this drill may forget faster or slower, and a schedule built on
// the wrong forgetting curve asks too late or too early. The fit replays every answer with
// trial weights and scores how well each graded answer given a day or more after the previous
// one was predicted, the chance of guessing right included: P(right) = R + (1 - R) g. A gentle
// pull towards the defaults keeps a short history from straying far.
namespace Calibration {

struct Result
{
    Fsrs::Weights weights;
    int reviews = 0;         // graded answers that were scored
    double lossBefore = 0.0; // mean log loss per review, with the starting weights
    double lossAfter = 0.0;  // and with the fitted ones
};

// Too few answers a day or more apart say little: below this, no fit.
constexpr int MinimumReviews = 300;

// The weights that best predict these answers (in time order), starting from the policy's.
std::optional<Result> fit(const QList<AnswerRecord>& answers, const MemoryPolicy& policy,
                          int minimumReviews = MinimumReviews);

// The mean log loss of the policy's weights on these answers (0 when none are scored).
double loss(const QList<AnswerRecord>& answers, const MemoryPolicy& policy, int* reviews = nullptr);

} // namespace Calibration
