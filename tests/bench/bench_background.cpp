// Stopping the history's background work: a real fit of the memory model and a rebuild of the
// states over a long history, each cut short by a list switch while it runs. The switch must
// return within 100 ms. Run with tools/bench.sh.
#include "HistoryFill.h"
#include "SimulatedLearner.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/History.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

namespace {

constexpr int Answers = 100'000;
constexpr qint64 StopBudgetMs = 100;

} // namespace

class BackgroundBench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        SimulatedLearner learner;
        learner.words = 6'000;
        learner.answersPerDay = 600;
        fillHistory(dir_.filePath(QStringLiteral("history.sqlite")), learner.answers(Answers));
    }

    void switchStopsTheWork_data()
    {
        QTest::addColumn<bool>("fit"); // else a rebuild
        QTest::newRow("fit") << true;
        QTest::newRow("rebuild") << false;
    }
    void switchStopsTheWork()
    {
        QFETCH(bool, fit);
        const QString path = dir_.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes messages;
        qint64 longest = 0;
        for (int trial = 0; trial < 8; ++trial) {
            if (!fit)
                WordDatabase::execute(path, {"UPDATE meta SET value = 0 WHERE key = 'grading'"});
            History history(messages, path);
            if (fit)
                history.recalibrateInBackground(QDate(2030, 1, 1));
            else
                QVERIFY(history.open()); // starts the rebuild
            std::this_thread::sleep_for(std::chrono::milliseconds(100 + 60 * trial));
            QVERIFY2(history.backgroundBusy(), "the work ended before the switch");
            QElapsedTimer timer;
            timer.start();
            history.switchTo(dir_.filePath(QStringLiteral("other.sqlite")));
            longest = std::max(longest, timer.elapsed());
        }
        qInfo("%s of %d answers stopped by a switch: the longest switch took %lld ms",
              fit ? "a fit" : "a rebuild", Answers, longest);
        QCOMPARE_LT(longest, StopBudgetMs);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(BackgroundBench)
#include "bench_background.moc"
