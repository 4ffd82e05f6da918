#pragma once

#include "base/Services.h"

#include <QString>

#include <functional>
#include <optional>

// The letter rules of invented non-words, the written tests' wrong answers and study's uniform
// mode alike: random upper-case letter strings, every letter from RandomBetween(65, 90), two
// letters different from each other, three or more holding a vowel. No state between calls.

// How many candidates a draw makes before it gives up: with a list holding 99% of the candidates
// of a length, a draw gives up by chance less than once in 10^40 calls.
constexpr int MaxNonWordCandidates = 10000;

// True when text holds one of the upper-case vowels A, E, I, O, U (Y is no vowel).
bool ContainsVowel(const QString& text);

// What a two-letter candidate whose letters are alike comes to.
enum class AlikePair
{
    RedrawSecond, // its second letter is drawn again until it differs: still the same candidate
    RedrawBoth,   // it is dropped, counted as one candidate made, and both letters drawn again
};

// A string of the given length for which taken() is false and that keeps the letter rules, every
// letter drawn afresh for each candidate. taken() is asked first, for every candidate; what it
// throws passes to the caller. Nothing after MaxNonWordCandidates candidates.
std::optional<QString> DrawNonWord(int length, RandomSource& random,
                                   const std::function<bool(const QString&)>& taken,
                                   AlikePair alike);
