#include "History.h"
#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
    for (const AnswerRecord& a : History(quiet, path).answers())
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
            QCOMPARE(history->pendingCount(), 0);
        }
        history.reset();
        QCOMPARE(timesIn(first), timesOf(onFirst));
        QCOMPARE(timesIn(second), timesOf(range(6, 9)));
        QCOMPARE(snapshot(History(messages, first)), statesOf(onFirst));
        QVERIFY(messages.shown.isEmpty());
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
        QList<AnswerRecord> answers;
        for (int n = 0; n < 300; ++n)
            answers.append(answer(n));
        fillHistory(second, answers);
        WordDatabase::execute(second, {"UPDATE meta SET value = 0 WHERE key = 'grading'"});
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
    // would never end, and in a wait for another program's lock that would last ten minutes.
    void stoppedStatementGivesUp_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("endless query") << false;
        QTest::newRow("waiting for a lock") << true;
    }
    void stoppedStatementGivesUp()
    {
        QFETCH(bool, locked);
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
        db.setBusyTimeout(600000);
        std::thread stopper([&stop] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop = true;
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
    }
};

QTEST_GUILESS_MAIN(HistoryThreadsTest)
#include "tst_historythreads.moc"
