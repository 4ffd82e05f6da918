// The automatic pace's forecast on a player of 3,000 seen words: every candidate pace run 30 days
// forward. It runs behind the windows, after the day's fit; the budget keeps it well under a
// second all the same. Run with tools/bench.sh.
#include "study/PaceForecast.h"

#include <QElapsedTimer>
#include <QTest>

class PaceBench : public QObject
{
    Q_OBJECT

private slots:
    void forecastOnThreeThousandWords()
    {
        constexpr double BudgetMs = 250.0;
        PaceForecast::Inputs in;
        for (int i = 0; i < 3000; ++i) // stabilities from a day to a few months, some overdue
            in.seen.push_back({1.0 + (i % 97), 5.0, double(i % 11), (i % 13) - 3});
        in.freshLeft = 2000;
        in.answersPerDay = 150.0;
        in.cap = 50;
        const MemoryPolicy policy;
        QElapsedTimer timer;
        timer.start();
        const PaceFigure figure = PaceForecast::choose(in, policy, 1);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        qInfo("forecast on 3,000 seen words, 11 paces over 30 days: %.1f ms (pace %d)", ms,
              figure.pace);
        QCOMPARE_LT(ms, BudgetMs);
    }
};

QTEST_GUILESS_MAIN(PaceBench)
#include "bench_pace.moc"
