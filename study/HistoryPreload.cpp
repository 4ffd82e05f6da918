#include "study/HistoryPreload.h"

#include "study/History.h"
#include "study/HistoryDb.h"
#include "study/HistorySchema.h"

#include <QFileInfo>

HistoryPreload::HistoryPreload(QString path, std::function<void()> news, const QDateTime& now)
    : path_(std::move(path)), news_(std::move(news)), now_(now)
{
    thread_ = std::thread([this] { run(); });
}

HistoryPreload::~HistoryPreload()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::optional<DueTally> HistoryPreload::tally() const
{
    return tallied_.load(std::memory_order_acquire) ? std::optional(tally_) : std::nullopt;
}

std::optional<HistoryPreload::Outcome> HistoryPreload::take()
{
    if (thread_.joinable())
        thread_.join();
    return std::exchange(outcome_, std::nullopt);
}

void HistoryPreload::run()
{
    try {
        // Opening a missing file read-only would fail anyway; one that isn't a regular file
        // could keep SQLite waiting.
        if (QFileInfo(path_).isFile()) {
            HistoryDb db(path_);
            db.stopWhen(&stop_);
            // As open() reads a file it can't write: with no log beside it, nothing is made.
            db.open(QFileInfo::exists(path_ + QStringLiteral("-wal")) ? HistoryDb::Access::ReadOnly
                                                                      : HistoryDb::Access::Frozen);
            int version = 0;
            if (HistorySchema::identify(db, &version) == HistorySchema::Kind::Ours &&
                version == History::SchemaVersion) {
                Outcome read;
                // One read transaction: the stamp, the last answer and the states agree.
                db.transaction(
                    [&] {
                        if (now_.isValid()) {
                            tally_ = HistorySchema::tallyDue(db, now_);
                            tallied_.store(true, std::memory_order_release);
                            if (news_)
                                news_();
                        }
                        read.stamp = HistorySchema::stateStamp(db);
                        read.lastAnswerId = HistorySchema::lastAnswerId(db);
                        read.states = HistorySchema::readStates(db);
                        read.nonWords =
                            HistorySchema::recentNonWords(db, AnswerLog::RecentNonWords);
                    },
                    HistoryDb::Lock::Late);
                outcome_ = std::move(read);
            }
        }
    } catch (const DbError&) {
        outcome_.reset(); // open() reads the file itself, and finds out what is wrong
    }
    finished_ = true;
    if (news_)
        news_();
}
