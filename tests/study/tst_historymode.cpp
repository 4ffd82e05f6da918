#include "HistoryFill.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/DueCount.h"
#include "study/History.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace {

AnswerRecord answer(int n)
{
    AnswerRecord a;
    a.at = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC).addSecs(qint64(n) * 60);
    a.testKind = QStringLiteral("Form2");
    a.validKind = true;
    a.length = 2;
    a.candidates = {n % 2 ? QStringLiteral("AB") : QStringLiteral("AA"), QStringLiteral("QX"),
                    QStringLiteral("ZQ"), QStringLiteral("XZ")};
    a.rightIndex = 0;
    a.chosenIndex = 0;
    return a;
}

QList<AnswerRecord> answers(int count)
{
    QList<AnswerRecord> list;
    for (int n = 0; n < count; ++n)
        list.append(answer(n));
    return list;
}

// What a word's state says, in a form that compares.
QStringList statesOf(const History& history)
{
    QStringList states;
    for (const WordMemory& m : history.words())
        states.append(QStringLiteral("%1 %2/%3 %4")
                          .arg(m.word)
                          .arg(m.reviews)
                          .arg(m.lapses)
                          .arg(m.due.toMSecsSinceEpoch()));
    states.sort();
    return states;
}

// Every file in the folder, with its contents' hash.
QMap<QString, QByteArray> filesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, WordDatabase::fileHash(QDir(folder).filePath(name)));
    return files;
}

} // namespace

using Mode = HistoryMode;
Q_DECLARE_METATYPE(HistoryMode)

class HistoryModeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // What the file is decides the mode open() leaves, and only open() decides it: before it,
    // every read shows an empty history and touches nothing, with no message.
    // States read ahead of open() are taken up only while the file is as they were read; the
    // reading writes nothing and tells the owner when the states are tallied and when it is done.
    // A file it can't read is left to open(), which reads it as ever. The non-words the last
    // questions showed come with the states either way, and each answer recorded adds its own.
    void preloadedStatesAreTheFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("tallied");
        QTest::newRow("ours") << "ours" << 0 << true;
        QTest::newRow("answered meanwhile") << "answered" << 0 << true;
        QTest::newRow("fit stored meanwhile") << "fitted" << 0 << true;
        QTest::newRow("missing") << "missing" << 0 << false;
        QTest::newRow("damaged") << "damaged" << 1 << false;
    }
    void preloadedStatesAreTheFiles()
    {
        QFETCH(QString, file);
        QFETCH(int, messages);
        QFETCH(bool, tallied);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        if (file == QLatin1String("damaged"))
            WordDatabase::writeRandomBytes(path);
        else if (file != QLatin1String("missing"))
            fillHistory(path, answers(6));
        const QMap<QString, QByteArray> before = filesIn(dir.path());

        RecordingMessageBoxes shown;
        History history(shown, path);
        int told = 0;
        history.setBackgroundDone([&] { ++told; });
        const QDateTime now(QDate(2026, 3, 3), QTime(9, 0), Qt::UTC);
        history.preload(now);
        QTRY_VERIFY(!history.preloading());
        QTRY_COMPARE(told, tallied ? 2 : 1);
        const std::optional<DueTally> tally = history.preloadTally();
        QCOMPARE(tally.has_value(), tallied);
        QCOMPARE(history.mode(), HistoryMode::Untried);
        QCOMPARE(filesIn(dir.path()), before);
        if (file == QLatin1String("answered")) { // another program's answer
            RecordingMessageBoxes quiet;
            History other(quiet, path);
            other.record(answer(7));
            QVERIFY(other.flush());
        } else if (file == QLatin1String("fitted")) { // new states under new rules, no answer
            WordDatabase::execute(path, {QStringLiteral("UPDATE word_state SET reviews = 9"),
                                         QStringLiteral("INSERT OR REPLACE INTO meta "
                                                        "VALUES('fitted_on', '2026-03-03')")});
        }
        history.open();
        QCOMPARE(shown.shown.size(), messages);
        RecordingMessageBoxes quiet;
        History plain(quiet, path);
        plain.open();
        QCOMPARE(statesOf(history), statesOf(plain));
        // Each answer shows the same three non-words.
        auto shownBy = [](int answers) {
            QStringList shown;
            for (int n = 0; n < answers; ++n)
                shown << QStringLiteral("QX") << QStringLiteral("ZQ") << QStringLiteral("XZ");
            return shown;
        };
        const int answered = !tallied ? 0 : file == QLatin1String("answered") ? 7 : 6;
        QCOMPARE(plain.recentNonWords(), shownBy(answered));
        QCOMPARE(history.recentNonWords(), plain.recentNonWords());
        history.record(answer(8));
        QCOMPARE(history.recentNonWords(), shownBy(answered + 1));
        if (file == QLatin1String("ours")) {
            const StudySettings settings;
            const DueCount count = countDue(plain, settings, now);
            QVERIFY(count.due > 0);
            QCOMPARE(countDue(*tally, settings).due, count.due);
            QCOMPARE(countDue(*tally, settings).newLeftToday, count.newLeftToday);
        }
    }

    void openClassifiesTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<int>("statesRead"); // words whose states come from the file
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("movedAside");
        QTest::newRow("no path: in memory") << "none" << Mode::InMemory << 0 << 0 << false;
        QTest::newRow("missing: created") << "missing" << Mode::Writable << 0 << 0 << false;
        QTest::newRow("ours: writable") << "ours" << Mode::Writable << 2 << 0 << false;
        QTest::newRow("folder is a file: read-only")
            << "blocked" << Mode::ReadOnly << 0 << 1 << false;
        QTest::newRow("newer: read, in memory") << "newer" << Mode::InMemory << 2 << 1 << false;
        QTest::newRow("foreign") << "foreign" << Mode::Foreign << 0 << 1 << false;
        QTest::newRow("damaged: moved aside, fresh")
            << "damaged" << Mode::Writable << 0 << 1 << true;
    }
    // Opening reads no more of a writable file than it needs: the writer reads the rest through on
    // its own thread. A table damaged where open() did not look is found there all the same,
    // moved aside with one message, and the answers go on into a fresh file.
    void damageOpenDidNotReadIsFoundByTheWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        fillHistory(path, answers(6));
        WordDatabase::damageTable(path, QStringLiteral("answers"));

        RecordingMessageBoxes shown;
        History history(shown, path);
        QVERIFY(history.open());
        QCOMPARE(history.words().size(), 2); // the states were read: their pages are whole
        history.flush();                     // the writer's check ends, and its report is taken up
        QVERIFY(history.flush());            // the fresh file noted its rules
        QCOMPARE(shown.shown.size(), 1);
        QVERIFY(shown.shown[0].text.contains(QStringLiteral("damaged")));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*-damaged-*")}).size(), 1);
        QVERIFY(history.isSaving());
        history.record(answer(6));
        QVERIFY(history.flush());
        QCOMPARE(history.answerCount(), 1);
        QCOMPARE(shown.shown.size(), 1);
    }

    void openClassifiesTheFile()
    {
        QFETCH(QString, file);
        QFETCH(Mode, mode);
        QFETCH(int, statesRead);
        QFETCH(int, messages);
        QFETCH(bool, movedAside);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("history.sqlite"));
        if (file == QLatin1String("none")) {
            path.clear();
        } else if (file == QLatin1String("ours") || file == QLatin1String("newer")) {
            fillHistory(path, answers(6));
            if (file == QLatin1String("newer"))
                WordDatabase::execute(
                    path,
                    {QStringLiteral("PRAGMA user_version=%1").arg(History::SchemaVersion + 1)});
        } else if (file == QLatin1String("blocked")) {
            WordDatabase::writeEmptyFile(dir.filePath(QStringLiteral("blocked")));
            path = dir.filePath(QStringLiteral("blocked/history.sqlite"));
        } else if (file == QLatin1String("foreign")) {
            WordDatabase::write(path, {QStringLiteral("AA")});
        } else if (file == QLatin1String("damaged")) {
            WordDatabase::writeRandomBytes(path);
        }
        const QMap<QString, QByteArray> before = filesIn(dir.path());

        RecordingMessageBoxes shown;
        History history(shown, path);
        QCOMPARE(history.mode(), Mode::Untried);
        QVERIFY(history.words().isEmpty());
        QVERIFY(!history.find(QStringLiteral("AA")));
        QCOMPARE(history.answerCount(), 0);
        QVERIFY(history.answers().isEmpty());
        QVERIFY(!history.isForeign() && !history.isSaving());
        QCOMPARE(history.lastDays(3, answer(5).at).size(), 3);
        QVERIFY(history.mostMissed(-1, true).isEmpty());
        QCOMPARE(history.policy().model.weights(), MemoryPolicy().model.weights());
        QCOMPARE(filesIn(dir.path()), before);
        QVERIFY(shown.shown.isEmpty());

        QCOMPARE(history.open(), mode == Mode::Writable);
        QCOMPARE(history.mode(), mode);
        QCOMPARE(history.words().size(), statesRead);
        QCOMPARE(history.isForeign(), mode == Mode::Foreign);
        QCOMPARE(shown.shown.size(), messages);
        QCOMPARE(!QDir(dir.path()).entryList({QStringLiteral("*-damaged-*")}).isEmpty(),
                 movedAside);
        if (mode == Mode::Foreign) // not ours: not even SQLite's files beside it
            QCOMPARE(filesIn(dir.path()), before);
        if (file == QLatin1String("newer")) // read, never written
            QCOMPARE(filesIn(dir.path()).value(QStringLiteral("history.sqlite")),
                     before.value(QStringLiteral("history.sqlite")));
        history.open(); // once only
        QCOMPARE(shown.shown.size(), messages);

        // Answers go where the mode says, and a history that keeps no file still counts them.
        history.record(answer(6));
        QVERIFY(history.find(QStringLiteral("AA")));
        QCOMPARE(history.pendingCount(), keepsFile(mode) ? 1 : 0);
        history.flush();
        QCOMPARE(history.answerCount(), mode == Mode::Writable ? statesRead ? 7 : 1
                                        : statesRead           ? 6
                                                               : 0);
    }

    // Changes other than open() that set the mode: a first answer opens, forgetting and a list
    // switch go back to untried, a full disk makes the file read-only until it has room again.
    void modeFollowsTheFile_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Mode>("after");
        QTest::newRow("first answer opens") << "record" << Mode::Writable;
        QTest::newRow("forget all") << "forget" << Mode::Untried;
        QTest::newRow("switch to another list") << "switch" << Mode::Untried;
        QTest::newRow("disk full") << "full" << Mode::ReadOnly;
        QTest::newRow("disk full, then room") << "room" << Mode::Writable;
    }
    void modeFollowsTheFile()
    {
        QFETCH(QString, change);
        QFETCH(Mode, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        RecordingMessageBoxes shown;
        History history(shown, path);
        history.setBusyWaitMs(20);
        if (change == QLatin1String("record")) {
            history.record(answer(0));
            QCOMPARE(history.mode(), after);
            return;
        }
        QVERIFY(history.open());
        history.record(answer(0));
        QVERIFY(history.flush());
        if (change == QLatin1String("forget")) {
            QVERIFY(history.forgetAll(nullptr));
            QVERIFY(history.words().isEmpty());
        } else if (change == QLatin1String("switch")) {
            history.switchTo(dir.filePath(QStringLiteral("history-other.sqlite")));
            QVERIFY(history.words().isEmpty());
        } else if (change == QLatin1String("full") || change == QLatin1String("room")) {
            history.capSizeForTest(0);
            for (int n = 1; n < 400 && history.pendingCount() == 0; ++n) {
                history.record(answer(n));
                history.flush();
            }
            QCOMPARE(history.mode(), Mode::ReadOnly);
            if (change == QLatin1String("room")) {
                history.capSizeForTest(-1);
                QVERIFY(history.flush());
            }
        }
        QCOMPARE(history.mode(), after);
        if (after == Mode::Untried) {
            QVERIFY(history.open()); // a fresh file, opened the same way
            QCOMPARE(history.answerCount(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(HistoryModeTest)
#include "tst_historymode.moc"
