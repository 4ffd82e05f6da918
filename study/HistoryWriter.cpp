#include "study/HistoryWriter.h"

#include "study/HistoryFile.h"
#include "study/HistorySchema.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <climits>

namespace {

// Retries start soon and slow down while the cause stays, up to a pause of half a minute.
constexpr int FirstRetryMs = 250;
constexpr int LongestRetryMs = 30000;
// Behind another program's lock each try waits for it a while: the pause between stays short,
// so that an answer lands within a second of the lock's release.
constexpr int LongestBusyRetryMs = 500;
// Another program holding the file this long is no passing moment: the player hears of it.
constexpr qint64 LockLastsMs = 60000;

} // namespace

HistoryWriter::HistoryWriter(QString path, MemoryPolicy policy, qint64 lastSeenId,
                             std::function<void()> notify)
    : path_(std::move(path)), policy_(std::move(policy)), lastSeen_(lastSeenId),
      notify_(std::move(notify)), busyWaitMs_(250)
{
    thread_ = std::thread([this] { run(); });
}

HistoryWriter::~HistoryWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void HistoryWriter::push(WriteJob job)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
        fresh_ = true;
    }
    wake_.notify_all();
}

bool HistoryWriter::drop(qint64 seq)
{
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(queue_.begin(), queue_.end(), [&](const WriteJob& job) {
        return job.kind == WriteJob::Kind::Answer && job.seq == seq;
    });
    if (it == queue_.end() || it->taken)
        return false;
    queue_.erase(it);
    return true;
}

std::vector<WriteReport> HistoryWriter::takeReports()
{
    std::lock_guard lock(mutex_);
    return std::exchange(reports_, {});
}

void HistoryWriter::check()
{
    {
        std::lock_guard lock(mutex_);
        checkDue_ = true;
    }
    wake_.notify_all();
}

bool HistoryWriter::flush(int ms)
{
    std::unique_lock lock(mutex_);
    if (queue_.empty() && !checkDue_)
        return true;
    // A write begun before this call may wait less for the lock: the one after it counts.
    const quint64 target = tries_ + (trying_ ? 2 : 1);
    hurryMs_ = std::max(ms, 1);
    wake_.notify_all();
    done_.wait(lock, [&] {
        return (queue_.empty() && !checkDue_) || tries_ >= target || paused_ || notOurs_;
    });
    return queue_.empty();
}

bool HistoryWriter::idle() const
{
    std::lock_guard lock(mutex_);
    return queue_.empty();
}

void HistoryWriter::resume(qint64 lastSeenId, qint64 firstFresh)
{
    {
        std::lock_guard lock(mutex_);
        // What was written went with the old file: its undo entries and states go too.
        std::erase_if(queue_, [&](const WriteJob& job) {
            return job.kind != WriteJob::Kind::Answer && job.seq < firstFresh;
        });
        lastSeen_ = lastSeenId;
        lastWrittenSeq_ = 0;
        paused_ = false;
        fresh_ = true;
    }
    wake_.notify_all();
}

void HistoryWriter::capPages(int pages)
{
    std::lock_guard lock(mutex_);
    cap_ = pages;
}

bool HistoryWriter::pause(std::unique_lock<std::mutex>& lock, int delayMs)
{
    wake_.wait_for(lock, std::chrono::milliseconds(delayMs),
                   [&] { return stopping_ || fresh_ || hurryMs_ > 0; });
    return !stopping_;
}

void HistoryWriter::run()
{
    HistoryDb db(path_); // owned by this thread, closed on it
    db.stopWhen(&stopping_);
    std::unique_lock lock(mutex_);
    int delayMs = 0;
    while (!stopping_) {
        if (checkDue_) {
            runCheck(db, lock);
            continue;
        }
        if (queue_.empty() || paused_ || notOurs_) {
            wake_.wait(lock, [&] {
                return stopping_ || checkDue_ || (!queue_.empty() && !paused_ && !notOurs_);
            });
            continue;
        }
        if (delayMs > 0 && !fresh_ && hurryMs_ == 0 && !pause(lock, delayMs))
            break;
        std::vector<WriteJob> batch;
        for (WriteJob& job : queue_) {
            job.taken = true;
            batch.push_back(job);
        }
        // A try a new job or a flush asked for leaves the pause as it is: only the pauses
        // themselves grow.
        const bool asked = fresh_ || hurryMs_ > 0;
        const int waitMs = hurryMs_ > 0 ? hurryMs_ : busyWaitMs_.load();
        hurryMs_ = 0;
        fresh_ = false;
        trying_ = true;
        const std::optional<int> cap = std::exchange(cap_, std::nullopt);
        lock.unlock();
        WriteReport report = attempt(db, batch, waitMs, cap);
        lock.lock();
        trying_ = false;
        ++tries_;
        if (report.error) {
            for (WriteJob& job : queue_)
                job.taken = false;
            const int longest = report.error->busy() ? LongestBusyRetryMs : LongestRetryMs;
            delayMs =
                delayMs == 0 ? FirstRetryMs : std::min(asked ? delayMs : delayMs * 2, longest);
            paused_ = report.error->damaged();
            notOurs_ = report.notOurs;
        } else {
            queue_.erase(queue_.begin(), queue_.begin() + qsizetype(batch.size()));
            delayMs = 0;
        }
        reports_.push_back(std::move(report));
        done_.notify_all();
        lock.unlock();
        notify_();
        lock.lock();
    }
    done_.notify_all();
}

void HistoryWriter::runCheck(HistoryDb& db, std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    std::optional<WriteReport> damaged = openChecked(db);
    lock.lock();
    checkDue_ = false;
    if (damaged) {
        paused_ = true;
        reports_.push_back(std::move(*damaged));
    }
    done_.notify_all();
    if (damaged) {
        lock.unlock();
        notify_();
        lock.lock();
    }
}

WriteReport HistoryWriter::attempt(HistoryDb& db, std::vector<WriteJob>& batch, int waitMs,
                                   std::optional<int> cap)
{
    try {
        if (!db.isOpen() || !QFileInfo::exists(path_))
            reopen(db);
        if (cap) {
            const int now = db.scalar(QStringLiteral("PRAGMA page_count")).toInt();
            db.run(QStringLiteral("PRAGMA max_page_count=%1").arg(*cap < 0 ? INT_MAX : now + *cap));
        }
        db.setBusyTimeout(waitMs);
        WriteReport report = write(db, batch);
        db.setBusyTimeout(HistoryDb::BusyTimeoutMs);
        busySince_.invalidate();
        return report;
    } catch (const DbError& e) {
        WriteReport report;
        report.error = e;
        report.notOurs = !e.busy() && e.code == -1;
        if (e.busy()) {
            if (!busySince_.isValid())
                busySince_.start();
            report.lasting = busySince_.elapsed() >= LockLastsMs;
        } else {
            report.lasting = true;
            // Opened again, for writing, when the cause has gone; a damaged file is about to be
            // moved aside.
            if (e.damaged() || e.ioFailed() || !HistoryFile::whyNotWritable(path_).isEmpty())
                db.close();
        }
        if (db.isOpen())
            db.setBusyTimeout(HistoryDb::BusyTimeoutMs);
        return report;
    }
}

std::optional<WriteReport> HistoryWriter::openChecked(HistoryDb& db)
{
    if (db.isOpen())
        return std::nullopt; // checked when it was opened
    try {
        reopen(db);
    } catch (const DbError& e) {
        // Whatever else is wrong, the first write finds out and reports it.
        if (!e.damaged())
            return std::nullopt;
        WriteReport report;
        report.error = e;
        report.lasting = true;
        return report;
    }
    return std::nullopt;
}

void HistoryWriter::reopen(HistoryDb& db)
{
    db.close();
    // The cheap checks come first: this runs with every try while the file can't be written.
    QString reason = HistoryFile::whyNotWritable(path_);
    if (reason.isEmpty()) {
        // The folder is made only on the first opening: one removed since stays removed.
        const HistoryFile::Outcome outcome = HistoryFile::open(db, &reason, false);
        if (outcome == HistoryFile::Outcome::Ready)
            return;
        db.close();
        if (outcome == HistoryFile::Outcome::Damaged)
            throw DbError{reason, SQLITE_CORRUPT};
        if (outcome == HistoryFile::Outcome::Foreign || outcome == HistoryFile::Outcome::Newer)
            throw DbError{reason, -1};
    }
    throw DbError{reason, 0};
}

WriteReport HistoryWriter::write(HistoryDb& db, std::vector<WriteJob>& batch)
{
    WriteReport report;
    MemoryPolicy policy = policy_;
    qint64 seen = lastSeen_;
    qint64 writtenSeq = lastWrittenSeq_;
    qint64 writtenId = lastWrittenId_;
    QStringList replayed;
    QHash<QString, WordMemory>& states = report.states;
    writing_ = true;
    try {
        db.transaction([&] {
            // Another program wrote since: what it wrote is read back in full below.
            bool othersWrote = HistorySchema::lastAnswerId(db) != seen;
            for (WriteJob& job : batch) {
                if (job.kind == WriteJob::Kind::Answer) {
                    writtenId = HistorySchema::insertAnswer(db, job.answer);
                    writtenSeq = job.seq;
                    QHash<QString, WordMemory> touched =
                        HistorySchema::readStatesOf(db, MemoryPolicy::touchedWords(job.answer));
                    policy.apply(touched, job.answer);
                    for (const WordMemory& m : std::as_const(touched)) {
                        HistorySchema::writeState(db, m);
                        states.insert(m.word, m);
                    }
                } else if (job.kind == WriteJob::Kind::Undo) {
                    if (writtenSeq == job.undoes)
                        HistorySchema::insertUndo(db, writtenId, job.at);
                    replayed += job.answer.candidates;
                    HistoryRebuild::replayWordsInto(db, policy, states, job.answer.candidates);
                } else {
                    policy = job.policy;
                    // A copy: the job stays queued, outcome and all, should this try fail.
                    HistoryRebuild::Outcome outcome = *job.outcome;
                    HistoryRebuild::store(db, policy, outcome);
                    if (outcome.rebuilt) {
                        states = std::move(outcome.states);
                        report.full = true;
                        othersWrote = false;
                    }
                }
            }
            if (othersWrote) {
                states = HistorySchema::readStates(db);
                report.full = true;
            }
            seen = HistorySchema::lastAnswerId(db);
        });
    } catch (...) {
        writing_ = false;
        throw;
    }
    writing_ = false;
    policy_ = std::move(policy);
    lastSeen_ = seen;
    lastWrittenSeq_ = writtenSeq;
    lastWrittenId_ = writtenId;
    for (const QString& word : std::as_const(replayed))
        if (!states.contains(word))
            report.gone.append(word);
    report.through = batch.back().seq;
    return report;
}
