#include "study/Fsrs.h"
#include "study/MemoryPolicy.h"

#include <QTest>

#include <cmath>

class FsrsTest : public QObject
{
    Q_OBJECT

private slots:
    void memoryState_data()
    {
        QTest::addColumn<QList<int>>("ratings");
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<double>("stability");
        QTest::addColumn<double>("difficulty");
        // The reference libraries' shared test value.
        QTest::newRow("again then good x5")
            << QList<int>{1, 3, 3, 3, 3, 3} << QList<int>{0, 0, 1, 3, 8, 21} << 53.62691
            << 6.3574867;
        QTest::newRow("first good") << QList<int>{3} << QList<int>{0} << 2.3065 << 2.1181;
    }
    void memoryState()
    {
        QFETCH(QList<int>, ratings);
        QFETCH(QList<int>, days);
        QFETCH(double, stability);
        QFETCH(double, difficulty);
        const Fsrs::Model model;
        std::optional<Fsrs::MemoryState> state;
        for (int i = 0; i < ratings.size(); ++i)
            state = model.review(state, Fsrs::Rating(ratings[i]), days[i]);
        QVERIFY(std::abs(state->stability - stability) < 1e-3);
        QVERIFY(std::abs(state->difficulty - difficulty) < 1e-4);
    }

    void interval_data()
    {
        QTest::addColumn<double>("retention");
        QTest::addColumn<double>("days");
        const QList<double> expected{3116769, 34793, 2508, 387, 90, 27, 9, 3, 1, 1};
        for (int i = 0; i < expected.size(); ++i)
            QTest::addRow("r=%d%%", (i + 1) * 10) << (i + 1) / 10.0 << expected[i];
    }
    void interval()
    {
        QFETCH(double, retention);
        QFETCH(double, days);
        const Fsrs::Model model;
        QCOMPARE(std::max(1.0, std::round(model.interval(1.0, retention))), days);
        QVERIFY(std::abs(model.retrievability(53.0, 53.0) - 0.9) < 1e-12);
    }

    // A right answer proves recall only as far as it could not have been a guess.
    void guessAwareGrading_data()
    {
        QTest::addColumn<double>("prior");
        QTest::addColumn<double>("guess");
        QTest::addColumn<bool>("asGood"); // the same as a plain pass
        QTest::newRow("no guessing") << 0.3 << 0.0 << true;
        QTest::newRow("new word, one in four") << 0.3 << 0.25 << false;
        QTest::newRow("known word, one in four") << 0.9 << 0.25 << false;
    }
    void guessAwareGrading()
    {
        QFETCH(double, prior);
        QFETCH(double, guess);
        QFETCH(bool, asGood);
        const Fsrs::Model model;
        const Fsrs::MemoryState seen{5.0, 5.0};
        const auto good = model.next(seen, Fsrs::Rating::Good, 5);
        const auto again = model.next(seen, Fsrs::Rating::Again, 5);
        const auto graded = MemoryPolicy::graded(model, seen, prior, true, guess, 5);
        if (asGood) {
            QCOMPARE(graded.stability, good.stability);
        } else {
            QVERIFY(graded.stability < good.stability);
            QVERIFY(graded.stability > again.stability);
        }
        // The surer the recall, the closer to a plain pass.
        const auto surer =
            MemoryPolicy::graded(model, seen, std::min(1.0, prior + 0.05), true, guess, 5);
        QVERIFY(surer.stability >= graded.stability);
    }

    // Known takes a lasting memory and a last answer that was right and not likely a guess.
    void knownLine_data()
    {
        QTest::addColumn<double>("stability"); // 0: a new word
        QTest::addColumn<int>("days");         // since the last answer
        QTest::addColumn<double>("prior");
        QTest::addColumn<double>("guess");
        QTest::addColumn<bool>("right");
        QTest::addColumn<double>("firstWeights"); // w0 to w3; 0 for the defaults
        QTest::addColumn<bool>("known");
        QTest::newRow("first right answer") << 0.0 << 0 << 0.3 << 0.25 << true << 0.0 << false;
        QTest::newRow("first right answer, lasting first weights")
            << 0.0 << 0 << 0.3 << 0.25 << true << 100.0 << false;
        QTest::newRow("likely guess after years")
            << 15.0 << 1350 << 0.33 << 0.5 << true << 0.0 << false;
        QTest::newRow("sure answer after weeks")
            << 15.0 << 20 << 0.9 << 0.25 << true << 0.0 << true;
        QTest::newRow("wrong answer on a known word")
            << 60.0 << 3 << 0.99 << 0.25 << false << 0.0 << false;
    }
    void knownLine()
    {
        QFETCH(double, stability);
        QFETCH(int, days);
        QFETCH(double, prior);
        QFETCH(double, guess);
        QFETCH(bool, right);
        QFETCH(double, firstWeights);
        QFETCH(bool, known);
        Fsrs::Weights w = Fsrs::defaultWeights();
        if (firstWeights > 0)
            std::fill(w.begin(), w.begin() + 4, firstWeights);
        MemoryPolicy policy;
        policy.model = Fsrs::Model(w);
        std::optional<Fsrs::MemoryState> before;
        if (stability > 0)
            before = Fsrs::MemoryState{stability, 5.0};
        WordMemory word;
        word.memory = MemoryPolicy::graded(policy.model, before, prior, right, guess, days);
        word.missedLast = !right;
        QCOMPARE(policy.isKnown(word), known);
    }
};

QTEST_APPLESS_MAIN(FsrsTest)
#include "tst_fsrs.moc"
