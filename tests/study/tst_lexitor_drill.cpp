#include "History.h"
#include "TestDoubles.h"
#include "WordDatabase.h"

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

    Drill(const QTemporaryDir& dir, QStringList arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
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
    WordDatabase::write(dir.filePath(QStringLiteral("dbWords.mdb")), words);
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
        QTest::newRow("bad wait") << QStringList{"WAIT soon"} << QStringLiteral("^E .+");
        QTest::newRow("answer without question") << QStringList{"2"} << QStringLiteral("^E .+");
        QTest::newRow("answer out of range") << QStringList{"NEXT", "5"} << QStringLiteral("^E .+");
        QTest::newRow("answered twice") << QStringList{"NEXT", "1", "1"} << QStringLiteral("^E .+");
        QTest::newRow("unknown") << QStringList{"HELLO"} << QStringLiteral("^E .+");
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

    // Uniform mode keeps no history unless one is named; study mode keeps the player's.
    void historyOnlyWhereAsked()
    {
        QTemporaryDir dir;
        writeWords(dir);
        const QString players =
            dir.filePath(QStringLiteral("data/Quenmark/Lexitor Trainer Software/history.sqlite"));
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
        QCOMPARE(history.answerCount(), 25);
        const auto before = history.words();
        history.rebuild();
        QCOMPARE(history.words().keys().size(), before.keys().size());
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(LexitorDrillTest)
#include "tst_lexitor_drill.moc"
