// The window's thread while study questions are answered: 200 questions, one every 50 ms, while
// the day's fit runs on 100,000 answers and another program takes the history's write lock for
// 2 s in every 10. Prints the longest the window's thread was kept by one question (the answer
// given, its feedback's states and the next question chosen) and by one turn of its event loop,
// where the writer's reports are taken up (goal: under 16 ms, a frame). Run with tools/bench.sh.
#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/Random.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "words/WordStore.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include <time.h>

namespace {

constexpr int Stored = 100'000;
constexpr int Questions = 200;
constexpr int PaceMs = 50;

// Another program: holds the write lock for 2 s of every 10 until told to stop.
void holdTheLockInTurns(const QString& path, const std::atomic<bool>& stop)
{
    std::optional<WriteLock> lock;
    for (int second = 0; !stop; ++second) {
        if (second % 10 < 2 && !lock)
            lock.emplace(path);
        else if (second % 10 >= 2)
            lock.reset();
        for (int step = 0; step < 10 && !stop; ++step)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// The CPU time this thread has had: on a loaded machine, a question much longer on the clock
// than on the CPU was kept waiting, for the CPU or for something else.
qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

class WriterBench : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void questionsWhileLockedAndFitting()
    {
        QTemporaryDir dir;
        const QStringList words = WordDatabase::sequentialWords(2, 124) +
                                  WordDatabase::sequentialWords(3, 1300) +
                                  WordDatabase::sequentialWords(4, 4576);
        WordDatabase::write(dir.filePath(QStringLiteral("dbWords.mdb")), words);
        ManualWallClock clock;
        clock.now = QDateTime::currentDateTimeUtc();
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, spreadAnswers(words, Stored, clock.now, 100));
        SeededRandom random(1);
        WordStore store(random);
        store.create();
        store.open(dir.filePath(QStringLiteral("dbWords.mdb")));
        RecordingMessageBoxes messages;
        History history(messages, path);
        history.open();
        StudyEngine engine(store, history, clock, random);
        history.recalibrateInBackground(MemoryPolicy::studyDay(clock.now));
        QVERIFY(history.backgroundBusy());
        std::atomic<bool> stop{false};
        std::thread other([&] { holdTheLockInTurns(path, stop); });
        qint64 longestQuestionNs = 0;
        qint64 longestTurnNs = 0;
        QElapsedTimer pace;
        pace.start();
        qint64 longestCpuNs = 0;
        for (int n = 0; n < Questions; ++n) {
            const qint64 cpuBefore = threadCpuNs();
            QElapsedTimer timer;
            timer.start();
            std::optional<StudyQuestion> question = engine.next();
            if (!question)
                question = engine.nextPractice();
            engine.answer(n % 5 == 0 ? (question->rightIndex + 1) % 4 : question->rightIndex);
            longestQuestionNs = std::max(longestQuestionNs, timer.nsecsElapsed());
            longestCpuNs = std::max(longestCpuNs, threadCpuNs() - cpuBefore);
            clock.advanceSecs(3);
            while (pace.elapsed() < (n + 1) * PaceMs) {
                timer.restart();
                QCoreApplication::processEvents();
                longestTurnNs = std::max(longestTurnNs, timer.nsecsElapsed());
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        stop = true;
        other.join();
        const bool fitting = history.backgroundBusy();
        QVERIFY(history.flush());
        qInfo("%d questions on %d stored answers: the longest question kept the window's thread "
              "%.2f ms (%.2f ms on the CPU), the longest turn of its event loop %.2f ms; the fit "
              "still running at the end: %s",
              Questions, Stored, double(longestQuestionNs) / 1e6, double(longestCpuNs) / 1e6,
              double(longestTurnNs) / 1e6, fitting ? "yes" : "no");
        QCOMPARE(history.answerCount(), Stored + Questions);
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(WriterBench)
#include "bench_writer.moc"
