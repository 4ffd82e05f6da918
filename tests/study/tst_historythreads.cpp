#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/History.h"
#include "study/HistoryDb.h"
#include "study/HistoryWorker.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <array>
#include <atomic>
#include <optional>
#include <thread>

namespace {

// Answer n: on one of twelve two-letter words, right or wrong, ten seconds after the last.
AnswerRecord answer(int n)
{
    const QDateTime start(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    const QString word = QStringLiteral("A") + QChar('A' + n % 12);
    return answerOn(word, start.addSecs(qint64(n) * 10), n % 3 != 2);
}

// The states a history kept in memory reaches with the answers of these numbers.
QStringList statesOf(const QList<int>& numbers)
{
    QList<AnswerRecord> answers;
    for (int n : numbers)
        answers.append(answer(n));
    return memoryStates(answers);
}

QList<int> range(int from, int to)
{
    QList<int> numbers;
    for (int n = from; n < to; ++n)
        numbers.append(n);
    return numbers;
}

// The times of the answers in the file, in order.
QList<QDateTime> timesIn(const QString& path)
{
    RecordingMessageBoxes quiet;
    QList<QDateTime> times;
    for (const AnswerRecord& a : OpenedHistory(quiet, path).answers())
        times.append(a.at);
    return times;
}

QList<QDateTime> timesOf(const QList<int>& numbers)
{
    QList<QDateTime> times;
    for (int n : numbers)
        times.append(answer(n).at);
    return times;
}

// A history of answers 0 to 299 whose states were graded under other rules: opening it starts a
// rebuild in the background.
void fillUnderOldRules(const QString& path)
{
    QList<AnswerRecord> answers;
    for (int n = 0; n < 300; ++n)
        answers.append(answer(n));
    fillHistory(path, answers);
    WordDatabase::execute(path, {"UPDATE meta SET value = 0 WHERE key = 'grading'"});
}

// Messages, noting whether any came on a thread other than the one that made the history.
struct WindowThreadMessages : RecordingMessageBoxes
{
    void show(const QString& text, const QString& title, MessageIcon icon) override
    {
        offThread = offThread || QThread::currentThread() != owner;
        RecordingMessageBoxes::show(text, title, icon);
    }
    QThread* owner = QThread::currentThread();
    bool offThread = false;
};

} // namespace

class HistoryThreadsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Answers waiting behind another program's lock stay with the list they were given on
    // through a switch, and every one lands in its history once the lock goes: by a flush, by
    // the retry timer, at exit, or with the next answer after switching back. None lands in the
    // other list's, whose states never mix with them.
    void switchKeepsWaitingAnswers_data()
    {
        QTest::addColumn<QString>("landing");
        for (const char* row : {"flush", "timer", "exit", "back"})
            QTest::newRow(row) << QString(row);
    }
    void switchKeepsWaitingAnswers()
    {
        QFETCH(QString, landing);
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.sqlite"));
        const QString second = dir.filePath(QStringLiteral("second.sqlite"));
        RecordingMessageBoxes messages;
        std::optional<History> history(std::in_place, messages, first);
        history->setBusyWaitMs(20);
        history->record(answer(0));
        QVERIFY(history->flush());
        WriteLock lock(first);
        QVERIFY(lock.held);
        for (int n = 1; n < 6; ++n)
            history->record(answer(n));
        QCOMPARE(history->pendingCount(), 5);
        history->switchTo(second);
        QCOMPARE(history->pendingCount(), 5);
        for (int n = 6; n < 9; ++n)
            history->record(answer(n));
        QCOMPARE(snapshot(*history), statesOf(range(6, 9)));
        lock.release();
        QList<int> onFirst = range(0, 6);
        if (landing == QLatin1String("flush")) {
            QVERIFY(history->flush());
        } else if (landing == QLatin1String("timer")) {
            QTRY_COMPARE_WITH_TIMEOUT(history->pendingCount(), 0, 10000);
        } else if (landing == QLatin1String("back")) {
            history->switchTo(first);
            QCOMPARE(snapshot(*history), statesOf(onFirst));
            history->record(answer(9));
            onFirst.append(9);
            QVERIFY(history->flush());
            QCOMPARE(history->pendingCount(), 0);
        }
        history.reset();
        QCOMPARE(timesIn(first), timesOf(onFirst));
        QCOMPARE(timesIn(second), timesOf(range(6, 9)));
        QCOMPARE(snapshot(OpenedHistory(messages, first)), statesOf(onFirst));
        QVERIFY(messages.shown.isEmpty());
    }

    // Answers given while another program holds the file: record() only hands them on (the
    // writer waits for the lock for ten minutes, and this thread holds it, so a record() that
    // waited would never return). Once the lock goes, each lands once, in order; one taken back
    // meanwhile counts nowhere, however far the writer had got with it. A full disk is told
    // once, from the history's own thread, and the answers land when it has room again.
    void answersBehindAHeldLock_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("takeBack"); // which answer is taken back, if any
        QTest::newRow("lock") << "lock"
                              << "";
        QTest::newRow("lock, take back the waiting") << "lock"
                                                     << "waiting";
        QTest::newRow("lock, take back the written") << "lock"
                                                     << "written";
        QTest::newRow("full disk") << "full"
                                   << "";
        QTest::newRow("full disk, take back the waiting") << "full"
                                                          << "waiting";
    }
    void answersBehindAHeldLock()
    {
        QFETCH(QString, fault);
        QFETCH(QString, takeBack);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        WindowThreadMessages messages;
        QList<int> kept{0};
        {
            History history(messages, path);
            history.setBusyWaitMs(600000);
            history.record(answer(0));
            QVERIFY(history.flush());
            if (takeBack == QLatin1String("written"))
                QVERIFY(history.takeBack(answer(0).at.addSecs(1)));
            std::optional<WriteLock> lock;
            int n = 1;
            if (fault == QLatin1String("lock")) {
                lock.emplace(path);
                for (; n < 8; ++n)
                    history.record(answer(n));
            } else { // until the disk is full, told by the writer's report
                history.capSizeForTest(0);
                for (; messages.shown.isEmpty() && n < 2000; ++n) {
                    history.record(answer(n));
                    QCoreApplication::processEvents();
                }
                QTRY_COMPARE(messages.shown.size(), 1); // the report of a write begun late
            }
            kept = range(takeBack == QLatin1String("written") ? 1 : 0, n);
            if (takeBack == QLatin1String("waiting")) {
                QVERIFY(history.takeBack(answer(n - 1).at.addSecs(1)));
                kept.removeLast();
            }
            QCOMPARE(snapshot(history), statesOf(kept));
            if (fault == QLatin1String("full"))
                history.capSizeForTest(-1);
            lock.reset();
            QTRY_COMPARE_WITH_TIMEOUT(history.pendingCount(), 0, 10000);
            QCOMPARE(snapshot(history), statesOf(kept));
        }
        QCOMPARE(timesIn(path), timesOf(kept));
        QCOMPARE(snapshot(OpenedHistory(messages, path)), statesOf(kept));
        QCOMPARE(messages.shown.size(), fault == QLatin1String("full") ? 1 : 0);
        QVERIFY(!messages.offThread);
    }

    // Forgetting waits for the answers given on the history: behind a lock nothing is moved,
    // and once it goes they are set aside with the rest.
    void forgetAllKeepsWaitingAnswers()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes messages;
        History history(messages, path);
        history.setBusyWaitMs(20);
        history.record(answer(0));
        QVERIFY(history.flush());
        WriteLock lock(path);
        history.record(answer(1));
        QString movedTo;
        QVERIFY(!history.forgetAll(&movedTo));
        QCOMPARE(history.pendingCount(), 1);
        lock.release();
        QVERIFY(history.forgetAll(&movedTo));
        QCOMPARE(timesIn(movedTo), timesOf({0, 1}));
        QCOMPARE(history.answerCount(), 0);
    }

    // The fitter and the background's done callback outlive a switch: the rebuild the new
    // list's history needs, and its day's fit, are each announced once, queued.
    void switchKeepsTheWiring()
    {
        QTemporaryDir dir;
        const QString second = dir.filePath(QStringLiteral("second.sqlite"));
        fillUnderOldRules(second);
        RecordingMessageBoxes messages;
        History history(messages, dir.filePath(QStringLiteral("first.sqlite")));
        auto fit = std::make_shared<ScriptedFit>();
        history.setFitter(scripted(fit));
        int done = 0;
        history.setBackgroundDone([&] { ++done; });
        history.record(answer(0));
        history.switchTo(second);
        QVERIFY(history.open());
        QVERIFY(history.waitForBackgroundWork(30000));
        QCOMPARE(done, 0); // queued: not before the loop runs
        QTRY_COMPARE(done, 1);
        QVERIFY(history.takeUpBackgroundWork());
        history.recalibrateInBackground(QDate(2026, 9, 1));
        QTRY_COMPARE(done, 2);
        QCOMPARE(fit->calls.loadRelaxed(), 1);
        QVERIFY(history.takeUpBackgroundWork());
        QVERIFY(history.policy().model.weights() != Fsrs::defaultWeights());
    }

    // The background rebuild's states go to the file through the writer: behind another
    // program's lock or a full disk they wait whole, through failed tries, and land once the
    // cause goes, with the answers given meanwhile built upon them.
    void rebuildThroughFailedWrites_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("lock") << "lock";
        QTest::newRow("full disk") << "full";
    }
    void rebuildThroughFailedWrites()
    {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillUnderOldRules(path);
        RecordingMessageBoxes messages;
        {
            History history(messages, path);
            history.setBusyWaitMs(20);
            QVERIFY(history.open());
            QVERIFY(history.waitForBackgroundWork(30000));
            std::optional<WriteLock> lock;
            if (fault == QLatin1String("lock"))
                lock.emplace(path);
            else
                history.capSizeForTest(0);
            QVERIFY(history.takeUpBackgroundWork());
            for (int n = 300; n < 340; ++n)
                history.record(answer(n));
            QVERIFY(!history.flush());
            QVERIFY(!history.flush()); // a second failed try still holds every state
            lock.reset();
            history.capSizeForTest(-1);
            QVERIFY(history.flush());
            QCOMPARE(snapshot(history), statesOf(range(0, 340)));
        }
        QCOMPARE(snapshot(OpenedHistory(messages, path)), statesOf(range(0, 340)));
    }

    // Thousands of answers on two lists, switched every fifty answers, another program taking
    // the lock now and then, and a fit that runs until a switch or the exit stops it: every
    // answer lands once, in order, in the history of the list it was given on.
    void manyAnswersSwitchesAndStops()
    {
        QTemporaryDir dir;
        const QStringList paths{dir.filePath(QStringLiteral("0.sqlite")),
                                dir.filePath(QStringLiteral("1.sqlite"))};
        std::array<QList<int>, 2> given{range(0, 300), range(300, 600)};
        fillHistory(paths[0], {});
        fillHistory(paths[1], {});
        RecordingMessageBoxes messages;
        auto fit = std::make_shared<ScriptedFit>();
        fit->hold = true;
        {
            History history(messages, paths[0]);
            history.setBusyWaitMs(2);
            history.setFitter(scripted(fit));
            for (int list : {0, 1}) { // enough answers in each for a fit
                history.switchTo(paths[list]);
                for (int n : given[list])
                    history.record(answer(n));
            }
            std::optional<WriteLock> lock;
            int list = 1;
            for (int n = 600; n < 3000; ++n) {
                if (n % 50 == 0) {
                    lock.reset();
                    list = 1 - list;
                    history.switchTo(paths[list]);
                    history.recalibrateInBackground(QDate(2026, 1, 1).addDays(n));
                }
                if (n % 37 == 0)
                    lock.emplace(paths[list]);
                else if (n % 37 == 20)
                    lock.reset();
                history.record(answer(n));
                given[list].append(n);
            }
            lock.reset();
            QVERIFY(history.flush());
        }
        QCOMPARE_GT(fit->calls.loadRelaxed(), 10);
        for (int list : {0, 1})
            QCOMPARE(timesIn(paths[list]), timesOf(given[list]));
        QVERIFY(messages.shown.isEmpty());
    }

    // A connection that can be stopped gives up as soon as it is asked: in a statement that
    // would never end, and in a wait for another program's lock that would last ten minutes. The
    // worker's log line says it was interrupted, though the wait fails as busy; a lock held past
    // a wait that nobody stopped is the file being busy.
    void stoppedStatementGivesUp_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<QString>("note");
        QTest::newRow("endless query") << false << true << "was interrupted";
        QTest::newRow("waiting for a lock") << true << true << "was interrupted";
        QTest::newRow("lock held past the wait") << true << false << "the file was busy";
    }
    void stoppedStatementGivesUp()
    {
        QFETCH(bool, locked);
        QFETCH(bool, stopped);
        QFETCH(QString, note);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, {});
        std::optional<WriteLock> lock;
        if (locked)
            lock.emplace(path);
        std::atomic<bool> stop{false};
        HistoryDb db(path);
        db.open();
        db.stopWhen(&stop);
        db.setBusyTimeout(stopped ? 600000 : 50);
        std::thread stopper([&stop, stopped] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop = stopped;
        });
        const QString statement =
            locked ? QStringLiteral("BEGIN IMMEDIATE")
                   : QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                                    "FROM c) SELECT count(*) FROM c");
        std::optional<DbError> error;
        try {
            db.run(statement);
        } catch (const DbError& e) {
            error = e;
        }
        stopper.join();
        QVERIFY(error);
        QVERIFY2(locked ? error->busy() : error->interrupted(), qPrintable(error->text));
        const QString line = HistoryWorker::endNote(*error, stop);
        QVERIFY2(line.contains(note), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(HistoryThreadsTest)
#include "tst_historythreads.moc"
