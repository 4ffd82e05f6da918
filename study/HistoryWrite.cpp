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
        return waiting.isEmpty() && waitingUndos.isEmpty();
    if (keepsFile)
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
    if (!saving && db.isReadOnly()) {
        // Writable again: read through a connection that sees the writer's answers as they come.
        QString reason;
        closeDb();
        writer = HistoryFile::open(db, &reason, false) == HistoryFile::Outcome::Ready;
        dbOpen = db.isOpen();
    }
    saving = true;
    toldNotSaving = false; // a later lasting failure is news again
    const auto done = [&](const auto& item) { return item.seq <= report.through; };
    waiting.removeIf(done);
    waitingUndos.removeIf(done);
    if (!cacheLoaded && !report.full)
        return; // read in full when next needed
    if (!cacheLoaded)
        cache.clear();
    cacheLoaded = true;
    if (report.full)
        ++owner.statesRevision_;
    QSet<QString> words;
    if (report.full) {
        for (auto it = cache.cbegin(); it != cache.cend(); ++it)
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
    QSet<QString> held;
    for (const Undo& u : std::as_const(waitingUndos))
        for (const QString& word : u.words)
            held.insert(word);
    QHash<QString, WordMemory> fresh;
    for (const QString& word : words)
        if (!held.contains(word))
            if (const auto it = base.constFind(word); it != base.constEnd())
                fresh.insert(word, *it);
    for (const Queued& q : std::as_const(waiting))
        for (const QString& word : MemoryPolicy::touchedWords(q.answer))
            if (words.contains(word) && !held.contains(word)) {
                policy.apply(fresh, q.answer);
                break;
            }
    for (const QString& word : words) {
        if (held.contains(word))
            continue;
        if (const auto it = fresh.constFind(word); it != fresh.constEnd())
            cache.insert(word, *it);
        else
            cache.remove(word);
    }
}

bool History::Impl::startAfresh(const DbError& e)
{
    const QString movedTo = moveAside(HistoryFile::DamagedMark);
    if (movedTo.isEmpty()) {
        keepsFile = false;
        tellNotSaving(e.cause());
        return false;
    }
    tellStartedAfresh(movedTo);
    waitingUndos.clear(); // what they would take back went with the old file
    cacheLoaded = false;  // the old states went with the old file; the waiting answers stay
    tried = false;
    const qint64 firstFresh = nextSeq; // the jobs of the fresh file's opening start here
    open();
    if (!keepsFile)
        return false;
    loadCache(); // before the writer goes on: nothing it writes is counted twice
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
        keepsFile = false; // another program put its own file in our place
    if (!report.lasting)
        return;
    const bool writing = db.isOpen() && !db.isReadOnly();
    if (writing && (e.ioFailed() || !HistoryFile::whyNotWritable(path).isEmpty())) {
        // Nothing more goes through this connection: read on through one that leaves SQLite's
        // files beside it alone, so that the writer's finds them as they are once writable.
        closeDb();
        try {
            db.open(HistoryDb::Access::Frozen);
        } catch (const DbError&) {
        }
        dbOpen = db.isOpen();
    }
    tellNotSaving(e.cause());
}

void History::record(const AnswerRecord& answer)
{
    d_->open();
    d_->loadCache();
    Impl::LastAnswer last{answer, d_->keepsFile, 0, {}};
    for (const QString& word : MemoryPolicy::touchedWords(answer))
        if (const WordMemory* m = find(word))
            last.before.insert(word, *m);
    d_->policy.apply(d_->cache, answer);
    ++statesRevision_;
    if (!d_->keepsFile) {
        d_->unsaved.append(answer); // kept in memory for this run only
    } else {
        last.seq = d_->nextSeq++;
        d_->waiting.append({last.seq, answer});
        d_->writes().push({.kind = WriteJob::Kind::Answer, .seq = last.seq, .answer = answer});
    }
    d_->last = std::move(last);
    dropWritten();
}

bool History::takeBack(const QDateTime& at)
{
    if (!d_->last)
        return false;
    const Impl::LastAnswer last = *std::exchange(d_->last, std::nullopt);
    ++statesRevision_;
    const QStringList& words = last.answer.candidates;
    if (!last.queued) {
        d_->unsaved.removeLast();
        d_->refreshWords(words);
        return true;
    }
    if (d_->writeThread->drop(last.seq)) {
        d_->waiting.removeLast(); // never written: nothing to log
    } else {
        const qint64 seq = d_->nextSeq++;
        d_->waitingUndos.append({seq, words});
        d_->writes().push({.kind = WriteJob::Kind::Undo,
                           .seq = seq,
                           .answer = last.answer,
                           .undoes = last.seq,
                           .at = at});
    }
    // Its words as they were before it (the writer's replay of them follows, for an undo entry).
    for (const QString& word : MemoryPolicy::touchedWords(last.answer))
        if (const auto it = last.before.constFind(word); it != last.before.constEnd())
            d_->cache.insert(word, *it);
        else
            d_->cache.remove(word);
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
    qsizetype count = d_->waiting.size() + d_->waitingUndos.size();
    for (const std::unique_ptr<Impl>& behind : leftBehind_)
        count += behind->waiting.size() + behind->waitingUndos.size();
    return int(count);
}

void History::setBusyWaitMs(int ms)
{
    busyWaitMs_ = ms;
}

void History::capSizeForTest(int pages)
{
    d_->open();
    d_->loadCache();
    d_->writes().capPages(pages);
}
