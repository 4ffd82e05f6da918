#pragma once

// The inside of History, shared by the files that implement it: History.cpp (the facade),
// HistoryOpen.cpp (opening: classify, open or create, upgrade, read the states),
// HistoryWrite.cpp (the answers waiting for the writer) and HistoryCalibration.cpp (fits and
// rebuilds, and whether they changed the states). The word states are a WordStates, the
// progress queries HistoryProgress. Nothing outside study/ includes it.

#include "study/History.h"
#include "study/HistoryDb.h"
#include "study/HistoryMode.h"
#include "study/HistoryPreload.h"
#include "study/HistoryRebuild.h"
#include "study/HistoryWorker.h"
#include "study/HistoryWriter.h"
#include "study/ThreadInbox.h"
#include "study/WaitingAnswers.h"
#include "study/WordStates.h"

#include <QHash>
#include <QObject>
#include <QSet>

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
    HistoryDb db; // open (for reading at least) only on a file of our schema
    HistoryMode mode = HistoryMode::Untried;
    bool toldNotSaving = false;
    WordStates states; // the stored states with the answers not yet written applied
    qint64 lastSeenId = 0;
    // The non-words the last questions showed, the latest last: read with the first states, then
    // kept up as answers come.
    QStringList recentNonWords;
    bool nonWordsRead = false;

    WaitingAnswers log; // the answers and undo entries the file does not hold yet

    // The one way in: classifies the file, opens or creates it, brings it to the current
    // layout and reads its states. Once; again only after the file was moved aside.
    void open();
    // Opens the file as it is, moving a damaged one aside first: the mode it leaves.
    HistoryMode openFile();
    // The fitted weights and the rules the stored states follow; a rebuild asked for when those
    // rules changed.
    void readRules();
    // The stored states, with the answers not yet written applied.
    void readStates();
    void tellNotSaving(const QString& reason);
    void tellStartedAfresh(const QString& movedTo);
    // Moves the file aside; "" when it could not be.
    QString moveAside(const QString& why);

    // The states of these words replayed from their answers: those in the file that count (less
    // the undo entries still waiting), then the unsaved ones. Words no answer shows leave the
    // states.
    void refreshWords(const QStringList& words);
    // Replays every stored answer into fresh states.
    QHash<QString, WordMemory> replay();
    // Replays every answer into fresh stored states, here and now.
    void rebuildStored();

    // The history's writer, started on first use.
    HistoryWriter& writes();
    // Waits at most waitMs for another program's lock while the writer writes what it holds,
    // and takes its reports. True when none are left waiting.
    bool flush(int waitMs);
    // On the owner's thread: what the writer reported since.
    void takeReports();
    void takeReport(WriteReport report);
    // The states of these words set from `base` (absent: none), with the answers still waiting
    // applied again; the words of undo entries still waiting keep their states.
    void rebase(const QHash<QString, WordMemory>& base, const QSet<QString>& words);
    // Back to untried: nothing kept of the file (it is going away).
    void forget();
    // After a failed write: tells the player about a lasting cause.
    void failed(const WriteReport& report);
    // Moves a damaged file aside and starts a fresh one; false when it could not be moved.
    bool startAfresh(const DbError& e);
    // Fits and rebuilds; see HistoryRebuild.
    QDate fitAskedOn;               // the study day this History last looked for a fit
    QDate paceAskedOn;              // and last read the day's pace figure
    std::optional<PaceFigure> pace; // the last figure read
    BackgroundMailbox mailbox;
    // On the owner's thread: the worker's and the writer's news, queued. They outlive both.
    ThreadInbox workerNews{[this] { backgroundFinished(); }};
    ThreadInbox writerNews{[this] { takeReports(); }};
    // The owner hears of states read ahead as of finished background work.
    ThreadInbox preloadNews{[this] { backgroundFinished(); }};
    std::unique_ptr<HistoryPreload> preload;    // joined before the inboxes go
    HistoryWorker worker;                       // stopped before the rest goes
    std::unique_ptr<HistoryWriter> writeThread; // stopped first
    HistoryRebuild::Order order(bool rulesChanged, const QDate& fitDay) const;
    // Starts the order on the background thread, unless work is running or waiting.
    bool startBackground(HistoryRebuild::Order order);
    // Stops the background work and forgets what it left (the file is going away).
    void stopBackground();
    // On the owner's thread, queued by the worker: finished work waits in the mailbox.
    void backgroundFinished();
    bool isCurrent() const { return owner.d_ == this; }
    // Takes up an outcome: the weights, and the states with the answers written since applied.
    // Moves the states' revision on when the weights or states changed, as new weights reorder
    // the words even where no state changed; an outcome that changes neither (a fit that came out
    // the same, a pace figure) leaves the engine's pools as they are. True when the states
    // changed.
    bool adopt(HistoryRebuild::Outcome outcome);
};
