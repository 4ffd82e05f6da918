#include "TestDoubles.h"
#include "WordDatabase.h"
#include "quiz/NonWords.h"
#include "words/WordStore.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>

#include <memory>

// A word store over a fresh database in its own temporary folder.
class StoreFixture
{
public:
    explicit StoreFixture(const QStringList& words) : store(random)
    {
        WordDatabase::openIn(store, folder.filePath(QStringLiteral("dbWords.mdb")), words);
    }

    QTemporaryDir folder;
    ScriptedRandom random;
    WordStore store;
};

class TestNonWords : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void containsVowel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("A") << "A" << true;
        QTest::newRow("E in the middle") << "XEX" << true;
        QTest::newRow("I") << "QQI" << true;
        QTest::newRow("O") << "OBBB" << true;
        QTest::newRow("U") << "XU" << true;
        QTest::newRow("Y is no vowel") << "XYZ" << false;
        QTest::newRow("consonants") << "BCDF" << false;
        QTest::newRow("lower-case vowels do not count") << "aeiou" << false;
        QTest::newRow("empty") << "" << false;
    }
    void containsVowel()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(ContainsVowel(text), expected);
    }

    // The letter rules, shown by scripting the letters drawn and counting the draws.
    void generate_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("draws");

        QTest::newRow("two: empty list takes the first candidate") << 2 << QStringList{} << "ZX"
                                                                   << "ZX" << 2;
        QTest::newRow("two: an equal second letter is drawn again, the first stays")
            << 2 << QStringList{} << "QQQZ"
            << "QZ" << 4;
        QTest::newRow("two: a stored word redraws both letters")
            << 2 << QStringList{"QZ", "AB"} << "QZXJ"
            << "XJ" << 4;
        QTest::newRow("two: the redrawn second letter is tested against the list")
            << 2 << QStringList{"QZ"} << "QQZAB"
            << "AB" << 5;
        QTest::newRow("three: empty list takes the first candidate with a vowel")
            << 3 << QStringList{} << "BCDXYZBAD"
            << "BAD" << 9;
        QTest::newRow("three: a stored word is drawn again") << 3 << QStringList{"CAT"} << "CATCOT"
                                                             << "COT" << 6;
        QTest::newRow("three: one letter in every position") << 3 << QStringList{} << "EEE"
                                                             << "EEE" << 3;
        QTest::newRow("four: stored and vowel-less candidates are drawn again")
            << 4 << QStringList{"ABLE"} << "ABLEBCDFUUUU"
            << "UUUU" << 12;
        QTest::newRow("four: repeats allowed") << 4 << QStringList{} << "ZZZA"
                                               << "ZZZA" << 4;
    }
    void generate()
    {
        QFETCH(int, length);
        QFETCH(QStringList, stored);
        QFETCH(QString, letters);
        QFETCH(QString, expected);
        QFETCH(int, draws);

        StoreFixture f(stored);
        f.random.pushLetters(letters);
        QCOMPARE(GenerateWordNotInDb(length, f.store, f.random), expected);
        QCOMPARE(f.random.draws, draws);
    }

    void eachLengthHasItsGenerator()
    {
        StoreFixture f({});
        f.random.pushLetters(QStringLiteral("QZ"));
        QCOMPARE(GenerateTwoWordNotInDb(f.store, f.random), QStringLiteral("QZ"));
        f.random.pushLetters(QStringLiteral("QOZ"));
        QCOMPARE(GenerateThreeWordNotInDb(f.store, f.random), QStringLiteral("QOZ"));
        f.random.pushLetters(QStringLiteral("QOZZ"));
        QCOMPARE(GenerateFourWordNotInDb(f.store, f.random), QStringLiteral("QOZZ"));
        QVERIFY_THROWS_EXCEPTION(AppError, GenerateWordNotInDb(5, f.store, f.random));
    }

    // The list is asked before the vowel test: a failing store fails on the first candidate,
    // even one without a vowel, and the error passes to the caller.
    void membershipComesBeforeTheVowelTest_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("letters");
        QTest::newRow("three") << 3 << "BCD";
        QTest::newRow("four") << 4 << "BCDF";
    }
    void membershipComesBeforeTheVowelTest()
    {
        QFETCH(int, length);
        QFETCH(QString, letters);
        StoreFixture f({});
        f.store.close();
        f.random.pushLetters(letters);
        try {
            GenerateWordNotInDb(length, f.store, f.random);
            QFAIL("a closed store must fail the generator");
        } catch (const AppError& e) {
            QCOMPARE(e.description(),
                     QStringLiteral("Operation is not allowed when the object is closed."));
        }
        QCOMPARE(f.random.draws, length);
    }

    // Unscripted draws: results keep the rules over many calls.
    void resultsKeepTheRules_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("two") << 2;
        QTest::newRow("three") << 3;
        QTest::newRow("four") << 4;
    }
    void resultsKeepTheRules()
    {
        QFETCH(int, length);
        // A dense list: about half of all two-letter candidates, and many short words.
        QStringList stored = WordDatabase::sequentialWords(2, 325) +
                             WordDatabase::sequentialWords(3, 2000) +
                             WordDatabase::sequentialWords(4, 2000);
        StoreFixture f(stored);
        for (int i = 0; i < 300; ++i) {
            const QString word = GenerateWordNotInDb(length, f.store, f.random);
            QCOMPARE(word.size(), length);
            for (QChar c : word)
                QVERIFY2(c >= u'A' && c <= u'Z', qPrintable(word));
            QVERIFY2(!stored.contains(word), qPrintable(word));
            if (length == 2)
                QVERIFY2(word[0] != word[1], qPrintable(word));
            else
                QVERIFY2(ContainsVowel(word), qPrintable(word));
        }
    }

    // A list that holds every two-letter candidate would keep the generator drawing for ever;
    // it gives up with an error instead.
    void aFullListEndsWithAnError()
    {
        QStringList all;
        for (char a = 'A'; a <= 'Z'; ++a)
            for (char b = 'A'; b <= 'Z'; ++b)
                if (a != b)
                    all.append(QString(QChar(a)) + QChar(b));
        QCOMPARE(all.size(), 650);
        StoreFixture f(all);
        QElapsedTimer timer;
        timer.start();
        try {
            GenerateTwoWordNotInDb(f.store, f.random);
            QFAIL("no two-letter word is left to make");
        } catch (const AppError& e) {
            QCOMPARE(e.description(),
                     QStringLiteral("No two letter word can be made that is not in the word list"));
        }
        qInfo("gave up after %d candidates in %lld ms", MaxNonWordCandidates,
              qlonglong(timer.elapsed()));
    }
};

QTEST_GUILESS_MAIN(TestNonWords)
#include "tst_nonwords.moc"
