#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class HistoryDb;
struct DbError;

// Thrown by WorkControl when the work is to stop.
struct WorkCancelled
{};

// What long history work asks between its steps, at least every CheckpointMs of its work.
class WorkControl
{
public:
    static constexpr int CheckpointMs = 50;
    virtual ~WorkControl() = default;
    // Throws WorkCancelled when the owner asked the work to stop.
    virtual void checkpoint() = 0;
};

// Work that runs to its end: for the same steps run on the caller's thread.
class Uninterrupted : public WorkControl
{
public:
    void checkpoint() override {}
};

// The history's background thread: runs one piece of work at a time over a connection of its
// own to the history file, so that fits and state rebuilds never hold up the windows.
//
// Stopping asks the work to stop at its next checkpoint, interrupts the statement it is running
// (its wait for another program's lock included) and joins the thread: it returns within a
// checkpoint's interval. What stopped work had begun to write is rolled back. No thread is ever
// left running behind its owner.
class HistoryWorker
{
public:
    using Work = std::function<void(HistoryDb& db, WorkControl& control)>;

    HistoryWorker();
    ~HistoryWorker();
    HistoryWorker(const HistoryWorker&) = delete;
    HistoryWorker& operator=(const HistoryWorker&) = delete;

    // The line logged for work that ended on a failed statement. Work its owner stopped was
    // interrupted, whatever the statement said (a wait for a lock that gives up on the stop fails
    // as busy); else the file was busy when another program held its lock past the wait, or the
    // work failed.
    static QString endNote(const DbError& error, bool cancelled);

    bool busy() const;
    // Opens a connection to path on a new thread and runs work over it. False when busy.
    bool start(const QString& path, Work work);
    // Waits until the work is done; false when it is still running after `bound`.
    bool wait(std::chrono::milliseconds bound) const;
    void stop();

private:
    class Control;
    std::unique_ptr<Control> control_;
    std::thread thread_;
};
