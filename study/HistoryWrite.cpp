// The write path of the history: answers wait in memory, in order, until the file takes them.

#include "History.h"
#include "HistoryFile.h"
#include "HistoryImpl.h"
#include "HistorySchema.h"

#include <QAbstractEventDispatcher>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// Retries start soon and slow down while the cause stays, up to a pause of half a minute.
constexpr int FirstRetryMs = 250;
constexpr int LongestRetryMs = 30000;
// Another program holding the file this long is no passing moment: the player hears of it.
constexpr qint64 LockLastsMs = 60000;

} // namespace

void History::Impl::writeWaiting()
{
    // The states are read inside the transaction, so answers written meanwhile by another
    // program are built upon.
    qint64 before = 0;
    qint64 id = 0;
    QHash<QString, WordMemory> words;
    QStringList replayed;
    db.transaction([&] {
        before = HistorySchema::lastAnswerId(db);
        for (const AnswerRecord& a : std::as_const(waiting)) {
            id = HistorySchema::insertAnswer(db, a);
            QHash<QString, WordMemory> touched =
                HistorySchema::readStatesOf(db, MemoryPolicy::touchedWords(a));
            policy.apply(touched, a);
            for (const WordMemory& m : std::as_const(touched)) {
                HistorySchema::writeState(db, m);
                words.insert(m.word, m);
            }
        }
        replayed = writeWaitingUndos(words);
    });
    const bool othersWrote = before != lastSeenId;
    if (!waiting.isEmpty()) {
        if (last && last->where == LastAnswer::Where::Waiting) {
            last->where = LastAnswer::Where::Written;
            last->id = id;
        }
        lastSeenId = id;
    }
    waiting.clear();
    waitingUndos.clear();
    if (!cacheLoaded)
        return;
    if (othersWrote) {
        cacheLoaded = false; // another program wrote meanwhile: read it all again
        return;
    }
    for (const WordMemory& m : std::as_const(words))
        cache.insert(m.word, m);
    for (const QString& word : std::as_const(replayed))
        if (!words.contains(word))
            cache.remove(word);
}

QStringList History::Impl::writeWaitingUndos(QHash<QString, WordMemory>& states)
{
    QStringList replayed;
    for (const Undo& u : std::as_const(waitingUndos)) {
        HistorySchema::insertUndo(db, u.answerId, u.at);
        replayed += u.words;
    }
    if (!replayed.isEmpty())
        HistoryRebuild::replayWordsInto(db, policy, states, replayed);
    return replayed;
}

void History::Impl::reopenForWriting()
{
    // The cheap checks come first: this runs with every answer while the file can't be written.
    QString reason = HistoryFile::whyNotWritable(path);
    if (reason.isEmpty()) {
        // The folder is made only on the first opening: one removed since stays removed.
        const HistoryFile::Outcome outcome = HistoryFile::open(db, &reason, false);
        dbOpen = db.isOpen() && outcome != HistoryFile::Outcome::Damaged;
        writer = outcome == HistoryFile::Outcome::Ready;
        if (writer)
            return;
        if (outcome == HistoryFile::Outcome::Damaged)
            throw DbError{reason, SQLITE_CORRUPT};
        if (outcome == HistoryFile::Outcome::Foreign || outcome == HistoryFile::Outcome::Newer) {
            keepsFile = false; // another program put its own file in our place
            foreign = outcome == HistoryFile::Outcome::Foreign;
        }
    }
    throw DbError{reason, 0};
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
    cacheLoaded = false; // the old states went with the old file; the waiting answers stay
    tried = false;
    open();
    return keepsFile;
}

void History::Impl::failed(const DbError& e)
{
    if (e.busy()) {
        if (!busySince.isValid())
            busySince.start();
        else if (busySince.elapsed() >= LockLastsMs)
            tellNotSaving(e.cause());
    } else {
        const bool writing = db.isOpen() && !db.isReadOnly();
        if (writing && (e.ioFailed() || !HistoryFile::whyNotWritable(path).isEmpty())) {
            // Nothing more goes through this connection: read on through a read-only one while
            // the file can't be written.
            QString reason;
            closeDb();
            writer = HistoryFile::open(db, &reason, false) == HistoryFile::Outcome::Ready;
            dbOpen = db.isOpen();
        }
        tellNotSaving(e.cause());
    }
    // Answers failing meanwhile leave a pending retry as it is; a failed retry waits longer.
    if (!keepsFile || retry.isActive() || !QAbstractEventDispatcher::instance())
        return; // without an event loop, the next answer or the exit tries again
    retryDelayMs = retryDelayMs == 0 ? FirstRetryMs : std::min(retryDelayMs * 2, LongestRetryMs);
    retry.start(retryDelayMs);
}

bool History::Impl::flush(int waitMs)
{
    if (waiting.isEmpty() && waitingUndos.isEmpty())
        return true;
    for (int attempt = 0; keepsFile; ++attempt) {
        try {
            if (!writer || !db.isOpen() || !QFileInfo::exists(path))
                reopenForWriting();
            db.setBusyTimeout(waitMs);
            writeWaiting();
            db.setBusyTimeout(HistoryDb::BusyTimeoutMs);
            saving = true;
            toldNotSaving = false; // a later lasting failure is news again
            busySince.invalidate();
            retryDelayMs = 0;
            retry.stop();
            return true;
        } catch (const DbError& e) {
            if (db.isOpen())
                db.setBusyTimeout(HistoryDb::BusyTimeoutMs);
            if (e.damaged() && attempt == 0 && startAfresh(e))
                continue;
            failed(e);
            return false;
        }
    }
    return false;
}

void History::record(const AnswerRecord& answer)
{
    using Where = Impl::LastAnswer::Where;
    d_->open();
    if (!d_->keepsFile) {
        // Kept in memory for this run only.
        d_->loadCache();
        d_->unsaved.append(answer);
        d_->last = {answer, Where::Unsaved};
        d_->policy.apply(d_->cache, answer);
        return;
    }
    d_->waiting.append(answer);
    d_->last = {answer, Where::Waiting};
    if (d_->cacheLoaded)
        d_->policy.apply(d_->cache, answer);
    d_->flush(busyWaitMs_);
    dropWritten();
}

bool History::takeBack(const QDateTime& at)
{
    using Where = Impl::LastAnswer::Where;
    if (!d_->last)
        return false;
    const Impl::LastAnswer last = *std::exchange(d_->last, std::nullopt);
    switch (last.where) {
    case Where::Unsaved:
        d_->unsaved.removeLast();
        break;
    case Where::Waiting:
        d_->waiting.removeLast(); // never written: nothing to log
        break;
    case Where::Written:
        d_->waitingUndos.append({last.id, at, last.answer.candidates});
        break;
    }
    d_->refreshWords(last.answer.candidates);
    d_->flush(busyWaitMs_);
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
    const int now = d_->db.scalar(QStringLiteral("PRAGMA page_count")).toInt();
    d_->db.run(QStringLiteral("PRAGMA max_page_count=%1").arg(pages < 0 ? INT_MAX : now + pages));
}
