#include "HistoryFill.h"
#include "StudyFixture.h"
#include "WordDatabase.h"
#include "study/History.h"
#include "study/StudyEngine.h"

#include <QSet>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>

// Which length a study question is on: the new words of the shortest lengths first, and the due
// words of every length in their turn.
class StudyLengthsTest : public QObject
{
    Q_OBJECT

    using Fixture = StudyFixture;

    static QSet<QString> all(const QStringList& words) { return {words.begin(), words.end()}; }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Shortest first: no new word of a length comes in while a shorter studied length still has
    // new words, not even beside that length's reviews; once a length's new words are all in,
    // the next length's come. Lengths not studied hold nothing back. Mixed brings the lengths in
    // as their shares of the new words. `missed`: a three-letter word missed the day before, due
    // first.
    void newWordsShortestFirst_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<StudyOrder>("order");
        QTest::addColumn<int>("perDay");
        QTest::addColumn<bool>("missed");
        QTest::addColumn<QList<int>>("seenLengths");
        QTest::addColumn<bool>("inOrder");
        const auto shortest = StudyOrder::Shortest;
        const auto mixed = StudyOrder::Mixed;
        using L = QList<int>;
        QTest::newRow("2-4") << L{2, 3, 4} << shortest << 20 << false << L{2, 3, 4} << true;
        QTest::newRow("2-4, mixed") << L{2, 3, 4} << mixed << 20 << false << L{2, 3, 4} << false;
        QTest::newRow("2 and 4") << L{2, 4} << shortest << 20 << false << L{2, 4} << true;
        QTest::newRow("3-4, twos new") << L{3, 4} << shortest << 20 << false << L{3, 4} << true;
        QTest::newRow("a day of twos") << L{2, 3} << shortest << 1 << false << L{2} << true;
        QTest::newRow("threes due") << L{2, 3} << shortest << 20 << true << L{2, 3} << true;
        QTest::newRow("threes due, mixed") << L{2, 3} << mixed << 20 << true << L{2, 3} << false;
    }
    void newWordsShortestFirst()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(StudyOrder, order);
        QFETCH(int, perDay);
        QFETCH(bool, missed);
        QFETCH(QList<int>, seenLengths);
        QFETCH(bool, inOrder);
        QStringList words;
        for (int length = 2; length <= 4; ++length)
            words += WordDatabase::sequentialWords(length, 6);
        Fixture f(words, {perDay, lengths, StudySettings::Mode::Study, order});
        QSet<QString> shown;
        if (missed) {
            shown.insert(QStringLiteral("AAA"));
            f.history->record(answerOn(QStringLiteral("AAA"), f.clock.now, false));
            f.clock.advanceDays(1);
        }
        QList<int> sightings; // the length of each word as it first shows
        f.session(all(words), 1000, [&](const StudyQuestion& q) {
            for (const QString& word : q.candidates)
                if (words.contains(word) && !shown.contains(word)) {
                    shown.insert(word);
                    sightings.append(int(word.size()));
                }
        });
        QCOMPARE(std::is_sorted(sightings.cbegin(), sightings.cend()), inOrder);
        QList<int> seen = sightings;
        std::sort(seen.begin(), seen.end());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        QCOMPARE(seen, seenLengths);
        if (seenLengths == lengths)
            QCOMPARE(sightings.size(), 6 * lengths.size() - int(missed));
    }

    // Every length with words due gets its turn, about as often as its share of them (of the
    // missed ones while there are any): a short length is not left waiting until a longer one has
    // no more than it. Here a third of the due words have two letters, and the three-letter ones
    // alone would fill the first 20 questions.
    void dueWordsOfEveryLength_data()
    {
        QTest::addColumn<bool>("missed");
        QTest::newRow("missed words due") << true;
        QTest::newRow("reviews due") << false;
    }
    void dueWordsOfEveryLength()
    {
        QFETCH(bool, missed);
        const QStringList twos = WordDatabase::sequentialWords(2, 60);
        const QStringList threes = WordDatabase::sequentialWords(3, 120);
        Fixture f(twos + threes, {20, {2, 3}});
        for (const QString& word : twos + threes)
            f.history->record(answerOn(word, f.clock.now, !missed));
        f.clock.advanceDays(90);
        QCOMPARE(f.engine->dueNow(), 180);
        QList<int> twoLetter; // the questions on two-letter words
        for (int n = 0; n < 30; ++n) {
            const auto q = f.engine->next();
            QVERIFY(q);
            if (q->length == 2)
                twoLetter.append(n);
            f.engine->answer(q->rightIndex);
            f.clock.advanceSecs(10);
        }
        qInfo() << "the questions on two-letter words, of the first 30:" << twoLetter;
        QVERIFY(!twoLetter.isEmpty() && twoLetter.first() < 10);
        QVERIFY(twoLetter.size() >= 5 && twoLetter.size() <= 15);
    }
};

QTEST_GUILESS_MAIN(StudyLengthsTest)
#include "tst_studylengths.moc"
