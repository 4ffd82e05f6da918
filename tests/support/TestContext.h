#pragma once

#include "TestDoubles.h"
#include "quiz/TrainerContext.h"
#include "words/WordStore.h"

// A fresh context for one test case: recording services, a word store over them and an untouched
// test-run state.
struct TestContext
{
    TestEnvironment test;
    WordStore store{test.random};
    TrainerContext context{test.env, store};
};
