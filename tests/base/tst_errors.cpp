#include "TestDoubles.h"
#include "base/ErrorReporting.h"

#include <QTest>

#include <limits>

namespace {
// A shared helper without a handler of its own: its errors surface in the caller.
int sharedHelper(bool fail)
{
    if (fail)
        throw AppError::overflow();
    return 1;
}
} // namespace

class ErrorsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageTextIsExact()
    {
        const QString text = ErrorReporter::messageText(
            QStringLiteral("Overflow"),
            ErrorReporter::locationName(QStringLiteral("Form1"), QStringLiteral("Form_Load")), 140);
        QCOMPARE(text, QStringLiteral("Overflow\r\nin LexitorTrainer2021/08/31.Form1.Form_Load at "
                                      "line 140\r\rPlease email screenshot of this message to "
                                      "support@quenmark.example"));
        QCOMPARE(text.count(QLatin1Char('\n')), 1);
        QCOMPARE(text.count(QLatin1Char('\r')), 3);
    }

    void reportIsAWarningTitledApplicationError()
    {
        TestEnvironment t;
        Procedure p(t.env.errors, QStringLiteral("Form4"), QStringLiteral("PushButton1_Click"));
        p.line(100, [] { throw AppError(QStringLiteral("no such table: qryTwoWords")); });
        QCOMPARE(t.messages.shown.size(), 1);
        QCOMPARE(t.messages.shown[0].title, QStringLiteral("Application Error"));
        QCOMPARE(t.messages.shown[0].icon, MessageIcon::Warning);
        QVERIFY(t.messages.shown[0].text.startsWith(
            QStringLiteral("no such table: qryTwoWords\r\nin LexitorTrainer2021/08/31.Form4."
                           "PushButton1_Click at line 100\r\r")));
    }

    void resumesAtTheNextStatement()
    {
        TestEnvironment t;
        QStringList ran;
        Procedure p(t.env.errors, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
        p.line(100, [&] { ran << QStringLiteral("100"); });
        p.line(102, [&] {
            throw AppError::overflow();
            ran << QStringLiteral("102 rest"); // never runs: the failed statement is abandoned
        });
        p.line(104, [&] { ran << QStringLiteral("104"); });
        QCOMPARE(ran, (QStringList{QStringLiteral("100"), QStringLiteral("104")}));
        QCOMPARE(t.messages.shown.size(), 1);
        QVERIFY(t.messages.shown[0].text.contains(QStringLiteral("at line 102\r")));
    }

    void failingConditionRunsTheGuardedPart_data()
    {
        QTest::addColumn<int>("outcome"); // 0 false, 1 true, 2 throws
        QTest::addColumn<bool>("guardedRuns");
        QTest::addColumn<int>("messages");
        QTest::newRow("false") << 0 << false << 0;
        QTest::newRow("true") << 1 << true << 0;
        QTest::newRow("throws") << 2 << true << 1;
    }
    void failingConditionRunsTheGuardedPart()
    {
        QFETCH(int, outcome);
        QFETCH(bool, guardedRuns);
        QFETCH(int, messages);
        TestEnvironment t;
        Procedure p(t.env.errors, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
        bool ran = false;
        if (p.test(100, [&] {
                if (outcome == 2)
                    throw AppError(QStringLiteral("Path not found"));
                return outcome == 1;
            }))
            p.line(102, [&] { ran = true; });
        QCOMPARE(ran, guardedRuns);
        QCOMPARE(t.messages.shown.size(), messages);
        if (messages)
            QVERIFY(t.messages.shown[0].text.contains(QStringLiteral("at line 100\r")));
    }

    void twoFailuresOnOneLineGiveTwoMessages()
    {
        TestEnvironment t;
        Procedure p(t.env.errors, QStringLiteral("Form1"), QStringLiteral("Form_QueryUnload"));
        if (p.test(100, [] { return sharedHelper(true) != 0; }))
            p.line(100, [] { sharedHelper(true); });
        QCOMPARE(t.messages.shown.size(), 2);
        for (const auto& m : t.messages.shown)
            QVERIFY(m.text.contains(QStringLiteral("Form1.Form_QueryUnload at line 100\r")));
    }

    void sharedHelperReportsWithCallersLocation()
    {
        TestEnvironment t;
        Procedure p(t.env.errors, QStringLiteral("Form7"), QStringLiteral("Form_Load"));
        p.line(120, [] { sharedHelper(true); });
        QCOMPARE(t.messages.shown.size(), 1);
        QVERIFY(t.messages.shown[0].text.startsWith(
            QStringLiteral("Overflow\r\nin LexitorTrainer2021/08/31.Form7.Form_Load at line 120")));
    }

    void standardExceptionsAreReportedToo()
    {
        TestEnvironment t;
        Procedure p(t.env.errors, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
        p.line(106, [] { throw std::bad_alloc(); });
        p.line(108, [] { throw std::runtime_error("disk on fire"); });
        QCOMPARE(t.messages.shown.size(), 2);
        QVERIFY(t.messages.shown[0].text.startsWith(QStringLiteral("Out of memory\r\n")));
        QVERIFY(t.messages.shown[1].text.startsWith(QStringLiteral("disk on fire\r\n")));
    }

    void eachProcedureHasItsOwnCurrentLine()
    {
        TestEnvironment t;
        Procedure outer(t.env.errors, QStringLiteral("Form1"), QStringLiteral("PushButton1_Click"));
        outer.line(116, [&] {
            Procedure inner(t.env.errors, QStringLiteral("Form2"), QStringLiteral("Form_Load"));
            inner.line(166, [] { throw AppError::overflow(); });
        });
        outer.line(118, [] { throw AppError::overflow(); });
        QCOMPARE(t.messages.shown.size(), 2);
        QVERIFY(t.messages.shown[0].text.contains(QStringLiteral("Form2.Form_Load at line 166")));
        QVERIFY(t.messages.shown[1].text.contains(
            QStringLiteral("Form1.PushButton1_Click at line 118")));
    }
};

QTEST_GUILESS_MAIN(ErrorsTest)
#include "tst_errors.moc"
