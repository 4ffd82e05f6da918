#include "study/AutoPace.h"

#include "study/MemoryPolicy.h"

#include <algorithm>
#include <cmath>

namespace AutoPace {

std::optional<PaceFigure> figure(const QList<int>& answersByDay, const QDateTime& now)
{
    constexpr int Recent = 7;
    int days = 0;
    double sum = 0.0;
    for (qsizetype i = answersByDay.size() - 2; i >= 0 && days < Recent; --i) {
        if (answersByDay[i] > 0) {
            sum += answersByDay[i];
            ++days;
        }
    }
    if (days == 0)
        return std::nullopt;
    return PaceFigure{sum / days, MemoryPolicy::studyDay(now)};
}

int pace(int newPerDay, int cap, double answersPerDay)
{
    if (newPerDay <= 0 || cap <= 0)
        return 0;
    const double scaled =
        newPerDay * std::pow(std::max(0.0, answersPerDay) / ReferenceAnswers, AnswersPower);
    return std::min(cap, std::max(1, int(std::lround(scaled))));
}

} // namespace AutoPace
