#pragma once

#include "History.h"
#include "Services.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class WordStore;

struct StudySettings
{
    enum class Mode
    {
        Study,  // due words first, new words at the set pace
        Uniform // like the written tests: random kind, length and words; nothing scheduled
    };
    int newPerDay = 20;
    QList<int> lengths{2, 3, 4};
    Mode mode = Mode::Study;
    // The day's fit runs in the background and is taken up between questions; without, it runs
    // before the question that asks for it, so that a scripted run repeats exactly.
    bool backgroundFits = true;
};

struct StudyQuestion
{
    bool validKind = true; // choose the valid word (else: choose the invalid word)
    int length = 0;
    QStringList candidates; // four, upper case, in button order
    int rightIndex = 0;     // 0 to 3
};

struct StudyStats
{
    int seen = 0;         // words of the studied lengths answered at least once
    int due = 0;          // of those, due now
    int learned = 0;      // of those, known now
    int newLeftToday = 0; // new words still to come today
};

struct StudyOutcome
{
    bool right = false;
    int rightIndex = 0;
    QString rightWord;
};

// The scheduler: chooses each question of a study drill from the history and records the
// answers into it. The clock and the random source come from outside, so tests and the drill
// tool can script both.
class StudyEngine
{
public:
    StudyEngine(const WordStore& store, History& history, const WallClock& clock,
                RandomSource& random, StudySettings settings = StudySettings());

    // The next question of today's work: due words, then new words up to the day's pace.
    // nullopt when both are done.
    std::optional<StudyQuestion> next();
    // A question even when today's work is done: the words whose recall has faded most, and
    // new words beyond the day's pace once nothing has faded. Used when the player goes on.
    StudyQuestion nextPractice();
    // Scores the last question (chosenIndex 0 to 3) and records it.
    StudyOutcome answer(int chosenIndex);

    StudyStats stats() const;
    int dueNow() const;
    // When the first word falls due after what has been done so far (invalid when nothing will).
    QDateTime nextReviewAfterSession() const;

    const StudySettings& settings() const { return settings_; }

private:
    const WordStore& store_;
    History& history_;
    const WallClock& clock_;
    RandomSource& random_;
    StudySettings settings_;
    std::optional<StudyQuestion> current_;
    QDateTime shownAt_;
    // The word lists of the studied lengths, read once.
    QHash<int, QStringList> words_;
    QSet<QString> wordSet_;

    std::optional<StudyQuestion> build(bool practice);
    StudyQuestion assemble(bool validKind, int length, const QStringList& answers,
                           const QStringList& others);
    QString nonWord(int length, const QStringList& avoid);
    QStringList nonWords(int length, int count, const QStringList& avoid);
    QString randomWord(int length);
    int introducedToday() const;
    void calibrateOncePerDay();
    bool asked_ = false; // a question of this session has been built
};
