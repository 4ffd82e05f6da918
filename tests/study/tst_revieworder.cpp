#include "study/ReviewOrder.h"

#include <QTest>

// Which due word is asked first: by due day and the last answer while the player keeps up; the
// words first met lately, newest first, once they are behind; the Leitner baseline's plain
// order always.
class ReviewOrderTest : public QObject
{
    Q_OBJECT

private slots:
    void dueWordsInOrder_data()
    {
        QTest::addColumn<bool>("leitner");
        QTest::addColumn<int>("due");
        QTest::addColumn<int>("answeredLastDay");
        QTest::addColumn<QStringList>("expected");
        const QStringList byDue{"OLD", "MID", "ANT", "NEW", "NEWER"};
        const QStringList youngFirst{"NEWER", "NEW", "MID", "OLD", "ANT"};
        QTest::newRow("keeping up") << false << 50 << 100 << byDue;
        QTest::newRow("behind") << false << 51 << 100 << youngFirst;
        QTest::newRow("back after a break, keeping up") << false << 25 << 0 << byDue;
        QTest::newRow("back after a break, behind") << false << 26 << 0 << youngFirst;
        QTest::newRow("Leitner, far behind")
            << true << 900 << 100 << QStringList{"OLD", "ANT", "MID", "NEW", "NEWER"};
    }
    void dueWordsInOrder()
    {
        QFETCH(bool, leitner);
        QFETCH(int, due);
        QFETCH(int, answeredLastDay);
        QFETCH(QStringList, expected);
        const QDateTime now(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
        auto word = [&](const char* text, int firstDaysAgo, double lastDaysAgo, int dueDaysAgo) {
            WordMemory m;
            m.word = QString::fromLatin1(text);
            m.firstReview = now.addDays(-firstDaysAgo);
            m.lastReview = now.addSecs(qint64(-lastDaysAgo * 86400));
            m.due = now.addDays(-dueDaysAgo);
            return m;
        };
        const QList<WordMemory> memories{word("NEWER", 1, 1, 0), word("ANT", 40, 1, 1),
                                         word("OLD", 30, 5, 2), word("NEW", 2, 1.5, 0),
                                         word("MID", 10, 2, 1)};
        QList<const WordMemory*> words;
        for (const WordMemory& m : memories)
            words.append(&m);
        MemoryPolicy policy;
        policy.leitner = leitner;
        ReviewOrder(policy, now, due, answeredLastDay).sort(words);
        QStringList order;
        for (const WordMemory* m : words)
            order.append(m->word);
        QCOMPARE(order, expected);
    }
};

QTEST_GUILESS_MAIN(ReviewOrderTest)
#include "tst_revieworder.moc"
