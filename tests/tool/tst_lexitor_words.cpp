#include "LexitorWordsRun.h"

#include <QStandardPaths>

// What lexitor-words makes of a list: what it keeps and refuses, its options, its encodings and
// its report.
class LexitorWordsTest : public ListFolderCase
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { makeFolder(); }
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
                                "two words\n"     // 14: a word and its meaning
                                "   \n"           // 15: blank
                                "   # indented comment\n"
                                "qi"; // 17: no final newline
        writeFile(list, text);

        const Run run = runTool({list, output});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(WordDatabase::listWords(output, 2), (QStringList{"AA", "QI"}));
        QCOMPARE(WordDatabase::listWords(output, 3), (QStringList{"CAT", "TWO"}));
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
            "2-letter words: 2",
            "3-letter words: 2",
            "4-letter words: 1",
            "rejected lines: 8",
            "  not letters A-Z: 4",
            "  wrong length: 2",
            "  duplicate: 2",
        };
        QCOMPARE(run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
        QCOMPARE(run.out, QString());
    }

    // With --fold, letters with diacritics fold to A-Z (without it they are rejected, above).
    void foldOption()
    {
        writeFile(list, "CAF\xC3\x89\n\xC3\x89T\xC3\x89\nete\n\xCF\x89\xCE\xBC\nqi\n");
        const Run run = runTool({QStringLiteral("--fold"), list, output});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(WordDatabase::listWords(output, 3), QStringList{"ETE"});
        QCOMPARE(WordDatabase::listWords(output, 4), QStringList{"CAFE"});
        QVERIFY2(run.err.contains(list + ":3: \"ete\": duplicate of line 2\n" + list +
                                  ":4: \"\u03C9\u03BC\": letters that don't fold to A-Z\n"),
                 qPrintable(run.err));
    }

    void meaningsFile()
    {
        // The list's own meaning wins; the file fills in the others and adds no words.
        writeFile(list, "aa\trough lava\ncat\nzoom\n");
        const QString meanings = dir->filePath(QStringLiteral("meanings.txt"));
        writeFile(meanings, "AA\tother\nCAT\tfeline\nDOG\tcanine\n");
        const Run run = runTool({QStringLiteral("--meanings"), meanings, list, output});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(WordDatabase::meanings(output), (QStringList{"AA rough lava", "CAT feline"}));
        QCOMPARE(runTool({QStringLiteral("--meanings"), list + "-missing", list, output}).exitCode,
                 1);
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

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8, LF") << QByteArray("aa\ncat\nzoom\n");
        QTest::newRow("UTF-8 BOM, CR LF") << QByteArray("\xEF\xBB\xBF"
                                                        "aa\r\ncat\r\nzoom\r\n");
        QTest::newRow("CR") << QByteArray("aa\rcat\r\rzoom");
        QTest::newRow("mixed") << QByteArray("aa\r\n\ncat\r\rzoom\n\r");
        QTest::newRow("UTF-16LE BOM, CR LF") << raw("\xFF\xFE"
                                                    "a\0a\0\r\0\n\0c\0a\0t\0\r\0\n\0z\0o\0o\0m\0");
        QTest::newRow("UTF-16BE BOM, LF") << raw("\xFE\xFF\0a\0a\0\n\0c\0a\0t\0\n\0z\0o\0o\0m\0\n");
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        writeFile(list, bytes);
        const Run run = runTool({"-q", list, output});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(WordDatabase::listWords(output, 2) + WordDatabase::listWords(output, 3) +
                     WordDatabase::listWords(output, 4),
                 (QStringList{"AA", "CAT", "ZOOM"}));
    }

    // Lists that must leave an existing database as it was.
    void refusedLists_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "LIST holds no two-letter words";
        QTest::newRow("junk") << raw("\x01\x02\n\x7F") << "no three-letter words";
        QTest::newRow("UTF-16 without BOM")
            << raw("a\0a\0\n\0c\0a\0t\0\n\0") << "no four-letter words";
        QTest::newRow("Latin-1") << QByteArray("aa\ncat\nz\xF6\xF6m\n") << "no four-letter";
        QTest::newRow("long line") << QByteArray("aa\ncat\nzoom\n") + QByteArray(5000, 'a')
                                   << "line 4 of LIST is longer than 4096 bytes";
        QTest::newRow("zeros") << QByteArray(100000, '\0') << "line 1 of LIST is longer";
        QTest::newRow("closed stdin") << QByteArray() << "from standard input: it is closed";
    }
    void refusedLists()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        writeFile(list, bytes);
        WordDatabase::write(output, {"QI", "ZAX", "QUIZ"});
        const QByteArray before = WordDatabase::fileHash(output);
        const bool closed = message.contains("closed");
        const Run run = runTool({"-q", closed ? "-" : list, output}, {}, [&](QProcess& p) {
            if (closed)
                p.setChildProcessModifier([] { ::close(STDIN_FILENO); });
        });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message.replace("LIST", list)), qPrintable(run.err));
        QCOMPARE(WordDatabase::fileHash(output), before);
        QCOMPARE(hiddenFiles(dir->path()), (QStringList{"dbWords.mdb", "list.txt"}));

        const Run allowed = runTool({"-q", "--allow-empty", list, output});
        QCOMPARE(allowed.exitCode, message.contains("longer") ? 1 : 0);
    }

    void rejectionReport_data()
    {
        QTest::addColumn<bool>("verbose");
        QTest::newRow("first five") << false;
        QTest::newRow("verbose") << true;
    }
    void rejectionReport()
    {
        QFETCH(bool, verbose);
        writeFile(list, "aa\ncat\nzoom\ncaf\xE9\n\xC0\xAF\n" + QByteArray("AA\n").repeated(7));
        const Run run =
            runTool(verbose ? QStringList{"--verbose", list, output} : QStringList{list, output});
        QCOMPARE(run.exitCode, 0);
        const QString err = run.err;
        QVERIFY2(err.contains(list + ":4: \"caf\\xE9\": not valid UTF-8\n" + list +
                              ":5: \"\\xC0\\xAF\": not valid UTF-8\n" + list +
                              ":6: \"AA\": duplicate of line 1\n"),
                 qPrintable(err));
        QCOMPARE(err.contains(list + ":10: "), true);
        QCOMPARE(err.contains(list + ":11: "), verbose);
        QVERIFY(err.contains("rejected lines: 9\n  duplicate: 7\n  not valid UTF-8: 2\n"));
        QCOMPARE(err.contains("--verbose shows them all"), !verbose);
    }

    void helpAndVersion()
    {
        const Run help = runTool({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Usage: lexitor-words [options] LIST OUTPUT")));
        for (const char* part : {"--quiet", "--version", "--verbose", "--force", "--allow-empty",
                                 "standard input", "Exit codes:", "  1  the list was refused",
                                 "  2  usage error", "  3  the database could not be written"})
            QVERIFY2(help.out.contains(QLatin1String(part)), part);

        const Run version = runTool({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith(QStringLiteral("lexitor-words ")));
    }
};

QTEST_GUILESS_MAIN(LexitorWordsTest)
#include "tst_lexitor_words.moc"
