#include "HistoryFill.h"
#include "TestDoubles.h"
#include "TestFiles.h"
#include "WordDatabase.h"
#include "base/DataFolder.h"
#include "study/History.h"
#include "study/HistoryFolder.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <optional>

#include <unistd.h>

namespace {

// Answer n of a scripted sequence: choose-the-valid on 2-letter words, every third one wrong
// (taking the non-word "QX" for a word), one day apart every fifth answer.
AnswerRecord answer(int n)
{
    AnswerRecord a;
    a.at = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC)
               .addSecs(qint64(n) * 10 + qint64(n / 5) * 86400);
    a.testKind = QStringLiteral("Form2");
    a.validKind = n % 4 != 3;
    a.length = 2;
    const QStringList words{QStringLiteral("AA"), QStringLiteral("AB"), QStringLiteral("AD"),
                            QStringLiteral("AE")};
    a.candidates = a.validKind ? QStringList{words[n % 4], QStringLiteral("QX"),
                                             QStringLiteral("ZQ"), QStringLiteral("XZ")}
                               : QStringList{QStringLiteral("QX"), words[0], words[1], words[2]};
    a.rightIndex = 0;
    a.chosenIndex = n % 3 == 2 ? 1 : 0;
    return a;
}

QList<AnswerRecord> answers(int count)
{
    QList<AnswerRecord> list;
    for (int n = 0; n < count; ++n)
        list.append(answer(n));
    return list;
}

// The states a history kept in memory reaches with answers 0 to count - 1, less one of them.
QStringList expectedStates(int count, int without = -1)
{
    QList<AnswerRecord> given = answers(count);
    if (without >= 0)
        given.removeAt(without);
    return memoryStates(given);
}

// The file holds answers 0 to count - 1, in order, and the states they lead to.
bool storedInOrder(const QString& path, int count)
{
    RecordingMessageBoxes quiet;
    const OpenedHistory stored(quiet, path);
    const QList<AnswerRecord> all = stored.answers();
    for (int n = 0; n < all.size(); ++n)
        if (all[n].at != answer(n).at)
            return false;
    return all.size() == count && snapshot(stored) == expectedStates(count);
}

// One number read straight from the file.
int countIn(const QString& path, const QString& query)
{
    HistoryDb db(path);
    db.open();
    return db.scalar(query).toInt();
}

const QString TamperAA = QStringLiteral("UPDATE word_state SET reviews = 99 WHERE word = 'AA'");

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void defaultPathIsPerUserAndNamedLikeTheSettings()
    {
        QVERIFY(UserDataFolder().endsWith(QStringLiteral("/Quenmark/Lexitor Trainer Software")));
        QCOMPARE(History::defaultPath(),
                 HistoryFolder(UserDataFolder()).pathFor(HistoryFolder::BundledId, QString()));
    }

    // Every answer is kept; the states follow from them, survive a restart and rebuild the same.
    void recordsKeepsAndRebuilds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/history.sqlite"));
        RecordingMessageBoxes messages;
        QStringList before;
        {
            History history(messages, path);
            QVERIFY(!QFile::exists(path)); // nothing happens before the first use
            for (int n = 0; n < 40; ++n)
                history.record(answer(n));
            QVERIFY(history.flush());
            QVERIFY(history.isSaving());
            QCOMPARE(history.answerCount(), 40);
            before = snapshot(history);
            QCOMPARE(history.find(QStringLiteral("QX"))->confusions, 13);
            QVERIFY(history.find(QStringLiteral("AA"))->reviews > 0);
        }
        OpenedHistory reopened(messages, path);
        QCOMPARE(snapshot(reopened), before);
        QCOMPARE(reopened.answers().size(), 40);
        reopened.rebuild();
        QCOMPARE(snapshot(reopened), before);
        QVERIFY(messages.shown.isEmpty());

        const auto missed = reopened.mostMissed(1, false);
        QCOMPARE(missed.size(), 1);
        QCOMPARE(missed[0].word, QStringLiteral("QX"));
        QVERIFY(!missed[0].valid);
        const auto days = reopened.lastDays(3, answer(39).at);
        QCOMPARE(days.size(), 3);
        QCOMPARE(days.last().answers, 5);

        QString movedTo;
        QVERIFY(reopened.forgetAll(&movedTo));
        QVERIFY(QFile::exists(movedTo));
        QCOMPARE(reopened.answerCount(), 0);
    }

    void damagedFileIsMovedAside_data()
    {
        QTest::addColumn<QString>("name"); // the name moved aside keeps the extension, if any
        QTest::newRow("with extension") << QStringLiteral("history.sqlite");
        QTest::newRow("without extension") << QStringLiteral("history");
    }
    void damagedFileIsMovedAside()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        WordDatabase::writeRandomBytes(path);
        const QByteArray hash = WordDatabase::fileHash(path);

        RecordingMessageBoxes messages;
        History history(messages, path);
        history.record(answer(0));
        history.record(answer(1));
        QVERIFY(history.flush());
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("damaged")));
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("*-damaged-*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY(aside[0].startsWith(QStringLiteral("history-damaged-")) && !aside[0].endsWith('.'));
        QCOMPARE(QFileInfo(aside[0]).suffix(), QFileInfo(name).suffix());
        QCOMPARE(WordDatabase::fileHash(dir.filePath(aside[0])), hash);
        QVERIFY(history.isSaving());
        QCOMPARE(history.answerCount(), 2);
    }

    // Another program's database is never written, switched to WAL nor moved: the history lives
    // in memory and says so once.
    void foreignFileIsLeftAlone_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("tables, no version") << QStringList{};
        QTest::newRow("another application id")
            << QStringList{"PRAGMA application_id=7", "PRAGMA user_version=2"};
        QTest::newRow("unknown tables")
            << QStringList{"CREATE TABLE notes(x)", "PRAGMA user_version=1"};
    }
    void foreignFileIsLeftAlone()
    {
        QFETCH(QStringList, statements);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        WordDatabase::write(path, {QStringLiteral("AA")});
        WordDatabase::execute(path, statements);
        const QByteArray hash = WordDatabase::fileHash(path);

        RecordingMessageBoxes messages;
        {
            History history(messages, path);
            for (int n = 0; n < 5; ++n)
                history.record(answer(n));
            QVERIFY(history.isForeign());
            QCOMPARE(snapshot(history), expectedStates(5));
            QVERIFY(!history.forgetAll(nullptr));
        }
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(WordDatabase::fileHash(path), hash);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"history.sqlite"});
    }

    void unwritableKeepsWorkingAndSaysSoOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder is a file") << QStringLiteral("file");
        QTest::newRow("read-only folder") << QStringLiteral("readonly");
    }
    void unwritableKeepsWorkingAndSaysSoOnce()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path;
        if (kind == QLatin1String("file")) {
            WordDatabase::writeEmptyFile(dir.filePath(QStringLiteral("blocked")));
            path = dir.filePath(QStringLiteral("blocked/history.sqlite"));
        } else {
            if (geteuid() == 0)
                QSKIP("the superuser writes into read-only folders");
            const QString folder = dir.filePath(QStringLiteral("ro"));
            QVERIFY(QDir().mkpath(folder));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            path = folder + QStringLiteral("/history.sqlite");
        }
        RecordingMessageBoxes messages;
        History history(messages, path);
        for (int n = 0; n < 5; ++n)
            history.record(answer(n));
        QVERIFY(!history.isSaving());
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("not being saved")));
        // The states are kept in memory for this run.
        QCOMPARE(history.find(QStringLiteral("AA"))->reviews, 3);
        QFile::setPermissions(dir.filePath(QStringLiteral("ro")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Answers wait in memory, in order and counted in the states, while another program holds
    // the file or the disk is full, and land once that passes: with the next answer, on a flush,
    // by the retry timer or at exit.
    void waitingAnswersLand_data() // the fault, then what writes the waiting answers
    {
        QTest::addColumn<QString>("landing");
        for (const char* row :
             {"lock answer", "lock timer", "lock exit", "full answer", "full flush"})
            QTest::newRow(row) << QString(row).section(' ', 1);
    }
    void waitingAnswersLand()
    {
        QFETCH(QString, landing);
        const bool lock = QString(QTest::currentDataTag()).startsWith(QLatin1String("lock"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes messages;
        int count = 0;
        {
            History history(messages, path);
            history.setBusyWaitMs(20);
            history.record(answer(count++));
            history.words();
            std::optional<WriteLock> other;
            if (lock)
                QVERIFY(other.emplace(path).held);
            else
                history.capSizeForTest(0);
            while (history.pendingCount() < 5 && count < 2000) {
                history.record(answer(count++));
                history.flush(); // the writer's word on it taken
            }
            QCOMPARE(history.pendingCount(), 5);
            QCOMPARE(snapshot(history), expectedStates(count));
            // A lock is a passing moment; a full disk is told, once.
            QCOMPARE(messages.shown.size(), lock ? 0 : 1);
            QCOMPARE(history.isSaving(), lock);

            if (!lock)
                history.capSizeForTest(-1);
            other.reset();
            if (landing == QLatin1String("answer")) {
                history.record(answer(count++)); // wakes the writer at once
                QTRY_COMPARE_WITH_TIMEOUT(history.pendingCount(), 0, 1000);
            } else if (landing == QLatin1String("flush"))
                QVERIFY(history.flush());
            else if (landing == QLatin1String("timer"))
                QTRY_COMPARE_WITH_TIMEOUT(history.pendingCount(), 0, 10000);
            QCOMPARE(history.isSaving(), landing != QLatin1String("exit") || lock);
        }
        QVERIFY(storedInOrder(path, count));
        QCOMPARE(messages.shown.size(), lock ? 0 : 1);
    }

    // A history made immutable (file, journals and folder) while open or before: no crash, the
    // states still read, one message; writable again, the waiting answers land.
    void immutableThenWritableAgain_data()
    {
        QTest::addColumn<bool>("whileOpen");
        QTest::newRow("while open") << true;
        QTest::newRow("before opening") << false;
    }
    void immutableThenWritableAgain()
    {
        QFETCH(bool, whileOpen);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data"));
        const QString path = folder + QStringLiteral("/history.sqlite");
        const QStringList files{path, path + "-wal", path + "-shm", folder};
        const auto writable = qScopeGuard([&] { setImmutable(files, false); });
        RecordingMessageBoxes messages;
        std::optional<History> history(std::in_place, messages, path);
        history->record(answer(0));
        QVERIFY(history->flush());
        if (!whileOpen)
            history.reset();
        if (!setImmutable(files, true))
            QSKIP("no immutable files here (chattr needs root and a filesystem that has them)");
        if (!history)
            history.emplace(messages, path);
        for (int n = 1; n < 4; ++n)
            history->record(answer(n));
        QVERIFY(!history->flush());
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(!history->isSaving());
        QCOMPARE(history->pendingCount(), 3);
        QCOMPARE(snapshot(*history), expectedStates(4));

        QVERIFY(setImmutable(files, false));
        history->record(answer(4));
        QVERIFY(history->flush());
        QCOMPARE(history->pendingCount(), 0);
        history.reset();
        QVERIFY(storedInOrder(path, 5));
        QCOMPARE(messages.shown.size(), 1);
    }

    // Two trainers writing in turns: every answer lands once, and each builds on the other's.
    void twoProgramsShareOneHistory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes messages;
        History first(messages, path);
        History second(messages, path);
        first.open(); // both hold their states in memory from the start
        second.open();
        for (int n = 0; n < 30; ++n) {
            History& turn = n % 2 ? second : first;
            turn.record(answer(n));
            QVERIFY(turn.flush()); // in turns
        }
        QCOMPARE(first.answerCount(), 30);
        OpenedHistory third(messages, path);
        QCOMPARE(snapshot(second), snapshot(third)); // the last to write saw every answer
        third.rebuild();
        QCOMPARE(snapshot(third), snapshot(second));
        QVERIFY(messages.shown.isEmpty());
    }

    // The day's fit: new weights rebuild the states; the same weights, or none, leave them. One
    // fit a study day, whichever History asks.
    void fitChangesOnlyWithNewWeights_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("new weights") << 2.0;
        QTest::newRow("same weights") << 1.0;
        QTest::newRow("too few answers") << 0.0;
    }
    void fitChangesOnlyWithNewWeights()
    {
        QFETCH(double, scale);
        const bool changed = scale != 0.0 && scale != 1.0;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(300));
        WordDatabase::execute(path, {TamperAA});
        auto fit = std::make_shared<ScriptedFit>();
        fit->scale = scale;
        const QDate day(2026, 3, 20);
        RecordingMessageBoxes messages;
        {
            History history(messages, path);
            history.setFitter(scripted(fit));
            QCOMPARE(history.recalibrate(day), changed);
            QCOMPARE(fit->answers.loadRelaxed(), 300);
            QCOMPARE(history.find(QStringLiteral("AA"))->reviews == 99, !changed);
            QVERIFY(!history.recalibrate(day));
        }
        History again(messages, path);
        again.setFitter(scripted(fit));
        again.recalibrateInBackground(day);
        QVERIFY(!again.backgroundBusy());
        QCOMPARE(fit->calls.loadRelaxed(), 1);
        QCOMPARE(again.policy().model.weights() != Fsrs::defaultWeights(), changed);
        QVERIFY(messages.shown.isEmpty());
    }

    // New grading rules: the stored states serve at once while the rebuild runs in the
    // background; it is taken up when asked, and kept by the writer.
    void rulesChangeRebuildsInTheBackground()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(40));
        RecordingMessageBoxes messages;
        const QStringList rebuilt = snapshot(OpenedHistory(messages, path));
        WordDatabase::execute(path,
                              {TamperAA, QStringLiteral("UPDATE meta SET value = 0 WHERE key = "
                                                        "'grading'")});
        OpenedHistory history(messages, path);
        QCOMPARE(history.find(QStringLiteral("AA"))->reviews, 99);
        QVERIFY(history.waitForBackgroundWork(30000));
        QCOMPARE(history.find(QStringLiteral("AA"))->reviews, 99);
        QVERIFY(history.takeUpBackgroundWork());
        QCOMPARE(snapshot(history), rebuilt);
        QVERIFY(history.flush()); // the writer stores them
        OpenedHistory reopened(messages, path);
        QCOMPARE(snapshot(reopened), rebuilt);
        QVERIFY(!reopened.backgroundBusy());
    }

    // Closing the history while its background work runs returns, writes nothing half done, and
    // leaves a file that opens as before: a fit with no checkpoint in it is left behind, and so
    // is a rebuild waiting for another program's lock to put its states in place.
    void closingWithWorkRunningIsClean_data()
    {
        QTest::addColumn<bool>("fitHolds");
        QTest::newRow("fit") << true;
        QTest::newRow("rebuild") << false;
    }
    void closingWithWorkRunningIsClean()
    {
        QFETCH(bool, fitHolds);
        // The rebuild only reads, which another program's write lock does not stop, so only its
        // thread's start stands between it and the check; under the sanitizers on a loaded
        // machine it has now and then been over by then. The scene is set again, at most three
        // times in all.
        for (int attempt = 1;; ++attempt) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("history.sqlite"));
            fillHistory(path, answers(300));
            RecordingMessageBoxes messages;
            auto fit = std::make_shared<ScriptedFit>();
            fit->hold = true;
            bool busy = false;
            {
                std::optional<WriteLock> other; // outlives the history
                History history(messages, path);
                history.setFitter(scripted(fit));
                if (fitHolds) {
                    history.recalibrateInBackground(QDate(2026, 3, 20));
                    fit->entered.acquire();
                } else {
                    WordDatabase::execute(path, {QStringLiteral("DELETE FROM meta")});
                    QVERIFY(other.emplace(path).held);
                    QVERIFY(history.open()); // the rules changed: a rebuild starts
                }
                busy = history.backgroundBusy();
            }
            fit->released.release();
            if (!busy && attempt < 3)
                continue;
            QVERIFY(busy);
            OpenedHistory reopened(messages, path);
            QCOMPARE(reopened.answerCount(), 300);
            QCOMPARE(reopened.policy().model.weights(), Fsrs::defaultWeights());
            QVERIFY(messages.shown.isEmpty());
            return;
        }
    }

    // An answer taken back counts nowhere: not in the states, the counts, the fit's stream nor
    // the figures, here, after reopening and after a rebuild; the log keeps it with an undo
    // entry, unless it was still waiting to be written. No other answer is lost.
    void takenBackAnswerCountsNowhere_data()
    {
        QTest::addColumn<QString>("how"); // when the answer is taken back
        for (const char* row : {"written", "waiting for a lock", "during a fit", "in memory"})
            QTest::newRow(row) << QString(row);
    }
    void takenBackAnswerCountsNowhere()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString path =
            how == QLatin1String("in memory") ? QString() : dir.filePath("history.sqlite");
        const bool locked = how == QLatin1String("waiting for a lock");
        const QList<AnswerRecord> all = answers(330);
        auto fit = std::make_shared<ScriptedFit>();
        fit->hold = how == QLatin1String("during a fit");
        const QDate day(2026, 6, 1);
        RecordingMessageBoxes messages;
        {
            History history(messages, path);
            history.setBusyWaitMs(20);
            history.setFitter(scripted(fit));
            std::optional<WriteLock> other;
            for (int n = 0; n < 330; ++n) {
                if (n == 298 && locked)
                    QVERIFY(other.emplace(path).held);
                if (n == 300 && fit->hold) {
                    QVERIFY(history.flush()); // the fit reads what the file holds
                    history.recalibrateInBackground(day);
                    fit->entered.acquire();
                }
                history.record(all[n]);
                if (n == 300) {
                    if (fit->hold) { // the fit's outcome, waiting to be taken up, holds it
                        fit->released.release();
                        QVERIFY(history.waitForBackgroundWork(30000));
                    }
                    QCOMPARE(history.flush(), !locked); // written, or waiting for the lock
                    QVERIFY(history.takeBack(all[n].at.addSecs(2)));
                    QVERIFY(!history.takeBack(all[n].at.addSecs(3))); // once only
                }
                if (n == 301)
                    other.reset();
            }
            QCOMPARE(snapshot(history), expectedStates(330, 300));
            QVERIFY(history.flush());
            QCOMPARE(snapshot(history), expectedStates(330, 300));
            QCOMPARE(history.answerCount(), path.isEmpty() ? 0 : 329);
            if (fit->hold) {
                QCOMPARE(fit->answers.loadRelaxed(), 300);
                QVERIFY(history.takeUpBackgroundWork());
                QVERIFY(history.flush());
                const QStringList adopted = snapshot(history);
                history.rebuild(); // the states taken up are those of the answers that count
                QCOMPARE(snapshot(history), adopted);
            }
        }
        QVERIFY(messages.shown.isEmpty());
        if (path.isEmpty())
            return;
        QCOMPARE(countIn(path, "SELECT count(*) FROM answers"), locked ? 329 : 330);
        QCOMPARE(countIn(path, "SELECT count(*) FROM undone"), locked ? 0 : 1);
        OpenedHistory reopened(messages, path);
        const QStringList before = snapshot(reopened);
        QVERIFY(fit->hold || before == expectedStates(330, 300));
        reopened.rebuild();
        QCOMPARE(snapshot(reopened), before);
        int days = 0;
        for (const History::DayProgress& d : reopened.lastDays(70, all.last().at))
            days += d.answers;
        QCOMPARE(days, 329);
        reopened.setFitter(scripted(fit));
        reopened.recalibrate(day); // the fit row has fitted on that day already
        QCOMPARE(fit->answers.loadRelaxed(), fit->hold ? 300 : 329);
    }

    // New files, and those of the previous version with every row kept, carry the version and
    // take undo entries.
    void schemaCarriesItsVersion_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("downgrade");
        QTest::newRow("new") << 0 << QStringList{};
        QTest::newRow("version 2")
            << 20 << QStringList{"DROP TABLE undone", "PRAGMA user_version=2"};
        QTest::newRow("version 1")
            << 20
            << QStringList{"DROP TABLE undone", "ALTER TABLE word_state DROP COLUMN missed_last",
                           "PRAGMA application_id=0", "PRAGMA user_version=1"};
    }
    void schemaCarriesItsVersion()
    {
        QFETCH(int, rows);
        QFETCH(QStringList, downgrade);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        if (rows > 0) {
            fillHistory(path, answers(rows));
            WordDatabase::execute(path, downgrade);
        }
        RecordingMessageBoxes messages;
        OpenedHistory history(messages, path);
        QCOMPARE(history.answerCount(), rows);
        QCOMPARE(snapshot(history), expectedStates(rows));
        history.record(answer(rows));
        QVERIFY(history.flush()); // written: taken back with an undo entry
        QVERIFY(history.takeBack(answer(rows).at));
        QVERIFY(history.flush());
        QCOMPARE(countIn(path, "SELECT count(*) FROM undone"), 1);
        QCOMPARE(countIn(path, "PRAGMA user_version"), History::SchemaVersion);
        QVERIFY(messages.shown.isEmpty());
    }

    // A history from a newer trainer is read as it stands: its answers count, nothing is written
    // into it, and the player is told once why progress is not saved.
    void newerHistoryIsReadNotWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(20));
        WordDatabase::execute(
            path, {QStringLiteral("PRAGMA user_version=%1").arg(History::SchemaVersion + 1)});
        const QByteArray hash = WordDatabase::fileHash(path);
        RecordingMessageBoxes messages;
        {
            OpenedHistory history(messages, path);
            QCOMPARE(history.answerCount(), 20);
            history.record(answer(20));
            history.record(answer(21));
            QVERIFY(!history.isSaving());
            QCOMPARE(snapshot(history), expectedStates(22));
        }
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown.first().text.contains(QStringLiteral("newer version")));
        QCOMPARE(WordDatabase::fileHash(path), hash);
    }
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
