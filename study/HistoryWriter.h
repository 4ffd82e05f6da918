#pragma once

#include "study/HistoryDb.h"
#include "study/HistoryRebuild.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// One step for the history's writer, numbered in the order the window's thread gave it.
struct WriteJob
{
    enum class Kind
    {
        Answer, // the answer is logged and its words' states stepped on
        Undo,   // the answer numbered `undoes` is taken back; `answer` is that answer
        Adopt   // the background work's outcome stored, its states brought up to the file's end
    };
    Kind kind = Kind::Answer;
    qint64 seq = 0;
    AnswerRecord answer{};
    qint64 undoes = 0;
    QDateTime at{};
    MemoryPolicy policy = MemoryPolicy();               // Adopt: the rules from now on
    std::shared_ptr<HistoryRebuild::Outcome> outcome{}; // Adopt
    bool taken = false;                                 // inside a write the writer has begun
};

// What one write did, or why it failed.
struct WriteReport
{
    qint64 through = 0;                // the jobs up to this number are in the file
    bool full = false;                 // states holds every stored state, not just the touched
    QHash<QString, WordMemory> states; // the stored states of the words touched
    QStringList gone;                  // words no answer shows any more
    std::optional<DbError> error;
    bool lasting = false; // the error is no passing moment: the player hears of it
    bool notOurs = false; // another program put its own file in the history's place
};

// The history file's one writer: a thread with a connection of its own that writes the jobs of
// its queue in order, each batch in one transaction that re-reads the states it steps on, so
// that another program's answers are built upon. The window's thread only appends to the queue.
// After a failure the writer tries again, sooner when a job comes, otherwise waiting longer each
// time up to half a minute. Each write's report goes into a mailbox, and `notify` (called on the
// writer's thread, never under the mailbox's lock) queues word of it to the owner.
class HistoryWriter
{
public:
    HistoryWriter(QString path, MemoryPolicy policy, qint64 lastSeenId,
                  std::function<void()> notify);
    // Stops the writer (a write waiting for a lock gives up) and joins its thread.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void push(WriteJob job);
    // Takes the answer numbered seq out of the queue unless a write has it. False when it has.
    bool drop(qint64 seq);
    std::vector<WriteReport> takeReports();
    // Waits until the queue is written, or a write begun after the call has failed (waiting at
    // most ms for a lock). True when nothing is left.
    bool flush(int ms);
    bool idle() const;
    // After a damaged file: the writer stops until resume() (the file has been started afresh),
    // which drops what referred to the old file: the undo entries and outcomes queued before
    // the job numbered firstFresh.
    void resume(qint64 lastSeenId, qint64 firstFresh);
    // Opens the writer's connection now rather than at the first write. The opening reads the
    // whole file through for damage, off the window's thread; a damaged file is reported as a
    // failed write would be, and the writer pauses. flush() waits for it.
    void check();
    void setBusyWaitMs(int ms) { busyWaitMs_ = ms; }
    // For tests: applied to the writer's connection before its next write.
    void capPages(int pages);
    // For tests: whether a write transaction is open right now.
    bool writing() const { return writing_.load(); }

private:
    const QString path_;
    MemoryPolicy policy_;       // the writer's own, changed by Adopt jobs
    qint64 lastSeen_ = 0;       // the last answer this history knows of in the file
    qint64 lastWrittenSeq_ = 0; // the last answer written, for an undo
    qint64 lastWrittenId_ = 0;
    std::function<void()> notify_;
    std::atomic<int> busyWaitMs_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> writing_{false};
    QElapsedTimer busySince_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<WriteJob> queue_;
    std::vector<WriteReport> reports_;
    std::optional<int> cap_;
    bool fresh_ = false;    // a job came since the last try
    int hurryMs_ = 0;       // a flush waits: try now, waiting this long for a lock
    bool paused_ = false;   // the file is damaged
    bool checkDue_ = false; // check() asked, and the check has not ended
    bool notOurs_ = false;  // nothing more is ever written
    bool trying_ = false;
    quint64 tries_ = 0; // writes finished, failed or not
    std::thread thread_;

    void run();
    // One try at the batch; never throws.
    WriteReport attempt(HistoryDb& db, std::vector<WriteJob>& batch, int waitMs,
                        std::optional<int> cap);
    WriteReport write(HistoryDb& db, std::vector<WriteJob>& batch);
    void reopen(HistoryDb& db);
    // Opens the connection if it is closed; a report only when the file is damaged.
    std::optional<WriteReport> openChecked(HistoryDb& db);
    // The check asked for, with the lock held on entry and on return (not in between); a
    // damaged file pauses the writing and is reported.
    void runCheck(HistoryDb& db, std::unique_lock<std::mutex>& lock);
    // Waits before the next try; false when stopping.
    bool pause(std::unique_lock<std::mutex>& lock, int delayMs);
};
