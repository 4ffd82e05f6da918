#pragma once

#include "base/Services.h"
#include "words/NonWordRules.h"

#include <QString>

class WordStore;

// Invented wrong answers: strings of a fixed length that keep the letter rules of NonWordRules.h
// and that the word list of that length does not hold. A candidate is drawn afresh, every letter,
// until one passes; the list is asked before the letter rules, and a second letter alike to the
// first is drawn again (AlikePair::RedrawSecond).
//
// A word list that held every candidate would keep a generator drawing for ever, so after
// MaxNonWordCandidates membership tests it gives up with an AppError; giving up takes well under
// a second.
//
// Errors of the word store (AppError) pass to the caller unchanged.

// Two different letters, not a stored two-letter word (no vowel needed).
QString GenerateTwoWordNotInDb(WordStore& store, RandomSource& random);
// Three letters (repeats allowed), not a stored three-letter word, holding a vowel.
QString GenerateThreeWordNotInDb(WordStore& store, RandomSource& random);
// Four letters (repeats allowed), not a stored four-letter word, holding a vowel.
QString GenerateFourWordNotInDb(WordStore& store, RandomSource& random);

// The generator of the given word length (2, 3 or 4); throws AppError for any other length.
QString GenerateWordNotInDb(int length, WordStore& store, RandomSource& random);
