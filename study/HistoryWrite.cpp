// The write path of the history, on the owner's side: answers go to the writer's queue, count at
// once in the states, and leave the waiting list when the writer reports them written.

#include "study/History.h"
#include "study/HistoryFile.h"
#include "study/HistoryImpl.h"
#include "study/HistorySchema.h"

#include <utility>

HistoryWriter& History::Impl::writes()
{
    if (!writeThread)
        writeThread = std::make_unique<HistoryWriter>(path, policy, lastSeenId,
                                                      [this] { writerNews.post(); });
    writeThread->setBusyWaitMs(owner.busyWaitMs_);
    return *writeThread;
}

bool History::Impl::flush(int waitMs)
{
    if (!writeThread)
        return log.written();
    if (keepsFile(mode))
        writeThread->flush(waitMs);
    takeReports();
    return writeThread->idle();
}

void History::Impl::takeReports()
{
    if (!writeThread)
        return;
    for (WriteReport& report : writeThread->takeReports())
        takeReport(std::move(report));
}

void History::Impl::takeReport(WriteReport report)
{
    if (report.error) {
        failed(report);
        return;
    }
    if (mode == HistoryMode::ReadOnly && db.isReadOnly()) {
        // Writable again: read through a connection that sees the writer's answers as they come.
        QString reason;
        HistoryFile::open(db, &reason, false, HistoryFile::Check::ByWriter); // it just wrote
    }
    if (mode == HistoryMode::ReadOnly)
        mode = HistoryMode::Writable;
    toldNotSaving = false; // a later lasting failure is news again
    if (report.full)
        ++owner.statesRevision_;
    log.writtenThrough(report.through);
    if (states.stale()) {
        readStates(); // the file now holds what was written; the rest is applied on top
        return;
    }
    QSet<QString> words;
    if (report.full) {
        for (auto it = states.all().cbegin(); it != states.all().cend(); ++it)
            words.insert(it.key());
    }
    for (auto it = report.states.cbegin(); it != report.states.cend(); ++it)
        words.insert(it.key());
    for (const QString& word : std::as_const(report.gone))
        words.insert(word);
    rebase(report.states, words);
}

void History::Impl::rebase(const QHash<QString, WordMemory>& base, const QSet<QString>& words)
{
    states.rebase(base, words, log.heldWords(), policy, log.queuedAnswers());
}

bool History::Impl::startAfresh(const DbError& e)
{
    const QString movedTo = moveAside(HistoryFile::DamagedMark);
    if (movedTo.isEmpty()) {
        mode = HistoryMode::InMemory;
        tellNotSaving(e.cause());
        return false;
    }
    tellStartedAfresh(movedTo);
    log.undos.clear(); // what they would take back went with the old file
    // The old states went with the old file; the waiting answers stay, and the fresh file's
    // states are read before the writer goes on, so nothing it writes is counted twice.
    mode = HistoryMode::Untried;
    const qint64 firstFresh = log.nextNumber(); // the jobs of the fresh file's opening start here
    open();
    if (!keepsFile(mode))
        return false;
    writeThread->resume(lastSeenId, firstFresh);
    return true;
}

void History::Impl::failed(const WriteReport& report)
{
    const DbError& e = *report.error;
    if (e.damaged()) {
        startAfresh(e);
        return;
    }
    if (report.notOurs)
        mode = HistoryMode::Foreign; // another program put its own file in our place
    if (!report.lasting)
        return;
    const bool writing = db.isOpen() && !db.isReadOnly();
    if (writing && (e.ioFailed() || !HistoryFile::whyNotWritable(path).isEmpty())) {
        // Nothing more goes through this connection: read on through one that leaves SQLite's
        // files beside it alone, so that the writer's finds them as they are once writable.
        try {
            db.open(HistoryDb::Access::Frozen);
        } catch (const DbError&) {
        }
    }
    tellNotSaving(e.cause());
}

void History::record(const AnswerRecord& answer)
{
    d_->open(); // the written tests' answers need no other opening
    if (d_->states.stale())
        d_->readStates();
    const bool toFile = keepsFile(d_->mode);
    WaitingAnswers::LastAnswer last{answer, toFile, 0, {}};
    for (const QString& word : MemoryPolicy::touchedWords(answer))
        if (const WordMemory* m = find(word))
            last.before.insert(word, *m);
    d_->states.apply(d_->policy, answer);
    ++statesRevision_;
    d_->recentNonWords += nonWordsShown(answer);
    if (d_->recentNonWords.size() > AnswerLog::RecentNonWords)
        d_->recentNonWords.remove(0, d_->recentNonWords.size() - AnswerLog::RecentNonWords);
    if (!toFile) {
        d_->log.unsaved.append(answer); // kept in memory for this run only
    } else {
        last.seq = d_->log.number();
        d_->log.queued.append({last.seq, answer});
        d_->writes().push({.kind = WriteJob::Kind::Answer, .seq = last.seq, .answer = answer});
    }
    d_->log.last = std::move(last);
    dropWritten();
}

bool History::takeBack(const QDateTime& at)
{
    if (!d_->log.last)
        return false;
    const WaitingAnswers::LastAnswer last = *std::exchange(d_->log.last, std::nullopt);
    ++statesRevision_;
    const QStringList& words = last.answer.candidates;
    if (!last.queued) {
        d_->log.unsaved.removeLast();
        d_->refreshWords(words);
        return true;
    }
    if (d_->writeThread->drop(last.seq)) {
        d_->log.queued.removeLast(); // never written: nothing to log
    } else {
        const qint64 seq = d_->log.number();
        d_->log.undos.append({seq, words});
        d_->writes().push({.kind = WriteJob::Kind::Undo,
                           .seq = seq,
                           .answer = last.answer,
                           .undoes = last.seq,
                           .at = at});
    }
    // Its words as they were before it (the writer's replay of them follows, for an undo entry).
    d_->states.replaceWords(last.before, MemoryPolicy::touchedWords(last.answer));
    return true;
}

bool History::flush()
{
    for (const std::unique_ptr<Impl>& behind : leftBehind_)
        behind->flush(busyWaitMs_);
    dropWritten();
    return d_->flush(busyWaitMs_) && leftBehind_.empty();
}

int History::pendingCount() const
{
    int count = d_->log.count();
    for (const std::unique_ptr<Impl>& behind : leftBehind_)
        count += behind->log.count();
    return count;
}

void History::setBusyWaitMs(int ms)
{
    busyWaitMs_ = ms;
}

void History::capSizeForTest(int pages)
{
    d_->open();
    d_->writes().capPages(pages);
}
