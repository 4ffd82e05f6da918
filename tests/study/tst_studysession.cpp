#include "HistoryFill.h"
#include "StudyFixture.h"
#include "study/StudySession.h"

#include <QStandardPaths>
#include <QTest>

Q_DECLARE_METATYPE(StudySession::Offer)

namespace {

bool operator==(const StudySessionResult& a, const StudySessionResult& b)
{
    return a.answered == b.answered && a.right == b.right && a.rejectedWords == b.rejectedWords &&
           a.meanings == b.meanings && a.acceptedNonWords == b.acceptedNonWords;
}

QString figures(const StudySessionResult& r)
{
    return QStringLiteral("%1 answered, %2 right; rejected %3; accepted %4")
        .arg(r.answered)
        .arg(r.right)
        .arg(r.rejectedWords.join(QLatin1Char(' ')), r.acceptedNonWords.join(QLatin1Char(' ')));
}

} // namespace

class StudySessionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Each answer counts once, a miss puts the word and the non-word in their lists (once, however
    // often they are missed), and taking it back leaves the figures as they were before it, even
    // when the word was missed earlier in the session; answered again, it counts as the first
    // time. Once the next question is asked, the answer stays.
    void undoLeavesTheFiguresAsTheyWere_data()
    {
        QTest::addColumn<int>("words");      // of two letters in the list
        QTest::addColumn<bool>("practice");  // else today's work
        QTest::addColumn<int>("rightEvery"); // answer right every n-th question, 0 never
        QTest::newRow("today, all wrong") << 40 << false << 0;
        QTest::newRow("today, every other right") << 40 << false << 2;
        QTest::newRow("practice on four words, all wrong") << 4 << true << 0;
        QTest::newRow("practice on four words, one in three right") << 4 << true << 3;
    }
    void undoLeavesTheFiguresAsTheyWere()
    {
        QFETCH(int, words);
        QFETCH(bool, practice);
        QFETCH(int, rightEvery);
        StudySettings settings;
        settings.lengths = {2};
        const QStringList list = WordDatabase::sequentialWords(2, words);
        StudyFixture fx(list, settings);
        StudySession session(*fx.engine, fx.store);
        if (practice)
            session.keepPractising();
        int repeatedMisses = 0;
        for (int n = 1; n <= 30; ++n) {
            const std::optional<StudyQuestion> q = session.next();
            if (!q)
                break;
            QVERIFY(!session.takeBack()); // nothing answered since this question
            const StudySessionResult before = session.result();
            const bool right = rightEvery > 0 && n % rightEvery == 0;
            const int chosen = right ? q->rightIndex : (q->rightIndex + 1) % 4;
            // Choosing the valid word, a wrong choice is a non-word taken for a word.
            const QString word =
                q->validKind ? q->candidates[q->rightIndex] : q->candidates[chosen];
            const QString nonWord =
                q->validKind ? q->candidates[chosen] : q->candidates[q->rightIndex];
            repeatedMisses += !right && before.rejectedWords.contains(word);

            QCOMPARE(session.answer(chosen)->right, right);
            QVERIFY(!session.answer(chosen)); // no question waits
            const StudySessionResult after = session.result();
            QCOMPARE(after.answered, before.answered + 1);
            QCOMPARE(after.right, before.right + (right ? 1 : 0));
            if (!right) {
                QVERIFY(list.contains(word) && !list.contains(nonWord));
                QCOMPARE(after.rejectedWords.count(word), 1);
                QCOMPARE(after.acceptedNonWords.count(nonWord), 1);
                QVERIFY(after.meanings.contains(word));
            }

            const std::optional<StudyQuestion> again = session.takeBack();
            QVERIFY(again);
            QCOMPARE(again->candidates, q->candidates);
            QVERIFY2(session.result() == before, qPrintable(figures(session.result())));
            QVERIFY(!session.takeBack());
            QCOMPARE(session.answer(chosen)->right, right);
            QVERIFY2(session.result() == after, qPrintable(figures(session.result())));
            // Past the holding back of the feedback's words, so that practice asks them again.
            fx.clock.advanceSecs(practice ? 11 * 60 : 10);
        }
        QVERIFY(session.result().answered > 0);
        if (practice && rightEvery == 0)
            QVERIFY(repeatedMisses > 0); // the case an undo must not empty the lists in
        const StudySessionResult last = session.result();
        session.next();
        QVERIFY(!session.takeBack());
        QVERIFY(session.result() == last);
    }

    // What follows a round: its summary when it asked anything; when today's work was already
    // done, the question whether to practise; when practice has no word at all, nothing.
    // Practice starts its figures afresh.
    void whatFollowsARound_data()
    {
        QTest::addColumn<bool>("dayDone");
        QTest::addColumn<bool>("hasWords"); // of the studied length
        QTest::addColumn<StudySession::Offer>("today");
        QTest::addColumn<StudySession::Offer>("practice");
        using Offer = StudySession::Offer;
        QTest::newRow("work to do") << false << true << Offer::Summary << Offer::Summary;
        QTest::newRow("day done") << true << true << Offer::AskToPractise << Offer::Summary;
        QTest::newRow("no word of the length")
            << false << false << Offer::AskToPractise << Offer::Nothing;
    }
    void whatFollowsARound()
    {
        QFETCH(bool, dayDone);
        QFETCH(bool, hasWords);
        QFETCH(StudySession::Offer, today);
        QFETCH(StudySession::Offer, practice);
        StudySettings settings;
        settings.lengths = {2};
        const QStringList list = WordDatabase::sequentialWords(hasWords ? 2 : 3, 12);
        StudyFixture fx(list, settings);
        if (dayDone) // every word answered right a moment ago: nothing due, nothing new
            for (const QString& word : list)
                fx.history->record(answerOn(word, fx.clock.now.addSecs(-60)));
        StudySession session(*fx.engine, fx.store);
        if (const std::optional<StudyQuestion> q = session.next())
            session.answer(q->rightIndex);
        QCOMPARE(session.afterRound(), today);
        QVERIFY(!session.practising());

        session.keepPractising();
        QVERIFY(session.practising());
        QCOMPARE(session.result().answered, 0);
        QVERIFY(!session.takeBack());
        QCOMPARE(session.next().has_value(), practice == StudySession::Offer::Summary);
        QCOMPARE(session.afterRound(), practice);
    }

    // The words a player chose are drilled now: each one the list holds asked once, three of a
    // length together while there are three, whatever the day's pace and whether new or not;
    // no other real word is asked; then the round is over and there is nothing to practise.
    void chosenWordsAreEachAskedOnce_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("asked"); // the words each question asks, in order
        QTest::newRow("three of a length")
            << QStringList{"AC", "AA", "AB"} << QStringList{"AA AB AC"};
        QTest::newRow("lengths mixed") << QStringList{"AAA", "AA", "AAB", "AB", "AAC", "AC", "AD"}
                                       << QStringList{"AAA AAB AAC", "AA AB AC", "AD"};
        QTest::newRow("repeats, and words not listed")
            << QStringList{"AB", "ZZ", "AB", "AAD"} << QStringList{"AB", "AAD"};
        QTest::newRow("none listed") << QStringList{"QQ"} << QStringList{};
    }
    void chosenWordsAreEachAskedOnce()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, asked);
        StudySettings settings;
        settings.lengths = {2, 3};
        settings.newPerDay = 1; // the pace plays no part
        StudyFixture fx(WordDatabase::sequentialWords(2, 6) + WordDatabase::sequentialWords(3, 6),
                        settings);
        fx.engine->focusOn(chosen);
        StudySession session(*fx.engine, fx.store);
        QStringList seen;
        while (const std::optional<StudyQuestion> q = session.next()) {
            QStringList words;
            for (int i = 0; i < 4; ++i)
                if ((i == q->rightIndex) == q->validKind)
                    words.append(q->candidates[i]);
            words.sort();
            seen.append(words.join(QLatin1Char(' ')));
            session.answer(q->rightIndex);
            fx.clock.advanceSecs(10);
        }
        QCOMPARE(seen, asked);
        QVERIFY(fx.history->flush());
        QCOMPARE(fx.history->answerCount(), int(asked.size()));
        QCOMPARE(fx.engine->focusLeft(), std::optional<int>(0));
        session.keepPractising();
        QVERIFY(!session.next());
        QCOMPARE(session.afterRound(), StudySession::Offer::Nothing);
    }
};

QTEST_GUILESS_MAIN(StudySessionTest)
#include "tst_studysession.moc"
