// The index behind Look up: words, hooks, anagrams and patterns with blank tiles, and what the
// player may type into it.
#include "WordDatabase.h"
#include "words/PatternCursor.h"
#include "words/WordIndex.h"
#include "words/WordIndexLoader.h"
#include "words/WordQuery.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// A small list with known hooks: AX takes L M P S T W Z in front and E behind.
const QStringList Words = {
    "AX",  "AE",  "AG",  "EA",   "ET",   "TA",   "QI",   "AA",   "LAX",  "MAX", "PAX",     "SAX",
    "TAX", "WAX", "ZAX", "AXE",  "ACE",  "AGE",  "APE",  "ATE",  "EAT",  "ETA", "TAE",     "TEA",
    "SEA", "TAT", "TOT", "AXES", "TAXA", "TEAS", "SEAT", "ETAS", "EATS", "QAT", "QATS",    "AAS",
    "BAA", "ABA", "ZZZ", "ABBA", "EASE", "AXEL", "LAXE", "WAXY", "axon", "A",   "TOOLONG", "A1",
};

QString letters(const QList<WordIndex::Hook>& hooks)
{
    QString s;
    for (const WordIndex::Hook& hook : hooks) {
        if (hook.word.size() != 0 && !hook.word.contains(hook.letter))
            return QStringLiteral("hook word without its letter");
        s += hook.letter;
    }
    return s;
}

QStringList all(PatternCursor cursor, int page)
{
    QStringList words;
    while (!cursor.atEnd())
        words += cursor.fetch(page);
    return words;
}

} // namespace

class TestWordIndex : public QObject
{
    Q_OBJECT

private slots:
    void contains_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("in");
        QTest::newRow("two letters") << "AX" << true;
        QTest::newRow("four letters") << "AXES" << true;
        QTest::newRow("not in the list") << "QX" << false;
        QTest::newRow("lower case is never stored") << "ax" << false;
        QTest::newRow("lower case in the list is left out") << "AXON" << false;
        QTest::newRow("one letter") << "A" << false;
        QTest::newRow("too long") << "TOOLONG" << false;
        QTest::newRow("digit") << "A1" << false;
        QTest::newRow("blank") << "A?" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("control") << QString("A\u0000") << false;
        QTest::newRow("first word of the code") << "AA" << true;
        QTest::newRow("last word of the code") << "ZZZ" << true;
        QTest::newRow("prefix of a word") << "TEA" << true;
        QTest::newRow("suffix that is no word") << "XES" << false;
    }
    void contains()
    {
        QFETCH(QString, word);
        QFETCH(bool, in);
        const WordIndex index(Words);
        QCOMPARE(index.contains(word), in);
    }

    void counts()
    {
        const WordIndex index(Words);
        QCOMPARE(index.count(2), 8);
        QCOMPARE(index.count(3), 24);
        QCOMPARE(index.count(4), 12);
        QCOMPARE(WordIndex(Words + Words).size(), index.size()); // repeats count once
    }

    void hooks_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("front");
        QTest::addColumn<QString>("back");
        QTest::newRow("AX") << "AX" << true << "LMPSTWZ"
                            << "E";
        QTest::newRow("three letters") << "TEA" << true << ""
                                       << "S";
        QTest::newRow("front and back") << "AXE" << true << "L"
                                        << "LS";
        QTest::newRow("four letters: unknown") << "AXES" << false << ""
                                               << "";
        QTest::newRow("four-letter non-word: unknown") << "XXXX" << false << ""
                                                       << "";
        QTest::newRow("non-word has hooks too") << "XE" << true << "A"
                                                << "";
        QTest::newRow("one letter: two-letter words") << "A" << true << "AET"
                                                      << "AEGX";
        QTest::newRow("no hooks") << "ZZZ" << true << ""
                                  << "";
        QTest::newRow("lower case: nothing known") << "ax" << false << ""
                                                   << "";
        QTest::newRow("blank: nothing known") << "A?" << false << ""
                                              << "";
        QTest::newRow("empty") << "" << false << ""
                               << "";
    }
    void hooks()
    {
        QFETCH(QString, word);
        QFETCH(bool, known);
        QFETCH(QString, front);
        QFETCH(QString, back);
        const WordIndex::Hooks hooks = WordIndex(Words).hooks(word);
        QCOMPARE(hooks.known, known);
        QCOMPARE(letters(hooks.front), front);
        QCOMPARE(letters(hooks.back), back);
        for (const WordIndex::Hook& hook : hooks.front)
            QCOMPARE(hook.word, hook.letter + word);
        for (const WordIndex::Hook& hook : hooks.back)
            QCOMPARE(hook.word, word + hook.letter);
    }

    void anagrams_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("words");
        QTest::newRow("the word among them") << "EAT"
                                             << "ATE EAT ETA TAE TEA";
        QTest::newRow("letters that are no word") << "TTA"
                                                  << "TAT";
        QTest::newRow("repeated letters kept apart") << "ABA"
                                                     << "ABA BAA";
        QTest::newRow("four letters") << "SETA"
                                      << "EATS ETAS SEAT TEAS";
        QTest::newRow("none") << "XYZ"
                              << "";
        QTest::newRow("one blank") << "AE?"
                                   << "ACE AGE APE ATE AXE EAT ETA SEA TAE TEA";
        QTest::newRow("blank first or last alike") << "?AE"
                                                   << "ACE AGE APE ATE AXE EAT ETA SEA TAE TEA";
        QTest::newRow("two blanks") << "Q??"
                                    << "QAT";
        QTest::newRow("blank that repeats a letter") << "A?"
                                                     << "AA AE AG AX EA TA";
        QTest::newRow("all blanks") << "??"
                                    << "AA AE AG AX EA ET QI TA";
        QTest::newRow("four blanks")
            << "????"
            << "ABBA AXEL AXES EASE EATS ETAS LAXE QATS SEAT TAXA TEAS WAXY";
        QTest::newRow("one letter") << "A"
                                    << "";
        QTest::newRow("too long") << "SEATS"
                                  << "";
        QTest::newRow("lower case") << "eat"
                                    << "";
        QTest::newRow("control") << QString("EA\u0001") << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void anagrams()
    {
        QFETCH(QString, letters);
        QFETCH(QString, words);
        QCOMPARE(WordIndex(Words).anagrams(letters).join(' '), words);
    }

    void matches_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("words");
        QTest::newRow("middle blank") << "A?E"
                                      << "ACE AGE APE ATE AXE";
        QTest::newRow("first blank") << "?AX"
                                     << "LAX MAX PAX SAX TAX WAX ZAX";
        QTest::newRow("last blank") << "TA?"
                                    << "TAE TAT TAX";
        QTest::newRow("two blanks apart") << "?A?"
                                          << "AAS BAA EAT LAX MAX PAX QAT SAX TAE TAT TAX WAX ZAX";
        QTest::newRow("all blanks") << "??"
                                    << "AA AE AG AX EA ET QI TA";
        QTest::newRow("no blank: the word") << "QI"
                                            << "QI";
        QTest::newRow("no blank: no word") << "QX"
                                           << "";
        QTest::newRow("first letter given") << "Z??"
                                            << "ZAX ZZZ";
        QTest::newRow("four letters") << "?EA?"
                                      << "SEAT TEAS";
        QTest::newRow("one letter") << "?"
                                    << "";
        QTest::newRow("too long") << "?????"
                                  << "";
        QTest::newRow("lower case") << "a?e"
                                    << "";
        QTest::newRow("control") << QString("A\u0000E") << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void matches()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, words);
        const WordIndex index(Words);
        const QStringList expected = words.isEmpty() ? QStringList() : words.split(' ');
        // Fetched a word at a time, a few at a time or all at once, the same words in order.
        for (int page : {1, 3, 1000})
            QCOMPARE(all(index.matches(pattern), page), expected);
        QCOMPARE(index.countMatches(pattern), int(expected.size()));
    }

    // A full list of four-letter words: every one fits ????, once, in order.
    void everyFourLetterWordFits()
    {
        const QStringList words = WordDatabase::sequentialWords(4, 32767);
        const WordIndex index(words);
        QCOMPARE(index.count(4), 32767);
        QCOMPARE(index.countMatches("????"), 32767);
        QCOMPARE(all(index.matches("????"), 200), words);
        QCOMPARE(index.anagrams("????").size(), 32767);
    }

    void query_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("problem");
        using P = WordQuery::Problem;
        QTest::newRow("word") << "QI"
                              << "QI" << int(P::None);
        QTest::newRow("lower case") << "qi"
                                    << "QI" << int(P::None);
        QTest::newRow("spaces around") << " \tqi\n"
                                       << "QI" << int(P::None);
        QTest::newRow("blanks") << "a?e"
                                << "A?E" << int(P::None);
        QTest::newRow("only blanks") << "????"
                                     << "????" << int(P::None);
        QTest::newRow("diacritics fold") << QString("\u00e9t\u00e9") << "ETE" << int(P::None);
        QTest::newRow("sharp s is two letters") << QString("\u00df?") << "SS?" << int(P::None);
        QTest::newRow("one letter") << "A"
                                    << "A" << int(P::None);
        QTest::newRow("empty") << ""
                               << "" << int(P::Empty);
        QTest::newRow("spaces only") << "   "
                                     << "" << int(P::Empty);
        QTest::newRow("space inside") << "Q I"
                                      << "" << int(P::NotLetters);
        QTest::newRow("digit") << "Q1"
                               << "" << int(P::NotLetters);
        QTest::newRow("other wildcard") << "A*E"
                                        << "" << int(P::NotLetters);
        QTest::newRow("control") << QString("Q\u0007I") << "" << int(P::NotLetters);
        QTest::newRow("bidi control") << QString("Q\u202eI") << "" << int(P::NotLetters);
        QTest::newRow("greek") << QString("\u03b1\u03b2") << "" << int(P::NotLetters);
        QTest::newRow("too long") << "QUEEN"
                                  << "" << int(P::TooLong);
        QTest::newRow("too long by folding") << QString("\u00df\u00dfA") << "" << int(P::TooLong);
        QTest::newRow("long blanks") << "?????"
                                     << "" << int(P::TooLong);
    }
    void query()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(int, problem);
        const WordQuery query = WordQuery::read(typed);
        QCOMPARE(int(query.problem), problem);
        QCOMPARE(query.text, text);
    }

    // The loader reads the words and their meanings on its own thread; one destroyed while it
    // reads stops and joins, and says nothing after.
    void loader_data()
    {
        QTest::addColumn<bool>("waitForIt");
        QTest::newRow("read") << true;
        QTest::newRow("destroyed while reading") << false;
    }
    void loader()
    {
        QFETCH(bool, waitForIt);
        QTemporaryDir folder;
        const QString path = folder.filePath("words.mdb");
        WordDatabase::write(path, {"AX", "AXE", "AXES", "QI"},
                            {{"AX", "a\ttool"}, {"QI", " life force "}});
        int said = 0;
        {
            WordIndexLoader loader(path);
            QObject::connect(&loader, &WordIndexLoader::loaded, [&] { ++said; });
            loader.start();
            if (waitForIt) {
                QTRY_VERIFY(loader.isDone());
                QVERIFY2(loader.index(), qPrintable(loader.error()));
                QCOMPARE(loader.index()->size(), 4);
                QCOMPARE(loader.index()->meaning("AX"), QString("a tool"));
                QCOMPARE(loader.index()->meaning("QI"), QString("life force"));
                QCOMPARE(loader.index()->meaning("AXE"), QString());
            }
        }
        QTest::qWait(20);
        QCOMPARE(said, waitForIt ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestWordIndex)
#include "tst_wordindex.moc"
