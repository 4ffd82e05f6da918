#include "words/WordListCounter.h"

#include "base/ErrorReporting.h"
#include "words/WordSchema.h"

#include <QThread>

WordListCounter::WordListCounter(QList<List> lists, QObject* parent)
    : QObject(parent), lists_(std::move(lists))
{}

WordListCounter::~WordListCounter()
{
    cancelled_ = true;
    if (thread_)
        thread_->wait();
}

void WordListCounter::start()
{
    if (thread_)
        return;
    thread_.reset(QThread::create([this] { run(); }));
    thread_->start();
}

void WordListCounter::run()
{
    // A quick pass first, so that a list whose views take their whole limit holds up no other.
    QList<List> slow;
    for (const List& list : lists_)
        if (!count(list, QuickLimit, false))
            slow.append(list);
    for (const List& list : std::as_const(slow))
        count(list, StatementLimit::Default, true);
}

bool WordListCounter::count(const List& list, std::chrono::milliseconds limit, bool last)
{
    QList<qint64> counts;
    QString error;
    try {
        counts = WordSchema::countWords(list.path, &cancelled_, limit);
    } catch (const AppError& e) {
        error = e.description();
    }
    if (cancelled_)
        return true;
    if (!error.isEmpty() && !last)
        return false;
    // Posted to this object: a result still on its way when the counter goes is dropped.
    QMetaObject::invokeMethod(
        this, [this, name = list.name, counts, error] { emit counted(name, counts, error); },
        Qt::QueuedConnection);
    return true;
}
