#pragma once

#include "History.h"

#include <QAtomicInt>
#include <QSemaphore>

#include <memory>

// A fit that stands in for Calibration: counts its calls and the answers it was fed, and
// returns the policy's weights with the first stabilities (w0 to w3) scaled (1: the same
// weights), or nothing.
// With `hold`, it waits inside until released, as a long fit would; `entered` says it is there.
struct ScriptedFit
{
    std::optional<double> scale = 2.0;
    bool hold = false;
    // Shared with the fit's copy, which may outlive the test case on a thread left behind.
    struct State
    {
        QSemaphore entered;
        QSemaphore released;
        QAtomicInt calls;
        QAtomicInt answers;
    };
    std::shared_ptr<State> state = std::make_shared<State>();

    History::Fitter fitter() const
    {
        return [scale = scale, hold = hold, state = state](const History::AnswerFeed& feed,
                                                           const MemoryPolicy& policy) {
            state->calls.fetchAndAddRelaxed(1);
            int n = 0;
            feed([&](const AnswerRecord&) { ++n; });
            state->answers.storeRelaxed(n);
            state->entered.release();
            if (hold)
                state->released.acquire();
            std::optional<Fsrs::Weights> weights;
            if (scale) {
                weights = policy.model.weights();
                for (std::size_t i = 0; i < 4; ++i)
                    (*weights)[i] *= *scale;
            }
            return weights;
        };
    }
};
