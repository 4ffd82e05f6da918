// The study engine on a long history: how long choosing a study question takes (goal: under
// 1 ms, with the pools kept up to date as answers come in), and how soon after start-up the main
// window's due count is ready (goal: under 50 ms), at 200,000 answers over full word lists (every
// two- and three-letter string but those starting with Z, 32,767 four-letter words). Prints its
// figures; asserts nothing about time. Run with tools/bench.sh.
#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/Random.h"
#include "study/History.h"
#include "study/StudyEngine.h"
#include "words/WordStore.h"

#include "study/DueCount.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <thread>

namespace {

constexpr int Answers = 200'000;
constexpr int Questions = 300;

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

class EngineBench : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString words_;
    QString history_;
    ManualWallClock clock_;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // Those starting with Z are left out, so that every length has non-words to ask.
        const QStringList words = WordDatabase::sequentialWords(2, 25 * 26) +
                                  WordDatabase::sequentialWords(3, 25 * 26 * 26) +
                                  WordDatabase::sequentialWords(4, 32767);
        words_ = dir_.filePath(QStringLiteral("dbWords.mdb"));
        history_ = dir_.filePath(QStringLiteral("history.sqlite"));
        WordDatabase::write(words_, words);
        clock_.now = QDateTime::currentDateTimeUtc();
        fillHistory(history_, spreadAnswers(words, Answers, clock_.now, 365));
    }

    // From the history's opening (start-up) to the count of due words, as the main window asks.
    void dueCount()
    {
        RecordingMessageBoxes messages;
        SeededRandom random(1);
        const StudySettings settings;
        QElapsedTimer timer;
        {
            // The thread's own time too: on a busy machine the wall clock counts others' work.
            const double cpuBefore = threadCpuMs();
            timer.start();
            History history(messages, history_);
            history.open();
            const double opened = ms(timer);
            const DueCount count = countDue(history, settings, clock_.now);
            qInfo("due count, the states read by open(): %d due, %d new today, %.1f ms after "
                  "start-up, %.1f ms of this thread's time (opened and read in %.1f ms, counted "
                  "in %.1f ms)",
                  count.due, count.newLeftToday, ms(timer), threadCpuMs() - cpuBefore, opened,
                  ms(timer) - opened);
        }
        {
            // As the program starts: the states read ahead while the main window is made.
            timer.start();
            History history(messages, history_);
            history.preload();
            // Polled finely: the owner's event loop would hear of it at once.
            for (int i = 0; history.preloading() && i < 25'000; ++i)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            QVERIFY(!history.preloading());
            const double read = ms(timer);
            QElapsedTimer window;
            window.start();
            history.open();
            const DueCount count = countDue(history, settings, clock_.now);
            qInfo("due count, the states read ahead: %d due, %.1f ms after start-up (read ahead "
                  "in %.1f ms; then %.1f ms on the window's thread to open and count)",
                  count.due, ms(timer), read, ms(window));
        }
        {
            // The first count the main window shows: the states tallied ahead, by length.
            timer.start();
            History history(messages, history_);
            history.preload(clock_.now);
            for (int i = 0; !history.preloadTally() && i < 25'000; ++i)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            QVERIFY(history.preloadTally());
            const DueCount count = countDue(*history.preloadTally(), settings);
            qInfo("due count, the states tallied ahead: %d due, %d new today, %.1f ms after "
                  "start-up",
                  count.due, count.newLeftToday, ms(timer));
            QVERIFY2(ms(timer) < 50, "the first count is due within 50 ms of start-up");
        }
        timer.start();
        History history(messages, history_);
        history.open();
        WordStore store(random);
        store.create();
        store.open(words_);
        StudyEngine engine(store, history, clock_, random, settings);
        const int due = engine.dueNow();
        qInfo("due count through an engine (the word lists read): %d due, %.1f ms after start-up",
              due, ms(timer));
    }

    // Questions answered 10 s apart, one in five wrong: the time of next() alone.
    void questions()
    {
        RecordingMessageBoxes messages;
        SeededRandom random(1);
        ManualWallClock clock;
        clock.now = clock_.now;
        WordStore store(random);
        store.create();
        store.open(words_);
        History history(messages, history_);
        auto fit = std::make_shared<ScriptedFit>();
        fit->scale = 0.0; // the day's fit finds nothing new: the states stay
        history.setFitter(scripted(fit));
        history.open(); // as the main window's due count leaves it before a session
        QElapsedTimer made;
        made.start();
        const StudySettings settings;
        double making = 0; // the word lists read from the store, as a session starts
        {
            const StudyEngine earlier(store, history, clock, random, settings);
            making = ms(made);
        }
        made.restart();
        StudyEngine engine(store, history, clock, random, settings);
        const double makingAgain = ms(made); // the next session's, the store's lists read already
        QList<double> times;
        QList<double> practice;
        for (int n = 0; n < Questions; ++n) {
            QElapsedTimer timer;
            timer.start();
            std::optional<StudyQuestion> question = engine.next();
            (question ? times : practice).append(ms(timer));
            if (!question) {
                timer.restart();
                question = engine.nextPractice();
                practice.last() += ms(timer);
            }
            engine.answer(n % 5 == 0 ? (question->rightIndex + 1) % 4 : question->rightIndex);
            clock.advanceSecs(10);
            if (n == 0)
                history.waitForBackgroundWork(60000);
        }
        QVERIFY(history.flush());
        // The first builds the pools; the second takes up the day's fit and builds them again.
        const double first = times.takeFirst();
        const double second = times.takeFirst();
        qInfo("%d study questions at %d answers, %d due at the end: next() %.3f ms median, "
              "%.3f ms at most; the engine made in %.1f ms (%.1f ms for the next session), the "
              "first %.1f ms, the one after the fit %.1f ms; %lld practice questions, %.3f ms "
              "median",
              Questions, Answers, engine.stats().due, median(times),
              *std::max_element(times.begin(), times.end()), making, makingAgain, first, second,
              practice.size(), practice.isEmpty() ? 0.0 : median(practice));
    }
};

QTEST_GUILESS_MAIN(EngineBench)
#include "bench_engine.moc"
