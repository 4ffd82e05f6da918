#include "study/StudySession.h"

#include "words/Meanings.h"

#include <utility>

StudySession::StudySession(StudyEngine& engine, const WordStore& store)
    : engine_(engine), store_(store)
{}

std::optional<StudyQuestion> StudySession::next()
{
    counted_.reset(); // once the next question is built, the answer stays
    question_.reset();
    if (!practising_) {
        question_ = engine_.next();
    } else {
        StudyQuestion question = engine_.nextPractice();
        if (!question.candidates.isEmpty()) // else no word of the studied lengths at all
            question_ = std::move(question);
    }
    asked_ = asked_ || question_.has_value();
    return question_;
}

std::optional<StudyOutcome> StudySession::answer(int chosenIndex)
{
    if (!question_)
        return std::nullopt;
    const StudyQuestion question = *std::exchange(question_, std::nullopt);
    const StudyOutcome outcome = engine_.answer(chosenIndex);
    ++result_.answered;
    if (outcome.right)
        ++result_.right;
    counted_ = Counted{outcome.right, {}, {}};
    if (outcome.right)
        return outcome;
    // Choosing the valid word, the player took a non-word for real and passed over the word;
    // choosing the non-word, the other way round.
    const QString chosen = question.candidates.value(chosenIndex);
    const QString word = question.validKind ? outcome.rightWord : chosen;
    const QString nonWord = question.validKind ? chosen : outcome.rightWord;
    if (!result_.rejectedWords.contains(word)) {
        result_.rejectedWords.append(word);
        result_.meanings.insert(word, Meanings::of(store_, word));
        counted_->rejectedWord = word;
    }
    if (!result_.acceptedNonWords.contains(nonWord)) {
        result_.acceptedNonWords.append(nonWord);
        counted_->acceptedNonWord = nonWord;
    }
    return outcome;
}

std::optional<StudyQuestion> StudySession::takeBack()
{
    if (!counted_)
        return std::nullopt;
    std::optional<StudyQuestion> again = engine_.takeBack();
    if (!again)
        return std::nullopt;
    --result_.answered;
    if (counted_->right)
        --result_.right;
    result_.rejectedWords.removeOne(counted_->rejectedWord);
    result_.meanings.remove(counted_->rejectedWord);
    result_.acceptedNonWords.removeOne(counted_->acceptedNonWord);
    counted_.reset();
    question_ = again;
    return again;
}

StudySession::Offer StudySession::afterRound() const
{
    if (asked_)
        return Offer::Summary;
    return practising_ ? Offer::Nothing : Offer::AskToPractise;
}

void StudySession::keepPractising()
{
    practising_ = true;
    asked_ = false;
    question_.reset();
    counted_.reset();
    result_ = StudySessionResult();
}
