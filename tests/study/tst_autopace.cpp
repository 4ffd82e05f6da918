#include "HistoryFill.h"
#include "StudyFixture.h"
#include "study/AutoPace.h"
#include "study/StudyEngine.h"

#include <QStandardPaths>
#include <QTest>

namespace {

StudySettings paced(bool automatic, int cap)
{
    StudySettings settings;
    settings.newPerDay = 20;
    settings.lengths = {2};
    settings.backgroundFits = false; // the figure is read before the question
    settings.autoPace = automatic;
    settings.newPerDayCap = cap;
    return settings;
}

// A player who gave `answersByDay` answers (oldest first, yesterday last) on the first 100 of
// 200 words, and an engine over their history (the fit a scripted one).
struct Player
{
    Player(const QList<int>& answersByDay, StudySettings settings, bool leitner = false)
        : f(WordDatabase::sequentialWords(2, 200), settings)
    {
        const QString path = f.dir.filePath(QStringLiteral("history.sqlite"));
        f.engine.reset();
        f.history.reset();
        const QStringList words = WordDatabase::sequentialWords(2, 100);
        const QDate today = MemoryPolicy::studyDay(f.clock.nowUtc());
        QList<AnswerRecord> answers;
        for (qsizetype day = 0; day < answersByDay.size(); ++day) {
            const QDateTime start =
                MemoryPolicy::dayStart(today.addDays(-(answersByDay.size() - day))).addSecs(3600);
            for (int i = 0; i < answersByDay[day]; ++i)
                answers.append(answerOn(words[(answers.size() * 7) % words.size()],
                                        start.addSecs(i * 20), i % 5 != 0));
        }
        fillHistory(path, answers);
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

// The automatic pace of new words: the fixed pace, meant for 150 answers a day, scaled to the
// player's recent answers a day and held under the cap.
class AutoPaceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The engine's day's pace from the history's last days: it rises with the answers a day and
    // falls with them, never passes the cap, skips days off and looks at a week at most. Before
    // any day of answers, with a fixed pace, and under the Leitner baseline, the fixed pace.
    void paceFollowsTheAnswers_data()
    {
        QTest::addColumn<QList<int>>("byDay"); // answers, oldest first, yesterday last
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<int>("cap");
        QTest::addColumn<bool>("leitner");
        QTest::addColumn<int>("pace");
        QTest::newRow("first day") << QList<int>{} << true << 50 << false << 60; // three times
        QTest::newRow("first day, cap 12") << QList<int>{} << true << 12 << false << 36;
        QTest::newRow("fifty a day") << QList<int>{50, 50, 50} << true << 50 << false << 10;
        QTest::newRow("as meant") << QList<int>{150, 150} << true << 50 << false << 20;
        QTest::newRow("twice as many") << QList<int>{300, 300} << true << 50 << false << 32;
        QTest::newRow("over the cap") << QList<int>{600} << true << 50 << false << 50;
        QTest::newRow("cap 12") << QList<int>{300} << true << 12 << false << 12;
        QTest::newRow("cap 0") << QList<int>{300} << true << 0 << false << 0;
        QTest::newRow("a handful") << QList<int>{3} << true << 50 << false << 1;
        QTest::newRow("days off skipped") << QList<int>{150, 0, 0, 60} << true << 50 << false << 16;
        QTest::newRow("a week at most")
            << QList<int>{900, 30, 30, 30, 30, 30, 30, 30} << true << 50 << false << 7;
        QTest::newRow("fixed") << QList<int>{50, 50} << false << 50 << false << 20;
        QTest::newRow("Leitner") << QList<int>{50, 50} << true << 50 << true << 20;
    }
    void paceFollowsTheAnswers()
    {
        QFETCH(QList<int>, byDay);
        QFETCH(bool, automatic);
        QFETCH(int, cap);
        QFETCH(bool, leitner);
        QFETCH(int, pace);
        Player p(byDay, paced(automatic, cap), leitner);
        QVERIFY(p.f.engine->next()); // the day's figure is read before it
        const StudyStats stats = p.f.engine->stats();
        QCOMPARE(stats.newLeftToday, pace);
        const bool figure = automatic && !leitner && !byDay.isEmpty();
        QCOMPARE(stats.pace.has_value(), figure);
        if (figure)
            QCOMPARE(stats.pace->day, MemoryPolicy::studyDay(p.f.clock.nowUtc()));
    }

    // A fixed pace of none stays none under Auto, whatever the answers.
    void noneStaysNone()
    {
        QCOMPARE(AutoPace::pace(0, 50, 600.0), 0);
        QCOMPARE(AutoPace::pace(20, 50, 0.0), 1);
    }
};

QTEST_GUILESS_MAIN(AutoPaceTest)
#include "tst_autopace.moc"
