#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/History.h"
#include "study/StudyEngine.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

// The drill over a small word list, with its own history and data folder.
struct Drill
{
    QProcess process;

    Drill(const QTemporaryDir& dir, QStringList arguments, const QString& timeZone = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        if (!timeZone.isEmpty())
            env.insert(QStringLiteral("TZ"), timeZone);
        process.setProcessEnvironment(env);
        arguments.prepend(dir.filePath(QStringLiteral("dbWords.mdb")));
        arguments.prepend(QStringLiteral("--words"));
        process.start(QStringLiteral(LEXITOR_DRILL_BIN), arguments);
        process.waitForStarted();
    }
    QString ask(const QString& request)
    {
        process.write(request.toUtf8() + '\n');
        while (!process.canReadLine())
            if (!process.waitForReadyRead(10000))
                return QStringLiteral("(no reply)");
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    // NEXT, answer 1, `rounds` times; the transcript of the replies.
    QStringList play(int rounds)
    {
        QStringList replies;
        for (int n = 0; n < rounds; ++n)
            replies << ask(QStringLiteral("NEXT")) << ask(QString::number(n % 4 + 1));
        return replies;
    }
    int quit()
    {
        process.closeWriteChannel();
        process.waitForFinished(10000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

void writeWords(const QTemporaryDir& dir)
{
    QStringList words = WordDatabase::sequentialWords(2, 30);
    words += WordDatabase::sequentialWords(3, 30);
    // AC's meaning as a database built by other means may hold it.
    WordDatabase::write(
        dir.filePath(QStringLiteral("dbWords.mdb")), words,
        {{words.first(), QStringLiteral("the first word")},
         {words.at(2), QStringLiteral("\tred\x1b[31m\a\r\nink\u2028\u202Eevil\x85")}});
}

// A time zone (POSIX TZ) whose local time is now the given time of day.
QString zoneWhereItIs(const QTime& local)
{
    const int utc = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay() / 1000;
    const int ahead = ((local.msecsSinceStartOfDay() / 1000 - utc) % 86400 + 86400) % 86400;
    return QStringLiteral("LEX-%1:%2:%3")
        .arg(ahead / 3600)
        .arg(ahead / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(ahead % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

class LexitorDrillTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void replies_data()
    {
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QString>("lastReply"); // a pattern
        const QString question = QStringLiteral("^Q (valid|invalid) [23]( [A-Z]{2,3}){4}$");
        QTest::newRow("question") << QStringList{"NEXT"} << question;
        QTest::newRow("unanswered question asked again") << QStringList{"NEXT", "NEXT"} << question;
        QTest::newRow("answer") << QStringList{"NEXT", "3"}
                                << QStringLiteral("^A [1-4] [A-Z]{2,3}$");
        QTest::newRow("stats") << QStringList{"NEXT", "3", "STATS"}
                               << QStringLiteral("^S \\d+ \\d+ \\d+$");
        QTest::newRow("wait") << QStringList{"WAIT 26.5"} << QStringLiteral("^OK$");
        QTest::newRow("wait ten years") << QStringList{"WAIT 87600"} << QStringLiteral("^OK$");
        for (const char* hours : {"soon", "nan", "inf", "-1", "0", "87600.5", "1e300"})
            QTest::addRow("wait %s", hours)
                << QStringList{QStringLiteral("WAIT ") + hours} << QStringLiteral("^E .+");
        QTest::newRow("long request quoted in part")
            << QStringList{"HELLO" + QString(100000, u'X')}
            << QStringLiteral("^E unknown request: HELLOX{55}\\.\\.\\.$");
        QTest::newRow("control characters escaped")
            << QStringList{QStringLiteral("HI\x01\x1b[2J\x7f")}
            << QStringLiteral("^E unknown request: HI\\\\x01\\\\x1b\\[2J\\\\x7f$");
        QTest::newRow("answer without question") << QStringList{"2"} << QStringLiteral("^E .+");
        QTest::newRow("answer out of range") << QStringList{"NEXT", "5"} << QStringLiteral("^E .+");
        QTest::newRow("answered twice") << QStringList{"NEXT", "1", "1"} << QStringLiteral("^E .+");
        QTest::newRow("unknown") << QStringList{"HELLO"} << QStringLiteral("^E .+");
        QTest::newRow("meaning") << QStringList{"MEAN aa"}
                                 << QStringLiteral("^M AA the first word$");
        QTest::newRow("no meaning") << QStringList{"MEAN AB"} << QStringLiteral("^M AB -$");
        QTest::newRow("meaning of no word") << QStringList{"MEAN"} << QStringLiteral("^E .+");
        QTest::newRow("meaning's controls as spaces")
            << QStringList{"MEAN ac"} << QStringLiteral("^M AC red \\[31m   ink  evil$");
        QTest::newRow("long word quoted in part") << QStringList{"MEAN " + QString(100000, u'x')}
                                                  << QStringLiteral("^M X{60}\\.\\.\\. -$");
        // Each control character of the word asked comes back written out, on one line.
        const QList<std::pair<QString, const char*>> controls{
            {QStringLiteral("\x1b[2J"), "\\\\x1b\\[2J"},
            {QStringLiteral("\a"), "\\\\x07"},
            {QString(QChar(0)), "\\\\x00"},
            {QStringLiteral("\r"), "\\\\x0d"},
            {QStringLiteral("\u0085"), "\\\\x85"},
            {QStringLiteral("\u2028"), "\\\\u2028"},
            {QStringLiteral("\u2029"), "\\\\u2029"},
            {QStringLiteral("\u202E"), "\\\\u202e"},
            {QStringLiteral("\u2066"), "\\\\u2066"}};
        for (const auto& [control, written] : controls) {
            QTest::addRow("MEAN with %s", written)
                << QStringList{QStringLiteral("MEAN a") + control + QStringLiteral("b")}
                << QStringLiteral("^M A%1B -$").arg(QLatin1String(written));
            QTest::addRow("unknown request with %s", written)
                << QStringList{QStringLiteral("HI") + control + QStringLiteral("!")}
                << QStringLiteral("^E unknown request: HI%1!$").arg(QLatin1String(written));
        }
        QTest::newRow("carries on after an error") << QStringList{"HELLO", "NEXT"} << question;
    }
    void replies()
    {
        QFETCH(QStringList, requests);
        QFETCH(QString, lastReply);
        QTemporaryDir dir;
        writeWords(dir);
        for (const QString& mode : {QStringLiteral("study"), QStringLiteral("uniform")}) {
            Drill drill(dir, {"--mode", mode, "--lengths", "2,3", "--history",
                              dir.filePath(mode + QStringLiteral(".sqlite"))});
            QString reply;
            for (const QString& request : requests)
                reply = drill.ask(request);
            QVERIFY2(QRegularExpression(lastReply).match(reply).hasMatch(), qPrintable(reply));
            QCOMPARE(drill.ask(QStringLiteral("QUIT")), QStringLiteral("(no reply)"));
            QCOMPARE(drill.quit(), 0);
        }
    }

    // The same seed and the same answers make the same run; the clock moves only as told.
    void seedMakesTheRunRepeatable_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("study") << QStringLiteral("study");
        QTest::newRow("uniform") << QStringLiteral("uniform");
    }
    void seedMakesTheRunRepeatable()
    {
        QFETCH(QString, mode);
        QTemporaryDir dir;
        writeWords(dir);
        QList<QStringList> runs;
        for (const QString& seed :
             {QStringLiteral("7"), QStringLiteral("7"), QStringLiteral("8")}) {
            QTemporaryDir data;
            Drill drill(dir, {"--mode", mode, "--seed", seed, "--lengths", "2,3", "--history",
                              data.filePath(QStringLiteral("h.sqlite"))});
            QStringList transcript = drill.play(40);
            transcript << drill.ask(QStringLiteral("WAIT 30")) << drill.play(40);
            runs.append(transcript);
            QCOMPARE(drill.quit(), 0);
        }
        QCOMPARE(runs[0], runs[1]);
        QVERIFY(runs[0] != runs[2]);
    }

    // With a seed the run does not depend on when it starts: before or after the study day's
    // first hour, or in the afternoon.
    void seedMakesTheRunRepeatableAnyTimeOfDay()
    {
        QTemporaryDir dir;
        writeWords(dir);
        QList<QStringList> runs;
        for (const QTime& local : {QTime(3, 59, 40), QTime(4, 0, 20), QTime(15, 0)}) {
            QTemporaryDir data;
            Drill drill(dir,
                        {"--seed", "5", "--new-per-day", "4", "--lengths", "2,3", "--history",
                         data.filePath(QStringLiteral("h.sqlite"))},
                        zoneWhereItIs(local));
            QStringList transcript = drill.play(30);
            transcript << drill.ask(QStringLiteral("WAIT 20")) << drill.play(30)
                       << drill.ask(QStringLiteral("STATS"));
            runs.append(transcript);
            QCOMPARE(drill.quit(), 0);
        }
        QCOMPARE(runs[1], runs[0]);
        QCOMPARE(runs[2], runs[0]);
    }

    // After the day's work (a new player's first: FirstDayPace times the pace) the drill goes on
    // with the words seen, not with new ones.
    void practiceKeepsTheDaysPace_data()
    {
        QTest::addColumn<int>("perDay");
        QTest::newRow("5 a day") << 5;
        QTest::newRow("20 a day") << 20;
    }
    void practiceKeepsTheDaysPace()
    {
        QFETCH(int, perDay);
        QTemporaryDir dir;
        writeWords(dir);
        Drill drill(dir, {"--seed", "2", "--new-per-day", QString::number(perDay), "--lengths",
                          "2,3", "--history", dir.filePath(QStringLiteral("h.sqlite"))});
        drill.play(60);
        QCOMPARE(drill.ask(QStringLiteral("STATS")).section(u' ', 1, 1),
                 QString::number(perDay * StudyEngine::FirstDayPace));
        QCOMPARE(drill.quit(), 0);
    }

    // New words come shortest first unless --order mixed; the Leitner baseline mixes unless told.
    void newWordsInOrder_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("threes"); // among the first ten questions
        QTest::newRow("default") << QStringList{} << 0 << false;
        QTest::newRow("mixed") << QStringList{"--order", "mixed"} << 0 << true;
        QTest::newRow("Leitner") << QStringList{"--scheduler", "leitner"} << 0 << true;
        QTest::newRow("Leitner, shortest")
            << QStringList{"--scheduler", "leitner", "--order", "shortest"} << 0 << false;
        QTest::newRow("unknown") << QStringList{"--order", "longest"} << 2 << false;
    }
    void newWordsInOrder()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(bool, threes);
        QTemporaryDir dir;
        writeWords(dir);
        Drill drill(dir, options + QStringList{"--seed", "3", "--lengths", "2,3", "--history",
                                               dir.filePath(QStringLiteral("h.sqlite"))});
        if (exitCode == 0) {
            const QStringList replies = drill.play(10);
            bool three = false;
            for (const QString& reply : replies)
                three = three ||
                        (reply.startsWith(u'Q') && reply.section(u' ', 2, 2) == QLatin1String("3"));
            QCOMPARE(three, threes);
        }
        QCOMPARE(drill.quit(), exitCode);
    }

    // On the player's own history the clock is the real one: WAIT is refused and answers carry
    // the real time.
    void ownHistoryKeepsTheRealTime()
    {
        QTemporaryDir dir;
        writeWords(dir);
        Drill drill(dir, {"--seed", "4", "--lengths", "2,3"});
        QVERIFY(drill.ask(QStringLiteral("WAIT 48")).startsWith(QStringLiteral("E ")));
        drill.play(2);
        QCOMPARE(drill.quit(), 0);
        RecordingMessageBoxes messages;
        History history(messages,
                        dir.filePath(QStringLiteral(
                            "data/Quenmark/Lexitor Trainer Software/histories/bundled.sqlite")));
        history.open();
        const QList<AnswerRecord> answers = history.answers();
        QCOMPARE(answers.size(), 2);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (const AnswerRecord& a : answers)
            QVERIFY2(a.at <= now && a.at > now.addSecs(-600), qPrintable(a.at.toString()));
    }

    // Uniform mode keeps no history unless one is named; study mode keeps the player's.
    void historyOnlyWhereAsked()
    {
        QTemporaryDir dir;
        writeWords(dir);
        const QString players = dir.filePath(
            QStringLiteral("data/Quenmark/Lexitor Trainer Software/histories/bundled.sqlite"));
        Drill uniform(dir, {"--mode", "uniform"});
        uniform.play(3);
        QCOMPARE(uniform.quit(), 0);
        QVERIFY(!QFile::exists(players));
        Drill study(dir, {"--mode", "study"});
        study.play(3);
        QCOMPARE(study.quit(), 0);
        QVERIFY(QFile::exists(players));
    }

    // Another program's database named as the history is refused, and left as it was.
    void refusesAnotherProgramsDatabase()
    {
        QTemporaryDir dir;
        writeWords(dir);
        const QString path = dir.filePath(QStringLiteral("dbWords.mdb"));
        const QByteArray hash = WordDatabase::fileHash(path);
        Drill drill(dir, {"--history", path});
        QCOMPARE(drill.quit(), 2);
        QVERIFY(QString::fromUtf8(drill.process.readAllStandardError()).contains(path));
        QCOMPARE(WordDatabase::fileHash(path), hash);
    }

    // Killed without warning, the drill loses no answer it replied to.
    void answersSurviveACrash()
    {
        QTemporaryDir dir;
        writeWords(dir);
        const QString path = dir.filePath(QStringLiteral("h.sqlite"));
        Drill drill(dir, {"--history", path, "--seed", "3"});
        drill.play(25);
        drill.process.kill();
        drill.process.waitForFinished(10000);
        RecordingMessageBoxes messages;
        History history(messages, path);
        history.open();
        QCOMPARE(history.answerCount(), 25);
        const auto before = history.words();
        history.rebuild();
        QCOMPARE(history.words().keys().size(), before.keys().size());
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(LexitorDrillTest)
#include "tst_lexitor_drill.moc"
