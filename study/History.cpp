#include "study/History.h"

#include "base/Branding.h"
#include "study/HistoryFile.h"
#include "study/HistoryImpl.h"
#include "study/HistorySchema.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <algorithm>

History::Impl::Impl(History& owner, QString path, MemoryPolicy policy)
    : owner(owner), path(std::move(path)), policy(std::move(policy)), db(this->path)
{}

void History::Impl::closeDb()
{
    db.close();
    dbOpen = false;
    writer = false;
    saving = false;
}

void History::Impl::tellNotSaving(const QString& reason)
{
    saving = false;
    if (toldNotSaving)
        return;
    toldNotSaving = true;
    owner.messages_.show(
        QStringLiteral("Your progress is not being saved.\r\n\r\nThe study history\r\n%1\r\n"
                       "can't be written: %2\r\n\r\nEvery test still works.")
            .arg(QDir::toNativeSeparators(path), reason),
        Branding::ProductName, MessageIcon::Warning);
}

void History::Impl::tellStartedAfresh(const QString& movedTo)
{
    owner.messages_.show(
        QStringLiteral("The study history was damaged, so a new one has been started.\r\n"
                       "\r\nThe damaged file was kept as\r\n%1")
            .arg(QDir::toNativeSeparators(movedTo)),
        Branding::ProductName, MessageIcon::Warning);
}

QString History::Impl::moveAside(const QString& why)
{
    stopBackground();
    // What was written goes with the file: an answer there can no longer be taken back.
    if (last && last->queued &&
        std::none_of(waiting.cbegin(), waiting.cend(),
                     [&](const Queued& q) { return q.seq == last->seq; }))
        last.reset();
    dbOpen = false;
    saving = false;
    return HistoryFile::moveAside(db, why);
}

void History::Impl::open()
{
    if (tried)
        return;
    tried = true;
    if (path.isEmpty())
        return; // a history kept in memory on purpose
    QString reason;
    HistoryFile::Outcome outcome = HistoryFile::open(db, &reason);
    if (outcome == HistoryFile::Outcome::Damaged) {
        const QString movedTo = moveAside(HistoryFile::DamagedMark);
        if (movedTo.isEmpty()) {
            tellNotSaving(QStringLiteral("it is damaged and can't be moved aside"));
            return;
        }
        tellStartedAfresh(movedTo);
        outcome = HistoryFile::open(db, &reason);
    }
    using Outcome = HistoryFile::Outcome;
    dbOpen = outcome != Outcome::Damaged && outcome != Outcome::Foreign && db.isOpen();
    keepsFile = outcome == Outcome::Ready || outcome == Outcome::Unwritable;
    foreign = outcome == Outcome::Foreign;
    writer = outcome == Outcome::Ready;
    if (outcome == Outcome::Ready) {
        try {
            saving = true;
            if (const auto weights = HistorySchema::storedWeights(db))
                policy.model = Fsrs::Model(*weights);
            const QVariant spotting = HistorySchema::meta(db, QStringLiteral("fake_spotting"));
            if (!spotting.isNull())
                policy.fakeSpotting = std::clamp(spotting.toDouble(), 0.0, 1.0);
            // States derived under other rules serve until the background rebuild is taken up.
            // With no answers there is nothing to replay: the writer notes the rules at once.
            const QVariant grading = HistorySchema::meta(db, QStringLiteral("grading"));
            if (grading.isNull() || grading.toInt() != policy.rulesVersion()) {
                if (HistorySchema::lastAnswerId(db) == 0) {
                    HistoryRebuild::Outcome nothing;
                    nothing.rebuilt = true;
                    adopt(std::move(nothing));
                } else {
                    startBackground(order(true, QDate()));
                }
            }
            return;
        } catch (const DbError& e) {
            reason = e.cause();
        }
    }
    // Keep what can still be read for this run; write nothing for now.
    if (outcome == Outcome::Damaged)
        closeDb();
    tellNotSaving(reason);
}

void History::Impl::loadCache()
{
    if (cacheLoaded)
        return;
    cache.clear();
    cacheLoaded = true;
    ++owner.statesRevision_;
    try {
        if (dbOpen) {
            cache = HistorySchema::readStates(db);
            lastSeenId = HistorySchema::lastAnswerId(db);
        }
    } catch (const DbError&) {
        // Whatever was read stays; the next write finds out what is wrong.
    }
    for (const AnswerRecord& a : std::as_const(unsaved))
        policy.apply(cache, a);
    applyWaiting();
}

void History::Impl::applyWaiting()
{
    for (const Queued& q : std::as_const(waiting))
        policy.apply(cache, q.answer);
}

void History::Impl::refreshWords(const QStringList& words)
{
    if (!cacheLoaded)
        return; // read in full when next needed
    QHash<QString, WordMemory> fresh;
    if (dbOpen) {
        try {
            fresh = HistoryRebuild::replayWords(db, policy, words);
        } catch (const DbError&) {
            cacheLoaded = false;
            return;
        }
    }
    for (const AnswerRecord& a : std::as_const(unsaved))
        if (std::any_of(words.cbegin(), words.cend(),
                        [&](const QString& w) { return a.candidates.contains(w); }))
            policy.apply(fresh, a);
    for (const QString& word : words) {
        if (const auto it = fresh.constFind(word); it != fresh.constEnd())
            cache.insert(word, *it);
        else
            cache.remove(word);
    }
}

QHash<QString, WordMemory> History::Impl::replay()
{
    lastSeenId = HistorySchema::lastAnswerId(db);
    Uninterrupted control;
    return HistoryRebuild::replay(db, policy, lastSeenId, control);
}

void History::Impl::rebuildStored()
{
    Uninterrupted control;
    adopt(HistoryRebuild::run(db, order(true, QDate()), control));
}

QString History::defaultPath()
{
    return HistoryFile::defaultPath();
}

History::History(MessageBoxes& messages, QString path, MemoryPolicy policy)
    : messages_(messages), path_(std::move(path)), initialPolicy_(std::move(policy)),
      d_(new Impl(*this, path_, initialPolicy_))
{}

void History::switchTo(const QString& path)
{
    if (path == path_)
        return;
    d_->stopBackground();
    dropWritten();
    // The waiting answers belong to the list they were given on: its history stays behind,
    // its writer trying on, until the file takes them.
    if (d_->waiting.isEmpty() && d_->waitingUndos.isEmpty())
        delete d_;
    else
        leftBehind_.emplace_back(d_);
    d_ = nullptr;
    path_ = path;
    ++statesRevision_;
    const auto behind = std::find_if(leftBehind_.begin(), leftBehind_.end(),
                                     [&](const auto& impl) { return impl->path == path; });
    if (behind != leftBehind_.end()) { // back to a list whose answers still wait
        d_ = behind->release();
        leftBehind_.erase(behind);
    } else {
        d_ = new Impl(*this, path_, initialPolicy_);
    }
}

void History::dropWritten()
{
    std::erase_if(leftBehind_, [](const std::unique_ptr<Impl>& impl) {
        return impl->waiting.isEmpty() && impl->waitingUndos.isEmpty();
    });
}

History::~History()
{
    // The last chance for the waiting answers: worth waiting for another program's lock now,
    // within one bound for every list. The windows may be gone: no more messages.
    d_->stopBackground();
    const QDeadlineTimer deadline(HistoryDb::BusyTimeoutMs);
    leftBehind_.emplace_back(d_);
    d_ = nullptr;
    for (const std::unique_ptr<Impl>& impl : leftBehind_)
        if (impl->writeThread && impl->keepsFile)
            impl->writeThread->flush(int(std::max<qint64>(deadline.remainingTime(), 1)));
}

bool History::open()
{
    d_->open();
    return d_->saving;
}

bool History::isSaving() const
{
    return d_->saving;
}

bool History::isForeign() const
{
    d_->open();
    return d_->foreign;
}

void History::rebuild()
{
    ++statesRevision_; // whichever way it goes below
    d_->open();
    d_->flush(HistoryDb::BusyTimeoutMs);
    if (d_->saving) {
        try {
            d_->rebuildStored();
            d_->flush(HistoryDb::BusyTimeoutMs);
            return;
        } catch (const DbError& e) {
            d_->tellNotSaving(e.text);
        }
    }
    if (d_->dbOpen) {
        try {
            d_->cache = d_->replay();
            d_->cacheLoaded = true;
            d_->applyWaiting();
        } catch (const DbError&) {
        }
    }
}

const QHash<QString, WordMemory>& History::words() const
{
    d_->open();
    d_->loadCache();
    return d_->cache;
}

const WordMemory* History::find(const QString& word) const
{
    const QHash<QString, WordMemory>& all = words();
    const auto it = all.constFind(word);
    return it == all.constEnd() ? nullptr : &*it;
}

int History::answerCount() const
{
    d_->open();
    if (!d_->dbOpen)
        return 0;
    try {
        return HistorySchema::answerCount(d_->db);
    } catch (const DbError&) {
        return 0;
    }
}

const MemoryPolicy& History::policy() const
{
    d_->open();
    return d_->policy;
}

QList<AnswerRecord> History::answers() const
{
    d_->open();
    if (!d_->dbOpen)
        return {};
    QList<AnswerRecord> list;
    try {
        HistorySchema::forEachAnswer(d_->db, [&](const AnswerRecord& a) { list.append(a); });
    } catch (const DbError&) {
        return {};
    }
    return list;
}

bool History::forgetAll(QString* movedTo)
{
    d_->open();
    if (d_->foreign)
        return false; // not ours to move
    // The waiting answers belong to the history set aside: it goes only once they are in it.
    if (d_->keepsFile && !d_->flush(busyWaitMs_))
        return false;
    d_->stopBackground();
    d_->writeThread.reset(); // its connection closes before the file moves
    d_->fitAskedOn = QDate();
    d_->waiting.clear(); // a file no longer kept takes nothing
    d_->waitingUndos.clear();
    d_->unsaved.clear();
    d_->last.reset();
    d_->closeDb();
    d_->cache.clear();
    d_->cacheLoaded = false;
    ++statesRevision_;
    d_->lastSeenId = 0;
    d_->tried = false;
    QString target;
    if (!path_.isEmpty() && QFile::exists(path_)) {
        target = d_->moveAside(HistoryFile::ForgottenMark);
        if (target.isEmpty())
            return false;
    }
    if (movedTo)
        *movedTo = target;
    return true;
}
