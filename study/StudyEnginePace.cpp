// The study engine's day's pace of new words: fixed, or under Auto scaled to the player's recent
// answers a day (see AutoPace), which the history reads with the day's fit.

#include "study/StudyEngine.h"

#include <algorithm>

std::optional<PaceFigure> StudyEngine::autoFigure() const
{
    if (!settings_.autoPace || settings_.mode != StudySettings::Mode::Study ||
        states_.policy().leitner)
        return std::nullopt;
    return log_.paceFigure();
}

int StudyEngine::newLeftToday() const
{
    pools_.advance(clock_.nowUtc());
    return newWordsLeft(pools_.dayPace(), newPerDay(), FirstDayPace);
}

int StudyEngine::newPerDay() const
{
    return autoPace(settings_, autoFigure());
}

int autoPace(const StudySettings& settings, const std::optional<PaceFigure>& figure)
{
    if (!settings.autoPace)
        return settings.newPerDay;
    if (!figure)
        return std::min(settings.newPerDay, settings.newPerDayCap);
    return AutoPace::pace(settings.newPerDay, settings.newPerDayCap, figure->answersPerDay);
}
