#include "StudyFixture.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "base/ErrorReporting.h"
#include "study/Phonies.h"
#include "study/WordPlaces.h"

#include <QTest>

class PhoniesTest : public QObject
{
    Q_OBJECT

private slots:
    // Phonies are different non-words that avoid what they must, and the same draws make the
    // same phonies; none comes back within `window` phonies of its length. A short list's best
    // slips soon run out, and less likely ones come before any again; where every non-word has
    // been made lately, the one made longest ago comes first. A list holding every string of its
    // length leaves none to make.
    void phoniesAreNeverWords_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("window");
        const int two = Phonies::RecentlyMadeOfTwoLetters;
        const int longer = Phonies::RecentlyMadeOfLonger;
        QTest::newRow("2 letters") << 2 << 124 << two;
        QTest::newRow("2 letters, nearly all words") << 2 << 600 << two;
        QTest::newRow("2 letters, fewer non-words than the window") << 2 << 650 << 20;
        QTest::newRow("3 letters") << 3 << 1300 << longer;
        QTest::newRow("3 letters, a short list") << 3 << 4 << 60;
        QTest::newRow("4 letters, long list") << 4 << 30000 << longer;
        QTest::newRow("2 letters, all words") << 2 << 676 << 0;
        // Random seed words' slips would seldom find the six left.
        QTest::newRow("3 letters, all words but 6") << 3 << 17570 << 3;
    }
    void phoniesAreNeverWords()
    {
        QFETCH(int, length);
        QFETCH(int, words);
        QFETCH(int, window);
        const QHash<int, QStringList> lists{{length, WordDatabase::sequentialWords(length, words)}};
        const WordPlaces set(lists);
        Phonies phonies(lists, set), again(lists, set);
        ScriptedRandom random, same;
        const bool full = words == 676;
        QCOMPARE(phonies.canMake(length, 3), !full);
        if (full)
            QVERIFY_THROWS_EXCEPTION(AppError, phonies.make(length, 1, {}, random));
        QStringList all;
        for (QStringList last; !full && random.draws < 20000 && all.size() < 2000;) {
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

    // The phonies an earlier session showed, handed in before any is made, wait their turn as
    // the session's own do: none comes back within the window of its length.
    void phoniesShownBeforeWait_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("2 letters") << 2 << 124 << Phonies::RecentlyMadeOfTwoLetters << 40;
        QTest::newRow("3 letters") << 3 << 1300 << 300 << 150;
        QTest::newRow("4 letters") << 4 << 4000 << 300 << 150;
    }
    void phoniesShownBeforeWait()
    {
        QFETCH(int, length);
        QFETCH(int, words);
        QFETCH(int, before);
        QFETCH(int, after);
        const QHash<int, QStringList> lists{{length, WordDatabase::sequentialWords(length, words)}};
        const WordPlaces set(lists);
        Phonies earlier(lists, set), later(lists, set);
        ScriptedRandom random;
        QStringList shown;
        for (int i = 0; i < before; ++i)
            shown += earlier.make(length, 1, {}, random);
        later.remember(shown + QStringList{QStringLiteral("QXZV")}); // another length's
        const int window =
            length == 2 ? Phonies::RecentlyMadeOfTwoLetters : Phonies::RecentlyMadeOfLonger;
        for (int i = 0; i < after; ++i) {
            const QString phony = later.make(length, 1, {}, random).constFirst();
            QVERIFY2(!shown.mid(shown.size() - window).contains(phony), qPrintable(phony));
            shown.append(phony);
        }
    }

    // A study session's phonies are not those the session of the day before showed.
    void nextSessionShowsOtherPhonies()
    {
        StudyFixture f(WordDatabase::sequentialWords(3, 300), {20, {3}});
        const QStringList words = f.store.words(3);
        const QSet<QString> all(words.begin(), words.end());
        QSet<QString> before;
        auto phonies = [&](const StudyQuestion& q) {
            QStringList shown = q.candidates;
            shown.removeIf([&](const QString& w) { return all.contains(w); });
            return QSet<QString>(shown.begin(), shown.end());
        };
        f.session(all, 40, [&](const StudyQuestion& q) { before += phonies(q); });
        f.clock.advanceSecs(86400); // the next day
        f.engine = std::make_unique<StudyEngine>(f.store, *f.history, f.clock, f.random,
                                                 StudySettings{20, {3}});
        int asked = 0;
        f.session(all, 40, [&](const StudyQuestion& q) {
            ++asked;
            QVERIFY2(!phonies(q).intersects(before), qPrintable(q.candidates.join(' ')));
        });
        QVERIFY(asked > 20);
    }
};

QTEST_GUILESS_MAIN(PhoniesTest)
#include "tst_phonies.moc"
