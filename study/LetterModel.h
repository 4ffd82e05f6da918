#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// How word-like a string of letters A-Z looks next to the words of one list: the log-probability
// of its letters under a letter trigram model of the list, with a boundary mark before and after
// each word, so that a likely first or last letter counts too.
//
// A short list leaves most trigrams unseen; every two-letter string that is no word has an unseen
// trigram at its end. So each trigram estimate is mixed with the bigram and single-letter
// estimates of the same list (fixed weights), each smoothed by adding a small count to every
// letter. The table of all 27^3 probabilities is built once; scoring a word is a few look-ups.
class LetterModel
{
public:
    explicit LetterModel(const QStringList& words);

    // The log-probability of the word, boundaries included; higher is more word-like. Only
    // comparable between strings of the same length. Anything outside A-Z counts as a boundary.
    double logScore(const QString& word) const;

private:
    static constexpr int Symbols = 27;  // 0: the word boundary, 1-26: A-Z
    std::vector<float> logProbability_; // by (two back, one back, next)
};
