#include "words/ListFileJob.h"

#include <algorithm>
#include <utility>

ListFileJob::ListFileJob(WordListImport::Work work, QObject* parent)
    : QObject(parent), work_(std::move(work))
{
    connect(this, &ListFileJob::posted, this, &ListFileJob::deliver, Qt::QueuedConnection);
}

ListFileJob::~ListFileJob()
{
    cancel();
    if (thread_.joinable())
        thread_.join();
}

void ListFileJob::start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
}

void ListFileJob::run()
{
    try {
        outcome_ = work_([this](qint64 done, qint64 all) { return report(done, all); });
    } catch (...) {
        thrown_ = std::current_exception();
    }
    done_ = true;
    // Queued to this object: news still on its way when the job goes is dropped with it.
    emit posted(QPrivateSignal());
}

bool ListFileJob::report(qint64 done, qint64 all)
{
    const int thousandths = all > 0 ? int(std::min(done, all) * Steps / all) : 0;
    if (reported_.exchange(thousandths) != thousandths)
        emit posted(QPrivateSignal());
    return !cancelled_;
}

void ListFileJob::deliver()
{
    if (const int thousandths = reported_; thousandths > delivered_) {
        delivered_ = thousandths;
        emit progressed(thousandths);
    }
    if (done_ && !std::exchange(toldDone_, true))
        emit finished();
}

WordListImport::Outcome ListFileJob::outcome()
{
    if (thread_.joinable()) {
        cancel(); // only takes effect while the work still runs
        thread_.join();
    }
    if (thrown_)
        std::rethrow_exception(thrown_);
    return outcome_;
}
