#pragma once

#include "study/AnswerRecorder.h"
#include "study/Fsrs.h"
#include "study/WordMemory.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>

// How answers turn into memory states: the grading of a four-way multiple choice (which words
// an answer counts for, and how much a right answer proves when one in four is a guess), the
// learning steps and the retention the schedule aims at. Pure: the same answers in the same
// order always give the same states, which is what lets the history rebuild them.
struct MemoryPolicy
{
    // Bumped whenever the rules below change, so stored states are rebuilt from the answers.
    static constexpr int Version = 4;

    double desiredRetention = 0.9;
    // Minutes before a word answered wrong, or still being learnt, is asked again within the
    // session; a word graduates to day intervals after passing the last step. None by default:
    // measured on simulated learners, same-session repeats cost more questions than they gave
    // back, and a missed word comes back the next day.
    QList<int> learningStepsMinutes;
    // The player's chance of seeing through a phony at a glance (see FakeSpotting), fitted to
    // the player with the weights. It sets the chance of answering right without knowing a word.
    double fakeSpotting = 0.0;
    // Choosing the word: a pick among the word and the non-words not seen through (1 in 4 for a
    // player who sees through none).
    double guessChanceChosen() const;
    // One of the three real words beside a non-word: spotting the fake, or else a pick between
    // it and this word (the other two taken as known).
    double guessChanceAmongThree() const { return fakeSpotting + (1.0 - fakeSpotting) / 2.0; }
    // What a never-graded word is believed to be recalled with before its first answer.
    double priorRecallOfNewWord = 0.3;

    Fsrs::Model model;
    // A plain Leitner schedule instead, as a baseline for benchmarks: box n (1 to 6) comes back
    // after 2^(n-1) days, a right answer moves the word up a box, a wrong one back to box 1.
    bool leitner = false;
    // What the stored states were derived with; a change makes the history rebuild them.
    int rulesVersion() const { return leitner ? -Version : Version; }

    // One word an answer grades: whether the player showed they knew it, and the chance of
    // having answered right without knowing it.
    struct Grading
    {
        QString word;
        bool right;
        double guessChance;
    };
    // The choose-the-valid question grades its word. A right choose-the-invalid question grades
    // its three words; a wrong one grades the word taken for the fake.
    QList<Grading> gradings(const AnswerRecord& answer) const;
    // The memory state after one grading, given the recall believed before it. Neither a word's
    // first answer nor a right one more likely guessed than recalled carries its stability
    // across the known line.
    static Fsrs::MemoryState graded(const Fsrs::Model& model,
                                    const std::optional<Fsrs::MemoryState>& state,
                                    double priorRecall, bool right, double guessChance,
                                    int elapsedDays);

    // Applies one answer to the states it touches (created on first sight).
    void apply(QHash<QString, WordMemory>& words, const AnswerRecord& answer) const;
    // One grading of a word answered at that moment: its memory, counts and next due time.
    void grade(WordMemory& memory, const Grading& grading, const QDateTime& at) const;
    // The words whose states apply() changes for this answer.
    static QStringList touchedWords(const AnswerRecord& answer);

    // Probability of recall of a graded word at that moment; 0 for a new one.
    double recall(const WordMemory& memory, const QDateTime& at) const;
    bool isGraduated(const WordMemory& memory) const
    {
        return !memory.isNew() && memory.step >= learningStepsMinutes.size();
    }
    // Known: a word whose last graded answer was right and whose memory lasts at least
    // KnownStabilityDays (the usual "mature" line). A wrong answer, a word's first answer and a
    // right answer more likely guessed than recalled never make a word known (see graded()).
    bool isKnown(const WordMemory& memory) const;
    static constexpr double KnownStabilityDays = 21.0;
    // Whole days between two moments, counted by the local calendar with days starting at 4 am.
    static int daysBetween(const QDateTime& earlier, const QDateTime& later);
    // The local calendar day a moment belongs to, days starting at 4 am.
    static QDate studyDay(const QDateTime& at);
    // The moment that day starts (UTC).
    static QDateTime dayStart(const QDate& day);
};
