#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class HistoryDb;

// Thrown by WorkControl when the work is to stop.
struct WorkCancelled
{};

// What long history work asks between its steps.
class WorkControl
{
public:
    virtual ~WorkControl() = default;
    // Throws WorkCancelled when the owner asked the work to stop.
    virtual void checkpoint() = 0;
    // Called once, just before the work's last short step (its write): from then on it is no
    // longer stopped, and whoever stops it waits for it. Throws WorkCancelled like checkpoint().
    virtual void claimFinish() = 0;
};

// Work that runs to its end: for the same steps run on the window's thread.
class Uninterrupted : public WorkControl
{
public:
    void checkpoint() override {}
    void claimFinish() override {}
};

// The history's background thread: runs one piece of work at a time over a connection of its
// own to the history file, so that fits and state rebuilds never hold up the windows.
//
// Stopping asks the work to stop at its next checkpoint and waits a bounded time. Work that is
// still busy between two checkpoints by then (a fit, which has none) is left behind: when it
// reaches one, its thread parks for good, touching nothing shared, its connection still open,
// and never writes.
class HistoryWorker
{
public:
    using Work = std::function<void(HistoryDb& db, WorkControl& control)>;
    static constexpr std::chrono::milliseconds StopBound{1000};

    HistoryWorker() = default;
    ~HistoryWorker();
    HistoryWorker(const HistoryWorker&) = delete;
    HistoryWorker& operator=(const HistoryWorker&) = delete;

    bool busy() const;
    // Opens a connection to path on a new thread and runs work over it. False when busy.
    bool start(const QString& path, Work work);
    // Waits until the work is done; false when it is still running after `bound`.
    bool wait(std::chrono::milliseconds bound) const;
    void stop(std::chrono::milliseconds bound = StopBound);

private:
    class Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};
