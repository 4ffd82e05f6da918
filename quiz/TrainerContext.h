#pragma once

#include "base/Environment.h"
#include "quiz/TestRunState.h"
#include "study/AnswerRecorder.h"
#include "words/WordStore.h"

// Everything the windows of a test run share: the services, the word store, the one test-run
// state and where answers are recorded.
struct TrainerContext
{
    TrainerContext(Environment& env, WordStore& store) : env(env), store(store) {}

    Environment& env;
    WordStore& store;
    TestRunState state;
    // Keeps every scored answer (the player's study history), stamped with the clock's time;
    // nothing is recorded while either is null.
    AnswerRecorder* recorder = nullptr;
    const WallClock* clock = nullptr;
};
