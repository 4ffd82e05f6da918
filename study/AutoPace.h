#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>

#include <optional>

// The player's recent answers a day, which the day's automatic pace follows.
struct PaceFigure
{
    double answersPerDay = 0.0;
    QDate day; // the study day it was read on

    bool operator==(const PaceFigure&) const = default;
};

// New words a day that follow how much the player studies. The fixed pace is meant for a player
// who answers ReferenceAnswers questions a day; one who answers fewer gets fewer new words, so
// that the reviews the new words bring keep fitting in the day, and one who answers more gets
// more, up to the cap. Not in proportion: the reviews a word asks for thin out as it settles, so
// a third of the answers keeps about half the new words (the answers' ratio to the power
// AnswersPower). The answers a day are the player's recent ones (the last seven days with answers
// before today), so that the figure holds all day.
namespace AutoPace {

constexpr double ReferenceAnswers = 150.0;
constexpr double AnswersPower = 2.0 / 3.0;

// The day's figure from the answers of the last days (oldest first, today last): the mean over
// the last (at most) seven with answers before today; nothing without any.
std::optional<PaceFigure> figure(const QList<int>& answersByDay, const QDateTime& now);

// The day's pace at these answers a day: the fixed pace scaled to them, rounded, at least one
// word while the fixed pace allows any, and never over the cap.
int pace(int newPerDay, int cap, double answersPerDay);

} // namespace AutoPace
