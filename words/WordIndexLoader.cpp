#include "words/WordIndexLoader.h"

#include "base/ErrorReporting.h"
#include "words/WordIndex.h"

#include <QThread>

WordIndexLoader::WordIndexLoader(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path))
{}

WordIndexLoader::~WordIndexLoader()
{
    cancelled_ = true;
    if (thread_) {
        thread_->wait();
        (void)finished_.load(std::memory_order_acquire);
    }
}

void WordIndexLoader::start()
{
    if (thread_)
        return;
    thread_.reset(QThread::create([this] {
        run();
        finished_.store(true, std::memory_order_release);
    }));
    thread_->start();
}

void WordIndexLoader::run()
{
    std::shared_ptr<const WordIndex> index;
    QString error;
    try {
        index = std::make_shared<const WordIndex>(WordIndex::fromFile(path_, &cancelled_));
    } catch (const AppError& e) {
        error = e.description();
    }
    if (cancelled_)
        return;
    // Posted to this object: a result still on its way when the loader goes is dropped.
    QMetaObject::invokeMethod(
        this,
        [this, index = std::move(index), error] {
            index_ = index;
            error_ = error;
            done_ = true;
            emit loaded();
        },
        Qt::QueuedConnection);
}
