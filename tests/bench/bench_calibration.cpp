// The memory model's fit on a long history: a million answers, streamed as they are simulated,
// must be fitted within 10 s and 200 MB. Run with tools/bench.sh.
#include "SimulatedLearner.h"
#include "study/Calibration.h"

#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>

namespace {

constexpr int Answers = 1'000'000;

double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

long peakMegabytes()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return use.ru_maxrss / 1024;
}

} // namespace

class CalibrationBench : public QObject
{
    Q_OBJECT

private slots:
    void millionAnswers()
    {
        SimulatedLearner learner;
        learner.words = 40'000;
        learner.answersPerDay = 1'000;
        learner.weights[8] = 1.4; // a player who forgets faster than the defaults say
        learner.weights[11] = 0.9;
        learner.weights[20] = 0.4;
        const Calibration::AnswerStream stream = [&](const Calibration::AnswerSink& sink) {
            learner.play(Answers, sink);
        };

        double start = cpuSeconds();
        stream([](const AnswerRecord&) {});
        const double simulating = cpuSeconds() - start;

        QElapsedTimer timer;
        timer.start();
        start = cpuSeconds();
        const std::optional<Calibration::Result> result = Calibration::fit(stream, MemoryPolicy());
        const double fitting = cpuSeconds() - start - simulating;
        const double wall = timer.nsecsElapsed() / 1e9;
        qInfo("fit of %d answers: %.2f s of processor time besides %.2f s simulating them "
              "(%.2f s on the clock in all), peak memory %ld MB; %s",
              Answers, fitting, simulating, wall, peakMegabytes(),
              result ? qPrintable(QStringLiteral("adopted, log loss %1 -> %2 on %3 later answers")
                                      .arg(result->lossBefore, 0, 'f', 4)
                                      .arg(result->lossAfter, 0, 'f', 4)
                                      .arg(result->heldOut))
                     : "not adopted");
        QVERIFY(result);
        QCOMPARE_LE(fitting, 10.0);
        QCOMPARE_LE(peakMegabytes(), 200);
    }
};

QTEST_GUILESS_MAIN(CalibrationBench)
#include "bench_calibration.moc"
