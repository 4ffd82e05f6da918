#pragma once

#include "study/History.h"

#include <QDate>
#include <QHash>

#include <optional>

class HistoryDb;
class WorkControl;

// Fitting the weights to the player's answers and rebuilding the word states from them. run()
// only reads: it fits and replays the answers up to the last one there was, on the history's
// background thread (or the caller's). Its outcome goes to the history's writer, whose store()
// puts the states in place in one short transaction, with the answers written meanwhile applied
// too.
namespace HistoryRebuild {

struct Order
{
    MemoryPolicy policy;       // the rules and weights the stored states follow
    bool rulesChanged = false; // rebuild the states even when the weights stay
    QDate fitDay;              // fit, unless a fit ran on this study day; invalid: no fit
    History::Fitter fitter;
    // Then the day's automatic pace (AutoPace), from the answers of the last days.
    QDateTime paceAt; // invalid: none
};

struct Outcome
{
    std::optional<Fsrs::Weights> newWeights; // a fit that changed the weights
    std::optional<double> newFakeSpotting;   // a fit that changed the player's eye for fakes
    bool rebuilt = false;
    QHash<QString, WordMemory> states; // when rebuilt: the stored states, as of throughId
    qint64 throughId = 0;
    qint64 throughUndoId = 0;       // and of the undo entries up to this one
    QDate fittedOn;                 // a fit ran, on this study day (invalid: none)
    int fittedAnswers = 0;          // over this many answers
    std::optional<PaceFigure> pace; // the day's pace asked for, once there are answers to go by

    // Whether anything is to be stored.
    bool any() const { return rebuilt || fittedOn.isValid(); }
};

// Whether the weights were fitted on that study day.
bool fittedOn(const HistoryDb& db, const QDate& day);

// Does what the order asks, reading only; throws DbError, or WorkCancelled from control.
Outcome run(const HistoryDb& db, const Order& order, WorkControl& control);

// Inside a write transaction: the outcome put in place under the policy it was reached with,
// brought up to the file's end. Its states and ids become those stored now.
void store(const HistoryDb& db, const MemoryPolicy& policy, Outcome& outcome);

// The states of every answer from the first through throughId.
QHash<QString, WordMemory> replay(const HistoryDb& db, const MemoryPolicy& policy, qint64 throughId,
                                  WorkControl& control);

// Applies the answers after `afterId` to states, with the words they touched written back.
// Inside a write transaction. Returns the id of the last answer.
qint64 applyLater(const HistoryDb& db, const MemoryPolicy& policy,
                  QHash<QString, WordMemory>& states, qint64 afterId);

// The states of these words alone, replayed from the answers that showed them (a word's state
// depends on those answers only), leaving out the answers `skipping` too. A word no answer
// shows has none.
QHash<QString, WordMemory> replayWords(const HistoryDb& db, const MemoryPolicy& policy,
                                       const QStringList& words,
                                       const QList<qint64>& skipping = {});
// Inside a write transaction: these words replayed into states and word_state alike.
void replayWordsInto(const HistoryDb& db, const MemoryPolicy& policy,
                     QHash<QString, WordMemory>& states, const QStringList& words);
// Inside a write transaction: the words of the answers taken back after the undo entry
// `afterUndoId` replayed into states and word_state. Returns the id of the last undo entry.
qint64 applyUndosAfter(const HistoryDb& db, const MemoryPolicy& policy,
                       QHash<QString, WordMemory>& states, qint64 afterUndoId);

} // namespace HistoryRebuild
