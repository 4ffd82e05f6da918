#pragma once

// The inside of History, shared by the files that implement it: History.cpp (opening, the answer
// log and the state cache), HistoryWrite.cpp (the waiting answers), HistoryProgress.cpp and
// HistoryCalibration.cpp. Nothing outside study/ includes it.

#include "History.h"
#include "HistoryDb.h"
#include "HistoryRebuild.h"
#include "HistoryWorker.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <mutex>

// Where the background thread leaves its outcome for the thread that owns the history. It is
// only ever held to move the outcome in or out.
struct BackgroundMailbox
{
    std::mutex mutex;
    std::optional<HistoryRebuild::Outcome> outcome;
};

// One history file and what is kept of it in memory. The History's current one, or one of a list
// switched from, left behind until its waiting answers are written.
class History::Impl
{
public:
    Impl(History& owner, QString path, MemoryPolicy policy);

    History& owner;
    const QString path;
    MemoryPolicy policy;
    HistoryDb db;
    bool tried = false;
    bool dbOpen = false;    // the file is open (for reading at least) and of our schema
    bool keepsFile = false; // answers go to the file, waiting while it can't take them
    bool foreign = false;   // the file is another program's: never touched
    bool writer = false;    // the connection is open for writing, on the current schema
    bool saving = false;    // and answers are being written to it
    bool toldNotSaving = false;
    bool cacheLoaded = false;
    QHash<QString, WordMemory> cache; // the stored states with the waiting answers applied
    qint64 lastSeenId = 0;

    // Answers not written yet, oldest first, and how they are retried.
    QList<AnswerRecord> waiting;
    // Answers already written that the player took back, the undo entry not written yet.
    struct Undo
    {
        qint64 answerId;
        QDateTime at;
        QStringList words; // the answer's candidates
    };
    QList<Undo> waitingUndos;
    // Answers of a history kept in memory only, oldest first.
    QList<AnswerRecord> unsaved;
    // The last answer recorded, while it can still be taken back, and where it is now.
    struct LastAnswer
    {
        enum class Where
        {
            Unsaved,
            Waiting,
            Written
        };
        AnswerRecord answer;
        Where where;
        qint64 id = 0; // when written
    };
    std::optional<LastAnswer> last;
    QTimer retry;
    int retryDelayMs = 0;
    QElapsedTimer busySince; // another program has held the file since

    void open();
    void closeDb();
    void tellNotSaving(const QString& reason);
    void tellStartedAfresh(const QString& movedTo);
    // Moves the file aside; "" when it could not be.
    QString moveAside(const QString& why);

    void loadCache();
    // The cached states of these words replayed from their answers: those in the file that count
    // (less the undo entries still waiting), then the unsaved and waiting ones. Words no answer
    // shows leave the cache.
    void refreshWords(const QStringList& words);
    // After the cache was read from the file: the answers still waiting applied, and the words of
    // the waiting undo entries replayed.
    void applyWaiting();
    // Replays every stored answer into fresh states.
    QHash<QString, WordMemory> replay();
    // Replays every answer into fresh stored states, here and now.
    void rebuildStored();

    // Writes the waiting answers, waiting at most waitMs for another program's lock. True when
    // none are left waiting.
    bool flush(int waitMs);
    // Writes every waiting answer and undo entry and the states they change in one transaction.
    void writeWaiting();
    // Puts the waiting undo entries in the file, and replays their words; inside writeWaiting's
    // transaction. Returns the words replayed (gone from `states` when no answer shows them).
    QStringList writeWaitingUndos(QHash<QString, WordMemory>& states);
    // Opens the file again for writing when it has become writable; throws DbError.
    void reopenForWriting();
    // After a failed write: tells the player about a lasting cause, and tries again later.
    void failed(const DbError& e);
    // Moves a damaged file aside and starts a fresh one; false when it could not be moved.
    bool startAfresh(const DbError& e);
    // Fits and rebuilds; see HistoryRebuild.
    QDate fitAskedOn; // the study day this History last looked for a fit
    BackgroundMailbox mailbox;
    QObject inbox;        // on the owner's thread: the worker's news is queued to it
    HistoryWorker worker; // last: stopped before the rest goes
    HistoryRebuild::Order order(bool rulesChanged, const QDate& fitDay) const;
    // Starts the order on the background thread, unless work is running or waiting.
    bool startBackground(HistoryRebuild::Order order);
    // Stops the background work and forgets what it left (the file is going away).
    void stopBackground();
    // On the owner's thread, queued by the worker: finished work waits in the mailbox.
    void backgroundFinished();
    bool isCurrent() const { return owner.d_ == this; }
    // Takes up an outcome: the weights, and the states with the answers written since applied.
    // True when the states changed.
    bool adopt(HistoryRebuild::Outcome outcome);
};
