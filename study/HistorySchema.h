#pragma once

#include "study/AnswerRecorder.h"
#include "study/DueTally.h"
#include "study/Fsrs.h"
#include "study/WordMemory.h"

#include <QHash>
#include <QStringList>

#include <functional>
#include <limits>
#include <optional>

class HistoryDb;

// The history's tables and how rows map to answers and word states. The one place that knows
// the layout.
//
//   answers     the raw facts of every answer, never changed once written
//   undone      the answers the player took back, each with the time it was taken back: such an
//               answer stays in the log and counts nowhere
//   word_state  each word's memory state, derived from the answers (a cache)
//   meta        key/value: the rules the states follow ("grading"), the fitted weights
//               ("weights"), how many answers they were fitted to ("fitted_answers") and the
//               study day of the last fit ("fitted_on", yyyy-MM-dd), the player's fitted
//               eye for fakes ("fake_spotting", 0 to 1)
namespace HistorySchema {

constexpr int Version = 3;
// Marks the file as this program's history in its header (PRAGMA application_id): "LXTH".
constexpr int ApplicationId = 0x4C585448;

enum class Kind
{
    Ours,   // our history, of this version or an older one (*version says which)
    New,    // an empty database: ours to create
    Newer,  // our history, written by a newer version of the program
    Foreign // another program's database, or a schema we don't know: never to be written
};
// What the open file holds, found by reading only.
Kind identify(const HistoryDb& db, int* version);

// Brings the file from `from` to Version, one transaction per step, marks it as ours and gives
// it the index by time.
// Another program may have migrated it meanwhile; each step checks the version again inside its
// transaction.
void migrate(const HistoryDb& db, int from);

// Answers, oldest first, handed one at a time to `sink`: those after `afterId` up to `throughId`,
// leaving out those taken back. Returns the id of the last one.
qint64 forEachAnswer(const HistoryDb& db, const std::function<void(const AnswerRecord&)>& sink,
                     qint64 afterId = 0, qint64 throughId = std::numeric_limits<qint64>::max());
// Appends one answer and returns its id.
qint64 insertAnswer(const HistoryDb& db, const AnswerRecord& a);
// The last answer written, taken back or not.
qint64 lastAnswerId(const HistoryDb& db);
// The non-words the last `answers` answers showed, in the order shown.
QStringList recentNonWords(const HistoryDb& db, int answers);
// What changes whenever the stored states may have: the last answer, the last undo entry and
// every rule kept with the file (the fitted weights, the rules the states follow).
QString stateStamp(const HistoryDb& db);
// The stored states counted by length for the study button's first count at `now`, without
// reading them one by one.
DueTally tallyDue(const HistoryDb& db, const QDateTime& now);
// The answers that count: those not taken back.
int answerCount(const HistoryDb& db);
// A condition on the answers table, true of the answers that count.
QString countsOnly();
// The answers that count and show one of these words, oldest first, leaving out `skipping` too.
void forEachAnswerShowing(const HistoryDb& db, const QStringList& words,
                          const QList<qint64>& skipping,
                          const std::function<void(const AnswerRecord&)>& sink);

// Records that the answer with this id was taken back at `at`; once is enough.
void insertUndo(const HistoryDb& db, qint64 answerId, const QDateTime& at);
// The last undo entry's own id (0 for none): undo entries are numbered as they are written.
qint64 lastUndoId(const HistoryDb& db);
// The words shown by the answers taken back by the undo entries after `afterUndoId`.
QStringList wordsTakenBackAfter(const HistoryDb& db, qint64 afterUndoId);

// Every stored state, by word.
QHash<QString, WordMemory> readStates(const HistoryDb& db);
// The stored states of these words only.
QHash<QString, WordMemory> readStatesOf(const HistoryDb& db, const QStringList& words);
void writeState(const HistoryDb& db, const WordMemory& m);
void deleteState(const HistoryDb& db, const QString& word);
void clearStates(const HistoryDb& db);

// Inside a write transaction: word_state becomes these states, in one batch.
void replaceStates(const HistoryDb& db, const QHash<QString, WordMemory>& states);

QVariant meta(const HistoryDb& db, const QString& key);
void setMeta(const HistoryDb& db, const QString& key, const QVariant& value);
// The fitted weights kept in meta, if there are any that make sense.
std::optional<Fsrs::Weights> storedWeights(const HistoryDb& db);
void storeWeights(const HistoryDb& db, const Fsrs::Weights& weights);

} // namespace HistorySchema
