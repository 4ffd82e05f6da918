#include "study/NewWordPace.h"

#include <QTest>

#include <ctime>

namespace {

QDateTime utc(const char* isoUtc)
{
    return QDateTime::fromString(QString::fromLatin1(isoUtc), Qt::ISODate);
}

} // namespace

// The study day (4 am to 4 am, local time) and the day's pace of new words.
class NewWordPaceTest : public QObject
{
    Q_OBJECT

private slots:
    // British time, by the rules rather than the system's zone files: summer time from 1 am UTC
    // on the last Sunday of March (29 March 2026) to 1 am UTC on the last Sunday of October
    // (25 October 2026).
    void initTestCase()
    {
        qputenv("TZ", "GMT0BST,M3.5.0/1,M10.5.0");
        tzset();
    }

    // The day turns at 4 am on the clock on the wall, on the days the clocks change too.
    void studyDayTurnsAtFourLocal_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QDate>("day");
        QTest::newRow("winter 03:59") << utc("2026-03-02T03:59Z") << QDate(2026, 3, 1);
        QTest::newRow("winter 04:00") << utc("2026-03-02T04:00Z") << QDate(2026, 3, 2);
        QTest::newRow("summer 03:59") << utc("2026-06-10T02:59Z") << QDate(2026, 6, 9);
        QTest::newRow("summer 04:00") << utc("2026-06-10T03:00Z") << QDate(2026, 6, 10);
        QTest::newRow("forward, 00:30") << utc("2026-03-29T00:30Z") << QDate(2026, 3, 28);
        QTest::newRow("forward, 03:59") << utc("2026-03-29T02:59Z") << QDate(2026, 3, 28);
        QTest::newRow("forward, 04:00") << utc("2026-03-29T03:00Z") << QDate(2026, 3, 29);
        QTest::newRow("forward, 04:30") << utc("2026-03-29T03:30Z") << QDate(2026, 3, 29);
        QTest::newRow("back, second 01:30") << utc("2026-10-25T01:30Z") << QDate(2026, 10, 24);
        QTest::newRow("back, 03:30") << utc("2026-10-25T03:30Z") << QDate(2026, 10, 24);
        QTest::newRow("back, 03:59") << utc("2026-10-25T03:59Z") << QDate(2026, 10, 24);
        QTest::newRow("back, 04:00") << utc("2026-10-25T04:00Z") << QDate(2026, 10, 25);
    }
    void studyDayTurnsAtFourLocal()
    {
        QFETCH(QDateTime, at);
        QFETCH(QDate, day);
        QCOMPARE(MemoryPolicy::studyDay(at), day);
        QCOMPARE_LE(MemoryPolicy::dayStart(day), at);
        QCOMPARE_GT(MemoryPolicy::dayStart(day.addDays(1)), at);
        QCOMPARE(MemoryPolicy::daysBetween(MemoryPolicy::dayStart(day).addMSecs(-1), at), 1);
    }

    // Today's words are those graded since 4 am, on the day summer time begins as on any other:
    // at 04:30 that day, a word met at 04:00 is today's and one met at 03:59 yesterday's.
    void dayPaceCountsTheStudyDay_data()
    {
        QTest::addColumn<QDateTime>("first");
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<bool>("inList");
        QTest::addColumn<QList<int>>("expected"); // introduced, seen before, graded, missed
        const QDateTime before = utc("2026-03-29T02:59Z"); // 03:59 GMT
        const QDateTime start = utc("2026-03-29T03:00Z");  // 04:00 summer time
        QTest::newRow("met at 03:59") << before << before << true << QList<int>{0, 1, 0, 0};
        QTest::newRow("met at 04:00") << start << start << true << QList<int>{1, 0, 1, 1};
        QTest::newRow("met earlier, graded at 04:00")
            << before << start << true << QList<int>{0, 1, 1, 1};
        QTest::newRow("another list's") << start << start << false << QList<int>{0, 0, 0, 0};
    }
    void dayPaceCountsTheStudyDay()
    {
        QFETCH(QDateTime, first);
        QFETCH(QDateTime, last);
        QFETCH(bool, inList);
        QFETCH(QList<int>, expected);
        WordMemory m;
        m.word = QStringLiteral("ZO");
        m.memory = Fsrs::MemoryState{1.0, 5.0};
        m.firstReview = first;
        m.lastReview = last;
        m.missedLast = true;
        const QSet<QString> list{inList ? m.word : QStringLiteral("ZA")};
        const DayPace pace = dayPace({{m.word, m}}, list, utc("2026-03-29T03:30Z"));
        QCOMPARE((QList<int>{pace.introduced, int(pace.seenBefore), pace.graded, pace.missed}),
                 expected);
    }

    // More new words than the pace only from the second day, while fewer than one in ten of
    // today's words were missed and the model expects every word recalled as well as it aims.
    void takesMore_data()
    {
        QTest::addColumn<bool>("leitner");
        QTest::addColumn<bool>("seenBefore");
        QTest::addColumn<int>("graded");
        QTest::addColumn<int>("missed");
        QTest::addColumn<double>("lowestRecall");
        QTest::addColumn<bool>("more");
        QTest::newRow("holding every word") << false << true << 20 << 0 << 0.95 << true;
        QTest::newRow("under 6 in 100") << false << true << 17 << 1 << 0.95 << true;
        QTest::newRow("6 in 100 missed") << false << true << 50 << 3 << 0.95 << false;
        QTest::newRow("under one in ten") << false << true << 21 << 2 << 0.95 << false;
        QTest::newRow("recall at the aim") << false << true << 20 << 0 << 0.9 << true;
        QTest::newRow("a word fading") << false << true << 20 << 0 << 0.89 << false;
        QTest::newRow("nothing answered yet") << false << true << 0 << 0 << 0.95 << true;
        QTest::newRow("first day") << false << false << 20 << 0 << 0.95 << false;
        QTest::newRow("Leitner") << true << true << 20 << 0 << 0.95 << false;
    }
    void takesMore()
    {
        QFETCH(bool, leitner);
        QFETCH(bool, seenBefore);
        QFETCH(int, graded);
        QFETCH(int, missed);
        QFETCH(double, lowestRecall);
        QFETCH(bool, more);
        MemoryPolicy policy;
        policy.leitner = leitner;
        DayPace pace;
        pace.seenBefore = seenBefore;
        pace.graded = graded;
        pace.missed = missed;
        QCOMPARE(pace.takesMore(policy, lowestRecall), more);
    }
};

QTEST_GUILESS_MAIN(NewWordPaceTest)
#include "tst_newwordpace.moc"
