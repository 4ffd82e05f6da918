#include "study/FakeSpotting.h"

#include <algorithm>
#include <cmath>

FakeSpotting::FakeSpotting(double priorRecallOfNewWord, double start) : start_(start)
{
    const double p = std::clamp(priorRecallOfNewWord, 0.0, 1.0);
    luckyPick_ = 0.0;
    for (int unrecalled = 0; unrecalled <= 3; ++unrecalled) {
        const double ways = unrecalled == 0 || unrecalled == 3 ? 1.0 : 3.0;
        luckyPick_ +=
            ways * std::pow(1.0 - p, unrecalled) * std::pow(p, 3 - unrecalled) / (1.0 + unrecalled);
    }
}

void FakeSpotting::add(const AnswerRecord& answer)
{
    if (answer.candidates.size() != 4 || answer.rightIndex < 0 || answer.rightIndex > 3)
        return;
    bool allNew = !answer.validKind;
    for (int i = 0; i < 4; ++i)
        if (i != answer.rightIndex && asked_.contains(answer.candidates.at(i)))
            allNew = false;
    if (allNew) {
        ++questions_;
        right_ += answer.chosenIndex == answer.rightIndex ? 1 : 0;
    }
    if (answer.validKind)
        asked_.insert(answer.candidates.at(answer.rightIndex));
    else
        for (int i = 0; i < 4; ++i)
            if (i != answer.rightIndex)
                asked_.insert(answer.candidates.at(i));
}

double FakeSpotting::estimate() const
{
    const double c = luckyPick_;
    const double prior = start_ + (1.0 - start_) * c;
    const double r = (right_ + PriorAnswers * prior) / (questions_ + PriorAnswers);
    return std::clamp((r - c) / (1.0 - c), 0.0, 1.0);
}
