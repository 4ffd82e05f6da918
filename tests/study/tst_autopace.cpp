#include "HistoryFill.h"
#include "StudyFixture.h"
#include "study/StudyEngine.h"

#include <QStandardPaths>
#include <QTest>

namespace {

StudySettings paced(bool automatic, int cap)
{
    StudySettings settings;
    settings.newPerDay = 20;
    settings.lengths = {2};
    settings.backgroundFits = false; // the fit and the forecast run before the question
    settings.autoPace = automatic;
    settings.newPerDayCap = cap;
    settings.paceSeed = 5;
    return settings;
}

// A player with `answers` answers on the first 100 of 200 words over the 20 days before
// yesterday, and an engine over their history (the fit a scripted one).
struct Player
{
    Player(int answers, StudySettings settings, bool leitner = false)
        : f(WordDatabase::sequentialWords(2, 200), settings)
    {
        const QString path = f.dir.filePath(QStringLiteral("history.sqlite"));
        f.engine.reset();
        f.history.reset();
        fillHistory(path, spreadAnswers(WordDatabase::sequentialWords(2, 100), answers,
                                        f.clock.now.addDays(-1), 20));
        MemoryPolicy policy;
        policy.leitner = leitner;
        f.history = std::make_unique<History>(f.messages, path, policy);
        f.history->setFitter(scripted(std::make_shared<ScriptedFit>()));
        f.history->open();
        f.engine = std::make_unique<StudyEngine>(f.store, *f.history, f.clock, f.random, settings);
    }
    StudyFixture f;
};

} // namespace

// The automatic pace in the engine: the fixed pace until the model's first fit, then the
// forecast's figure, within the cap; never under the Leitner baseline.
class AutoPaceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void paceFollowsTheFit_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<int>("cap");
        QTest::addColumn<bool>("leitner");
        QTest::addColumn<bool>("figure"); // else the fixed pace, 20
        QTest::newRow("no fit yet") << 100 << true << 50 << false << false;
        QTest::newRow("fitted, fixed pace") << 400 << false << 50 << false << false;
        QTest::newRow("fitted") << 400 << true << 50 << false << true;
        QTest::newRow("fitted, cap 7") << 400 << true << 7 << false << true;
        QTest::newRow("fitted, cap 0") << 400 << true << 0 << false << true;
        QTest::newRow("no fit yet, cap 12") << 100 << true << 12 << false << false;
        QTest::newRow("Leitner") << 400 << true << 50 << true << false;
    }
    void paceFollowsTheFit()
    {
        QFETCH(int, answers);
        QFETCH(bool, automatic);
        QFETCH(int, cap);
        QFETCH(bool, leitner);
        QFETCH(bool, figure);
        Player p(answers, paced(automatic, cap), leitner);
        QVERIFY(p.f.engine->next()); // the day's fit and forecast run before it
        const StudyStats stats = p.f.engine->stats();
        QCOMPARE(stats.pace.has_value(), figure);
        if (!figure) {
            QCOMPARE(stats.newLeftToday, automatic && !leitner ? std::min(20, cap) : 20);
            return;
        }
        QCOMPARE(stats.pace->day, MemoryPolicy::studyDay(p.f.clock.nowUtc()));
        QCOMPARE_LE(stats.newLeftToday, cap);
        QCOMPARE(stats.newLeftToday, std::min(stats.pace->pace, cap));
        QCOMPARE_GT(stats.pace->held, 0.0);
        QCOMPARE_LE(stats.pace->held, 1.0);
    }

    // Past the day's work the forecast runs again, and may lower the day's figure, never raise
    // it (more new words in practice are for DayPace::takesMore to allow).
    void practiceRunsTheForecastAgain()
    {
        Player p(400, paced(true, 50));
        QVERIFY(p.f.engine->next());
        const std::optional<PaceFigure> first = p.f.engine->stats().pace;
        QVERIFY(first);
        p.f.session(QSet<QString>(), 400);
        QVERIFY(!p.f.engine->next());
        p.f.engine->nextPractice();
        p.f.engine->nextPractice();
        const std::optional<PaceFigure> again = p.f.engine->stats().pace;
        QVERIFY(again);
        QCOMPARE(again->day, first->day);
        QCOMPARE_LE(again->pace, first->pace);
    }

    // The same history, clock and seed: the same figure.
    void sameSeedSameFigure()
    {
        Player a(400, paced(true, 50));
        Player b(400, paced(true, 50));
        b.f.clock.now = a.f.clock.now;
        QVERIFY(a.f.engine->next());
        QVERIFY(b.f.engine->next());
        QVERIFY(a.f.engine->stats().pace);
        QCOMPARE(a.f.engine->stats().pace->pace, b.f.engine->stats().pace->pace);
        QCOMPARE(a.f.engine->stats().pace->held, b.f.engine->stats().pace->held);
    }
};

QTEST_GUILESS_MAIN(AutoPaceTest)
#include "tst_autopace.moc"
