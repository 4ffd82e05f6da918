#include "study/AutoPace.h"

#include "study/MemoryPolicy.h"

#include <algorithm>
#include <cmath>

namespace AutoPace {

QList<qsizetype> recentDays(const QList<int>& answersByDay)
{
    constexpr int Recent = 7;
    QList<qsizetype> days;
    for (qsizetype i = answersByDay.size() - 2; i >= 0 && days.size() < Recent; --i)
        if (answersByDay[i] > 0)
            days.append(i);
    return days;
}

std::optional<PaceFigure> figure(const QList<int>& answersByDay, const QDateTime& now)
{
    const QList<qsizetype> days = recentDays(answersByDay);
    if (days.isEmpty())
        return std::nullopt;
    double sum = 0.0;
    for (qsizetype i : days)
        sum += answersByDay[i];
    return PaceFigure{sum / double(days.size()), MemoryPolicy::studyDay(now)};
}

int pace(int newPerDay, int cap, double answersPerDay)
{
    if (newPerDay <= 0 || cap <= 0)
        return 0;
    const double scaled = newPerDay * std::max(0.0, answersPerDay) / ReferenceAnswers;
    return std::min(cap, std::max(1, int(std::lround(scaled))));
}

} // namespace AutoPace
