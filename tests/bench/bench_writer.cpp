// The window's thread while answers are written: 200 answers, one every 50 ms, while the day's
// fit runs on 100,000 answers and another program takes the history's write lock for 2 s in
// every 10. Prints the longest time record() kept the window's thread (goal: under 16 ms, a
// frame). Run with tools/bench.sh.
#include "History.h"
#include "HistoryFill.h"
#include "SimulatedLearner.h"
#include "TestDoubles.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

constexpr int Answers = 200;
constexpr int PaceMs = 50;

// Another program: holds the write lock for 2 s of every 10 until told to stop.
void holdTheLockInTurns(const QString& path, const std::atomic<bool>& stop)
{
    const QString name = QStringLiteral("another program");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        for (int second = 0; !stop; ++second) {
            const bool held = second % 10 < 2;
            if (held)
                QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
            for (int step = 0; step < 10 && !stop; ++step)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (held)
                QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

class WriterBench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void answersWhileLockedAndFitting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        SimulatedLearner learner;
        learner.words = 6'000;
        learner.answersPerDay = 600;
        const QList<AnswerRecord> all = learner.answers(100'000 + Answers);
        fillHistory(path, all.mid(0, 100'000));
        RecordingMessageBoxes messages;
        History history(messages, path);
        history.words();
        history.recalibrateInBackground(QDate(2030, 1, 1));
        std::atomic<bool> stop{false};
        std::thread other([&] { holdTheLockInTurns(path, stop); });
        qint64 longestNs = 0;
        QElapsedTimer pace;
        pace.start();
        for (int n = 0; n < Answers; ++n) {
            QElapsedTimer timer;
            timer.start();
            history.record(all[100'000 + n]);
            history.find(all[100'000 + n].candidates.first());
            longestNs = std::max(longestNs, timer.nsecsElapsed());
            QTest::qWait(int(std::max<qint64>(0, (n + 1) * PaceMs - pace.elapsed())));
        }
        stop = true;
        other.join();
        const bool fitting = history.backgroundBusy();
        QVERIFY(history.flush());
        qInfo("longest wait of the window's thread over %d answers: %.2f ms (fit still running "
              "at the end: %s)",
              Answers, double(longestNs) / 1e6, fitting ? "yes" : "no");
        QCOMPARE(history.answerCount(), 100'000 + Answers);
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(WriterBench)
#include "bench_writer.moc"
