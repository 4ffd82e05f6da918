#pragma once

#include "Environment.h"
#include "TestRunState.h"
#include "WordStore.h"

// Everything the windows of a test run share: the services, the word store and the one
// test-run state.
struct Session
{
    Session(Environment& env, WordStore& store) : env(env), store(store) {}

    Environment& env;
    WordStore& store;
    TestRunState state;
};
