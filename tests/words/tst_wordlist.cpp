#include "WordDatabase.h"
#include "words/WordList.h"

#include <QTest>

// The meaning that may follow a word on its line.
class WordListTest : public QObject
{
    Q_OBJECT

private slots:
    void meaning_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("word"); // "" when the line is rejected
        QTest::addColumn<QString>("meaning");
        const QString longMeaning = QStringLiteral("very ").repeated(60) + QStringLiteral("long");
        QTest::newRow("tab") << QByteArray("aa\trough, cindery lava") << "AA"
                             << "rough, cindery lava";
        QTest::newRow("spaces") << QByteArray("Aa   rough  lava  \r\n") << "AA"
                                << "rough  lava";
        QTest::newRow("tab and spaces") << QByteArray(" aa \t lava") << "AA"
                                        << "lava";
        QTest::newRow("none") << QByteArray("aa") << "AA"
                              << "";
        QTest::newRow("none, blanks after") << QByteArray("aa \t ") << "AA"
                                            << "";
        QTest::newRow("long") << QByteArray(longMeaning.toLatin1().prepend("aa ")) << "AA"
                              << QStringLiteral("very ").repeated(32).chopped(1) + QChar(0x2026);
        QTest::newRow("invalid UTF-8 in the meaning")
            << QByteArray("aa lava \xFF\xC3") << "AA" << QStringLiteral("lava \uFFFD\uFFFD");
        QTest::newRow("UTF-8 meaning")
            << QByteArray("aa \xC3\xA9t\xC3\xA9") << "AA" << QStringLiteral("\u00E9t\u00E9");
        QTest::newRow("no word before it") << QByteArray("a1 lava") << ""
                                           << "";
        QTest::newRow("invalid word") << QByteArray("a\xFF lava") << ""
                                      << "";
        QTest::newRow("comment") << QByteArray("# aa lava") << ""
                                 << "";
        // Control characters in a meaning become spaces: they would garble a terminal, break a
        // reply of the drill in two or turn the window's text around.
        QTest::newRow("escape sequence") << QByteArray("aa \x1b[31mred\x1b[0m") << "AA"
                                         << "[31mred [0m";
        QTest::newRow("tab inside") << QByteArray("aa rough\tlava") << "AA"
                                    << "rough lava";
        QTest::newRow("right-to-left override") << QByteArray("aa \xE2\x80\xAE"
                                                              "lava\xE2\x81\xA6")
                                                << "AA"
                                                << "lava";
        QTest::newRow("controls only") << QByteArray("aa \x01\x02") << "AA"
                                       << "";
    }
    void meaning()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, word);
        QFETCH(QString, meaning);
        WordList list;
        QVERIFY(list.feed(line.constData(), std::size_t(line.size())));
        QVERIFY(list.finish());
        QCOMPARE(list.words(), word.isEmpty() ? QStringList() : QStringList{word});
        QHash<QString, QString> expected;
        if (!meaning.isEmpty())
            expected.insert(word, meaning);
        QCOMPARE(list.meanings(), expected);
    }

    // Letters with diacritics fold to A-Z when asked; the folded word is checked as any other.
    void folding_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("fold");
        QTest::addColumn<QStringList>("words"); // by length, then in alphabetical order
        QTest::addColumn<int>("rejected");      // the reason of the one rejected line, or -1
        using R = WordList::Reason;
        QTest::newRow("accents") << QByteArray("\xC3\xA9t\xC3\xA9\nna\xC3\xAF"
                                               "f")
                                 << true << QStringList{"ETE", "NAIF"} << -1;
        QTest::newRow("capitals") << QByteArray("\xC3\x87"
                                                "a \xC3\xA7"
                                                "a va\n\xC3\x84RM")
                                  << true << QStringList{"CA", "ARM"} << -1;
        QTest::newRow("decomposed already")
            << QByteArray("e\xCC\x81te\xCC\x81") << true << QStringList{"ETE"} << -1;
        QTest::newRow("full width, ligature")
            << QByteArray("\xEF\xBC\xA1\xEF\xBC\xA1\n\xEF\xAC\x81x") << true
            << QStringList{"AA", "FIX"} << -1;
        QTest::newRow("spelled out") << QByteArray("ma\xC3\x9F\n\xC3\xA6on\n\xC5\x93uf\n\xC3\xB8l")
                                     << true << QStringList{"OL", "AEON", "MASS", "OEUF"} << -1;
        QTest::newRow("Greek letters")
            << QByteArray("\xCF\x89\xCE\xBC") << true << QStringList() << int(R::Unfoldable);
        QTest::newRow("digit") << QByteArray("\xC3\xA9"
                                             "1")
                               << true << QStringList() << int(R::NotLetters);
        QTest::newRow("separator inside")
            << QByteArray("\xC3\xA9\xE2\x80\xA8x") << true << QStringList() << int(R::NotLetters);
        QTest::newRow("too long once folded")
            << QByteArray("na\xC3\xAFve") << true << QStringList() << int(R::WrongLength);
        QTest::newRow("same word twice") << QByteArray("ete\n\xC3\xA9t\xC3\xA9") << true
                                         << QStringList{"ETE"} << int(R::Duplicate);
        QTest::newRow("A to Z only") << QByteArray("aa\n\xC3\xA9t\xC3\xA9") << false
                                     << QStringList{"AA"} << int(R::NotLetters);
    }
    void folding()
    {
        QFETCH(QByteArray, lines);
        QFETCH(bool, fold);
        QFETCH(QStringList, words);
        QFETCH(int, rejected);
        QList<int> reasons;
        WordList list([&](const WordList::Rejection& r) { reasons.append(int(r.reason)); },
                      fold ? WordList::Letters::Folded : WordList::Letters::AToZ);
        QVERIFY(list.feed(lines.constData(), std::size_t(lines.size())));
        QVERIFY(list.finish());
        QCOMPARE(list.words(), words);
        QCOMPARE(reasons, rejected < 0 ? QList<int>() : QList<int>{rejected});
    }

    // The report names the first lines of each reason, as they can be shown, in the locale's
    // figures.
    void report_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("rejections"); // the report from "rejected lines" on
        QTest::newRow("first five of a reason")
            << QByteArray("aa\n1\n2\n3\nAA\n4\n5\n6\n")
            << "rejected lines: 7\n"
               "  not letters A-Z: 6\n    line 2: \"1\"\n    line 3: \"2\"\n    line 4: \"3\"\n"
               "    line 6: \"4\"\n    line 7: \"5\"\n"
               "  duplicate: 1\n    line 5: \"AA\" (first on line 1)\n";
        QTest::newRow("figures grouped")
            << WordDatabase::sequentialWords(4, 1200).join(u'\n').toLatin1() + "\naaaa"
            << "rejected lines: 1\n  duplicate: 1\n    line 1,201: \"aaaa\" (first on line 1)\n";
        QTest::newRow("controls shown as ?")
            << QByteArray("a\x1b[2J\tlava\xE2\x80\xAE\n\xC3\xA9\xE2\x80\xA8x")
            << "rejected lines: 2\n  not letters A-Z: 2\n    line 1: \"a?[2J?lava?\"\n"
               "    line 2: \"\u00E9?x\"\n";
        QTest::newRow("long line cut") << QByteArray("x").repeated(100)
                                       << "rejected lines: 1\n  wrong length: 1\n"
                                          "    line 1: \"" +
                                              QString(60, u'x') + "...\"\n";
    }
    void report()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, rejections);
        WordList list({}, WordList::Letters::Folded);
        QVERIFY(list.feed(lines.constData(), std::size_t(lines.size())));
        QVERIFY(list.finish());
        const QString report = list.report(QLocale(QLocale::English, QLocale::UnitedStates),
                                           WordList::Samples::Listed);
        QCOMPARE(report.mid(report.indexOf(QStringLiteral("rejected lines"))), rejections);
    }
};

QTEST_GUILESS_MAIN(WordListTest)
#include "tst_wordlist.moc"
