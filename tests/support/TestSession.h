#pragma once

#include "TestDoubles.h"
#include "quiz/Session.h"
#include "words/WordStore.h"

// A fresh session for one test case: recording services, a word store over them and an untouched
// test-run state.
struct TestSession
{
    TestEnvironment test;
    WordStore store{test.random};
    Session session{test.env, store};
};
