#pragma once

#include <QDateTime>

#include <array>

// What the study button's first count needs of a history, by word length, read straight from the
// file ahead of its states (HistorySchema::tallyDue): the graded words due at `at`, and the real
// words among them first graded before that study day and on it. countDue() turns it into the
// button's figures, as it does the states.
struct DueTally
{
    static constexpr int LongestWord = 4;

    QDateTime at;
    std::array<int, LongestWord + 1> due{};
    std::array<int, LongestWord + 1> earlier{};
    std::array<int, LongestWord + 1> introduced{};
};
