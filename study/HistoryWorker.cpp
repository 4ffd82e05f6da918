#include "HistoryWorker.h"

#include "HistoryDb.h"

#include <QtDebug>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// The nice value of the background thread (Linux keeps one per thread).
constexpr int BackgroundNice = 10;

} // namespace

class HistoryWorker::Shared : public WorkControl
{
public:
    enum class State
    {
        Running,
        Finishing, // past claimFinish(): no longer stopped
        Done
    };

    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Running;
    std::atomic<bool> cancel{false};
    bool abandoned = false; // the owner stopped waiting

    void checkpoint() override
    {
        if (!cancel.load(std::memory_order_relaxed))
            return;
        std::unique_lock lock(mutex);
        parkIfAbandoned(lock);
        throw WorkCancelled();
    }

    void claimFinish() override
    {
        std::unique_lock lock(mutex);
        if (cancel) {
            parkIfAbandoned(lock);
            throw WorkCancelled();
        }
        state = State::Finishing;
    }

    // The owner may be gone, and the program ending: touch nothing until the process ends.
    void parkIfAbandoned(std::unique_lock<std::mutex>& lock)
    {
        if (!abandoned)
            return;
        lock.unlock();
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }

    void finish()
    {
        std::unique_lock lock(mutex);
        parkIfAbandoned(lock);
        state = State::Done;
        changed.notify_all();
    }
};

HistoryWorker::~HistoryWorker()
{
    stop();
}

bool HistoryWorker::busy() const
{
    if (!shared_)
        return false;
    std::lock_guard lock(shared_->mutex);
    return shared_->state != Shared::State::Done;
}

bool HistoryWorker::start(const QString& path, Work work)
{
    if (busy())
        return false;
    if (thread_.joinable())
        thread_.join();
    shared_ = std::make_shared<Shared>();
    thread_ = std::thread([shared = shared_, path, work = std::move(work)] {
        // Behind the windows: the window's thread gets the processor first.
        setpriority(PRIO_PROCESS, id_t(gettid()), BackgroundNice);
        auto db = std::make_unique<HistoryDb>(path);
        try {
            db->open();
            work(*db, *shared);
        } catch (const WorkCancelled&) {
        } catch (const DbError& e) {
            qWarning().noquote() << "Background work on the study history failed:" << e.text;
        } catch (const std::exception& e) {
            qWarning() << "Background work on the study history failed:" << e.what();
        }
        {
            std::unique_lock lock(shared->mutex);
            shared->parkIfAbandoned(lock);
        }
        db.reset(); // on this thread, which owns the connection
        shared->finish();
    });
    return true;
}

bool HistoryWorker::wait(std::chrono::milliseconds bound) const
{
    if (!shared_)
        return true;
    std::unique_lock lock(shared_->mutex);
    return shared_->changed.wait_for(lock, bound,
                                     [&] { return shared_->state == Shared::State::Done; });
}

void HistoryWorker::stop(std::chrono::milliseconds bound)
{
    if (!thread_.joinable())
        return;
    shared_->cancel = true;
    {
        std::unique_lock lock(shared_->mutex);
        if (!shared_->changed.wait_for(lock, bound,
                                       [&] { return shared_->state != Shared::State::Running; })) {
            shared_->abandoned = true;
            lock.unlock();
            qWarning("A fit of the study history was still running; it is left behind.");
            thread_.detach();
            shared_.reset();
            return;
        }
        shared_->changed.wait(lock, [&] { return shared_->state == Shared::State::Done; });
    }
    thread_.join();
    shared_.reset();
}
