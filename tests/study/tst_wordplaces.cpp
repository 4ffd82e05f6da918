// The places of the studied words: the table of two to four letters A-Z and the hash beside it
// for what else a list built by other means may hold.
#include "study/WordPlaces.h"

#include <QTest>

class WordPlacesTest : public QObject
{
    Q_OBJECT

private slots:
    void placeOfEachWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<qsizetype>("place");
        QTest::newRow("first of two letters") << "AA" << qsizetype(0);
        QTest::newRow("last of two letters") << "ZZ" << qsizetype(2);
        QTest::newRow("three letters") << "ZAX" << qsizetype(1);
        QTest::newRow("last slot of four") << "ZZZZ" << qsizetype(1);
        QTest::newRow("a word twice: its last place") << "QUIZ" << qsizetype(2);
        QTest::newRow("not in the lists") << "QI" << qsizetype(-1);
        QTest::newRow("lower case, kept aside") << "qi" << qsizetype(1);
        QTest::newRow("a letter past Z, kept aside") << "Z[" << qsizetype(3);
        QTest::newRow("five letters, kept aside") << "QUIZZ" << qsizetype(3);
        QTest::newRow("not in the lists, aside") << "ÉTÉ" << qsizetype(-1);
        QTest::newRow("empty") << "" << qsizetype(-1);
    }
    void placeOfEachWord()
    {
        QFETCH(QString, word);
        QFETCH(qsizetype, place);
        const WordPlaces places({{2, {"AA", "qi", "ZZ", "Z["}},
                                 {3, {"AAH", "ZAX"}},
                                 {4, {"QUIZ", "ZZZZ", "QUIZ", "QUIZZ"}}});
        QCOMPARE(places.placeOf(word), place);
        QCOMPARE(places.contains(word), place >= 0);
        QCOMPARE(places.size(), 9); // QUIZ once
        QCOMPARE(WordPlaces().placeOf(word), -1);
    }
};

QTEST_GUILESS_MAIN(WordPlacesTest)
#include "tst_wordplaces.moc"
