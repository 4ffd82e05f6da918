#pragma once

#include "study/DueTally.h"
#include "study/WordMemory.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

// The word states of a history file read on a thread of its own ahead of History::open(), so
// that the window's thread neither waits on the disk nor spends its time building them. It only
// reads, and only a file of our current layout: one missing, older, another program's or
// unreadable leaves nothing, and open() reads it as ever. The outcome carries a stamp of what it
// was read at (HistorySchema::stateStamp), so that a file changed since is read again.
//
// Before the states, it tallies them for the study button's first count (HistorySchema::tallyDue),
// which costs a fraction of reading them.
class HistoryPreload
{
public:
    struct Outcome
    {
        QString stamp;
        qint64 lastAnswerId = 0;
        QHash<QString, WordMemory> states;
        QStringList nonWords; // those the last questions showed (AnswerLog::recentNonWords)
    };

    // news: called on the reading thread once the tally is there, and once it has finished,
    // whatever came of it. now: the time to tally at; invalid, no tally.
    HistoryPreload(QString path, std::function<void()> news, const QDateTime& now = {});
    // Asks the read to stop, and joins the thread.
    ~HistoryPreload();
    HistoryPreload(const HistoryPreload&) = delete;
    HistoryPreload& operator=(const HistoryPreload&) = delete;

    bool finished() const { return finished_.load(); }
    // The tally, once it is there.
    std::optional<DueTally> tally() const;
    // Waits for the read to finish, then hands its outcome over, once; nothing when there is none.
    std::optional<Outcome> take();

private:
    void run();

    const QString path_;
    std::function<void()> news_;
    const QDateTime now_;
    DueTally tally_; // the thread's until tallied_ is set
    std::atomic<bool> tallied_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::optional<Outcome> outcome_; // the thread's until it is joined
    std::thread thread_;
};
