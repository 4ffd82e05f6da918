#include "StudyEngine.h"

#include "WordStore.h"

StudyEngine::StudyEngine(const WordStore& store, History& history, const WallClock& clock,
                         RandomSource& random, StudySettings settings)
    : store_(store), history_(history), clock_(clock), random_(random),
      settings_(std::move(settings))
{}

std::optional<StudyQuestion> StudyEngine::next()
{
    return build(false);
}

StudyQuestion StudyEngine::nextPractice()
{
    return build(true).value_or(StudyQuestion());
}

StudyOutcome StudyEngine::answer(int chosenIndex)
{
    StudyOutcome outcome;
    if (current_) {
        outcome.rightIndex = current_->rightIndex;
        outcome.right = chosenIndex == current_->rightIndex;
        outcome.rightWord = current_->candidates.value(current_->rightIndex);
    }
    current_.reset();
    return outcome;
}

StudyStats StudyEngine::stats() const
{
    return {};
}

int StudyEngine::dueNow() const
{
    return 0;
}

QDateTime StudyEngine::nextReviewAfterSession() const
{
    return {};
}

std::optional<StudyQuestion> StudyEngine::build(bool)
{
    return std::nullopt;
}
