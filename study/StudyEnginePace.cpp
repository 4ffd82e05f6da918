// The study engine's day's pace of new words: fixed, or under Auto the forecast's figure (see
// PaceForecast), which the history works out with the day's fit.

#include "base/Random.h"
#include "study/StudyEngine.h"

#include <algorithm>

std::optional<PaceFigure> StudyEngine::autoFigure() const
{
    if (!settings_.autoPace || settings_.mode != StudySettings::Mode::Study ||
        states_.policy().leitner)
        return std::nullopt;
    return log_.paceFigure();
}

int StudyEngine::newPerDay() const
{
    if (!settings_.autoPace || states_.policy().leitner)
        return settings_.newPerDay;
    const std::optional<PaceFigure> figure = autoFigure();
    return std::min(figure ? figure->pace : settings_.newPerDay, settings_.newPerDayCap);
}

PaceRequest StudyEngine::paceRequest() const
{
    PaceRequest request;
    request.lengths = settings_.lengths;
    request.listWords = int(wordSet_.size());
    request.cap = settings_.newPerDayCap;
    request.now = clock_.nowUtc();
    quint64 mix = settings_.paceSeed ^ quint64(MemoryPolicy::studyDay(request.now).toJulianDay());
    request.seed = SplitMix64(mix);
    return request;
}
