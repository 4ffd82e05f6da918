#pragma once

#include "words/WordListImport.h"

#include <QObject>

#include <atomic>
#include <exception>
#include <thread>

// Builds a word list from its file (an import or a replace) on a thread of its own, so that the
// window's thread never waits on the file or the disk. How far the reading has got comes back as
// progressed() on the thread that made the job, in thousandths, rising (steps taken while the
// owner was busy are told as one); finished() once the work is over. cancel() makes the work's next
// report of progress answer false, which stops the reading there. Destroying the job cancels it and
// joins the thread.
class ListFileJob : public QObject
{
    Q_OBJECT
public:
    static constexpr int Steps = 1000;

    explicit ListFileJob(WordListImport::Work work, QObject* parent = nullptr);
    ~ListFileJob() override;
    ListFileJob(const ListFileJob&) = delete;
    ListFileJob& operator=(const ListFileJob&) = delete;

    void start();
    void cancel() { cancelled_ = true; }
    // The work's outcome, once finished() came; earlier, it cancels the work and waits for it to
    // stop. Throws what the work threw.
    WordListImport::Outcome outcome();

signals:
    void progressed(int thousandths);
    void finished();
    // Emitted on the job's thread, queued to deliver() on the owner's: all that crosses over is
    // Qt's own event and the atomics below, which a race checker sees.
    void posted(QPrivateSignal);

private:
    void run();
    bool report(qint64 done, qint64 all);
    void deliver();

    WordListImport::Work work_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> reported_{-1};
    std::atomic<bool> done_{false};
    int delivered_ = -1;    // the last thousandths told, on the owner's thread
    bool toldDone_ = false; // finished() emitted
    // Written by the thread before it posts its end, read once it is joined.
    WordListImport::Outcome outcome_;
    std::exception_ptr thrown_;
    std::thread thread_;
};
