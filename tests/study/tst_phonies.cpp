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
    // same phonies; none comes back within `window` phonies of its length (none is pinned where
    // the list leaves fewer non-words than Phonies::RecentlyMade); a list holding every string of
    // its length leaves none to make.
    void phoniesAreNeverWords_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("window");
        const int recently = Phonies::RecentlyMade;
        QTest::newRow("2 letters") << 2 << 124 << recently;
        QTest::newRow("2 letters, nearly all words") << 2 << 600 << recently;
        QTest::newRow("2 letters, fewer non-words than the window") << 2 << 650 << 0;
        QTest::newRow("3 letters") << 3 << 500 << recently;
        QTest::newRow("4 letters, long list") << 4 << 30000 << recently;
        QTest::newRow("2 letters, all words") << 2 << 676 << 0;
    }
    void phoniesAreNeverWords()
    {
        QFETCH(int, length);
        QFETCH(int, words);
        QFETCH(int, window);
        const QHash<int, QStringList> lists{{length, WordDatabase::sequentialWords(length, words)}};
        const QSet<QString> set(lists[length].begin(), lists[length].end());
        Phonies phonies(lists, set), again(lists, set);
        ScriptedRandom random, same;
        if (words == 676)
            QVERIFY_THROWS_EXCEPTION(AppError, phonies.make(length, 1, {}, random));
        QStringList all;
        for (QStringList last; words < 676 && random.draws < 2000;) {
            const QStringList made = phonies.make(length, 3, last, random);
            QCOMPARE(again.make(length, 3, last, same), made);
            QCOMPARE(QSet<QString>(made.begin(), made.end()).size(), 3);
            for (const QString& phony : made) {
                QVERIFY(phony.size() == length && !set.contains(phony) && !last.contains(phony));
                QVERIFY2(!all.mid(all.size() - window).contains(phony), qPrintable(phony));
                all.append(phony);
            }
            last = made;
        }
    }
};

QTEST_GUILESS_MAIN(PhoniesTest)
#include "tst_phonies.moc"
