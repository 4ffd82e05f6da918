#pragma once

#include "study/StudyEngine.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <optional>

class WordStore;

// What a study session did, for its summary.
struct StudySessionResult
{
    int answered = 0;
    int right = 0;
    QStringList rejectedWords;        // valid words the player took for non-words
    QHash<QString, QString> meanings; // of the rejected words that have one
    QStringList acceptedNonWords;     // non-words the player took for real words
    QDateTime nextReview;             // invalid when nothing is scheduled
    bool saved = true;                // every answer is in the history file
    bool canPractise = true;          // practice may follow (not after a drill of chosen words)
    QDateTime endedAt;
};

// One sitting at the study drill, in rounds: today's work first, then, as long as the player
// keeps practising, rounds of practice. It asks the engine for the questions, keeps the round's
// figures (answers, right ones, the words missed each way) and takes an answer back out of them,
// and says what the player is offered when a round is over. The window only shows it.
class StudySession
{
public:
    StudySession(StudyEngine& engine, const WordStore& store);

    // The round's next question, to be answered next: nullopt when the round is over (today's
    // work done, or when practising, no word of the studied lengths at all).
    std::optional<StudyQuestion> next();
    // Scores the question being asked (chosenIndex 0 to 3) and counts it; nothing when no
    // question waits for an answer.
    std::optional<StudyOutcome> answer(int chosenIndex);
    // Takes the last answer back, out of the history and of the figures, while no question has
    // been asked since; the same question waits for an answer again. nullopt when there is
    // nothing to take back.
    std::optional<StudyQuestion> takeBack();

    // The question waiting for an answer, if any.
    const std::optional<StudyQuestion>& question() const { return question_; }
    const StudySessionResult& result() const { return result_; }
    bool practising() const { return practising_; }
    // The engine's figures for the status line: due words left, new words left today.
    StudyStats stats() const { return engine_.stats(); }
    // Words of a drill of chosen words not asked yet; nothing for today's work.
    std::optional<int> focusLeft() const { return engine_.focusLeft(); }
    // The studied lengths the list has no word of, left out.
    const QList<int>& emptyLengths() const { return engine_.emptyLengths(); }
    // The studied lengths the list leaves too few non-words of, left out.
    const QList<int>& fullLengths() const { return engine_.fullLengths(); }

    // What follows a round that is over.
    enum class Offer
    {
        Summary,       // the round's summary, which offers practice
        AskToPractise, // nothing was left to ask of today's work: ask whether to practise
        Nothing        // practice had no word to ask: the sitting ends
    };
    Offer afterRound() const;
    // Starts a round of practice, its figures afresh.
    void keepPractising();

private:
    StudyEngine& engine_;
    const WordStore& store_;
    bool practising_ = false;
    bool asked_ = false; // the round asked a question
    std::optional<StudyQuestion> question_;
    StudySessionResult result_;
    // What the last answer added to result_, while it can be taken back.
    struct Counted
    {
        bool right = false;
        QString rejectedWord; // newly added to the lists, else empty
        QString acceptedNonWord;
    };
    std::optional<Counted> counted_;
};
