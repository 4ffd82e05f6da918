#pragma once

#include "Session.h"
#include "TestDoubles.h"
#include "WordStore.h"

// A fresh session for one test case: recording services, a word store over them and an untouched
// test-run state.
struct TestSession
{
    TestEnvironment test;
    WordStore store{test.random};
    Session session{test.env, store};
};
