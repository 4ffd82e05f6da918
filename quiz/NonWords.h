#pragma once

#include "Services.h"

#include <QString>

class WordStore;

// Invented wrong answers: random upper-case letter strings of a fixed length that the word list of
// that length does not hold. Every letter comes from RandomBetween(65, 90). The generators keep no
// state between calls.
//
// A candidate is drawn afresh, every letter, until one passes. A word list that held every
// candidate would keep a generator drawing for ever, so after MaxNonWordCandidates membership
// tests it gives up with an AppError. Even a list holding 99% of the candidates of its length
// gives up by chance less than once in 10^40 calls, and giving up takes well under a second.
//
// Errors of the word store (AppError) pass to the caller unchanged.

constexpr int MaxNonWordCandidates = 10000;

// True when text holds one of the upper-case vowels A, E, I, O, U (Y is no vowel).
bool ContainsVowel(const QString& text);

// Two different letters, not a stored two-letter word (no vowel needed).
QString GenerateTwoWordNotInDb(WordStore& store, RandomSource& random);
// Three letters (repeats allowed), not a stored three-letter word, holding a vowel.
QString GenerateThreeWordNotInDb(WordStore& store, RandomSource& random);
// Four letters (repeats allowed), not a stored four-letter word, holding a vowel.
QString GenerateFourWordNotInDb(WordStore& store, RandomSource& random);

// The generator of the given word length (2, 3 or 4); throws AppError for any other length.
QString GenerateWordNotInDb(int length, WordStore& store, RandomSource& random);
