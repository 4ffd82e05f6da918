#pragma once

#include "base/Services.h"
#include "base/StudyOrder.h"
#include "study/FocusDrill.h"
#include "study/Phonies.h"
#include "study/StudyHistory.h"
#include "study/StudyPools.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

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
    // Which length's new words come first (see StudyOrder); only the studied lengths count.
    StudyOrder order = StudyOrder::Shortest;
    // The day's fit runs in the background and is taken up between questions; without, it runs
    // before the question that asks for it, so that a scripted run repeats exactly.
    bool backgroundFits = true;
    // Auto: new words a day follow the player's recent answers a day (AutoPace: newPerDay at
    // 150 answers a day, in proportion), at most newPerDayCap; newPerDay until there are answers
    // before today. Never under the Leitner baseline.
    bool autoPace = false;
    int newPerDayCap = 50;
};

// The day's pace under these settings: the fixed one, or under Auto the one the figure gives.
int autoPace(const StudySettings& settings, const std::optional<PaceFigure>& figure);

struct StudyQuestion
{
    bool validKind = true; // choose the valid word (else: choose the invalid word)
    int length = 0;
    QStringList candidates; // four, upper case, in button order
    int rightIndex = 0;     // 0 to 3
};

struct StudyStats
{
    int seen = 0;                   // words of the studied lengths answered at least once
    int due = 0;                    // of those, due now
    int learned = 0;                // of those, known (MemoryPolicy::isKnown)
    int newLeftToday = 0;           // new words still to come today
    std::optional<PaceFigure> pace; // under Auto, the figure in use
};

struct StudyOutcome
{
    bool right = false;
    int rightIndex = 0;
    QString rightWord;
    // In a choose-the-invalid question, the real word the player was least likely to recall
    // before this answer (a new one first): the one worth a look at its meaning.
    QString leastKnown;
};

// The scheduler: chooses each question of a study drill from the word states and hands the
// answers on to the answer log. The clock and the random source come from outside, so tests and
// the drill tool can script both.
class StudyEngine
{
public:
    StudyEngine(const WordStore& store, const WordStateView& states, AnswerLog& answers,
                const WallClock& clock, RandomSource& random,
                StudySettings settings = StudySettings());
    StudyEngine(const WordStore& store, StudyHistory& history, const WallClock& clock,
                RandomSource& random, StudySettings settings = StudySettings());
    StudyEngine(const StudyEngine&) = delete; // its phonies refer to its own word lists
    StudyEngine& operator=(const StudyEngine&) = delete;

    // The next question of today's work: the due words missed last time, then the other due
    // words with new words up to the day's pace every other question. nullopt when all are done.
    std::optional<StudyQuestion> next();
    // A question even when today's work is done: today's due and new words first, then new
    // words beyond the day's pace while the player holds their words (DayPace::takesMore) or
    // no seen word has faded at all, else the seen words whose recall has faded most. Used when
    // the player goes on.
    StudyQuestion nextPractice();
    // Scores the last question (chosenIndex 0 to 3) and records it.
    StudyOutcome answer(int chosenIndex);
    // Takes the last answer back, as long as no question has been asked since: the history
    // forgets it (see History::takeBack), the feedback it showed is no longer held back, and the
    // same question is to be answered again. nullopt when there is nothing to take back.
    std::optional<StudyQuestion> takeBack();

    StudyStats stats() const;
    int dueNow() const;
    // From now on the questions drill these words and no others: each of them the list holds, of
    // the studied lengths, asked once, whatever the day's pace (FocusDrill); then nothing is left,
    // nor to practise. The answers count as any others.
    void focusOn(const QStringList& words);
    // Words of the drill not asked yet; nothing when there is no drill.
    std::optional<int> focusLeft() const;
    // The studied lengths of which the list holds no word, in order: study leaves them out.
    const QList<int>& emptyLengths() const { return emptyLengths_; }
    // The studied lengths whose list leaves fewer non-words than a question shows (a list that
    // counts nearly every string of the length a word), in order: study leaves them out too.
    const QList<int>& fullLengths() const { return fullLengths_; }
    // When the first word falls due after what has been done so far (invalid when nothing will).
    QDateTime nextReviewAfterSession() const;

    const StudySettings& settings() const { return settings_; }

    // Answered questions during which a word the feedback showed (the right answer, and the
    // player's wrong choice) is not asked again in study mode, unless HoldBackMinutes have
    // passed: four candidates a question and the feedback line push it out of short-term memory
    // (about four items, gone within some 20 s unrehearsed) after a handful of questions, and a
    // session of a day's words (some 15 to 40 questions) still brings it back before it ends. A
    // pause that long, or the next session, is past short-term memory anyway.
    static constexpr int HoldBackQuestions = 6;
    // A player's first day allows this many times the day's new words. A choose-the-invalid
    // question brings in three words at once, so the pace alone (20 words) would end a new
    // player's first session after some seven questions; with nothing yet to review, the first
    // day sorts out the words the player already knows instead.
    static constexpr int FirstDayPace = 3;
    static constexpr int HoldBackMinutes = 10;
    // A word missed last time comes back alone, as the word to find among three phonies, once it
    // has been missed this many times in all; until then it comes back among two other words. A
    // choose-the-valid question reviews one word where a choose-the-invalid one reviews three: on
    // simulated learners (three seeds), asking every missed word alone cost those who miss most
    // 2 to 4 points of the list by day 60, and asking it alone from the second miss up to 4. A
    // word missed this often is confused with its near misses, and a right answer among them,
    // hard to guess, shows it relearnt.
    static constexpr int AloneAfterMisses = 4;
    // The most non-words a question shows: three beside the word to find.
    static constexpr int NonWordsAQuestion = 3;

private:
    QString leastKnown(const StudyQuestion& q) const;

    const WordStore& store_;
    const WordStateView& states_;
    AnswerLog& log_;
    const WallClock& clock_;
    RandomSource& random_;
    StudySettings settings_;
    std::optional<StudyQuestion> current_;
    std::optional<StudyQuestion> answered_; // the question just answered, until the next one
    QDateTime shownAt_;
    // The word lists of the studied lengths, read once.
    QHash<int, QStringList> words_;
    QList<int> emptyLengths_;
    QList<int> fullLengths_;
    // Every word of them, with its place in its length's list.
    WordPlaces position_;
    Phonies phonies_{words_, position_};
    bool phoniesRemembered_ = false; // the log's recent non-words handed to phonies_
    // When each of the last HoldBackQuestions answers was given and what its feedback showed,
    // the latest last (one more while the last answer can still be taken back).
    QList<std::pair<QDateTime, QStringList>> revealed_;

    // The graded words sorted by what they need, kept up to date (filled on first use).
    mutable StudyPools pools_{states_, words_, position_};

    // Per length, how many words need attention now.
    struct Pools
    {
        qsizetype missedCount = 0; // due, and answered wrongly the last time
        qsizetype dueCount = 0;
        qsizetype freshCount = 0; // never graded
    };
    QHash<int, Pools> pools() const;
    int lengthWithNewWords(const QHash<int, Pools>& pools);
    int drawLength(const QHash<int, Pools>& pools, qsizetype Pools::*count);
    // Whether a question on this length may bring in new words: in the shortest-first order,
    // only while no shorter studied length has any.
    bool takesNewWords(int length, const QHash<int, Pools>& pools) const;
    int chooseLength(const QHash<int, Pools>& pools, int& newLeft, bool practice, bool& freshOnly);
    std::optional<StudyQuestion> uniform();
    std::optional<StudyQuestion> focused();
    std::optional<FocusDrill> focus_;
    std::optional<StudyQuestion> build(bool practice);
    QStringList chooseWords(int length, const QStringList& held, const QHash<int, Pools>& all,
                            int newLeft, bool freshOnly);
    StudyQuestion assemble(bool validKind, int length, const QStringList& answers,
                           const QStringList& others);
    QString nonWord(int length, const QStringList& avoid);
    QStringList nonWords(int length, int count, const QStringList& avoid);
    QString randomWord(int length);
    QStringList heldBack() const;
    // New words still allowed today (the pace counts words, not questions).
    int newLeftToday() const;
    // The day's pace (autoPace).
    int newPerDay() const;
    std::optional<PaceFigure> autoFigure() const;
    void calibrateOncePerDay();
    void moveOn();
    bool asked_ = false; // a question of this session has been built
    // The day's new words come in every other question while reviews are due (after the words
    // missed last time), so that a player behind with reviews still gets the day's pace.
    bool newTurn_ = false;
};
