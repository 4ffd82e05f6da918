#include "WordDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments, const QByteArray& input = QByteArray())
{
    QProcess process;
    process.start(QStringLiteral(LEXITOR_WORDS_BIN), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray fourLetterList(int count)
{
    return WordDatabase::sequentialWords(4, count).join(QLatin1Char('\n')).toLatin1();
}

} // namespace

class LexitorWordsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        list = dir->filePath(QStringLiteral("list.txt"));
        output = dir->filePath(QStringLiteral("dbWords.mdb"));
    }
    void cleanup() { dir.reset(); }

    void messyList()
    {
        const QByteArray text = "\xEF\xBB\xBF"
                                "aa\r\n"          // 1: BOM, lower case, CRLF
                                "\r\n"            // 2: blank
                                "# a comment\r\n" // 3
                                "  Cat  \r\n"     // 4: mixed case, blanks around
                                "\tZoom\t\n"      // 5
                                "A1\n"            // 6: digit
                                "DON'T\n"         // 7: punctuation
                                "CAF\xC3\x89\n"   // 8: accented letter
                                "ÉTÉ\n"           // 9: accented letters
                                "a\n"             // 10: too short
                                "abcde\n"         // 11: too long
                                "AA\n"            // 12: duplicate of 1
                                "cat\n"           // 13: duplicate of 4
                                "two words\n"     // 14
                                "   \n"           // 15: blank
                                "   # indented comment\n"
                                "qi"; // 17: no final newline
        writeFile(list, text);

        const Run run = runTool({list, output});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(WordDatabase::listWords(output, 2), (QStringList{"AA", "QI"}));
        QCOMPARE(WordDatabase::listWords(output, 3), (QStringList{"CAT"}));
        QCOMPARE(WordDatabase::listWords(output, 4), (QStringList{"ZOOM"}));

        const QStringList expected{
            list + ":6: \"A1\": not letters A-Z",
            list + ":7: \"DON'T\": not letters A-Z",
            list + ":8: \"CAFÉ\": not letters A-Z",
            list + ":9: \"ÉTÉ\": not letters A-Z",
            list + ":10: \"a\": wrong length",
            list + ":11: \"abcde\": wrong length",
            list + ":12: \"AA\": duplicate of line 1",
            list + ":13: \"cat\": duplicate of line 4",
            list + ":14: \"two words\": not letters A-Z",
            "2-letter words: 2",
            "3-letter words: 1",
            "4-letter words: 1",
            "rejected lines: 9",
            "  not letters A-Z: 5",
            "  wrong length: 2",
            "  duplicate: 2",
        };
        QCOMPARE(run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
        QCOMPARE(run.out, QString());
    }

    void quietAndStandardInput()
    {
        const Run run = runTool({QStringLiteral("--quiet"), QStringLiteral("-"), output},
                                "zz\nxyz\n1\nZZ\nquiz\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(WordDatabase::listWords(output, 2), QStringList{"ZZ"});
        QCOMPARE(WordDatabase::listWords(output, 3), QStringList{"XYZ"});

        const Run loud = runTool({QStringLiteral("-"), output}, "zz\n1\nzzz\nzzzz\n");
        QCOMPARE(loud.exitCode, 0);
        QVERIFY2(loud.err.contains("<stdin>:2: \"1\": not letters A-Z"), qPrintable(loud.err));
    }

    void bundledList()
    {
        const QString bundled = QStringLiteral(LEXITOR_SOURCE_DIR "/data/words.txt");
        const Run run = runTool({bundled, output});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("2-letter words: 124\n3-letter words: 1300\n"
                                  "4-letter words: 5469\nrejected lines: 0\n"),
                 qPrintable(run.err));
        QCOMPARE(WordDatabase::listWords(output, 2).size(), 124);
        QCOMPARE(WordDatabase::listWords(output, 3).size(), 1300);
        const QStringList four = WordDatabase::listWords(output, 4);
        QCOMPARE(four.size(), 5469);
        QStringList sorted = four;
        sorted.sort();
        QCOMPARE(four, sorted);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no arguments") << QStringList{} << 2 << "expected a word list";
        QTest::newRow("one argument") << QStringList{"LIST"} << 2 << "expected a word list";
        QTest::newRow("three arguments")
            << QStringList{"LIST", "OUT", "more"} << 2 << "expected a word list";
        QTest::newRow("unknown option")
            << QStringList{"--frobnicate", "LIST", "OUT"} << 2 << "Unknown option";
        QTest::newRow("output to stdout")
            << QStringList{"LIST", "-"} << 2 << "the output must be a file";
        QTest::newRow("missing list") << QStringList{"MISSING", "OUT"} << 1 << "cannot read";
        QTest::newRow("list is a folder") << QStringList{"DIR", "OUT"} << 1 << "cannot read";
        QTest::newRow("missing folder")
            << QStringList{"LIST", "DIR/none/dbWords.mdb"} << 3 << "cannot write";
        QTest::newRow("output is a folder") << QStringList{"LIST", "DIR"} << 3 << "cannot write";
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        writeFile(list, "AA\n");
        for (QString& a : arguments) {
            a.replace(QStringLiteral("LIST"), list);
            a.replace(QStringLiteral("MISSING"), dir->filePath(QStringLiteral("missing.txt")));
            a.replace(QStringLiteral("OUT"), output);
            a.replace(QStringLiteral("DIR"), dir->path());
        }
        const Run run = runTool(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(QStringLiteral("lexitor-words: ") + message),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.txt"});
    }

    void tooManyWordsOfOneLength_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("no output yet") << false;
        QTest::newRow("existing output") << true;
    }
    void tooManyWordsOfOneLength()
    {
        QFETCH(bool, existing);
        if (existing)
            WordDatabase::write(output, {"AA", "CAT"});
        const QByteArray before = WordDatabase::fileHash(output);

        writeFile(list, fourLetterList(32768) + "\nAB\n");
        const Run run = runTool({QStringLiteral("--quiet"), list, output});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("32768 four-letter words")), qPrintable(run.err));
        QVERIFY(run.err.contains(QStringLiteral("nothing written")));
        QCOMPARE(QFile::exists(output), existing);
        QCOMPARE(WordDatabase::fileHash(output), before);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), existing ? 2 : 1);
    }

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

    void helpAndVersion()
    {
        const Run help = runTool({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Usage: lexitor-words [options] LIST OUTPUT")));
        for (const char* part :
             {"--quiet", "--version", "standard input", "Exit codes:", "  1  the list was refused",
              "  2  usage error", "  3  the database could not be written"})
            QVERIFY2(help.out.contains(QLatin1String(part)), part);

        const Run version = runTool({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith(QStringLiteral("lexitor-words ")));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString list;
    QString output;
};

QTEST_GUILESS_MAIN(LexitorWordsTest)
#include "tst_lexitor_words.moc"
