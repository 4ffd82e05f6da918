#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "study/Phonies.h"

#include <QTest>

class PhoniesTest : public QObject
{
    Q_OBJECT

private slots:
    // Phonies are different non-words that avoid what they must, and the same draws make the
    // same phonies; a list holding every string of its length leaves none to make.
    void phoniesAreNeverWords_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("words");
        QTest::newRow("2 letters, nearly all words") << 2 << 600;
        QTest::newRow("3 letters") << 3 << 500;
        QTest::newRow("4 letters, long list") << 4 << 30000;
        QTest::newRow("2 letters, all words") << 2 << 676;
    }
    void phoniesAreNeverWords()
    {
        QFETCH(int, length);
        QFETCH(int, words);
        const QHash<int, QStringList> lists{{length, WordDatabase::sequentialWords(length, words)}};
        const QSet<QString> set(lists[length].begin(), lists[length].end());
        Phonies phonies(lists, set), again(lists, set);
        ScriptedRandom random, same;
        if (words == 676)
            QVERIFY_THROWS_EXCEPTION(AppError, phonies.make(length, 1, {}, random));
        for (QStringList last; words < 676 && random.draws < 2000;) {
            const QStringList made = phonies.make(length, 3, last, random);
            QCOMPARE(again.make(length, 3, last, same), made);
            QCOMPARE(QSet<QString>(made.begin(), made.end()).size(), 3);
            for (const QString& phony : made)
                QVERIFY(phony.size() == length && !set.contains(phony) && !last.contains(phony));
            last = made;
        }
    }
};

QTEST_GUILESS_MAIN(PhoniesTest)
#include "tst_phonies.moc"
