#pragma once

#include "study/AnswerRecorder.h"

#include <QSet>
#include <QString>

// The player's eye for fakes: the chance of seeing through a phony at a glance, without knowing
// the words beside it. Estimated from the choose-the-invalid questions whose three words the
// player had never been asked before, the questions where knowledge helps least: the player is
// right when they spot the fake, and otherwise when their pick among the words they do not
// recall and the fake lands on the fake. With each new word recalled with the memory model's
// prior p, that second chance is c = E[1 / (1 + u)], u ~ Binomial(3, 1 - p), so
// P(right) = s + (1 - s) c, and s = (r - c) / (1 - c) for the share r of such questions answered
// right. Until there are many, r is drawn towards what the starting value gives, as if
// PriorAnswers such answers had been seen.
class FakeSpotting
{
public:
    static constexpr double PriorAnswers = 10.0;

    FakeSpotting(double priorRecallOfNewWord, double start);

    // Takes in the next answer of the history, in order.
    void add(const AnswerRecord& answer);
    double estimate() const;

    // The chance of a right answer without recall or spotting on a choose-the-invalid question of
    // three new words (c above).
    double luckyPickAmongNew() const { return luckyPick_; }

private:
    double luckyPick_;
    double start_;
    int questions_ = 0;
    int right_ = 0;
    QSet<QString> asked_; // every word graded so far
};
