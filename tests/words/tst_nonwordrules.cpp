#include "TestDoubles.h"
#include "words/NonWordRules.h"

#include <QTest>

Q_DECLARE_METATYPE(AlikePair)

// The written tests draw an alike second letter again; study drops an alike pair whole. Each
// must keep its own draws, or seeded runs and their figures would move.
class TestNonWordRules : public QObject
{
    Q_OBJECT
private slots:
    void draw_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<AlikePair>("alike");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("draws");

        const auto second = AlikePair::RedrawSecond;
        const auto both = AlikePair::RedrawBoth;
        QTest::newRow("second: the first letter stays") << 2 << second << QStringList{} << "QQQZ"
                                                        << "QZ" << 4;
        QTest::newRow("both: an alike pair is a candidate dropped")
            << 2 << both << QStringList{} << "QQZX"
            << "ZX" << 4;
        QTest::newRow("both: a taken pair is drawn again")
            << 2 << both << QStringList{"ZX"} << "ZXQQAB"
            << "AB" << 6;
        QTest::newRow("both: three letters need a vowel, repeats allowed")
            << 3 << both << QStringList{} << "BCDEEE"
            << "EEE" << 6;
        QTest::newRow("both: every taken word is drawn again")
            << 4 << both << QStringList{"ABLE", "ABLY"} << "ABLEABLYABBA"
            << "ABBA" << 12;
    }
    void draw()
    {
        QFETCH(int, length);
        QFETCH(AlikePair, alike);
        QFETCH(QStringList, taken);
        QFETCH(QString, letters);
        QFETCH(QString, expected);
        QFETCH(int, draws);

        ScriptedRandom random;
        random.pushLetters(letters);
        const auto isTaken = [&](const QString& word) { return taken.contains(word); };
        QCOMPARE(DrawNonWord(length, random, isTaken, alike).value_or(QStringLiteral("none")),
                 expected);
        QCOMPARE(random.draws, draws);
    }

    // Every candidate counts towards giving up, an alike pair dropped whole too.
    void givesUpAfterTheLastCandidate_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<AlikePair>("alike");
        QTest::addColumn<QString>("candidate"); // drawn every time
        QTest::addColumn<bool>("taken");
        QTest::newRow("second: all taken") << 2 << AlikePair::RedrawSecond << "QZ" << true;
        QTest::newRow("both: all alike") << 2 << AlikePair::RedrawBoth << "QQ" << false;
        QTest::newRow("both: no vowel") << 3 << AlikePair::RedrawBoth << "BCD" << false;
    }
    void givesUpAfterTheLastCandidate()
    {
        QFETCH(int, length);
        QFETCH(AlikePair, alike);
        QFETCH(QString, candidate);
        QFETCH(bool, taken);

        ScriptedRandom random;
        random.pushLetters(candidate.repeated(MaxNonWordCandidates));
        const auto isTaken = [&](const QString&) { return taken; };
        QVERIFY(!DrawNonWord(length, random, isTaken, alike));
        QCOMPARE(random.draws, length * MaxNonWordCandidates);
    }
};

QTEST_GUILESS_MAIN(TestNonWordRules)
#include "tst_nonwordrules.moc"
