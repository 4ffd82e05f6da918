// The study pools kept up to date answer by answer against pools read afresh, and the due count
// read from the states against the engine's.
#include "StudyFixture.h"
#include "TestDoubles.h"
#include "WordDatabase.h"
#include "study/DueCount.h"
#include "study/History.h"
#include "study/HistoryDb.h"
#include "study/HistorySchema.h"
#include "study/StudyPools.h"

#include <QStandardPaths>
#include <QTest>

namespace {

// Everything a question is chosen from, in a comparable form.
QStringList describe(const StudyPools& pools, const QList<int>& lengths)
{
    QStringList lines;
    const auto words = [](const QList<const WordMemory*>& list) {
        QStringList out;
        for (const WordMemory* m : list)
            out.append(m->word);
        return out.join(u',');
    };
    for (int length : lengths) {
        for (int kind = 0; kind < StudyPools::Kinds; ++kind)
            lines.append(QStringLiteral("%1/%2: %3 %4")
                             .arg(length)
                             .arg(kind)
                             .arg(pools.count(length, StudyPools::Kind(kind)))
                             .arg(kind == StudyPools::Ahead
                                      ? QString()
                                      : words(pools.first(length, StudyPools::Kind(kind), 4))));
        double lowest = 0;
        const QString faded = words(pools.faded(length, 4, &lowest));
        QStringList graded;
        for (qsizetype at : pools.graded(length))
            graded.append(QString::number(at));
        lines.append(QStringLiteral("%1 faded %2 %3 graded %4 known %5 decoys %6")
                         .arg(length)
                         .arg(faded)
                         .arg(lowest, 0, 'g', 15)
                         .arg(graded.join(u','))
                         .arg(pools.known(length))
                         .arg(pools.decoys(length).join(u',')));
    }
    const DayPace pace = pools.dayPace();
    lines.append(QStringLiteral("pace %1 %2 %3 %4, %5 answered in the last day")
                     .arg(pace.introduced)
                     .arg(pace.seenBefore)
                     .arg(pace.graded)
                     .arg(pace.missed)
                     .arg(pools.answeredLastDay()));
    return lines;
}

// The next of a fixed sequence of draws (a linear congruential generator).
struct Draws
{
    quint32 state;
    int operator()(int below)
    {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % quint32(below));
    }
};

// The count from the states tallied in the file, as the main window's first count reads it.
DueCount tallied(History& history, const StudySettings& settings, const QDateTime& now)
{
    if (!history.flush())
        return {-1, -1};
    HistoryDb db(history.path());
    db.open(HistoryDb::Access::ReadOnly);
    return countDue(HistorySchema::tallyDue(db, now), settings);
}

} // namespace

class StudyPoolsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // After every answer, taking back and passing of time, the pools kept up to date hold what
    // pools read afresh from the same states hold.
    void keptPoolsMatchRebuilt_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("gapSecs");   // between answers
        QTest::addColumn<int>("missOneIn"); // answers wrong
        QTest::addColumn<int>("takeBackEvery");
        QTest::addColumn<int>("wholesaleAt"); // the states rebuilt from the answers (0: never)
        QTest::addColumn<bool>("steps");      // learning steps
        QTest::addColumn<bool>("clockBack");  // the clock goes back a day halfway
        QTest::addColumn<int>("othersEvery"); // answers recorded past the pools (0: none)
        QTest::addColumn<int>("room");        // for words first graded after a read
        const int room = StudyPools::DefaultRoom;
        QTest::newRow("a session") << 1u << 10 << 5 << 0 << 0 << false << false << 0 << room;
        QTest::newRow("days apart, often missed")
            << 2u << 9 * 3600 << 2 << 0 << 0 << false << false << 0 << room;
        QTest::newRow("taken back") << 3u << 600 << 3 << 3 << 0 << false << false << 0 << room;
        QTest::newRow("learning steps") << 4u << 300 << 3 << 4 << 0 << true << false << 0 << room;
        QTest::newRow("rebuilt wholesale")
            << 5u << 3 * 3600 << 4 << 5 << 40 << false << false << 0 << room;
        QTest::newRow("clock goes back")
            << 6u << 5 * 3600 << 3 << 0 << 0 << false << true << 0 << room;
        QTest::newRow("others' answers")
            << 7u << 4 * 3600 << 3 << 4 << 0 << false << false << 3 << room;
        QTest::newRow("no room for new words")
            << 8u << 10 * 3600 << 3 << 4 << 0 << false << false << 0 << 1;
    }
    void keptPoolsMatchRebuilt()
    {
        QFETCH(quint32, seed);
        QFETCH(int, gapSecs);
        QFETCH(int, missOneIn);
        QFETCH(int, takeBackEvery);
        QFETCH(int, wholesaleAt);
        QFETCH(bool, steps);
        QFETCH(bool, clockBack);
        QFETCH(int, othersEvery);
        QFETCH(int, room);
        const QList<int> lengths{2, 3};
        QHash<int, QStringList> lists;
        QHash<int, QStringList> fakes{{2, {"ZZ", "ZY", "ZX", "ZW", "ZV"}},
                                      {3, {"ZZZ", "ZZY", "ZZX", "ZZW", "ZZV"}}};
        for (int length : lengths)
            lists[length] = WordDatabase::sequentialWords(length, 30);
        const WordPlaces positions(lists);
        MemoryPolicy policy;
        if (steps)
            policy.learningStepsMinutes = {10, 60};
        RecordingMessageBoxes messages;
        History history(messages, QString(), policy);
        QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        StudyPools kept(history, lists, positions, room);
        kept.advance(now);
        Draws draw{seed};
        for (int step = 1; step <= 80; ++step) {
            const int length = lengths[draw(2)];
            const QStringList& list = lists[length];
            AnswerRecord a{now, QStringLiteral("study"), draw(3) != 0, length, {}, draw(4), 0, 900};
            const QString answer =
                a.validKind ? list[draw(int(list.size()))] : fakes[length][draw(5)];
            const QStringList& others = a.validKind ? fakes[length] : list;
            QStringList fill;
            while (fill.size() < 3)
                if (const QString w = others[draw(int(others.size()))];
                    w != answer && !fill.contains(w))
                    fill.append(w);
            for (int i = 0; i < 4; ++i)
                a.candidates.append(i == a.rightIndex ? answer : fill.takeFirst());
            a.chosenIndex = draw(missOneIn) == 0 ? (a.rightIndex + 1 + draw(3)) % 4 : a.rightIndex;
            history.record(a);
            if (!othersEvery || step % othersEvery != 0)
                kept.update(a.candidates);
            if (takeBackEvery && step % takeBackEvery == 0) {
                QVERIFY(history.takeBack(now));
                kept.update(a.candidates);
            }
            if (step == wholesaleAt)
                history.rebuild();
            now = now.addSecs(clockBack && step == 40 ? -86400 : gapSecs);
            kept.advance(now);
            StudyPools fresh(history, lists, positions);
            fresh.advance(now);
            QCOMPARE(describe(kept, lengths), describe(fresh, lengths));
        }
    }

    // The main window's count, read from the states alone or from their tally, is the engine's.
    void dueCountIsTheEngines_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("knownShare"); // in tenths of the list
        QTest::addColumn<int>("newPerDay");
        QTest::newRow("first day") << 1 << 5 << 10;
        QTest::newRow("a week, half known") << 7 << 5 << 10;
        QTest::newRow("a fortnight, little known") << 14 << 1 << 6;
    }
    void dueCountIsTheEngines()
    {
        QFETCH(int, days);
        QFETCH(int, knownShare);
        QFETCH(int, newPerDay);
        const QStringList words =
            WordDatabase::sequentialWords(2, 200) + WordDatabase::sequentialWords(3, 200);
        // The day's fit is taken up where it is made, so that the file holds the states the engine
        // counts.
        StudySettings settings{newPerDay, {2, 3}};
        settings.backgroundFits = false;
        StudyFixture f(words, settings);
        f.clock.now = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        QSet<QString> known;
        for (qsizetype i = 0; i < words.size(); ++i)
            if (i % 10 < knownShare)
                known.insert(words[i]);
        for (int day = 0; day < days; ++day) {
            f.session(known, 60);
            for (int hours : {5, 19}) {
                f.clock.advanceSecs(hours * 3600);
                const StudyStats stats = f.engine->stats();
                const DueCount count = countDue(*f.history, f.engine->settings(), f.clock.now);
                QCOMPARE(count.due, stats.due);
                QCOMPARE(count.newLeftToday, stats.newLeftToday);
                const DueCount tally = tallied(*f.history, f.engine->settings(), f.clock.now);
                QCOMPARE(tally.due, stats.due);
                QCOMPARE(tally.newLeftToday, stats.newLeftToday);
            }
        }
    }

    // The new words that came in today count against the pace whatever lengths are studied next:
    // a change of settings never starts the day afresh, in the engine or in the main window.
    void newWordsCarryOverASettingsChange_data()
    {
        QTest::addColumn<QList<int>>("after"); // the lengths studied after the change
        QTest::addColumn<int>("newPerDay");    // the pace after the change
        QTest::newRow("to two letters, less a day") << QList<int>{2} << 10;
        QTest::newRow("to three letters, more a day") << QList<int>{3} << 40;
        QTest::newRow("the same lengths, more a day") << QList<int>{2, 3} << 40;
    }
    void newWordsCarryOverASettingsChange()
    {
        QFETCH(QList<int>, after);
        QFETCH(int, newPerDay);
        const QStringList words =
            WordDatabase::sequentialWords(2, 200) + WordDatabase::sequentialWords(3, 200);
        // Mixed: both lengths have words seen on an earlier day, so neither starts a first day.
        const StudySettings mixed{10, {2, 3}, StudySettings::Mode::Study, StudyOrder::Mixed};
        StudyFixture f(words, mixed);
        f.clock.now = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        f.session({}, 200); // a first day: three times the pace, 30 new words
        f.clock.advanceSecs(24 * 3600);
        f.engine = std::make_unique<StudyEngine>(f.store, *f.history, f.clock, f.random, mixed);
        f.session({}, 200); // a second day at the pace: some 10 new words, of both lengths
        const int today =
            dayPace(f.history->words(), QSet<QString>(words.cbegin(), words.cend()), f.clock.now)
                .introduced;
        QVERIFY(today >= 10);
        const int left = std::max(0, newPerDay - today);
        f.engine = std::make_unique<StudyEngine>(f.store, *f.history, f.clock, f.random,
                                                 StudySettings{newPerDay, after});
        QCOMPARE(f.engine->stats().newLeftToday, left);
        const DueCount count = countDue(*f.history, f.engine->settings(), f.clock.now);
        QCOMPARE(count.newLeftToday, left);
        QCOMPARE(tallied(*f.history, f.engine->settings(), f.clock.now).newLeftToday, left);
    }
};

QTEST_GUILESS_MAIN(StudyPoolsTest)
#include "tst_studypools.moc"
