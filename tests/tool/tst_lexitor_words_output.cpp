#include "LexitorWordsRun.h"

#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// What lexitor-words writes: the database it replaces, the outputs it must leave alone, and the
// temporary files of a run that was stopped.
class LexitorWordsOutputTest : public ListFolderCase
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { makeFolder(); }
    void cleanup() { dir.reset(); }

    void replacesExistingDatabase()
    {
        WordDatabase::write(output, {"AA", "CAT"});
        writeFile(list, fourLetterList(32767));
        const Run run =
            runTool({QStringLiteral("--quiet"), QStringLiteral("--allow-empty"), list, output});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(WordDatabase::listWords(output, 2), QStringList());
        QCOMPARE(WordDatabase::listWords(output, 4).size(), 32767);
        QVERIFY(QFile::permissions(output).testFlag(QFileDevice::ReadOther));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"dbWords.mdb", "list.txt"}));
    }

    void sameListGivesSameFile()
    {
        writeFile(list, "ZOOM\nAA\ncat\n");
        QCOMPARE(runTool({QStringLiteral("-q"), list, output}).exitCode, 0);
        const QByteArray first = WordDatabase::fileHash(output);
        writeFile(list, "cat\nzoom\naa\n");
        QCOMPARE(runTool({QStringLiteral("-q"), list, output}).exitCode, 0);
        QCOMPARE(WordDatabase::fileHash(output), first);
    }

    // Outputs that must not be replaced, and those that may.
    void outputs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message"); // empty: written
        const QStringList none;
        const QStringList force{"--force"};
        QTest::newRow("link to /dev/null") << "devnull" << force << "it is a device";
        QTest::newRow("FIFO") << "fifo" << force << "it is a FIFO";
        QTest::newRow("socket") << "socket" << force << "it is a socket";
        QTest::newRow("the list") << "list" << force << "it is the word list itself";
        QTest::newRow("hard link to the list")
            << "hardlink" << force << "it is the word list itself";
        QTest::newRow("link to the list") << "symlink" << force << "it is the word list itself";
        QTest::newRow("list on stdin") << "stdin" << force << "it is the word list itself";
        QTest::newRow("text file") << "text" << none << "it is not a word database";
        QTest::newRow("other SQLite file") << "sqlite" << none << "it is not a word database";
        QTest::newRow("executable") << "program" << none << "it is not a word database";
        QTest::newRow("text file, forced") << "text" << force << "";
        QTest::newRow("empty file") << "empty" << none << "";
        QTest::newRow("word database") << "database" << none << "";
    }
    void outputs()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        writeFile(list, "aa\ncat\nzoom\n");
        QString input = list;
        std::function<void(QProcess&)> prepare;
        const QByteArray out = QFile::encodeName(output);
        if (kind == "devnull")
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), output));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(out.constData(), 0644), 0);
        else if (kind == "socket") {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, out.constData(), sizeof address.sun_path);
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            ::close(fd);
        } else if (kind == "list" || kind == "stdin")
            output = list;
        else if (kind == "hardlink")
            QCOMPARE(::link(QFile::encodeName(list).constData(), out.constData()), 0);
        else if (kind == "symlink")
            QVERIFY(QFile::link(list, output));
        else if (kind == "text")
            writeFile(output, "my notes\n");
        else if (kind == "sqlite")
            WordDatabase::execute(output, {"CREATE TABLE notes (text)"});
        else if (kind == "program")
            QVERIFY(QFile::copy(QStringLiteral(LEXITOR_WORDS_BIN), output));
        else if (kind == "empty")
            writeFile(output, QByteArray());
        else if (kind == "database")
            WordDatabase::write(output, {"QI"});
        if (kind == "stdin") {
            input = QStringLiteral("-");
            prepare = [this](QProcess& p) { p.setStandardInputFile(list); };
        }
        const QString before = state(output);
        const QStringList files = hiddenFiles(dir->path());

        const Run run = runTool(options + QStringList{"-q", input, output}, {}, prepare);
        if (message.isEmpty()) {
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(WordDatabase::listWords(output, 4), QStringList{"ZOOM"});
        } else {
            QCOMPARE(run.exitCode, 3);
            QVERIFY2(run.err.contains("will not replace " + output + ": " + message),
                     qPrintable(run.err));
            QCOMPARE(state(output), before);
        }
        QCOMPARE(hiddenFiles(dir->path()), files);
    }

    void replacesLinkTargetKeepingModeAndOwner()
    {
        const QString real = dir->filePath(QStringLiteral("real.mdb"));
        const QByteArray realName = QFile::encodeName(real);
        WordDatabase::write(real, {"QI"});
        QCOMPARE(::chmod(realName.constData(), 0640), 0);
        const bool root = ::geteuid() == 0; // only root can give a file away
        if (root)
            QCOMPARE(::chown(realName.constData(), 4321, 4322), 0);
        QVERIFY(QFile::link(QStringLiteral("real.mdb"), output));
        writeFile(list, "aa\ncat\nzoom\n");

        QCOMPARE(runTool({"-q", list, output}).exitCode, 0);
        QCOMPARE(QFileInfo(output).symLinkTarget(), real);
        QCOMPARE(WordDatabase::listWords(real, 2), QStringList{"AA"});
        struct stat status = {};
        QCOMPARE(::stat(realName.constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, 0640u);
        QCOMPARE(status.st_uid, root ? 4321u : ::geteuid());
        QCOMPARE(status.st_gid, root ? 4322u : ::getegid());
    }

    // An interrupted run removes its temporary file and journal; one killed outright leaves them
    // to the next run, which leaves alone those of a run still going.
    void interruptedRuns_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGKILL") << int(SIGKILL);
    }
    void interruptedRuns()
    {
        QFETCH(int, signal);
        const auto temporaries = [this] {
            return QDir(dir->path())
                .entryList({".dbWords.mdb.*"}, QDir::Files | QDir::Hidden)
                .filter(QRegularExpression("^.dbWords.mdb.\\w{6}(-journal)?$"));
        };
        // Waits for the run's own temporary file. A killed run's file and journal go one after
        // the other, so a lone leftover journal must not pass for it.
        const auto startWaiting = [&](QProcess& process) {
            const QStringList before = temporaries();
            process.start(QStringLiteral(LEXITOR_WORDS_BIN), {"-q", "-", output});
            QVERIFY(process.waitForStarted());
            const auto ownOnly = [&] {
                const QStringList now = temporaries();
                return now.size() == 1 && !before.contains(now.constFirst());
            };
            QTRY_VERIFY(ownOnly());
        };
        QProcess stopped;
        startWaiting(stopped);
        writeFile(dir->filePath(temporaries().constFirst() + "-journal"), "journal");
        writeFile(dir->filePath(".dbWords.mdb.bak"), "kept"); // no temporary file's name
        ::kill(pid_t(stopped.processId()), signal);
        QVERIFY(stopped.waitForFinished());
        QCOMPARE(stopped.exitStatus(), QProcess::CrashExit);
        QCOMPARE(temporaries().size(), signal == SIGKILL ? 2 : 0);

        QProcess running; // removes what the killed run left
        startWaiting(running);
        writeFile(list, "aa\ncat\nzoom\n");
        QCOMPARE(runTool({"-q", list, output}).exitCode, 0);
        QCOMPARE(temporaries().size(), 1);
        running.write("qi\nzax\nquiz\n");
        running.closeWriteChannel();
        QVERIFY(running.waitForFinished());
        QCOMPARE(running.exitCode(), 0);
        QCOMPARE(WordDatabase::listWords(output, 4), QStringList{"QUIZ"});
        QCOMPARE(temporaries(), QStringList());
        QVERIFY(QFile::exists(dir->filePath(".dbWords.mdb.bak")));
    }
};

QTEST_GUILESS_MAIN(LexitorWordsOutputTest)
#include "tst_lexitor_words_output.moc"
