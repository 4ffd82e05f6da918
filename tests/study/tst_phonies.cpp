#include "ErrorReporting.h"
#include "LetterModel.h"
#include "Phonies.h"
#include "TestDoubles.h"
#include "WordDatabase.h"

#include <QTest>

#include <algorithm>

namespace {

// One letter replaced, or two neighbouring letters swapped.
bool oneSlipFrom(const QString& phony, const QString& word)
{
    QList<qsizetype> differ;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (phony.at(i) != word.at(i))
            differ.append(i);
    return differ.size() == 1 ||
           (differ.size() == 2 && differ[1] == differ[0] + 1 &&
            phony.at(differ[0]) == word.at(differ[1]) && phony.at(differ[1]) == word.at(differ[0]));
}

} // namespace

class PhoniesTest : public QObject
{
    Q_OBJECT

private slots:
    // Higher scores for strings shaped like the list's words: letters in their usual order,
    // usual first and last letters.
    void letterModelRanks_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("likelier");
        QTest::addColumn<QString>("lessLikely");
        QTest::newRow("order") << QStringList{"CAT", "BAT", "HAT", "CAN", "MAN"} << "PAT"
                               << "TPA";
        QTest::newRow("last letter") << QStringList{"CATS", "DOGS", "HENS"} << "PIGS"
                                     << "SPIG";
        QTest::newRow("first letter") << QStringList{"AB", "AD", "AG", "EH"} << "AZ"
                                      << "ZA";
    }
    void letterModelRanks()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, likelier);
        QFETCH(QString, lessLikely);
        const LetterModel model(list);
        QVERIFY(model.logScore(likelier) > model.logScore(lessLikely));
    }

    // Phonies are different non-words one slip from a word, avoid what they must, and the same
    // draws make the same phonies; a list holding every string leaves none to make.
    void phoniesAreNearMisses_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("words");
        QTest::newRow("2 letters, nearly all words") << 2 << 600;
        QTest::newRow("3 letters") << 3 << 500;
        QTest::newRow("4 letters, long list") << 4 << 30000;
        QTest::newRow("2 letters, all words") << 2 << 676;
    }
    void phoniesAreNearMisses()
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
            for (const QString& phony : made) {
                QVERIFY(!set.contains(phony) && !last.contains(phony));
                QVERIFY(std::any_of(set.begin(), set.end(),
                                    [&](const QString& w) { return oneSlipFrom(phony, w); }));
            }
            last = made;
        }
    }
};

QTEST_GUILESS_MAIN(PhoniesTest)
#include "tst_phonies.moc"
