#include "study/PaceForecast.h"

#include <QTest>

namespace {

// `count` seen words alike: this stability, reviewed `since` days ago, due in `dueIn` days.
std::vector<PaceForecast::Word> words(int count, double stability, double since, int dueIn)
{
    return std::vector<PaceForecast::Word>(std::size_t(count), {stability, 5.0, since, dueIn});
}

PaceForecast::Inputs inputs(std::vector<PaceForecast::Word> seen, int fresh, double perDay, int cap)
{
    PaceForecast::Inputs in;
    in.seen = std::move(seen);
    in.freshLeft = fresh;
    in.answersPerDay = perDay;
    in.cap = cap;
    return in;
}

} // namespace

// The automatic pace of new words: the fitted model run forward at the player's answers a day.
class PaceForecastTest : public QObject
{
    Q_OBJECT

private slots:
    // A player who holds their words and has answers to spare takes new words at a good pace;
    // one whose words fade fast, with the same answers a day, takes fewer. The words fall due
    // evenly over their intervals.
    void paceRisesWhileTheWordsHold_data()
    {
        QTest::addColumn<double>("strong");
        QTest::addColumn<double>("weak");
        QTest::addColumn<int>("atLeast"); // the strong player's pace
        QTest::newRow("months against days") << 90.0 << 4.0 << 45;
        QTest::newRow("weeks against days") << 30.0 << 4.0 << 45;
        QTest::newRow("two months against three days") << 60.0 << 3.0 << 45;
    }
    void paceRisesWhileTheWordsHold()
    {
        QFETCH(double, strong);
        QFETCH(double, weak);
        QFETCH(int, atLeast);
        const MemoryPolicy policy;
        const auto figure = [&](double stability) {
            const int interval = policy.model.intervalDays(stability, policy.desiredRetention);
            std::vector<PaceForecast::Word> seen;
            for (int i = 0; i < 600; ++i)
                seen.push_back({stability, 5.0, double(interval - i % interval), i % interval});
            return PaceForecast::choose(inputs(seen, 5000, 60.0, 50), policy, 1);
        };
        const PaceFigure held = figure(strong);
        const PaceFigure fading = figure(weak);
        QCOMPARE_GE(held.pace, atLeast);
        QCOMPARE_LT(fading.pace, held.pace);
        QCOMPARE_GT(held.held, fading.held);
    }

    // Behind with reviews: no new words while the due ones fill the day, and no more than the
    // day leaves after them.
    void paceFallsWhileBehind_data()
    {
        QTest::addColumn<int>("due");
        QTest::addColumn<int>("atMost");
        QTest::newRow("due fill the day") << 300 << 0;
        QTest::newRow("due past the day") << 500 << 0;
        QTest::newRow("ten slots left") << 290 << 10;
        QTest::newRow("half the day left") << 150 << 150;
    }
    void paceFallsWhileBehind()
    {
        QFETCH(int, due);
        QFETCH(int, atMost);
        const MemoryPolicy policy;
        std::vector<PaceForecast::Word> seen = words(due, 5.0, 8.0, 0);
        const std::vector<PaceForecast::Word> later = words(300, 60.0, 2.0, 40);
        seen.insert(seen.end(), later.begin(), later.end());
        const PaceFigure figure = PaceForecast::choose(inputs(seen, 1000, 100.0, 50), policy, 7);
        QCOMPARE_LE(figure.pace, atMost);
    }

    // Whatever the words and the answers a day, the pace stays within the cap, fresh words or
    // not; a cap off the steps is itself a candidate.
    void paceNeverPassesTheCap_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<int>("fresh");
        QTest::addColumn<double>("perDay");
        QTest::newRow("cap 0") << 0 << 1000 << 150.0;
        QTest::newRow("cap 7") << 7 << 1000 << 150.0;
        QTest::newRow("cap 12") << 12 << 1000 << 150.0;
        QTest::newRow("cap 50") << 50 << 1000 << 500.0;
        QTest::newRow("nothing fresh") << 50 << 0 << 150.0;
        QTest::newRow("no answers") << 50 << 1000 << 0.0;
    }
    void paceNeverPassesTheCap()
    {
        QFETCH(int, cap);
        QFETCH(int, fresh);
        QFETCH(double, perDay);
        const MemoryPolicy policy;
        const PaceFigure figure =
            PaceForecast::choose(inputs(words(100, 100.0, 1.0, 60), fresh, perDay, cap), policy, 3);
        QCOMPARE_GE(figure.pace, 0);
        QCOMPARE_LE(figure.pace, cap);
        if (fresh == 0 || perDay == 0.0)
            QCOMPARE(figure.pace, 0); // every pace alike: the lowest
        else if (cap == 7 || cap == 12)
            QCOMPARE(figure.pace, cap); // plenty of room: the most the cap allows
    }

    // The same states and seed give the same figure, to the last digit.
    void sameSeedSameFigure()
    {
        const MemoryPolicy policy;
        std::vector<PaceForecast::Word> seen = words(400, 3.0, 2.0, 0);
        const std::vector<PaceForecast::Word> later = words(400, 20.0, 5.0, 6);
        seen.insert(seen.end(), later.begin(), later.end());
        const PaceForecast::Inputs in = inputs(seen, 900, 150.0, 50);
        QCOMPARE(PaceForecast::recalledAtEnd(in, policy, 25, 11),
                 PaceForecast::recalledAtEnd(in, policy, 25, 11));
        QCOMPARE(PaceForecast::choose(in, policy, 11).pace,
                 PaceForecast::choose(in, policy, 11).pace);
    }

    // Fresh words that run out within the days: the lowest pace that brings them all in, not
    // whichever faster pace the draws favour.
    void freshWordsRunningOut()
    {
        const MemoryPolicy policy;
        const PaceFigure figure =
            PaceForecast::choose(inputs(words(600, 90.0, 1.0, 45), 600, 100.0, 50), policy, 2);
        QCOMPARE_GE(figure.pace, 600 / PaceForecast::Days);
        QCOMPARE_LT(figure.pace, 50);
    }

    // The recent answers a day: the last seven days with answers before today; today alone
    // when none.
    void recentAnswersPerDay_data()
    {
        QTest::addColumn<QList<int>>("byDay"); // oldest first, today last
        QTest::addColumn<double>("perDay");
        QTest::newRow("nothing") << QList<int>() << 0.0;
        QTest::newRow("today only") << QList<int>{0, 0, 40} << 40.0;
        QTest::newRow("days off skipped") << QList<int>{100, 0, 200, 0, 7} << 150.0;
        QTest::newRow("seven at most") << QList<int>{1000, 10, 10, 10, 10, 10, 10, 10, 999} << 10.0;
    }
    void recentAnswersPerDay()
    {
        QFETCH(QList<int>, byDay);
        QFETCH(double, perDay);
        QCOMPARE(PaceForecast::recentAnswersPerDay(byDay), perDay);
    }

    // The seen words of the studied lengths, how overdue each is, and the fresh ones left.
    void inputsFromStates()
    {
        const QDateTime now =
            QDateTime::fromString(QStringLiteral("2026-05-10T12:00Z"), Qt::ISODate);
        QHash<QString, WordMemory> states;
        const auto add = [&](const QString& word, bool valid, int dueDays) {
            WordMemory m;
            m.word = word;
            m.valid = valid;
            m.memory = Fsrs::MemoryState{4.0, 5.0};
            m.lastReview = now.addDays(-2);
            m.due = now.addDays(dueDays);
            states.insert(word, m);
        };
        add(QStringLiteral("AA"), true, -1);
        add(QStringLiteral("ZZZ"), true, 3);
        add(QStringLiteral("QQ"), false, 0);  // a decoy
        add(QStringLiteral("ABCD"), true, 0); // a length not studied
        WordMemory fresh;                     // never graded
        fresh.word = QStringLiteral("AB");
        states.insert(fresh.word, fresh);
        PaceRequest request;
        request.lengths = {2, 3};
        request.listWords = 100;
        request.cap = 40;
        request.now = now;
        const PaceForecast::Inputs in = PaceForecast::inputs(states, request, 80.0);
        QCOMPARE(int(in.seen.size()), 2);
        QCOMPARE(in.freshLeft, 98);
        QCOMPARE(in.cap, 40);
        int dueSum = 0;
        for (const PaceForecast::Word& w : in.seen) {
            QCOMPARE(w.sinceDays, 2.0);
            dueSum += w.dueInDays;
        }
        QCOMPARE(dueSum, 3);
    }
};

QTEST_GUILESS_MAIN(PaceForecastTest)
#include "tst_paceforecast.moc"
