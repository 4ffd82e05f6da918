#include "HistoryFill.h"
#include "HistoryScript.h"
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
