#include "study/HistoryWorker.h"

#include "study/HistoryDb.h"

#include <QtDebug>

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

namespace {

// The nice value of the background thread (Linux keeps one per thread).
constexpr int BackgroundNice = 10;

const QString Interrupted = QStringLiteral(
    "Background work on the study history was interrupted (stopped at exit, a list switch or "
    "forgetting the history)");

} // namespace

class HistoryWorker::Control : public WorkControl
{
public:
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    mutable std::mutex mutex;
    mutable std::condition_variable finished;

    void checkpoint() override
    {
        if (cancel.load(std::memory_order_relaxed))
            throw WorkCancelled();
    }

    void finish()
    {
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    }
};

HistoryWorker::HistoryWorker() = default;

HistoryWorker::~HistoryWorker()
{
    stop();
}

bool HistoryWorker::busy() const
{
    return control_ && !control_->done.load();
}

bool HistoryWorker::start(const QString& path, Work work)
{
    if (busy())
        return false;
    if (thread_.joinable())
        thread_.join();
    control_ = std::make_unique<Control>();
    thread_ = std::thread([control = control_.get(), path, work = std::move(work)] {
        // Behind the windows: the window's thread gets the processor first.
        setpriority(PRIO_PROCESS, id_t(gettid()), BackgroundNice);
        {
            HistoryDb db(path); // owned by this thread, closed on it
            try {
                db.open();
                db.stopWhen(&control->cancel);
                work(db, *control);
            } catch (const WorkCancelled&) {
                qInfo().noquote() << Interrupted;
            } catch (const DbError& e) {
                const bool cancelled = control->cancel.load();
                (cancelled ? qInfo() : qWarning()).noquote() << endNote(e, cancelled);
            } catch (const std::exception& e) {
                qWarning() << "Background work on the study history failed:" << e.what();
            }
        }
        control->finish();
    });
    return true;
}

QString HistoryWorker::endNote(const DbError& error, bool cancelled)
{
    if (cancelled || error.interrupted())
        return Interrupted;
    if (error.busy())
        return QStringLiteral("Background work on the study history stopped: the file was busy, "
                              "another program held its lock (") +
               error.text + QLatin1Char(')');
    return QStringLiteral("Background work on the study history failed: ") + error.text;
}

bool HistoryWorker::wait(std::chrono::milliseconds bound) const
{
    if (!control_)
        return true;
    std::unique_lock lock(control_->mutex);
    return control_->finished.wait_for(lock, bound, [&] { return control_->done.load(); });
}

void HistoryWorker::stop()
{
    if (!thread_.joinable())
        return;
    control_->cancel = true;
    thread_.join();
    control_.reset();
}
