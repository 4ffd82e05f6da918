// A list file's building off the window's thread: its progress and its end come back to the
// thread that made the job, and Cancel, a failure or the job's going each end it cleanly.
#include "base/ErrorReporting.h"
#include "words/ListFileJob.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <functional>

class ListFileJobTest : public QObject
{
    Q_OBJECT

private slots:
    void jobEndsAsItsWorkDoes_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("read to the end") << "done";
        QTest::newRow("cancelled") << "cancel";
        QTest::newRow("the work throws") << "throw";
        QTest::newRow("the job goes first") << "destroy";
    }
    void jobEndsAsItsWorkDoes()
    {
        QFETCH(QString, ending);
        std::atomic<bool> onTheWindowsThread{false};
        std::atomic<bool> stopped{false};
        QThread* const window = QThread::currentThread();
        // Read to the end: four pieces. Otherwise the work goes on until its progress says stop
        // (within a bound, so that a job that never stops fails instead of hanging).
        auto job = std::make_unique<ListFileJob>([&](const WordListImport::Progress& progress) {
            onTheWindowsThread = QThread::currentThread() == window;
            if (ending == QLatin1String("throw"))
                throw AppError(QStringLiteral("the disk is full"));
            WordListImport::Outcome outcome;
            const QDeadlineTimer bound(10000);
            for (qint64 done = 0; ending != QLatin1String("done") || done <= 4; ++done) {
                if (!progress(std::min<qint64>(done, 4), 4) || bound.hasExpired()) {
                    stopped = !bound.hasExpired();
                    outcome.cancelled = true;
                    return outcome;
                }
                QThread::msleep(1);
            }
            outcome.written = true;
            return outcome;
        });
        QSignalSpy progressed(job.get(), &ListFileJob::progressed);
        QSignalSpy finished(job.get(), &ListFileJob::finished);
        job->start();
        if (ending == QLatin1String("destroy")) {
            QVERIFY(progressed.wait());
            job.reset(); // cancels and joins
            QVERIFY(stopped);
            return;
        }
        if (ending == QLatin1String("cancel")) {
            QVERIFY(progressed.wait());
            job->cancel();
        }
        QVERIFY(finished.wait(10000));
        QVERIFY(!onTheWindowsThread);
        if (ending == QLatin1String("throw")) {
            QVERIFY_THROWS_EXCEPTION(AppError, job->outcome());
            return;
        }
        const WordListImport::Outcome outcome = job->outcome();
        QCOMPARE(outcome.written, ending == QLatin1String("done"));
        QCOMPARE(outcome.cancelled, ending == QLatin1String("cancel"));
        QCOMPARE(stopped.load(), ending == QLatin1String("cancel"));
        if (ending == QLatin1String("done")) { // rising, to the end
            QList<int> steps;
            for (const QList<QVariant>& signal : std::as_const(progressed))
                steps.append(signal.at(0).toInt());
            QVERIFY(std::adjacent_find(steps.cbegin(), steps.cend(), std::greater_equal<int>()) ==
                    steps.cend());
            QCOMPARE(steps.constLast(), ListFileJob::Steps);
        }
    }
};

QTEST_GUILESS_MAIN(ListFileJobTest)
#include "tst_listfilejob.moc"
