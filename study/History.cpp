#include "study/History.h"

#include "study/HistoryFile.h"
#include "study/HistoryImpl.h"
#include "study/HistorySchema.h"

#include <QDeadlineTimer>
#include <QFile>

#include <algorithm>

History::Impl::Impl(History& owner, QString path, MemoryPolicy policy)
    : owner(owner), path(std::move(path)), policy(std::move(policy)), db(this->path)
{}

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
    if (d_->log.written())
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
    std::erase_if(leftBehind_,
                  [](const std::unique_ptr<Impl>& impl) { return impl->log.written(); });
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
        if (impl->writeThread && keepsFile(impl->mode))
            impl->writeThread->flush(int(std::max<qint64>(deadline.remainingTime(), 1)));
}

void History::preload(const QDateTime& now)
{
    if (d_->mode != HistoryMode::Untried || d_->preload || path_.isEmpty())
        return;
    d_->preload = std::make_unique<HistoryPreload>(
        path_, [impl = d_] { impl->preloadNews.post(); }, now);
}

std::optional<DueTally> History::preloadTally() const
{
    return d_->preload ? d_->preload->tally() : std::nullopt;
}

bool History::preloading() const
{
    return d_->preload && !d_->preload->finished();
}

bool History::open()
{
    d_->open();
    return isSaving();
}

HistoryMode History::mode() const
{
    return d_->mode;
}

bool History::isSaving() const
{
    return d_->mode == HistoryMode::Writable;
}

bool History::isForeign() const
{
    return d_->mode == HistoryMode::Foreign;
}

void History::rebuild()
{
    ++statesRevision_; // whichever way it goes below
    d_->open();
    d_->flush(HistoryDb::BusyTimeoutMs);
    if (isSaving()) {
        try {
            d_->rebuildStored();
            d_->flush(HistoryDb::BusyTimeoutMs);
            return;
        } catch (const DbError& e) {
            d_->tellNotSaving(e.text);
        }
    }
    if (d_->db.isOpen()) {
        try {
            d_->states.reset(d_->replay(), d_->policy, d_->log.queuedAnswers());
        } catch (const DbError&) {
        }
    }
}

QStringList History::recentNonWords() const
{
    return d_->recentNonWords;
}

const QHash<QString, WordMemory>& History::words() const
{
    return d_->states.all();
}

const WordMemory* History::find(const QString& word) const
{
    return d_->states.find(word);
}

int History::answerCount() const
{
    if (!d_->db.isOpen())
        return 0;
    try {
        return HistorySchema::answerCount(d_->db);
    } catch (const DbError&) {
        return 0;
    }
}

const MemoryPolicy& History::policy() const
{
    return d_->policy;
}

QList<AnswerRecord> History::answers() const
{
    if (!d_->db.isOpen())
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
    if (d_->mode == HistoryMode::Foreign)
        return false; // not ours to move
    // The waiting answers belong to the history set aside: it goes only once they are in it.
    if (keepsFile(d_->mode) && !d_->flush(busyWaitMs_))
        return false;
    d_->forget();
    ++statesRevision_;
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
